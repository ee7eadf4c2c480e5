// The drawing: a full redraw (area, axis arrows, sheet and working area)
// and the path passes, drawn block by block within a time slice.
#include <math.h>
#include <string.h>

#include "bridge/view_clock.h"
#include "plotline/plotline.h"

namespace {

constexpr uint16_t kPatternBox = 0xCCCC;
constexpr uint16_t kPatternShifted = 0xFF00;
constexpr double kArrowPixels = 100;
constexpr uint32_t kBlocksWithoutClock = 200;
constexpr int32_t kMarkerSize = 6;

const PLOTLINE_HOST* HostBlock(const _PLOTLINE* r) {
  return reinterpret_cast<const PLOTLINE_HOST*>(static_cast<uintptr_t>(r->host_block));
}

void DrawArrows(const PlotContext* c, const _PLOTLINE* r) {
  static const uint8_t kColors[3] = {CLR_RED, CLR_GREEN, CLR_T13};
  // Arrows of 100 pixels whatever the zoom.
  double length = kArrowPixels / (c->view.scale * c->layout.factor);
  for (int k = 0; k < 3; ++k) {
    double end[3] = {0, 0, 0};
    end[k] = r->axis[k].inverted ? -length : length;
    Pen3D pen;
    memset(&pen, 0, sizeof pen);
    PenInit(&pen, kColors[k], CLR_TRANSPARENT, kPatternSolid);
    const double origin[3] = {0, 0, 0};
    PenLine(&pen, origin, end);
  }
}

void DrawBox(const PlotBox& b, uint8_t color) {
  Pen3D pen;
  memset(&pen, 0, sizeof pen);
  PenInit(&pen, color, CLR_TRANSPARENT, kPatternBox);
  PenBox(&pen, b.min[0], b.min[1], b.min[2], b.max[0], b.max[1], b.max[2]);
}

void DrawDecorations(const PlotContext* c, const _PLOTLINE* r) {
  PlotApplyProjection(c);
  GdiSetClip(c->layout.draw);
  DrawArrows(c, r);
  PlotBox box;
  const PLOTLINE_HOST* host = HostBlock(r);
  if (c->view.sheet && host && PlotReadBox(host, offsetof(PLOTLINE_HOST, sheet_outline), &box))
    DrawBox(box, CLR_RED);
  if (c->view.area && PlotReadBox(r, offsetof(_PLOTLINE, area), &box)) DrawBox(box, CLR_VIOLET);
}

// A pen for the path, with the working area as its box when one is set.
void InitPathPen(Pen3D* pen, const _PLOTLINE* r, uint8_t color, uint16_t pattern) {
  PlotBox area;
  // An area without width or height is no area (the host set none).
  bool usable = PlotReadBox(r, offsetof(_PLOTLINE, area), &area) && area.max[0] > area.min[0] &&
                area.max[1] > area.min[1];
  if (usable)
    PenInitBox(pen, color, kColorOutside, CLR_TRANSPARENT, pattern, area.min[0], area.min[1],
               area.min[2], area.max[0], area.max[1], area.max[2]);
  else
    PenInit(pen, color, CLR_TRANSPARENT, pattern);
}

// The plane of an arc in the display fields, from the fields it names.
int ArcPlaneOf(uint32_t flags) {
  switch (flags & (kBlockField1 | kBlockField2 | kBlockField3)) {
    case kBlockField1 | kBlockField2: return kPlaneXY;
    case kBlockField1 | kBlockField3: return kPlaneXZ;
    case kBlockField2 | kBlockField3: return kPlaneYZ;
    default: return -1;  // not drawn as an arc
  }
}

void Segment(Pen3D* pen, const CNC_BLOCK_INFO& b, const double end[3], const double shift[3]) {
  double to[3], centre[3];
  for (int k = 0; k < 3; ++k) {
    to[k] = end[k] + shift[k];
    centre[k] = b.centre[k] + shift[k];
  }
  int plane = ArcPlaneOf(b.flags);
  if ((b.motion == 2 || b.motion == 3) && plane >= 0) {
    int flags = (b.motion == 2 ? kArcClockwise : 0) | ((b.flags & kBlockFullCircle) ? kArcFullCircle : 0);
    PenArc(pen, plane, flags, centre[0], centre[1], centre[2], to[0], to[1], to[2]);
  } else {
    PenLineTo(pen, to);
  }
}

void DrawBlock(PlotContext* c, const _PLOTLINE* r, const CNC_BLOCK_INFO& b) {
  PlotDraw& d = c->draw;
  const double none[3] = {0, 0, 0};
  bool executed = d.pass == kPassExecuted;
  uint8_t color = executed ? kColorExecuted : b.motion == 0 ? kColorRapid : kColorCut;
  uint16_t pattern = !executed && b.motion == 0 ? kPatternDashed : kPatternSolid;
  d.path.inside_color = color;
  d.path.pattern = pattern;
  double shifted[3];
  for (int k = 0; k < 3; ++k) shifted[k] = b.end[k] + b.offset[k];
  if (d.first) {
    PenMoveTo(&d.path, b.end);
    PenMoveTo(&d.second, b.second_end);
    PenMoveTo(&d.shifted, shifted);
    d.first = false;
    return;
  }
  Segment(&d.path, b, b.end, none);
  if (d.path.left_box) d.left_area = true;
  if (executed) return;
  if (c->view.show_r) {
    Segment(&d.second, b, b.second_end, none);
  } else {
    PenMoveTo(&d.second, b.second_end);
  }
  if (c->view.show_d) {
    Segment(&d.shifted, b, b.end, b.offset);
  } else {
    PenMoveTo(&d.shifted, shifted);
  }
  (void)r;
}

void StartPass(PlotContext* c, const _PLOTLINE* r, int pass) {
  PlotDraw& d = c->draw;
  d.pass = pass;
  d.next = RecordCNCProgramReady() == 0 ? 0 : -1;
  d.first = true;
  d.drawn = 0;
  InitPathPen(&d.path, r, kColorCut, kPatternSolid);
  InitPathPen(&d.second, r, kColorSecond, kPatternSolid);
  InitPathPen(&d.shifted, r, kColorShifted, kPatternShifted);
}

// The slice's clock: elapsed ticks against the ticks of one millisecond.
struct Slice {
  const volatile uint32_t* ticks;
  uint32_t start, budget;
  bool down;
  bool Over() const {
    uint32_t now = *ticks;
    uint32_t elapsed = down ? start - now : now - start;
    return elapsed >= budget;
  }
};

// Whether the current pass may draw its next block now.
bool MayDraw(const PlotContext* c, const _PLOTLINE* r) {
  const PlotDraw& d = c->draw;
  if (d.next == -1) return false;
  if (d.pass == kPassProgram && d.bbb) return !d.hold && d.drawn < d.bbb_allowed;
  if (d.pass == kPassExecuted) {
    const PLOTLINE_HOST* host = HostBlock(r);
    return host && d.executed_drawn < host->executed;
  }
  return d.pass == kPassProgram;
}

}  // namespace

