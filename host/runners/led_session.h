// libMosaic's LED status window with everything it draws on, set up as the
// control does: a 640 x 480 form screen, the display block, the shared
// memory block (correction, transformation state and coefficients) and the
// library. `hostsim led` and the console both build it, so the same
// settings paint the same window in both.
#pragma once

#include <stdint.h>

#include <string>

#include "host/runners/mosaic_runner.h"
#include "host/screen/screen.h"
#include "host/services/display_services.h"
#include "host/services/file_services.h"
#include "host/services/host_memory.h"

namespace host {

struct LedSettings {
  MosaicTransform transform = MosaicTransform::kOff;
  int32_t correction = 0;  // second height-sensor correction, eighths of a micrometre
  long double coefficients[4] = {1, 0, 0, 1};  // transformation coefficients 0, 1, 3 and 4
};

class LedSession {
 public:
  // `folder` is the drive folder the library's file services reach.
  explicit LedSession(const std::string& folder);
  LedSession(const LedSession&) = delete;
  LedSession& operator=(const LedSession&) = delete;

  // Loads libMosaic with the operator's language; false with *error.
  bool Load(uint32_t language, std::string* error);
  // Writes the settings into the shared memory block.
  void Apply(const LedSettings& settings);
  // The status area in the window's background, the common dialog (Start,
  // Cont, Stop: it takes over the palette), then the LED window. "" or
  // what did not return 0.
  std::string Draw();
  MosaicRunner& mosaic() { return mosaic_; }
  Screen& screen() { return screen_; }
  size_t display_calls() { return display_.recorder().calls().size(); }

 private:
  FileServices files_;
  Screen screen_{640, 480};
  DisplayServices display_;
  HostMemory memory_;
  MosaicRunner mosaic_;
};

}  // namespace host
