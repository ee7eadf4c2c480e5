#include "kerf/view.h"

#include <string.h>

#include "bridge/fsp.h"
#include "bridge/localization.h"
#include "bridge/text_buffer.h"
#include "kerf/arc_box.h"
#include "kerf/texts.h"

namespace {

KerfView g_view;

constexpr uint32_t kSliceMs = 2;
constexpr uint32_t kStatusRefreshMs = 200;
constexpr double kNoExtent = 0;

uint32_t Now(const KerfView* v) { return ViewMilliseconds(v->info); }

void Fail(KerfView* v, uint32_t text) {
  v->failed = true;
  v->finished = true;
  v->reader.error = true;
  v->reader.error_text = text;
}

void CloseProgram(KerfView* v) {
  if (v->reader.file_open) FspClose(v->reader.handle);
  v->reader.file_open = false;
}

// Opens the program for reading; a failure fails the view with its text.
bool OpenProgram(KerfView* v) {
  int8_t status = FspOpen(v->info->path, kFspOpenRead, &v->reader.handle, &v->reader.file_size);
  if (status == 0) {
    v->reader.file_open = true;
    return true;
  }
  // -5 is the host's bad path; every other failure is an operation error
  // (rather than a failed view that says "No Error").
  Fail(v, status == kStatusBadPath ? kerf_text::kFilePath : kerf_text::kFileOperation);
  return false;
}

// Starts reading the program again from its first line, keeping the
// progress counted so far.
void RestartReading(KerfView* v, ProgressWeight weight) {
  ProgramReader& r = v->reader;
  uint32_t consumed = r.consumed;
  ResetReader(&r);
  r.consumed = consumed;
  r.weight = weight;
  v->x = v->y = 0;
}

// ---------------------------------------------------------------------------
// The two lines of text.

void WriteLine(const GdiRectI& line, const char* text) {
  GdiText(line.x1, line.y1, static_cast<uint32_t>(line.x2 - line.x1) / 8, 1, CLR_BLACK, CLR_P2, 2);
  GdiWriteText(text);
}

void RefreshStatus(KerfView* v, bool program_given) {
  char text[kViewLineText];
  TextBuffer b = MakeTextBuffer(text, sizeof text);
  if (!v->finished) {
    uint32_t size = v->reader.file_size;
    uint32_t percent = size == 0 ? 0
        : static_cast<uint32_t>(static_cast<uint64_t>(v->reader.consumed) * 100 / size);
    TextAppendUnsigned(&b, percent);
    TextAppend(&b, "%      ");
    TextAppend(&b, LocText(kerf_text::kLine));
    TextAppendChar(&b, ' ');
    TextAppendUnsigned(&b, v->reader.line_count);
  }
  TextAppendRepeat(&b, ' ', 34);
  uint32_t now = Now(v);
  // The last shown text and its time start cleared, so the first call with
  // something to show writes it. Once finished the line is written on every
  // call: a host that repainted its screen over the view gets it back.
  bool changed = strcmp(text, v->status_text) != 0;
  bool due = ElapsedMs(now, v->status_time) > kStatusRefreshMs;
  bool finished_refresh = v->finished && program_given;
  if (!(changed && due) && !finished_refresh) return;
  memcpy(v->status_text, text, sizeof text);
  v->status_time = now;
  WriteLine(v->status_line, text);
}

// Integer part of (value + 0.5) / divisor, as the size is shown; a size
// beyond the 32-bit range shows as its largest value rather than overflowing.
uint32_t ShownSize(double value, double divisor) {
  double shown = (value + 0.5) / divisor;
  if (!(shown > 0)) return 0;
  return shown >= 4294967295.0 ? 4294967295u : static_cast<uint32_t>(shown);
}

void RefreshInfo(KerfView* v, double size_divisor) {
  char text[kViewLineText];
  TextBuffer b = MakeTextBuffer(text, sizeof text);
  if (v->failed) {
    TextAppend(&b, LocText(v->reader.error_text));
  } else if (v->pass == ViewPass::kDrawing || v->finished) {
    TextAppendUnsigned(&b, ShownSize(v->width, size_divisor));
    TextAppendChar(&b, 'x');
    TextAppendUnsigned(&b, ShownSize(v->height, size_divisor));
    TextAppend(&b, "    ");
  }
  // The last shown text starts empty: an empty line is never written.
  if (strcmp(text, v->info_text) == 0) return;
  memcpy(v->info_text, text, sizeof text);
  WriteLine(v->info_line, text);
}

// The Kerf view shows the size in tenths of the program unit.
void RefreshLines(KerfView* v) {
  RefreshViewLines(v, 10, v->info->path != nullptr && v->info->path[0] != '\0');
}

// ---------------------------------------------------------------------------
// The engine.

void ApplySkipCode(KerfView* v, int result) {
  if (IsSkipStart(result)) v->reader.skipping = true;
  else if (IsSkipEnd(result)) v->reader.skipping = false;
}

// Parses the current line; false (and the view failed) on a malformed line
// outside a skipped section.
bool ParseCurrent(KerfView* v, char* line, int* result, double m[4]) {
  NormalizeLine(line);
  *result = ParseProgramLine(line, &m[0], &m[1], &m[2], &m[3], &v->reader);
  if (*result <= kLineNotSignsAndNumbers && !v->reader.skipping) {
    v->failed = v->finished = true;
    return false;
  }
  return true;
}

void MeasureLine(KerfView* v, int result, const double m[4]) {
  if (v->reader.skipping && !IsSkipEnd(result)) return;
  if (result == kLineStraight) {
    v->x += m[0];
    v->y += m[1];
    WidenExtents(&v->extents, v->x, v->y);
  } else if (result == kLineArcClockwise || result == kLineArcCounterClockwise) {
    ArcBox box = ArcBoundingBox(m[0], m[1], m[2], m[3], result == kLineArcCounterClockwise);
    WidenExtents(&v->extents, v->x + box.min_x, v->y + box.min_y);
    WidenExtents(&v->extents, v->x + box.max_x, v->y + box.max_y);
    v->x += m[0];
    v->y += m[1];
  }
  ApplySkipCode(v, result);
}

// Draws a move or an arc with the view's pen; also used by the selection.
void DrawLine(KerfView* v, int result, const double m[4]) {
  if (v->reader.skipping && !IsSkipEnd(result)) return;
  if (result == kLineStraight) {
    v->x += m[0];
    v->y += m[1];
    PenLineTo(&v->pen, v->x, v->y, 0);
  } else if (result == kLineArcClockwise || result == kLineArcCounterClockwise) {
    double cx = v->x + m[2], cy = v->y + m[3];
    v->x += m[0];
    v->y += m[1];
    PenArc(&v->pen, kPlaneXY, result == kLineArcClockwise ? kArcClockwise : 0, cx, cy, 0, v->x,
           v->y, 0);
  } else if (result == kCodeRapid) {
    v->pen.pattern = kPatternDashed;
  } else if (result == kCodeCutting) {
    v->pen.pattern = kPatternSolid;
  }
  ApplySkipCode(v, result);
}

void FinishMeasuring(KerfView* v) {
  int8_t status = FspClose(v->reader.handle);
  v->reader.file_open = false;
  if (status == -1 || status == -2) {
    Fail(v, status == -1 ? kerf_text::kFileOperation : kerf_text::kFileHandle);
    return;
  }
  BeginDrawingPass(v);
  OpenProgram(v);
}

uint32_t RunEngine(KerfView* v) {
  ViewSlice slice = BeginViewSlice(v->info->ticks, v->info->tick_frequency, kSliceMs);
  GdiSetClip(v->window);
  for (;;) {
    if (v->finished) return 2;
    if (ViewSliceOver(slice)) return 1;
    int read = ReadProgramLine(&v->reader);
    if (read != 0 && read != 1) {  // a failed read; its text is set
      v->failed = v->finished = true;
      continue;
    }
    double m[4] = {0, 0, 0, 0};
    int result = 0;
    if (v->pass == ViewPass::kMeasuring) {
      if (read == 1) {
        FinishMeasuring(v);
        continue;
      }
      if (ParseCurrent(v, v->reader.line, &result, m)) MeasureLine(v, result, m);
    } else {
      if (read == 1) {
        v->reader.consumed = v->reader.file_size;
        v->finished = true;
        v->part_state = kPartsReady;
        v->reader.error = false;
        return 1;
      }
      if (ParseCurrent(v, v->reader.line, &result, m)) DrawLine(v, result, m);
    }
  }
}

}  // namespace

