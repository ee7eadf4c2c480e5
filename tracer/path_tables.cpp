// Fixed tables and small conversions of the path graphics.
#include <string.h>

#include "tracer/path_graphics.h"

namespace {

struct ZoomStep {
  int16_t divisor;
  const char* label;
  double radius_factor;
};

const ZoomStep kZoom[kZoomLevels] = {
    {1, "0.025mm", 1.0},      {4, "0.1 mm ", 0.25},       {10, "0.25 mm", 0.1},
    {20, "0.5 mm ", 0.05},    {40, "1 mm   ", 0.025},     {100, "2.5 mm ", 0.01},
    {200, "5 mm   ", 0.005},  {400, "10 mm  ", 0.0025},   {1000, "25 mm  ", 0.001},
    {2000, "50 mm  ", 0.0005}, {4000, "100 mm ", 0.00025}, {10000, "250 mm ", 0.0001},
    {20000, "500 mm ", 0.00005},
};

}  // namespace

int32_t AxisValue(uint32_t address, int k) {
  if (address == 0 || k < 0 || k >= 6) return 0;
  const uint8_t* values = reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(address)) + 2;
  int64_t sum = static_cast<int64_t>(RecordGet<int32_t>(values, 4u * k)) +
                RecordGet<int32_t>(values, 4u * (k + 6));
  return static_cast<int32_t>(sum / 8);  // |sum / 8| < 2^29: always fits
}

uint32_t BcdToBinary(uint32_t bcd28) {
  uint32_t value = 0;
  for (int k = 6; k >= 0; --k) value = value * 10 + ((bcd28 >> (4 * k)) & 0xF);
  return value;
}

void FormatMillimetres(int32_t value, char* out) {
  int64_t v = value;
  int n = 0;
  if (v < 0) {
    out[n++] = '-';
    v = -v;
  }
  char digits[16];
  int count = 0;
  for (int64_t whole = v / 1000; whole > 0 || count == 0; whole /= 10) digits[count++] = static_cast<char>('0' + whole % 10);
  while (count > 0) out[n++] = digits[--count];
  out[n++] = '.';
  out[n++] = static_cast<char>('0' + v / 100 % 10);
  out[n++] = static_cast<char>('0' + v / 10 % 10);
  out[n++] = static_cast<char>('0' + v % 10);
  out[n] = '\0';
}

int16_t ZoomDivisor(int index) { return index >= 0 && index < kZoomLevels ? kZoom[index].divisor : 0; }

const char* ZoomLabel(int index) {
  return index >= 0 && index < kZoomLevels ? kZoom[index].label : "       ";
}

int RadiusPixels(uint32_t microns, int index) {
  if (index < 0 || index >= kZoomLevels) return 0;
  return static_cast<int>(static_cast<double>(microns) * kZoom[index].radius_factor);
}

bool LayoutFor(uint8_t mode, PathLayout* layout) {
  switch (mode) {
    case 1: *layout = {1, 0, 160, 10}; return true;
    case 2: *layout = {2, 320, 0, 0}; return true;
    case 3: *layout = {3, 0, 0, 0}; return true;
    default: return false;  // the previous layout stays in force
  }
}

int AreaRight(const PathLayout& layout) { return layout.mode == 1 ? 630 : layout.off + 310; }

void OriginPixel(const PathLayout& layout, int position, int* x, int* y) {
  // Columns left, centre, right; rows top, middle, bottom.
  enum { L, C, R };
  enum { T, M, B };
  static const uint8_t kColumn[kOriginPositions] = {C, L, C, R, R, R, C, L, L};
  static const uint8_t kRow[kOriginPositions] = {M, B, B, B, M, T, T, T, M};
  const bool full = layout.mode == 1;
  const int columns[3] = {layout.off + 10, full ? 320 : layout.off + 160, full ? 620 : layout.off + 310};
  const int rows[3] = {kAreaTop, 246, kAreaBottom};
  *x = columns[kColumn[position]];
  *y = rows[kRow[position]];
}
