// A free-running tick counter the host hands to the libraries by pointer,
// advanced from the monotonic clock by a thread of the host, as hardware
// would advance it.
#pragma once

#include <stdint.h>

#include <atomic>
#include <thread>

namespace host {

// Microseconds of the monotonic clock, for measuring how long a call took.
uint64_t MonotonicMicroseconds();

class TickClock {
 public:
  static constexpr uint32_t kFrequency = 1000000;  // ticks per second
  TickClock();
  ~TickClock();
  TickClock(const TickClock&) = delete;
  TickClock& operator=(const TickClock&) = delete;
  const volatile uint32_t* counter() const {
    return reinterpret_cast<const volatile uint32_t*>(&ticks_);
  }
  uint32_t now() const { return ticks_.load(); }
  // Brings the counter up to date at once; the host calls it on every
  // service call too, so a busy machine that starves the thread cannot
  // freeze the libraries' notion of time.
  void Refresh();

 private:
  std::atomic<uint32_t> ticks_{0};
  std::atomic<bool> running_{true};
  std::thread thread_;
};

}  // namespace host
