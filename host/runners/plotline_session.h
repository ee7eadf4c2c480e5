// libPlotline's path view with everything it runs on: the simulated CNC
// state holding an ISO program, the screen, a free-running tick counter
// and the runner, set up as the control does it. The batch command and the
// console both build it, so the same keys and run steps paint the same
// screen in both.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "host/commands/key_script.h"
#include "host/runners/plotline_runner.h"
#include "host/screen/screen.h"
#include "host/services/cnc_state.h"
#include "host/services/dispatch.h"
#include "host/services/tick_clock.h"

namespace host {

class PlotlineSession {
 public:
  PlotlineSession(const MachineDescription& machine, int width, int height);
  // Loads `program` (named `file` in messages) into the CNC state and the
  // library with `view` (its window is the whole screen); false with *error.
  // *program_fault tells a bad program from a library that would not load.
  bool Load(const std::string& program, const std::string& file, PlotlineOptions view, std::string* error,
            bool* program_fault);
  // The machine at the program's start, the prefix and the whole drawing,
  // then `orientation` times the plan's next orientation; the DATA calls.
  uint32_t Start(int orientation);
  // A key pressed and the drawing completed; the DATA calls.
  uint32_t Key(uint8_t key);
  // Step `step` of `steps` of the machine running the program: the
  // executed count grows along the blocks and the tool stands at the end
  // of the last one executed; the DATA calls.
  uint32_t RunStep(int step, int steps);
  uint32_t blocks() const { return cnc_.count_b; }
  Screen& screen() { return screen_; }

 private:
  void ToolAtEntry(uint32_t n);

  CncState cnc_;
  Screen screen_;
  TickClock clock_;
  PlotlineRunner runner_;
  ScopedDispatchObserver refresh_;
};

// Keys are the path view's own key codes 1 to 255.
extern const KeyTable kPlotlineKeys;

// A key script of the path view as keys between run steps: the keys before
// any wait are pressed before the run starts, "wait N" lets N run steps
// pass. A script ending with a wait stops the run after the steps it
// counts (*stop; 0 when it ends with a key: the run goes to its end). False
// with *error naming a step that is neither a key code nor a wait.
struct PlotlineKey {
  uint64_t after_steps;
  uint8_t code;
};
bool PlotlineKeys(const std::vector<KeyStep>& steps, std::vector<PlotlineKey>* keys, uint64_t* stop,
                  std::string* error);

}  // namespace host
