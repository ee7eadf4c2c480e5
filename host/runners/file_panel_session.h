// Anvil's file manager with everything it runs on, set up as the control
// does it: drive c: over a folder (the folder itself, or a copy of it with
// its times, so the panel may copy and delete without touching it), drive
// d: an empty scratch folder, the live tick counter, and the runner. Each
// key is one DirCont, then DirCont without a key until the panel has
// nothing more to do by itself. The batch command and the console both
// build it, so the same keys paint the same screen in both.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "host/commands/key_script.h"
#include "host/runners/file_panel_runner.h"
#include "host/screen/screen.h"
#include "host/services/dispatch.h"
#include "host/services/file_services.h"
#include "host/services/tick_clock.h"

namespace host {

// The file manager's keys (each a panel key code and character).
extern const KeyTable kFileKeys;

// Copies the folder `from` to `to` (which must not exist) with every
// file's and folder's modification time, so the copy lists as the
// original does; throws HostError.
void CopyFolderWithTimes(const std::string& from, const std::string& to);

class FilePanelSession {
 public:
  // `drives` is the folder holding the drive folders c and d; drive c: is
  // `folder`, linked, or copied when `copy` is set. Throws HostError.
  FilePanelSession(const std::string& drives, const std::string& folder, bool copy, int width, int height);

  // Loads Anvil with the options (the window is the whole screen).
  bool Load(FilePanelOptions options, std::string* error);
  // DirStart and the calls that follow by themselves.
  void Start();
  // The operator's key: the messages shown are acknowledged first.
  void Key(PanelKey key);
  // The messages that appeared since the last call ("host message N",
  // "panel message N: TEXT").
  std::vector<std::string> TakeMessages();
  // A failure message appeared at some point.
  bool failure() const { return failure_; }
  // "path c:\..., cursor on "NAME"".
  std::string StateLine();

  FilePanelRunner& runner() { return runner_; }
  FileServices& files() { return files_; }
  Screen& screen() { return screen_; }

 private:
  void Note();
  FileServices files_;
  Screen screen_;
  TickClock clock_;
  ScopedDispatchObserver refresh_;
  FilePanelRunner runner_;
  uint16_t host_message_ = 0;
  uint32_t panel_message_ = 0;
  bool failure_ = false;
  std::vector<std::string> messages_;
};

// The console's byte for a panel key: the function keys (codes 20 to 27)
// go as their code, every other key is code 1 with the byte as its
// character.
PanelKey PanelKeyOfByte(uint8_t byte);

}  // namespace host
