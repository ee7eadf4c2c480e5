#include "host/runners/can_view_runner.h"

#include <string.h>

#include "host/runners/drawing_library.h"

namespace host {

CanViewRunner::CanViewRunner(FileServices& files, Screen& screen, const volatile uint32_t* ticks,
                             uint32_t frequency, uint32_t pool_size)
    : files_(files), graphics_(screen), anvil_(pool_size), bus_(anvil_.shared()) {
  record_.ticks = ticks;
  record_.frequency = frequency;
}

bool CanViewRunner::Load(const CanViewOptions& o, std::string* error) {
  if (!library_.Open(LibraryPath("Anvil"), error)) return false;
  data_ = library_.Bind<CanFn>("CanData");
  start_ = library_.Bind<CanFn>("CanViewStart");
  cont_ = library_.Bind<CanFn>("CanViewCont");
  if (!data_ || !start_ || !cont_) {
    *error = "the Anvil library lacks the CAN monitor's exports";
    return false;
  }
  if (!InitDrawingLibrary(library_, "Anvil", &files_.table(), &graphics_.table(), o.language, error)) return false;
  anvil_.SetSystemDirectory(o.system_directory);
  r766() = o.r766;
  if (anvil_.Initialise(library_) < 0) {
    *error = "the Anvil library lacks AnvilInit";
    return false;
  }
  record_.left = static_cast<uint16_t>(o.left);
  record_.top = static_cast<uint16_t>(o.top);
  record_.right = static_cast<uint16_t>(o.right);
  record_.bottom = static_cast<uint16_t>(o.bottom);
  record_.panel = o.panel;
  return true;
}

uint32_t CanViewRunner::Cont(uint8_t code, uint8_t character) {
  record_.key_code = code;
  record_.key_char = character;
  return cont_(&record_);
}

}  // namespace host
