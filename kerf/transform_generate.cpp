// The nesting program: each shape is rotated into a temporary program,
// each temporary program is measured, and the output is assembled from
// copies of them joined by rapid moves.
#include <math.h>
#include <string.h>

#include "bridge/fsp.h"
#include "kerf/arc_box.h"
#include "kerf/texts.h"
#include "kerf/transform.h"

const char kOddTempPath[] = "c:\\cmos\\tempLich.tmp";
const char kEvenTempPath[] = "c:\\cmos\\tempSudy.tmp";

namespace {

constexpr double kDegreesToRadians = 3.14159265 / 180;
// Moves are whole program units; beyond this a double no longer holds every
// unit and the written program could not be read back as it was meant.
constexpr double kLargestMove = 1e15;

// The program being written, with a block buffer in front of FspWrite.
struct OutputFile {
  uint32_t handle;
  bool open;
  uint32_t used;
  uint8_t buffer[kReadBlockSize];
};

// What a measured temporary program gives the array.
struct ShapeMeasure {
  double end_x, end_y;        // E: the sum of its moves
  double centre_x, centre_y;  // C: centre of its extents box (start included)
};

// One generation. Cleared at its start, so nothing of a failed one remains.
struct Generation {
  TransformContext* t;
  TransformParams p;
  ProgramReader reader;        // the program being read
  OutputFile out;
  int closing_code;            // 63, 64 or 99 seen while rotating; 0 = none
  int32_t base_percent;        // progress before the running pass
  int32_t share;               // per cent of one rotation or measuring pass
  bool output_created;         // the output was opened (and so truncated)
};

Generation g_gen;

uint32_t OpenErrorText(int8_t status) {
  return status == kStatusBadPath ? kerf_text::kFilePath : kerf_text::kFileOperation;
}

void CloseReader(Generation* g) {
  if (g->reader.file_open) FspClose(g->reader.handle);
  g->reader.file_open = false;
}

// Ends the generation with a text: every file it holds is closed.
bool Fail(Generation* g, uint32_t text) {
  CloseReader(g);
  if (g->out.open) FspClose(g->out.handle);
  g->out.open = false;
  g->t->error_text = text;
  return false;
}

bool OpenReader(Generation* g, const char* path) {
  memset(&g->reader, 0, sizeof g->reader);
  int8_t status = FspOpen(path, kFspOpenRead, &g->reader.handle, &g->reader.file_size);
  if (status != 0) return Fail(g, OpenErrorText(status));
  g->reader.file_open = true;
  return true;
}

bool CreateOutput(Generation* g, const char* path) {
  g->out.used = 0;
  uint32_t size = 0;
  int8_t status = FspOpen(path, kFspOpenCreate, &g->out.handle, &size);
  if (status != 0) return Fail(g, OpenErrorText(status));
  g->out.open = true;
  return true;
}

bool Flush(Generation* g) {
  if (g->out.used == 0) return true;
  int8_t status = FspWrite(g->out.handle, g->out.buffer, static_cast<uint16_t>(g->out.used));
  g->out.used = 0;
  return status == 0 || Fail(g, kerf_text::kWritingError);
}

bool Put(Generation* g, const void* data, uint32_t length) {
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  while (length > 0) {
    if (g->out.used == sizeof g->out.buffer && !Flush(g)) return false;
    uint32_t room = sizeof g->out.buffer - g->out.used;
    uint32_t n = length < room ? length : room;
    memcpy(g->out.buffer + g->out.used, bytes, n);
    g->out.used += n;
    bytes += n;
    length -= n;
  }
  return true;
}

bool PutText(Generation* g, const char* text) {
  return Put(g, text, static_cast<uint32_t>(strlen(text)));
}

// Flushes and closes the output; a close the host refuses may have lost
// data, so it counts as a failed write.
bool CloseOutput(Generation* g) {
  if (!Flush(g)) return false;
  g->out.open = false;
  return FspClose(g->out.handle) == 0 || Fail(g, kerf_text::kWritingError);
}

void ShowPassProgress(Generation* g) {
  uint32_t size = g->reader.file_size;
  int32_t done = size == 0 ? 0
      : static_cast<int32_t>(static_cast<uint64_t>(g->reader.consumed) * static_cast<uint32_t>(g->share) / size);
  if (done > g->share) done = g->share;
  DrawTransformPercent(g->t, g->base_percent + done);
}

void EndPass(Generation* g) {
  g->base_percent += g->share;
  DrawTransformPercent(g->t, g->base_percent);
}

// ---------------------------------------------------------------------------
// Rotating.

struct Rotation {
  double cos_a, sin_a;
  double source_x, source_y;    // exact end of the last move read
  double written_x, written_y;  // end of the moves written so far
};

void Rotate(const Rotation& r, double x, double y, double* rx, double* ry) {
  *rx = x * r.cos_a - y * r.sin_a;
  *ry = x * r.sin_a + y * r.cos_a;
}

bool Writable(double v) { return fabs(v) < kLargestMove; }

// Appends "±a±b" (and "±c±d" for an arc) to a line.
bool AppendMove(TextBuffer* b, const double* values, int count) {
  for (int i = 0; i < count; ++i)
    if (!AppendSignedWhole(b, values[i])) return false;
  return true;
}

bool WriteLine(Generation* g, const char* text) {
  return PutText(g, text) && Put(g, "\r\n", 2);
}

// A straight move: the exact rotated end, less what was written so far,
// rounded - so rounding errors never add up along the contour.
bool RotateStraight(Generation* g, Rotation* r, double a, double b) {
  r->source_x += a;
  r->source_y += b;
  double ex, ey;
  Rotate(*r, r->source_x, r->source_y, &ex, &ey);
  double move[2] = {RoundHalfAway(ex - r->written_x), RoundHalfAway(ey - r->written_y)};
  if (!Writable(move[0]) || !Writable(move[1])) return Fail(g, kerf_text::kNotSignsAndNumbers);
  r->written_x += move[0];
  r->written_y += move[1];
  char line[96];
  TextBuffer text = MakeTextBuffer(line, sizeof line);
  AppendMove(&text, move, 2);
  return WriteLine(g, line);
}

// An arc: its centre made consistent with its ends, rotated with them, made
// consistent again with the rounded end, then rounded.
bool RotateArc(Generation* g, Rotation* r, double a, double b, double c, double d,
               bool counter_clockwise) {
  CorrectArcCentre(a, b, &c, &d);
  double centre_x, centre_y;
  Rotate(*r, r->source_x + c, r->source_y + d, &centre_x, &centre_y);
  r->source_x += a;
  r->source_y += b;
  double ex, ey;
  Rotate(*r, r->source_x, r->source_y, &ex, &ey);
  double end_x = RoundHalfAway(ex - r->written_x), end_y = RoundHalfAway(ey - r->written_y);
  // Centre relative to the arc's written start.
  double cx = centre_x - r->written_x, cy = centre_y - r->written_y;
  CorrectArcCentre(end_x, end_y, &cx, &cy);
  double arc[4] = {end_x, end_y, RoundHalfAway(cx), RoundHalfAway(cy)};
  for (double v : arc)
    if (!Writable(v)) return Fail(g, kerf_text::kNotSignsAndNumbers);
  r->written_x += end_x;
  r->written_y += end_y;
  char line[192];
  TextBuffer text = MakeTextBuffer(line, sizeof line);
  AppendMove(&text, arc, 4);
  TextAppendChar(&text, counter_clockwise ? '+' : '-');
  return WriteLine(g, line);
}

bool IsClosingCode(int code) { return code == 63 || code == 64 || code == 99; }

// Rotates the program at `source` by `degrees` about its start into `temp`.
bool RotateProgram(Generation* g, const char* source, const char* temp, double degrees) {
  if (!OpenReader(g, source) || !CreateOutput(g, temp)) return false;
  Rotation r{};
  double radians = degrees * kDegreesToRadians;
  r.cos_a = cos(radians);
  r.sin_a = sin(radians);
  ProgramReader& reader = g->reader;
  for (;;) {
    int read = ReadProgramLine(&reader);
    if (read == 1) break;
    if (read != 0) return Fail(g, reader.error_text);
    ShowPassProgress(g);
    char line[kMaxLineLength + 1];
    memcpy(line, reader.line, sizeof line);
    NormalizeLine(line);
    if (strcmp(line, "*") == 0 || strcmp(line, "[START]") == 0) continue;
    double m[4] = {0, 0, 0, 0};
    int result = ParseProgramLine(line, &m[0], &m[1], &m[2], &m[3], &reader);
    bool ok;
    if (result <= kLineNotSignsAndNumbers) {
      // Inside a skipped section (marking texts) any line is carried over.
      if (!reader.skipping) return Fail(g, reader.error_text);
      ok = WriteLine(g, reader.line);
    } else if (result == kLineStraight) {
      ok = RotateStraight(g, &r, m[0], m[1]);
    } else if (result == kLineArcClockwise || result == kLineArcCounterClockwise) {
      ok = RotateArc(g, &r, m[0], m[1], m[2], m[3], result == kLineArcCounterClockwise);
    } else if (IsClosingCode(result)) {
      g->closing_code = result;  // written once, at the end of the output
      ok = true;
    } else {
      if (IsSkipStart(result)) reader.skipping = true;
      else if (IsSkipEnd(result)) reader.skipping = false;
      ok = WriteLine(g, reader.line);
    }
    if (!ok) return false;
  }
  CloseReader(g);
  if (!CloseOutput(g)) return false;
  EndPass(g);
  return true;
}

// ---------------------------------------------------------------------------
// Measuring.

struct Extents {
  double min_x, min_y, max_x, max_y;
};

void Widen(Extents* e, double x, double y) {
  if (x < e->min_x) e->min_x = x;
  if (x > e->max_x) e->max_x = x;
  if (y < e->min_y) e->min_y = y;
  if (y > e->max_y) e->max_y = y;
}

// Measures a temporary program as the view's measuring pass does.
bool MeasureProgram(Generation* g, const char* temp, ShapeMeasure* shape) {
  if (!OpenReader(g, temp)) return false;
  ProgramReader& reader = g->reader;
  Extents e = {0, 0, 0, 0};
  double x = 0, y = 0;
  for (;;) {
    int read = ReadProgramLine(&reader);
    if (read == 1) break;
    if (read != 0) return Fail(g, kerf_text::kTempReadingError);
    ShowPassProgress(g);
    NormalizeLine(reader.line);
    double m[4] = {0, 0, 0, 0};
    int result = ParseProgramLine(reader.line, &m[0], &m[1], &m[2], &m[3], &reader);
    if (result <= kLineNotSignsAndNumbers && !reader.skipping) return Fail(g, reader.error_text);
    if (reader.skipping) {
      if (IsSkipEnd(result)) reader.skipping = false;
      continue;
    }
    if (result == kLineStraight) {
      x += m[0];
      y += m[1];
      Widen(&e, x, y);
    } else if (result == kLineArcClockwise || result == kLineArcCounterClockwise) {
      ArcBox box = ArcBoundingBox(m[0], m[1], m[2], m[3], result == kLineArcCounterClockwise);
      Widen(&e, x + box.min_x, y + box.min_y);
      Widen(&e, x + box.max_x, y + box.max_y);
      x += m[0];
      y += m[1];
    } else if (IsSkipStart(result)) {
      reader.skipping = true;
    }
  }
  CloseReader(g);
  shape->end_x = x;
  shape->end_y = y;
  shape->centre_x = (e.min_x + e.max_x) / 2;
  shape->centre_y = (e.min_y + e.max_y) / 2;
  EndPass(g);
  return true;
}

// ---------------------------------------------------------------------------
// Copying.

// Appends a temporary program to the output byte for byte.
bool CopyProgram(Generation* g, const char* temp) {
  if (!Flush(g)) return false;
  uint32_t handle = 0, size = 0;
  int8_t status = FspOpen(temp, kFspOpenRead, &handle, &size);
  if (status != 0) return Fail(g, OpenErrorText(status));
  g->reader.handle = handle;
  g->reader.file_open = true;
  uint8_t block[kReadBlockSize];
  uint32_t copied = 0;
  for (;;) {
    uint16_t count = 0;
    status = FspRead(handle, block, kReadBlockSize, &count);
    if (status != 0 && status != 1) return Fail(g, kerf_text::kTempReadingError);
    if (count > kReadBlockSize) count = kReadBlockSize;
    // An empty block short of the file's size is a failed read, not its end.
    if (count == 0 && status == 0 && copied < size) return Fail(g, kerf_text::kTempReadingError);
    if (count > 0 && FspWrite(g->out.handle, block, count) != 0)
      return Fail(g, kerf_text::kWritingError);
    copied += count;
    if (status == 1 || count == 0) break;
  }
  CloseReader(g);
  return true;
}

// The rapid move between two copies: code 5, the move, code 6.
bool WriteRapid(Generation* g, double dx, double dy) {
  char line[720];
  TextBuffer text = MakeTextBuffer(line, sizeof line);
  TextAppend(&text, "5\r\n");
  if (!AppendSignedWhole(&text, dx) || !AppendSignedWhole(&text, dy))
    return Fail(g, kerf_text::kWritingError);
  TextAppend(&text, "\r\n6\r\n");
  return PutText(g, line);
}

// Where the copies go. Positions are those of each copy's start; the
// tracked x (T) is the start's x in a frame where the first copy's centre
// lies at x = 0, so each row starts again at its own x.
struct Placement {
  double tracked_x;
  double ideal_x, ideal_y;      // exact start of the current copy
  double written_x, written_y;  // start of the current copy as written
  uint32_t row;                 // from 0
  int64_t position;             // within the row, from 1
};

// The rapid move after copy k (not the last), from the rules of the array:
// within a row an even copy's centre lies (xo, yo) from the odd copy's
// before it and the next odd copy's (xp - xo, -yo) from the even one's; a
// new row begins one Y further, back at the row start (shifted by g on the
// second, fourth, ... row). The move is written truncated, from where the
// copy really ended to where the rules put the next start, so the
// truncation never adds up over the copies.
bool PlaceNext(Generation* g, Placement* pl, uint32_t k, const ShapeMeasure& odd,
               const ShapeMeasure& even) {
  const TransformParams& p = g->p;
  bool odd_copy = k % 2 == 0;
  const ShapeMeasure& here = odd_copy ? odd : even;
  int64_t row_length = static_cast<int64_t>(p.nx) - (p.shorter && pl->row % 2 == 1 ? 1 : 0);
  double dx, dy;
  if (pl->position < row_length) {
    if (odd_copy) {
      dx = odd.centre_x + p.xo - even.centre_x - odd.end_x;
      dy = odd.centre_y + p.yo - even.centre_y - odd.end_y;
      pl->tracked_x += odd.centre_x + p.xo - even.centre_x;
    } else {
      dx = even.centre_x - p.xo + p.xp - odd.centre_x - even.end_x;
      dy = even.centre_y - p.yo - odd.centre_y - even.end_y;
      pl->tracked_x += even.centre_x - p.xo + p.xp - odd.centre_x;
    }
    ++pl->position;
  } else {
    double shift = pl->row % 2 == 0 ? p.g : 0;
    double start;
    if (odd_copy) {
      start = -even.centre_x + shift;
      dy = p.y - even.centre_y - odd.end_y + odd.centre_y + p.yo;
    } else {
      start = -odd.centre_x + shift;
      dy = p.y - odd.centre_y - even.end_y + even.centre_y - p.yo;
    }
    dx = start - pl->tracked_x - here.end_x;
    pl->tracked_x = start;
    ++pl->row;
    pl->position = 1;
  }
  double target_x = pl->ideal_x + here.end_x + dx, target_y = pl->ideal_y + here.end_y + dy;
  double from_x = pl->written_x + here.end_x, from_y = pl->written_y + here.end_y;
  double move_x = trunc(target_x - from_x), move_y = trunc(target_y - from_y);
  pl->ideal_x = target_x;
  pl->ideal_y = target_y;
  pl->written_x = from_x + move_x;
  pl->written_y = from_y + move_y;
  return WriteRapid(g, move_x, move_y);
}

// Leaves nothing that could pass for a finished program: a partial output
// is removed (emptied when the host will not remove it).
void DiscardOutput(Generation* g) {
  if (FspDelete(g->t->output_path) == 0) return;
  uint32_t handle = 0, size = 0;
  if (FspOpen(g->t->output_path, kFspOpenCreate, &handle, &size) == 0) FspClose(handle);
}

bool WriteOutput(Generation* g, const ShapeMeasure& odd, const ShapeMeasure& even) {
  if (!CreateOutput(g, g->t->output_path)) return false;
  g->output_created = true;
  int32_t copy_base = g->base_percent;
  Placement pl{};
  pl.tracked_x = -odd.centre_x;
  pl.position = 1;
  for (uint32_t k = 0; k < g->p.n; ++k) {
    if (!CopyProgram(g, k % 2 == 0 ? kOddTempPath : kEvenTempPath)) return false;
    DrawTransformPercent(g->t, copy_base + static_cast<int32_t>(
        static_cast<uint64_t>(100 - copy_base) * (k + 1) / g->p.n));
    if (k + 1 < g->p.n && !PlaceNext(g, &pl, k, odd, even)) return false;
  }
  if (g->closing_code != 0) {
    char line[8];
    TextBuffer text = MakeTextBuffer(line, sizeof line);
    TextAppendUnsigned(&text, static_cast<uint32_t>(g->closing_code));
    if (!WriteLine(g, line)) return false;
  }
  return WriteLine(g, "*") && CloseOutput(g);
}

// A count field: whole copies, truncated; nothing below zero.
uint32_t Count(const char* text) {
  double v = FieldNumber(text);
  if (!(v > 0)) return 0;
  if (v >= 4294967295.0) return 0xFFFFFFFFu;
  return static_cast<uint32_t>(v);
}

}  // namespace

