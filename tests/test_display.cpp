// The simulator's display block, driven through the library-side wrappers
// exactly as the screen libraries call it, and the shared host memory.
#include <gtest/gtest.h>
#include <math.h>

#include <set>
#include <string>

#include "bridge/display.h"
#include "bridge/gdi.h"
#include "host/services/display_services.h"
#include "host/services/host_memory.h"

namespace {

constexpr uint8_t kBack = 0;

class Display : public ::testing::TestWithParam<host::TextStyle> {
 protected:
  Display() : screen_(240, 160, kBack), display_(screen_, GetParam()) {
    RecordSet<HostDispatch>(record_, 2, display_.dispatch());
    RecordSet<const uint8_t*>(record_, 6, display_.block());
    DisplayBind(record_);
  }
  ~Display() override { DisplayBind(nullptr); }

  // Word 33 in the block's own order; extent ignored in form style.
  void Text(int x, int y, int columns, int rows, uint8_t fg, uint8_t bg, int font, const char* text) {
    if (GetParam() == host::TextStyle::kScreen)
      DisplayTextScreen(PackPoint(x, y), DisplayExtent(columns, rows), fg, bg, static_cast<uint32_t>(font));
    else
      DisplayTextForm(PackPoint(x, y), static_cast<uint32_t>(font), fg, bg);
    DisplayWriteText(text);
  }
  int Count(int x, int y, int w, int h, uint8_t value) const {
    int n = 0;
    for (int row = y; row < y + h; ++row)
      for (int col = x; col < x + w; ++col) n += screen_.Pixel(col, row) == value;
    return n;
  }
  const host::GdiCall& Last() { return display_.recorder().calls().back(); }

