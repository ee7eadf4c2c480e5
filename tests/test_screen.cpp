// The simulator's screen and graphics services, driven through the
// dispatch entry exactly as a library calls them.
#include <gtest/gtest.h>
#include <stdio.h>
#include <unistd.h>

#include <set>
#include <string>
#include <vector>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-function"
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

#include "bridge/charset.h"
#include "bridge/gdi.h"
#include "host/services/dispatch.h"
#include "host/screen/font.h"
#include "host/services/graphics_services.h"
#include "host/screen/screen.h"
#include "host/screen/text.h"

namespace {

constexpr uint8_t kBackground = 0;

class GraphicsTest : public ::testing::Test {
 protected:
  GraphicsTest() : screen_(200, 140, kBackground), gfx_(screen_) {}

  template <typename... Args>
  int Call(int slot, Args... args) {
    const GDI_INIT_PARAMS& t = gfx_.table();
    return t.dispatch(t.handles[slot], static_cast<int>(sizeof...(args)), args...);
  }
  void Colors(uint32_t fg, uint32_t bg = 0) { Call(kGdiSetColors, fg, bg); }
  int Line(int x1, int y1, int x2, int y2, uint32_t pattern = 0xFFFF) {
    return Call(kGdiLine, PackPoint(x1, y1), PackPoint(x2, y2), pattern);
  }
  int Fill(int x, int y, int w, int h) { return Call(kGdiFillRect, PackPoint(x, y), PackPoint(w, h)); }
  int Triangle(int x1, int y1, int x2, int y2, int x3, int y3) {
    return Call(kGdiTriangle, PackPoint(x1, y1), PackPoint(x2, y2), PackPoint(x3, y3), 0xFFFFu);
  }
  int TextBox(int x, int y, int columns, int rows, uint32_t fg, uint32_t bg, uint32_t font) {
    return Call(kGdiTextBox, PackPoint(x, y), static_cast<uint32_t>(columns | rows << 8), fg, bg, font);
  }
  int Write(const std::string& zorv) { return Call(kGdiWriteText, zorv.c_str()); }

  // Pixels of the rectangle [x, x + w) x [y, y + h) that differ from value.
  int CountNot(int x, int y, int w, int h, uint8_t value) const {
    int n = 0;
    for (int row = y; row < y + h; ++row)
      for (int col = x; col < x + w; ++col) n += screen_.Pixel(col, row) != value;
    return n;
  }
  int CountNotOutside(int x, int y, int w, int h, uint8_t value) const {
    return CountNot(0, 0, screen_.width(), screen_.height(), value) - CountNot(x, y, w, h, value);
  }
  // Paints a busy background so restores and XOR have something to keep.
  void Checkerboard() {
    for (int y = 0; y < screen_.height(); y += 10)
      for (int x = 0; x < screen_.width(); x += 10) screen_.FillRect(x, y, 10, 10, ((x + y) / 10) % 16);
  }

