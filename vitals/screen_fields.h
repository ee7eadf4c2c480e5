// Fixed-width fields of the diagnostic screens: numbers padded with zeros,
// bit strings and the ten-character thousandths field (hexadecimal fields:
// TextAppendHex).
// Every function writes exactly its field's width, so a value can never
// spill into the next field.
#pragma once

#include <stdint.h>

#include "bridge/text_buffer.h"

// `value` as `width` decimal digits with leading zeros (1 to 10); a value
// that needs more digits shows `width` '*'.
void AppendZeroPadded(TextBuffer* b, uint32_t value, uint32_t width);
// '-' or '+' and then `width` digits as above.
void AppendSignedPadded(TextBuffer* b, int32_t value, uint32_t width);
// Bits `count - 1` down to 0 as '1' and '0'.
void AppendBits(TextBuffer* b, uint32_t value, uint32_t count);

// Thousandths in ten characters, right-aligned: blanks, sign, integer
// part, comma, three decimals ("    +0,005", "    -1,234"). A value of
// more than eight digits shows ten blanks; INT32_MIN is never negated.
constexpr uint32_t kThousandthsWidth = 10;
void AppendThousandths(TextBuffer* b, int32_t value);
