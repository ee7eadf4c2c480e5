#include "host/runners/dialog_session.h"

namespace host {

DialogSession::DialogSession(const std::string& folder)
    : stage_(folder), dialog_(stage_.tracer), run_(stage_.runner, stage_.tracer) {
  stage_.screen.Clear(stage_.display.block()[BARVA_T14]);
}

bool DialogSession::Load(const DialogSettings& settings, std::string* error) {
  if (!stage_.runner.Load(settings.language, error)) return false;
  stage_.tracer.record().transformType = static_cast<uint8_t>(settings.type);
  if (settings.active && settings.type >= 1 && settings.type <= 3) dialog_.active[settings.type - 1] = 1;
  return true;
}

}  // namespace host
