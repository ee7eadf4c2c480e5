// hostsim path PROGRAM.nc --frames DIR | --png OUT.png [options]
//   runs libTracer's path graphics while the simulated machine moves along
//   an ISO program at a fixed feed per call, and writes numbered PNGs and
//   the last picture.
#include <stdio.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "host/commands/command.h"
#include "host/commands/file_args.h"
#include "host/runners/path_session.h"
#include "host/services/sandbox_folder.h"

namespace host {
namespace {

namespace fs = std::filesystem;

// "CALL:KEY,..." into call number -> key code; the key part is read by the
// shared key-script parser.
std::map<uint64_t, uint8_t> CallKeyList(const std::string& list) {
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

// --keys is either the list "CALL:KEY,..." or a key script (@FILE or
// words; its "wait N" lets N calls pass), as the console records it; *stop
// the call a script ending with a wait ends the run at (else 0).
std::map<uint64_t, uint8_t> PathKeys(const std::string& value, uint64_t* stop) {
  *stop = 0;
  const bool file = value.size() > 1 && value[0] == '@';
  if (!file && value.find(':') != std::string::npos) return CallKeyList(value);
  const std::string script = file ? ReadInputFile(value.substr(1), kMaxKeyScriptBytes) : value;
  std::vector<KeyStep> steps;
  std::map<uint64_t, uint8_t> keys;
  std::string error = ParseKeyScript(script, kPathKeys, &steps);
  if (error.empty()) PathKeyCalls(steps, &keys, stop, &error);
  if (!error.empty()) throw UsageError("--keys \"" + value + "\": " + error);
  return keys;
}

int Path(const ParsedArgs& args) {
  const std::string program_path = args.Text("PROGRAM"), png = args.Text("--png");
  const fs::path frames = args.Text("--frames");
  if (frames.empty() && png.empty()) throw UsageError("give --frames DIR, --png FILE or both");
  uint64_t stop = 0;
  const std::map<uint64_t, uint8_t> keys = PathKeys(args.Text("--keys"), &stop);
  PathSettings settings;
  settings.language = static_cast<uint32_t>(args.Int("--lang"));
  settings.layout = static_cast<uint8_t>(args.ChoiceIndex("--layout") + 1);
  settings.zoom = static_cast<uint8_t>(args.Int("--zoom"));
  settings.origin = static_cast<uint8_t>(args.Int("--origin"));
  settings.mode_text = args.Text("--mode-text");
  settings.tool_radius_mm = args.Real("--tool-radius");
  settings.trail = static_cast<uint8_t>(args.Int("--trail"));
  settings.feed_mm = args.Real("--feed");
  const uint64_t every = static_cast<uint64_t>(args.Int("--every"));

  SandboxFolder sandbox("path");
  PathSession session(sandbox.root());
  std::string error;
  if (!session.Load(ReadInputFile(program_path, 16u << 20), settings, &error)) {
    if (session.segments() == 0) throw UsageError(program_path + ": " + error);
    throw HostError(error);
  }
  if (!frames.empty()) {
    std::error_code ec;
    fs::create_directories(frames, ec);
    if (!fs::is_directory(frames)) throw HostError("cannot make the folder " + frames.string());
  }
  session.Start();
  uint64_t frame = 0;
  auto write_frame = [&]() {
    if (frames.empty()) return;
    char name[32];
    snprintf(name, sizeof name, "frame_%05llu.png", static_cast<unsigned long long>(++frame));
    if (!session.screen().WritePng((frames / name).string(), &error)) throw HostError(error);
  };
  // The machine runs to the program's end, or to where a script ending
  // with a wait stops it; keys given for later calls are pressed with the
  // machine standing there.
  const uint64_t last_key = keys.empty() ? 0 : keys.rbegin()->first;
  while (stop != 0 ? session.calls() < stop : session.moving() || session.calls() < last_key) {
    auto key = keys.find(session.calls() + 1);
    session.Call(key != keys.end() ? key->second : 0);
    if (session.calls() % every == 0) write_frame();
  }
  if (session.calls() % every != 0 || session.calls() == 0) write_frame();
  if (!png.empty() && !session.screen().WritePng(png, &error)) throw HostError(error);
  printf("%llu calls, %zu moves, %llu frames in %s\n", static_cast<unsigned long long>(session.calls()),
         session.segments(), static_cast<unsigned long long>(frame), frames.empty() ? "-" : frames.string().c_str());
  return kExitOk;
}

CommandRegistration path_command({"path",
    "the path graphics (libTracer) while the machine runs an ISO program; numbered PNG frames, the last picture", {
    Positional("PROGRAM", "the ISO program the axes follow (X is axis 0, drawn vertically)"),
    Text("--frames", "DIR", "folder for frame_00001.png, ..."),
    Text("--png", "FILE", "the last picture"),
    Int("--every", 1, 1000000, "20", "write a frame every N calls"),
    Choice("--layout", {"full", "right", "left"}, "full", "drawing area: whole width, right or left half"),
    Int("--zoom", 0, 12, "8", "zoom index (0: 0.025 mm grid ... 12: 500 mm grid)"),
    Int("--origin", 0, 8, "0", "origin position (0 centre, 1 bottom left, ... 8 middle left)"),
    Text("--mode-text", "T", "the host's mode text; its fourth character is the reference mode", "S000"),
    Real("--tool-radius", 0, 9999, "2", "tool radius in mm (0: no circle)"),
    Int("--trail", 0, 2, "0", "trail colour: 0, 1 or 2 (display bytes 20, 27, 22)"),
    Real("--feed", 0.001, 32, "1", "millimetres moved per call"),
    Text("--keys", "CALL:KEY,...|SCRIPT",
         "keys at given calls: origin, zoom-out, zoom-in, plane, snapshot; or a key script whose \"wait N\" "
         "lets N calls pass (each key takes a call; a closing wait ends the run there)"),
    LanguageOption(),
}, Path});

}  // namespace
}  // namespace host
