// Wharf's millisecond clock, computed from the platform's timer tick counter
// (one tick counts as 5.5 ms). On Linux the ticks come from the monotonic
// clock; tests replace the tick source to drive time themselves.
#pragma once

#include <stdint.h>

namespace tcpip {

using TickSource = uint32_t (*)();

// Replaces the tick source; null restores the platform's counter.
void ClockSetTickSource(TickSource source);

// Milliseconds for a tick count: ticks x 5.5. Computed as 5t + t/2, which
// equals ticks x 55 / 10 without the overflow of the 32-bit product, so the
// clock runs on continuously (modulo 2^32) instead of jumping back every
// five days and firing every time-out at once.
inline uint32_t ClockFromTicks(uint32_t ticks) { return ticks * 5u + ticks / 2u; }

// Reads the tick source and converts.
uint32_t ClockRead();

}  // namespace tcpip
