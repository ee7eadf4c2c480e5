#include "host/runners/dialog_runner.h"

#include <ctype.h>

namespace host {

const KeyTable kDialogKeys = {{
    {"next", 1, 0, "next field", ""},
    {"prev", 2, 0, "previous field", ""},
    {"right", 14, 0, "next field", ""},
    {"left", 12, 0, "previous field", ""},
    {"enter", 164, 0, "press the button, or on to the next field", ""},
    {"point", 43, 0, "a decimal point into the value", ""},
    {"sign", 63, 0, "toggle the value's leading -", ""},
    {"clear", 46, 0, "empty the field (an axis field also clears the chosen axes)", ""},
}, true};

bool DialogKeyCodes(const std::vector<KeyStep>& steps, std::vector<uint8_t>* codes, std::string* error) {
  codes->clear();
  for (const KeyStep& step : steps) {
    if (step.kind == KeyStep::kKey) {
      codes->push_back(static_cast<uint8_t>(step.code));
      continue;
    }
    // The dialog reads no clock: a pause between keys (a recorded script
    // keeps the operator's) changes nothing it paints.
    if (step.kind == KeyStep::kWait) continue;
    if (step.kind != KeyStep::kType) {
      *error = "\"" + step.token + "\": the dialog takes keys and pauses only";
      return false;
    }
    for (char c : step.text) {
      const char key = static_cast<char>(toupper(static_cast<unsigned char>(c)));
      if (!isdigit(static_cast<unsigned char>(key)) && std::string("XYZUVW").find(key) == std::string::npos) {
        *error = "\"" + step.token + "\": '" + std::string(1, c) +
                 "' is no key of the dialog (digits, X Y Z U V W, or a key name: next prev left right enter "
                 "point sign clear)";
        return false;
      }
      codes->push_back(static_cast<uint8_t>(key));
    }
  }
  return true;
}

int DialogRunner::Prefix() {
  auto fn = runner_.library().Bind<int (*)(STRUCT_TRACER*)>("DLL_PREFIX_TRANSFORMACE");
  return fn != nullptr ? fn(&host_.record()) : -1;
}

int DialogRunner::Data(uint8_t key) {
  host_.KeyForm(key);
  auto fn = runner_.library().Bind<int (*)(STRUCT_TRACER*)>("DLL_DATA_TRANSFORMACE");
  return fn != nullptr ? fn(&host_.record()) : -1;
}

int DialogRunner::Run(const std::vector<uint8_t>& codes) {
  int status = 0;
  for (uint8_t code : codes)
    if ((status = Data(code)) == 9) break;
  return status;
}

}  // namespace host
