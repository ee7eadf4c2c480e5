#include "vitals/bcd_text.h"

#include "bridge/hex_digits.h"

void AppendBcd(TextBuffer* b, uint32_t bcd, uint32_t decimals) {
  uint32_t magnitude = bcd & 0x7FFFFFFFu;
  char digits[8];
  uint32_t n = 0;
  bool started = false;
  for (int shift = 28; shift >= 0; shift -= 4) {
    uint32_t digit = (magnitude >> shift) & 0xF;
    if (digit != 0) started = true;
    if (started) digits[n++] = HexDigit(digit);
  }
  if (n == 0) {
    TextAppend(b, "0.");
    TextAppendRepeat(b, '0', decimals);
    return;
  }
  if (bcd & 0x80000000u) TextAppendChar(b, '-');
  if (n <= decimals) {
    TextAppend(b, "0.");
    TextAppendRepeat(b, '0', decimals - n);
    for (uint32_t i = 0; i < n; ++i) TextAppendChar(b, digits[i]);
    return;
  }
  for (uint32_t i = 0; i < n; ++i) {
    if (i == n - decimals) TextAppendChar(b, '.');
    TextAppendChar(b, digits[i]);
  }
}

uint32_t BcdByteValue(uint8_t bcd) { return (bcd >> 4) * 10u + (bcd & 0xFu); }

uint32_t BcdLimitValue(uint32_t word) {
  uint32_t value = 0;
  for (int shift = 16; shift >= 0; shift -= 4) value = value * 10 + ((word >> shift) & 0xF);
  return value;
}
