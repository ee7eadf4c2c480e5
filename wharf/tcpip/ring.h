// Byte ring: a fixed 1072-byte FIFO. Append is all or nothing; take and drop
// work on min(n, count) bytes from the head.
//
// Invariant: count <= capacity <= kRingStorage, head < capacity (or 0 when
// the capacity is 0, as in a cleared record).
#pragma once

#include <stdint.h>

namespace tcpip {

constexpr uint16_t kRingStorage = 1072;

struct ByteRing {
  uint16_t capacity;
  uint16_t count;
  uint16_t head;   // index of the oldest byte
  uint8_t data[kRingStorage];
};

// Empties the ring and sets its capacity (at most kRingStorage).
void RingInit(ByteRing* ring, uint16_t capacity);
// Free room: capacity - count.
inline uint16_t RingFree(const ByteRing* ring) {
  return static_cast<uint16_t>(ring->capacity - ring->count);
}
// Appends n bytes; returns false, storing nothing, when they do not fit.
bool RingAppend(ByteRing* ring, const uint8_t* bytes, uint16_t n);
// Copies min(n, count) bytes from the head into out; removes them when
// `remove` is set. Returns the number copied.
uint16_t RingTake(ByteRing* ring, uint8_t* out, uint16_t n, bool remove);
// Removes min(n, count) bytes from the head; returns the number removed.
uint16_t RingDrop(ByteRing* ring, uint16_t n);

}  // namespace tcpip
