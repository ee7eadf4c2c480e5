// The contour view's passes over the program file, its drawing and label.
#include <math.h>

#include "bridge/display.h"
#include "bridge/fsp.h"
#include "bridge/iso_line.h"
#include "bridge/localization.h"
#include "bridge/text_buffer.h"
#include "tracer/host_services.h"
#include "tracer/iso_contour.h"
#include "tracer/path_draw.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr uint16_t kSolid = 0xFFFF, kDashed = 0xF0F0;
constexpr int kReadBlock = 128;
constexpr int kLargeGrowX = 160, kLargeGrowY = 120;
constexpr uint32_t kLabelFont = 78, kLargeLabelFont = 98;
constexpr uint32_t kLabelText = 1241;
constexpr int kLabelRight = 624;
constexpr double kChordStep = kPi / 36;  // arcs as chords of at most 5 degrees
constexpr int kPathBytes = 128;

// One view: the record, its palette, settings and the geometry in use.
struct View {
  STRUCT_TRACER* record;
  uint8_t palette[18];
  IsoContourSettings settings;
  IsoContourState state;
  bool large;
  double area[2], origin[2], shift[2], pan[2], direction[2], scale;
  int clip[4];          // left, right, top, bottom
  bool cross_pending;   // kind 2: the start cross at the first point drawn
};

uint8_t Colour(const View& v, int byte) { return v.palette[byte - 20]; }

double HostDouble(double* p) {
  const double v = ReadHost<double>(p);
  return isfinite(v) ? v : 0;
}

// The host's number services: text at numberInput to the double at
// numberResult, the double at numberValue to text at numberText.
double ConvertNumber(const char* text, void* context) {
  STRUCT_TRACER* r = static_cast<STRUCT_TRACER*>(context);
  if (r->numberInput == nullptr) return 0;
  int n = 0;
  for (; n < kIsoNumberChars && text[n] != '\0'; ++n) r->numberInput[n] = text[n];
  r->numberInput[n] = '\0';
  WriteHost<double>(r->numberResult, 0);
  CallService0(r, r->textToNumberHandle);
  return ReadHost<double>(r->numberResult);
}

// The value formatted by the host, cut at its decimal character.
void AppendHostNumber(STRUCT_TRACER* r, double value, TextBuffer* out) {
  WriteHost<double>(r->numberValue, value);
  if (r->numberText != nullptr) r->numberText[0] = '\0';
  if (!CallService0(r, r->numberToTextHandle).called || r->numberText == nullptr) {
    TextAppendSigned(out, value > 2e9 ? 2000000000 : value < -2e9 ? -2000000000 : static_cast<int32_t>(value));
    return;
  }
  const char decimal = ReadHost<char>(r->decimalChar, '.');
  for (int i = 0; i < kIsoNumberChars && r->numberText[i] != '\0'; ++i) {
    const char c = r->numberText[i];
    if (c == decimal || c == '.' || c == ',') break;
    TextAppendChar(out, c);
  }
}

// Program lines through the file services: at most 79 characters kept, CR
// dropped, LF ends a line.
struct LineReader {
  uint32_t handle;
  uint8_t block[kReadBlock];
  uint16_t count, position;
  bool end, failed;
};

bool ReadLine(LineReader* r, char* line) {
  int n = 0;
  bool any = false;
  for (;;) {
    if (r->position == r->count) {
      if (r->end) break;
      uint16_t count = 0;
      const int8_t status = FspRead(r->handle, r->block, kReadBlock, &count);
      if (status != kStatusOk && status != kStatusEndOfFile) {
        r->failed = r->end = true;
        break;
      }
      if (count > kReadBlock) count = kReadBlock;
      if (status == kStatusEndOfFile || count == 0) r->end = true;
      r->count = count;
      r->position = 0;
      if (count == 0) break;
    }
    const char c = static_cast<char>(r->block[r->position++]);
    any = true;
    if (c == '\n') break;
    if (c == '\r') continue;
    if (n < kIsoLineChars) line[n++] = c;
  }
  line[n] = '\0';
  return any;
}

