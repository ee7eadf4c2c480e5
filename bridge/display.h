// The host's display block, as the screens of Vitals, Glint, Tracer and
// Mosaic reach it: their records carry the host's dispatch entry at offset 2
// and a pointer to the block at offset 6.
//
// The block is read two ways: bytes 20 to 37 are palette colour numbers,
// and its 32-bit words from word 18 on are service handles. The screens use
// these words (arguments after handle and count):
//   18 set colours   fg, bg                 for the following fills and lines
//   21 fill          packed top-left, packed size
//   24 line          packed start, packed end, 16-bit pattern (bit 15 first)
//   25 arc           packed centre, packed start, packed end, 65535
//                    (counter-clockwise from start to end on the screen; a
//                    full circle when start equals end)
//   33 text position and style, in one of two argument orders:
//        screen style (Vitals, Glint): packed position, extent (columns in
//          bits 0-7, rows in bits 8-15), fg, bg, font
//        form style (Tracer, Mosaic): packed position, font, fg, bg, 2
//   35 write text    NUL-terminated string, at the text cursor
//   46 write char    one character, at the text cursor
// Word 33 sets only the text colours; a screen calls word 18 before its
// fills and lines.
#pragma once

#include "bridge/host_api.h"

enum DisplayWord : int {
  kDisplaySetColors = 18,
  kDisplayFill = 21,
  kDisplayLine = 24,
  kDisplayArc = 25,
  kDisplayTextStyle = 33,
  kDisplayWriteText = 35,
  kDisplayWriteChar = 46,
};

// Every word from 18 up to this one may carry a handle.
constexpr int kDisplayLastWord = 127;
constexpr int kDisplayBlockSize = 4 * (kDisplayLastWord + 1);

// Palette bytes of the block (Glint's names).
enum DisplayPaletteByte : int {
  BARVA_T15 = 20,
  BARVA_T14 = 21,
  BARVA_T13 = 22,
  BARVA_T12 = 23,
  BARVA_P3 = 24,
  BARVA_P2 = 25,
  BARVA_P1 = 26,
  BARVA_P0 = 27,
  BARVA_SVETLEJSI = 28,
  BARVA_VYPLN = 29,
  BARVA_TMAVSI = 30,
  BARVA_ZLUTA = 31,
  BARVA_FIAL = 32,
  BARVA_RUDA = 33,
  BARVA_ZELENA = 34,
  BARVA_TMZELENA = 35,
  BARVA_36 = 36,
  BARVA_ZELENA_MENU = 37,
};
constexpr int kDisplayPaletteFirst = 20;
constexpr int kDisplayPaletteLast = 37;

// The extent of a screen-style text box.
inline uint32_t DisplayExtent(int columns, int rows) {
  return (static_cast<uint32_t>(columns) & 0xFF) | (static_cast<uint32_t>(rows) & 0xFF) << 8;
}

// ---------------------------------------------------------------------------
// The library's side: the entry and block it draws through, and wrappers.
// A missing dispatch entry, block or handle makes a wrapper do nothing, and
// a null text is never passed to the host.

struct DisplayLink {
  HostDispatch dispatch;
  const uint8_t* block;
};
extern DisplayLink g_display;

// Takes the dispatch entry (offset 2) and block pointer (offset 6) of a
// screen's record; a null record unbinds.
void DisplayBind(const void* record);
bool DisplayBound();
// Palette byte 20 to 37 of the block, read now (0 when unbound).
uint8_t DisplayPalette(int byte);

void DisplaySetColors(uint32_t foreground, uint32_t background);
void DisplayFill(uint32_t top_left, uint32_t size);
void DisplayLine(uint32_t from, uint32_t to, uint16_t pattern);
void DisplayArc(uint32_t centre, uint32_t start, uint32_t end);
// Word 33 in screen style and in form style.
void DisplayTextScreen(uint32_t at, uint32_t extent, uint32_t foreground, uint32_t background,
                       uint32_t font);
void DisplayTextForm(uint32_t at, uint32_t font, uint32_t foreground, uint32_t background);
void DisplayWriteText(const char* text);
void DisplayWriteChar(char c);
