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
#include "host/runners/can_view_session.h"
#include "host/services/sandbox_folder.h"

namespace host {
namespace {

namespace fs = std::filesystem;

constexpr uint32_t kMaxRunMs = 3600000;

std::string HexNumber(const std::string& value) {
  char* end = nullptr;
  strtoul(value.c_str(), &end, 16);
  return value.empty() || value.size() > 8 || *end != '\0' ? "expected up to 8 hexadecimal digits" : "";
}

struct Source {
  CanViewSource source;
  CanLogCounts skipped;
};

Source ReadSource(const std::string& value) {
  Source s;
  std::string path = value;
  if (value.size() > 2 && (value[0] == '1' || value[0] == '2') && value[1] == ':') {
    s.source.channel = value[0] - '0';
    path = value.substr(2);
  }
  std::string text = ReadInputFile(path, kMaxCanLogBytes);
  std::string error = ParseCanLog(text, &s.source.frames, &s.skipped);
  if (!error.empty()) throw UsageError("--log: " + path + ": " + error);
  return s;
}

int CanView(const ParsedArgs& args) {
  std::vector<Source> sources;
  for (const std::string& value : args.All("--log")) sources.push_back(ReadSource(value));
  if (sources.size() == 2 && sources[0].source.channel == sources[1].source.channel)
    throw UsageError("--log: two logs for channel " + std::to_string(sources[0].source.channel));
  CanViewSettings settings;
  for (const Source& s : sources) settings.sources.push_back(s.source);
  settings.options.r766 = static_cast<uint32_t>(strtoul(args.Text("--r766").c_str(), nullptr, 16));
  settings.options.language = static_cast<uint32_t>(args.Int("--lang"));
  ScreenSize size = args.Size("--size");
  settings.options.right = size.width - 1;
  settings.options.bottom = size.height - 1;
  settings.paced = !args.Has("--fast");
  settings.mailbox_delay_ms = static_cast<uint32_t>(args.Int("--mailbox-delay"));
  uint32_t run_ms = static_cast<uint32_t>(args.Int("--for"));

  SandboxFolder folder("canview");
  CanViewSession session(folder.root(), size.width, size.height);
  std::string error;
  if (!session.Open(settings, &error)) throw HostError(error);
  for (const KeyStep& step : args.Keys("--keys")) session.Step(step);
  session.Run(run_ms);
  session.Run(kCanSettleMs);

  const CanBus& bus = session.runner().bus();
  for (int channel = 1; channel <= 2; ++channel) {
    if (bus.delivered(channel) + bus.pending(channel) + bus.sent(channel).size() == 0) continue;
    printf("channel %d: %zu frames delivered, %zu pending, held back %u times, %zu sent\n", channel,
           bus.delivered(channel), bus.pending(channel), bus.held_back(channel), bus.sent(channel).size());
  }
  for (const Source& s : sources)
    if (s.skipped.extended + s.skipped.remote + s.skipped.fd > 0)
      printf("channel %d log: skipped %u extended, %u remote, %u FD frames\n", s.source.channel, s.skipped.extended,
             s.skipped.remote, s.skipped.fd);
  if (args.Has("--sent")) {
    std::ofstream out(args.Text("--sent"), std::ios::binary);
    for (int channel = 1; channel <= 2; ++channel)
      for (const CanLogFrame& f : bus.sent(channel)) out << FormatCanLogLine(f, channel == 1 ? "can0" : "can1");
    if (!out) throw HostError("cannot write " + args.Text("--sent"));
  }
  if (args.Has("--packets")) {
    std::string recorded;
    for (const auto& entry : fs::directory_iterator(session.system_folder()))
      if (entry.is_regular_file()) recorded = entry.path().string();
    if (recorded.empty()) throw HostError("--packets: the library recorded no file");
    CopyToOutput(recorded, args.Text("--packets"));
  }
  if (!session.screen().WritePng(args.Text("--png"), &error)) throw HostError(error);
  return kExitOk;
}

CommandRegistration canview_command({"canview", "runs Anvil's CAN bus monitor over logs replayed on a simulated bus", {
    Text("--log", "[2:]FILE", "a candump -l log replayed on channel 1 (2: channel 2)").Repeatable(),
    Text("--png", "FILE", "the picture of the screen at the end").Required(),
    Text("--r766", "HEX", "word 766 of the state record, the monitor's mode", "1110000").Checked(HexNumber, "hexadecimal"),
    KeysOption("--keys", kCanViewKeys, "keys pressed, one CanViewCont each; wait MS runs the bus"),
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
