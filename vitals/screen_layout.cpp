#include "vitals/screen_layout.h"

#include "bridge/display.h"
#include "bridge/gdi.h"
#include "vitals/vitals_service.h"

bool StrictArea(char layout, ScreenArea* area) {
  if (layout != 'C' && layout != 'L' && layout != 'P') return false;
  *area = LooseArea(layout);
  return true;
}

ScreenArea LooseArea(char layout) {
  if (layout == 'C') return {5, 630, 16, true};
  if (layout == 'P') return {325, 310, 336, false};
  return {5, 310, 16, false};
}

void ClearArea(const ScreenArea& area) {
  DisplaySetColors(Colour(BARVA_P0), Colour(BARVA_P0));
  ScreenFill(area.x, kAreaTop, area.width, kAreaHeight);
}

uint32_t AreaInk() { return Colour(BARVA_T15); }
uint32_t AreaPaper() { return Colour(BARVA_P0); }

void AreaTextIn(const ScreenArea& area, int column, int row, uint32_t fg, uint32_t bg, const char* text) {
  if (text == nullptr) return;
  int columns = 0, rows = 1, line = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p == '\n') {
      ++rows;
      line = 0;
    } else if (*p != '\r' && ++line > columns) {
      columns = line;
    }
  }
  if (columns > 255) columns = 255;
  if (rows > 255) rows = 255;
  DisplayTextScreen(PackPoint(area.text_x + kCharWidth * column, RowY(row)), DisplayExtent(columns, rows), fg, bg,
                    2);
  DisplayWriteText(text);
}

void AreaText(const ScreenArea& area, int column, int row, const char* text) {
  AreaTextIn(area, column, row, AreaInk(), AreaPaper(), text);
}

void AreaCaption(const ScreenArea& area, const char* text) {
  DisplaySetColors(Colour(BARVA_T13), Colour(BARVA_T13));
  ScreenFill(area.x, kAreaTop, area.width, 20);
  AreaTextIn(area, 0, 0, AreaPaper(), Colour(BARVA_T13), text);
}
