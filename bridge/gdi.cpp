#include "bridge/gdi.h"

#include <string.h>

GDI_INIT_PARAMS g_gdi;

namespace {

GdiRectI g_clip = {0, 0, 0, 0};
// The same window as reals, for the real-valued line's comparisons.
struct ClipF {
  double x1, y1, x2, y2;
} g_clip_f = {0, 0, 0, 0};
int g_xor_mode = 0;

uint32_t SlotHandle(int slot) {
  if (g_gdi.dispatch == nullptr) return 0;
  return g_gdi.handles[slot];
}

}  // namespace

int GdiInitCopy(const GDI_INIT_PARAMS* host) {
  memset(&g_gdi, 0, sizeof g_gdi);
  if (host != nullptr) {
    size_t n = host->size < sizeof g_gdi ? host->size : sizeof g_gdi;
    memcpy(&g_gdi, host, n);
  }
  g_gdi.size = sizeof g_gdi;
  return 1;
}

uint32_t GdiMapColor(uint32_t color) { return color < 16 ? g_gdi.color_map[color] : color; }

void GdiSetColors(uint32_t foreground, uint32_t background) {
  if (uint32_t h = SlotHandle(kGdiSetColors))
    g_gdi.dispatch(h, 2, GdiMapColor(foreground), GdiMapColor(background));
}

void GdiFillRect(uint32_t top_left, uint32_t size) {
  if (uint32_t h = SlotHandle(kGdiFillRect)) g_gdi.dispatch(h, 2, top_left, size);
}

int GdiSetXorMode(int mode) {
  g_xor_mode = mode;
  uint32_t h = SlotHandle(kGdiSetXorMode);
  if (h == 0) return mode;
  return g_gdi.dispatch(h, 1, static_cast<uint32_t>(mode));
}

int GdiXorMode() { return g_xor_mode; }

void GdiLine(uint32_t from, uint32_t to, uint16_t pattern) {
  if (uint32_t h = SlotHandle(kGdiLine)) g_gdi.dispatch(h, 3, from, to, static_cast<uint32_t>(pattern));
}

void GdiTriangleRaw(uint32_t a, uint32_t b, uint32_t c, uint16_t pattern) {
  if (uint32_t h = SlotHandle(kGdiTriangle))
    g_gdi.dispatch(h, 4, a, b, c, static_cast<uint32_t>(pattern));
}

void GdiSaveRect(uint32_t top_left, uint32_t size, void* buffer) {
  if (uint32_t h = SlotHandle(kGdiSaveRect)) g_gdi.dispatch(h, 3, top_left, size, buffer);
}

void GdiRestoreRect(uint32_t top_left, uint32_t size, void* buffer) {
  if (uint32_t h = SlotHandle(kGdiRestoreRect)) g_gdi.dispatch(h, 3, top_left, size, buffer);
}

void GdiTextBox(uint32_t top_left, uint32_t columns_rows, uint32_t foreground,
                uint32_t background, uint32_t font) {
  if (uint32_t h = SlotHandle(kGdiTextBox))
    g_gdi.dispatch(h, 5, top_left, columns_rows, GdiMapColor(foreground), GdiMapColor(background), font);
}

void GdiWriteText(const char* text) {
  if (uint32_t h = SlotHandle(kGdiWriteText)) g_gdi.dispatch(h, 1, text);
}

void GdiTextBlank(uint8_t value) {
  if (uint32_t h = SlotHandle(kGdiTextBlank)) g_gdi.dispatch(h, 1, static_cast<uint32_t>(value));
}

void GdiWriteChar(char c) {
  if (uint32_t h = SlotHandle(kGdiWriteChar))
    g_gdi.dispatch(h, 1, static_cast<uint32_t>(static_cast<uint8_t>(c)));
}

// ---------------------------------------------------------------------------

void GdiSetClip(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  g_clip = {x1 < x2 ? x1 : x2, y1 < y2 ? y1 : y2, x1 < x2 ? x2 : x1, y1 < y2 ? y2 : y1};
  g_clip_f = {static_cast<double>(g_clip.x1), static_cast<double>(g_clip.y1),
              static_cast<double>(g_clip.x2), static_cast<double>(g_clip.y2)};
}
void GdiSetClip(const GdiRectI& r) { GdiSetClip(r.x1, r.y1, r.x2, r.y2); }

