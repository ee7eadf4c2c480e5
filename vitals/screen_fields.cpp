#include "vitals/screen_fields.h"

namespace {
// Digits of `magnitude`, least significant first; returns their count.
uint32_t Digits(uint32_t magnitude, char digits[10]) {
  uint32_t n = 0;
  do {
    digits[n++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  return n;
}

// The magnitude of any i32 as u32 (INT32_MIN included, without overflow).
uint32_t Magnitude(int32_t value) {
  return value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
}
}  // namespace

void AppendZeroPadded(TextBuffer* b, uint32_t value, uint32_t width) {
  if (width == 0 || width > 10) return;
  char digits[10];
  uint32_t n = Digits(value, digits);
  if (n > width) {
    TextAppendRepeat(b, '*', width);
    return;
  }
  TextAppendRepeat(b, '0', width - n);
  while (n > 0) TextAppendChar(b, digits[--n]);
}

void AppendSignedPadded(TextBuffer* b, int32_t value, uint32_t width) {
  TextAppendChar(b, value < 0 ? '-' : '+');
  AppendZeroPadded(b, Magnitude(value), width);
}

void AppendBits(TextBuffer* b, uint32_t value, uint32_t count) {
  for (uint32_t i = count; i > 0; --i) TextAppendChar(b, (value >> (i - 1)) & 1 ? '1' : '0');
}

void AppendThousandths(TextBuffer* b, int32_t value) {
  char digits[10];
  uint32_t n = Digits(Magnitude(value), digits);
  if (n > 8) {
    TextAppendRepeat(b, ' ', kThousandthsWidth);
    return;
  }
  while (n < 4) digits[n++] = '0';  // at least "0,000"
  // sign + digits + comma
  TextAppendRepeat(b, ' ', kThousandthsWidth - (n + 2));
  TextAppendChar(b, value < 0 ? '-' : '+');
  while (n > 3) TextAppendChar(b, digits[--n]);
  TextAppendChar(b, ',');
  while (n > 0) TextAppendChar(b, digits[--n]);
}
