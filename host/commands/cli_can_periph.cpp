// hostsim can-periph [--layout C|L|P] [--nodes N1,N2] [--actions SCRIPT]
//   --png OUT.png
//   draws Anvil's CAN peripheral screen over simulated node tables of the
//   second CAN line, runs the actions (one DATA_IO8 each, the CAN driver
//   answering SDO requests between them) and prints every SDO exchange.
#include <stdio.h>

#include "host/commands/command.h"
#include "host/runners/can_periph_runner.h"
#include "host/screen/screen.h"
#include "host/services/file_services.h"
#include "host/services/sandbox_folder.h"

namespace host {
namespace {

constexpr uint8_t kActionKey = 6;
constexpr uint32_t kWaitStepMs = 100;  // DATA_IO8 every 100 ms while waiting
constexpr uint8_t kBackground = 7;      // the host's screen behind the panels: white

const char kActionNames[] = "type node send next previous sign clear";
const KeyTable kCanPeriphActions = {{
    {"type", 2, 0, "the next device type (1, 2, 3, 1 ...)", ""},
    {"node", 3, 0, "the next node of the type (types 1 and 2)", ""},
    {"send", 5, 0, "send the SDO request entered in the dialog (whole screen)", ""},
    {"next", kActionKey, 1, "dialog: the next field", ""},
    {"previous", kActionKey, 2, "dialog: the previous field", ""},
    {"sign", kActionKey, 63, "dialog: a leading minus on or off", ""},
    {"clear", kActionKey, 46, "dialog: empty the field", ""},
}, true};

int CanPeriph(const ParsedArgs& args) {
  std::vector<int> counts = {3, 2};
  if (args.Has("--nodes")) counts = args.Ints("--nodes");
  const uint8_t layout = static_cast<uint8_t>(args.Text("--layout")[0]);
  for (const KeyStep& step : args.Keys("--actions")) {
    if (step.kind == KeyStep::kAction)
      throw UsageError("--actions \"" + step.token + "\": the screen takes actions and keys only");
    if (step.kind == KeyStep::kType && step.text.find_first_not_of("0123456789") != std::string::npos)
      throw UsageError("--actions \"" + step.token + "\": only digits are typed; actions: " + kActionNames);
  }

  SandboxFolder sandbox("can-periph");
  FileServices files(sandbox.root());
  Screen screen(800, 600);
  screen.Clear(kBackground);
  CanPeriphRunner runner(files, screen, static_cast<uint32_t>(counts[0]), static_cast<uint32_t>(counts[1]));
  runner.graphics().recorder().Enable(false);
  std::string error;
  if (!runner.Load(static_cast<uint32_t>(args.Int("--lang")), &error)) throw HostError(error);

  // Each call is followed by the driver's turn, so an answer is on screen
  // with the next call.
  auto data = [&](uint8_t action, uint8_t key) {
    runner.Data(action, key);
    for (const SdoExchange& x : runner.nodes().Step()) printf("%s\n", x.Describe().c_str());
  };
  runner.Prefix(layout);
  data(0, 0);
  for (const KeyStep& step : args.Keys("--actions")) {
    if (step.kind == KeyStep::kKey) {
      data(static_cast<uint8_t>(step.code), static_cast<uint8_t>(step.character));
    } else if (step.kind == KeyStep::kType) {
      for (char c : step.text) data(kActionKey, static_cast<uint8_t>(c));
    } else if (step.kind == KeyStep::kWait) {
      for (uint32_t ms = 0; ms < step.wait_ms; ms += kWaitStepMs) data(0, 0);
    }
  }
  data(0, 0);
  if (!screen.WritePng(args.Text("--png"), &error)) throw HostError(error);
  return kExitOk;
}

CommandRegistration can_periph_command({"can-periph",
    "Anvil's CAN peripheral screen over simulated nodes of the second CAN line", {
    Choice("--layout", {"C", "L", "P"}, "C", "whole screen (C), left half (L) or right half (P)"),
    Ints("--nodes", 2, 0, 255, "N1,N2", "input/output modules and keyboards (default 3,2)"),
    KeysOption("--actions", kCanPeriphActions,
               "actions, one DATA_IO8 each; numbers are typed into the SDO dialog"),
    Text("--png", "OUT.png", "the screen at the end").Required(),
    LanguageOption(),
}, CanPeriph});

}  // namespace
}  // namespace host
