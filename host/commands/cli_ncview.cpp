// hostsim ncview PROGRAM --png OUT.png [--follow N,...] [--keys SCRIPT]
//
// Runs Anvil's NC program viewer over an ISO program held in host memory:
// NcViewInit with the text, NcViewStart, NcViewCont until the page stands,
// then each followed block (as the control reports the block it executes,
// a BCD value) and each key, every one painted to the end of its page.
#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "host/commands/command.h"
#include "host/commands/file_args.h"
#include "host/runners/nc_view_runner.h"

namespace host {
namespace {

// The viewer keeps at most 499900 bytes; a larger file is read whole but
// only this much reaches the library (which cuts it too).
constexpr uint64_t kMaxProgram = 64u << 20;

std::string BlockList(const std::string& value) {
  for (size_t i = 0; i < value.size(); ++i) {
    char c = value[i];
    bool sign = (c == '-' || c == '+') && (i == 0 || value[i - 1] == ',');
    if (!(c >= '0' && c <= '9') && c != ',' && !sign) return "expected block numbers such as 10,20,-5";
  }
  return value.empty() ? "expected block numbers such as 10,20,-5" : "";
}

int32_t BlockNumber(const std::string& text, const std::string& where) {
  char* end = nullptr;
  long v = strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || v < -9999999 || v > 9999999)
    throw UsageError(where + ": \"" + text + "\" is not a block number of at most 7 digits");
  return static_cast<int32_t>(v);
}

int NcView(const ParsedArgs& args) {
  std::string text = ReadInputFile(args.Text("PROGRAM"), kMaxProgram);
  ScreenSize size = args.Size("--size");
  Screen screen(size.width, size.height);
  NcViewRunner runner(screen);
  std::string error;
  if (!runner.Load(static_cast<uint32_t>(args.Int("--lang")), &error)) throw HostError(error);
  runner.graphics().recorder().Enable(false);
  std::vector<int> w = {0, 0, size.width - 1, size.height - 1};
  if (args.Has("--window")) w = args.Ints("--window");
  runner.SetWindow(w[0], w[1], w[2], w[3]);
  NcViewPage page;
  page.title = args.Has("--title") ? args.Text("--title") : args.Text("PROGRAM");
  page.status = args.Text("--status");
  page.viewer = static_cast<uint8_t>(args.Int("--viewer"));
  page.colouring = !args.Has("--plain");
  runner.Open(text, page);
  if (args.Has("--follow")) {
    std::string list = args.Text("--follow");
    size_t from = 0;
    while (from <= list.size()) {
      size_t comma = list.find(',', from);
      if (comma == std::string::npos) comma = list.size();
      runner.Follow(BlockNumber(list.substr(from, comma - from), "--follow"));
      from = comma + 1;
    }
  }
  for (const KeyStep& step : args.Keys("--keys")) {
    if (step.kind == KeyStep::kAction && step.text == "follow")
      runner.Follow(BlockNumber(step.argument, "--keys"));
    else if (step.kind == KeyStep::kKey)
      runner.Key(static_cast<uint8_t>(step.character));
  }
  if (!screen.WritePng(args.Text("--png"), &error)) throw HostError(error);
  return kExitOk;
}

CommandRegistration ncview_command({"ncview", "shows an ISO program in Anvil's NC program viewer, following blocks", {
    Positional("PROGRAM", "the ISO program (handed over from host memory)"),
    Text("--png", "FILE", "the picture of the screen at the end").Required(),
    Text("--follow", "N,...", "block numbers the control reports, in turn").Checked(BlockList, "block numbers"),
    KeysOption("--keys", kNcKeys, "keys pressed once the page stands, each page painted"),
    Int("--viewer", 0, 255, "0", "viewer number (0 to 3 paint; others paint nothing)"),
    Text("--title", "TEXT", "the title line (default: the program's path)").EmptyAllowed(),
    Text("--status", "TEXT", "the status text at the top right", "").EmptyAllowed(),
    Flag("--plain", "colouring off: every character in colour 0"),
    Ints("--window", 4, 0, 65535, "L,T,R,B", "the viewer's window (default: the screen)"),
    SizeOption("--size", "800x600", "screen size"),
    LanguageOption(),
}, NcView});

}  // namespace
}  // namespace host
