#include "host/runners/technol_session.h"

namespace host {

const KeyTable kTechnolKeys = {{
    {"next", 1, 0, "hand a changed entry over, next field", ""},
    {"previous", 2, 0, "hand a changed entry over, previous field", ""},
    {"point", 43, 0, "decimal point", ""},
    {"sign", 63, 0, "toggle a leading minus", ""},
    {"clear", 46, 0, "empty the entry", ""},
    {"left", 12, 0, "clears the key modifier only", ""},
    {"right", 14, 0, "clears the key modifier only", ""},
}, true};

TechnolSession::TechnolSession(const std::string& folder)
    : stage_(folder), technol_(stage_.tracer, stage_.display) {}

bool TechnolSession::Load(const std::string& description, const TechnolSettings& settings, std::string* error) {
  technol_.SetText(description);
  stage_.tracer.record().technolTextOffset = settings.offset;
  if (!stage_.runner.Load(settings.language, error)) return false;
  prefix_ = stage_.runner.library().Bind<Export>("PREFIX_TECHNOL_DLL");
  data_ = stage_.runner.library().Bind<Export>("DATA_TECHNOL_DLL");
  if (prefix_ == nullptr || data_ == nullptr) {
    *error = "libTracer lacks the technology screen exports";
    return false;
  }
  instance_ = settings.instance;
  stage_.tracer.record().technolInstance = static_cast<uint8_t>(instance_);
  technol_.input[2 + instance_ - 1] = static_cast<uint8_t>(settings.screen);
  return true;
}

int TechnolSession::Prefix() {
  stage_.screen.Clear(stage_.display.block()[29]);
  const int result = prefix_(&stage_.tracer.record());
  technol_.input[8 + instance_ - 1] = 1;
  counter_ = technol_.OutU16(8);
  return result;
}

bool TechnolSession::Key(uint8_t code, uint16_t* field, std::string* handed) {
  technol_.key = code;
  data_(&stage_.tracer.record());
  if (technol_.OutU16(8) == counter_) return false;
  counter_ = technol_.OutU16(8);
  *field = technol_.OutU16(6);
  *handed = technol_.HandedText();
  technol_.output[5] = 0;
  return true;
}

std::string TechnolSession::StateLine() const {
  return "screen " + std::to_string(technol_.output[2 + instance_ - 1]) + " shown, current field " +
         std::to_string(technol_.OutU16(6));
}

}  // namespace host