void ResetForPass(View* v) {
  IsoContourState& s = v->state;
  s.target[0] = s.target[1] = s.previous[0] = s.previous[1] = 0;
  s.arc[0] = s.arc[1] = 0;
  s.incremental = false;
  s.motion = kIsoRapid;
}

// Pixel of a program point; false when it is not a finite 16-bit pixel.
bool Pixel(const View& v, double x, double y, int* px, int* py) {
  const double fx = v.scale * (x + v.shift[0]) + v.pan[0] + v.origin[0];
  const double fy = v.origin[1] - v.scale * (y + v.shift[1]) + v.pan[1];
  if (!isfinite(fx) || !isfinite(fy) || fabs(fx) > 32767 || fabs(fy) > 32767) return false;
  *px = static_cast<int>(lround(fx));
  *py = static_cast<int>(lround(fy));
  return true;
}

bool Clipped(const View& v, int x, int y) {
  const uint8_t kind = v.settings.kind;
  if (kind != 0 && kind != 10 && kind != 11) return false;
  return x < v.clip[0] || x > v.clip[1] || y < v.clip[2] || y > v.clip[3];
}

void DrawLine(View* v, double x1, double y1, double x2, double y2, uint16_t pattern) {
  int ax, ay, bx, by;
  if (!Pixel(*v, x1, y1, &ax, &ay) || !Pixel(*v, x2, y2, &bx, &by)) return;
  if (v->cross_pending) {
    v->cross_pending = false;
    DisplaySetColors(Colour(*v, 27), 255);
    DisplayLine(PackPoint(ax - 10, ay), PackPoint(ax + 10, ay), kSolid);
    DisplayLine(PackPoint(ax, ay - 10), PackPoint(ax, ay + 10), kSolid);
  }
  if (Clipped(*v, ax, ay) || Clipped(*v, bx, by)) return;
  DisplayLine(PackPoint(ax, ay), PackPoint(bx, by), pattern);
  STRUCT_TRACER* r = v->record;
  WriteHost<uint8_t>(r->lineDrawn, 255);
  WriteHost<int16_t>(r->lineEndX, static_cast<int16_t>(bx));
  WriteHost<int16_t>(r->lineEndY, static_cast<int16_t>(by));
}

int SegmentColour(const View& v, bool cutting) {
  const STRUCT_TRACER* r = v.record;
  if (ReadHost<uint8_t>(r->colourSelectOverride) != 0) return 23;
  switch (v.settings.kind) {
    case 10: return cutting ? 27 : 30;
    case 11: return cutting ? 20 : ReadHost<uint8_t>(r->colourSelectRapid) != 0 ? 31 : 27;
    default: return 20;
  }
}

void DrawSegment(View* v, const double from[2], const double to[2], uint8_t motion, const double arc[2]) {
  const bool cutting = motion != kIsoRapid;
  DisplaySetColors(Colour(*v, SegmentColour(*v, cutting)), 255);
  WriteHost<uint8_t>(v->record->cuttingFlag, cutting ? 1 : 0);
  const uint16_t pattern = cutting ? kSolid : kDashed;
  ArcGeometry g;
  const bool is_arc = motion == kIsoClockwise || motion == kIsoCounterClockwise;
  if (!is_arc || !ArcFrom(from, to, arc, motion == kIsoClockwise, &g)) {
    DrawLine(v, from[0], from[1], to[0], to[1], pattern);
    return;
  }
  const int chords = static_cast<int>(ceil(fabs(g.sweep) / kChordStep - 1e-9));
  double x = from[0], y = from[1];
  for (int k = 1; k <= chords; ++k) {
    const double angle = g.start_angle + g.sweep * k / chords;
    double nx = g.centre[0] + g.radius * cos(angle), ny = g.centre[1] + g.radius * sin(angle);
    if (k == chords) nx = to[0], ny = to[1];
    DrawLine(v, x, y, nx, ny, pattern);
    x = nx;
    y = ny;
  }
}