void GdiGetClip(int32_t* x1, int32_t* y1, int32_t* x2, int32_t* y2) {
  *x1 = g_clip.x1;
  *y1 = g_clip.y1;
  *x2 = g_clip.x2;
  *y2 = g_clip.y2;
}
GdiRectI GdiGetClip() { return g_clip; }

namespace {

enum : int { kLeft = 1, kRight = 2, kAbove = 4, kBelow = 8 };

template <typename T>
int Outcode(T x, T y) {
  int code = 0;
  if (x < g_clip.x1) code |= kLeft;
  else if (x > g_clip.x2) code |= kRight;
  if (y < g_clip.y1) code |= kAbove;
  else if (y > g_clip.y2) code |= kBelow;
  return code;
}

// Moves (x, y) onto the window edge of the first outcode bit set, in the
// order left, right, above, below. `truncate` gives the integer line's
// truncation toward zero.
template <typename T, typename Truncate>
void MoveOntoEdge(int code, T* x, T* y, double m, Truncate truncate) {
  if (code & kLeft) {
    *y = truncate(*y + m * (g_clip.x1 - *x));
    *x = g_clip.x1;
  } else if (code & kRight) {
    *y = truncate(*y + m * (g_clip.x2 - *x));
    *x = g_clip.x2;
  } else if (code & kAbove) {
    *x = truncate(*x + (1 / m) * (g_clip.y1 - *y));
    *y = g_clip.y1;
  } else {
    *x = truncate(*x + (1 / m) * (g_clip.y2 - *y));
    *y = g_clip.y2;
  }
}

// Clips a line to the window; false when nothing of it is left. Each pass
// puts one end on an edge; truncation can leave an end a pixel outside
// again, so the passes are bounded instead of trusted to converge.
template <typename T, typename Truncate>
bool ClipLine(T* x1, T* y1, T* x2, T* y2, Truncate truncate) {
  for (int pass = 0; pass < 16; ++pass) {
    int c1 = Outcode(*x1, *y1), c2 = Outcode(*x2, *y2);
    if ((c1 | c2) == 0) return true;
    if ((c1 & c2) != 0) return false;
    double m = static_cast<double>(*y2 - *y1) / static_cast<double>(*x2 - *x1);
    if (c1 != 0) MoveOntoEdge(c1, x1, y1, m, truncate);
    else MoveOntoEdge(c2, x2, y2, m, truncate);
  }
  return false;
}

bool Finite(double v) { return v - v == 0; }
int32_t TruncateToInt(double v) { return static_cast<int32_t>(v); }
double KeepExact(double v) { return v; }
int32_t RoundHalfUp(double v) { return static_cast<int32_t>(v + 0.5); }

// Inside the window, or on its edge; false for NaN.
bool InsideF(double x, double y) {
  return x >= g_clip_f.x1 && x <= g_clip_f.x2 && y >= g_clip_f.y1 && y <= g_clip_f.y2;
}

// The end of the last real line drawn and that end rounded: a polyline's
// next line starts there, and its start need not be rounded again.
struct RoundedEnd {
  double x, y;
  uint32_t packed;
} g_last_end = {__builtin_nan(""), __builtin_nan(""), 0};

uint32_t PackRounded(double x, double y) { return PackPoint(RoundHalfUp(x), RoundHalfUp(y)); }

}  // namespace

void GdiLineI(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint16_t pattern) {
  if (!ClipLine(&x1, &y1, &x2, &y2, TruncateToInt)) return;
  GdiLine(PackPoint(x1, y1), PackPoint(x2, y2), pattern);
}

void GdiLineI(const GdiPointI& a, const GdiPointI& b, uint16_t pattern) {
  GdiLineI(a.x, a.y, b.x, b.y, pattern);
}

