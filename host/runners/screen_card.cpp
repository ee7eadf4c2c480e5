// hostsim screen-test's card, drawn straight through the registered
// graphics services (the same dispatch calls a library makes).
#include <stdarg.h>
#include <stdio.h>

#include "bridge/gdi.h"
#include "host/runners/test_cards.h"
#include "host/screen/text.h"
#include "host/services/graphics_services.h"

namespace host {
namespace {

class Painter {
 public:
  explicit Painter(const GDI_INIT_PARAMS& table) : table_(table) {}

  int Call(int slot, int count, ...) {
    va_list args;
    va_start(args, count);
    uint32_t a[5] = {};
    for (int i = 0; i < count && i < 5; ++i) a[i] = va_arg(args, uint32_t);
    va_end(args);
    uint32_t h = table_.handles[slot];
    switch (count) {
      case 1: return table_.dispatch(h, 1, a[0]);
      case 2: return table_.dispatch(h, 2, a[0], a[1]);
      case 3: return table_.dispatch(h, 3, a[0], a[1], a[2]);
      case 4: return table_.dispatch(h, 4, a[0], a[1], a[2], a[3]);
      default: return table_.dispatch(h, 5, a[0], a[1], a[2], a[3], a[4]);
    }
  }
  void Colors(int fg, int bg) { Call(kGdiSetColors, 2, table_.color_map[fg], bg == 255 ? 255 : table_.color_map[bg]); }
  void Fill(int x, int y, int w, int h) { Call(kGdiFillRect, 2, PackPoint(x, y), PackPoint(w, h)); }
  void Line(int x1, int y1, int x2, int y2, uint16_t pattern) {
    Call(kGdiLine, 3, PackPoint(x1, y1), PackPoint(x2, y2), static_cast<uint32_t>(pattern));
  }
  void Triangle(int x1, int y1, int x2, int y2, int x3, int y3) {
    Call(kGdiTriangle, 4, PackPoint(x1, y1), PackPoint(x2, y2), PackPoint(x3, y3), 0xFFFFu);
  }
  void Xor(int on) { Call(kGdiSetXorMode, 1, on); }
  // A text box with the text written into it (as UTF-8, converted).
  void Text(int x, int y, int columns, int rows, int fg, int bg, int font, const std::string& utf8) {
    Call(kGdiTextBox, 5, PackPoint(x, y), static_cast<uint32_t>(columns | rows << 8),
         static_cast<uint32_t>(table_.color_map[fg]), bg == 255 ? 255u : table_.color_map[bg],
         static_cast<uint32_t>(font));
    std::string zorv = Utf8ToZorv(utf8);
    table_.dispatch(table_.handles[kGdiWriteText], 1, zorv.c_str());
  }
  void Blank() { Call(kGdiTextBlank, 1, 255u); }

