// hostsim vitals panel|events|SCREEN: the diagnostics library (libVitals)
// with the host's data behind its records.
//
//   panel   INIT_VITALS, PREFIX_VITALS, then --calls DATA_VITALS calls
//   events  a ring from a text file (host/runners/event_ring_text.h);
//           optionally WRITE_EVENT_CRITICAL; PREFIX_EVENT, then one
//           DATA_EVENT call per key; --export writes EVENTS.TXT too
//   inputs, outputs, iopan, dgnpan, pb1, pb2, bz1, bz2, leds, keyboard, slm,
//           servo, ecc, trans, nkor, su4: host data set by --set
//           (host/runners/vitals_screens.h), PREFIX, then one DATA call
//           per key (keyboard: one CONT_TESTTLAC per --held step)
#include <stdio.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host/commands/command.h"
#include "host/commands/file_args.h"
#include "host/runners/event_ring_text.h"
#include "host/runners/panel_settings.h"
#include "host/runners/vitals_runner.h"
#include "host/runners/vitals_screens.h"
#include "host/services/sandbox_folder.h"

namespace host {
namespace {

namespace fs = std::filesystem;

const KeyTable kEventKeys = {{
    {"live", kEventKeyLive, 0, "START (live) or STOP", ""},
    {"forward", kEventKeyForward, 0, "page forward (stopped)", ""},
    {"back", kEventKeyBack, 0, "page back (stopped)", ""},
    {"filter", kEventKeyFilter, 0, "next filter", ""},
    {"export", kEventKeyExport, 0, "write EVENTS.TXT", ""},
    {"png", 0, 0, "the screen as it is now", "FILE"},
}};

const std::vector<std::string> kPanelOnly = {"--variant", "--machine", "--set", "--calls"};
const std::vector<std::string> kEventsOnly = {"--ring", "--wrapped", "--limit", "--layout", "--keys", "--export",
                                              "--critical"};
const std::vector<std::string> kScreensOnly = {"--held", "--type", "--leds", "--labelled"};
const std::vector<std::string> kNotForScreens = {"--variant", "--machine", "--calls", "--ring", "--wrapped", "--limit",
                                                 "--export", "--critical"};

void WritePng(const Screen& screen, const std::string& path) {
  std::string why;
  if (!screen.WritePng(path, &why)) throw HostError(why);
}

int Panel(const ParsedArgs& args, VitalsRunner& runner, HostMemory& memory, const Screen& screen) {
  std::string machine = args.Text("--machine");
  std::string why = ApplyPanelSettings(args.All("--set"), args.Has("--variant"), machine[0],
                                       &runner.panel_data(), memory);
  if (!why.empty()) throw UsageError("--set " + why);
  runner.ApplyPanelData();
  runner.Init();
  runner.PanelPrefix();
  int64_t calls = args.Int("--calls");
  for (int64_t i = 0; i < calls; ++i) runner.PanelData();
  WritePng(screen, args.Text("--png"));
  printf("%s: panel, %lld DATA_VITALS calls\n", args.Text("--png").c_str(), static_cast<long long>(calls));
  return kExitOk;
}

int Events(const ParsedArgs& args, VitalsRunner& runner, HostMemory& memory, const Screen& screen,
           const std::string& sandbox) {
  if (!args.Has("--ring")) throw UsageError("vitals events: --ring FILE is required");
  std::string ring = args.Text("--ring");
  std::vector<EVENT_RECORD> events;
  std::string why = ParseEventRing(ReadInputFile(ring, 16u << 20), &events);
  if (!why.empty()) throw UsageError(ring + ": " + why);
  if (args.Has("--wrapped")) FillWrapped(memory, events);
  else AppendEvents(memory, events);
  memory.Set<uint16_t>(kEventYear, 2026);
  memory.Set<uint8_t>(kEventDay, 9);
  memory.Set<uint8_t>(kEventMonth, 12);
  uint32_t* parameters = runner.event_parameters();
  parameters[0] = static_cast<uint32_t>(std::stoul(args.Text("--limit"), nullptr, 16));
  runner.events().layout = args.Text("--layout")[0];
  runner.Init();

  int status = kExitOk;
  auto check = [&](const char* what) {
    if (runner.events().result == 0) return;
    fprintf(stderr, "hostsim vitals: %s failed: result byte %u\n", what, runner.events().result);
    status = kExitLibraryFailure;
  };
  if (args.Has("--critical")) {
    // The control keeps EVCRITIC.TXT; a first run finds it empty.
    std::string critical = sandbox + "/c/events/EVCRITIC.TXT";
    if (!fs::exists(critical)) fclose(fopen(critical.c_str(), "wb"));
    runner.WriteCritical();
    check("WRITE_EVENT_CRITICAL");
  }
  runner.EventPrefix();
  std::vector<KeyStep> keys = args.Keys("--keys");
  if (!args.Has("--keys")) {
    KeyStep live;
    live.code = kEventKeyLive;
    keys.push_back(live);
  }
  for (const KeyStep& step : keys) {
    if (step.kind == KeyStep::kAction) {
      WritePng(screen, step.argument);
      continue;
    }
    if (step.kind != KeyStep::kKey) continue;
    runner.EventData(static_cast<uint8_t>(step.code));
    if (step.code == kEventKeyExport) check("export (key 5)");
  }
  std::string directory = args.Text("--export");
  if (!directory.empty()) {
    runner.WriteEvent();
    check("WRITE_EVENT");
    fs::create_directories(directory);
    for (const char* name : {"EVENTS.TXT", "EVCRITIC.TXT"}) {
      std::string inside = sandbox + "/c/events/" + name;
      if (fs::exists(inside)) CopyToOutput(inside, directory + "/" + name);
    }
  }
  if (args.Has("--png")) WritePng(screen, args.Text("--png"));
  printf("%s: %zu events%s, %zu DATA_EVENT calls, result byte %u\n", ring.c_str(), events.size(),
         args.Has("--wrapped") ? " (wrapped ring)" : "", keys.size(), runner.events().result);
  return status;
}

int Screens(const ParsedArgs& args, VitalsRunner& runner, HostMemory& memory, const Screen& screen) {
  std::string name = args.Text("SCREEN");
  VitalsScreens screens(runner, memory);
  std::string why = screens.Apply(name, args.All("--set"));
  if (!why.empty()) throw UsageError("--set " + why);
  ScreenRun run;
  run.screen = name;
  run.layout = args.Text("--layout")[0];
  for (const KeyStep& step : args.Keys("--keys"))
    if (step.kind == KeyStep::kKey) run.keys.push_back(step.code);
  if (args.Has("--held")) {
    why = VitalsScreens::ParseHeld(args.Text("--held"), &run.held);
    if (!why.empty()) throw UsageError("--held " + why);
  }
  run.keyboard = args.Text("--type")[0];
  run.leds = static_cast<uint8_t>(strtol(args.Text("--leds").c_str(), nullptr, 0));
  run.labelled = args.Has("--labelled");
  runner.Init();
  int calls = screens.Run(run);
  WritePng(screen, args.Text("--png"));
  printf("%s: %s, %d %s calls\n", args.Text("--png").c_str(), name.c_str(), calls,
         name == "keyboard" ? "CONT" : name == "leds" ? "ZMENA_LED" : "DATA");
  return kExitOk;
}

int Vitals(const ParsedArgs& args) {
  std::string screen_name = args.Text("SCREEN");
  bool panel = screen_name == "panel";
  bool other = VitalsScreens::Known(screen_name);
  if (!panel && !other && screen_name != "events") {
    std::string names = "panel, events";
    for (const std::string& n : VitalsScreens::Names()) names += ", " + n;
    throw UsageError("SCREEN: one of " + names + ", not \"" + screen_name + "\"");
  }
  const std::vector<std::string>& refused = other ? kNotForScreens : panel ? kEventsOnly : kPanelOnly;
  for (const std::string& name : refused)
    if (args.Has(name)) throw UsageError(name + ": not an option of vitals " + screen_name);
  if (!other)
    for (const std::string& name : kScreensOnly)
      if (args.Has(name)) throw UsageError(name + ": not an option of vitals " + screen_name);
  if ((panel || other) && !args.Has("--png")) throw UsageError("vitals " + screen_name + ": --png FILE is required");

  SandboxFolder folder("vitals");
  folder.MakeDir("c/events");
  FileServices files(folder.root());
  Screen screen(800, 600);
  DisplayServices display(screen, TextStyle::kScreen);
  display.recorder().Enable(false);
  HostMemory memory;
  VitalsRunner runner(files, display, memory);
  std::string error;
  if (!runner.Load(static_cast<uint32_t>(args.Int("--lang")), &error)) throw HostError(error);
  if (other) return Screens(args, runner, memory, screen);
  return panel ? Panel(args, runner, memory, screen) : Events(args, runner, memory, screen, folder.root());
}

std::string MachineCheck(const std::string& v) { return v.size() == 1 ? "" : "one letter"; }
std::string LayoutCheck(const std::string& v) { return v == "C" || v == "L" || v == "P" ? "" : "C, L or P"; }
std::string ByteCheck(const std::string& v) {
  char* end = nullptr;
  long n = strtol(v.c_str(), &end, 0);
  return !v.empty() && *end == '\0' && n >= 0 && n <= 255 ? "" : "a number from 0 to 255 (0x for hexadecimal)";
}
std::string TypeCheck(const std::string& v) { return v.size() == 1 ? "" : "one letter"; }
std::string BcdCheck(const std::string& v) {
  if (v.empty() || v.size() > 5) return "one to five decimal digits";
  for (char c : v)
    if (c < '0' || c > '9') return "one to five decimal digits";
  return "";
}

CommandRegistration vitals_command({"vitals",
    "the diagnostics library (libVitals): the system-information panel, the event log or another screen", {
    Positional("SCREEN", "panel | events | inputs | outputs | iopan | dgnpan | pb1 | pb2 | bz1 | bz2 | leds | "
               "keyboard | slm | servo | ecc | trans | nkor | su4"),
    Text("--png", "FILE", "the picture to write (required but for events)"),
    Flag("--variant", "panel: the second-spindle variant"),
    Text("--machine", "LETTER", "panel: machine-type letter (F: extra correction rows)", "P")
        .Checked(MachineCheck, "one letter"),
    Text("--set", "NAME=VALUE", "panel: host data (shift, correction, digit, process, status, swap, radius, "
         "length1..length6, rows, mode, decimals, axes, tool, table, counter, special, warning); other screens: "
         "their host values (README, \"Diagnostics screens\")").Repeatable(),
    Int("--calls", 0, 100000, "0", "panel: DATA_VITALS calls after PREFIX_VITALS"),
    Text("--ring", "FILE", "events: the event ring as text, one event a line (required)"),
    Flag("--wrapped", "events: the ring has gone round (the file's events are the newest)"),
    Text("--limit", "BCD", "events: the export limit as its digits (0: the whole ring)", "0")
        .Checked(BcdCheck, "one to five decimal digits"),
    Text("--layout", "LETTER", "events and screens: C whole area, L left half, P right half", "C")
        .Checked(LayoutCheck, "C, L or P"),
    KeysOption("--keys", kEventKeys, "events: keys, one DATA_EVENT call each (default: live); screens: key codes, "
               "one DATA call each (default: one call, no key)"),
    Text("--held", "STEPS", "keyboard: keys held, one CONT_TESTTLAC call a step: \"5;5;;12,13,14,15\""),
    Text("--type", "LETTER", "keyboard: keyboard type (D F G H M R; others: undefined)", "D")
        .Checked(TypeCheck, "one letter"),
    Text("--leds", "BYTE", "leds: the LED byte, decimal or 0x hexadecimal (bit i: LED i from the left)", "0")
        .Checked(ByteCheck, "a number from 0 to 255 (0x for hexadecimal)"),
    Flag("--labelled", "leds: the labelled strip of five"),
    Text("--export", "DIR", "events: WRITE_EVENT, then EVENTS.TXT and EVCRITIC.TXT copied to DIR"),
    Flag("--critical", "events: WRITE_EVENT_CRITICAL (EVCRITIC.TXT created empty first)"),
    LanguageOption(),
}, Vitals});

}  // namespace
}  // namespace host
