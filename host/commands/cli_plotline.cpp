// hostsim plotline PROGRAM.nc --png OUT.png [options]
//   loads an ISO program into the simulated CNC state of a machine and
//   draws its path through the real library's PREFIX_PLOTLINE and
//   DATA_PLOTLINE with a real tick counter; keys are pressed one per call,
//   and --run follows the program as the machine executes it.
#include <stdio.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/commands/command.h"
#include "host/commands/file_args.h"
#include "host/runners/plotline_runner.h"
#include "host/screen/png.h"
#include "host/services/dispatch.h"
#include "host/services/tick_clock.h"

namespace host {
namespace {

// Keys are key codes (the plot view's own numbers), one per DATA call.
const KeyTable kPlotKeys = {{}, false};

std::string AtLeast64(const std::string& value) {
  size_t x = value.find('x');
  return x != std::string::npos && atoi(value.c_str()) >= 64 && atoi(value.c_str() + x + 1) >= 64
             ? ""
             : "each side at least 64 pixels";
}

// The tool at the end of table entry n, in the display fields, as the
// control reports its position.
void ToolAtEntry(CncState& cnc, uint32_t n, double tool[3]) {
  CNC_BLOCK_ENTRY e = cnc.entry(n);
  const AXIS_DISPLAY& d = cnc.axis_display();
  tool[0] = tool[1] = tool[2] = 0;
  for (int k = 0; k < 3; ++k) {
    if (d.axis_field[k] == 0) continue;
    int8_t sign = static_cast<int8_t>(d.axis_sign[k]);
    tool[d.axis_field[k] - 1] = e.end[k] * sign / cnc.position_scale();
  }
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
  PlotlineOptions view;
  const uint32_t kRequests[] = {kRequestPlan, kRequestAxonometry, kRequestPerspective};
  view.view_request = kRequests[args.ChoiceIndex("--view")];
  view.language = static_cast<uint32_t>(args.Int("--lang"));
  std::string corrections = args.Text("--corrections");
  view.display_flags = (corrections.find('R') != std::string::npos ? 1 : 0) |
                       (corrections.find('D') != std::string::npos ? 2 : 0);
  std::vector<uint8_t> keys;
  for (const KeyStep& step : args.Keys("--keys")) {
    if (step.kind != KeyStep::kKey || step.code == 0)
      throw UsageError("--keys: \"" + step.token + "\": expected key codes 1 to 255");
    keys.push_back(static_cast<uint8_t>(step.code));
  }
  if (!apng.empty() && run_dir.empty()) throw UsageError("--apng goes with --run");
  if (args.Has("--frames") && run_dir.empty()) throw UsageError("--frames goes with --run");
  if (orientation != 0 && view.view_request != kRequestPlan) throw UsageError("--orientation is for the plan view");

  MachineDescription machine;
  std::string text, error;
  if (!machine_file.empty()) {
    text = ReadInputFile(machine_file, 1 << 20);
    if (!ParseMachineDescription(text, machine_file, &machine, &error)) throw UsageError(error);
  }
  text = ReadInputFile(program, 64u << 20);
  CncState cnc(machine);
  if (!cnc.LoadIsoProgram(text, program, &error)) throw UsageError(error);
  for (const std::string& dir : {key_frames, run_dir}) {
    std::error_code ec;
    if (!dir.empty()) std::filesystem::create_directories(dir, ec);
    if (ec) throw HostError("cannot create " + dir + ": " + ec.message());
  }

  Screen screen(size.width, size.height);
  TickClock clock;
  PlotlineRunner runner(screen, cnc, clock.counter(), TickClock::kFrequency);
  runner.graphics().recorder().Enable(false);
  ScopedDispatchObserver refresh([&clock](uint32_t, int) { clock.Refresh(); });
  view.right = size.width - 1;
  view.bottom = size.height - 1;
  view.program_name = std::filesystem::path(program).filename().string();
  if (!runner.Load(view, &error)) throw HostError(error);

  auto write = [&](const std::string& path) {
    if (!screen.WritePng(path, &error)) throw HostError(error);
  };
  // The machine stands at the program's start.
  double tool[3];
  ToolAtEntry(cnc, 0, tool);
  runner.SetTool(tool[0], tool[1], tool[2]);
  runner.Prefix();
  uint32_t calls = runner.DataUntilDrawn();
  for (int i = 0; i < orientation; ++i) {
    runner.Data(7);  // the plan's next orientation
    calls += 1 + runner.DataUntilDrawn();
  }
  int key_number = 0;
  for (uint8_t key : keys) {
    runner.Data(key);
    calls += 1 + runner.DataUntilDrawn();
    if (!key_frames.empty()) write(FrameName(key_frames, "key", ++key_number));
  }

  if (!run_dir.empty()) {
    // The machine runs the program: the executed count grows along the
    // blocks and the tool stands at the end of the last one executed.
    uint32_t blocks = cnc.count_b;
    std::vector<std::vector<uint8_t>> frames;
    for (int f = 0; f <= frame_count; ++f) {
      uint32_t executed = static_cast<uint32_t>((static_cast<uint64_t>(blocks) * f) / frame_count);
      runner.SetExecuted(executed);
      ToolAtEntry(cnc, executed == 0 ? 0 : executed - 1, tool);
      runner.SetTool(tool[0], tool[1], tool[2]);
      calls += runner.DataUntilDrawn();
      if (!apng.empty()) frames.push_back(screen.Rgb());
      else write(FrameName(run_dir, "run", f));
    }
    if (!apng.empty() && !WriteApngRgb(apng, size.width, size.height, frames, 120, &error)) throw HostError(error);
  }
  write(png);
  if (!quiet) printf("%s: %u blocks, %u DATA_PLOTLINE calls\n", png.c_str(), cnc.count_b, calls);
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
    KeysOption("--keys", kPlotKeys, "key codes 1 to 255 pressed one per DATA_PLOTLINE call"),
    Text("--key-frames", "DIR", "a PNG after every key, DIR/key_NNNN.png"),
    Text("--run", "DIR", "follows the program as the machine executes it, DIR/run_NNNN.png"),
    Int("--frames", 1, 1000, "40", "steps of the run (with --run)"),
    Text("--apng", "FILE", "the run as one animated PNG instead of frames (with --run)"),
    Flag("--quiet", "print nothing on success"),
}, Plotline});

}  // namespace
}  // namespace host
