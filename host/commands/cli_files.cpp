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
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host/commands/command.h"
#include "host/commands/options.h"
#include "host/commands/wharf_options.h"
#include "host/runners/file_panel_session.h"
#include "host/runners/wharf_session.h"
#include "host/services/sandbox_folder.h"

namespace host {
namespace {

namespace fs = std::filesystem;

WharfSession* g_session = nullptr;

// The host's entry for wharfCont: one pass of the client, resting a little
// when no frame arrived so a waiting panel does not spin the machine.
extern "C" void HostWharfCont() {
  uint64_t before = g_session->received();
  g_session->Cont();
  if (g_session->received() == before) usleep(20);
}

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
  const int width = size.width, height = size.height;
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
  // Drive c: is the given folder (or a copy of it); drive d: a scratch
  // folder of this run.
  SandboxFolder sandbox("files");
  FilePanelSession panel(sandbox.root(), drive_c, args.Has("--on-copy"), width, height);
  FilePanelRunner& runner = panel.runner();
  std::string error;
  if (!panel.Load(options, &error)) throw HostError(error);
  WharfSession session;
  // The host's wharfCont entry reaches the session only while it lives.
  struct SessionEntry {
    ~SessionEntry() { g_session = nullptr; }
  } session_entry;
  if (ftp) {
    switch (session.Open(net, panel.files(), 0, 0, 0, &error)) {
      case WharfOpenResult::kOpened: break;
      case WharfOpenResult::kHostFailure: throw HostError(error);
      case WharfOpenResult::kLibraryFailure: return LibraryFailure(error);
    }
    g_session = &session;
    runner.anvil().FillWharfEntries(session.library());
    runner.anvil().functions()[kHostFnWharfCont] =
        static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&HostWharfCont));
  }

  auto print = [&panel] {
    for (const std::string& line : panel.TakeMessages()) printf("%s\n", line.c_str());
  };
  panel.Start();
  print();
  std::error_code ec;
  if (!png_each.empty()) fs::create_directories(png_each, ec);
  Screen& screen = panel.screen();
  for (size_t k = 0; k < keys.size(); ++k) {
    panel.Key(keys[k]);
    print();
    if (!png_each.empty()) {
      char name[32];
      snprintf(name, sizeof name, "/key_%03zu.png", k + 1);
      if (!screen.WritePng(png_each + name, &error)) throw HostError(error);
    }
  }
  printf("%s\n", panel.StateLine().c_str());
  if (!screen.WritePng(png, &error)) throw HostError(error);
  return panel.failure() ? LibraryFailure("the file manager raised a failure message") : kExitOk;
}

CommandRegistration files_command({"files", "runs Anvil's file manager over a folder, driven by keys",
    Joined({
    Text("--drive-c", "FOLDER", "the folder the library sees as drive c:").Required(),
    Flag("--on-copy", "drive c: is a copy of the folder (times kept): the keys leave the folder as it was"),
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
