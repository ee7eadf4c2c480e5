#include "host/runners/vitals_session.h"

#include <stdio.h>

#include <filesystem>

#include "host/runners/event_ring_text.h"
#include "host/runners/panel_settings.h"
#include "host/services/host_error.h"

namespace host {

namespace fs = std::filesystem;

const KeyTable kVitalsKeys = {{
    {"live", kEventKeyLive, 0, "START (live) or STOP", ""},
    {"forward", kEventKeyForward, 0, "page forward (stopped)", ""},
    {"back", kEventKeyBack, 0, "page back (stopped)", ""},
    {"filter", kEventKeyFilter, 0, "next filter", ""},
    {"export", kEventKeyExport, 0, "write EVENTS.TXT", ""},
    {"png", 0, 0, "the screen as it is now", "FILE"},
}};

VitalsSession::VitalsSession(const std::string& folder)
    : folder_(folder),
      files_(folder),
      display_(screen_, TextStyle::kScreen),
      runner_(files_, display_, memory_),
      screens_(runner_, memory_) {
  display_.recorder().Enable(false);
  // The event log's files go to c:\events\ on the control.
  std::error_code ec;
  fs::create_directories(folder + "/c/events", ec);
  if (ec) throw HostError("cannot create " + folder + "/c/events: " + ec.message());
}

bool VitalsSession::Load(uint32_t language, std::string* error) { return runner_.Load(language, error); }

std::string VitalsSession::SetUp(const VitalsSetup& setup) {
  setup_ = setup;
  if (setup.screen == "panel") {
    const std::string why =
        ApplyPanelSettings(setup.settings, setup.variant, setup.machine, &runner_.panel_data(), memory_);
    if (!why.empty()) return why;
    runner_.ApplyPanelData();
    return "";
  }
  if (setup.screen == "events") {
    std::vector<EVENT_RECORD> events;
    const std::string why = ParseEventRing(setup.ring, &events);
    if (!why.empty()) return why;
    event_count_ = events.size();
    if (setup.wrapped) FillWrapped(memory_, events);
    else AppendEvents(memory_, events);
    // The control's date, fixed so that pictures repeat.
    memory_.Set<uint16_t>(kEventYear, 2026);
    memory_.Set<uint8_t>(kEventDay, 9);
    memory_.Set<uint8_t>(kEventMonth, 12);
    runner_.event_parameters()[0] = setup.limit;
    runner_.events().layout = setup.layout;
    return "";
  }
  if (!VitalsScreens::Known(setup.screen)) return "no screen \"" + setup.screen + "\"";
  return screens_.Apply(setup.screen, setup.settings);
}

void VitalsSession::Open() {
  runner_.Init();
  if (setup_.screen == "panel") {
    runner_.PanelPrefix();
  } else if (setup_.screen == "events") {
    if (setup_.critical) {
      // The control keeps EVCRITIC.TXT; a first run finds it empty.
      const std::string critical = folder_ + "/c/events/EVCRITIC.TXT";
      if (!fs::exists(critical))
        if (FILE* f = fopen(critical.c_str(), "wb")) fclose(f);
      runner_.WriteCritical();
      critical_result_ = runner_.events().result;
    }
    runner_.EventPrefix();
  } else {
    ScreenRun run;
    run.screen = setup_.screen;
    run.layout = setup_.layout;
    run.keyboard = setup_.keyboard;
    run.leds = setup_.leds;
    run.labelled = setup_.labelled;
    screens_.Open(run);
  }
}

void VitalsSession::Idle() {
  if (setup_.screen == "keyboard") return Held(kNoKeysHeld);
  Key(0);
}

void VitalsSession::Key(int code) {
  if (setup_.screen == "keyboard") return Held({code, -1, -1, -1});
  ++calls_;
  if (setup_.screen == "panel") runner_.PanelData();
  else if (setup_.screen == "events") runner_.EventData(static_cast<uint8_t>(code));
  else screens_.Data(code);
}

void VitalsSession::Step(const KeyStep& step) {
  if (step.kind == KeyStep::kKey) Key(step.code);
  if (step.kind == KeyStep::kWait)
    for (uint32_t ms = 0; ms < step.wait_ms; ms += kCycleMs) Idle();
}

void VitalsSession::Held(const HeldKeys& keys) {
  ++calls_;
  screens_.Cont(keys);
}

}  // namespace host
