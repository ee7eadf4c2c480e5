// The three operations of the path graphics: full set-up, set-up again
// without the frame, and the periodic step (keys, tracking).
#include "tracer/path_graphics.h"

#include "bridge/display.h"
#include "tracer/host_services.h"
#include "tracer/path_draw.h"

namespace {

constexpr uint32_t kLabelFont = 78;

enum PathKey : uint8_t { kKeyOrigin = 1, kKeyZoomOut = 2, kKeyZoomIn = 3, kKeyPlane = 4, kKeySnapshot = 5 };

int32_t Saturate(int64_t v) {
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(v);
}

char ReferenceMode(const STRUCT_TRACER* r) {
  const char* t = r->modeText;
  return t != nullptr && t[0] && t[1] && t[2] ? t[3] : 0;
}

uint32_t ParameterWord(const STRUCT_TRACER* r) {
  return static_cast<uint32_t>(CallService3(r, r->paramReadHandle, 2, 99, 0).value);
}

void ComputeRadius(PathState* s) {
  const uint32_t word = ParameterWord(s->record);
  s->radius = RadiusPixels(BcdToBinary(word & 0x0FFFFFFFu), ReadHost<uint8_t>(s->record->zoomIndex));
}

void TakeRecord(PathState* s, STRUCT_TRACER* record) {
  s->record = record;
  DisplayBind(record);
  const uint8_t bytes[6] = {20, 21, 22, 25, 27, 29};
  for (int i = 0; i < 6; ++i) s->colours[i] = DisplayPalette(bytes[i]);
}

void AccumulatorsFromAxes(PathState* s) {
  s->accH = AxisValue(s->record->axisBlock, 1);
  s->accV = AxisValue(s->record->axisBlock, 0);
}

void ApplyLayout(PathState* s, uint8_t mode) {
  if (!LayoutFor(mode, &s->layout) && s->layout.mode == 0) LayoutFor(1, &s->layout);
}

// Marker state and label after a point: outside raises "!", inside clears it.
void UpdateMarker(PathState* s, bool inside) {
  if (!inside && s->marker != kMarkerShown) {
    DrawGridLabel(s, true);
    s->marker = kMarkerShown;
  } else if (inside && s->marker != kMarkerInRange) {
    DrawGridLabel(s, false);
    s->marker = kMarkerInRange;
  }
}

void PlotPoint(PathState* s, int64_t x, int64_t y) {
  switch (ReadHost<uint8_t>(s->record->trailColour, 255)) {
    case 0: s->trailByte = 20; break;
    case 1: s->trailByte = 27; break;
    case 2: s->trailByte = 22; break;
    default: break;  // the current colour stays
  }
  if (s->trailByte == 0) s->trailByte = 20;
  PathFill(PathPalette(s, s->trailByte), static_cast<int>(x), static_cast<int>(y), 1, 1);
}

void DrawToolCircle(PathState* s, int64_t x, int64_t y) {
  const STRUCT_TRACER* r = s->record;
  const uint32_t word = ParameterWord(r);
  if ((word >> 28) == 0 || s->radius <= 0) return;
  const bool status_allows = (ReadHost<uint16_t>(r->statusChar) & 0xFF) != '@' ||
                             (ReadHost<uint16_t>(r->statusCode) & 0xFF) == 150;
  const int64_t rad = s->radius;
  const bool fits = x - rad >= s->layout.off + 10 && x + rad <= AreaRight(s->layout) &&
                    y - rad >= kAreaTop && y + rad <= kAreaBottom;
  if (!status_allows || !fits) return;
  DisplayArc(PackPoint(x, y), PackPoint(x + rad, y), PackPoint(x + rad, y));
}

void TrackingStep(PathState* s) {
  STRUCT_TRACER* r = s->record;
  const int16_t step_v = ReadHost<int16_t>(r->stepV), step_h = ReadHost<int16_t>(r->stepH);
  if (step_v == 0 && step_h == 0) return;
  s->accH = Saturate(static_cast<int64_t>(s->accH) + step_h);
  WriteHost<int16_t>(r->stepH, 0);
  s->accV = Saturate(static_cast<int64_t>(s->accV) + step_v);
  WriteHost<int16_t>(r->stepV, 0);
  const int64_t divisor = ReadHost<int16_t>(r->zoomDivisor);
  if (divisor == 0) return;  // no scale: the moves count, nothing is plotted
  const int64_t x = s->originX + static_cast<int64_t>(s->accH) * ReadHost<uint32_t>(r->scaleH) / divisor;
  const int64_t y = s->originY - static_cast<int64_t>(s->accV) * ReadHost<uint32_t>(r->scaleV) / divisor;
  const bool inside = x >= s->layout.off + 10 && x <= AreaRight(s->layout) && y >= kAreaTop && y <= kAreaBottom;
  UpdateMarker(s, inside);
  if (!inside) return;
  PlotPoint(s, x, y);
  DrawToolCircle(s, x, y);
}

void ZoomKey(PathState* s, bool finer) {
  STRUCT_TRACER* r = s->record;
  uint8_t index = ReadHost<uint8_t>(r->zoomIndex);
  if (finer) {
    if (index >= kZoomLevels) index = kZoomLevels - 1;
    else if (index > 0) --index;
  } else if (index < 11) {
    ++index;
  }
  WriteHost<uint8_t>(r->zoomIndex, index);
  if (index < kZoomLevels) WriteHost<int16_t>(r->zoomDivisor, ZoomDivisor(index));
  WriteHost<uint8_t>(r->keyCode, 0);
  DrawGridLabel(s, false);
  ErasePlotArea(s);
  DrawAxes(s);
  ComputeRadius(s);
}

}  // namespace