void GdiLineF(double x1, double y1, double x2, double y2, uint16_t pattern) {
  if (InsideF(x1, y1) && InsideF(x2, y2)) {
    // Both ends finite and in the window: nothing to clip. Rounding depends
    // on the value alone (+0 and -0 both give 0), so an equal start is the
    // last end's rounding.
    bool same_start = x1 == g_last_end.x && y1 == g_last_end.y;
    uint32_t from = same_start ? g_last_end.packed : PackRounded(x1, y1);
    g_last_end = {x2, y2, PackRounded(x2, y2)};
    GdiLine(from, g_last_end.packed, pattern);
    return;
  }
  // Non-finite ends (a degenerate transformation, a point at the eye of a
  // perspective) have no place on the screen; clipping them would make NaN.
  if (!Finite(x1) || !Finite(y1) || !Finite(x2) || !Finite(y2)) return;
  if (!ClipLine(&x1, &y1, &x2, &y2, KeepExact)) return;
  GdiLine(PackPoint(RoundHalfUp(x1), RoundHalfUp(y1)), PackPoint(RoundHalfUp(x2), RoundHalfUp(y2)),
          pattern);
}

void GdiRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint16_t pattern) {
  GdiLineI(x1, y1, x2, y1, pattern);
  GdiLineI(x2, y1, x2, y2, pattern);
  GdiLineI(x2, y2, x1, y2, pattern);
  GdiLineI(x1, y2, x1, y1, pattern);
}
void GdiRect(const GdiRectI& r, uint16_t pattern) { GdiRect(r.x1, r.y1, r.x2, r.y2, pattern); }

namespace {

// Orders the corners and intersects with the window; false when the area
// left is less than two pixels wide or high.
bool ClipArea(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t* top_left, uint32_t* size) {
  if (x1 > x2) { int32_t t = x1; x1 = x2; x2 = t; }
  if (y1 > y2) { int32_t t = y1; y1 = y2; y2 = t; }
  int32_t left = x1 > g_clip.x1 ? x1 : g_clip.x1;
  int32_t right = x2 < g_clip.x2 ? x2 : g_clip.x2;
  int32_t top = y1 > g_clip.y1 ? y1 : g_clip.y1;
  int32_t bottom = y2 < g_clip.y2 ? y2 : g_clip.y2;
  if (!(left < right && top < bottom)) return false;
  *top_left = PackPoint(left, top);
  *size = PackPoint(right - left + 1, bottom - top + 1);
  return true;
}

}  // namespace

void GdiFillRectClipped(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  uint32_t tl, size;
  if (ClipArea(x1, y1, x2, y2, &tl, &size)) GdiFillRect(tl, size);
}
void GdiFillRectClipped(const GdiRectI& r) { GdiFillRectClipped(r.x1, r.y1, r.x2, r.y2); }

void GdiSaveRectClipped(int32_t x1, int32_t y1, int32_t x2, int32_t y2, void* buffer) {
  uint32_t tl, size;
  if (ClipArea(x1, y1, x2, y2, &tl, &size)) GdiSaveRect(tl, size, buffer);
}

void GdiRestoreRectClipped(int32_t x1, int32_t y1, int32_t x2, int32_t y2, void* buffer) {
  uint32_t tl, size;
  if (ClipArea(x1, y1, x2, y2, &tl, &size)) GdiRestoreRect(tl, size, buffer);
}

void GdiTriangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3,
                 uint16_t pattern) {
  GdiTriangleRaw(PackPoint(x1, y1), PackPoint(x2, y2), PackPoint(x3, y3), pattern);
}

void GdiText(int32_t x, int32_t y, uint32_t columns, uint32_t rows, uint32_t foreground,
             uint32_t background, uint32_t font) {
  int32_t cell_w = 32, cell_h = 64;
  if (font == 0) { cell_w = 16; cell_h = 32; }
  else if (font == 2) { cell_w = 8; cell_h = 16; }
  if (x >= g_clip.x1 && x < g_clip.x2 && y >= g_clip.y1 && y < g_clip.y2) {
    uint32_t max_columns = static_cast<uint32_t>((g_clip.x2 - x) / cell_w);
    uint32_t max_rows = static_cast<uint32_t>((g_clip.y2 - y) / cell_h);
    if (columns > max_columns) columns = max_columns;
    if (rows > max_rows) rows = max_rows;
  } else {
    columns = rows = 0;
  }
  // One byte each: a wider window must not wrap the count to a small one.
  if (columns > 255) columns = 255;
  if (rows > 255) rows = 255;
  GdiTextBox(PackPoint(x, y), columns | (rows << 8), foreground, background, font);
}
