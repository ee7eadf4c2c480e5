// How the preprocessor writes numbers into blocks.
#pragma once

#include <stdint.h>

constexpr uint32_t kNumberText = 24;  // enough for "-99999999999.999" and "OVERFLOW"

// A value: beyond +-1e11 "OVERFLOW"; else rounded to three decimals (0.0005
// away from zero), with its sign, integer part, point and decimals, trailing
// zeros and a trailing point removed (12.5, 3, -0.25). A value that rounds
// to zero is "0", never "-0".
void FormatNumber(double value, char out[kNumberText]);

// A value truncated toward zero, for integer words; "OVERFLOW" when the
// result does not fit 32 bits (or is not finite).
void FormatInteger(double value, char out[kNumberText]);

// Truncates toward zero into *result; false when it does not fit 32 bits.
bool TruncateToInt32(double value, int32_t* result);
// Rounds half away from zero into *result; false when it does not fit.
bool RoundToInt32(double value, int32_t* result);
