// hostsim path PROGRAM.nc --frames DIR [options]
//   runs libTracer's path graphics while the simulated machine moves along
//   an ISO program at a fixed feed per call, and writes numbered PNGs.
#include <math.h>
#include <stdio.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "host/commands/command.h"
#include "host/commands/file_args.h"
#include "host/runners/path_motion.h"
#include "host/runners/tracer_runner.h"
#include "host/screen/screen.h"
#include "host/services/display_services.h"
#include "host/services/file_services.h"
#include "host/services/sandbox_folder.h"
#include "host/services/tracer_host.h"
#include "tracer/path_graphics.h"

namespace host {
namespace {

namespace fs = std::filesystem;

const KeyTable kPathKeys = {{
    {"origin", 1, 0, "move the axis origin to the next of nine positions", ""},
    {"zoom-out", 2, 0, "coarser grid", ""},
    {"zoom-in", 3, 0, "finer grid", ""},
    {"plane", 4, 0, "next plane (redraws)", ""},
    {"snapshot", 5, 0, "redraw with a fresh position read-out", ""},
}, false};

// "CALL:KEY,..." into call number -> key code; the key part is read by the
// shared key-script parser.
std::map<uint64_t, uint8_t> PathKeys(const std::string& list) {
  std::map<uint64_t, uint8_t> keys;
  std::stringstream items(list);
  std::string item;
  while (std::getline(items, item, ',')) {
    const size_t colon = item.find(':');
    char* end = nullptr;
    const std::string call_text = item.substr(0, colon);
    const unsigned long long call = strtoull(call_text.c_str(), &end, 10);
    std::vector<KeyStep> steps;
    std::string error = colon == std::string::npos || call_text.empty() || *end != '\0' || call == 0
                            ? "CALL must be a call number from 1"
                            : ParseKeyScript(item.substr(colon + 1), kPathKeys, &steps);
    if (error.empty() && (steps.size() != 1 || steps[0].kind != KeyStep::kKey || steps[0].code < 1 ||
                          steps[0].code > 5))
      error = "KEY must be one of origin, zoom-out, zoom-in, plane, snapshot (or 1 to 5)";
    if (!error.empty()) throw UsageError("--keys \"" + item + "\": " + error);
    keys[call] = static_cast<uint8_t>(steps[0].code);
  }
  return keys;
}

int16_t TakeStep(double target, int64_t* reached) {
  int64_t delta = llround(target) - *reached;
  if (delta > INT16_MAX) delta = INT16_MAX;
  if (delta < INT16_MIN) delta = INT16_MIN;
  *reached += delta;
  return static_cast<int16_t>(delta);
}

int Path(const ParsedArgs& args) {
  const std::string program_path = args.Text("PROGRAM");
  PathMotion motion;
  std::string error;
  if (!motion.Load(ReadInputFile(program_path, 16u << 20), &error))
    throw UsageError(program_path + ": " + error);
  const std::map<uint64_t, uint8_t> keys = PathKeys(args.Text("--keys"));
  const fs::path frames = args.Text("--frames");
  std::error_code ec;
  fs::create_directories(frames, ec);
  if (!fs::is_directory(frames)) throw HostError("cannot make the folder " + frames.string());

  SandboxFolder sandbox("path");
  FileServices files(sandbox.root());
  Screen screen(640, 480);
  DisplayServices display(screen, TextStyle::kForm);
  TracerHost host(display, &files);
  TracerRunner runner(host, files);
  if (!runner.Load(static_cast<uint32_t>(args.Int("--lang")), &error)) throw HostError(error);

  host.record().layoutMode = static_cast<uint8_t>(args.ChoiceIndex("--layout") + 1);
  host.zoom_index = static_cast<uint8_t>(args.Int("--zoom"));
  host.zoom_divisor = ZoomDivisor(host.zoom_index);
  host.origin_pos = static_cast<uint8_t>(args.Int("--origin"));
  const std::string mode = args.Text("--mode-text");
  snprintf(host.mode_text, sizeof host.mode_text, "%s", mode.c_str());
  const double radius = args.Real("--tool-radius");
  host.SetToolRadius(static_cast<uint32_t>(llround(radius * 1000)), radius > 0);
  const double feed = args.Real("--feed") * 1000;
  const uint64_t every = static_cast<uint64_t>(args.Int("--every"));

  int64_t reached_x = llround(motion.x()), reached_y = llround(motion.y());
  host.SetAxisBlock(0, static_cast<int32_t>(reached_x));
  host.SetAxisBlock(1, static_cast<int32_t>(reached_y));
  host.trail_colour = static_cast<uint8_t>(args.Int("--trail"));
  screen.Clear(display.block()[29]);  // the host's window, in the screen's erase colour
  runner.PathPrefix();
  uint64_t frame = 0;
  auto write_frame = [&]() {
    char name[32];
    snprintf(name, sizeof name, "frame_%05llu.png", static_cast<unsigned long long>(++frame));
    if (!screen.WritePng((frames / name).string(), &error)) throw HostError(error);
  };
  bool moving = true;
  uint64_t call = 0;
  while (moving || reached_x != llround(motion.x()) || reached_y != llround(motion.y())) {
    ++call;
    auto key = keys.find(call);
    if (key != keys.end()) {
      host.key_code = key->second;
    } else {
      if (moving && reached_x == llround(motion.x()) && reached_y == llround(motion.y()))
        moving = motion.Step(feed);
      host.step_v = TakeStep(motion.x(), &reached_x);  // axis 0 is drawn vertically
      host.step_h = TakeStep(motion.y(), &reached_y);
      host.SetAxisBlock(0, static_cast<int32_t>(reached_x));
      host.SetAxisBlock(1, static_cast<int32_t>(reached_y));
    }
    runner.PathRun();
    if (call % every == 0) write_frame();
  }
  if (call % every != 0 || call == 0) write_frame();
  printf("%llu calls, %zu moves, %llu frames in %s\n", static_cast<unsigned long long>(call),
         motion.segments(), static_cast<unsigned long long>(frame), frames.string().c_str());
  return kExitOk;
}

CommandRegistration path_command({"path",
    "the path graphics (libTracer) while the machine runs an ISO program; numbered PNG frames", {
    Positional("PROGRAM", "the ISO program the axes follow (X is axis 0, drawn vertically)"),
    Text("--frames", "DIR", "folder for frame_00001.png, ...").Required(),
    Int("--every", 1, 1000000, "20", "write a frame every N calls"),
    Choice("--layout", {"full", "right", "left"}, "full", "drawing area: whole width, right or left half"),
    Int("--zoom", 0, 12, "8", "zoom index (0: 0.025 mm grid ... 12: 500 mm grid)"),
    Int("--origin", 0, 8, "0", "origin position (0 centre, 1 bottom left, ... 8 middle left)"),
    Text("--mode-text", "T", "the host's mode text; its fourth character is the reference mode", "S000"),
    Real("--tool-radius", 0, 9999, "2", "tool radius in mm (0: no circle)"),
    Int("--trail", 0, 2, "0", "trail colour: 0, 1 or 2 (display bytes 20, 27, 22)"),
    Real("--feed", 0.001, 32, "1", "millimetres moved per call"),
    Text("--keys", "CALL:KEY,...", "keys at given calls: origin, zoom-out, zoom-in, plane, snapshot"),
    LanguageOption(),
}, Path});

}  // namespace
}  // namespace host
