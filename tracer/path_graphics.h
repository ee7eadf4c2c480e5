// Path graphics: the trail of the tool on a millimetre grid while the
// machine runs. One screen, one state; the host calls the prefix once when
// the screen opens (or returns) and the periodic step while it is shown.
//
// Units: moves and accumulators in thousandths of a millimetre; one pixel
// is zoomDivisor thousandths. Pixel arithmetic is done in 64 bits and
// truncates toward zero; accumulators saturate at the 32-bit ends.
#pragma once

#include <stdint.h>

#include "tracer/tracer_record.h"

constexpr int kZoomLevels = 13;
constexpr int kOriginPositions = 9;
constexpr int kAreaTop = 96, kAreaBottom = 396;

enum MarkerState : uint8_t { kMarkerInRange = 0, kMarkerShown = 1, kMarkerRedrawn = 2 };

struct PathLayout {
  uint8_t mode;     // 1, 2, 3
  int off;          // area x offset: 0 or 320
  int centreShift;  // 160 in mode 1
  int inset;        // 10 in mode 1
};

struct PathState {
  STRUCT_TRACER* record;
  uint8_t colours[6];   // palette bytes 20, 21, 22, 25, 27, 29
  PathLayout layout;
  int32_t accH, accV;   // accumulators
  int32_t refH, refV;   // references of the reference modes
  int originX, originY;
  int radius;           // tool circle radius, pixels
  uint8_t marker;       // MarkerState
  uint8_t trailByte;    // palette byte of the trail (kept for unknown colours)
  int32_t shownH, shownV;  // values last shown in the read-out
};

// The three exports.
void PathPrefix(PathState* s, STRUCT_TRACER* record);
void PathPrefixAgain(PathState* s, STRUCT_TRACER* record);
void PathRun(PathState* s, STRUCT_TRACER* record);

// --- inner pieces, for tests
// Value of axis k of the block at `address`: (a[k] + a[k+6]) / 8.
int32_t AxisValue(uint32_t address, int k);
// Seven BCD digits, units first; digits above 9 count as they stand.
uint32_t BcdToBinary(uint32_t bcd28);
// "-1.234" for -1234: millimetres with three decimals. `out` >= 16 bytes.
void FormatMillimetres(int32_t value, char* out);
// Divisor and grid label of a zoom index (label seven blanks above 12).
int16_t ZoomDivisor(int index);
const char* ZoomLabel(int index);
// Radius in pixels of `microns` at a zoom index (0 above 12).
int RadiusPixels(uint32_t microns, int index);
// The layout of a mode; false for a mode other than 1..3.
bool LayoutFor(uint8_t mode, PathLayout* layout);
// Origin pixel of position 0..8 in a layout.
void OriginPixel(const PathLayout& layout, int position, int* x, int* y);
// Right edge of the drawing area.
int AreaRight(const PathLayout& layout);
