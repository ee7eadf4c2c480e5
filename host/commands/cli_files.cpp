// hostsim files --drive-c FOLDER --png OUT.png [options] [FTP options]
//
// Runs Anvil's file manager over a folder that the library sees as drive
// c:, driven by a key script: DirStart, then DirCont for each key and
// periodically (until the panel has nothing more to do by itself), as the
// control's main program does. With --server the FTP client (Wharf) is
// loaded beside it and its exports go into the host's function table, so
// "FTP:" paths reach the server. The host's and the panel's messages are
// printed as they change; the screen is written as PNG at the end (and
// after every key with --png-each).
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host/commands/command.h"
#include "host/commands/options.h"
#include "host/commands/wharf_options.h"
#include "host/runners/file_panel_runner.h"
#include "host/runners/wharf_session.h"
#include "host/screen/text.h"
#include "host/services/dispatch.h"
#include "host/services/sandbox_folder.h"
#include "host/services/tick_clock.h"

namespace host {
namespace {

namespace fs = std::filesystem;

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

WharfSession* g_session = nullptr;

// The host's entry for wharfCont: one pass of the client, resting a little
// when no frame arrived so a waiting panel does not spin the machine.
extern "C" void HostWharfCont() {
  uint64_t before = g_session->received();
  g_session->Cont();
  if (g_session->received() == before) usleep(20);
}

struct Messages {
  uint16_t host = 0;
  uint32_t panel = 0;
  bool failure = false;

  void Print(FilePanelRunner& r) {
    uint16_t h = r.host_message();
    if (h != 0 && h != host) {
      printf("host message %u\n", h);
      failure |= h == 4200 || h == 2313;
    }
    host = h;
    const _DIR_INFO& i = r.info();
    if (i.message != 0 && i.message != panel) {
      std::string text(i.message_text, strnlen(i.message_text, sizeof i.message_text));
      printf("panel message %u: %s\n", i.message, ZorvToUtf8(text).c_str());
      failure = true;
    }
    panel = i.message;
  }
  // The operator acknowledges the messages shown with the next key.
  void Acknowledge(FilePanelRunner& r) {
    r.anvil().ClearMessage();
    r.info().message = 0;
    r.info().message_text[0] = '\0';
    host = 0;
    panel = 0;
  }
};

int Files(const ParsedArgs& args) {
  FilePanelOptions options;
  options.system_directory = args.Text("--system");
  options.path = args.Text("--path");
  options.root = args.Text("--root");
  options.filter = args.Text("--filter");
  options.preset = args.Text("--preset");
  options.mode = static_cast<uint8_t>(args.Int("--mode"));
  options.language = static_cast<uint32_t>(args.Int("--lang"));
  if (args.Has("--word769")) {
    char* end = nullptr;
    std::string v = args.Text("--word769");
    options.word769 = static_cast<uint32_t>(strtoul(v.c_str(), &end, 16));
    if (v.empty() || *end != '\0') throw UsageError("--word769: expected a hexadecimal number");
    options.word769_set = true;
  }
  if (options.filter.size() > 3) throw UsageError("--filter: at most 3 characters");
  std::string drive_c = args.Text("--drive-c"), png = args.Text("--png"), png_each = args.Text("--png-each");
  if (!fs::is_directory(drive_c)) throw UsageError("--drive-c: " + drive_c + " is not a folder");
  ScreenSize size = args.Size("--size");
  int width = size.width, height = size.height;
  // The FTP options, as hostsim ftp takes them.
  bool ftp = HasWharfOptions(args);
  WharfNetOptions net;
  if (ftp) net = WharfNetOptionsOf(args);
  std::vector<PanelKey> keys;
  for (const KeyStep& step : args.Keys("--keys")) {
    if (step.kind == KeyStep::kKey)
      keys.push_back({static_cast<uint8_t>(step.code), static_cast<uint8_t>(step.character)});
    else if (step.kind == KeyStep::kType)
      for (char c : step.text) keys.push_back({1, static_cast<uint8_t>(c == '.' ? 0x2B : c)});
  }
  options.right = width - 1;
  options.bottom = height - 1;

  // Drive c: is the given folder; drive d: a scratch folder of this run.
  SandboxFolder sandbox("files");
  std::error_code ec;
  fs::create_directory_symlink(fs::absolute(drive_c), fs::path(sandbox.root()) / "c", ec);
  if (ec) throw HostError("cannot link drive c: to " + drive_c + ": " + ec.message());
  sandbox.MakeDir("d");
  FileServices files(sandbox.root());

  Screen screen(width, height);
  TickClock clock;
  ScopedDispatchObserver refresh([&clock](uint32_t, int) { clock.Refresh(); });
  FilePanelRunner runner(files, screen, clock.counter(), TickClock::kFrequency);
  runner.graphics().recorder().Enable(false);
  std::string error;
  if (!runner.Load(options, &error)) throw HostError(error);
  WharfSession session;
  // The host's wharfCont entry reaches the session only while it lives.
  struct SessionEntry {
    ~SessionEntry() { g_session = nullptr; }
  } session_entry;
  if (ftp) {
    switch (session.Open(net, files, 0, 0, 0, &error)) {
      case WharfOpenResult::kOpened: break;
      case WharfOpenResult::kHostFailure: throw HostError(error);
      case WharfOpenResult::kLibraryFailure: return LibraryFailure(error);
    }
    g_session = &session;
    runner.anvil().FillWharfEntries(session.library());
    runner.anvil().functions()[kHostFnWharfCont] =
        static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&HostWharfCont));
  }

