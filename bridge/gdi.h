// The host's graphics table and the drawing primitives every drawing
// library carries on top of it.
//
// Conventions:
// - Screen points go to the host packed in one u32: x in the low 16 bits,
//   y in the high 16 bits; sizes likewise (width low, height high).
//   Screen y grows downwards.
// - The clip window is inclusive on all four sides; it is the single point
//   (0, 0) until set.
// - Colours below 16 are logical and go through the host's colour map;
//   16 and above go to the host unchanged; 255 as a background means
//   transparent.
// - A slot whose handle is 0 (or a table without dispatch entry) makes the
//   primitive do nothing; no error is reported.
#pragma once

#include "bridge/host_api.h"

#pragma pack(push, 1)
struct GDI_INIT_PARAMS {
  uint16_t size;
  HostDispatch dispatch;
  uint8_t color_map[16];
  uint32_t handles[45];
};
#pragma pack(pop)
static_assert(sizeof(GDI_INIT_PARAMS) == 202);
static_assert(offsetof(GDI_INIT_PARAMS, dispatch) == 2);
static_assert(offsetof(GDI_INIT_PARAMS, color_map) == 6);
static_assert(offsetof(GDI_INIT_PARAMS, handles) == 22);

// Graphics service slots and their arguments (after handle and count).
enum GdiSlot : int {
  kGdiSetColors = 0,    // 2: foreground, background (mapped)
  kGdiFillRect = 3,     // 2: packed top-left, packed size (current colours)
  kGdiSetXorMode = 5,   // 1: 1 = exclusive-or drawing, 0 = normal
  kGdiLine = 6,         // 3: packed start, packed end, pattern
  kGdiTriangle = 7,     // 4: three packed corners, pattern
  kGdiSaveRect = 14,    // 3: packed top-left, packed size, buffer
  kGdiRestoreRect = 15, // 3: packed top-left, packed size, buffer
  kGdiTextBox = 16,     // 5: packed top-left, columns | rows << 8, fg, bg, font
  kGdiWriteText = 18,   // 1: NUL-terminated string into the current text box
  kGdiSlot23 = 23,      // 1: signed byte (no library calls it)
  kGdiSlot24 = 24,      // 1: u16 (no library calls it)
  kGdiSlot25 = 25,      // 2: two bytes (no library calls it)
  kGdiTextBlank = 26,   // 1: 255 blanks the rest of the current text box
  kGdiSlot27 = 27,      // 1: signed byte (no library calls it)
  kGdiWriteChar = 29,   // 1: one character into the current text box
};

// Logical colours.
enum GdiColor : uint8_t {
  CLR_BLACK = 0, CLR_T15 = 0, CLR_T14 = 1, CLR_T13 = 2, CLR_T12 = 3, CLR_P3 = 4, CLR_P2 = 5,
  CLR_P1 = 6, CLR_WHITE = 7, CLR_P0 = 7, CLR_LIGHT = 8, CLR_FILL = 9, CLR_DARK = 10,
  CLR_YELLOW = 11, CLR_VIOLET = 12, CLR_RED = 13, CLR_GREEN = 14, CLR_GREEN_MENU = 15,
  CLR_TRANSPARENT = 255,
};

// Line patterns (16-bit masks; 0xFFFF is solid).
enum : uint16_t { kPatternSolid = 0xFFFF, kPatternDashed = 0xF0F0 };

inline uint32_t PackPoint(int32_t x, int32_t y) {
  return (static_cast<uint32_t>(x) & 0xFFFF) | (static_cast<uint32_t>(y) << 16);
}

// ---------------------------------------------------------------------------
// The library's copy of the table and the service wrappers.

extern GDI_INIT_PARAMS g_gdi;

// Copies the host's table the way the export GDIInit does; returns 1.
int GdiInitCopy(const GDI_INIT_PARAMS* host);

// Colour value as the host receives it (logical colours mapped).
uint32_t GdiMapColor(uint32_t color);

void GdiSetColors(uint32_t foreground, uint32_t background);
void GdiFillRect(uint32_t top_left, uint32_t size);
// Remembers the mode; returns it when the service is missing, else the
// service's result.
int GdiSetXorMode(int mode);
int GdiXorMode();  // the value last given
void GdiLine(uint32_t from, uint32_t to, uint16_t pattern);
void GdiTriangleRaw(uint32_t a, uint32_t b, uint32_t c, uint16_t pattern);
void GdiSaveRect(uint32_t top_left, uint32_t size, void* buffer);
void GdiRestoreRect(uint32_t top_left, uint32_t size, void* buffer);
void GdiTextBox(uint32_t top_left, uint32_t columns_rows, uint32_t foreground,
                uint32_t background, uint32_t font);
void GdiWriteText(const char* text);
void GdiTextBlank(uint8_t value = 255);
void GdiWriteChar(char c);

// ---------------------------------------------------------------------------
// Clipped primitives. The clip window is library state.

struct GdiRectI {
  int32_t x1, y1, x2, y2;
};
struct GdiPointI {
  int32_t x, y;
};

void GdiSetClip(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
void GdiSetClip(const GdiRectI& r);
void GdiGetClip(int32_t* x1, int32_t* y1, int32_t* x2, int32_t* y2);
GdiRectI GdiGetClip();

// Lines clipped to the window (Cohen-Sutherland). The integer line truncates
// each clipped coordinate toward zero; the real line keeps them exact and
// rounds the final ends by adding 0.5 and truncating.
void GdiLineI(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint16_t pattern);
void GdiLineI(const GdiPointI& a, const GdiPointI& b, uint16_t pattern);
void GdiLineF(double x1, double y1, double x2, double y2, uint16_t pattern);
void GdiRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint16_t pattern);
void GdiRect(const GdiRectI& r, uint16_t pattern);

// Areas intersected with the window; nothing happens unless the result is
// at least two pixels wide and high.
void GdiFillRectClipped(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
void GdiFillRectClipped(const GdiRectI& r);
void GdiSaveRectClipped(int32_t x1, int32_t y1, int32_t x2, int32_t y2, void* buffer);
void GdiRestoreRectClipped(int32_t x1, int32_t y1, int32_t x2, int32_t y2, void* buffer);

// Unclipped filled triangle.
void GdiTriangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3,
                 uint16_t pattern);

// Opens a text box at (x, y) limited to the window by the font's cell size
// (font 0: 16 x 32, 1: 32 x 64, 2: 8 x 16, other: 32 x 64). Outside the
// window the box gets no columns and rows; the host is still told.
void GdiText(int32_t x, int32_t y, uint32_t columns, uint32_t rows, uint32_t foreground,
             uint32_t background, uint32_t font);
