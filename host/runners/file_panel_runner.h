// Drives Anvil's file manager the way the control's main program does:
// FSPInit, GDIInit, LocalizationInit and AnvilInit once, then DirStart and
// DirCont for each key and periodically, with the panel's record
// (_DIR_INFO) owned here. The host's function table comes from AnvilHost;
// its FTP entries are filled by the caller (Wharf's exports, or fakes).
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "anvil/dir_info.h"
#include "host/screen/screen.h"
#include "host/services/anvil_host.h"
#include "host/services/file_services.h"
#include "host/services/graphics_services.h"
#include "host/services/loader.h"

namespace host {

struct FilePanelOptions {
  std::string path = "c:\\";        // the panel's starting directory
  std::string root = "c:\\";        // its root (".." not listed there)
  uint8_t mode = 1;
  std::string filter = "*";
  bool word769_set = false;
  uint32_t word769 = 0;             // word 769 of the control's state record
  std::string preset;               // the sort preset text
  std::string system_directory = "c:\\system\\";
  uint32_t language = 9;
  int left = 0, top = 0, right = 799, bottom = 599;
};

// One key as the host puts it into the record.
struct PanelKey {
  uint8_t code;
  uint8_t character;
};

// Parses a key script: keys separated by blanks or commas, each a name
// (up, down, pgup, pgdn, home, end, enter, tab, back, mark, markall,
// delete, sort, names, newdir, clip, paste, erase, idle) or "type:TEXT"
// (one key per character; '.' goes as 0x2B, the dialogs' decimal point)
// or CODE/CHAR in decimal. "idle" is a DirCont without a key. False with
// *error naming the bad key.
bool ParsePanelKeys(const std::string& script, std::vector<PanelKey>* keys, std::string* error);
// The key names and what they send, for the usage text.
extern const char* const kPanelKeyNames;

class FilePanelRunner {
 public:
  // `ticks` and `frequency` are the counter the panel's record points to
  // (null: the record gives none).
  FilePanelRunner(FileServices& files, Screen& screen, const volatile uint32_t* ticks,
                  uint32_t frequency);

  // Loads Anvil and initialises it; false with *error set.
  bool Load(const FilePanelOptions& options, std::string* error);

  uint32_t Start();
  uint32_t Cont(PanelKey key = {0, 0});
  // DirCont without a key until a call uses no host service at all (the
  // panel has nothing more to do by itself), at most `limit` calls.
  uint32_t Settle(uint32_t limit = 100000);

  _DIR_INFO& info() { return info_; }
  AnvilHost& anvil() { return anvil_; }
  GraphicsServices& graphics() { return graphics_; }
  Library& library() { return library_; }
  // The host's message word.
  uint16_t host_message() const { return anvil_.message(); }

 private:
  typedef uint32_t (*DirFn)(_DIR_INFO*);
  FileServices& files_;
  GraphicsServices graphics_;
  Library library_;
  AnvilHost anvil_;
  _DIR_INFO info_{};
  std::string root_;
  DirFn start_ = nullptr, cont_ = nullptr;
  const volatile uint32_t* ticks_;
  uint32_t frequency_;
};

}  // namespace host