// Drawing area, origin, panel and clipping window of the display kind.
void SetUpArea(View* v, bool draw_panel) {
  STRUCT_TRACER* r = v->record;
  const int grow_x = v->large ? kLargeGrowX : 0, grow_y = v->large ? kLargeGrowY : 0;
  switch (v->settings.kind) {
    case 0:
    case 2: {
      const int inset = v->settings.kind == 2 ? 32 : 0;
      v->area[0] = 304 + grow_x - inset;
      v->area[1] = 286 + grow_y - inset;
      v->origin[0] = 328 + inset / 2;
      v->origin[1] = 416 + grow_y - inset / 2;
      break;
    }
    case 1:
      v->area[0] = 192;
      v->area[1] = 128;
      v->origin[0] = 64;
      v->origin[1] = 384;
      if (draw_panel) {
        PathFill(Colour(*v, 21), 48, 240, 224, 160);
        PathFill(Colour(*v, 28), 51, 243, 218, 154);
      }
      break;
    default:  // 10, 11: the host's values
      v->area[0] = HostDouble(r->areaWidth);
      v->area[1] = HostDouble(r->areaHeight);
      v->origin[0] = HostDouble(r->originX);
      v->origin[1] = HostDouble(r->originY);
      break;
  }
  v->clip[0] = 322;
  v->clip[1] = 638 + grow_x;
  v->clip[2] = 120;
  v->clip[3] = 420 + grow_y;
  WriteHost<uint16_t>(r->clipLeft, static_cast<uint16_t>(v->clip[0]));
  WriteHost<uint16_t>(r->clipRight, static_cast<uint16_t>(v->clip[1]));
  WriteHost<uint16_t>(r->clipTop, static_cast<uint16_t>(v->clip[2]));
  WriteHost<uint16_t>(r->clipBottom, static_cast<uint16_t>(v->clip[3]));
}

void FitExtents(View* v) {
  const IsoContourState& s = v->state;
  const double width = s.max[0] - s.min[0], height = s.max[1] - s.min[1];
  v->shift[0] = s.min[0] < 0 ? -s.min[0] : 0;
  v->shift[1] = s.min[1] < 0 ? -s.min[1] : 0;
  v->scale = ContourScale(width, height, v->area[0], v->area[1]);
  WriteHost<double>(v->record->programWidth, width);
  WriteHost<double>(v->record->programHeight, height);
}

void DrawLabel(View* v) {
  STRUCT_TRACER* r = v->record;
  const uint8_t kind = v->settings.kind;
  if (kind != 0 && kind != 2) return;
  char label[2 * kIsoNumberChars + 2];
  TextBuffer b = MakeTextBuffer(label, sizeof label);
  AppendHostNumber(r, HostDouble(r->programWidth), &b);
  TextAppendChar(&b, 'x');
  AppendHostNumber(r, HostDouble(r->programHeight), &b);
  const uint32_t font = v->large ? kLargeLabelFont : kLabelFont;
  const int y = kind == 0 ? 112 : 96;
  if (kind == 2) PathFill(Colour(*v, 25), 72, 96, kLabelRight - 72, 16);
  const bool left = ReadHost<uint8_t>(r->labelLeft) != 0;
  const int x = left ? 336 : kLabelRight - 8 * static_cast<int>(b.length);
  DisplayTextForm(PackPoint(x, y), font, Colour(*v, 20), Colour(*v, 25));
  if (left && kind == 0) {
    if (const char* text = LocText(kLabelText)) DisplayWriteText(text);
  }
  DisplayWriteText(label);
}

