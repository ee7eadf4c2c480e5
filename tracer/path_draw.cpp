#include "tracer/path_draw.h"

#include "bridge/display.h"
#include "bridge/text_buffer.h"
#include "tracer/host_services.h"

namespace {

constexpr uint32_t kLabelFont = 78, kLetterFont = 2;
constexpr uint32_t kNoBackground = 255;
constexpr int kTextY = 400;

struct LetterPlace {
  const char* y_text;
  int y_x, y_y, y_full_x, y_full_y;
  const char* x_text;
  int x_x, x_y, x_full_x, x_full_y;
};

// Letter texts and points per origin position: modes 2 and 3 (plus the
// area offset) and mode 1.
const LetterPlace kLetters[kOriginPositions] = {
    {" Y", 292, 249, 612, 249, "X", 163, 99, 327, 99},
    {" Y", 292, 378, 612, 381, "X", 13, 99, 13, 99},
    {" Y", 292, 378, 612, 381, "X", 163, 99, 327, 99},
    {"Y", 13, 378, 13, 378, " X", 292, 99, 602, 99},
    {"Y", 13, 249, 13, 249, " X", 292, 99, 602, 99},
    {"Y", 13, 99, 13, 99, " X", 292, 378, 602, 378},
    {" Y", 292, 99, 612, 99, "X", 163, 378, 327, 378},
    {" Y", 292, 99, 612, 99, "X", 13, 378, 13, 378},
    {" Y", 292, 249, 612, 249, "X", 13, 99, 13, 99},
};

void WriteAt(int x, int y, uint32_t font, uint8_t fg, uint8_t bg, const char* text) {
  DisplayTextForm(PackPoint(x, y), font, fg, bg);
  DisplayWriteText(text);
}

}  // namespace

uint8_t PathPalette(const PathState* s, int palette_byte) {
  switch (palette_byte) {
    case 20: return s->colours[kFg20];
    case 21: return s->colours[kAxes21];
    case 22: return s->colours[kLetters22];
    case 25: return s->colours[kBg25];
    case 27: return s->colours[kTrail27];
    default: return s->colours[kErase29];
  }
}

void PathFill(uint8_t colour, int x, int y, int width, int height) {
  DisplaySetColors(colour, kNoBackground);
  DisplayFill(PackPoint(x, y), PackPoint(width, height));
}

void EraseScreen(const PathState* s) {
  const uint8_t c = s->colours[kErase29];
  switch (s->layout.mode) {
    case 2:
      PathFill(c, 315, 88, 10, 336);
      PathFill(c, 327, 93, 308, 326);
      break;
    case 3: PathFill(c, 5, 93, 308, 326); break;
    default: PathFill(c, 5, 93, 630, 326); break;
  }
}

void ErasePlotArea(const PathState* s) {
  const uint8_t c = s->colours[kErase29];
  switch (s->layout.mode) {
    case 2: PathFill(c, 328, 95, 306, 303); break;
    case 3: PathFill(c, 6, 95, 306, 303); break;
    default: PathFill(c, 6, 95, 628, 303); break;
  }
}

void DrawAxes(PathState* s) {
  const STRUCT_TRACER* r = s->record;
  const uint8_t position = ReadHost<uint8_t>(r->originPos);
  if (position >= kOriginPositions) return;  // no axes; the origin stays
  const PathLayout& l = s->layout;
  const bool full = l.mode == 1;
  int column = 0, row = 0;
  OriginPixel(l, position, &column, &row);
  s->originX = column;
  s->originY = row;

  const uint8_t c = s->colours[kAxes21];
  const bool left_column = position == 1 || position == 7 || position == 8;
  const int start = full ? (left_column ? 10 : 10 + l.inset) : l.off + 10;
  PathFill(c, start, row, full ? 600 : 300, 1);
  PathFill(c, column, kAreaTop, 1, 300);
  for (int i = 0; i < 13; ++i) PathFill(c, column - 3, kAreaTop + 25 * i, 6, 1);
  for (int i = 0; i < (full ? 25 : 13); ++i) PathFill(c, start + 25 * i, row - 3, 1, 6);

  const LetterPlace& p = kLetters[position];
  const uint8_t letters = s->colours[kLetters22];
  if (full) {
    WriteAt(p.y_full_x, p.y_full_y, kLetterFont, letters, kNoBackground, p.y_text);
    WriteAt(p.x_full_x, p.x_full_y, kLetterFont, letters, kNoBackground, p.x_text);
  } else {
    WriteAt(l.off + p.y_x, p.y_y, kLetterFont, letters, kNoBackground, p.y_text);
    WriteAt(l.off + p.x_x, p.x_y, kLetterFont, letters, kNoBackground, p.x_text);
  }
}

void DrawGridLabel(const PathState* s, bool outside) {
  char text[32];
  TextBuffer b = MakeTextBuffer(text, sizeof text);
  TextAppend(&b, outside ? "[!] rastr=" : "[ ] rastr=");
  TextAppend(&b, ZoomLabel(ReadHost<uint8_t>(s->record->zoomIndex)));
  WriteAt(s->layout.off + 176, kTextY, kLabelFont, s->colours[kFg20], s->colours[kBg25], text);
}

void DrawReadout(PathState* s) {
  STRUCT_TRACER* r = s->record;
  const char* mode_text = r->modeText;
  char mode = 0;
  if (mode_text != nullptr && mode_text[0] && mode_text[1] && mode_text[2]) mode = mode_text[3];
  int32_t h = s->shownH, v = s->shownV;
  if (ReadHost<uint8_t>(r->snapshotFlag) == 255) {
    if (mode == '2') {
      h = s->shownH = s->accH;
    } else if (mode != '0') {
      h = s->shownH = s->accH;
      v = s->shownV = s->accV;
    }
  }
  if (mode == '0') h = v = 0;
  if (mode == '2') v = 0;
  WriteHost<uint8_t>(r->snapshotFlag, 0);

  char text[48], number[16];
  TextBuffer b = MakeTextBuffer(text, sizeof text);
  TextAppend(&b, " [");
  FormatMillimetres(h, number);
  TextAppend(&b, number);
  TextAppend(&b, ";");
  FormatMillimetres(v, number);
  TextAppend(&b, number);
  TextAppend(&b, "]");
  const int x = s->layout.off + 8;
  WriteAt(x, kTextY, kLabelFont, s->colours[kFg20], s->colours[kBg25], "                     ");
  WriteAt(x, kTextY, kLabelFont, s->colours[kFg20], s->colours[kBg25], text);
}
