#include "wharf/tcpip/ring.h"

#include <string.h>

namespace tcpip {

void RingInit(ByteRing* ring, uint16_t capacity) {
  ring->capacity = capacity <= kRingStorage ? capacity : kRingStorage;
  ring->count = 0;
  ring->head = 0;
}

bool RingAppend(ByteRing* ring, const uint8_t* bytes, uint16_t n) {
  if (RingFree(ring) < n) return false;
  if (n == 0) return true;
  uint16_t tail = static_cast<uint16_t>((ring->head + ring->count) % ring->capacity);
  uint16_t first = static_cast<uint16_t>(ring->capacity - tail);
  if (first > n) first = n;
  memcpy(ring->data + tail, bytes, first);
  memcpy(ring->data, bytes + first, n - first);
  ring->count = static_cast<uint16_t>(ring->count + n);
  return true;
}

uint16_t RingTake(ByteRing* ring, uint8_t* out, uint16_t n, bool remove) {
  if (n > ring->count) n = ring->count;
  if (n == 0) return 0;
  uint16_t first = static_cast<uint16_t>(ring->capacity - ring->head);
  if (first > n) first = n;
  memcpy(out, ring->data + ring->head, first);
  memcpy(out + first, ring->data, n - first);
  if (remove) RingDrop(ring, n);
  return n;
}

uint16_t RingDrop(ByteRing* ring, uint16_t n) {
  if (n > ring->count) n = ring->count;
  if (n == 0) return 0;
  ring->head = static_cast<uint16_t>((ring->head + n) % ring->capacity);
  ring->count = static_cast<uint16_t>(ring->count - n);
  if (ring->count == 0) ring->head = 0;
  return n;
}

}  // namespace tcpip