TransformParams ParamsOf(const TransformFields* f, uint8_t kind, const char* odd_path,
                         const char* even_path) {
  TransformParams p{};
  if (kind == 0) {
    const char* angle = KindZeroText(f, kSlotAngle);
    const char* angle_even = KindZeroText(f, kSlotAngleEven);
    p.n = Count(f->text[kSlotSegments]);
    p.nx = Count(f->text[kSlotSegmentsX]);
    p.a_odd = FieldNumber(angle);
    p.a_even = FieldNumber(angle_even);
    p.xo = 10 * FieldNumber(f->text[kSlotXShift]);
    p.yo = 10 * FieldNumber(f->text[kSlotEvenYShift]);
    p.xp = 10 * FieldNumber(f->text[kSlotPairShift]);
    p.y = 10 * FieldNumber(f->text[kSlotYShift]);
    p.g = 10 * FieldNumber(f->text[kSlotRowShift]);
    p.shorter = p.g != 0 && f->shorter;
    if (strcmp(angle, angle_even) == 0 && strcmp(odd_path, even_path) == 0) {
      p.yo = 0;
      p.xp = 2 * p.xo;
    }
    return p;
  }
  double angle = FieldNumber(f->text[kSlotAngle]);
  p.xo = 10 * FieldNumber(f->text[kSlotXShift]);
  if (kind == 1 && f->text[kSlotAngleEven][0] != '\0') {
    // One pair with two angles.
    p.n = p.nx = 2;
    p.a_odd = angle;
    p.a_even = FieldNumber(f->text[kSlotAngleEven]);
    p.yo = 10 * FieldNumber(f->text[kSlotEvenYShift]);
    return p;
  }
  // A matrix of NX columns and NY rows, xo apart in a row.
  p.nx = Count(f->text[kSlotSegmentsX]);
  uint64_t n = static_cast<uint64_t>(p.nx) * Count(f->text[kSlotSegmentsY]);
  p.n = n > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(n);
  p.a_odd = p.a_even = angle;
  p.xp = 2 * p.xo;
  p.y = 10 * FieldNumber(f->text[kSlotEvenYShift]);
  return p;
}

