#include "host/runners/dialog_session.h"

namespace host {

DialogSession::DialogSession(const std::string& folder)
    : files_(folder), display_(screen_, TextStyle::kForm), tracer_(display_, &files_), dialog_(tracer_),
      runner_(tracer_, files_), run_(runner_, tracer_) {
  screen_.Clear(display_.block()[BARVA_T14]);
}

bool DialogSession::Load(const DialogSettings& settings, std::string* error) {
  if (!runner_.Load(settings.language, error)) return false;
  tracer_.record().transformType = static_cast<uint8_t>(settings.type);
  if (settings.active && settings.type >= 1 && settings.type <= 3) dialog_.active[settings.type - 1] = 1;
  return true;
}

}  // namespace host
