#include "tests/support/written_texts.h"

#include "bridge/gdi.h"
#include "host/screen/text.h"

namespace testing_support {

std::vector<std::pair<int, std::string>> WrittenTexts(const host::CallRecorder& recorder) {
  std::vector<std::pair<int, std::string>> out;
  int top = -1;
  for (const auto& c : recorder.calls()) {
    if (c.slot == kGdiTextBox) top = c.y;
    if (c.slot == kGdiWriteText) out.emplace_back(top, host::ZorvToUtf8(c.text));
  }
  return out;
}

std::string LastTextAt(const host::CallRecorder& recorder, int top) {
  std::string text;
  for (const auto& [box_top, written] : WrittenTexts(recorder))
    if (box_top == top) text = written;
  return text;
}

}  // namespace testing_support
