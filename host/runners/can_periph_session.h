// Anvil's CAN peripheral screen with everything it runs on, set up as the
// control does: an 800 x 600 screen in the host's white behind the panels,
// the simulated nodes of the second CAN line and the library; every
// DATA_IO8 followed by the CAN driver's turn, so an answer shows with the
// next call. `hostsim can-periph` and the console both build it, so the
// same actions paint the same screen in both.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "host/commands/key_script.h"
#include "host/runners/can_periph_runner.h"
#include "host/screen/screen.h"
#include "host/services/file_services.h"

namespace host {

// The key script's actions; numbers are typed into the SDO dialog.
extern const KeyTable kCanPeriphActions;

class CanPeriphSession {
 public:
  // DATA_IO8 every 100 ms while no action comes; a key script's `wait MS`
  // stands for ceil(MS / kCycleMs) of those calls.
  static constexpr uint32_t kCycleMs = 100;
  // The action that hands the key byte to the SDO dialog.
  static constexpr uint8_t kDialogAction = 6;

  // `folder` is the drive folder the library's file services reach;
  // `modules` and `keyboards` the nodes of types 1 and 2.
  CanPeriphSession(const std::string& folder, uint32_t modules, uint32_t keyboards);
  // Loads Anvil with the operator's language; false with *error.
  bool Load(uint32_t language, std::string* error);
  // PREFIX_IO8 with the layout letter, then the first DATA_IO8.
  std::vector<SdoExchange> Open(uint8_t layout);
  // One DATA_IO8 with the action (0: none) and the dialog's key byte, then
  // the driver's turn; the exchanges it answered.
  std::vector<SdoExchange> Data(uint8_t action = 0, uint8_t key = 0);
  // A step of an action script (kCanPeriphActions): an action one call,
  // typed digits one dialog call each, `wait MS` one call without an
  // action per cycle begun; the exchanges answered meanwhile.
  std::vector<SdoExchange> Step(const KeyStep& step);
  Screen& screen() { return screen_; }

 private:
  FileServices files_;
  Screen screen_{800, 600};
  CanPeriphRunner runner_;
};

}  // namespace host
