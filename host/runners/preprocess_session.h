// The preprocessor with everything it runs on, set up as the control does
// it: a drive folder holding the source's folder as c:\prog (sub-programs,
// data files, FI1EOR), c:\cmos and c:\output, the screen, a free-running
// tick counter and the runner. The batch command and the console both
// build it, so the same keys translate the same program onto the same
// screen in both.
#pragma once

#include <stdint.h>

#include <functional>
#include <string>

#include "host/commands/key_script.h"
#include "host/runners/preprocess_runner.h"
#include "host/screen/screen.h"
#include "host/services/dispatch.h"
#include "host/services/file_services.h"
#include "host/services/tick_clock.h"

namespace host {

// The keys of an input: digits (typed), the point, the sign, delete and enter.
extern const KeyTable kPreprocessKeys;

struct PreprocessSettings {
  uint32_t language = 5;
  bool skip_slash = false;
  int width = 800, height = 600;
};

class PreprocessSession {
 public:
  // Fills the drive `folder` from the source's folder; the ISO program is
  // written to c:\output\<output_name>. Throws HostError when a folder
  // cannot be made or a file not copied.
  PreprocessSession(const std::string& folder, const std::string& source, const std::string& output_name,
                    const PreprocessSettings& settings);
  // Loads the library; false with *error.
  bool Load(std::string* error);
  // Translates: each input is answered with the keys `keys` gives (an
  // answer may come in parts, one key at a time); `after_cont` runs after
  // every PreprocessCont call. Stop is left to the caller.
  PreprocessRun Run(const PreprocessRunner::KeySource& keys, const std::function<void()>& after_cont = {});
  void Stop() { runner_.Stop(); }
  // The ISO program as the host sees it.
  std::string OutputPath() { return files_.Resolve(options_.destination_dos_path); }
  PreprocessRunner& runner() { return runner_; }
  Screen& screen() { return screen_; }
  FileServices& files() { return files_; }

 private:
  PreprocessOptions options_;
  FileServices files_;
  Screen screen_;
  TickClock clock_;
  PreprocessRunner runner_;
  ScopedDispatchObserver refresh_;
};

}  // namespace host
