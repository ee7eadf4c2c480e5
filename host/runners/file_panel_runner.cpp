#include "host/runners/file_panel_runner.h"

#include <stdlib.h>
#include <string.h>

#include <sstream>

#include "host/runners/drawing_library.h"
#include "host/services/dispatch.h"

namespace host {
namespace {

struct NamedKey {
  const char* name;
  PanelKey key;
};

const NamedKey kKeys[] = {
    {"up", {1, 1}},      {"down", {1, 3}},     {"pgdn", {1, 2}},     {"pgup", {1, 4}},
    {"home", {1, 6}},    {"end", {1, 8}},      {"enter", {1, 255}},  {"tab", {1, 3}},
    {"back", {1, 1}},    {"mark", {24, 0}},    {"markall", {25, 0}}, {"delete", {23, 0}},
    {"sort", {20, 0}},   {"names", {22, 0}},   {"newdir", {21, 0}},  {"clip", {26, 0}},
    {"paste", {27, 0}},  {"erase", {1, 0x2E}}, {"idle", {0, 0}},
};

}  // namespace

const char* const kPanelKeyNames =
    "up down pgup pgdn home end enter tab back mark markall delete sort names\n"
    "      newdir clip paste erase idle type:TEXT CODE/CHAR";

bool ParsePanelKeys(const std::string& script, std::vector<PanelKey>* keys, std::string* error) {
  std::string text = script;
  for (char& c : text)
    if (c == ',') c = ' ';
  std::stringstream words(text);
  std::string word;
  while (words >> word) {
    if (word.rfind("type:", 0) == 0) {
      for (char c : word.substr(5)) keys->push_back({1, static_cast<uint8_t>(c == '.' ? 0x2B : c)});
      continue;
    }
    bool found = false;
    for (const NamedKey& k : kKeys)
      if (word == k.name) {
        keys->push_back(k.key);
        found = true;
      }
    if (found) continue;
    unsigned code = 0, character = 0;
    char extra;
    if (sscanf(word.c_str(), "%u/%u%c", &code, &character, &extra) == 2 && code < 256 &&
        character < 256) {
      keys->push_back({static_cast<uint8_t>(code), static_cast<uint8_t>(character)});
      continue;
    }
    *error = "unknown key \"" + word + "\"";
    return false;
  }
  return true;
}

FilePanelRunner::FilePanelRunner(FileServices& files, Screen& screen, const volatile uint32_t* ticks,
                                 uint32_t frequency)
    : files_(files), graphics_(screen), ticks_(ticks), frequency_(frequency) {}

bool FilePanelRunner::Load(const FilePanelOptions& o, std::string* error) {
  if (!library_.Open(LibraryPath("Anvil"), error)) return false;
  start_ = library_.Bind<DirFn>("DirStart");
  cont_ = library_.Bind<DirFn>("DirCont");
  if (!start_ || !cont_) {
    *error = "the Anvil library lacks the file manager's exports";
    return false;
  }
  if (!InitDrawingLibrary(library_, "Anvil", &files_.table(), &graphics_.table(), o.language, error)) return false;
  anvil_.SetSystemDirectory(o.system_directory);
  anvil_.SetSortPreset(o.preset);
  if (o.word769_set) anvil_.cnc_record()[769] = o.word769;
  if (anvil_.Initialise(library_) < 0) {
    *error = "the Anvil library lacks AnvilInit";
    return false;
  }
  root_ = o.root;
  memset(&info_, 0, sizeof info_);
  info_.left = static_cast<uint16_t>(o.left);
  info_.top = static_cast<uint16_t>(o.top);
  info_.right = static_cast<uint16_t>(o.right);
  info_.bottom = static_cast<uint16_t>(o.bottom);
  info_.root = root_.c_str();
  info_.mode = o.mode;
  strncpy(info_.path, o.path.c_str(), sizeof info_.path - 1);
  strncpy(info_.filter, o.filter.c_str(), sizeof info_.filter - 1);
  info_.ticks = ticks_;
  info_.frequency = frequency_;
  return true;
}

uint32_t FilePanelRunner::Start() { return start_(&info_); }

uint32_t FilePanelRunner::Cont(PanelKey key) {
  info_.key_code = key.code;
  info_.key_char = key.character;
  return cont_(&info_);
}

uint32_t FilePanelRunner::Settle(uint32_t limit) {
  uint32_t calls = 0;
  for (; calls < limit; ++calls) {
    uint64_t before = DispatchCount();
    Cont();
    if (DispatchCount() == before) break;
  }
  return calls;
}

}  // namespace host
