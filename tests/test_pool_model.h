// Test helpers for Anvil's pool: a walker that reads the lists straight out
// of the host's block and checks their shape, and a reference model of the
// pool kept as plain ordered maps.
#pragma once

#include <stdint.h>
#include <string.h>

#include <deque>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace pool_test {

inline uint32_t ReadWord(uint32_t address) {
  uint32_t v;
  memcpy(&v, reinterpret_cast<const void*>(static_cast<uintptr_t>(address)), 4);
  return v;
}

inline uint32_t AddressOf(const void* p) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p));
}

// What the pool's block holds, with blocks as offsets from the base.
struct Snapshot {
  uint32_t total = 0;
  std::map<uint32_t, uint32_t> free;  // offset -> size, in list order (= address order)
  std::vector<uint32_t> used_order;   // offsets, head first
  std::map<uint32_t, uint32_t> used;  // offset -> size
};

// Reads both lists and checks what must hold of every formatted pool:
// back links match forward links, blocks lie inside the block, the free list
// is sorted by address with no two blocks touching, and free and used blocks
// tile the block after the header exactly (so none overlap). Returns "" when
// sound, else the first fault found.
inline std::string ReadPool(uint32_t base, Snapshot* out) {
  Snapshot s;
  s.total = ReadWord(base);
  const uint32_t end = base + s.total;
  const uint32_t limit = s.total / 12 + 2;  // more blocks than fit = a cycle
  auto in_range = [&](uint32_t b) { return b >= base + 12 && b + 12 <= end; };

  uint32_t prev = 0, count = 0;
  for (uint32_t b = ReadWord(base + 4); b != 0; b = ReadWord(b + 8)) {
    if (++count > limit) return "free list does not end";
    if (!in_range(b)) return "free block outside the pool";
    if (ReadWord(b + 4) != prev) return "free block with a wrong back link";
    uint32_t size = ReadWord(b);
    if (size < 12 || size > end - b) return "free block of impossible size";
    if (prev != 0) {
      if (b <= prev) return "free list not sorted by address";
      if (prev + ReadWord(prev) == b) return "two free blocks touch (not merged)";
    }
    s.free[b - base] = size;
    prev = b;
  }
  prev = 0;
  count = 0;
  for (uint32_t b = ReadWord(base + 8); b != 0; b = ReadWord(b + 8)) {
    if (++count > limit) return "used list does not end";
    if (!in_range(b)) return "used block outside the pool";
    if (ReadWord(b + 4) != prev) return "used block with a wrong back link";
    uint32_t size = ReadWord(b);
    if (size < 12 || size > end - b) return "used block of impossible size";
    if (s.used.count(b - base) || s.free.count(b - base)) return "block on a list twice";
    s.used[b - base] = size;
    s.used_order.push_back(b - base);
    prev = b;
  }
  std::map<uint32_t, uint32_t> all = s.free;
  all.insert(s.used.begin(), s.used.end());
  uint32_t at = 12;
  if (s.total >= 24 || !all.empty()) {
    for (auto& [off, size] : all) {
      if (off != at) return off < at ? "blocks overlap" : "bytes belong to no block";
      at += size;
    }
    if (at != s.total) return "blocks do not reach the end of the pool";
  }
  *out = s;
  return "";
}

// The pool as it should be, kept with ordered maps.
class Model {
 public:
  void Format(uint32_t size) {
    total = size;
    free.clear();
    used.clear();
    used_order.clear();
    if (size >= 24) free[12] = size - 12;
    counter = size - 13;
  }

  // Offset of the new block's data area, or 0. Sets *low when the pool ends
  // with at most 1000000 free bytes (the counter, one below them, is under
  // the low-memory level).
  uint32_t Alloc(uint32_t n, bool* low) {
    *low = false;
    const uint64_t need = uint64_t{n} + 12;
    for (auto it = free.begin(); it != free.end(); ++it) {
      if (it->second < need) continue;
      uint32_t off = it->first, size = it->second;
      free.erase(it);
      if (size > need + 12) {
        free[off + static_cast<uint32_t>(need)] = size - static_cast<uint32_t>(need);
        size = static_cast<uint32_t>(need);
      }
      used[off] = size;
      used_order.push_front(off);
      counter -= size;
      *low = FreeBytes() <= 1000000;
      return off + 12;
    }
    return 0;
  }

  void Free(uint32_t data_off) {
    uint32_t off = data_off - 12;
    uint32_t size = used.at(off);
    used.erase(off);
    for (auto it = used_order.begin(); it != used_order.end(); ++it)
      if (*it == off) { used_order.erase(it); break; }
    counter += size;
    auto next = free.lower_bound(off);
    if (next != free.begin()) {
      auto below = std::prev(next);
      if (below->first + below->second == off) {
        off = below->first;
        size += below->second;
        free.erase(below);
      }
    }
    if (next != free.end() && off + size == next->first) {
      size += next->second;
      free.erase(next);
    }
    free[off] = size;
  }

  uint64_t FreeBytes() const {
    uint64_t sum = 0;
    for (auto& [off, size] : free) sum += size;
    return sum;
  }

  uint32_t LargestFree() const {
    uint32_t largest = 0;
    for (auto& [off, size] : free) largest = size > largest ? size : largest;
    return largest > 12 ? largest - 12 : 0;
  }

  // "" when the snapshot and the counter are what the model expects.
  std::string Compare(const Snapshot& s, uint32_t pool_counter) const {
    if (s.total != total) return "total size differs";
    if (s.free != free) return "free list differs from the model";
    if (s.used != used) return "used blocks differ from the model";
    if (std::vector<uint32_t>(used_order.begin(), used_order.end()) != s.used_order)
      return "used list order differs from the model";
    if (pool_counter != counter) return "free-space counter differs from the model";
    return "";
  }

  uint32_t total = 0;
  uint32_t counter = 0;
  std::map<uint32_t, uint32_t> free, used;
  std::deque<uint32_t> used_order;
};

}  // namespace pool_test
