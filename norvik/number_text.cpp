#include "norvik/number_text.h"

#include <math.h>
#include <string.h>

namespace {

constexpr double kNumberLimit = 1e11;

// Writes `value` (below 2^63) in decimal at *p, advancing it.
void PutUnsigned(char** p, uint64_t value) {
  char digits[20];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (n > 0) *(*p)++ = digits[--n];
}

}  // namespace

void FormatNumber(double value, char out[kNumberText]) {
  if (!(value <= kNumberLimit && value >= -kNumberLimit)) {
    strcpy(out, "OVERFLOW");
    return;
  }
  bool negative = value < 0;
  double magnitude = fabs(value) + 0.0005;
  double whole = floor(magnitude);
  uint64_t integer = static_cast<uint64_t>(whole);
  uint32_t thousandths = static_cast<uint32_t>((magnitude - whole) * 1000);
  if (thousandths > 999) thousandths = 999;
  char* p = out;
  if (negative && (integer != 0 || thousandths != 0)) *p++ = '-';
  PutUnsigned(&p, integer);
  if (thousandths != 0) {
    *p++ = '.';
    *p++ = static_cast<char>('0' + thousandths / 100);
    *p++ = static_cast<char>('0' + thousandths / 10 % 10);
    *p++ = static_cast<char>('0' + thousandths % 10);
    while (p[-1] == '0') --p;
  }
  *p = '\0';
}

bool TruncateToInt32(double value, int32_t* result) {
  double t = trunc(value);
  if (!(t >= -2147483648.0 && t <= 2147483647.0)) return false;
  *result = static_cast<int32_t>(t);
  return true;
}

bool RoundToInt32(double value, int32_t* result) {
  return TruncateToInt32(value < 0 ? value - 0.5 : value + 0.5, result);
}

void FormatInteger(double value, char out[kNumberText]) {
  int32_t v = 0;
  if (!TruncateToInt32(value, &v)) {
    strcpy(out, "OVERFLOW");
    return;
  }
  char* p = out;
  if (v < 0) *p++ = '-';
  PutUnsigned(&p, v < 0 ? static_cast<uint64_t>(-static_cast<int64_t>(v)) : static_cast<uint64_t>(v));
  *p = '\0';
}