// Pass 1 widens the extents, pass 2 draws.
bool RunPass(View* v, uint32_t handle, bool drawing) {
  LineReader reader{};
  reader.handle = handle;
  char line[kIsoLineChars + 1];
  const IsoNumberReader numbers{ConvertNumber, v->record};
  IsoContourState& s = v->state;
  while (ReadLine(&reader, line)) {
    NormalizeIsoBlock(line);
    InterpretContourBlock(line, v->settings, numbers, &s);
    if (!drawing) {
      ExtendBySegment(&s, s.previous, s.target, s.motion, s.arc);
    } else if (s.previous[0] != s.target[0] || s.previous[1] != s.target[1] || s.arc[0] != 0 || s.arc[1] != 0) {
      DrawSegment(v, s.previous, s.target, s.motion, s.arc);
    }
  }
  return !reader.failed;
}

void LoadHostState(View* v) {
  STRUCT_TRACER* r = v->record;
  IsoContourState& s = v->state;
  s.target[0] = HostDouble(r->targetH);
  s.target[1] = HostDouble(r->targetV);
  s.previous[0] = HostDouble(r->previousH);
  s.previous[1] = HostDouble(r->previousV);
  s.arc[0] = HostDouble(r->arcOffsetH);
  s.arc[1] = HostDouble(r->arcOffsetV);
  s.min[0] = HostDouble(r->minH);
  s.max[0] = HostDouble(r->maxH);
  s.min[1] = HostDouble(r->minV);
  s.max[1] = HostDouble(r->maxV);
  s.motion = ReadHost<uint8_t>(r->motionType) & 3;
  v->shift[0] = HostDouble(r->shiftH);
  v->shift[1] = HostDouble(r->shiftV);
  v->pan[0] = HostDouble(r->panH);
  v->pan[1] = HostDouble(r->panV);
  v->scale = HostDouble(r->scale);
  v->origin[0] = HostDouble(r->originX);
  v->origin[1] = HostDouble(r->originY);
  v->area[0] = HostDouble(r->areaWidth);
  v->area[1] = HostDouble(r->areaHeight);
  v->direction[0] = HostDouble(r->directionH);
  v->direction[1] = HostDouble(r->directionV);
}

void StoreHostState(const View* v) {
  STRUCT_TRACER* r = v->record;
  const IsoContourState& s = v->state;
  WriteHost<double>(r->targetH, s.target[0]);
  WriteHost<double>(r->targetV, s.target[1]);
  WriteHost<double>(r->previousH, s.previous[0]);
  WriteHost<double>(r->previousV, s.previous[1]);
  WriteHost<double>(r->arcOffsetH, s.arc[0]);
  WriteHost<double>(r->arcOffsetV, s.arc[1]);
  WriteHost<double>(r->minH, s.min[0]);
  WriteHost<double>(r->maxH, s.max[0]);
  WriteHost<double>(r->minV, s.min[1]);
  WriteHost<double>(r->maxV, s.max[1]);
  WriteHost<uint8_t>(r->motionType, s.motion);
  WriteHost<double>(r->areaWidth, v->area[0]);
  WriteHost<double>(r->areaHeight, v->area[1]);
  WriteHost<double>(r->shiftH, v->shift[0]);
  WriteHost<double>(r->shiftV, v->shift[1]);
  WriteHost<double>(r->directionH, v->direction[0]);
  WriteHost<double>(r->directionV, v->direction[1]);
  WriteHost<double>(r->panH, v->pan[0]);
  WriteHost<double>(r->panV, v->pan[1]);
  WriteHost<double>(r->scale, v->scale);
  WriteHost<double>(r->originX, v->origin[0]);
  WriteHost<double>(r->originY, v->origin[1]);
}

// Direction factors of the plane type, kept for the host.
void DirectionFactors(uint8_t plane, double* h, double* v) {
  static const uint8_t kFactors[10][2] = {{0, 0}, {0, 0}, {0, 0}, {1, 0}, {1, 1},
                                          {0, 1}, {0, 0}, {1, 0}, {1, 1}, {0, 1}};
  *h = plane < 10 ? kFactors[plane][0] : 0;
  *v = plane < 10 ? kFactors[plane][1] : 0;
}

