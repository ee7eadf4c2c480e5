// The signal scope with everything it runs on, set up as the control does
// it: the drive folder with c:\glint, a 640x480 screen and its display
// block, the scope runner with its sample ring, and the host's soft-key bar
// labelled from Vitals' texts. The batch command and the console both build
// it and hand it the same steps, so the same keys and waits paint the same
// screen in both.
#pragma once

#include <stdint.h>

#include <string>

#include "host/commands/key_script.h"
#include "host/runners/scope_runner.h"
#include "host/runners/scope_softkeys.h"
#include "host/screen/screen.h"
#include "host/services/display_services.h"
#include "host/services/file_services.h"
#include "host/services/loader.h"

namespace host {

struct ScopeSettings {
  ScopeHostOptions host;
  Recording recording;
  int64_t run_ms = -1;  // from 0: the host records from the start for that long
  uint32_t language = 9;
};

// Signals shown when none are asked for: four analog channels and four
// digital pulse trains (channels 6 to 9, given digital descriptors).
void DefaultScopeSignals(SignalShape (&signals)[kGlintChannels]);

// The settings' recording from generated signals, with a digital
// descriptor for each digital signal whose type was not `typed`.
void UseGeneratedSignals(const SignalShape (&signals)[kGlintChannels], uint32_t rows, int64_t trigger_row,
                         const bool (&typed)[kGlintChannels], ScopeSettings* settings);

class ScopeSession {
 public:
  // `folder` is the drive folder the library's file services reach; its
  // c/glint holds the settings file.
  explicit ScopeSession(const std::string& folder);
  // Loads the libraries and opens the screen; false with *error.
  bool Open(const ScopeSettings& settings, std::string* error);
  // One step of a key script: a key (one DATA_GLINT call), run, stop,
  // layout, or a wait in simulated milliseconds. "png" is the caller's.
  void Step(const KeyStep& step);
  // The screen with the host's soft-key bar drawn under the scope.
  Screen& Picture();
  ScopeRunner& runner() { return runner_; }

 private:
  FileServices files_;
  Screen screen_;
  DisplayServices display_;
  ScopeRunner runner_;
  Library vitals_;
  const char* (*label_)(uint32_t) = nullptr;  // Vitals' GetLocString, when it loaded
  ScopeBar bar_ = ScopeBar::kMain;
};

}  // namespace host
