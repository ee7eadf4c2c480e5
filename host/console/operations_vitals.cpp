// libVitals in the console, set up as `hostsim vitals` does (VitalsSession).
// The system-information panel makes its DATA_VITALS calls on the panel's
// cycle and stands; the event log, the keyboard test and the other screens
// run on their own clock (timed_screen.h): a call every 100 ms of it, and
// each key handed over as the word `hostsim vitals --keys` replays.
#include <functional>

#include "host/console/operation_link.h"
#include "host/console/operations.h"
#include "host/console/timed_screen.h"
#include "host/runners/vitals_session.h"
#include "host/services/tick_clock.h"
#include "vitals/vitals_records.h"

namespace host {
namespace {

std::string Value(const OperationRequest& request, const std::string& name, const std::string& otherwise) {
  auto it = request.values.find(name);
  return it != request.values.end() ? it->second : otherwise;
}

// Loads the library, sets the screen up and opens it; false when the
// operation has failed (reported).
bool Prepare(const OperationRequest& request, OperationLink& link, VitalsSession& session, const VitalsSetup& setup) {
  std::string error;
  if (!session.Load(static_cast<uint32_t>(std::stoul(request.values.at("--lang"))), &error)) {
    link.Status("failed", error);
    return false;
  }
  error = session.SetUp(setup);
  if (!error.empty()) {
    link.Status("failed", error);
    return false;
  }
  session.Open();
  link.Frame(session.screen());
  return true;
}

// A screen called every cycle and with each key (the words of
// `operation`'s table); `pressed` is told of each step after its call.
void RunCalled(const char* operation, OperationLink& link, VitalsSession& session,
               const std::function<void(const KeyStep&)>& pressed) {
  TimedScreen screen;
  screen.operation = FindOperation(operation);
  screen.keys = &kVitalsKeys;
  screen.cycle_ms = VitalsSession::kCycleMs;
  screen.advance = [&](uint32_t ms) { session.Step({KeyStep::kWait, 0, 0, "", "", ms, ""}); };
  screen.press = [&](const std::vector<KeyStep>& steps) {
    for (const KeyStep& step : steps) {
      session.Step(step);
      if (pressed) pressed(step);
    }
  };
  screen.picture = [&]() -> const Screen& { return session.screen(); };
  link.Status("running", session.screen_name() + ": a call every " + std::to_string(VitalsSession::kCycleMs) + " ms");
  RunTimedScreen(screen, link);
}

}  // namespace

void RunVitalsPanel(const OperationRequest& request, OperationLink& link) {
  VitalsSession session(request.folder);
  VitalsSetup setup;
  setup.screen = "panel";
  setup.machine = request.values.at("--machine")[0];
  setup.variant = request.values.count("--variant") != 0;
  if (!Prepare(request, link, session, setup)) return;
  const int calls = std::stoi(request.values.at("--calls"));
  link.Status("running", "DATA_VITALS every " + std::to_string(VitalsSession::kPanelCycleMs) + " ms");
  uint64_t next = MonotonicMicroseconds();
  int code = 0;
  for (int i = 0; i < calls; ++i) {
    next += VitalsSession::kPanelCycleMs * 1000ull;
    const uint64_t now = MonotonicMicroseconds();
    if (now < next && link.NextKey(static_cast<int>((next - now) / 1000), &code) == OperationLink::kClosed) return;
    session.Idle();
    link.FrameEvery(session.screen(), 40);
  }
  link.Frame(session.screen());
  link.Result(std::to_string(calls) + " DATA_VITALS calls");
  link.Status("finished", "the panel stands");
  while (link.NextKey(-1, &code) == OperationLink::kKey) {
  }
}

void RunVitalsEvents(const OperationRequest& request, OperationLink& link) {
  std::string ring;
  if (!ReadWholeFile(request.values.at("--ring"), &ring)) return link.Status("failed", "cannot read the ring file");
  VitalsSession session(request.folder);
  VitalsSetup setup;
  setup.screen = "events";
  setup.ring = ring;
  setup.layout = request.values.at("--layout")[0];
  setup.wrapped = request.values.count("--wrapped") != 0;
  setup.critical = request.values.count("--critical") != 0;
  if (!Prepare(request, link, session, setup)) return;
  link.Result(std::to_string(session.event_count()) + " events in the ring");
  if (setup.critical) link.Result("WRITE_EVENT_CRITICAL: result byte " + std::to_string(session.critical_result()));
  RunCalled("vitals-events", link, session, [&](const KeyStep& step) {
    if (step.kind == KeyStep::kKey && step.code == kEventKeyExport)
      link.Result("EVENTS.TXT written: result byte " + std::to_string(session.runner().events().result));
  });
}

void RunVitalsScreen(const OperationRequest& request, OperationLink& link) {
  VitalsSession session(request.folder);
  VitalsSetup setup;
  setup.screen = request.values.at("SCREEN");
  setup.layout = request.values.at("--layout")[0];
  setup.keyboard = Value(request, "--type", "D")[0];
  setup.leds = static_cast<uint8_t>(std::stoi(Value(request, "--leds", "0")));
  setup.labelled = request.values.count("--labelled") != 0;
  if (!Prepare(request, link, session, setup)) return;
  // The keyboard test is an operation of its own: its keys are the panel's.
  RunCalled(setup.screen == "keyboard" ? "vitals-keyboard" : "vitals", link, session, nullptr);
}

}  // namespace host
