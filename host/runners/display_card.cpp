// hostsim display-test's card, drawn through the display block with the
// same wrappers the screen libraries use.
#include <stdio.h>

#include "bridge/display.h"
#include "bridge/gdi.h"
#include "host/runners/test_cards.h"
#include "host/services/display_services.h"

namespace host {
namespace {

struct Style {
  TextStyle style;
  bool screen() const { return style == TextStyle::kScreen; }
  // Word 33 in the block's own order.
  void Text(int x, int y, int columns, int rows, uint8_t fg, uint8_t bg, int font, const char* text) const {
    if (screen())
      DisplayTextScreen(PackPoint(x, y), DisplayExtent(columns, rows), fg, bg, static_cast<uint32_t>(font));
    else
      DisplayTextForm(PackPoint(x, y), static_cast<uint32_t>(font), fg, bg);
    DisplayWriteText(text);
  }
};

void DrawCard(const Style& s) {
  const uint8_t white = DisplayPalette(BARVA_P0), panel = DisplayPalette(BARVA_T14);
  DisplaySetColors(panel, 255);
  DisplayFill(PackPoint(0, 0), PackPoint(800, 600));
  s.Text(8, 8, 99, 1, white, 255, 2,
         s.screen() ? "hostsim display-test: screen style (Vitals, Glint)"
                    : "hostsim display-test: form style (Tracer, Mosaic)");

  // The palette: one swatch per byte, labelled with the byte number.
  for (int byte = kDisplayPaletteFirst; byte <= kDisplayPaletteLast; ++byte) {
    int i = byte - kDisplayPaletteFirst, x = 8 + (i % 9) * 56, y = 32 + (i / 9) * 40;
    DisplaySetColors(DisplayPalette(BARVA_P1), 255);
    DisplayFill(PackPoint(x - 1, y - 1), PackPoint(50, 34));
    DisplaySetColors(DisplayPalette(byte), 255);
    DisplayFill(PackPoint(x, y), PackPoint(48, 32));
    char label[4];
    snprintf(label, sizeof label, "%d", byte);
    uint8_t ink = byte == BARVA_T15 || byte == BARVA_T14 || byte == BARVA_T13 ? white : DisplayPalette(BARVA_T15);
    s.Text(x + 2, y + 2, 2, 1, ink, 255, 2, label);
  }

  // Lines: solid, dashed, dotted, and a diagonal fan.
  static const uint16_t kPatterns[4] = {0xFFFF, 0xF0F0, 0x8888, 0xCCCC};
  for (int i = 0; i < 4; ++i) {
    char label[8];
    snprintf(label, sizeof label, "%04X", kPatterns[i]);
    s.Text(8, 124 + i * 20, 4, 1, white, 255, 2, label);
    DisplaySetColors(DisplayPalette(BARVA_ZLUTA), 255);
    DisplayLine(PackPoint(48, 132 + i * 20), PackPoint(400, 132 + i * 20), kPatterns[i]);
    DisplaySetColors(DisplayPalette(BARVA_ZELENA), 255);
    DisplayLine(PackPoint(420 + i * 24, 120), PackPoint(460 + i * 24, 200), kPatterns[i]);
  }

  // Arcs: a full circle (start = end), a quarter and three quarters, each
  // counter-clockwise from its start (marked by a small square).
  struct ArcCase {
    int cx, cy, sx, sy, ex, ey;
    const char* label;
  };
  const ArcCase arcs[3] = {{620, 160, 660, 160, 660, 160, "full"},
                           {720, 160, 760, 160, 720, 120, "1/4"},
                           {620, 260, 620, 220, 660, 260, "3/4"}};
  for (const ArcCase& a : arcs) {
    DisplaySetColors(DisplayPalette(BARVA_RUDA), 255);
    DisplayFill(PackPoint(a.sx - 2, a.sy - 2), PackPoint(5, 5));
    DisplaySetColors(DisplayPalette(BARVA_P0), 255);
    DisplayArc(PackPoint(a.cx, a.cy), PackPoint(a.sx, a.sy), PackPoint(a.ex, a.ey));
    s.Text(a.cx - 20, a.cy + 44, 16, 1, white, 255, 2, a.label);
  }

  // Text in both faces: line breaks return to the box's left edge.
  s.Text(8, 216, 40, 3, DisplayPalette(BARVA_T15), DisplayPalette(BARVA_P1), 2,
         "Font 2, 8 x 16 cells\nsecond line\nthird line");
  s.Text(8, 280, 30, 2, DisplayPalette(BARVA_ZLUTA), DisplayPalette(BARVA_T13), 38, "Font 38\n16 x 32");
  s.Text(280, 280, 20, 1, DisplayPalette(BARVA_T15), DisplayPalette(BARVA_P1), 0, "Font 0");
  s.Text(280, 320, 30, 1, white, 255, 2, "background 255: transparent");
  // Extent: screen style cuts this text after 12 columns; form style has
  // no extent and runs on to the screen's edge.
  s.Text(8, 360, 12, 1, DisplayPalette(BARVA_T15), DisplayPalette(BARVA_SVETLEJSI), 2,
         "twelve cells: and what the extent drops");
  // Character by character.
  s.Text(8, 392, 20, 1, DisplayPalette(BARVA_ZELENA), 255, 38, "");
  for (const char* p = "WriteChar"; *p != 0; ++p) DisplayWriteChar(*p);
}

}  // namespace

CardDrawn DrawDisplayCard(Screen& screen, bool screen_style) {
  DisplayServices display(screen, screen_style ? TextStyle::kScreen : TextStyle::kForm);
  // A screen record as a library receives it: dispatch at 2, block at 6.
  uint8_t record[16] = {};
  RecordSet<HostDispatch>(record, 2, display.dispatch());
  RecordSet<const uint8_t*>(record, 6, display.block());
  DisplayBind(record);
  DrawCard(Style{display.style()});

  // A word without a service is refused; the card says so.
  int refused = g_display.dispatch(display.handle(19), 1, 0u) == 0;
  char note[64];
  snprintf(note, sizeof note, "word 19: %s", refused ? "refused, recorded" : "ran (wrong)");
  Style{display.style()}.Text(8, 440, 40, 1, DisplayPalette(BARVA_ZLUTA), 255, 2, note);
  DisplayBind(nullptr);

  int refusals = 0;
  for (const GdiCall& call : display.recorder().calls()) refusals += !call.error.empty();
  return {display.recorder().calls().size(), refusals};
}

}  // namespace host
