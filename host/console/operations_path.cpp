// libTracer's path graphics in the console: set up as `hostsim path` does,
// then called once every cycle while the machine moves along the program,
// each key taking a call of its own. The calls between two keys are the
// waits of the recorded script, so the batch command makes the same calls.

#include "host/console/operation_link.h"
#include "host/console/operations.h"
#include "host/console/timed_screen.h"
#include "host/runners/path_session.h"

namespace host {

namespace {
constexpr uint64_t kCallUs = 10000;  // the control's cycle: one path graphics call
}  // namespace

void RunPath(const OperationRequest& request, OperationLink& link) {
  const OptionValues& values = request.values;
  std::string program;
  if (!ReadWholeFile(values.at("PROGRAM"), &program)) return link.Status("failed", "cannot read the program");
  PathSettings settings;
  settings.language = static_cast<uint32_t>(std::stoul(values.at("--lang")));
  const std::string layout = values.at("--layout");
  settings.layout = layout == "right" ? 2 : layout == "left" ? 3 : 1;
  settings.zoom = static_cast<uint8_t>(std::stoi(values.at("--zoom")));
  settings.origin = static_cast<uint8_t>(std::stoi(values.at("--origin")));
  settings.tool_radius_mm = std::stod(values.at("--tool-radius"));
  settings.trail = static_cast<uint8_t>(std::stoi(values.at("--trail")));
  settings.feed_mm = std::stod(values.at("--feed"));
  PathSession session(request.folder);
  std::string error;
  if (!session.Load(program, settings, &error)) return link.Status("failed", error);
  session.Start();
  link.Frame(session.screen());
  link.Status("running", "the machine moves along " + request.shown.at("PROGRAM"));

  MachineScreen run;
  run.cycle_us = kCallUs;
  run.running = [&] { return session.moving(); };
  run.cycle = [&] { session.Call(0); };
  run.press = [&](uint8_t code) { session.Call(code); };
  run.picture = [&]() -> const Screen& { return session.screen(); };
  run.finished = [&] {
    link.Result(std::to_string(session.calls()) + " path graphics calls, " + std::to_string(session.segments()) +
                " moves");
    link.Status("finished", "the machine stands at the program's end");
  };
  RunMachineScreen(run, link);
}

}  // namespace host
