#include "tracer/form_numbers.h"

#include "tracer/host_services.h"
#include "tracer/tracer_record.h"

namespace {

constexpr int64_t kTextLimit = 1000000000000000;  // 10^15

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Bounded length of a host text.
uint32_t HostLength(const char* text, uint32_t size) {
  uint32_t n = 0;
  while (n < size && text[n] != '\0') ++n;
  return n;
}

}  // namespace

int FormDecimals(const uint8_t* config_block) {
  uint32_t d = (BlockWord(config_block, kConfigDecimals) >> 8) & 0xF;
  if (d == 0) d = BlockWord(config_block, kConfigDecimalsAlt) & 0xF;
  return d == 4 || d == 5 ? static_cast<int>(d) : 3;
}

int64_t FieldToInteger(const char* field, int decimals) {
  int64_t value = 0;
  for (int i = 1; i < kFieldChars; ++i) {
    if (i == PointPosition(decimals)) continue;
    value = value * 10 + (IsDigit(field[i]) ? field[i] - '0' : 0);
  }
  return field[0] == '-' ? -value : value;
}

bool IntegerToField(int64_t value, int decimals, char* field) {
  const bool negative = value < 0;
  uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  if (magnitude > static_cast<uint64_t>(kFieldMax)) return false;
  field[0] = negative ? '-' : '+';
  for (int i = kFieldChars - 1; i >= 1; --i) {
    if (i == PointPosition(decimals)) {
      field[i] = '.';
      continue;
    }
    field[i] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  }
  field[kFieldChars] = '\0';
  return true;
}

void ZeroField(int decimals, char* field) { IntegerToField(0, decimals, field); }

void BlankZeroField(int decimals, char* field) {
  ZeroField(decimals, field);
  TidyField(field, decimals);
}

void TidyField(char* field, int decimals) {
  const int point = PointPosition(decimals);
  if (field[0] != '-') field[0] = '+';
  for (int i = 1; i < kFieldChars; ++i) {
    if (i == point) field[i] = '.';
    else if (!IsDigit(field[i])) field[i] = '0';
  }
  field[kFieldChars] = '\0';
  for (int i = 1, blanked = 0; i < point - 1 && blanked < 4 && field[i] == '0'; ++i, ++blanked) field[i] = ' ';
}

bool ReadIntegerText(const char* text, uint32_t size, int64_t* value) {
  const uint32_t n = HostLength(text, size);
  uint32_t i = 0;
  while (i < n && text[i] == ' ') ++i;
  bool negative = false;
  if (i < n && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  int64_t v = 0;
  uint32_t digits = 0;
  for (; i < n && IsDigit(text[i]); ++i, ++digits) {
    v = v * 10 + (text[i] - '0');
    if (v >= kTextLimit) return false;
  }
  while (i < n && text[i] == ' ') ++i;
  if (digits == 0 || i != n) return false;
  *value = negative ? -v : v;
  return true;
}

bool DecimalTextToInteger(const char* text, uint32_t size, int decimals, int64_t* value) {
  const uint32_t n = HostLength(text, size);
  uint32_t i = 0;
  bool negative = false, point = false;
  int64_t v = 0;
  int digits = 0, fraction = 0;
  while (i < n && text[i] == ' ') ++i;
  if (i < n && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  for (; i < n; ++i) {
    const char c = text[i];
    if (c == ' ') continue;  // blanks inside a right-aligned field
    if (c == '.' && !point) {
      point = true;
    } else if (IsDigit(c)) {
      ++digits;
      if (point && fraction == decimals) continue;  // decimals beyond D are cut
      if (point) ++fraction;
      v = v * 10 + (c - '0');
      if (v > kFieldMax) return false;
    } else {
      return false;
    }
  }
  if (digits == 0) return false;
  for (; fraction < decimals; ++fraction) {
    v *= 10;
    if (v > kFieldMax) return false;
  }
  *value = negative ? -v : v;
  return true;
}

void IntegerToText(int64_t value, char* out) {
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  char digits[21];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude > 0);
  int n = 0;
  if (value < 0) out[n++] = '-';
  while (count > 0) out[n++] = digits[--count];
  out[n] = '\0';
}

bool IntegerToDecimalText(int64_t value, int decimals, char* out) {
  char digits[21];
  IntegerToText(value < 0 ? -value : value, digits);
  int count = 0;
  while (digits[count] != '\0') ++count;
  const int shown = count < decimals + 1 ? decimals + 1 : count;
  const int length = (value < 0 ? 1 : 0) + shown + 1;
  if (length > kFieldChars) return false;
  int n = 0;
  if (value < 0) out[n++] = '-';
  for (int k = shown; k > 0; --k) {
    if (k == decimals) out[n++] = '.';
    out[n++] = k > count ? '0' : digits[count - k];
  }
  out[n] = '\0';
  return true;
}

bool RightAlign(const char* text, char* field) {
  uint32_t i = 0;
  char sign = '+';
  if (text[0] == '-' || text[0] == '+') sign = text[i++];
  char body[kFieldChars];
  int n = 0;
  for (; text[i] != '\0'; ++i) {
    if (text[i] == ' ') continue;
    if (n == kFieldChars - 1) return false;
    body[n++] = text[i];
  }
  field[0] = sign;
  for (int k = 1; k < kFieldChars; ++k) {
    const int from = n - (kFieldChars - k);
    field[k] = from >= 0 ? body[from] : ' ';
  }
  field[kFieldChars] = '\0';
  return true;
}