 private:
  const GDI_INIT_PARAMS& table_;
};

struct Sample {
  const char* phrase;
  const char* word;
};

const Sample kSamples[8] = {
    {"Čeština: Příliš žluťoučký kůň úpěl ďábelské ódy", "Řez"},
    {"Deutsch: Prüfen Sie die Düse und den Brenner (ÄÖÜ)", "Düse"},
    {"English: Cutting program finished, torch off", "Torch"},
    {"Français: Arrêt d'urgence, vérifiez la buse à gaz", "Arrêt"},
    {"Magyar: Vágási sebesség túl nagy, állítsa át", "Vágás"},
    {"Polski: Błąd: sprawdź ciśnienie gazu, żółć", "Błąd"},
    {"Русский: Скорость резки слишком высока", "Резка"},
    {"Slovenščina: Preverite šobo in čistočo žarka", "Šoba"},
};

void DrawCard(Painter& p, int width) {
  // Header bar with the rest blanked in the status grey.
  p.Text(0, 0, width / 8, 1, CLR_BLACK, CLR_P2, 2, "hostsim screen-test: patterns, XOR, fonts 2/0/1, fills");
  p.Blank();

  // Lines with each pattern: horizontal, and a fan of diagonals.
  static const uint16_t kPatterns[6] = {0xFFFF, 0xF0F0, 0xCCCC, 0xFAFA, 0xAAAA, 0xFF00};
  for (int i = 0; i < 6; ++i) {
    char label[8];
    snprintf(label, sizeof label, "%04X", kPatterns[i]);
    int y = 28 + i * 20;
    p.Text(8, y, 4, 1, CLR_WHITE, 255, 2, label);
    p.Colors(CLR_YELLOW, CLR_BLACK);
    p.Line(48, y + 8, 300, y + 8, kPatterns[i]);
    p.Colors(CLR_GREEN, CLR_BLACK);
    p.Line(320 + i * 30, 28, 340 + i * 30, 140, kPatterns[i]);
  }

  // Exclusive-or: a red block and a fan of white lines drawn in XOR mode;
  // then the second half of the fan and the triangle are drawn once more,
  // which removes them again. What is left: the first half of the fan.
  p.Colors(CLR_RED, CLR_BLACK);
  p.Fill(560, 28, 200, 112);
  p.Text(780, 28, 20, 1, CLR_WHITE, 255, 2, "XOR: half of the fan");
  p.Text(780, 44, 20, 1, CLR_WHITE, 255, 2, "drawn twice = gone");
  p.Xor(1);
  p.Colors(CLR_WHITE, CLR_BLACK);
  for (int pass = 0; pass < 2; ++pass) {
    for (int i = pass == 0 ? 0 : 6; i < 12; ++i) p.Line(540, 150, 540 + i * 20, 20, 0xFFFF);
    p.Colors(CLR_YELLOW, CLR_BLACK);
    p.Triangle(700, 60, 760, 130, 640, 130);
    p.Colors(CLR_WHITE, CLR_BLACK);
  }
  p.Xor(0);

  // Font 2 (8 x 16), eight languages.
  for (int i = 0; i < 8; ++i) p.Text(8, 160 + i * 16, 60, 1, CLR_WHITE, CLR_T14, 2, kSamples[i].phrase);

  // Filled rectangles in the logical colours and a triangle.
  for (int c = 0; c < 16; ++c) {
    p.Colors(c, CLR_BLACK);
    p.Fill(520 + (c % 8) * 32, 160 + (c / 8) * 32, 28, 28);
    char label[4];
    snprintf(label, sizeof label, "%d", c);
    p.Text(522 + (c % 8) * 32, 166 + (c / 8) * 32, 2, 1, c == 0 ? CLR_WHITE : CLR_BLACK, 255, 2, label);
  }
  p.Colors(CLR_VIOLET, CLR_BLACK);
  p.Triangle(800, 160, 1000, 200, 860, 288);
  p.Colors(CLR_WHITE, CLR_BLACK);
  p.Line(800, 160, 1000, 200, 0xFFFF);
  p.Line(1000, 200, 860, 288, 0xFFFF);
  p.Line(860, 288, 800, 160, 0xFFFF);

  // Font 0 (16 x 32), eight languages.
  for (int i = 0; i < 8; ++i) p.Text(8, 296 + i * 32, 63, 1, CLR_YELLOW, CLR_BLACK, 0, kSamples[i].phrase);

  // Font 1 (32 x 64): a word per language, and a box clipped to 7 columns
  // and 1 row (the rest of the phrase falls outside it).
  for (int i = 0; i < 8; ++i) {
    int col = i % 3, row = i / 3;
    p.Text(8 + col * 224, 560 + row * 66, 6, 1, CLR_GREEN, CLR_T13, 1, kSamples[i].word);
  }
  p.Colors(CLR_P2, CLR_BLACK);
  p.Fill(696, 690, 7 * 32 + 4, 68);
  p.Text(698, 692, 7, 1, CLR_WHITE, 255, 1, "Zažółć gęślą");
}

}  // namespace

CardDrawn DrawScreenCard(Screen& screen) {
  GraphicsServices gfx(screen);
  Painter painter(gfx.table());
  DrawCard(painter, screen.width());
  return {gfx.recorder().calls().size(), 0};
}

}  // namespace host
