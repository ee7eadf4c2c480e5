// Drives Anvil's CAN bus monitor the way the control's main program does:
// FSPInit, GDIInit, LocalizationInit and AnvilInit once (R766 in word 766 of
// the state record), then CanData periodically and CanViewStart and
// CanViewCont for the window, with the record (_CANVIEW) owned here and the
// CAN bus (host/services/can_bus.h) in the host's shared memory.
#pragma once

#include <stdint.h>

#include <string>

#include "anvil/can_view.h"
#include "host/screen/screen.h"
#include "host/services/anvil_host.h"
#include "host/services/can_bus.h"
#include "host/services/file_services.h"
#include "host/services/graphics_services.h"
#include "host/services/loader.h"

namespace host {

struct CanViewOptions {
  uint32_t r766 = 0x01110000;      // sending, recording allowed, window opens the channel
  std::string system_directory = "c:\\system\\";
  uint32_t language = 9;
  int left = 0, top = 0, right = 799, bottom = 599;
  uint8_t panel = 1;
};

class CanViewRunner {
 public:
  // `ticks` and `frequency` are the counter the record points to.
  CanViewRunner(FileServices& files, Screen& screen, const volatile uint32_t* ticks, uint32_t frequency,
                uint32_t pool_size = AnvilHost::kDefaultPoolSize);

  // Loads Anvil and initialises it; false with *error set.
  bool Load(const CanViewOptions& options, std::string* error);

  uint32_t Data() { return data_(&record_); }
  uint32_t Start() { return start_(&record_); }
  // CanViewCont with a key (code 0: none).
  uint32_t Cont(uint8_t code = 0, uint8_t character = 0);

  _CANVIEW& record() { return record_; }
  AnvilHost& anvil() { return anvil_; }
  CanBus& bus() { return bus_; }
  GraphicsServices& graphics() { return graphics_; }
  uint32_t& r766() { return anvil_.cnc_record()[anvil::kCanModeWord]; }

 private:
  typedef uint32_t (*CanFn)(_CANVIEW*);
  FileServices& files_;
  GraphicsServices graphics_;
  Library library_;
  AnvilHost anvil_;
  CanBus bus_;
  _CANVIEW record_{};
  CanFn data_ = nullptr, start_ = nullptr, cont_ = nullptr;
};

}  // namespace host