  Messages messages;
  runner.Start();
  runner.Settle();
  messages.Print(runner);
  if (!png_each.empty()) fs::create_directories(png_each, ec);
  for (size_t k = 0; k < keys.size(); ++k) {
    if (keys[k].code != 0) messages.Acknowledge(runner);
    runner.Cont(keys[k]);
    messages.Print(runner);
    runner.Settle();
    messages.Print(runner);
    if (!png_each.empty()) {
      char name[32];
      snprintf(name, sizeof name, "/key_%03zu.png", k + 1);
      if (!screen.WritePng(png_each + name, &error)) throw HostError(error);
    }
  }
  const _DIR_INFO& info = runner.info();
  printf("path %s, cursor on \"%s\"\n", ZorvToUtf8(info.path).c_str(), ZorvToUtf8(info.name).c_str());
  if (!screen.WritePng(png, &error)) throw HostError(error);
  return messages.failure ? LibraryFailure("the file manager raised a failure message") : kExitOk;
}

CommandRegistration files_command({"files", "runs Anvil's file manager over a folder, driven by keys",
    Joined({
    Text("--drive-c", "FOLDER", "the folder the library sees as drive c:").Required(),
    Text("--png", "FILE", "the picture of the screen at the end").Required(),
    Text("--path", "DIR", "the panel's starting directory (FTP:\\ for the server)", "c:\\"),
    Text("--root", "DIR", "the panel's root directory (no .. there)", "c:\\"),
    Int("--mode", 0, 255, "1", "panel mode: 1 full, 6 directories without attributes, else files only"),
    Text("--filter", "EXT", "extension filter (* lists every file)", "*"),
    Text("--word769", "HEX", "word 769 of the control's state record (its low digit: sort order)"),
    Text("--preset", "TEXT", "the sort preset text (D: by date, K: combined)"),
    Text("--system", "DIR", "the system directory (attrib.knf, the FTP listing, ENTER copy to)", "d:\\"),
    LanguageOption(),
    KeysOption("--keys", kFileKeys, "keys pressed, one DirCont each"),
    Text("--png-each", "DIR", "also a picture after every key (key_NNN.png)"),
    SizeOption("--size", "800x600", "screen size"),
}, WharfOptionDeclarations(false)), Files});

}  // namespace
}  // namespace host
