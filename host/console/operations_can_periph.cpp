// Anvil's CAN peripheral screen in the console, set up as
// `hostsim can-periph` does (CanPeriphSession) and run on its own clock:
// DATA_IO8 every 100 ms of it, each key handed over as the action word
// `hostsim can-periph --actions` replays, and one call after each key, as
// the batch command makes one after its script. Every SDO exchange the
// simulated driver answers is a result.
#include <stdio.h>

#include "host/console/operation_link.h"
#include "host/console/operations.h"
#include "host/console/timed_screen.h"
#include "host/runners/can_periph_session.h"

namespace host {

void RunCanPeriph(const OperationRequest& request, OperationLink& link) {
  const OptionValues& values = request.values;
  unsigned modules = 3, keyboards = 2;
  sscanf(values.at("--nodes").c_str(), "%u,%u", &modules, &keyboards);
  CanPeriphSession session(request.folder, modules, keyboards);
  std::string error;
  if (!session.Load(static_cast<uint32_t>(std::stoul(values.at("--lang"))), &error))
    return link.Status("failed", error);
  auto report = [&](const std::vector<SdoExchange>& exchanges) {
    for (const SdoExchange& x : exchanges) link.Result(x.Describe());
  };
  report(session.Open(static_cast<uint8_t>(values.at("--layout")[0])));
  link.Status("running", "DATA_IO8 every " + std::to_string(CanPeriphSession::kCycleMs) + " ms");
  TimedScreen screen;
  screen.operation = FindOperation("can-periph");
  screen.keys = &kCanPeriphActions;
  screen.cycle_ms = CanPeriphSession::kCycleMs;
  screen.settle_ms = CanPeriphSession::kCycleMs;
  screen.advance = [&](uint32_t ms) { report(session.Step({KeyStep::kWait, 0, 0, "", "", ms, ""})); };
  screen.press = [&](const std::vector<KeyStep>& steps) {
    for (const KeyStep& step : steps) report(session.Step(step));
  };
  screen.picture = [&]() -> const Screen& { return session.screen(); };
  RunTimedScreen(screen, link);
}

}  // namespace host
