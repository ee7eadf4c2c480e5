#include "host/runners/file_panel_session.h"

#include <string.h>

#include <filesystem>

#include "host/screen/text.h"
#include "host/services/host_error.h"

namespace host {

const KeyTable kFileKeys = {{
    {"up", 1, 1, "cursor up (in a dialog: the previous field or button)", ""},
    {"down", 1, 3, "cursor down (in a dialog: the next field or button)", ""},
    {"tab", 1, 3, "the next dialog field or button", ""},
    {"back", 1, 1, "the previous dialog field or button", ""},
    {"pgdn", 1, 2, "a page down", ""},
    {"pgup", 1, 4, "a page up", ""},
    {"home", 1, 6, "the first entry", ""},
    {"end", 1, 8, "the last entry", ""},
    {"enter", 1, 255, "enter a directory, copy the file under the cursor, press a button", ""},
    {"mark", 24, 0, "mark or unmark the file under the cursor", ""},
    {"markall", 25, 0, "mark all files, or unmark all", ""},
    {"delete", 23, 0, "delete the marked files or the entry under the cursor", ""},
    {"sort", 20, 0, "the next sort mode", ""},
    {"names", 22, 0, "file names or program names", ""},
    {"newdir", 21, 0, "a new directory", ""},
    {"clip", 26, 0, "remember the marked files (or the file under the cursor)", ""},
    {"paste", 27, 0, "copy the remembered files into this directory", ""},
    {"erase", 1, 0x2E, "delete the last character of a dialog field", ""},
    {"idle", 0, 0, "a DirCont without a key", ""},
}, false};

namespace {

namespace fs = std::filesystem;

void Fail(const std::string& what, const std::error_code& error) {
  throw HostError(what + ": " + error.message());
}

// Files first, then the folder's own time: writing into a folder moves its
// time, so a folder takes the original's after its contents are in place.
void CopyEntry(const fs::path& from, const fs::path& to) {
  std::error_code error;
  const fs::file_status status = fs::symlink_status(from, error);
  if (error) Fail("cannot read " + from.string(), error);
  if (fs::is_directory(status)) {
    if (!fs::create_directory(to, error)) Fail("cannot create " + to.string(), error);
    for (fs::directory_iterator it(from, error), end; !error && it != end; it.increment(error))
      CopyEntry(it->path(), to / it->path().filename());
    if (error) Fail("cannot list " + from.string(), error);
  } else if (fs::is_regular_file(status)) {
    if (!fs::copy_file(from, to, error)) Fail("cannot copy " + from.string(), error);
  } else {
    return;  // links and devices are no files of the panel's drive
  }
  fs::last_write_time(to, fs::last_write_time(from, error), error);
  if (error) Fail("cannot keep the time of " + from.string(), error);
}

}  // namespace

void CopyFolderWithTimes(const std::string& from, const std::string& to) {
  if (!fs::is_directory(from)) throw HostError(from + " is not a folder");
  CopyEntry(from, to);
}

FilePanelSession::FilePanelSession(const std::string& drives, const std::string& folder, bool copy, int width,
                                   int height)
    : files_(drives),
      screen_(width, height),
      refresh_([this](uint32_t, int) { clock_.Refresh(); }),
      runner_(files_, screen_, clock_.counter(), TickClock::kFrequency) {
  const fs::path c = fs::path(drives) / "c";
  if (!fs::is_directory(folder)) throw HostError(folder + " is not a folder");
  std::error_code error;
  if (copy) CopyFolderWithTimes(folder, c.string());
  else fs::create_directory_symlink(fs::absolute(folder), c, error);
  if (error) Fail("cannot link drive c: to " + folder, error);
  fs::create_directory(fs::path(drives) / "d", error);
  if (error) Fail("cannot create drive d:", error);
  runner_.graphics().recorder().Enable(false);
}

bool FilePanelSession::Load(FilePanelOptions options, std::string* error) {
  options.left = 0;
  options.top = 0;
  options.right = screen_.width() - 1;
  options.bottom = screen_.height() - 1;
  return runner_.Load(options, error);
}

void FilePanelSession::Start() {
  runner_.Start();
  runner_.Settle();
  Note();
}

void FilePanelSession::Key(PanelKey key) {
  if (key.code != 0) {
    // The operator acknowledges the messages shown with the next key.
    runner_.anvil().ClearMessage();
    _DIR_INFO& info = runner_.info();
    info.message = 0;
    info.message_text[0] = '\0';
    host_message_ = 0;
    panel_message_ = 0;
  }
  runner_.Cont(key);
  Note();
  runner_.Settle();
  Note();
}

void FilePanelSession::Note() {
  const uint16_t host = runner_.host_message();
  if (host != 0 && host != host_message_) {
    messages_.push_back("host message " + std::to_string(host));
    failure_ |= host == 4200 || host == 2313;
  }
  host_message_ = host;
  const _DIR_INFO& info = runner_.info();
  if (info.message != 0 && info.message != panel_message_) {
    const std::string text(info.message_text, strnlen(info.message_text, sizeof info.message_text));
    messages_.push_back("panel message " + std::to_string(info.message) + ": " + ZorvToUtf8(text));
    failure_ = true;
  }
  panel_message_ = info.message;
}

std::vector<std::string> FilePanelSession::TakeMessages() {
  std::vector<std::string> taken;
  taken.swap(messages_);
  return taken;
}

std::string FilePanelSession::StateLine() {
  const _DIR_INFO& info = runner_.info();
  return "path " + ZorvToUtf8(info.path) + ", cursor on \"" + ZorvToUtf8(info.name) + "\"";
}

PanelKey PanelKeyOfByte(uint8_t byte) {
  if (byte >= 20 && byte <= 27) return {byte, 0};
  return {1, byte};
}

}  // namespace host
