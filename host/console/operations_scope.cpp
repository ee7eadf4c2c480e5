// The signal scope (libGlint) in the console: set up as `hostsim scope`
// does (generated signals in a stopped ring), then run on its own clock,
// DATA_GLINT every 20 ms of it, with the soft keys handed over as the
// script words `hostsim scope --keys` replays.
#include "host/console/operation_link.h"
#include "host/console/operations.h"
#include "host/console/timed_screen.h"
#include "host/runners/scope_script.h"
#include "host/runners/scope_session.h"

namespace host {

void RunScope(const OperationRequest& request, OperationLink& link) {
  const OptionValues& values = request.values;
  ScopeSettings settings;
  settings.language = static_cast<uint32_t>(std::stoul(values.at("--lang")));
  settings.host.layout = values.at("--layout")[0];
  settings.host.ring_length = static_cast<uint32_t>(std::stoul(values.at("--ring")));
  settings.host.sweep_restart = values.count("--sweep") != 0;
  settings.host.trigger_wait = values.count("--trigger-wait") != 0;
  SignalShape signals[kGlintChannels];
  const bool typed[kGlintChannels] = {};
  DefaultScopeSignals(signals);
  UseGeneratedSignals(signals, static_cast<uint32_t>(std::stoul(values.at("--rows"))), -1, typed, &settings);
  ScopeSession session(request.folder);
  std::string error;
  if (!session.Open(settings, &error)) return link.Status("failed", error);
  link.Status("running", "DATA_GLINT every 20 ms");
  TimedScreen screen;
  screen.operation = FindOperation("scope");
  screen.keys = &kScopeKeys;
  screen.cycle_ms = kScopeDataPeriodMs;
  screen.advance = [&](uint32_t ms) { session.Step({KeyStep::kWait, 0, 0, "", "", ms, ""}); };
  screen.press = [&](const std::vector<KeyStep>& steps) {
    for (const KeyStep& step : steps) session.Step(step);
    link.Result(std::string(session.runner().record().running ? "recording" : "stopped") + ", " +
                std::to_string(session.runner().data_calls()) + " DATA_GLINT calls");
  };
  screen.picture = [&]() -> const Screen& { return session.Picture(); };
  RunTimedScreen(screen, link);
}

}  // namespace host