  host::Screen screen_;
  host::GraphicsServices gfx_;
};

bool PatternBit(uint16_t pattern, int i) { return (pattern >> (15 - i % 16)) & 1; }

// --- Lines -------------------------------------------------------------

using GraphicsLines = GraphicsTest;

TEST_F(GraphicsLines, SolidLineIncludesBothEnds) {
  Colors(CLR_RED);
  EXPECT_EQ(Line(10, 5, 20, 5), 1);
  for (int x = 10; x <= 20; ++x) EXPECT_EQ(screen_.Pixel(x, 5), CLR_RED) << x;
  EXPECT_EQ(CountNotOutside(10, 5, 11, 1, kBackground), 0);
}

TEST_F(GraphicsLines, EveryPatternCyclesFromBit15AlongTheLine) {
  const uint16_t patterns[] = {0xFFFF, 0xF0F0, 0xCCCC, 0xFAFA, 0xAAAA, 0xFF00};
  int y = 2;
  for (uint16_t pattern : patterns) {
    Colors(CLR_YELLOW);
    Line(3, y, 3 + 39, y, pattern);          // left to right
    Line(150, y + 1, 150 - 39, y + 1, pattern);  // right to left: counted from the start
    Line(190, y, 190, y + 39, pattern);      // vertical
    for (int i = 0; i < 40; ++i) {
      uint8_t expected = PatternBit(pattern, i) ? uint8_t{CLR_YELLOW} : kBackground;
      ASSERT_EQ(screen_.Pixel(3 + i, y), expected) << std::hex << pattern << " i=" << std::dec << i;
      ASSERT_EQ(screen_.Pixel(150 - i, y + 1), expected) << std::hex << pattern << " i=" << std::dec << i;
      ASSERT_EQ(screen_.Pixel(190, y + i), expected) << std::hex << pattern << " i=" << std::dec << i;
    }
    screen_.Clear(kBackground);
    y += 3;
  }
}

TEST_F(GraphicsLines, SteepLineHasOnePixelPerRowNearTheIdealLine) {
  Colors(CLR_WHITE);
  Line(0, 0, 4, 10);
  for (int y = 0; y <= 10; ++y) {
    int on = 0, at = -1;
    for (int x = 0; x < 10; ++x)
      if (screen_.Pixel(x, y) == CLR_WHITE) ++on, at = x;
    ASSERT_EQ(on, 1) << "row " << y;
    EXPECT_LE(std::abs(at - y * 4.0 / 10), 0.5) << "row " << y;
  }
  EXPECT_EQ(screen_.Pixel(0, 0), CLR_WHITE);
  EXPECT_EQ(screen_.Pixel(4, 10), CLR_WHITE);
}

TEST_F(GraphicsLines, ZeroLengthLineIsOnePixelAndOffScreenPartsAreDropped) {
  Colors(CLR_GREEN);
  Line(50, 50, 50, 50);
  EXPECT_EQ(CountNot(0, 0, 200, 140, kBackground), 1);
  EXPECT_EQ(screen_.Pixel(50, 50), CLR_GREEN);
  screen_.Clear(kBackground);
  // Negative coordinates arrive as signed 16-bit values.
  Line(-20, 10, 230, 10);
  EXPECT_EQ(CountNot(0, 0, 200, 140, kBackground), 200);
}

// --- Exclusive-or ------------------------------------------------------

using GraphicsXor = GraphicsTest;

TEST_F(GraphicsXor, ServiceReturnsTheModeItWasGiven) {
  EXPECT_EQ(Call(kGdiSetXorMode, 1u), 1);
  EXPECT_TRUE(screen_.xor_mode());
  EXPECT_EQ(Call(kGdiSetXorMode, 0u), 0);
  EXPECT_FALSE(screen_.xor_mode());
}

TEST_F(GraphicsXor, DrawingEveryFigureTwiceRestoresTheScreen) {
  Checkerboard();
  const std::vector<uint8_t> before = screen_.pixels();
  Call(kGdiSetXorMode, 1u);
  for (int pass = 0; pass < 2; ++pass) {
    Colors(CLR_WHITE);
    Line(0, 0, 199, 139, 0xFAFA);
    Line(5, 130, 190, 3);
    Line(40, 40, 40, 40);
    Colors(CLR_RED);
    Fill(30, 20, 50, 40);
    Triangle(100, 10, 180, 60, 90, 120);
    Triangle(10, 100, 60, 100, 35, 100);  // degenerate: a flat line
    TextBox(20, 90, 10, 2, CLR_YELLOW, CLR_T13, 2);
    Write(host::Utf8ToZorv("Řez žlutý"));
    Call(kGdiTextBlank, 255u);
    if (pass == 0) {
      EXPECT_NE(screen_.pixels(), before);
    }
  }
  EXPECT_EQ(screen_.pixels(), before);
}

TEST_F(GraphicsXor, TriangleSetsEachPixelOnce) {
  Colors(CLR_GREEN);
  Triangle(20, 10, 150, 60, 40, 130);
  const std::vector<uint8_t> normal = screen_.pixels();
  screen_.Clear(kBackground);
  Call(kGdiSetXorMode, 1u);
  Triangle(20, 10, 150, 60, 40, 130);
  EXPECT_EQ(screen_.pixels(), normal);  // xor onto 0 equals plain drawing
  // The fill covers the outline drawn by the line service.
  Call(kGdiSetXorMode, 0u);
  host::Screen outline(200, 140, kBackground);
  outline.Line(20, 10, 150, 60, 0xFFFF, 1);
  outline.Line(150, 60, 40, 130, 0xFFFF, 1);
  outline.Line(40, 130, 20, 10, 0xFFFF, 1);
  int inside = 0;
  for (int y = 0; y < 140; ++y)
    for (int x = 0; x < 200; ++x) {
      if (outline.Pixel(x, y)) {
        ASSERT_EQ(normal[y * 200 + x], CLR_GREEN) << x << "," << y;
      }
      inside += normal[y * 200 + x] == CLR_GREEN;
    }
  // Area of the triangle is 7250 pixels; the rasterised fill is close to it.
  EXPECT_NEAR(inside, 7250, 400);
}

// --- Fill, save and restore --------------------------------------------

using GraphicsAreas = GraphicsTest;

TEST_F(GraphicsAreas, FillCoversExactlyItsSizeInTheForeground) {
  Colors(CLR_FILL, CLR_BLACK);
  EXPECT_EQ(Fill(10, 20, 30, 5), 1);
  EXPECT_EQ(CountNot(10, 20, 30, 5, CLR_FILL), 0);
  EXPECT_EQ(CountNotOutside(10, 20, 30, 5, kBackground), 0);
  // Partly off the screen.
  Fill(190, 130, 40, 40);
  EXPECT_EQ(CountNot(190, 130, 10, 10, CLR_FILL), 0);
  // Wholly beside the screen, on each side: nothing changes.
  const std::vector<uint8_t> before = screen_.Read(0, 0, 200, 140);
  Colors(CLR_GREEN, CLR_BLACK);
  for (auto [x, y] : {std::pair{250, 10}, {-100, 10}, {10, 200}, {10, -100}}) Fill(x, y, 40, 40);
  EXPECT_EQ(screen_.Read(0, 0, 200, 140), before);
}

TEST_F(GraphicsAreas, RestorePutsBackWhatWasSaved) {
  Checkerboard();
  const std::vector<uint8_t> before = screen_.pixels();
  char buffer[4];
  EXPECT_EQ(Call(kGdiSaveRect, PackPoint(15, 25), PackPoint(60, 40), static_cast<void*>(buffer)), 1);
  Colors(CLR_RED);
  Fill(0, 0, 200, 140);
  EXPECT_EQ(Call(kGdiRestoreRect, PackPoint(15, 25), PackPoint(60, 40), static_cast<void*>(buffer)), 1);
  for (int y = 0; y < 140; ++y)
    for (int x = 0; x < 200; ++x) {
      bool inside = x >= 15 && x < 75 && y >= 25 && y < 65;
      ASSERT_EQ(screen_.Pixel(x, y), inside ? before[y * 200 + x] : uint8_t{CLR_RED}) << x << "," << y;
    }
}

TEST_F(GraphicsAreas, SavedAreasAreKeptPerBufferAndRestoredInPart) {
  Checkerboard();
  const std::vector<uint8_t> before = screen_.pixels();
  char first[1], second[1];
  Call(kGdiSaveRect, PackPoint(0, 0), PackPoint(50, 50), static_cast<void*>(first));
  // Areas reaching far beside the screen: only the part on it is kept
  // (four whole 32767-pixel squares would not fit in the host's memory).
  char far[4][1];
  for (auto& buffer : far)
    EXPECT_EQ(Call(kGdiSaveRect, PackPoint(100, 50), PackPoint(32767, 32767), static_cast<void*>(buffer)), 1);
  Call(kGdiSaveRect, PackPoint(100, 50), PackPoint(50, 50), static_cast<void*>(second));
  Colors(CLR_WHITE);
  Fill(0, 0, 200, 140);
  // Only the part of the first area inside the requested rectangle.
  Call(kGdiRestoreRect, PackPoint(10, 10), PackPoint(20, 20), static_cast<void*>(first));
  Call(kGdiRestoreRect, PackPoint(100, 50), PackPoint(50, 50), static_cast<void*>(second));
  for (int y = 0; y < 140; ++y)
    for (int x = 0; x < 200; ++x) {
      bool back = (x >= 10 && x < 30 && y >= 10 && y < 30) || (x >= 100 && x < 150 && y >= 50 && y < 100);
      ASSERT_EQ(screen_.Pixel(x, y), back ? before[y * 200 + x] : uint8_t{CLR_WHITE}) << x << "," << y;
    }
}

TEST_F(GraphicsAreas, BadSaveAndRestoreCallsAreRefusedAndChangeNothing) {
  Checkerboard();
  const std::vector<uint8_t> before = screen_.pixels();
  char never_saved[1], buffer[1];
  EXPECT_EQ(Call(kGdiRestoreRect, PackPoint(0, 0), PackPoint(20, 20), static_cast<void*>(never_saved)), 0);
  EXPECT_EQ(Call(kGdiSaveRect, PackPoint(0, 0), PackPoint(20, 20), static_cast<void*>(nullptr)), 0);
  EXPECT_EQ(Call(kGdiSaveRect, PackPoint(0, 0), PackPoint(0, 20), static_cast<void*>(buffer)), 0);
  EXPECT_EQ(Call(kGdiRestoreRect, PackPoint(0, 0), PackPoint(20, 20), static_cast<void*>(buffer)), 0);
  // Wrong argument count: refused without reading the arguments.
  const GDI_INIT_PARAMS& t = gfx_.table();
  EXPECT_EQ(t.dispatch(t.handles[kGdiFillRect], 1, PackPoint(0, 0)), 0);
  EXPECT_EQ(screen_.pixels(), before);
  const auto& calls = gfx_.recorder().calls();
  ASSERT_EQ(calls.size(), 5u);
  for (const auto& call : calls) EXPECT_FALSE(call.error.empty()) << call.Describe();
  EXPECT_EQ(calls[4].Describe(), "GdiFillRect refused: expects 2 arguments, got 1");
}

// --- Text --------------------------------------------------------------

using GraphicsText = GraphicsTest;

TEST_F(GraphicsText, CellSizesFollowTheFont) {
  struct Case {
    uint32_t font;
    int w, h;
  } cases[] = {{2, 8, 16}, {0, 16, 32}, {1, 32, 64}, {7, 32, 64}};
  for (const Case& c : cases) {
    screen_.Clear(kBackground);
    TextBox(5, 7, 1, 1, CLR_WHITE, CLR_T12, c.font);
    Write("W");
    // The whole cell is painted (ink or background) and nothing outside it.
    for (int y = 7; y < 7 + c.h; ++y)
      for (int x = 5; x < 5 + c.w; ++x) {
        uint8_t p = screen_.Pixel(x, y);
        ASSERT_TRUE(p == CLR_WHITE || p == CLR_T12) << "font " << c.font << " at " << x << "," << y;
      }
    EXPECT_GT(CountNot(5, 7, c.w, c.h, CLR_T12), 0) << "font " << c.font;
    EXPECT_EQ(CountNotOutside(5, 7, c.w, c.h, kBackground), 0) << "font " << c.font;
  }
}

TEST_F(GraphicsText, TextIsClippedToTheBoxColumns) {
  TextBox(10, 10, 3, 1, CLR_WHITE, CLR_T12, 2);
  Write("ABCDEFG");
  EXPECT_EQ(CountNot(10, 10, 24, 16, kBackground), 24 * 16);  // three opaque cells
  EXPECT_EQ(CountNotOutside(10, 10, 24, 16, kBackground), 0);
}

TEST_F(GraphicsText, LongTextGoesOnInTheNextRowAndStopsAtTheLastRow) {
  TextBox(10, 10, 2, 2, CLR_WHITE, CLR_T12, 2);
  Write("ABCDEF");
  EXPECT_EQ(CountNotOutside(10, 10, 16, 32, kBackground), 0);
  host::Screen expected(200, 140, kBackground);
  expected.DrawChar(10, 10, 'A', 2, CLR_WHITE, CLR_T12);
  expected.DrawChar(18, 10, 'B', 2, CLR_WHITE, CLR_T12);
  expected.DrawChar(10, 26, 'C', 2, CLR_WHITE, CLR_T12);
  expected.DrawChar(18, 26, 'D', 2, CLR_WHITE, CLR_T12);
  EXPECT_EQ(screen_.pixels(), expected.pixels());
}

TEST_F(GraphicsText, BoxWithoutColumnsOrRowsDrawsNothing) {
  TextBox(10, 10, 0, 3, CLR_WHITE, CLR_T12, 2);
  Write("ABC");
  Call(kGdiTextBlank, 255u);
  TextBox(10, 10, 5, 0, CLR_WHITE, CLR_T12, 2);
  Write("ABC");
  Call(kGdiWriteChar, static_cast<int>('X'));
  EXPECT_EQ(CountNot(0, 0, 200, 140, kBackground), 0);
}

TEST_F(GraphicsText, TransparentBackgroundKeepsWhatIsUnderTheGlyphs) {
  screen_.FillRect(0, 0, 200, 140, CLR_FILL);
  TextBox(10, 10, 10, 1, CLR_RED, CLR_TRANSPARENT, 0);
  Write(host::Utf8ToZorv("Šoba"));
  int ink = 0;
  for (uint8_t p : screen_.pixels()) {
    ASSERT_TRUE(p == CLR_FILL || p == CLR_RED);
    ink += p == CLR_RED;
  }
  EXPECT_GT(ink, 40);
  EXPECT_EQ(CountNotOutside(10, 10, 4 * 16, 32, CLR_FILL), 0);
}

TEST_F(GraphicsText, BlankFillsTheRestOfTheBoxWithTheBackground) {
  TextBox(10, 10, 4, 3, CLR_WHITE, CLR_T12, 2);
  Write("ABCDE");  // row 0 full, row 1 has one character
  Call(kGdiTextBlank, 255u);
  // Every cell of the box is painted; the cells after "E" only in background.
  EXPECT_EQ(CountNotOutside(10, 10, 32, 48, kBackground), 0);
  EXPECT_EQ(CountNot(18, 26, 24, 16, CLR_T12), 0);
  EXPECT_EQ(CountNot(10, 42, 32, 16, CLR_T12), 0);
  EXPECT_GT(CountNot(10, 26, 8, 16, CLR_T12), 0);  // the "E"
  // A transparent box blanks nothing.
  screen_.Clear(kBackground);
  TextBox(10, 10, 4, 3, CLR_WHITE, CLR_TRANSPARENT, 2);
  Call(kGdiTextBlank, 255u);
  EXPECT_EQ(CountNot(0, 0, 200, 140, kBackground), 0);
}

TEST_F(GraphicsText, WriteCharTakesTheLowByteOfAPromotedSignedChar) {
  const char c_caron = static_cast<char>(0x87);
  TextBox(10, 10, 3, 1, CLR_WHITE, CLR_BLACK, 2);
  Call(kGdiWriteChar, static_cast<int>(c_caron));  // arrives as 0xFFFFFF87
  Call(kGdiWriteChar, static_cast<int>('a'));
  host::Screen expected(200, 140, kBackground);
  expected.DrawChar(10, 10, 0x87, 2, CLR_WHITE, CLR_BLACK);
  expected.DrawChar(18, 10, 'a', 2, CLR_WHITE, CLR_BLACK);
  EXPECT_EQ(screen_.pixels(), expected.pixels());
  EXPECT_EQ(screen_.replacement_glyphs(), 0);
  EXPECT_EQ(gfx_.recorder().calls()[1].Describe(), "GdiWriteChar \"č\"");
}

TEST_F(GraphicsText, LettersWithMarksDifferFromTheirBaseLetters) {
  // The font must show the marks: each pair draws differently.
  const char* pairs[][2] = {{"C", "Č"}, {"r", "ř"}, {"z", "ż"}, {"o", "ö"}, {"e", "ę"}, {"а", "б"}};
  for (auto& pair : pairs) {
    for (int font : {0, 2}) {
      host::Screen a(40, 40), b(40, 40);
      a.DrawChar(0, 0, static_cast<uint8_t>(host::Utf8ToZorv(pair[0])[0]), font, 7, 0);
      b.DrawChar(0, 0, static_cast<uint8_t>(host::Utf8ToZorv(pair[1])[0]), font, 7, 0);
      EXPECT_NE(a.pixels(), b.pixels()) << pair[0] << " vs " << pair[1] << " font " << font;
    }
  }
}

const char* const kPhrases[8] = {
    "Řezací program dokončen, přepněte hořák: ďábelské ódy",  // Czech
    "Düsenabstand prüfen, Brennerhöhe ändern: Öl, Übergang",  // German
    "Cutting program finished, torch off",                     // English
    "Arrêt d'urgence : vérifiez la buse, déplacez à gauche",   // French
    "Vágási sebesség túl nagy, állítsa át a fúvókát",          // Hungarian
    "Błąd: sprawdź ciśnienie gazu, zażółć gęślą",              // Polish
    "Скорость резки слишком высока, проверьте сопло",          // Russian
    "Preverite šobo in čistočo žarka, rezanje končano",       // Slovenian
};

TEST_F(GraphicsText, AllEightLanguagesDrawWithoutReplacementBoxes) {
  host::Screen big(1400, 700, kBackground);
  host::GraphicsServices gfx(big);
  const GDI_INIT_PARAMS& t = gfx.table();
  int y = 0;
  for (uint32_t font : {2u, 0u, 1u}) {
    for (const char* phrase : kPhrases) {
      std::string zorv = host::Utf8ToZorv(phrase);
      // Every letter has its own code: nothing was turned into ".".
      ASSERT_EQ(host::ZorvToUtf8(zorv), phrase);
      t.dispatch(t.handles[kGdiTextBox], 5, PackPoint(0, y % 600), 255u | 1u << 8, 7u, 0u, font);
      t.dispatch(t.handles[kGdiWriteText], 1, zorv.c_str());
      y += 16;
    }
  }
  EXPECT_EQ(big.replacement_glyphs(), 0);
}

TEST_F(GraphicsText, EveryCodeOfTheCharacterSetHasAGlyph) {
  host::Screen cell(64, 64);
  for (int code = 1; code < 256; ++code) {
    if (ZorvDisplayGlyph(static_cast<uint8_t>(code)) == 0) continue;
    for (int font : {0, 1, 2}) {
      cell.DrawChar(0, 0, static_cast<uint8_t>(code), font, 7, 0);
      ASSERT_EQ(cell.replacement_glyphs(), 0) << "code 0x" << std::hex << code << " font " << font;
    }
  }
}

TEST_F(GraphicsText, CodeWithoutMeaningDrawsACountedReplacementBox) {
  TextBox(10, 10, 2, 1, CLR_WHITE, CLR_BLACK, 2);
  Write("\x01" "A");
  EXPECT_EQ(screen_.replacement_glyphs(), 1);
  // The box: a hollow rectangle one pixel inside the cell.
  EXPECT_EQ(screen_.Pixel(11, 11), CLR_WHITE);
  EXPECT_EQ(screen_.Pixel(16, 24), CLR_WHITE);
  EXPECT_EQ(screen_.Pixel(13, 18), CLR_BLACK);
  EXPECT_EQ(screen_.Pixel(10, 10), CLR_BLACK);
}

// --- Table, recorder, registration -------------------------------------

using GraphicsTable = GraphicsTest;

TEST_F(GraphicsTable, TableCarriesTheDispatchEntryIdentityMapAndTheUsedSlots) {
  const GDI_INIT_PARAMS& t = gfx_.table();
  EXPECT_EQ(t.size, 202);
  EXPECT_EQ(t.dispatch, &HostDispatchEntry);
  for (int k = 0; k < 16; ++k) EXPECT_EQ(t.color_map[k], k);
  const std::set<int> used = {0, 3, 5, 6, 7, 14, 15, 16, 18, 23, 24, 25, 26, 27, 29};
  std::set<uint32_t> handles;
  for (int slot = 0; slot < 45; ++slot) {
    if (used.count(slot)) {
      EXPECT_NE(t.handles[slot], 0u) << slot;
      handles.insert(t.handles[slot]);
    } else {
      EXPECT_EQ(t.handles[slot], 0u) << slot;
    }
  }
  EXPECT_EQ(handles.size(), used.size());
}

TEST_F(GraphicsTable, RecorderKeepsEveryCallDecodedInOrder) {
  Colors(CLR_RED, CLR_TRANSPARENT);
  Fill(-5, 7, 30, 2);
  Line(1, 2, 300, -4, 0xF0F0);
  Triangle(1, 2, 3, 4, 5, 6);
  Call(kGdiSetXorMode, 1u);
  Call(kGdiSetXorMode, 0u);
  char buffer[1];
  Call(kGdiSaveRect, PackPoint(1, 2), PackPoint(3, 4), static_cast<void*>(buffer));
  TextBox(8, 9, 10, 2, CLR_WHITE, CLR_FILL, 0);
  Write(host::Utf8ToZorv("Čas"));
  Call(kGdiTextBlank, 255u);
  Call(kGdiSlot25, 3, 4);
  char address[16];
  snprintf(address, sizeof address, "0x%08X", reinterpret_cast<uint32_t>(buffer));
  const std::vector<std::string> expected = {
      "GdiSetColors fg=13 bg=255",
      "GdiFillRect (-5,7) 30x2",
      "GdiLine (1,2)-(300,-4) pattern=0xF0F0",
      "GdiTriangle (1,2) (3,4) (5,6) pattern=0xFFFF",
      "GdiSetXorMode 1",
      "GdiSetXorMode 0",
      std::string("GdiSaveRect (1,2) 3x4 buffer=") + address,
      "GdiTextBox (8,9) columns=10 rows=2 fg=7 bg=9 font=0",
      "GdiWriteText \"Čas\"",
      "GdiTextBlank 255",
      "GdiSlot25 3 4",
  };
  EXPECT_EQ(gfx_.recorder().Descriptions(), expected);
  EXPECT_EQ(gfx_.recorder().calls()[2].x2, 300);
  EXPECT_EQ(gfx_.recorder().calls()[2].y2, -4);
}

TEST_F(GraphicsTable, DisabledRecorderRecordsNothingButDrawingGoesOn) {
  gfx_.recorder().Enable(false);
  Colors(CLR_RED);
  Fill(0, 0, 3, 3);
  EXPECT_TRUE(gfx_.recorder().calls().empty());
  EXPECT_EQ(screen_.Pixel(1, 1), CLR_RED);
  gfx_.recorder().Enable(true);
  Fill(0, 0, 3, 3);
  EXPECT_EQ(gfx_.recorder().calls().size(), 1u);
}

TEST(GraphicsRegistration, ServicesAreUnregisteredWithTheirOwner) {
  host::Screen screen(10, 10);
  uint32_t handle;
  {
    host::GraphicsServices gfx(screen);
    handle = gfx.table().handles[kGdiSetColors];
    EXPECT_EQ(host::ServiceName(handle), "GdiSetColors");
    EXPECT_EQ(HostDispatchEntry(handle, 2, 1, 2), 1);
  }
  EXPECT_EQ(HostDispatchEntry(handle, 2, 1, 2), 0);
}

// --- Fonts -------------------------------------------------------------

// A PSF1 image: 256 glyphs of 8 x 2, glyph g has rows {g, ~g}; its Unicode
// table maps glyph g to `map(g)` (and 0x41 also to a sequence).
std::vector<uint8_t> MakePsf1(bool with_table) {
  std::vector<uint8_t> f = {0x36, 0x04, static_cast<uint8_t>(with_table ? 0x02 : 0x00), 2};
  for (int g = 0; g < 256; ++g) {
    f.push_back(static_cast<uint8_t>(g));
    f.push_back(static_cast<uint8_t>(~g));
  }
  if (!with_table) return f;
  auto put = [&](uint16_t u) {
    f.push_back(u & 0xFF);
    f.push_back(u >> 8);
  };
  for (int g = 0; g < 256; ++g) {
    put(static_cast<uint16_t>(0x100 + g));
    if (g == 0x41) {
      put(0xFFFE);  // a sequence: must not be taken as a character
      put(0x2000);
      put(0x0301);
    }
    put(0xFFFF);
  }
  return f;
}

TEST(Font, ParsesPsf1WithItsUnicodeTable) {
  std::vector<uint8_t> data = MakePsf1(true);
  host::Font font;
  std::string error;
  ASSERT_TRUE(host::Font::Parse(data.data(), data.size(), &font, &error)) << error;
  EXPECT_EQ(font.width(), 8);
  EXPECT_EQ(font.height(), 2);
  const uint8_t* g = font.Glyph(0x100 + 0x5A);
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g[0], 0x5A);
  EXPECT_EQ(g[1], static_cast<uint8_t>(~0x5A));
  EXPECT_TRUE(font.GlyphPixel(g, 1, 0));   // 0x5A = 01011010
  EXPECT_FALSE(font.GlyphPixel(g, 0, 0));
  EXPECT_EQ(font.Glyph(0x2000), nullptr);  // only inside a sequence
  EXPECT_EQ(font.Glyph('A'), nullptr);
}

