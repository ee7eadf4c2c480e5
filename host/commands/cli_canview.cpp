// hostsim canview --log [2:]FILE --png OUT.png [options]
//
// Runs Anvil's CAN bus monitor over the simulated CAN bus: each log is
// replayed on its channel at its recorded pace on the host's clock (or as
// fast as the ring takes it with --fast), CanData is called every 2 ms of
// that clock and CanViewCont with each key of the script (and periodically
// between them). The clock is simulated, so a run is the same every time.
// The recording (PACKETS.TXT unless renamed in "Settings") lands in the
// sandbox's system directory; --packets copies it out, --sent writes what
// the library sent, in the logs' format.
#include <stdio.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/commands/command.h"
#include "host/commands/file_args.h"
#include "host/runners/can_view_runner.h"
#include "host/services/sandbox_folder.h"

namespace host {
namespace {

namespace fs = std::filesystem;

constexpr uint32_t kStepMs = 2;               // CanData every 2 ms
constexpr uint32_t kTicksPerMs = 1000;        // a 1 MHz counter
constexpr uint32_t kMaxRunMs = 3600000;

const KeyTable kCanKeys = {{
    {"up", 1, 1, "cursor up (in a dialog: the previous field)", ""},
    {"down", 1, 3, "cursor down (in a dialog: the next field)", ""},
    {"pgdn", 1, 2, "a page down", ""},
    {"pgup", 1, 4, "a page up", ""},
    {"home", 1, 6, "the first line", ""},
    {"end", 1, 8, "the last line", ""},
    {"swap", 1, 32, "swap mode on or off (the packet travels with the cursor)", ""},
    {"delete", 1, 46, "delete the line under the cursor (in a dialog field: the last character)", ""},
    {"resend", 1, 255, "send the packet under the cursor again", ""},
    {"enter", 1, 255, "press the focused dialog button (on a field: the next one)", ""},
    {"pane", 70, 0, "the other pane", ""},
    {"new", 71, 0, "the \"New packet\" dialog", ""},
    {"settings", 72, 0, "the \"Settings\" dialog", ""},
    {"record", 73, 0, "start recording into the file", ""},
    {"stop", 74, 0, "stop recording", ""},
    {"open", 75, 0, "open the channel (capture on)", ""},
    {"close", 76, 0, "close the channel (capture off)", ""},
}, false};

std::string HexNumber(const std::string& value) {
  char* end = nullptr;
  strtoul(value.c_str(), &end, 16);
  return value.empty() || value.size() > 8 || *end != '\0' ? "expected up to 8 hexadecimal digits" : "";
}

struct Source {
  int channel = 1;
  std::vector<CanLogFrame> frames;
  CanLogCounts skipped;
};

Source ReadSource(const std::string& value) {
  Source s;
  std::string path = value;
  if (value.size() > 2 && (value[0] == '1' || value[0] == '2') && value[1] == ':') {
    s.channel = value[0] - '0';
    path = value.substr(2);
  }
  std::string text = ReadInputFile(path, kMaxCanLogBytes);
  std::string error = ParseCanLog(text, &s.frames, &s.skipped);
  if (!error.empty()) throw UsageError("--log: " + path + ": " + error);
  return s;
}

int CanView(const ParsedArgs& args) {
  std::vector<Source> sources;
  for (const std::string& value : args.All("--log")) sources.push_back(ReadSource(value));
  if (sources.size() == 2 && sources[0].channel == sources[1].channel)
    throw UsageError("--log: two logs for channel " + std::to_string(sources[0].channel));
  CanViewOptions options;
  options.r766 = static_cast<uint32_t>(strtoul(args.Text("--r766").c_str(), nullptr, 16));
  options.language = static_cast<uint32_t>(args.Int("--lang"));
  ScreenSize size = args.Size("--size");
  options.right = size.width - 1;
  options.bottom = size.height - 1;
  uint32_t run_ms = static_cast<uint32_t>(args.Int("--for"));

  SandboxFolder folder("canview");
  std::string system = folder.MakeDir("c/system");
  FileServices files(folder.root());
  Screen screen(size.width, size.height);
  volatile uint32_t ticks = 0;
  CanViewRunner runner(files, screen, &ticks, kTicksPerMs * 1000);
  runner.graphics().recorder().Enable(false);
  std::string error;
  if (!runner.Load(options, &error)) throw HostError(error);
  CanBus& bus = runner.bus();
  for (Source& s : sources) bus.SetSource(s.channel, s.frames);
  bus.SetPaced(!args.Has("--fast"));
  bus.SetMailboxDelay(static_cast<uint32_t>(args.Int("--mailbox-delay")));

  uint32_t now = 0;
  auto run = [&](uint32_t ms) {
    for (uint32_t end = now + ms; now < end; now += kStepMs) {
      ticks = now * kTicksPerMs;
      bus.Step(now);
      runner.Data();
      runner.Cont();
    }
    ticks = now * kTicksPerMs;
  };
  bus.Start(now);
  runner.Data();
  runner.Start();
  for (const KeyStep& step : args.Keys("--keys")) {
    if (step.kind == KeyStep::kWait) {
      run(step.wait_ms);
    } else if (step.kind == KeyStep::kType) {
      for (char c : step.text) runner.Cont(1, static_cast<uint8_t>(c == '.' ? 0x2B : c));  // '.' is the panel's 0x2B
    } else if (step.kind == KeyStep::kKey) {
      runner.Cont(static_cast<uint8_t>(step.code), static_cast<uint8_t>(step.character));
      run(kStepMs);
    }
  }
  run(run_ms);
  // The last pane drawn and the other one, so the picture shows both.
  for (int k = 0; k < 2; ++k) run(102);

  for (int channel = 1; channel <= 2; ++channel) {
    if (bus.delivered(channel) + bus.pending(channel) + bus.sent(channel).size() == 0) continue;
    printf("channel %d: %zu frames delivered, %zu pending, held back %u times, %zu sent\n", channel,
           bus.delivered(channel), bus.pending(channel), bus.held_back(channel), bus.sent(channel).size());
  }
  for (const Source& s : sources)
    if (s.skipped.extended + s.skipped.remote + s.skipped.fd > 0)
      printf("channel %d log: skipped %u extended, %u remote, %u FD frames\n", s.channel, s.skipped.extended,
             s.skipped.remote, s.skipped.fd);
  if (args.Has("--sent")) {
    std::ofstream out(args.Text("--sent"), std::ios::binary);
    for (int channel = 1; channel <= 2; ++channel)
      for (const CanLogFrame& f : bus.sent(channel)) out << FormatCanLogLine(f, channel == 1 ? "can0" : "can1");
    if (!out) throw HostError("cannot write " + args.Text("--sent"));
  }
  if (args.Has("--packets")) {
    std::string recorded;
    for (const auto& entry : fs::directory_iterator(system))
      if (entry.is_regular_file()) recorded = entry.path().string();
    if (recorded.empty()) throw HostError("--packets: the library recorded no file");
    CopyToOutput(recorded, args.Text("--packets"));
  }
  if (!screen.WritePng(args.Text("--png"), &error)) throw HostError(error);
  return kExitOk;
}

CommandRegistration canview_command({"canview", "runs Anvil's CAN bus monitor over logs replayed on a simulated bus", {
    Text("--log", "[2:]FILE", "a candump -l log replayed on channel 1 (2: channel 2)").Repeatable(),
    Text("--png", "FILE", "the picture of the screen at the end").Required(),
    Text("--r766", "HEX", "word 766 of the state record, the monitor's mode", "1110000").Checked(HexNumber, "hexadecimal"),
    KeysOption("--keys", kCanKeys, "keys pressed, one CanViewCont each; wait MS runs the bus"),
    Int("--for", 0, kMaxRunMs, "1000", "milliseconds the bus runs after the keys"),
    Flag("--fast", "every frame as soon as its ring has room (time stamps as recorded)"),
    Int("--mailbox-delay", 0, 10000, "2", "milliseconds before the host takes a full mailbox"),
    Text("--sent", "FILE", "the messages the library sent, as a candump -l log"),
    Text("--packets", "FILE", "a copy of the recording file the library wrote"),
    SizeOption("--size", "800x600", "screen size"),
    LanguageOption(),
}, CanView});

}  // namespace
}  // namespace host
