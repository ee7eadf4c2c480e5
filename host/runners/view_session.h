// Everything a program view runs on, set up as the control does it: file
// services over a drive folder, the screen, a live tick counter (brought up
// to date on every service call) and the view runner watching the texts it
// writes. The batch command and the console both build it.
#pragma once

#include <string>

#include "host/runners/view_runner.h"
#include "host/screen/screen.h"
#include "host/services/dispatch.h"
#include "host/services/file_services.h"
#include "host/services/tick_clock.h"

namespace host {

class ViewSession {
 public:
  // `folder` is the drive folder ("c:\..." is <folder>/c/...).
  ViewSession(const std::string& folder, int width, int height);
  bool Load(const ViewOptions& options, std::string* error) { return runner_.Load(options, error); }
  // Why a finished run failed, as UTF-8 ("" when it drew the program): the
  // view's own error text, an empty drawing, or a view that never finished.
  std::string Failure(const ViewRun& run, bool iso) const;

  FileServices& files() { return files_; }
  Screen& screen() { return screen_; }
  ViewRunner& runner() { return runner_; }

 private:
  FileServices files_;
  Screen screen_;
  TickClock clock_;
  ViewRunner runner_;
  ScopedDispatchObserver refresh_;
};

}  // namespace host
