#include "tests/support/vitals_host.h"

#include <gtest/gtest.h>
#include <stdio.h>

#include "host/screen/text.h"

namespace testing_support {

VitalsHost::VitalsHost(uint32_t language, bool init)
    : screen_(800, 600), display_(screen_, host::TextStyle::kScreen), runner_(box_.files(), display_, memory_) {
  setenv("HOSTSIM_LIB_DIR", TEST_LIB_DIR, 1);
  std::string error;
  EXPECT_TRUE(runner_.Load(language, &error)) << error;
  if (init) runner_.Init();
  box_.Write("c:\\events\\keep.txt", "");
}

std::vector<ScreenText> VitalsHost::TakeTexts() {
  std::vector<ScreenText> texts;
  int x = 0, y = 0, fg = 0, bg = 0;
  for (const host::GdiCall& call : display_.recorder().calls()) {
    if (call.word == kDisplayTextStyle) {
      x = call.x;
      y = call.y;
      fg = call.fg;
      bg = call.bg;
    } else if (call.word == kDisplayWriteText || call.word == kDisplayWriteChar) {
      std::string t = call.word == kDisplayWriteText ? call.text : std::string(1, static_cast<char>(call.value));
      texts.push_back({x, y, host::ZorvToUtf8(t), fg, bg});
    }
  }
  display_.recorder().Clear();
  return texts;
}

std::string VitalsHost::TextAt(const std::vector<ScreenText>& texts, int x, int y) {
  std::string found = "?";
  for (const ScreenText& t : texts)
    if (t.x == x && t.y == y) found = t.text;
  return found;
}

void VitalsHost::AddEvents(const std::string& lines) {
  std::vector<EVENT_RECORD> events;
  std::string why = host::ParseEventRing(lines, &events);
  ASSERT_EQ(why, "");
  host::AppendEvents(memory_, events);
}

std::string NumberedEvents(int n, int first, const std::string& cls) {
  std::string text;
  for (int k = first; k < first + n; ++k) {
    char line[80];
    snprintf(line, sizeof line, "%02d:%02d:%02d E%d %s event %d\n", (k / 3600) % 24, (k / 60) % 60, k % 60,
             k % 10000, cls.c_str(), k);
    text += line;
  }
  return text;
}

}  // namespace testing_support