KerfView* TheKerfView() { return &g_view; }

void BeginDrawingPass(KerfView* v) {
  v->width = v->extents.max_x - v->extents.min_x;
  v->height = v->extents.max_y - v->extents.min_y;
  ViewFit fit = FitProgram(v->extents, v->area, v->info->orientation);
  View3DSet(fit.a, fit.b, kParallelView, fit.scale, 0, 0, 0, fit.origin_x, fit.origin_y);
  PenInit(&v->pen, CLR_BLACK, CLR_WHITE, kPatternSolid);
  PenMoveTo(&v->pen, 0, 0, 0);
  RestartReading(v, ProgressWeight::kDrawing);
  v->pass = ViewPass::kDrawing;
}

void RefreshViewLines(KerfView* v, double size_divisor, bool program_given) {
  RefreshStatus(v, program_given);
  RefreshInfo(v, size_divisor);
}

ViewFit FitProgram(const ViewExtents& e, const GdiRectI& area, uint8_t orientation) {
  ViewFit fit{};
  bool rotated = orientation == '<' || orientation == 'F';
  // The program axis shown horizontally (h) and vertically (v).
  double min_h = rotated ? e.min_y : e.min_x, max_h = rotated ? e.max_y : e.max_x;
  double min_v = rotated ? e.min_x : e.min_y, max_v = rotated ? e.max_x : e.max_y;
  double w = area.x2 - area.x1, h = area.y2 - area.y1;
  double span_h = max_h - min_h, span_v = max_v - min_v;
  if (span_h > kNoExtent && span_v > kNoExtent) {
    double sh = w / span_h, sv = h / span_v;
    fit.scale = 0.95 * (sh < sv ? sh : sv);
  } else if (span_h > kNoExtent) {
    fit.scale = 0.95 * w / span_h;
  } else if (span_v > kNoExtent) {
    fit.scale = 0.95 * h / span_v;
  } else {
    fit.scale = 1;
  }
  double s = fit.scale;
  int32_t half_w = (area.x2 - area.x1) / 2, half_h = (area.y2 - area.y1) / 2;
  double left = area.x1, top = area.y1;
  if (orientation == '<') {
    fit.a = -kHalfPi;
    fit.b = kPi;
    fit.origin_x = static_cast<int32_t>(left - s * e.min_y + half_w - s * (e.max_y - e.min_y) / 2);
    fit.origin_y = static_cast<int32_t>(top + s * e.max_x + half_h - s * (e.max_x - e.min_x) / 2);
  } else if (orientation == 'F') {
    fit.a = kHalfPi;
    fit.b = 0;
    fit.origin_x = static_cast<int32_t>(left + s * e.min_y + half_w + s * (e.max_y - e.min_y) / 2);
    fit.origin_y = static_cast<int32_t>(top + s * e.max_x + half_h - s * (e.max_x - e.min_x) / 2);
  } else {
    fit.a = fit.b = 0;
    fit.origin_x = static_cast<int32_t>(left - s * e.min_x + half_w - s * (e.max_x - e.min_x) / 2);
    fit.origin_y = static_cast<int32_t>(top + s * e.max_y + half_h - s * (e.max_y - e.min_y) / 2);
  }
  return fit;
}

