// Hexadecimal digits as the screens and files of every library write them:
// upper case, most significant digit first.
#pragma once

#include <stdint.h>

#include "bridge/text_buffer.h"

// The digit of the low four bits of `value`.
inline char HexDigit(uint32_t value) { return "0123456789ABCDEF"[value & 0xF]; }

// `digits` hexadecimal digits of the low bits of `value`, with leading zeros.
inline void TextAppendHex(TextBuffer* b, uint32_t value, uint32_t digits) {
  for (uint32_t i = digits; i > 0; --i) TextAppendChar(b, HexDigit(value >> (4 * (i - 1))));
}