TEST(Font, ParsesPsf2WithUtf8Table) {
  // Two glyphs of 10 x 3 (2 bytes a row): glyph 1 is "Ř" and "ř".
  std::vector<uint8_t> f = {0x72, 0xB5, 0x4A, 0x86, 0, 0, 0, 0, 32, 0, 0, 0, 1, 0, 0, 0,
                            2,    0,    0,    0,    6, 0, 0, 0, 3,  0, 0, 0, 10, 0, 0, 0};
  for (int i = 0; i < 12; ++i) f.push_back(static_cast<uint8_t>(i < 6 ? 0 : 0xC0));
  for (uint8_t b : {0x78, 0xFF, 0xC5, 0x98, 0xC5, 0x99, 0xFF}) f.push_back(b);
  host::Font font;
  std::string error;
  ASSERT_TRUE(host::Font::Parse(f.data(), f.size(), &font, &error)) << error;
  EXPECT_EQ(font.width(), 10);
  EXPECT_EQ(font.height(), 3);
  const uint8_t* r = font.Glyph(0x159);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r, font.Glyph(0x158));
  EXPECT_TRUE(font.GlyphPixel(r, 0, 0));
  EXPECT_FALSE(font.GlyphPixel(font.Glyph('x'), 0, 0));
}

TEST(Font, MalformedFontsAreRefusedWithAReason) {
  host::Font font;
  std::string error;
  std::vector<uint8_t> no_table = MakePsf1(false);
  EXPECT_FALSE(host::Font::Parse(no_table.data(), no_table.size(), &font, &error));
  EXPECT_NE(error.find("Unicode table"), std::string::npos) << error;
  std::vector<uint8_t> data = MakePsf1(true);
  for (size_t cut : {size_t(3), size_t(100), data.size() - 1}) {
    error.clear();
    EXPECT_FALSE(host::Font::Parse(data.data(), cut, &font, &error)) << cut;
    EXPECT_FALSE(error.empty()) << cut;
  }
  const uint8_t junk[40] = {'n', 'o', 't', ' ', 'a', ' ', 'f', 'o', 'n', 't'};
  EXPECT_FALSE(host::Font::Parse(junk, sizeof junk, &font, &error));
  EXPECT_EQ(error, "not a PSF1 or PSF2 font");
}

