// Fuzz target: operation sequences on Anvil's memory pool, checked step by
// step against the reference model of the pool tests.
//
// Input: u16 pool size (13 and up), then operations, one byte each picking:
//   0-3 allocate   u16 size (a top bit 0x8000 asks for 0xFFFF0000 + size)
//   4-5 free       a live block, chosen by the next byte
//   6   free again a block freed earlier
//   7   free       a wrong address: the next byte and u16 from the base
//   8   take over  the same block again without formatting it
// The pool lies in an exact-size heap block, so a write past it is caught;
// every data area is filled and must keep its bytes until freed.
#include "fuzz/fuzz_check.h"
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "anvil/memory_pool.h"
#include "tests/test_pool_model.h"

namespace {

struct Live {
  uint32_t data;
  uint32_t n;
  uint8_t fill;
};

struct Input {
  const uint8_t* data;
  size_t size;
  size_t at = 0;
  bool more() const { return at < size; }
  uint8_t u8() { return at < size ? data[at++] : 0; }
  uint16_t u16() { return static_cast<uint16_t>(u8() << 8 | u8()); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in{data, size};
  uint32_t pool_size = anvil::kSmallestPool + in.u16() % 8192;
  std::vector<uint8_t> block(pool_size);
  const uint32_t base = pool_test::AddressOf(block.data());
  uint16_t message = 0;
  anvil::MemoryPool pool;
  pool.message_word = &message;
  FUZZ_CHECK(anvil::PoolInit(&pool, base, pool_size, true) == 1);
  pool_test::Model model;
  model.Format(pool_size);
  std::vector<Live> live;
  std::vector<uint32_t> freed;

  for (int step = 0; in.more() && step < 500; ++step) {
    message = 0;
    uint8_t op = in.u8() % 9;
    if (op <= 3) {
      uint16_t v = in.u16();
      uint32_t n = (v & 0x8000) ? 0xFFFF0000u + (v & 0x7FFF) : v;
      bool low = false;
      uint32_t expected = model.Alloc(n, &low);
      uint32_t got = anvil::PoolAlloc(&pool, n);
      FUZZ_CHECK(got == (expected ? base + expected : 0u));
      if (got != 0) {
        FUZZ_CHECK(message == (low ? anvil::kMessageLowMemory : 0));
        uint8_t fill = static_cast<uint8_t>(step * 37 + 1);
        memset(reinterpret_cast<void*>(static_cast<uintptr_t>(got)), fill, n);
        live.push_back({got, n, fill});
      } else {
        FUZZ_CHECK(message == anvil::kMessageOutOfMemory);
      }
    } else if (op <= 5) {
      if (live.empty()) continue;
      size_t i = in.u8() % live.size();
      Live l = live[i];
      const uint8_t* p = reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(l.data));
      for (uint32_t k = 0; k < l.n; ++k) FUZZ_CHECK(p[k] == l.fill);
      FUZZ_CHECK(anvil::PoolFree(&pool, l.data) == anvil::FreeResult::kFreed);
      model.Free(l.data - base);
      live.erase(live.begin() + static_cast<long>(i));
      freed.push_back(l.data);
    } else if (op == 6) {
      if (freed.empty()) continue;
      uint32_t again = freed[in.u8() % freed.size()];
      bool handed_out_again = false;
      for (const Live& l : live) handed_out_again |= l.data == again;
      if (handed_out_again) continue;
      FUZZ_CHECK(anvil::PoolFree(&pool, again) != anvil::FreeResult::kFreed);
    } else if (op == 7) {
      uint32_t offset = static_cast<uint32_t>(in.u8()) << 16 | in.u16();
      uint32_t address = base + offset;
      bool is_live = false;
      for (const Live& l : live) is_live |= l.data == address;
      if (is_live) continue;
      FUZZ_CHECK(anvil::PoolFree(&pool, address) != anvil::FreeResult::kFreed);
    } else {
      FUZZ_CHECK(anvil::PoolInit(&pool, base, pool_size, false) == 1);
    }
    pool_test::Snapshot snapshot;
    std::string fault = pool_test::ReadPool(base, &snapshot);
    if (!fault.empty()) fprintf(stderr, "pool: %s\n", fault.c_str());
    FUZZ_CHECK(fault.empty());
    std::string differs = model.Compare(snapshot, pool.free_space);
    if (!differs.empty()) fprintf(stderr, "pool: %s\n", differs.c_str());
    FUZZ_CHECK(differs.empty());
    FUZZ_CHECK(anvil::PoolLargestFree(&pool) == model.LargestFree());
  }
  return 0;
}
