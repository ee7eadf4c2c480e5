// libVitals loaded fresh (static state as at load) over a sandbox, a screen,
// the display block and the shared host memory; shared by the Vitals tests.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "host/runners/event_ring_text.h"
#include "host/runners/vitals_runner.h"
#include "host/screen/screen.h"
#include "tests/support/sandbox.h"

namespace testing_support {

// A text the library wrote: where its box was, and the text (UTF-8).
struct ScreenText {
  int x, y;
  std::string text;
  int fg, bg;
};

class VitalsHost {
 public:
  // Loads the library; `language` 0 leaves it without a table; `init`
  // false skips INIT_VITALS.
  explicit VitalsHost(uint32_t language = 9, bool init = true);
  host::VitalsRunner& runner() { return runner_; }
  host::HostMemory& memory() { return memory_; }
  host::DisplayServices& display() { return display_; }
  Sandbox& box() { return box_; }

  // Texts written since the last call (the recorder is cleared).
  std::vector<ScreenText> TakeTexts();
  // The last text written with its box at (x, y); "?" when none.
  static std::string TextAt(const std::vector<ScreenText>& texts, int x, int y);
  // Puts events (as hostsim's ring files write them) into the ring.
  void AddEvents(const std::string& lines);

 private:
  Sandbox box_;
  host::Screen screen_;
  host::DisplayServices display_;
  host::HostMemory memory_;
  host::VitalsRunner runner_;
};

// `n` events "HH:MM:SS Ek cls description k" with k counting from `first`.
std::string NumberedEvents(int n, int first = 0, const std::string& cls = "1");

}  // namespace testing_support
