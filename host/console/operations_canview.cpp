// Anvil's CAN bus monitor in the console: set up as `hostsim canview` does
// (a log replayed on channel 1 of the simulated bus), then run on its own
// clock, CanData and CanViewCont every 2 ms of it, with the keys handed
// over as the script words `hostsim canview --keys` replays. Each picture
// shown is the one the batch command writes: the clock runs on past a key
// by the time the batch command runs after its script (--for 0 and the
// two pane redraws).
#include <stdio.h>


#include "host/console/operation_link.h"
#include "host/console/operations.h"
#include "host/console/timed_screen.h"
#include "host/runners/can_view_session.h"
#include "host/services/can_log.h"

namespace host {

void RunCanView(const OperationRequest& request, OperationLink& link) {
  const OptionValues& values = request.values;
  CanViewSettings settings;
  CanViewSource source;
  CanLogCounts skipped;
  std::string text;
  if (!ReadWholeFile(values.at("--log"), &text) || text.size() > kMaxCanLogBytes)
    return link.Status("failed", "cannot read the log");
  const std::string parsed = ParseCanLog(text, &source.frames, &skipped);
  if (!parsed.empty()) return link.Status("failed", request.shown.at("--log") + ": " + parsed);
  settings.sources.push_back(source);
  settings.options.language = static_cast<uint32_t>(std::stoul(values.at("--lang")));
  int width = 800, height = 600;
  sscanf(values.at("--size").c_str(), "%dx%d", &width, &height);
  settings.options.right = width - 1;
  settings.options.bottom = height - 1;
  settings.paced = values.count("--fast") == 0;
  settings.mailbox_delay_ms = static_cast<uint32_t>(std::stoul(values.at("--mailbox-delay")));
  CanViewSession session(request.folder, width, height);
  std::string error;
  if (!session.Open(settings, &error)) return link.Status("failed", error);
  link.Status("running", "CanData and CanViewCont every 2 ms");
  TimedScreen screen;
  screen.operation = FindOperation("canview");
  screen.keys = &kCanViewKeys;
  screen.cycle_ms = kCanStepMs;
  screen.settle_ms = kCanSettleMs;
  screen.advance = [&](uint32_t ms) { session.Run(ms); };
  screen.press = [&](const std::vector<KeyStep>& steps) {
    for (const KeyStep& step : steps) session.Step(step);
  };
  screen.picture = [&]() -> const Screen& { return session.screen(); };
  RunTimedScreen(screen, link);
}

}  // namespace host
