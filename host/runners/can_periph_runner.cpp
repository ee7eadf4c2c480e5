#include "host/runners/can_periph_runner.h"

#include "host/runners/drawing_library.h"

namespace host {

CanPeriphRunner::CanPeriphRunner(FileServices& files, Screen& screen, uint32_t modules, uint32_t keyboards)
    : files_(files), graphics_(screen), nodes_(memory_, modules, keyboards) {
  record_.shared_memory = memory_.address();
}

bool CanPeriphRunner::Load(uint32_t language, std::string* error) {
  if (!library_.Open(LibraryPath("Anvil"), error)) return false;
  prefix_ = library_.Bind<Io8Fn>("PREFIX_IO8");
  data_ = library_.Bind<Io8Fn>("DATA_IO8");
  if (prefix_ == nullptr || data_ == nullptr) {
    *error = "the Anvil library lacks PREFIX_IO8 or DATA_IO8";
    return false;
  }
  return InitDrawingLibrary(library_, "Anvil", &files_.table(), &graphics_.table(), language, error);
}

uint32_t CanPeriphRunner::Prefix(uint8_t layout) {
  record_.layout = layout;
  return prefix_(&record_);
}

uint32_t CanPeriphRunner::Data(uint8_t action, uint8_t key) {
  record_.action = action;
  record_.key = key;
  return data_(&record_);
}

}  // namespace host
