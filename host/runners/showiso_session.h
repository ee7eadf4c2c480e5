// The ISO program contour view of libTracer (DLL_SHOWISO) with everything
// it runs on, set up as the control does it: the form screen (640x480, or
// 800x600 in the large layout) with the host's window behind the view, the
// Tracer record with the axis settings and the contour host pointing at
// the program c:\prog\program.nc. The batch command and the console both
// build it, so the same program draws the same screen in both.
#pragma once

#include <stdint.h>

#include <string>

#include "host/runners/contour_runner.h"
#include "host/runners/tracer_stage.h"
#include "host/services/contour_host.h"

namespace host {

struct ShowIsoSettings {
  uint32_t language = 9;
  uint8_t kind = 0;          // display kind 0, 1, 2, 10 or 11
  std::string axes = "XY";   // horizontal and vertical address letters
  uint32_t plane = 0;        // plane type 0..15
  bool diameter = false;     // X words are diameters
  char mode = 'S';           // S halves X on the vertical axis, K on the horizontal
  bool label_left = true;
  bool editor_buffer = false;  // the program as the editor's buffer file
};

class ShowIsoSession {
 public:
  // `folder` is the drive folder holding c\prog\program.nc (and c\edit).
  ShowIsoSession(const std::string& folder, bool large);
  bool Load(const ShowIsoSettings& settings, std::string* error);
  ContourRunner& view() { return view_; }
  Screen& screen() { return stage_.screen; }
  FileServices& files() { return stage_.files; }
  DisplayServices& display() { return stage_.display; }
  ContourHost& contour() { return contour_; }

 private:
  bool large_;
  TracerStage stage_;
  ContourHost contour_;
  ContourRunner view_;
};

}  // namespace host
