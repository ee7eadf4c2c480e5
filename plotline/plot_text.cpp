// The top line (axes, names, visible size, markers) and the status line
// (view, corrections, speed, block by block, following, program name).
// Both are composed as text and repainted only when the text changed.
#include <math.h>
#include <string.h>

#include "bridge/localization.h"
#include "bridge/text_buffer.h"
#include "plotline/plotline.h"

namespace {

constexpr uint32_t kFont = 2;
constexpr int32_t kCellWidth = 8;
constexpr uint32_t kRightPart = 8;  // three letters, two markers, busy

enum TextId : uint32_t {
  kTextPlanShort = 1, kTextPlanLong = 2, kTextAxoShort = 3, kTextAxoLong = 4,
  kTextPerspShort = 5, kTextPerspLong = 6, kTextCorrections = 7, kTextBbbShort = 8, kTextBbbLong = 9,
};

const char* Text(uint32_t id) {
  const char* t = LocText(id);
  return t ? t : "";
}

uint32_t Columns(const GdiRectI& line) {
  int32_t w = line.x2 - line.x1 + 1;
  return w > 0 ? static_cast<uint32_t>(w / kCellWidth) : 0;
}

// The display fields a view names: the plan's two, or all three.
int Fields(const PlotView& v, int out[3]) {
  if (v.mode != kModePlan) {
    out[0] = 0, out[1] = 1, out[2] = 2;
    return 3;
  }
  out[0] = v.orientation == 2 ? 1 : 0;
  out[1] = v.orientation == 0 ? 1 : 2;
  return 2;
}

// An axis name as the record holds it: at most 10 characters.
void AppendName(TextBuffer* b, const PlotlineAxis& axis) {
  for (int i = 0; i < kAxisNameMax && axis.name[i] != '\0'; ++i) TextAppendChar(b, axis.name[i]);
}

bool HasName(const PlotlineAxis& axis) { return axis.name[0] != '\0'; }

// Appends `part` when it still fits in `limit` columns.
bool AppendIfFits(TextBuffer* b, const char* part, uint32_t limit) {
  if (b->length + strlen(part) > limit) return false;
  TextAppend(b, part);
  return true;
}

void ComposeTop(const PlotContext* c, const _PLOTLINE* r, char* out, uint32_t size, uint32_t columns) {
  const PlotView& v = c->view;
  int fields[3];
  int n = Fields(v, fields);
  uint32_t limit = columns > kRightPart ? columns - kRightPart : 0;
  TextBuffer b = MakeTextBuffer(out, size);

  char part[96];
  TextBuffer p = MakeTextBuffer(part, sizeof part);
  TextAppendChar(&p, '[');
  for (int i = 0; i < n; ++i) TextAppendChar(&p, r->axis[fields[i]].letter);
  TextAppend(&p, "] ");
  bool fits = AppendIfFits(&b, part, limit);

  bool named = false;
  for (int i = 0; i < n; ++i) named = named || HasName(r->axis[fields[i]]);
  if (fits && named) {
    bool done = false;
    static const char* const kJoints[2] = {" - ", "-"};
    for (const char* joint : kJoints) {
      p = MakeTextBuffer(part, sizeof part);
      TextAppendChar(&p, '[');
      bool any = false;
      for (int i = 0; i < n; ++i) {
        if (!HasName(r->axis[fields[i]])) continue;  // an unnamed axis adds no joint
        if (any) TextAppend(&p, joint);
        AppendName(&p, r->axis[fields[i]]);
        any = true;
      }
      TextAppend(&p, "]  ");
      if ((done = AppendIfFits(&b, part, limit))) break;
    }
    fits = done;
  }
  if (fits) {
    double pixels = v.scale * c->layout.factor;
    double w = (c->layout.draw.x2 - c->layout.draw.x1) / pixels;
    double h = (c->layout.draw.y2 - c->layout.draw.y1) / pixels;
    p = MakeTextBuffer(part, sizeof part);
    TextAppendFixed(&p, w, 0);
    TextAppend(&p, " x ");
    TextAppendFixed(&p, h, 0);
    AppendIfFits(&b, part, limit);
  }
  TextAppendRepeat(&b, ' ', limit - b.length);
  if (columns < kRightPart) return;
  for (int k = 0; k < 3; ++k) TextAppendChar(&b, r->axis[k].letter ? r->axis[k].letter : ' ');
  TextAppendChar(&b, c->draw.stopped ? '!' : ' ');
  TextAppendChar(&b, c->draw.left_area ? '!' : ' ');
  TextAppend(&b, c->draw.busy ? "..." : "   ");
}

// The right part's colours: the axis colours, the two markers, the text.
uint8_t RightColor(uint32_t i) {
  static const uint8_t kColors[kRightPart] = {CLR_RED, CLR_GREEN, CLR_T13, CLR_RED, CLR_VIOLET,
                                              CLR_BLACK, CLR_BLACK, CLR_BLACK};
  return kColors[i];
}

void PaintTop(const PlotContext* c, const char* text, uint32_t columns) {
  const GdiRectI& line = c->layout.top_line;
  GdiSetClip(c->layout.window);
  uint32_t plain = columns > kRightPart ? columns - kRightPart : 0;
  if (plain > 0) {
    char left[160];
    memcpy(left, text, plain);
    left[plain] = '\0';
    GdiText(line.x1, line.y1, plain, 1, CLR_BLACK, kColorLines, kFont);
    GdiWriteText(left);
  }
  if (columns < kRightPart) return;
  for (uint32_t i = 0; i < kRightPart; ++i) {
    GdiText(line.x1 + static_cast<int32_t>((plain + i) * kCellWidth), line.y1, 1, 1, RightColor(i),
            kColorLines, kFont);
    GdiWriteChar(text[plain + i]);
  }
}

// The status line's items, in the order they stand.
enum Item { kView, kCorrections, kSpeed, kBlockByBlock, kFollow, kSecondName, kProgram, kItems };

void ComposeStatus(const PlotContext* c, const _PLOTLINE* r, bool short_view, const bool shown[kItems],
                   char* out, uint32_t size, uint32_t columns) {
  const PlotView& v = c->view;
  const PlotDraw& d = c->draw;
  TextBuffer b = MakeTextBuffer(out, size);
  if (shown[kView]) {
    static const uint32_t kIds[3][2] = {{kTextPlanLong, kTextPlanShort}, {kTextAxoLong, kTextAxoShort},
                                        {kTextPerspLong, kTextPerspShort}};
    TextAppend(&b, Text(kIds[v.mode][short_view ? 1 : 0]));
    if (v.mode == kModePlan) {
      int fields[3];
      Fields(v, fields);
      TextAppendChar(&b, r->axis[fields[0]].letter);
      TextAppendChar(&b, r->axis[fields[1]].letter);
      TextAppend(&b, "   ");
    }
  }
  if (shown[kCorrections]) {
    TextAppend(&b, Text(kTextCorrections));
    if (v.show_r) TextAppend(&b, " R");
    if (v.show_d) TextAppend(&b, " D");
    TextAppend(&b, "   ");
  }
  if (shown[kSpeed] && v.speed_on) {
    TextAppendUnsigned(&b, static_cast<uint32_t>(v.speed));
    TextAppend(&b, "%F   ");
  }
  if (shown[kBlockByBlock] && d.bbb) {
    TextAppend(&b, Text(short_view ? kTextBbbShort : kTextBbbLong));
    TextAppendUnsigned(&b, d.bbb_step);
    TextAppend(&b, ")   N");
    if (d.stopped || d.drawn == 0) TextAppend(&b, "???");
    else TextAppendUnsigned(&b, r->block_reached);
    TextAppend(&b, "   ");
  }
  if (shown[kFollow] && v.follow) TextAppend(&b, "(+)");
  // The names stand at the right end.
  char names[96];
  TextBuffer n = MakeTextBuffer(names, sizeof names);
  const char* program = reinterpret_cast<const char*>(static_cast<uintptr_t>(r->program_name));
  const char* second = reinterpret_cast<const char*>(static_cast<uintptr_t>(r->second_name));
  if (shown[kProgram] && program) TextAppend(&n, program);
  if (shown[kSecondName] && second && second[0]) {
    if (n.length) TextAppendChar(&n, ' ');
    TextAppend(&n, second);
  }
  if (b.length + n.length < columns) TextAppendRepeat(&b, ' ', columns - b.length - n.length);
  else if (n.length) TextAppendChar(&b, ' ');
  TextAppend(&b, names);
}

void PaintStatus(const PlotContext* c, const char* text, uint32_t columns) {
  GdiSetClip(c->layout.window);
  GdiText(c->layout.status_line.x1, c->layout.status_line.y1, columns, 1, CLR_BLACK, kColorLines, kFont);
  GdiWriteText(text);
  GdiTextBlank();
}

}  // namespace