void PlotRestartPath(PlotContext* c) {
  c->draw.pass = kPassNone;  // the next slice starts the program pass
  c->draw.stopped = false;
  c->draw.left_area = false;
  c->draw.bbb_end = false;
}

void PlotFullRedraw(PlotContext* c, const _PLOTLINE* r) {
  c->draw.service = false;
  GdiSetClip(c->layout.window);
  GdiSetColors(kColorWindow, kColorWindow);
  GdiFillRectClipped(c->layout.draw);
  c->draw.marker_shown = false;
  GdiSetColors(CLR_BLACK, kColorWindow);
  GdiRect(c->layout.draw.x1 - 1, c->layout.draw.y1 - 1, c->layout.draw.x2 + 1, c->layout.draw.y2 + 1,
          kPatternSolid);
  DrawDecorations(c, r);
  PlotRestartPath(c);
}

uint32_t PlotDrawSlice(PlotContext* c, _PLOTLINE* r) {
  PlotDraw& d = c->draw;
  d.busy = false;
  if (d.service) return 0;
  const PLOTLINE_HOST* host = HostBlock(r);
  Slice slice = {nullptr, 0, 0, r->counts_down != 0};
  if (host && host->ticks) {
    slice.ticks = reinterpret_cast<const volatile uint32_t*>(static_cast<uintptr_t>(host->ticks));
    slice.start = *slice.ticks;
    slice.budget = TicksPerMillisecond(host->tick_frequency);
  }
  // A falling executed count is a new run: everything again.
  if (d.pass >= kPassExecuted && host && host->executed < d.executed_drawn) {
    PlotFullRedraw(c, r);
  }
  PlotApplyProjection(c);
  GdiSetClip(c->layout.draw);
  if (d.pass == kPassNone) StartPass(c, r, kPassProgram);

  uint32_t count = 0;
  bool marker_erased = false;
  for (;;) {
    // Every call draws at least one waiting block, however late it began
    // (a host that was busy elsewhere still sees the drawing progress).
    if (count > 0 && (slice.ticks ? slice.Over() : count >= kBlocksWithoutClock)) {
      d.busy = MayDraw(c, r);
      break;
    }
    if (d.next == -1 && d.pass == kPassProgram && !d.bbb) {
      // The program is drawn: the decorations again, then what was executed.
      DrawDecorations(c, r);
      StartPass(c, r, kPassExecuted);
      d.executed_drawn = 0;
      continue;
    }
    if (d.next == -1 && d.pass == kPassProgram && d.bbb) d.bbb_end = true;
    if (!MayDraw(c, r)) break;
    alignas(8) CNC_BLOCK_INFO b;  // its doubles go to the pens by pointer
    if (RecordCNCGetBlockInfo(d.next, &b) != 1) {
      d.stopped = true;
      d.next = -1;
      if (d.pass == kPassExecuted) d.pass = kPassDone;
      break;
    }
    if (!marker_erased) {
      PlotMarkerErase(c);
      marker_erased = true;
    }
    DrawBlock(c, r, b);
    ++count;
    ++d.drawn;
    if (d.pass == kPassExecuted) ++d.executed_drawn;
    if (d.pass == kPassProgram && d.bbb) r->block_reached = b.block_number;
    d.next = RecordCNCNextBlock(d.next);
    if (d.next == -1 && d.pass == kPassProgram && d.bbb) d.bbb_end = true;
  }
  return count;
}

