// libTracer's path graphics in the console: set up as `hostsim path` does,
// then called once every cycle while the machine moves along the program,
// each key taking a call of its own. The calls between two keys are the
// waits of the recorded script, so the batch command makes the same calls.
#include <fstream>
#include <sstream>

#include "host/console/operation_link.h"
#include "host/console/operations.h"
#include "host/runners/path_session.h"
#include "host/services/tick_clock.h"

namespace host {

namespace {
constexpr uint64_t kCallUs = 10000;  // the control's cycle: one path graphics call
constexpr uint32_t kFrameMs = 40;
}  // namespace

void RunPath(const OperationRequest& request, OperationLink& link) {
  const OptionValues& values = request.values;
  std::ifstream file(values.at("PROGRAM"), std::ios::binary);
  std::stringstream program;
  program << file.rdbuf();
  if (!file) return link.Status("failed", "cannot read the program");
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
  if (!session.Load(program.str(), settings, &error)) return link.Status("failed", error);
  session.Start();
  link.Frame(session.screen());
  link.Status("running", "the machine moves along " + request.shown.at("PROGRAM"));

  uint32_t since_key = 0;  // calls without a key since the last key
  uint64_t next_call_us = MonotonicMicroseconds();
  bool standing = false;
  for (;;) {
    int timeout_ms = -1;
    if (session.moving()) {
      const uint64_t now = MonotonicMicroseconds();
      timeout_ms = next_call_us > now ? static_cast<int>((next_call_us - now + 999) / 1000) : 0;
    }
    int code = 0;
    const OperationLink::KeyArrival arrival = link.NextKey(timeout_ms, &code);
    if (arrival == OperationLink::kClosed) return;
    if (arrival == OperationLink::kKey) {
      link.KeyWait(since_key);
      since_key = 0;
      session.Call(static_cast<uint8_t>(code));
      link.SinceKey(since_key);
      link.Frame(session.screen());
    } else if (session.moving() && MonotonicMicroseconds() >= next_call_us) {
      session.Call(0);
      ++since_key;
      next_call_us += kCallUs;
      link.SinceKey(since_key);
      if (session.moving()) link.FrameEvery(session.screen(), kFrameMs);
    }
    if (!session.moving() && !standing) {
      standing = true;
      link.Frame(session.screen());
      link.Result(std::to_string(session.calls()) + " path graphics calls, " + std::to_string(session.segments()) +
                  " moves");
      link.Status("finished", "the machine stands at the program's end");
    }
  }
}

}  // namespace host