void PlotPaintFrame(const PlotContext* c) {
  GdiSetClip(c->layout.window);
  GdiSetColors(kColorWindow, kColorWindow);
  GdiFillRectClipped(c->layout.window);
  GdiSetColors(kColorLines, kColorLines);
  GdiFillRectClipped(c->layout.top_line);
  GdiFillRectClipped(c->layout.status_line);
}

void PlotRefreshLines(PlotContext* c, const _PLOTLINE* r, bool force) {
  PlotDraw& d = c->draw;
  char text[sizeof d.status_text];
  uint32_t columns = Columns(c->layout.top_line);
  if (columns >= sizeof d.top_text) columns = sizeof d.top_text - 1;
  ComposeTop(c, r, text, sizeof d.top_text, columns);
  if (force || strcmp(text, d.top_text) != 0) {
    memcpy(d.top_text, text, sizeof d.top_text);
    PaintTop(c, d.top_text, columns);
  }

  columns = Columns(c->layout.status_line);
  if (columns >= sizeof d.status_text) columns = sizeof d.status_text - 1;
  // Shortened first, then items left out in this order.
  static const Item kDropOrder[] = {kSecondName, kSpeed, kFollow, kCorrections, kProgram, kBlockByBlock};
  bool shown[kItems] = {true, true, true, true, true, true, true};
  bool short_view = false;
  ComposeStatus(c, r, short_view, shown, text, sizeof text, columns);
  for (size_t i = 0; strlen(text) > columns && i <= sizeof kDropOrder / sizeof kDropOrder[0]; ++i) {
    if (i == 0) short_view = true;
    else shown[kDropOrder[i - 1]] = false;
    ComposeStatus(c, r, short_view, shown, text, sizeof text, columns);
  }
  text[columns] = '\0';
  if (force || strcmp(text, d.status_text) != 0) {
    memcpy(d.status_text, text, sizeof d.status_text);
    PaintStatus(c, d.status_text, columns);
  }
}
