// Bounded text assembly without the C library's formatted output (the
// libraries import no stdio). The buffer always stays NUL-terminated and
// silently stops growing at its capacity.
#pragma once

#include <stdint.h>

struct TextBuffer {
  char* data;
  uint32_t capacity;  // bytes, including the terminating NUL
  uint32_t length;
};

inline TextBuffer MakeTextBuffer(char* data, uint32_t capacity) {
  data[0] = '\0';
  return TextBuffer{data, capacity, 0};
}

void TextAppend(TextBuffer* b, const char* text);
void TextAppendChar(TextBuffer* b, char c);
void TextAppendRepeat(TextBuffer* b, char c, uint32_t count);
void TextAppendUnsigned(TextBuffer* b, uint32_t value);
// The number right-aligned in `width` columns (wider numbers are not cut).
void TextAppendUnsignedRight(TextBuffer* b, uint32_t value, uint32_t width);
void TextAppendSigned(TextBuffer* b, int32_t value);
// Fixed-point decimal with `decimals` places (at most 9), rounded half up;
// "nan", "inf" for values that are not finite.
void TextAppendFixed(TextBuffer* b, double value, uint32_t decimals);
