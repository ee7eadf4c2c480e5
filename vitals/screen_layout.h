// Anchors of the screens that share the working area with another window:
// "C" the whole area, "L" its left half, "P" its right half.
#pragma once

#include <stdint.h>

#include "bridge/display.h"
#include "bridge/gdi.h"
#include "vitals/vitals_service.h"

struct ScreenArea {
  int x, width;    // the window
  int text_x;      // where text rows start
  bool whole;      // "C"
};

constexpr int kAreaTop = 93, kAreaHeight = 487;
constexpr int kTextTop = 96, kRowStep = 16, kCharWidth = 8;

// False for letters other than C, L and P (the screen draws nothing).
bool StrictArea(char layout, ScreenArea* area);
// Any letter: 'C' whole, 'P' right half, anything else the left half.
ScreenArea LooseArea(char layout);
// Fills the window in the background colour.
void ClearArea(const ScreenArea& area);
// Text row `row` below the first (y of row 0 is kTextTop).
inline int RowY(int row) { return kTextTop + kRowStep * row; }

// Text at a column and row of the area, its box sized to the text (lines
// split at "\n"); a null text draws nothing. Ink on the window colour
// unless colours are given.
void AreaText(const ScreenArea& area, int column, int row, const char* text);
void AreaTextIn(const ScreenArea& area, int column, int row, uint32_t fg, uint32_t bg, const char* text);
// The caption band at the top of the window with `text` in it.
void AreaCaption(const ScreenArea& area, const char* text);
// The default colours.
uint32_t AreaInk();
uint32_t AreaPaper();