TEST(Font, FacesHaveTheCellSizesOfTheGdiFonts) {
  EXPECT_EQ(host::FaceForGdiFont(2).cell_width, 8);
  EXPECT_EQ(host::FaceForGdiFont(2).cell_height, 16);
  EXPECT_EQ(host::FaceForGdiFont(0).cell_width, 16);
  EXPECT_EQ(host::FaceForGdiFont(0).cell_height, 32);
  EXPECT_EQ(host::FaceForGdiFont(1).cell_width, 32);
  EXPECT_EQ(host::FaceForGdiFont(1).cell_height, 64);
  EXPECT_EQ(host::FaceForGdiFont(200).cell_height, 64);
  for (int f : {0, 1, 2}) {
    const host::TextFace& face = host::FaceForGdiFont(f);
    EXPECT_EQ(face.font->width() * face.scale, face.cell_width);
    EXPECT_EQ(face.font->height() * face.scale, face.cell_height);
  }
}

// --- PNG ---------------------------------------------------------------

TEST(ScreenPng, WrittenFileReadsBackWithThePaletteColours) {
  host::Screen screen(64, 48);
  for (int i = 0; i < 48; ++i) screen.Line(0, i, 63, i, 0xFFFF, static_cast<uint8_t>(i * 5));
  char path[] = "/tmp/screen_png_XXXXXX";
  int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  std::string error;
  ASSERT_TRUE(screen.WritePng(path, &error)) << error;
  int w, h, n;
  unsigned char* rgb = stbi_load(path, &w, &h, &n, 3);
  unlink(path);
  ASSERT_NE(rgb, nullptr) << stbi_failure_reason();
  EXPECT_EQ(w, 64);
  EXPECT_EQ(h, 48);
  for (int y = 0; y < 48; ++y) {
    uint32_t c = host::Palette(static_cast<uint8_t>(y * 5));
    const unsigned char* p = rgb + (y * 64 + 10) * 3;
    EXPECT_EQ((p[0] << 16) | (p[1] << 8) | p[2], static_cast<int>(c)) << "row " << y;
  }
  stbi_image_free(rgb);
}

TEST(ScreenPng, UnwritablePathIsReported) {
  host::Screen screen(8, 8);
  std::string error;
  EXPECT_FALSE(screen.WritePng("/nonexistent-folder/x.png", &error));
  EXPECT_NE(error.find("/nonexistent-folder/x.png"), std::string::npos) << error;
}

TEST(ScreenPalette, LogicalColoursAreDistinctAndTheNamedOnesLookRight) {
  std::set<uint32_t> seen;
  for (int k = 0; k < 16; ++k) seen.insert(host::Palette(static_cast<uint8_t>(k)));
  EXPECT_EQ(seen.size(), 16u);
  EXPECT_EQ(host::Palette(CLR_BLACK), 0x000000u);
  EXPECT_EQ(host::Palette(CLR_WHITE), 0xFFFFFFu);
  uint32_t red = host::Palette(CLR_RED), green = host::Palette(CLR_GREEN);
  EXPECT_GT(red >> 16, (red >> 8) & 0xFF);
  EXPECT_GT((green >> 8) & 0xFF, green >> 16);
}

}  // namespace