double RoundHalfAway(double v) { return v >= 0 ? floor(v + 0.5) : -floor(-v + 0.5); }

bool AppendSignedWhole(TextBuffer* b, double v) {
  if (!isfinite(v)) return false;
  TextAppendChar(b, v < 0 ? '-' : '+');
  double magnitude = fabs(v);
  char digits[320];
  int n = 0;
  do {
    double rest = floor(magnitude / 10);
    int digit = static_cast<int>(magnitude - rest * 10);
    digits[n++] = static_cast<char>('0' + (digit < 0 ? 0 : digit > 9 ? 9 : digit));
    magnitude = rest;
  } while (magnitude >= 1 && n < static_cast<int>(sizeof digits));
  while (n > 0) TextAppendChar(b, digits[--n]);
  return true;
}

uint32_t GenerateNesting(TransformContext* t) {
  Generation* g = &g_gen;
  memset(g, 0, sizeof *g);
  g->t = t;
  t->error_text = kerf_text::kNoError;
  t->percent_shown = -1;
  RedrawTransformTitle(t);
  g->p = ParamsOf(&t->fields, t->kind, t->odd_path, t->even_path);
  // A single copy uses nothing of the even shape.
  bool even_used = g->p.n > 1;
  int32_t passes = even_used ? 4 : 2;
  g->share = static_cast<int32_t>(500 / (g->p.n + 5));
  if (g->share > 100 / (passes + 1)) g->share = 100 / (passes + 1);
  DrawTransformPercent(t, 0);

  ShapeMeasure odd{}, even{};
  bool ok = t->paths_fit || Fail(g, kerf_text::kFilePath);
  ok = ok && RotateProgram(g, t->odd_path, kOddTempPath, g->p.a_odd);
  if (even_used) ok = ok && RotateProgram(g, t->even_path, kEvenTempPath, g->p.a_even);
  ok = ok && MeasureProgram(g, kOddTempPath, &odd);
  if (even_used) ok = ok && MeasureProgram(g, kEvenTempPath, &even);
  ok = ok && WriteOutput(g, odd, even);
  if (!ok) {
    if (g->output_created) DiscardOutput(g);
    DrawTransformError(t);
    return 5;
  }
  DrawTransformPercent(t, 100);
  FspDelete(kOddTempPath);
  if (even_used) FspDelete(kEvenTempPath);
  return 2;
}
