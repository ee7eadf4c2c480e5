// Anvil's file manager over a fresh sandbox, driven through its exports
// with a tick counter the test owns; shared by the file manager's tests.
#pragma once

#include <stdint.h>

#include <memory>
#include <string>
#include <vector>

#include "host/runners/file_panel_runner.h"
#include "tests/support/sandbox.h"

namespace testing_support {

class FilePanel {
 public:
  // The panel starts at `path` (root "c:\") once Start() is called;
  // options may be changed before.
  explicit FilePanel(const std::string& path = "c:\\");
  ~FilePanel();

  host::FilePanelOptions& options() { return options_; }
  Sandbox& box() { return box_; }
  host::FilePanelRunner& runner() { return *runner_; }
  _DIR_INFO& info() { return runner_->info(); }
  volatile uint32_t& ticks() { return ticks_; }

  // Loads and initialises the library (once) and calls DirStart, then
  // DirCont until the panel rests. Fails the test on loading problems.
  void Start();
  // Each key of the script (see host::ParsePanelKeys), each followed by
  // DirCont calls until the panel rests.
  void Press(const std::string& script);
  // The entries in the panel's order, as the name under the cursor shows
  // them (the cursor ends on the first entry).
  std::vector<std::string> Names();
  // Moves the cursor onto the entry shown as `name`; false if absent.
  bool CursorTo(const std::string& name);
  // Texts written to the screen since the last call.
  std::vector<std::string> TakeTexts();
  uint32_t panel_message() { return info().message; }
  std::string panel_text() { return info().message_text; }
  uint16_t host_message() { return runner_->host_message(); }
  void ClearMessages();

 private:
  Sandbox box_;
  host::Screen screen_;
  std::unique_ptr<host::FilePanelRunner> runner_;
  host::FilePanelOptions options_;
  volatile uint32_t ticks_ = 0;
  bool loaded_ = false;
};

}  // namespace testing_support
