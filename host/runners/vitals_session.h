// One libVitals screen with everything it runs on, set up as the control's
// main program does: the drive folder (with its c/events directory), an
// 800 x 600 screen, the display block, the host memory and the records,
// the screen's host data; then INIT_VITALS and the screen's PREFIX once,
// and one periodic call (DATA_VITALS, DATA_EVENT, DATA, ZMENA_LED or
// CONT_TESTTLAC) per key or per cycle without one. `hostsim vitals` and the
// console both build it, so the same calls paint the same screen in both.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "host/commands/key_script.h"
#include "host/runners/vitals_runner.h"
#include "host/runners/vitals_screens.h"
#include "host/screen/screen.h"
#include "host/services/display_services.h"
#include "host/services/file_services.h"
#include "host/services/host_memory.h"

namespace host {

// The key script's names: the event log's keys; the other screens take
// key codes (the keyboard test: key numbers).
extern const KeyTable kVitalsKeys;

// What a screen is opened with; each field names the screens it is for.
struct VitalsSetup {
  std::string screen;                  // "panel", "events" or one of VitalsScreens::Names()
  char layout = 'C';                   // events and screens
  std::vector<std::string> settings;   // panel and screens: NAME=VALUE host data
  bool variant = false;                // panel: the second-spindle variant
  char machine = 'P';                  // panel: the machine-type letter
  std::string ring;                    // events: the ring as text (event_ring_text.h)
  bool wrapped = false;                // events: the ring has gone round
  uint32_t limit = 0;                  // events: the export limit, its BCD digits
  bool critical = false;               // events: WRITE_EVENT_CRITICAL before the prefix
  char keyboard = 'D';                 // keyboard: the panel type
  uint8_t leds = 0;                    // leds: the LED byte
  bool labelled = false;               // leds: the labelled strip
};

class VitalsSession {
 public:
  // The control's periodic calls while no key comes: one a cycle. A key
  // script's `wait MS` stands for ceil(MS / kCycleMs) of them.
  static constexpr uint32_t kCycleMs = 100;
  // The panel's periodic call: each paints at most one field.
  static constexpr uint32_t kPanelCycleMs = 10;

  // `folder` is the drive folder the library's file services reach.
  explicit VitalsSession(const std::string& folder);
  VitalsSession(const VitalsSession&) = delete;
  VitalsSession& operator=(const VitalsSession&) = delete;

  // Loads libVitals with the operator's language; false with *error.
  bool Load(uint32_t language, std::string* error);
  // The screen's host data: the sample machine, then the settings (or the
  // ring). "" or why a setting or the ring was refused.
  std::string SetUp(const VitalsSetup& setup);
  // INIT_VITALS, for the event log WRITE_EVENT_CRITICAL when asked, then
  // the screen's PREFIX.
  void Open();
  // One periodic call without a key.
  void Idle();
  // One periodic call with the key in the record; the keyboard test holds
  // key number `code` for this call.
  void Key(int code);
  // The keyboard test: one CONT_TESTTLAC with these keys held.
  void Held(const HeldKeys& keys);
  // A step of a key script (kVitalsKeys): a key one call with it, `wait
  // MS` one call without a key per cycle begun. Others call nothing.
  void Step(const KeyStep& step);

  int calls() const { return calls_; }
  // The event log: the events of the ring file.
  size_t event_count() const { return event_count_; }
  // The event log's file result byte after WRITE_EVENT_CRITICAL (0: none).
  uint8_t critical_result() const { return critical_result_; }
  const std::string& folder() const { return folder_; }
  const std::string& screen_name() const { return setup_.screen; }
  Screen& screen() { return screen_; }
  VitalsRunner& runner() { return runner_; }

 private:
  std::string folder_;
  FileServices files_;
  Screen screen_{800, 600};
  DisplayServices display_;
  HostMemory memory_;
  VitalsRunner runner_;
  VitalsScreens screens_;
  VitalsSetup setup_;
  int calls_ = 0;
  size_t event_count_ = 0;
  uint8_t critical_result_ = 0;
};

}  // namespace host
