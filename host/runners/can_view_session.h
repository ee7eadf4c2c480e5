// Anvil's CAN bus monitor with everything it runs on, set up as the
// control does it: the drive folder with c:\system (where the recording
// lands), the screen, the simulated CAN bus with its logs and a 1 MHz tick
// counter driven by a simulated millisecond clock. CanData and CanViewCont
// run every 2 ms of that clock. The batch command and the console both
// build it and hand it the same steps, so the same keys and waits paint
// the same screen in both.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "host/commands/key_script.h"
#include "host/runners/can_view_runner.h"
#include "host/screen/screen.h"
#include "host/services/file_services.h"

namespace host {

// The monitor's keys (`hostsim canview --keys`).
extern const KeyTable kCanViewKeys;

// The clock's step: CanData and CanViewCont every 2 ms.
constexpr uint32_t kCanStepMs = 2;
// The clock the monitor runs on at the end, before its picture is taken:
// the last pane drawn and the other one (each is redrawn every 100 ms).
constexpr uint32_t kCanSettleMs = 2 * 102;

struct CanViewSource {
  int channel = 1;
  std::vector<CanLogFrame> frames;
};

struct CanViewSettings {
  CanViewOptions options;
  std::vector<CanViewSource> sources;
  bool paced = true;  // each frame at its recorded time (else as soon as the ring takes it)
  uint32_t mailbox_delay_ms = 2;
};

class CanViewSession {
 public:
  // `folder` is the drive folder the library's file services reach.
  CanViewSession(const std::string& folder, int width, int height);
  // Loads Anvil, starts the bus and opens the window; false with *error.
  bool Open(const CanViewSettings& settings, std::string* error);
  // One step of a key script: a key (CanViewCont with it, then one clock
  // step), typed characters, or a wait in milliseconds of the clock.
  void Step(const KeyStep& step);
  // Runs the clock `ms` on (in whole steps; an odd count ends a
  // millisecond later).
  void Run(uint32_t ms);
  Screen& screen() { return screen_; }
  CanViewRunner& runner() { return runner_; }
  // The folder the library writes its recording into.
  const std::string& system_folder() const { return system_; }

 private:
  std::string system_;
  FileServices files_;
  Screen screen_;
  volatile uint32_t ticks_ = 0;
  CanViewRunner runner_;
  uint32_t now_ = 0;  // the clock, ms
};

}  // namespace host
