// libPlotline's path view in the console: set up as `hostsim plotline
// --follow` does, the whole program drawn, then the machine runs it one
// step every cycle, keys pressed between the steps. The steps between two
// keys are the waits of the recorded script, so the batch command presses
// the same keys between the same steps.
#include <stdio.h>

#include <filesystem>

#include "host/console/operation_link.h"
#include "host/console/operations.h"
#include "host/console/timed_screen.h"
#include "host/runners/plotline_session.h"

namespace host {

namespace {

constexpr uint64_t kStepUs = 100000;  // one step of the machine's run

}  // namespace

void RunPlotline(const OperationRequest& request, OperationLink& link) {
  const OptionValues& values = request.values;
  std::string program, machine_text, error;
  if (!ReadWholeFile(values.at("PROGRAM"), &program) || !ReadWholeFile(values.at("--machine"), &machine_text))
    return link.Status("failed", "cannot read the program or the machine description");
  MachineDescription machine;
  if (!ParseMachineDescription(machine_text, request.shown.at("--machine"), &machine, &error))
    return link.Status("failed", error);
  PlotlineOptions view;
  const std::string kind = values.at("--view");
  view.view_request = kind == "axo" ? kRequestAxonometry : kind == "persp" ? kRequestPerspective : kRequestPlan;
  view.language = static_cast<uint32_t>(std::stoul(values.at("--lang")));
  view.program_name = std::filesystem::path(values.at("PROGRAM")).filename().string();
  const int orientation = std::stoi(values.at("--orientation"));
  if (orientation != 0 && view.view_request != kRequestPlan)
    return link.Status("failed", "the orientation is for the plan view");
  const int steps = std::stoi(values.at("--frames"));
  int width = 800, height = 600;
  sscanf(values.at("--size").c_str(), "%dx%d", &width, &height);

  PlotlineSession session(machine, width, height);
  bool program_fault = false;
  if (!session.Load(program, request.shown.at("PROGRAM"), view, &error, &program_fault))
    return link.Status("failed", error);
  uint32_t calls = session.Start(orientation);
  link.Frame(session.screen());
  link.Status("running", "the machine runs " + view.program_name);

  int step = 0;
  MachineScreen run;
  run.cycle_us = kStepUs;
  run.running = [&] { return step <= steps; };
  run.cycle = [&] { calls += session.RunStep(step++, steps); };
  run.press = [&](uint8_t code) { calls += session.Key(code); };
  run.picture = [&]() -> const Screen& { return session.screen(); };
  run.finished = [&] {
    link.Result(std::to_string(session.blocks()) + " blocks run, " + std::to_string(calls) + " DATA_PLOTLINE calls");
    link.Status("finished", "the machine ran the program");
  };
  RunMachineScreen(run, link);
}

}  // namespace host