  uint8_t record_[16] = {};
  host::Screen screen_;
  host::DisplayServices display_;
};

INSTANTIATE_TEST_SUITE_P(Styles, Display, ::testing::Values(host::TextStyle::kScreen, host::TextStyle::kForm),
                         [](const auto& info) { return info.param == host::TextStyle::kScreen ? "Screen" : "Form"; });

TEST_P(Display, BlockCarriesPaletteAndOneHandlePerWord) {
  const uint8_t* block = display_.block();
  for (int k = 0; k <= 14; ++k) EXPECT_EQ(block[20 + k], k) << "byte " << 20 + k;
  EXPECT_EQ(block[35], 22);
  EXPECT_EQ(block[36], 244);
  EXPECT_EQ(block[37], 15);
  EXPECT_EQ(DisplayPalette(BARVA_ZELENA), CLR_GREEN);
  std::set<uint32_t> handles;
  for (int word = 18; word <= kDisplayLastWord; ++word) handles.insert(display_.handle(word));
  EXPECT_EQ(handles.size(), size_t{kDisplayLastWord - 17});
  EXPECT_EQ(handles.count(0), 0u);
}

TEST_P(Display, ServicesRunOrRefuseAndEveryCallIsRecorded) {
  HostDispatch d = display_.dispatch();
  struct Case {
    int word;
    int count;
    int result;
    const char* error;  // "" when it runs
  } cases[] = {
      {kDisplaySetColors, 2, 1, ""},
      {kDisplayFill, 2, 1, ""},
      {kDisplayLine, 3, 1, ""},
      {kDisplayArc, 4, 1, ""},
      {kDisplayTextStyle, 5, 1, ""},
      {kDisplayWriteChar, 1, 1, ""},
      {kDisplayFill, 3, 0, "expects 2 arguments, got 3"},
      {kDisplayTextStyle, 4, 0, "expects 5 arguments, got 4"},
      {19, 1, 0, "no service at word 19"},
      {72, 0, 0, "no service at word 72"},
      {127, 2, 0, "no service at word 127"},
  };
  for (const Case& c : cases) {
    int result = c.count == 0   ? d(display_.handle(c.word), 0)
                 : c.count == 1 ? d(display_.handle(c.word), 1, 65u)
                 : c.count == 2 ? d(display_.handle(c.word), 2, 0u, PackPoint(2, 2))
                 : c.count == 3 ? d(display_.handle(c.word), 3, 0u, PackPoint(2, 2), 0xFFFFu)
                 : c.count == 4 ? d(display_.handle(c.word), 4, PackPoint(20, 20), PackPoint(25, 20), PackPoint(25, 20), 65535u)
                                : d(display_.handle(c.word), 5, 0u, 0x101u, 7u, 255u, 2u);
    EXPECT_EQ(result, c.result) << "word " << c.word;
    EXPECT_EQ(Last().word, c.word);
    EXPECT_EQ(Last().slot, -1);
    EXPECT_EQ(Last().error, c.error) << "word " << c.word;
    EXPECT_EQ(Last().result, c.result);
  }
  // A null text is refused; the wrapper never passes one.
  EXPECT_EQ(d(display_.handle(kDisplayWriteText), 1, static_cast<const char*>(nullptr)), 0);
  EXPECT_EQ(Last().error, "null text");
  size_t before = display_.recorder().calls().size();
  DisplayWriteText(nullptr);
  EXPECT_EQ(display_.recorder().calls().size(), before);
}

TEST_P(Display, TextStyleSetsOnlyTheTextColours) {
  DisplaySetColors(CLR_RED, 255);
  Text(0, 0, 10, 1, CLR_YELLOW, CLR_T13, 78, "A");
  DisplayFill(PackPoint(100, 100), PackPoint(4, 4));
  EXPECT_EQ(Count(100, 100, 4, 4, CLR_RED), 16);
  EXPECT_EQ(Count(0, 0, 8, 16, CLR_YELLOW) + Count(0, 0, 8, 16, CLR_T13), 8 * 16);
  EXPECT_GT(Count(0, 0, 8, 16, CLR_YELLOW), 0);
  const auto& calls = display_.recorder().calls();
  const host::GdiCall& style = calls[1];
  EXPECT_EQ(style.fg, CLR_YELLOW);
  EXPECT_EQ(style.bg, CLR_T13);
  EXPECT_EQ(style.font, 78);
  // Screen style: extent second, font last; form style: font second, 2 last.
  if (GetParam() == host::TextStyle::kScreen) {
    EXPECT_EQ(style.args[1], DisplayExtent(10, 1));
    EXPECT_EQ(style.args[4], 78u);
  } else {
    EXPECT_EQ(style.args[1], 78u);
    EXPECT_EQ(style.args[4], 2u);
    EXPECT_EQ(style.columns, -1);
  }
}

TEST_P(Display, CellSizesLineBreaksAndTransparentBackground) {
  struct Case {
    int font, w, h;
  } cases[] = {{0, 16, 32}, {38, 16, 32}, {2, 8, 16}, {78, 8, 16}, {10, 8, 16}};
  for (const Case& c : cases) {
    screen_.Clear(kBack);
    // Two characters, a line break, one more: the break returns to x 10.
    Text(10, 20, 10, 3, CLR_WHITE, CLR_T12, c.font, "HH\nH");
    EXPECT_EQ(Count(10, 20, 2 * c.w, c.h, CLR_WHITE) + Count(10, 20, 2 * c.w, c.h, CLR_T12), 2 * c.w * c.h)
        << "font " << c.font;
    EXPECT_EQ(Count(10, 20 + c.h, c.w, c.h, CLR_WHITE) + Count(10, 20 + c.h, c.w, c.h, CLR_T12), c.w * c.h)
        << "font " << c.font;
    EXPECT_EQ(Count(0, 0, 240, 160, CLR_T12) + Count(0, 0, 240, 160, CLR_WHITE), 3 * c.w * c.h)
        << "font " << c.font;
  }
  screen_.Clear(CLR_GREEN);
  Text(0, 0, 10, 1, CLR_WHITE, 255, 2, "HH");
  EXPECT_EQ(Count(0, 0, 16, 16, CLR_WHITE) + Count(0, 0, 16, 16, CLR_GREEN), 16 * 16);
  EXPECT_GT(Count(0, 0, 16, 16, CLR_GREEN), 0);
}

TEST_P(Display, ScreenStyleDropsTextOutsideItsExtentFormStyleDoesNot) {
  Text(0, 0, 3, 1, CLR_WHITE, CLR_T12, 2, "HHHHH\nHH");
  bool screen = GetParam() == host::TextStyle::kScreen;
  int expected_cells = screen ? 3 : 7;  // no wrapping either way
  EXPECT_EQ(Count(0, 0, 240, 160, CLR_WHITE) + Count(0, 0, 240, 160, CLR_T12), expected_cells * 8 * 16);
  EXPECT_EQ(Count(24, 0, 16, 16, CLR_T12) > 0, !screen);
  // A character after the text continues at the cursor.
  Text(100, 100, 5, 1, CLR_WHITE, CLR_T12, 2, "H");
  DisplayWriteChar('H');
  EXPECT_EQ(Count(100, 100, 16, 16, CLR_WHITE) + Count(100, 100, 16, 16, CLR_T12), 16 * 16);
}

TEST_P(Display, ArcsRunCounterClockwiseOnTheScreen) {
  struct Case {
    int sx, sy, ex, ey;
    bool quadrant[4];  // upper right, upper left, lower left, lower right
  } cases[] = {
      {140, 80, 140, 80, {true, true, true, true}},     // start = end: full circle
      {140, 80, 100, 40, {true, false, false, false}},  // right to top
      {100, 40, 140, 80, {false, true, true, true}},    // top to right
      {60, 80, 140, 80, {false, false, true, true}},    // left to right via the bottom
  };
  for (const Case& c : cases) {
    screen_.Clear(kBack);
    DisplaySetColors(CLR_WHITE, 255);
    DisplayArc(PackPoint(100, 80), PackPoint(c.sx, c.sy), PackPoint(c.ex, c.ey));
    int in[4] = {};
    int off_circle = 0;
    for (int y = 0; y < 160; ++y)
      for (int x = 0; x < 240; ++x) {
        if (screen_.Pixel(x, y) != CLR_WHITE) continue;
        double dx = x - 100, dy = y - 80;
        if (fabs(sqrt(dx * dx + dy * dy) - 40) > 1.5) ++off_circle;
        // Away from the axes, so that the end points do not count.
        if (fabs(dx) < 3 || fabs(dy) < 3) continue;
        in[dy < 0 ? (dx > 0 ? 0 : 1) : (dx < 0 ? 2 : 3)]++;
      }
    EXPECT_EQ(off_circle, 0);
    for (int q = 0; q < 4; ++q) EXPECT_EQ(in[q] > 20, c.quadrant[q]) << "start " << c.sx << "," << c.sy << " q" << q;
  }
  EXPECT_EQ(Last().value, 65535);
}

TEST_P(Display, LinesKeepTheirPatternAndAMissingHandleIsSkipped) {
  DisplaySetColors(CLR_YELLOW, 255);
  DisplayLine(PackPoint(0, 5), PackPoint(31, 5), 0x8888);
  for (int i = 0; i < 32; ++i) EXPECT_EQ(screen_.Pixel(i, 5), i % 4 == 0 ? uint8_t{CLR_YELLOW} : kBack) << i;
  display_.remove_word(kDisplayLine);
  size_t before = display_.recorder().calls().size();
  DisplayLine(PackPoint(0, 9), PackPoint(31, 9), 0xFFFF);
  EXPECT_EQ(display_.recorder().calls().size(), before);
  EXPECT_EQ(Count(0, 9, 32, 1, CLR_YELLOW), 0);
}

TEST(HostMemory, AccessOutsideTheBlockIsRefused) {
  host::HostMemory memory(0x100);
  EXPECT_TRUE(memory.Set<uint32_t>(0xFC, 0x11223344));
  EXPECT_EQ(memory.Get<uint8_t>(0xFC), 0x44);
  EXPECT_EQ(memory.Get<uint32_t>(0xFC), 0x11223344u);
  EXPECT_FALSE(memory.Set<uint32_t>(0xFD, 1));
  EXPECT_EQ(memory.Get<uint32_t>(0xFD), 0u);
  EXPECT_EQ(memory.At(0xFFFFFFF0u, 0x20), nullptr);
  EXPECT_EQ(memory.At(0, 0x100), memory.data());
  EXPECT_EQ(host::HostMemory().size(), 0x600000u);
}

}  // namespace
