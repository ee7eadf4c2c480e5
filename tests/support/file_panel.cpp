#include "tests/support/file_panel.h"

#include <gtest/gtest.h>
#include <stdlib.h>

namespace testing_support {

FilePanel::FilePanel(const std::string& path) : screen_(800, 600) {
  setenv("HOSTSIM_LIB_DIR", TEST_LIB_DIR, 1);
  options_.path = path;
  runner_ = std::make_unique<host::FilePanelRunner>(box_.files(), screen_, &ticks_, 1000);
}

FilePanel::~FilePanel() = default;

void FilePanel::Start() {
  if (!loaded_) {
    std::string error;
    ASSERT_TRUE(runner_->Load(options_, &error)) << error;
    loaded_ = true;
  }
  runner_->Start();
  runner_->Settle();
}

void FilePanel::Press(const std::string& script) {
  std::vector<host::PanelKey> keys;
  std::string error;
  ASSERT_TRUE(host::ParsePanelKeys(script, &keys, &error)) << error;
  for (const host::PanelKey& k : keys) {
    runner_->Cont(k);
    runner_->Settle();
  }
}

std::vector<std::string> FilePanel::Names() {
  // The cursor stops on the last entry: a name that does not change ends
  // the walk (the tests give neighbours distinct names).
  std::vector<std::string> names;
  Press("home");
  if (info().name[0] == '\0') return names;
  for (int i = 0; i < 2100; ++i) {
    names.push_back(info().name);
    Press("down");
    if (names.back() == info().name) break;
  }
  Press("home");
  return names;
}

bool FilePanel::CursorTo(const std::string& name) {
  Press("home");
  for (int i = 0; i < 2100; ++i) {
    if (name == info().name) return true;
    std::string before = info().name;
    Press("down");
    if (before == info().name) return false;
  }
  return false;
}

std::vector<std::string> FilePanel::TakeTexts() {
  std::vector<std::string> texts;
  for (const std::string& d : runner_->graphics().recorder().Descriptions()) {
    size_t q = d.find("GdiWriteText \"");
    if (q != std::string::npos) texts.push_back(d.substr(q + 14, d.size() - q - 15));
  }
  runner_->graphics().recorder().Clear();
  return texts;
}

void FilePanel::ClearMessages() {
  runner_->anvil().ClearMessage();
  info().message = 0;
  info().message_text[0] = '\0';
}

}  // namespace testing_support
