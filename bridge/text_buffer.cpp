#include "bridge/text_buffer.h"

void TextAppendChar(TextBuffer* b, char c) {
  if (b->length + 1 >= b->capacity) return;
  b->data[b->length++] = c;
  b->data[b->length] = '\0';
}

void TextAppend(TextBuffer* b, const char* text) {
  if (text == nullptr) return;
  while (*text != '\0') TextAppendChar(b, *text++);
}

void TextAppendRepeat(TextBuffer* b, char c, uint32_t count) {
  while (count-- > 0) TextAppendChar(b, c);
}

void TextAppendUnsigned(TextBuffer* b, uint32_t value) {
  char digits[10];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (n > 0) TextAppendChar(b, digits[--n]);
}

void TextAppendUnsignedRight(TextBuffer* b, uint32_t value, uint32_t width) {
  char digits[12];
  TextBuffer d = MakeTextBuffer(digits, sizeof digits);
  TextAppendUnsigned(&d, value);
  if (d.length < width) TextAppendRepeat(b, ' ', width - d.length);
  TextAppend(b, digits);
}

void TextAppendSigned(TextBuffer* b, int32_t value) {
  if (value < 0) {
    TextAppendChar(b, '-');
    TextAppendUnsigned(b, 0u - static_cast<uint32_t>(value));
  } else {
    TextAppendUnsigned(b, static_cast<uint32_t>(value));
  }
}

void TextAppendFixed(TextBuffer* b, double value, uint32_t decimals) {
  if (!(value - value == 0)) {
    TextAppend(b, value != value ? "nan" : value > 0 ? "inf" : "-inf");
    return;
  }
  if (value < 0) {
    TextAppendChar(b, '-');
    value = -value;
  }
  if (decimals > 9) decimals = 9;
  uint64_t unit = 1;
  for (uint32_t i = 0; i < decimals; ++i) unit *= 10;
  double rounded = value * static_cast<double>(unit) + 0.5;
  if (rounded >= 1.8e19) {  // past 64 bits: the magnitude is all that matters
    TextAppend(b, "1e19+");
    return;
  }
  uint64_t whole = static_cast<uint64_t>(rounded);
  char digits[24];
  int n = 0;
  uint64_t integer = whole / unit;
  do {
    digits[n++] = static_cast<char>('0' + integer % 10);
    integer /= 10;
  } while (integer != 0);
  while (n > 0) TextAppendChar(b, digits[--n]);
  if (decimals == 0) return;
  TextAppendChar(b, '.');
  uint64_t fraction = whole % unit;
  for (uint64_t div = unit / 10; div > 0; div /= 10) {
    TextAppendChar(b, static_cast<char>('0' + fraction / div));
    fraction %= div;
  }
}