void PathPrefix(PathState* s, STRUCT_TRACER* record) {
  TakeRecord(s, record);
  ComputeRadius(s);
  const uint8_t mode = record->layoutMode;
  WriteHost<uint8_t>(record->plane, ReadHost<uint8_t>(record->planeSaved));
  AccumulatorsFromAxes(s);
  ApplyLayout(s, mode);
  DisplayTextForm(PackPoint(s->layout.off + 8, 400), kLabelFont, s->colours[kFg20], s->colours[kBg25]);
  DisplayWriteText("                     ");
  if (s->layout.mode == 1)
    DisplayWriteText("                                                         ");
  DrawGridLabel(s, false);
  DrawReadout(s);
  s->marker = kMarkerShown;
  DrawAxes(s);
  const char reference = ReferenceMode(record);
  if (reference == '1') {
    s->refH = AxisValue(record->axisBlock, 1);
    s->refV = AxisValue(record->axisBlock, 0);
    s->accH = s->accV = 0;
  } else if (reference == '2') {
    s->refH = AxisValue(record->axisBlock, 1);
    s->accH = 0;
  }
}

void PathPrefixAgain(PathState* s, STRUCT_TRACER* record) {
  TakeRecord(s, record);
  if (s->layout.mode == 0) LayoutFor(1, &s->layout);
  AccumulatorsFromAxes(s);
  DrawGridLabel(s, false);
  DrawReadout(s);
  s->marker = kMarkerShown;
  const char reference = ReferenceMode(record);
  if (reference == '1' || reference == '2') s->accH = Saturate(static_cast<int64_t>(s->accH) - s->refH);
  if (reference == '1') s->accV = Saturate(static_cast<int64_t>(s->accV) - s->refV);
  ComputeRadius(s);
}

void PathRun(PathState* s, STRUCT_TRACER* record) {
  s->record = record;
  DisplayBind(record);
  if (s->layout.mode == 0) ApplyLayout(s, record->layoutMode);
  switch (ReadHost<uint8_t>(record->keyCode)) {
    case kKeyOrigin: {
      // From position 8 (the last with axes) or beyond, back to 0.
      const uint8_t position = ReadHost<uint8_t>(record->originPos);
      WriteHost<uint8_t>(record->originPos, position >= kOriginPositions - 1 ? 0 : position + 1);
      WriteHost<uint8_t>(record->keyCode, 0);
      EraseScreen(s);
      PathPrefix(s, record);
      s->marker = kMarkerRedrawn;
      break;
    }
    case kKeyZoomOut: ZoomKey(s, false); break;
    case kKeyZoomIn: ZoomKey(s, true); break;
    case kKeyPlane: {
      ComputeRadius(s);
      const uint8_t plane = ReadHost<uint8_t>(record->plane);
      const uint8_t next = plane >= 3 ? 0 : plane + 1;
      WriteHost<uint8_t>(record->plane, next);
      WriteHost<uint8_t>(record->planeSaved, next);
      // The horizontal axis is always axis 1, the vertical axis 0.
      WriteHost<uint8_t>(record->axisFirst, 1);
      WriteHost<uint8_t>(record->axisSecond, 0);
      WriteHost<uint8_t>(record->plane, 0);
      WriteHost<uint8_t>(record->planeSaved, 0);
      EraseScreen(s);
      PathPrefix(s, record);
      s->marker = kMarkerRedrawn;
      WriteHost<uint8_t>(record->keyCode, 0);
      break;
    }
    case kKeySnapshot:
      WriteHost<uint8_t>(record->snapshotFlag, 255);
      EraseScreen(s);
      PathPrefix(s, record);
      s->marker = kMarkerRedrawn;
      WriteHost<uint8_t>(record->keyCode, 0);
      break;
    default: TrackingStep(s); break;
  }
}
