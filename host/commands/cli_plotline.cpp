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
#include "host/runners/plotline_runner.h"
#include "host/screen/png.h"
#include "host/services/dispatch.h"
#include "host/services/tick_clock.h"

namespace host {
namespace {

const char* const kUsage =
    "PROGRAM.nc --png OUT.png [--machine FILE] [--view plan|axo|persp] [--orientation 0|1|2]\n"
    "        [--lang N] [--size WxH] [--corrections R|D|RD] [--keys K,K,...] [--key-frames DIR]\n"
    "        [--run DIR [--frames N] [--apng OUT.png]] [--quiet]";

int Fail(const std::string& message) {
  fprintf(stderr, "hostsim plotline: %s\n", message.c_str());
  return 2;
}

bool ReadText(const std::string& path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::stringstream s;
  s << in.rdbuf();
  *text = s.str();
  return true;
}

bool ParseKeys(const std::string& list, std::vector<uint8_t>* keys) {
  std::stringstream in(list);
  for (std::string item; std::getline(in, item, ',');) {
    char* end = nullptr;
    long k = strtol(item.c_str(), &end, 10);
    if (item.empty() || *end != '\0' || k < 1 || k > 255) return false;
    keys->push_back(static_cast<uint8_t>(k));
  }
  return !keys->empty();
}

struct Options {
  std::string program, png, machine, key_frames, run_dir, apng;
  PlotlineOptions view;
  int width = 800, height = 600, orientation = 0, frames = 40;
  std::vector<uint8_t> keys;
  bool quiet = false;
};

// Empty when the options are sound, else the reason.
std::string Parse(const std::vector<std::string>& args, Options* o) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    bool has_value = i + 1 < args.size();
    auto value = [&]() { return args[++i]; };
    if (a == "--quiet") { o->quiet = true; continue; }
    if (a.rfind("--", 0) == 0 && !has_value) return a + " needs a value";
    if (a == "--png") o->png = value();
    else if (a == "--machine") o->machine = value();
    else if (a == "--view") {
      std::string v = value();
      if (v == "plan") o->view.view_request = kRequestPlan;
      else if (v == "axo") o->view.view_request = kRequestAxonometry;
      else if (v == "persp") o->view.view_request = kRequestPerspective;
      else return "--view takes plan, axo or persp";
    } else if (a == "--orientation") {
      std::string v = value();
      if (v != "0" && v != "1" && v != "2") return "--orientation takes 0, 1 or 2";
      o->orientation = v[0] - '0';
    } else if (a == "--lang") {
      o->view.language = static_cast<uint32_t>(atoi(value().c_str()));
    } else if (a == "--size") {
      if (sscanf(value().c_str(), "%dx%d", &o->width, &o->height) != 2 || o->width < 64 || o->height < 64 ||
          o->width > 4000 || o->height > 4000)
        return "--size takes WxH, 64 to 4000 pixels each";
    } else if (a == "--corrections") {
      std::string v = value();
      if (v.find_first_not_of("RD") != std::string::npos) return "--corrections takes R, D or RD";
      o->view.display_flags = (v.find('R') != std::string::npos ? 1 : 0) | (v.find('D') != std::string::npos ? 2 : 0);
    } else if (a == "--keys") {
      if (!ParseKeys(value(), &o->keys)) return "--keys takes key codes 1-255 separated by commas";
    } else if (a == "--key-frames") o->key_frames = value();
    else if (a == "--run") o->run_dir = value();
    else if (a == "--apng") o->apng = value();
    else if (a == "--frames") {
      o->frames = atoi(value().c_str());
      if (o->frames < 1 || o->frames > 1000) return "--frames takes 1 to 1000";
    } else if (a.rfind("--", 0) == 0) return "unknown option " + a;
    else if (o->program.empty()) o->program = a;
    else return "one program only";
  }
  if (o->program.empty()) return "no program given";
  if (o->png.empty()) return "--png is required";
  if (!o->apng.empty() && o->run_dir.empty()) return "--apng goes with --run";
  if (o->orientation != 0 && o->view.view_request != kRequestPlan) return "--orientation is for the plan view";
  return "";
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

int Plotline(const std::vector<std::string>& args) {
  Options o;
  std::string reason = Parse(args, &o);
  if (!reason.empty()) {
    fprintf(stderr, "hostsim plotline: %s\nusage: hostsim plotline %s\n", reason.c_str(), kUsage);
    return 2;
  }
  MachineDescription machine;
  std::string text, error;
  if (!o.machine.empty()) {
    if (!ReadText(o.machine, &text)) return Fail(o.machine + ": cannot be read");
    if (!ParseMachineDescription(text, o.machine, &machine, &error)) return Fail(error);
  }
  if (!ReadText(o.program, &text)) return Fail(o.program + ": cannot be read");
  CncState cnc(machine);
  if (!cnc.LoadIsoProgram(text, o.program, &error)) return Fail(error);
  for (const std::string& dir : {o.key_frames, o.run_dir})
    if (!dir.empty()) std::filesystem::create_directories(dir);

  Screen screen(o.width, o.height);
  TickClock clock;
  PlotlineRunner runner(screen, cnc, clock.counter(), TickClock::kFrequency);
  runner.graphics().recorder().Enable(false);
  SetDispatchObserver([&clock](uint32_t, int) { clock.Refresh(); });
  o.view.right = o.width - 1;
  o.view.bottom = o.height - 1;
  o.view.program_name = std::filesystem::path(o.program).filename().string();
  if (!runner.Load(o.view, &error)) return Fail(error);

  auto write = [&](const std::string& path) {
    if (screen.WritePng(path, &error)) return true;
    fprintf(stderr, "hostsim plotline: %s\n", error.c_str());
    return false;
  };
  // The machine stands at the program's start.
  double tool[3];
  ToolAtEntry(cnc, 0, tool);
  runner.SetTool(tool[0], tool[1], tool[2]);
  runner.Prefix();
  uint32_t calls = runner.DataUntilDrawn();
  for (int i = 0; i < o.orientation; ++i) {
    runner.Data(7);  // the plan's next orientation
    calls += 1 + runner.DataUntilDrawn();
  }
  int key_number = 0;
  for (uint8_t key : o.keys) {
    runner.Data(key);
    calls += 1 + runner.DataUntilDrawn();
    if (!o.key_frames.empty() && !write(FrameName(o.key_frames, "key", ++key_number))) return 1;
  }

  if (!o.run_dir.empty()) {
    // The machine runs the program: the executed count grows along the
    // blocks and the tool stands at the end of the last one executed.
    uint32_t blocks = cnc.count_b;
    std::vector<std::vector<uint8_t>> frames;
    for (int f = 0; f <= o.frames; ++f) {
      uint32_t executed = static_cast<uint32_t>((static_cast<uint64_t>(blocks) * f) / o.frames);
      runner.SetExecuted(executed);
      ToolAtEntry(cnc, executed == 0 ? 0 : executed - 1, tool);
      runner.SetTool(tool[0], tool[1], tool[2]);
      calls += runner.DataUntilDrawn();
      if (!o.apng.empty()) frames.push_back(screen.Rgb());
      else if (!write(FrameName(o.run_dir, "run", f))) return 1;
    }
    if (!o.apng.empty() && !WriteApngRgb(o.apng, o.width, o.height, frames, 120, &error))
      return Fail(error);
  }
  if (!write(o.png)) return 1;
  if (!o.quiet) printf("%s: %u blocks, %u DATA_PLOTLINE calls\n", o.png.c_str(), cnc.count_b, calls);
  return 0;
}

CommandRegistration plotline_command("plotline", kUsage, Plotline);

}  // namespace
}  // namespace host
