// libTracer's path graphics with everything it runs on: a 640x480 form
// screen, the display block, the Tracer record holding the machine's axes,
// and the machine moving along an ISO program at a fixed feed per call.
// The batch command and the console both build it, so the same calls with
// the same keys draw the same screen in both.
#pragma once

#include <stdint.h>

#include <map>
#include <string>
#include <vector>

#include "host/commands/key_script.h"
#include "host/runners/path_motion.h"
#include "host/runners/tracer_stage.h"

namespace host {

// The path graphics' keys: origin, zoom-out, zoom-in, plane, snapshot (1..5).
extern const KeyTable kPathKeys;

struct PathSettings {
  uint32_t language = 9;
  uint8_t layout = 1;   // 1 whole width, 2 right half, 3 left half
  uint8_t zoom = 8;     // zoom index 0..12
  uint8_t origin = 0;   // origin position 0..8
  std::string mode_text = "S000";
  double tool_radius_mm = 2;  // 0: no circle
  uint8_t trail = 0;          // trail colour 0..2
  double feed_mm = 1;         // millimetres moved per call
};

class PathSession {
 public:
  // `folder` is the drive folder the library's file services reach.
  explicit PathSession(const std::string& folder);
  // Reads the program and loads the library; false with *error.
  bool Load(const std::string& program, const PathSettings& settings, std::string* error);
  // The host's window cleared and the path screen's prefix.
  void Start();
  // One periodic call: with a key (1..5) the key's call, without one the
  // machine moves on by one feed step (a call with nothing to do once it
  // stands at the program's end).
  void Call(uint8_t key);
  // True until the machine reached the program's end.
  bool moving() const;
  uint64_t calls() const { return calls_; }
  size_t segments() const { return motion_.segments(); }
  Screen& screen() { return stage_.screen; }

 private:
  TracerStage stage_;
  PathMotion motion_;
  double feed_ = 1000;
  bool stepping_ = true;
  int64_t reached_x_ = 0, reached_y_ = 0;
  uint64_t calls_ = 0;
};

// The calls a key script presses its keys at: "wait N" lets N calls pass
// without a key, and each key takes a call of its own. A script that ends
// with a wait ends the run at its last call (*stop; 0 when it ends with a
// key: the machine runs to the program's end). False with *error naming a
// step that is no key of the path graphics.
bool PathKeyCalls(const std::vector<KeyStep>& steps, std::map<uint64_t, uint8_t>* keys, uint64_t* stop,
                  std::string* error);

}  // namespace host