void PublishSettings(const View& v) {
  STRUCT_TRACER* r = v.record;
  const IsoContourSettings& s = v.settings;
  WriteHost<uint8_t>(r->displayKindInUse, s.kind);
  WriteHost<uint8_t>(r->diameterFlag, s.diameter ? 1 : 0);
  WriteHost<uint8_t>(r->planeType, s.plane_type);
  WriteHost<char>(r->horizontalLetter, s.letter[0]);
  WriteHost<char>(r->verticalLetter, s.letter[1]);
  WriteHost<int16_t>(r->iAxis, static_cast<int16_t>(s.i_vertical ? -1 : 1));
  WriteHost<uint8_t>(r->decimalComma, ReadHost<char>(r->decimalChar, '.') == ',' ? 0 : 255);
}

// The program's path: the record's, or the editor buffer in its folder.
bool ProgramPath(STRUCT_TRACER* r, char* path) {
  TextBuffer b = MakeTextBuffer(path, kPathBytes);
  if (ReadHost<uint8_t>(r->editorBuffer) != 0) {
    CallService0(r, r->prepareEditorHandle);
    if (r->fixTableDir != nullptr) TextAppend(&b, r->fixTableDir);
    TextAppend(&b, "@EDIT.TMP");
  } else if (r->programPath != nullptr) {
    TextAppend(&b, r->programPath);
  }
  // A path cut at the buffer's end names another file: refused.
  return b.length > 0 && b.length + 1 < kPathBytes;
}

}  // namespace

int ShowIso(STRUCT_TRACER* record) {
  static View v;
  v = View{};
  v.record = record;
  DisplayBind(record);
  for (int i = 0; i < 18; ++i) v.palette[i] = DisplayPalette(20 + i);
  v.large = record->largeLayout != 0;

  if (record->viewMode == 2 || record->viewMode == 3) {
    const uint8_t kind = ReadHost<uint8_t>(record->displayKindInUse);
    v.settings = ReadIsoSettings(record, kind);
    LoadHostState(&v);
    SetUpArea(&v, false);
    IsoContourState& s = v.state;
    if (record->viewMode == 2) {
      DrawSegment(&v, s.previous, s.target, record->segmentMotion & 3, s.arc);
      s.previous[0] = s.target[0];
      s.previous[1] = s.target[1];
    } else {
      const double end[2] = {isfinite(record->segmentEnd[0]) ? record->segmentEnd[0] : 0,
                             isfinite(record->segmentEnd[1]) ? record->segmentEnd[1] : 0};
      ExtendBySegment(&s, s.previous, end, s.motion, s.arc);
      s.previous[0] = s.target[0] = end[0];
      s.previous[1] = s.target[1] = end[1];
      FitExtents(&v);
    }
    StoreHostState(&v);
    return 0;
  }

  char path[kPathBytes];
  const bool named = ProgramPath(record, path);
  v.settings = ReadIsoSettings(record, record->displayKind);
  DirectionFactors(v.settings.plane_type, &v.direction[0], &v.direction[1]);
  PublishSettings(v);
  ResetForPass(&v);
  SetUpArea(&v, true);
  uint32_t handle = 0, size = 0;
  if (!named || FspOpen(path, kFspOpenRead, &handle, &size) != kStatusOk) return -1;

  bool ok = RunPass(&v, handle, false);
  uint32_t position = 0;
  ok = ok && FspSeek(handle, 0, kFspSeekStart, &position) == kStatusOk;
  if (ok) {
    FitExtents(&v);
    DrawLabel(&v);
    // The second pass starts as the first did: a program that ends in
    // incremental mode or away from its start is drawn where it lies.
    ResetForPass(&v);
    v.cross_pending = v.settings.kind == 2;
    ok = RunPass(&v, handle, true);
  }
  FspClose(handle);
  StoreHostState(&v);
  return ok ? 0 : -1;
}
