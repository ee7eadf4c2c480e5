// The LED strip: eight lamps (plain) or five lamps with symbols
// (labelled), each drawn from 1-bit 32 x 32 icons as horizontal runs of
// fills inside its own box at y 8.
#pragma once

#include <stdint.h>

#include "vitals/io_records.h"

// A 1-bit icon: one 32-bit word per row, bit 31 the leftmost pixel.
struct LedIcon {
  uint32_t rows[32];
};

constexpr int kLedTop = 8, kLedSize = 32, kLedPitch = 48, kLedLeft = 16;
constexpr int kPlainLeds = 8, kLabelledLeds = 5;

struct LedState {
  bool drawn;          // false until the strip was drawn once
  uint8_t leds;        // the LED byte last drawn
  bool labelled;       // the mode last drawn
};

// CLR_PREFIX_LED: clears the strip with one fill, then draws every lamp.
void LedPrefix(LedState* s, const _LEDDIODY* record);
// ZMENA_LED: redraws the lamps only when the LED byte (or the mode)
// differs from what was last drawn; the first call always draws.
void LedChange(LedState* s, const _LEDDIODY* record);

// The icons, for tests: outline, filled lamp, rim, and symbol k (0 to 4).
const LedIcon& LedOutline();
const LedIcon& LedFilled();
const LedIcon& LedRim();
const LedIcon& LedSymbol(int k);
