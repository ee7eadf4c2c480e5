// hostsim can-periph [--layout C|L|P] [--nodes N1,N2] [--actions SCRIPT]
//   --png OUT.png
//   draws Anvil's CAN peripheral screen over simulated node tables of the
//   second CAN line, runs the actions (one DATA_IO8 each, the CAN driver
//   answering SDO requests between them) and prints every SDO exchange.
#include <stdio.h>

#include "host/commands/command.h"
#include "host/runners/can_periph_session.h"
#include "host/services/sandbox_folder.h"

namespace host {
namespace {

const char kActionNames[] = "type node send next previous sign clear";

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
  CanPeriphSession session(sandbox.root(), static_cast<uint32_t>(counts[0]), static_cast<uint32_t>(counts[1]));
  std::string error;
  if (!session.Load(static_cast<uint32_t>(args.Int("--lang")), &error)) throw HostError(error);

  auto print = [](const std::vector<SdoExchange>& exchanges) {
    for (const SdoExchange& x : exchanges) printf("%s\n", x.Describe().c_str());
  };
  print(session.Open(layout));
  for (const KeyStep& step : args.Keys("--actions")) print(session.Step(step));
  print(session.Data());
  if (!session.screen().WritePng(args.Text("--png"), &error)) throw HostError(error);
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
