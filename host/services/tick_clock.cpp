#include "host/services/tick_clock.h"

#include <time.h>

namespace host {

uint64_t MonotonicMicroseconds() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1000000u + static_cast<uint64_t>(ts.tv_nsec) / 1000;
}

namespace {
// The counter is the clock's low 32 bits: it wraps as the hardware's does.
uint32_t CounterNow() { return static_cast<uint32_t>(MonotonicMicroseconds()); }
}  // namespace

static_assert(sizeof(std::atomic<uint32_t>) == 4, "the counter is read as a plain u32");

TickClock::TickClock() {
  ticks_ = CounterNow();
  thread_ = std::thread([this] {
    while (running_.load()) {
      ticks_.store(CounterNow());
      // A fifth of a millisecond: the libraries slice their work in
      // milliseconds, and the service calls refresh the counter anyway; a
      // finer pause only costs a processor, most of all under an emulator.
      timespec pause = {0, 200000};
      nanosleep(&pause, nullptr);
    }
  });
}

void TickClock::Refresh() { ticks_.store(CounterNow()); }

TickClock::~TickClock() {
  running_ = false;
  thread_.join();
}

}  // namespace host
