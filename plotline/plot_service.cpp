// Service screens (keys 81-85): the record's information, the first
// blocks, colour and font samples, and a test cube in the current view.
// They cover the drawing area until a key redraws the view.
#include <string.h>

#include "bridge/text_buffer.h"
#include "plotline/plotline.h"

namespace {

constexpr int32_t kLineHeight = 16;

struct Lines {
  const PlotContext* c;
  int32_t y;
};

void Line(Lines* l, const char* text) {
  const GdiRectI& d = l->c->layout.draw;
  if (l->y + kLineHeight - 1 > d.y2) return;
  int32_t columns = (d.x2 - d.x1 - 8) / 8;
  if (columns <= 0) return;
  GdiText(d.x1 + 4, l->y, static_cast<uint32_t>(columns), 1, CLR_BLACK, CLR_TRANSPARENT, 2);
  GdiWriteText(text);
  l->y += kLineHeight;
}

void AppendTriple(TextBuffer* b, const double v[3]) {
  for (int k = 0; k < 3; ++k) {
    TextAppendChar(b, ' ');
    TextAppendFixed(b, v[k], 3);
  }
}

void RecordScreen(Lines* l) {
  char text[160];
  CNC_RECORD_INFO info;
  if (RecordCNCGetRecordInfo(&info) != 1) {
    Line(l, "Chyba RecordCNCGetRecordInfo");
    return;
  }
  TextBuffer b = MakeTextBuffer(text, sizeof text);
  TextAppend(&b, "min");
  AppendTriple(&b, info.min);
  Line(l, text);
  b = MakeTextBuffer(text, sizeof text);
  TextAppend(&b, "max");
  AppendTriple(&b, info.max);
  Line(l, text);
  b = MakeTextBuffer(text, sizeof text);
  TextAppend(&b, "scale ");
  TextAppendFixed(&b, g_cnc.program_scale, 0);
  TextAppend(&b, " / ");
  TextAppendFixed(&b, g_cnc.position_scale, 0);
  Line(l, text);
  b = MakeTextBuffer(text, sizeof text);
  TextAppend(&b, "axes 1-3: fields");
  for (int k = 0; k < 3; ++k) {
    TextAppendChar(&b, ' ');
    TextAppendUnsigned(&b, g_cnc.field[k]);
    TextAppendChar(&b, g_cnc.sign[k] < 0 ? '-' : '+');
  }
  TextAppend(&b, "  A B C ");
  TextAppendUnsigned(&b, g_cnc.flag_a);
  TextAppendChar(&b, ' ');
  TextAppendUnsigned(&b, g_cnc.flag_b);
  TextAppendChar(&b, ' ');
  TextAppendUnsigned(&b, g_cnc.flag_c);
  Line(l, text);
  b = MakeTextBuffer(text, sizeof text);
  TextAppend(&b, "ready ");
  TextAppendSigned(&b, RecordCNCProgramReady());
  Line(l, text);
}

void BlockScreen(Lines* l) {
  char text[200];
  int32_t index = RecordCNCProgramReady() == 0 ? 0 : -1;
  if (index == -1) {
    Line(l, "Chyba RecordCNCGetBlockInfo");
    return;
  }
  for (int n = 0; n < 40 && index != -1; ++n, index = RecordCNCNextBlock(index)) {
    alignas(8) CNC_BLOCK_INFO b;  // its doubles are read by pointer
    if (RecordCNCGetBlockInfo(index, &b) != 1) {
      Line(l, "Chyba RecordCNCGetBlockInfo");
      return;
    }
    TextBuffer t = MakeTextBuffer(text, sizeof text);
    TextAppendChar(&t, 'N');
    TextAppendUnsigned(&t, b.block_number);
    TextAppend(&t, " G");
    TextAppendUnsigned(&t, b.motion);
    TextAppend(&t, " f");
    TextAppendUnsigned(&t, b.flags);
    AppendTriple(&t, b.end);
    if (b.motion >= 2) {
      TextAppend(&t, " c");
      AppendTriple(&t, b.centre);
    }
    if (b.flags & kBlockProgress) {
      TextAppendChar(&t, ' ');
      TextAppendUnsigned(&t, b.progress);
      TextAppendChar(&t, '%');
    }
    Line(l, text);
  }
}

void ColourScreen(const PlotContext* c) {
  const GdiRectI& d = c->layout.draw;
  int32_t w = (d.x2 - d.x1) / 16;
  for (int32_t k = 0; k < 16; ++k) {
    GdiSetColors(static_cast<uint32_t>(k), static_cast<uint32_t>(k));
    GdiFillRectClipped(d.x1 + k * w + 2, d.y1 + 20, d.x1 + (k + 1) * w - 2, d.y1 + 80);
    char label[4];
    TextBuffer b = MakeTextBuffer(label, sizeof label);
    TextAppendUnsigned(&b, static_cast<uint32_t>(k));
    GdiText(d.x1 + k * w + 2, d.y1 + 84, 2, 1, CLR_BLACK, CLR_TRANSPARENT, 2);
    GdiWriteText(label);
  }
}

void FontScreen(const PlotContext* c) {
  const GdiRectI& d = c->layout.draw;
  static const char kSample[] = "XYZ 0123456789 +-.";
  int32_t y = d.y1 + 4;
  static const uint32_t kFonts[3] = {2, 0, 1};
  for (uint32_t font : kFonts) {
    int32_t h = font == 2 ? 16 : font == 0 ? 32 : 64;
    GdiText(d.x1 + 4, y, static_cast<uint32_t>(strlen(kSample)), 1, CLR_BLACK, CLR_TRANSPARENT, font);
    GdiWriteText(kSample);
    y += h + 4;
  }
}

void CubeScreen(const PlotContext* c, const _PLOTLINE* r) {
  PlotBox e = PlotExtents(c, r);
  PlotApplyProjection(c);
  Pen3D pen;
  memset(&pen, 0, sizeof pen);
  PenInit(&pen, CLR_T12, CLR_TRANSPARENT, kPatternSolid);
  PenBox(&pen, e.min[0], e.min[1], e.min[2], e.max[0], e.max[1], e.max[2]);
  PenMoveTo(&pen, e.min[0], e.min[1], e.min[2]);
  PenText(&pen, "min", 2);
  PenMoveTo(&pen, e.max[0], e.max[1], e.max[2]);
  PenText(&pen, "max", 2);
}

}  // namespace

void PlotServiceScreen(PlotContext* c, const _PLOTLINE* r, uint8_t key) {
  PlotMarkerErase(c);
  c->draw.service = true;
  c->draw.busy = false;
  GdiSetClip(c->layout.draw);
  GdiSetColors(kColorWindow, kColorWindow);
  GdiFillRectClipped(c->layout.draw);
  Lines l = {c, c->layout.draw.y1 + 4};
  switch (key) {
    case 81: RecordScreen(&l); break;
    case 82: BlockScreen(&l); break;
    case 83: ColourScreen(c); break;
    case 84: FontScreen(c); break;
    default: CubeScreen(c, r); break;
  }
}
