// Everything the transformation dialog of libTracer runs on, set up as the
// control does it: a 640x480 form screen, the display block, the Tracer
// record with the dialog's host side, and the library loaded. The batch
// command and the console both build it, so the same keys paint the same
// screen in both.
#pragma once

#include <stdint.h>

#include <string>

#include "host/runners/dialog_runner.h"
#include "host/runners/tracer_stage.h"
#include "host/services/dialog_host.h"

namespace host {

struct DialogSettings {
  uint32_t language = 9;
  int type = 1;         // transformation type 1..3 (others: none chosen)
  bool active = false;  // the type's transformation is active
};

class DialogSession {
 public:
  // `folder` is the drive folder the library's file services reach.
  explicit DialogSession(const std::string& folder);
  // Loads the library and fills the record; false with *error.
  bool Load(const DialogSettings& settings, std::string* error);
  int Prefix() { return run_.Prefix(); }
  int Data(uint8_t key) { return run_.Data(key); }

  Screen& screen() { return stage_.screen; }
  DialogHost& dialog() { return dialog_; }

 private:
  TracerStage stage_;
  DialogHost dialog_;
  DialogRunner run_;
};

}  // namespace host
