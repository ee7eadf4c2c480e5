#include "wharf/tcpip/clock.h"

#include <time.h>

namespace tcpip {
namespace {

// Platform tick counter: monotonic time in 5.5 ms ticks.
uint32_t MonotonicTicks() {
  timespec now;
  if (clock_gettime(CLOCK_MONOTONIC, &now) != 0) return 0;
  uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000u +
                static_cast<uint64_t>(now.tv_nsec) / 1000000u;
  return static_cast<uint32_t>(ms * 2u / 11u);
}

TickSource g_tick_source = MonotonicTicks;

}  // namespace

void ClockSetTickSource(TickSource source) {
  g_tick_source = source != nullptr ? source : MonotonicTicks;
}

uint32_t ClockRead() { return ClockFromTicks(g_tick_source()); }

}  // namespace tcpip
