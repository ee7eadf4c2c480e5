// hostsim plotline PROGRAM.nc --png OUT.png [options]
//   loads an ISO program into the simulated CNC state of a machine and
//   draws its path through the real library's PREFIX_PLOTLINE and
//   DATA_PLOTLINE with a real tick counter; keys are pressed one per call,
//   and --run (--follow) follows the program as the machine executes it.
#include <stdio.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/commands/command.h"
#include "host/commands/file_args.h"
#include "host/runners/plotline_session.h"
#include "host/screen/png.h"

namespace host {
namespace {

std::string AtLeast64(const std::string& value) {
  size_t x = value.find('x');
  return x != std::string::npos && atoi(value.c_str()) >= 64 && atoi(value.c_str() + x + 1) >= 64
             ? ""
             : "each side at least 64 pixels";
}

std::string FrameName(const std::string& dir, const char* stem, int n) {
  char name[32];
  snprintf(name, sizeof name, "%s_%04d.png", stem, n);
  return (std::filesystem::path(dir) / name).string();
}

int Plotline(const ParsedArgs& args) {
  std::string program = args.Text("PROGRAM"), png = args.Text("--png"), machine_file = args.Text("--machine");
  std::string key_frames = args.Text("--key-frames"), run_dir = args.Text("--run"), apng = args.Text("--apng");
  ScreenSize size = args.Size("--size");
  int orientation = static_cast<int>(args.Int("--orientation"));
  int frame_count = static_cast<int>(args.Int("--frames"));
  bool quiet = args.Has("--quiet");
  const bool running = !run_dir.empty() || args.Has("--follow");
  PlotlineOptions view;
  const uint32_t kRequests[] = {kRequestPlan, kRequestAxonometry, kRequestPerspective};
  view.view_request = kRequests[args.ChoiceIndex("--view")];
  view.language = static_cast<uint32_t>(args.Int("--lang"));
  std::string corrections = args.Text("--corrections");
  view.display_flags = (corrections.find('R') != std::string::npos ? 1 : 0) |
                       (corrections.find('D') != std::string::npos ? 2 : 0);
  std::vector<PlotlineKey> keys;
  uint64_t stop = 0;
  std::string error;
  if (!PlotlineKeys(args.Keys("--keys"), &keys, &stop, &error)) throw UsageError("--keys: " + error);
  if (!running && (stop != 0 || (!keys.empty() && keys.back().after_steps != 0))) throw UsageError("--keys: a wait goes with --run or --follow");
  if (!apng.empty() && run_dir.empty()) throw UsageError("--apng goes with --run");
  if (args.Has("--frames") && !running) throw UsageError("--frames goes with --run or --follow");
  if (orientation != 0 && view.view_request != kRequestPlan) throw UsageError("--orientation is for the plan view");

  MachineDescription machine;
  std::string text;
  if (!machine_file.empty()) {
    text = ReadInputFile(machine_file, 1 << 20);
    if (!ParseMachineDescription(text, machine_file, &machine, &error)) throw UsageError(error);
  }
  text = ReadInputFile(program, 64u << 20);
  PlotlineSession session(machine, size.width, size.height);
  view.program_name = std::filesystem::path(program).filename().string();
  bool program_fault = false;
  if (!session.Load(text, program, view, &error, &program_fault)) {
    if (program_fault) throw UsageError(error);
    throw HostError(error);
  }
  for (const std::string& dir : {key_frames, run_dir}) {
    std::error_code ec;
    if (!dir.empty()) std::filesystem::create_directories(dir, ec);
    if (ec) throw HostError("cannot create " + dir + ": " + ec.message());
  }

  auto write = [&](const std::string& path) {
    if (!session.screen().WritePng(path, &error)) throw HostError(error);
  };
  // The machine stands at the program's start.
  uint32_t calls = session.Start(orientation);
  // The keys due after `steps` run steps.
  size_t next_key = 0;
  int key_number = 0;
  auto press = [&](uint64_t steps) {
    for (; next_key < keys.size() && keys[next_key].after_steps <= steps; ++next_key) {
      calls += session.Key(keys[next_key].code);
      if (!key_frames.empty()) write(FrameName(key_frames, "key", ++key_number));
    }
  };
  press(0);
  if (running) {
    // The machine runs the program, keys pressed between its steps.
    std::vector<std::vector<uint8_t>> frames;
    for (int f = 0; f <= frame_count && (stop == 0 || static_cast<uint64_t>(f) < stop); ++f) {
      calls += session.RunStep(f, frame_count);
      if (!apng.empty()) frames.push_back(session.screen().Rgb());
      else if (!run_dir.empty()) write(FrameName(run_dir, "run", f));
      press(static_cast<uint64_t>(f) + 1);
    }
    if (!apng.empty() &&
        !WriteApngRgb(apng, size.width, size.height, frames, 120, &error))
      throw HostError(error);
  }
  press(UINT64_MAX);
  write(png);
  if (!quiet) printf("%s: %u blocks, %u DATA_PLOTLINE calls\n", png.c_str(), session.blocks(), calls);
  return kExitOk;
}

CommandRegistration plotline_command({"plotline",
    "draws an ISO program's path through the path view library, as the machine runs it", {
    Positional("PROGRAM", "the ISO program (loaded into the simulated CNC state)"),
    Text("--png", "FILE", "the picture to write").Required(),
    Text("--machine", "FILE", "machine description (default: the simulator's machine)"),
    Choice("--view", {"plan", "axo", "persp"}, "plan", "plan, axonometric or perspective view"),
    Choice("--orientation", {"0", "1", "2"}, "0", "plan view: how often the next orientation is chosen"),
    LanguageOption(),
    SizeOption("--size", "800x600", "screen size").Checked(AtLeast64, "each side at least 64 pixels"),
    Choice("--corrections", {"R", "D", "RD"}, "", "corrections shown: R radius, D length"),
    KeysOption("--keys", kPlotlineKeys, "key codes 1 to 255 pressed one per DATA_PLOTLINE call; with a run, "
               "\"wait N\" lets N of its steps pass first (a closing wait ends the run there)"),
    Text("--key-frames", "DIR", "a PNG after every key, DIR/key_NNNN.png"),
    Text("--run", "DIR", "follows the program as the machine executes it, DIR/run_NNNN.png"),
    Flag("--follow", "follows the program as the machine executes it, without frames"),
    Int("--frames", 1, 1000, "40", "steps of the run (with --run or --follow)"),
    Text("--apng", "FILE", "the run as one animated PNG instead of frames (with --run)"),
    Flag("--quiet", "print nothing on success"),
}, Plotline});

}  // namespace
}  // namespace host
