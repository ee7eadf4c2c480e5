// Drives Anvil's CAN peripheral screen the way the control's main program
// does: FSPInit, GDIInit and LocalizationInit once, then PREFIX_IO8 for the
// layout and DATA_IO8 periodically and with each action, the record
// (_FORMAT_IO8) owned here and the node tables (host/services/can_nodes.h)
// in the host's shared memory.
#pragma once

#include <stdint.h>

#include <string>

#include "anvil/can_periph.h"
#include "host/screen/screen.h"
#include "host/services/can_nodes.h"
#include "host/services/file_services.h"
#include "host/services/graphics_services.h"
#include "host/services/host_memory.h"
#include "host/services/loader.h"

namespace host {

class CanPeriphRunner {
 public:
  CanPeriphRunner(FileServices& files, Screen& screen, uint32_t modules, uint32_t keyboards);

  // Loads Anvil with the operator's language; false with *error set.
  bool Load(uint32_t language, std::string* error);

  // PREFIX_IO8 with the layout letter ('C', 'L', 'P').
  uint32_t Prefix(uint8_t layout);
  // DATA_IO8 with an action (0: none) and the dialog's key byte.
  uint32_t Data(uint8_t action = 0, uint8_t key = 0);

  _FORMAT_IO8& record() { return record_; }
  HostMemory& memory() { return memory_; }
  CanNodes& nodes() { return nodes_; }
  GraphicsServices& graphics() { return graphics_; }
  Library& library() { return library_; }

 private:
  typedef uint32_t (*Io8Fn)(_FORMAT_IO8*);
  FileServices& files_;
  GraphicsServices graphics_;
  HostMemory memory_;
  CanNodes nodes_;
  Library library_;
  _FORMAT_IO8 record_{};
  Io8Fn prefix_ = nullptr, data_ = nullptr;
};

}  // namespace host
