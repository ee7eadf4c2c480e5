#include "host/runners/can_periph_session.h"

namespace host {
namespace {

constexpr uint8_t kBackground = 7;  // the host's screen behind the panels: white
constexpr uint8_t kDialog = CanPeriphSession::kDialogAction;

}  // namespace

const KeyTable kCanPeriphActions = {{
    {"type", 2, 0, "the next device type (1, 2, 3, 1 ...)", ""},
    {"node", 3, 0, "the next node of the type (types 1 and 2)", ""},
    {"send", 5, 0, "send the SDO request entered in the dialog (whole screen)", ""},
    {"next", kDialog, 1, "dialog: the next field", ""},
    {"previous", kDialog, 2, "dialog: the previous field", ""},
    {"sign", kDialog, 63, "dialog: a leading minus on or off", ""},
    {"clear", kDialog, 46, "dialog: empty the field", ""},
}, true};

CanPeriphSession::CanPeriphSession(const std::string& folder, uint32_t modules, uint32_t keyboards)
    : files_(folder), runner_(files_, screen_, modules, keyboards) {
  screen_.Clear(kBackground);
  runner_.graphics().recorder().Enable(false);
}

bool CanPeriphSession::Load(uint32_t language, std::string* error) { return runner_.Load(language, error); }

std::vector<SdoExchange> CanPeriphSession::Open(uint8_t layout) {
  runner_.Prefix(layout);
  return Data();
}

std::vector<SdoExchange> CanPeriphSession::Data(uint8_t action, uint8_t key) {
  runner_.Data(action, key);
  return runner_.nodes().Step();
}

std::vector<SdoExchange> CanPeriphSession::Step(const KeyStep& step) {
  std::vector<SdoExchange> answered;
  auto call = [&](uint8_t action, uint8_t key) {
    for (const SdoExchange& x : Data(action, key)) answered.push_back(x);
  };
  if (step.kind == KeyStep::kKey) call(static_cast<uint8_t>(step.code), static_cast<uint8_t>(step.character));
  if (step.kind == KeyStep::kType)
    for (char c : step.text) call(kDialogAction, static_cast<uint8_t>(c));
  if (step.kind == KeyStep::kWait)
    for (uint32_t ms = 0; ms < step.wait_ms; ms += kCycleMs) call(0, 0);
  return answered;
}

}  // namespace host
