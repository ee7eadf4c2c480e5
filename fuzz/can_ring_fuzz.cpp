// The CAN monitor's capture side over any ring contents and offsets: the
// input gives the read and write offsets, whether the ring address is 0,
// and the 16000 bytes of the ring (messages of any identifier, length and
// time). Every message read lies inside the ring (a heap block of exactly
// 16000 bytes, so AddressSanitizer sees any read past it), the read
// offset ends valid or untouched, and the lists built from the messages
// stay consistent with lengths of at most 8.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "anvil/anvil_init.h"
#include "anvil/can_bus.h"
#include "anvil/can_lists.h"
#include "fuzz/fuzz_check.h"

extern "C" uint32_t AnvilInit(const _ANVILINIT* record);

namespace {

uint8_t* Shared() {
  static std::vector<uint8_t> shared(anvil::kCanMailbox1 + 16, 0);
  return shared.data();
}

void CheckList(const anvil::CanList& l) {
  uint32_t n = 0;
  const anvil::CanNode* prev = nullptr;
  bool cursor_seen = l.cursor == nullptr;
  for (const anvil::CanNode* node = l.head; node != nullptr; node = node->next, ++n) {
    FUZZ_CHECK(node->prev == prev && n < 2000);
    FUZZ_CHECK(node->packet.length <= 8);
    cursor_seen |= node == l.cursor;
    prev = node;
  }
  FUZZ_CHECK(cursor_seen);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::vector<uint8_t> pool(1 << 20);
  static _ANVILINIT init{};
  if (size < 5) return 0;
  init.size = sizeof init;
  init.pool_base = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(pool.data()));
  init.pool_size = static_cast<uint32_t>(pool.size());
  AnvilInit(&init);
  uint8_t* shared = Shared();
  uint16_t read, write;
  memcpy(&read, data, 2);
  memcpy(&write, data + 2, 2);
  bool ring_zero = data[4] & 1;
  // One heap block of exactly the ring's size for every run.
  static uint8_t* ring = static_cast<uint8_t*>(malloc(anvil::kCanRingBytes));
  size_t body = size - 5 < anvil::kCanRingBytes ? size - 5 : anvil::kCanRingBytes;
  memset(ring, 0, anvil::kCanRingBytes);
  memcpy(ring, data + 5, body);
  uint32_t address = ring_zero ? 0 : static_cast<uint32_t>(reinterpret_cast<uintptr_t>(ring));
  memcpy(shared + anvil::kCanRing1, &address, 4);
  memcpy(shared + anvil::kCanRead1, &read, 2);
  memcpy(shared + anvil::kCanWrite1, &write, 2);
  anvil::CanList lists[2];
  lists[0].rows = lists[1].rows = 4;
  CanMessage m;
  uint32_t taken = 0;
  while (anvil::CanReadMessage(shared, 1, &m) && taken < 2000) {
    ++taken;
    CanPacket p{};
    p.id = m.id & anvil::kCanIdMask;
    p.length = m.length;
    memcpy(p.data, m.data, 8);
    p.time = m.time;
    p.count = 1;
    anvil::CanNode* node = nullptr;
    if (m.id & (anvil::kCanReceived | anvil::kCanSent)) {
      anvil::CanListAdd(&lists[(m.id & anvil::kCanReceived) ? 0 : 1], p, nullptr, &node);
      if (node != nullptr) anvil::CanListKey(&lists[0], static_cast<uint8_t>(m.time & 0x3F), m.time & 0x40);
    }
  }
  uint16_t read_after;
  memcpy(&read_after, shared + anvil::kCanRead1, 2);
  bool write_valid = write % 16 == 0 && write < anvil::kCanRingBytes;
  FUZZ_CHECK(taken < 1000);
  if (write_valid && !ring_zero) FUZZ_CHECK(read_after == write);
  else FUZZ_CHECK(read_after == read);
  for (const anvil::CanList& l : lists) CheckList(l);
  for (anvil::CanList& l : lists) anvil::CanListClear(&l);
  return 0;
}
