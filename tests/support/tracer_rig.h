// Tracer's host for tests: a sandbox, a 640 x 480 screen with the display
// block (form-style texts), the STRUCT_TRACER host, and libTracer loaded
// through the runner, English texts unless told otherwise.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "host/runners/tracer_runner.h"
#include "host/screen/screen.h"
#include "host/services/display_services.h"
#include "host/services/tracer_host.h"
#include "tests/support/sandbox.h"

namespace testing_support {

class TracerRig {
 public:
  explicit TracerRig(uint32_t language = 9);

  // Runs a key script in the open form (as hostsim table-form takes it);
  // returns the last data call's result (9 = finished).
  int Keys(const std::string& script);

  // Texts written at a form-style text position, in order.
  std::vector<std::string> TextsAt(int x, int y) const;
  std::string LastTextAt(int x, int y) const;
  // Fills (word 21) and arcs (word 25) since the last Clear(): x, y, w, h
  // (an arc: centre x, y and radius as w) and the colour set before it.
  struct Shape {
    int x, y, w, h;
    int colour;
    bool operator==(const Shape&) const = default;
  };
  std::vector<Shape> Fills() const;
  std::vector<Shape> Arcs() const;
  void Clear() { display.recorder().Clear(); }

  Sandbox box;
  host::Screen screen{640, 480};
  host::DisplayServices display{screen, host::TextStyle::kForm};
  host::TracerHost host{display, &box.files()};
  host::TracerRunner runner{host, box.files()};
};

}  // namespace testing_support
