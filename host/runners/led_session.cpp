#include "host/runners/led_session.h"

namespace host {

LedSession::LedSession(const std::string& folder)
    : files_(folder), display_(screen_, TextStyle::kForm), mosaic_(display_, memory_) {}

bool LedSession::Load(uint32_t language, std::string* error) { return mosaic_.Load(files_, language, error); }

void LedSession::Apply(const LedSettings& settings) {
  mosaic_.SetTransform(settings.transform);
  mosaic_.SetCorrection(settings.correction);
  const int slots[4] = {0, 1, 3, 4};
  for (int k = 0; k < 4; ++k) mosaic_.SetCoefficient(slots[k], settings.coefficients[k]);
}

std::string LedSession::Draw() {
  screen_.FillRect(0, 400, 640, 80, display_.block()[BARVA_VYPLN]);
  if (mosaic_.DialStart() != 0 || mosaic_.DialCont() != 0 || mosaic_.DialStop() != 0)
    return "the common dialog did not return 0";
  if (mosaic_.DrawLed() != 0) return "DLL_DISPLAY_WIN_LED did not return 0";
  return "";
}

}  // namespace host
