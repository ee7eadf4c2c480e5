#include "host/console/timed_screen.h"

#include "host/services/tick_clock.h"

namespace host {
namespace {

// Frames of a running screen go out at most this often.
constexpr uint32_t kFrameIntervalMs = 40;

}  // namespace

void RunTimedScreen(TimedScreen& screen, OperationLink& link) {
  uint64_t since_us = 0;  // the last key (or the start) on the real clock
  uint32_t applied = 0;   // clock ms run since then
  // The screen settles at once: its clock runs ahead of the real one
  // until the real one catches up.
  auto settle = [&] {
    since_us = MonotonicMicroseconds() - screen.settle_ms * 1000ull;
    applied = screen.settle_ms;
    if (applied > 0) screen.advance(applied);
    link.SinceKey(0);
    link.Frame(screen.picture());
  };
  // Runs the clock to the whole cycles the real one has reached.
  auto catch_up = [&] {
    const uint64_t real_ms = (MonotonicMicroseconds() - since_us) / 1000;
    const uint32_t due = static_cast<uint32_t>(real_ms - real_ms % screen.cycle_ms);
    if (due <= applied) return false;
    screen.advance(due - applied);
    applied = due;
    return true;
  };
  settle();
  for (;;) {
    if (catch_up()) {
      link.SinceKey(applied - screen.settle_ms);
      link.FrameEvery(screen.picture(), kFrameIntervalMs);
    }
    const uint64_t real_ms = (MonotonicMicroseconds() - since_us) / 1000;
    const uint64_t next = applied + screen.cycle_ms;
    int code = 0;
    const OperationLink::KeyArrival arrival =
        link.NextKey(real_ms >= next ? 0 : static_cast<int>(next - real_ms), &code);
    if (arrival == OperationLink::kClosed) return;
    if (arrival == OperationLink::kNoKey) continue;
    catch_up();
    link.KeyWait(applied);
    const KeyBinding* key = FindKey(*screen.operation, code);
    std::vector<KeyStep> steps;
    if (key && ParseKeyScript(key->word, *screen.keys, &steps).empty()) screen.press(steps);
    settle();
  }
}

void RunMachineScreen(MachineScreen& screen, OperationLink& link) {
  uint32_t since_key = 0;  // cycles without a key since the last key
  uint64_t next_cycle_us = MonotonicMicroseconds();
  bool stood = false;
  for (;;) {
    int timeout_ms = -1;
    if (screen.running()) {
      const uint64_t now = MonotonicMicroseconds();
      timeout_ms = next_cycle_us > now ? static_cast<int>((next_cycle_us - now + 999) / 1000) : 0;
    }
    int code = 0;
    const OperationLink::KeyArrival arrival = link.NextKey(timeout_ms, &code);
    if (arrival == OperationLink::kClosed) return;
    if (arrival == OperationLink::kKey) {
      link.KeyWait(since_key);
      since_key = 0;
      screen.press(static_cast<uint8_t>(code));
      link.SinceKey(since_key);
      link.Frame(screen.picture());
    } else if (screen.running() && MonotonicMicroseconds() >= next_cycle_us) {
      screen.cycle();
      ++since_key;
      next_cycle_us += screen.cycle_us;
      link.SinceKey(since_key);
      if (screen.running()) link.FrameEvery(screen.picture(), kFrameIntervalMs);
    }
    if (!screen.running() && !stood) {
      stood = true;
      link.Frame(screen.picture());
      screen.finished();
    }
  }
}

}  // namespace host
