// Packed points and sizes of the display block: x (or width) in the low 16
// bits, y (or height) in the high 16 bits.
#pragma once

#include <stdint.h>

inline uint32_t PackPoint(int64_t x, int64_t y) {
  return (static_cast<uint32_t>(x) & 0xFFFFu) | (static_cast<uint32_t>(y) & 0xFFFFu) << 16;
}