uint32_t KerfViewStart(KerfView* v, const VIEW_INFO* info) {
  CloseProgram(v);
  memset(v, 0, sizeof *v);
  v->info = info;
  int32_t l = info->left, t = info->top, r = info->right, b = info->bottom;
  v->window = {l, t, r, b};
  GdiSetClip(v->window);
  v->status_line = {l + 5, t + 5, r - 5, t + 20};
  v->info_line = {l + 5, b - 21, r - 5, b - 5};
  v->area = {l + 5, t + 25, r - 5, b - 26};
  GdiSetColors(CLR_FILL, CLR_FILL);
  GdiFillRectClipped(v->window);
  GdiSetColors(CLR_P2, CLR_P2);
  GdiFillRectClipped(v->status_line);
  GdiFillRectClipped(v->info_line);
  GdiSetColors(CLR_BLACK, CLR_FILL);
  GdiRect(v->area.x1 - 1, v->area.y1 - 1, v->area.x2 + 1, v->area.y2 + 1, kPatternSolid);
  v->reader.weight = ProgressWeight::kMeasuring;
  v->start_time = Now(v);
  return 0;
}

uint32_t KerfViewCont(KerfView* v, const VIEW_INFO* info) {
  v->info = info;
  if (!v->reader.file_open && !v->finished &&
      ElapsedMs(Now(v), v->start_time) < info->start_delay_ms)
    return 1;
  if (!v->reader.file_open && !v->failed && !v->finished) OpenProgram(v);
  uint32_t result = RunEngine(v);
  RefreshLines(v);
  return result;
}

