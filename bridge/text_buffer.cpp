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

void TextAppendSigned(TextBuffer* b, int32_t value) {
  if (value < 0) {
    TextAppendChar(b, '-');
    TextAppendUnsigned(b, 0u - static_cast<uint32_t>(value));
  } else {
    TextAppendUnsigned(b, static_cast<uint32_t>(value));
  }
}
