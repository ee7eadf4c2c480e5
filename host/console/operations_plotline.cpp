// libPlotline's path view in the console: set up as `hostsim plotline
// --follow` does, the whole program drawn, then the machine runs it one
// step every cycle, keys pressed between the steps. The steps between two
// keys are the waits of the recorded script, so the batch command presses
// the same keys between the same steps.
#include <stdio.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/console/operation_link.h"
#include "host/console/operations.h"
#include "host/runners/plotline_session.h"

namespace host {

namespace {

constexpr uint64_t kStepUs = 100000;  // one step of the machine's run
constexpr uint32_t kFrameMs = 40;

bool ReadWhole(const std::string& path, std::string* text) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream whole;
  whole << file.rdbuf();
  *text = whole.str();
  return static_cast<bool>(file);
}

}  // namespace

void RunPlotline(const OperationRequest& request, OperationLink& link) {
  const OptionValues& values = request.values;
  std::string program, machine_text, error;
  if (!ReadWhole(values.at("PROGRAM"), &program) || !ReadWhole(values.at("--machine"), &machine_text))
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

  uint32_t since_key = 0;  // run steps since the last key
  int step = 0;
  uint64_t next_step_us = MonotonicMicroseconds();
  bool ran = false;
  for (;;) {
    int timeout_ms = -1;
    if (step <= steps) {
      const uint64_t now = MonotonicMicroseconds();
      timeout_ms = next_step_us > now ? static_cast<int>((next_step_us - now + 999) / 1000) : 0;
    }
    int code = 0;
    const OperationLink::KeyArrival arrival = link.NextKey(timeout_ms, &code);
    if (arrival == OperationLink::kClosed) return;
    if (arrival == OperationLink::kKey) {
      link.KeyWait(since_key);
      since_key = 0;
      calls += session.Key(static_cast<uint8_t>(code));
      link.SinceKey(since_key);
      link.Frame(session.screen());
    } else if (step <= steps && MonotonicMicroseconds() >= next_step_us) {
      calls += session.RunStep(step++, steps);
      ++since_key;
      next_step_us += kStepUs;
      link.SinceKey(since_key);
      link.FrameEvery(session.screen(), kFrameMs);
    }
    if (step > steps && !ran) {
      ran = true;
      link.Frame(session.screen());
      link.Result(std::to_string(session.blocks()) + " blocks run, " + std::to_string(calls) + " DATA_PLOTLINE calls");
      link.Status("finished", "the machine ran the program");
    }
  }
}

}  // namespace host