uint32_t KerfViewStop(KerfView* v) {
  CloseProgram(v);
  return 0;
}

namespace {

// Appends the raw line and CR LF to the copy file, opened for this call's
// first line and positioned at its end.
bool AppendToCopy(KerfView* v, const char* raw, uint32_t* copy_handle, bool* copy_open) {
  if (!*copy_open) {
    uint32_t size = 0, position = 0;
    if (FspOpen(v->info->copy_path, kFspOpenAppend, copy_handle, &size) != 0) return false;
    *copy_open = true;
    if (FspSeek(*copy_handle, 0, kFspSeekEnd, &position) != 0) return false;
  }
  uint32_t length = static_cast<uint32_t>(strlen(raw));
  if (length > 0 && FspWrite(*copy_handle, raw, static_cast<uint16_t>(length)) != 0) return false;
  return FspWrite(*copy_handle, "\r\n", 2) == 0;
}

// Ends the selection with `text` (a failed open, seek or write shows an
// operation error; a failed read the reader's own text).
uint32_t SelectionFailed(KerfView* v, uint32_t copy_handle, bool copy_open,
                         uint32_t text = kerf_text::kFileOperation) {
  if (copy_open) FspClose(copy_handle);
  v->reader.error = true;
  v->reader.error_text = text;
  v->failed = true;
  RefreshLines(v);
  return 5;
}

}  // namespace

uint32_t KerfShapePartSel(KerfView* v, const VIEW_INFO* info) {
  v->info = info;
  if (v->failed) return 5;
  if (v->part_state == kPartsNotReady) return 2;
  GdiSetClip(v->window);
  if (v->part_state == kPartsReady) {
    // A selection that ran to the end closed the program: open it again.
    uint32_t position = 0;
    bool ready = v->reader.file_open
        ? FspSeek(v->reader.handle, 0, kFspSeekStart, &position) == 0
        : FspOpen(info->path, kFspOpenRead, &v->reader.handle, &v->reader.file_size) == 0;
    if (!ready) return SelectionFailed(v, 0, false);
    v->reader.file_open = true;
    v->part_state = kPartsSelecting;
    PenInit(&v->pen, CLR_LIGHT, CLR_WHITE, kPatternSolid);
    PenMoveTo(&v->pen, 0, 0, 0);
    RestartReading(v, ProgressWeight::kWhole);
    if (info->part_mode == 3) {
      v->pen.inside_color = v->pen.outside_color = CLR_RED;
      v->part_state = kPartsCopying;
      uint32_t handle = 0, size = 0;
      if (FspOpen(info->copy_path, kFspOpenCreate, &handle, &size) != 0)
        return SelectionFailed(v, 0, false);
      FspClose(handle);
    }
  }

  uint32_t copy_handle = 0;
  bool copy_open = false;
  uint32_t result = 2;
  for (;;) {
    int read = ReadProgramLine(&v->reader);
    if (read == 1) {
      if (copy_open) FspClose(copy_handle);
      CloseProgram(v);
      v->part_state = kPartsReady;
      result = 2;
      break;
    }
    if (read != 0) return SelectionFailed(v, copy_handle, copy_open, v->reader.error_text);
    char line[kMaxLineLength + 1];
    memcpy(line, v->reader.line, sizeof line);
    double m[4] = {0, 0, 0, 0};
    int parsed = 0;
    if (!ParseCurrent(v, line, &parsed, m)) {
      if (copy_open) FspClose(copy_handle);
      RefreshLines(v);
      return 5;
    }
    bool ends_part = (parsed == kCodeRapid && v->part_state == kPartsCopying) ||
                     (parsed == kCodeCutting && v->part_state == kPartsSelecting);
    if (ends_part && !v->reader.skipping) {
      DrawLine(v, parsed, m);  // the next part starts with this code's pattern
      if (copy_open) FspClose(copy_handle);
      result = 1;
      break;
    }
    DrawLine(v, parsed, m);
    if (v->part_state == kPartsCopying &&
        !AppendToCopy(v, v->reader.line, &copy_handle, &copy_open))
      return SelectionFailed(v, copy_handle, copy_open);
  }
  RefreshLines(v);
  return result;
}
