#include "glint/ring_view.h"

RingView RingSnapshot(const _GLINT* record) {
  RingView ring;
  ring.rows = record->ring;
  ring.length = record->ring_length;
  ring.oldest = record->oldest;
  ring.next = record->next;
  uint32_t address = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(ring.rows));
  uint64_t end = static_cast<uint64_t>(address) + static_cast<uint64_t>(ring.length) * sizeof(GlintRow);
  ring.valid = ring.rows != nullptr && ring.length > 0 && ring.oldest < ring.length &&
               ring.next < ring.length && end <= 0x100000000ull;
  if (!ring.valid) ring = RingView{};
  return ring;
}

uint32_t RingDistance(const RingView& ring, uint32_t from, uint32_t to) {
  if (!ring.valid) return 0;
  return to >= from ? to - from : static_cast<uint32_t>(static_cast<uint64_t>(to) + ring.length - from);
}

uint32_t RingAvailable(const RingView& ring) { return RingDistance(ring, ring.oldest, ring.next); }

uint32_t RingAdvance(const RingView& ring, uint32_t index, uint64_t offset) {
  if (!ring.valid) return 0;
  return static_cast<uint32_t>((index + offset % ring.length) % ring.length);
}

uint32_t RingBack(const RingView& ring, uint32_t index, uint64_t offset) {
  if (!ring.valid) return 0;
  uint64_t back = offset % ring.length;
  return static_cast<uint32_t>((index + ring.length - back) % ring.length);
}
