// The LED status window of libMosaic: the second height-sensor correction
// and the state of the coordinate transformation, or, in its second mode,
// a pair of stored coordinates converted through the active transformation.
#pragma once

#include <stdint.h>

#include "mosaic/mosaic_records.h"

// Palette bytes the window copies (20, 21, 22, 25, 27, 29, 33), by byte.
struct LedPalette {
  uint8_t bytes[34];
};

// "-0.001", "1543.209": the correction in eighths of a micrometre as
// millimetres with three decimals, truncated toward zero to micrometres.
// `out` holds at least 16 bytes.
void FormatHeightCorrection(int32_t eighths, char* out);

// A sign-magnitude BCD coordinate: bit 31 the sign, eight digits units
// first in bits 0-30.
double DecodeBcdCoordinate(uint32_t word);

// The transformation state read from the shared memory block.
enum class TransformState : uint8_t { kInactive, kVariantA, kVariantB, kActiveOther };
TransformState ReadTransformState(const uint8_t* memory);

// first = m0 a + m1 b, second = m3 a + m4 b in extended precision while the
// transformation is active; a and b unchanged otherwise.
void ConvertCoordinates(const uint8_t* memory, uint32_t word_first, uint32_t word_second, double* first,
                        double* second);

// Writes the two lines through the bound display block.
void DrawLedWindow(const LedPalette& palette, const uint8_t* memory);
