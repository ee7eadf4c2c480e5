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

// The counter values during which a slice begun now has lasted less than
// `slice_ms` milliseconds, as ElapsedMs of ViewMilliseconds counts them:
// [low, high). Found once per slice, so that the check after every line
// reads the counter and compares it instead of dividing it. The direction
// does not matter: inverting both values keeps their distance.
struct ViewSlice {
  const volatile uint32_t* ticks;
  uint64_t low, high;
};

inline ViewSlice BeginViewSlice(const volatile uint32_t* ticks, uint32_t frequency,
                                uint32_t slice_ms) {
  // Without a counter the milliseconds stay 0: no slice ends by time.
  if (ticks == nullptr) return {nullptr, 0, ~0ull};
  if (slice_ms == 0) return {ticks, 1, 0};  // over at once
  uint64_t per_ms = TicksPerMillisecond(frequency);
  uint64_t start_ms = *ticks / per_ms;
  // Whole milliseconds from start_ms within slice_ms - 1 either way.
  uint64_t reach = slice_ms - 1;
  uint64_t low = start_ms >= reach ? (start_ms - reach) * per_ms : 0;
  return {ticks, low, (start_ms + reach + 1) * per_ms};
}

inline bool ViewSliceOver(const ViewSlice& slice) {
  if (slice.ticks == nullptr) return false;
  uint32_t now = *slice.ticks;
  return now < slice.low || now >= slice.high;
}
