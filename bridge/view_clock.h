// The views' clock: milliseconds of the host's tick counter, which the
// host's records supply as a pointer, a frequency and a direction.
#pragma once

#include "bridge/host_api.h"

// Ticks in one millisecond. A frequency below 1000 ticks per second (or 0)
// would give 0 and divide by zero; its ticks are taken as milliseconds.
inline uint32_t TicksPerMillisecond(uint32_t frequency) {
  uint32_t per_ms = frequency / 1000;
  return per_ms == 0 ? 1 : per_ms;
}

// counter / (frequency / 1000), bit-inverted when the counter counts down;
// 0 without a counter.
inline uint32_t ViewMilliseconds(const volatile uint32_t* ticks, uint32_t frequency,
                                 bool counts_down) {
  if (ticks == nullptr) return 0;
  uint32_t ms = *ticks / TicksPerMillisecond(frequency);
  return counts_down ? ~ms : ms;
}

inline uint32_t ElapsedMs(uint32_t now, uint32_t then) {
  return now >= then ? now - then : then - now;
}
