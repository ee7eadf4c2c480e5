#include "host/services/dialog_host.h"

#include <string.h>

#include "host/services/dispatch.h"

namespace host {

DialogHost::DialogHost(TracerHost& tracer) : tracer_(tracer) {
  STRUCT_TRACER& r = tracer.record();
  r.axisMask = &mask;
  for (int k = 0; k < 3; ++k) {
    for (auto* g : {&distances_[k], &angles_[k]}) {
      memset(g->before, kGuardByte, kGuardBytes);
      memset(g->after, kGuardByte, kGuardBytes);
      // "??????????" until the library writes the buffer.
      memset(g->text, '?', sizeof g->text - 1);
      g->text[sizeof g->text - 1] = '\0';
    }
    r.transformActive[k] = &active[k];
    r.distanceText[k] = distances_[k].text;
    r.angleText[k] = angles_[k].text;
  }
  auto add = [this](const std::string& name, int type, int flag) {
    const uint32_t handle = RegisterService(name.c_str(), [this, name, type, flag](int, va_list) {
      calls_.push_back(name);
      if (flag >= 0) active[type] = static_cast<uint8_t>(flag);
      return 1;
    });
    handles_.push_back(handle);
    return handle;
  };
  for (int k = 0; k < 3; ++k) {
    const std::string n = std::to_string(k + 1);
    r.storeHandle[k] = add("store " + n, k, -1);
    r.activateHandle[k] = add("activate " + n, k, 1);
    r.deactivateHandle[k] = add("deactivate " + n, k, 0);
  }
  r.saveHandle = add("save", 0, -1);
  SetAxisCodes({36, 37, 38, 0, 0, 0});
}

DialogHost::~DialogHost() {
  for (uint32_t h : handles_) UnregisterService(h);
}

void DialogHost::SetAxisCodes(const std::vector<uint32_t>& codes) {
  for (size_t k = 0; k < 6; ++k) tracer_.SetSetting(static_cast<uint32_t>(4 * (k + 1)), k < codes.size() ? codes[k] : 0);
}

std::string DialogHost::Distance(int k) const {
  return std::string(distances_[k].text, strnlen(distances_[k].text, kDialogTextBytes));
}

std::string DialogHost::Angle(int k) const {
  return std::string(angles_[k].text, strnlen(angles_[k].text, kDialogTextBytes));
}

bool DialogHost::GuardsIntact() const {
  for (int k = 0; k < 3; ++k)
    for (const auto* g : {&distances_[k], &angles_[k]})
      for (size_t i = 0; i < kGuardBytes; ++i)
        if (g->before[i] != kGuardByte || g->after[i] != kGuardByte) return false;
  return true;
}

}  // namespace host