void PlotMarkerErase(PlotContext* c) {
  PlotDraw& d = c->draw;
  if (!d.marker_shown) return;
  GdiSetClip(c->layout.draw);
  GdiSetXorMode(1);
  GdiSetColors(kColorMarker, CLR_TRANSPARENT);
  int32_t x = d.marker_x, y = d.marker_y, s = kMarkerSize;
  GdiLineI(x - s, y, x + s, y, kPatternSolid);
  GdiLineI(x, y - s, x, y + s, kPatternSolid);
  GdiSetXorMode(0);
  d.marker_shown = false;
}

void PlotMarkerShow(PlotContext* c, const _PLOTLINE* r) {
  PlotDraw& d = c->draw;
  double tool[3], x, y;
  bool valid = PlotReadTool(r, tool);
  if (valid) {
    PlotApplyProjection(c);
    PlotProject(c, tool, &x, &y);
    // Far outside the screen the marker is not drawn (and never converted).
    valid = fabs(x) < 30000 && fabs(y) < 30000;
  }
  int32_t nx = valid ? static_cast<int32_t>(lround(x)) : 0, ny = valid ? static_cast<int32_t>(lround(y)) : 0;
  if (d.marker_shown && valid && nx == d.marker_x && ny == d.marker_y) return;
  PlotMarkerErase(c);
  if (!valid || c->draw.service) return;
  d.marker_x = nx;
  d.marker_y = ny;
  GdiSetClip(c->layout.draw);
  GdiSetXorMode(1);
  GdiSetColors(kColorMarker, CLR_TRANSPARENT);
  int32_t s = kMarkerSize;
  GdiLineI(nx - s, ny, nx + s, ny, kPatternSolid);
  GdiLineI(nx, ny - s, nx, ny + s, kPatternSolid);
  GdiSetXorMode(0);
  d.marker_shown = true;
}
