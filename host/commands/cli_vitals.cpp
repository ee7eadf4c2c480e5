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
//           per key (keyboard: one CONT_TESTTLAC per --held step, or the
//           key numbers of --keys held one call each)
// A `wait MS` of --keys is the periodic call without a key every 100 ms
// (host/runners/vitals_session.h), as the control makes it between keys.
#include <stdio.h>
#include <stdlib.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "host/commands/command.h"
#include "host/commands/file_args.h"
#include "host/runners/vitals_session.h"
#include "host/services/sandbox_folder.h"

namespace host {
namespace {

namespace fs = std::filesystem;

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

// A key script's steps as the session takes them; `png FILE` writes the
// screen as it is then. `key` is told of each key after its call.
void RunSteps(const std::vector<KeyStep>& steps, VitalsSession& session,
              const std::function<void(int)>& key = nullptr) {
  for (const KeyStep& step : steps) {
    if (step.kind == KeyStep::kAction) WritePng(session.screen(), step.argument);
    session.Step(step);
    if (step.kind == KeyStep::kKey && key) key(step.code);
  }
}

int Panel(const ParsedArgs& args, VitalsSession& session) {
  session.Open();
  int64_t calls = args.Int("--calls");
  for (int64_t i = 0; i < calls; ++i) session.Idle();
  WritePng(session.screen(), args.Text("--png"));
  printf("%s: panel, %lld DATA_VITALS calls\n", args.Text("--png").c_str(), static_cast<long long>(calls));
  return kExitOk;
}

int Events(const ParsedArgs& args, VitalsSession& session) {
  VitalsRunner& runner = session.runner();
  int status = kExitOk;
  auto check = [&](const char* what, uint8_t result) {
    if (result == 0) return;
    fprintf(stderr, "hostsim vitals: %s failed: result byte %u\n", what, result);
    status = kExitLibraryFailure;
  };
  session.Open();
  if (args.Has("--critical")) check("WRITE_EVENT_CRITICAL", session.critical_result());
  std::vector<KeyStep> keys = args.Keys("--keys");
  if (!args.Has("--keys")) {
    KeyStep live;
    live.code = kEventKeyLive;
    keys.push_back(live);
  }
  RunSteps(keys, session, [&](int code) {
    if (code == kEventKeyExport) check("export (key 5)", runner.events().result);
  });
  std::string directory = args.Text("--export");
  if (!directory.empty()) {
    runner.WriteEvent();
    check("WRITE_EVENT", runner.events().result);
    fs::create_directories(directory);
    for (const char* name : {"EVENTS.TXT", "EVCRITIC.TXT"}) {
      std::string inside = session.folder() + "/c/events/" + name;
      if (fs::exists(inside)) CopyToOutput(inside, directory + "/" + name);
    }
  }
  if (args.Has("--png")) WritePng(session.screen(), args.Text("--png"));
  printf("%s: %zu events%s, %d DATA_EVENT calls, result byte %u\n", args.Text("--ring").c_str(),
         session.event_count(), args.Has("--wrapped") ? " (wrapped ring)" : "", session.calls(),
         runner.events().result);
  return status;
}

int Screens(const ParsedArgs& args, VitalsSession& session) {
  const std::string name = args.Text("SCREEN");
  std::vector<HeldKeys> held;
  if (args.Has("--held")) {
    if (args.Has("--keys")) throw UsageError("--held: not with --keys (keys held one at a time)");
    std::string why = VitalsScreens::ParseHeld(args.Text("--held"), &held);
    if (!why.empty()) throw UsageError("--held " + why);
  }
  session.Open();
  if (!held.empty()) {
    for (const HeldKeys& step : held) session.Held(step);
  } else if (args.Has("--keys")) {
    RunSteps(args.Keys("--keys"), session);
  } else {
    session.Idle();
  }
  const bool keyboard = name == "keyboard";
  WritePng(session.screen(), args.Text("--png"));
  printf("%s: %s, %d %s calls\n", args.Text("--png").c_str(), name.c_str(), session.calls(),
         keyboard ? "CONT" : name == "leds" ? "ZMENA_LED" : "DATA");
  return kExitOk;
}

int Vitals(const ParsedArgs& args) {
  std::string screen_name = args.Text("SCREEN");
  bool panel = screen_name == "panel";
  bool other = VitalsScreens::Known(screen_name);
  bool events = !panel && !other;
  if (events && screen_name != "events") {
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
  if (events && !args.Has("--ring")) throw UsageError("vitals events: --ring FILE is required");

  VitalsSetup setup;
  setup.screen = screen_name;
  setup.layout = args.Text("--layout")[0];
  setup.settings = args.All("--set");
  setup.variant = args.Has("--variant");
  setup.machine = args.Text("--machine")[0];
  if (events) setup.ring = ReadInputFile(args.Text("--ring"), 16u << 20);
  setup.wrapped = args.Has("--wrapped");
  setup.limit = static_cast<uint32_t>(std::stoul(args.Text("--limit"), nullptr, 16));
  setup.critical = args.Has("--critical");
  setup.keyboard = args.Text("--type")[0];
  setup.leds = static_cast<uint8_t>(strtol(args.Text("--leds").c_str(), nullptr, 0));
  setup.labelled = args.Has("--labelled");

  SandboxFolder folder("vitals");
  VitalsSession session(folder.root());
  std::string error;
  if (!session.Load(static_cast<uint32_t>(args.Int("--lang")), &error)) throw HostError(error);
  std::string why = session.SetUp(setup);
  if (!why.empty()) throw UsageError(events ? args.Text("--ring") + ": " + why : "--set " + why);
  if (other) return Screens(args, session);
  return panel ? Panel(args, session) : Events(args, session);
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
    KeysOption("--keys", kVitalsKeys, "events: keys, one DATA_EVENT call each (default: live); screens: key codes, "
               "one DATA call each (default: one call, no key); keyboard: key numbers, each held for one CONT "
               "call; wait MS: a call without a key every 100 ms"),
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
