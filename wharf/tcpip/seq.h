// Comparisons of TCP sequence numbers on the 32-bit circle. Every comparison
// of sequence or acknowledgment numbers in the stack goes through these, so
// a connection keeps working when its numbers wrap past 2^32.
#pragma once

#include <stdint.h>

namespace tcpip {

// a before b (a < b on the circle: b lies less than 2^31 ahead of a).
inline bool SeqBefore(uint32_t a, uint32_t b) { return static_cast<int32_t>(a - b) < 0; }
// a before or equal to b.
inline bool SeqBeforeOrEqual(uint32_t a, uint32_t b) {
  return static_cast<int32_t>(a - b) <= 0;
}
// x in [a, b] on the circle; when b is before a the interval wraps.
inline bool SeqInRange(uint32_t x, uint32_t a, uint32_t b) { return x - a <= b - a; }

}  // namespace tcpip
