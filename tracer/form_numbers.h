// Number texts of the entry forms.
//
// A value field is ten characters and a NUL: the sign '+' or '-' at 0, then
// positions 1..9 holding digits, blanks and the decimal point at 9 - D for
// D = 3, 4 or 5 decimals. Its integer form counts units of the last
// decimal. A field holds at most eight digits, so |value| <= 99999999.
//
// Host texts are read from at most the host buffer's size (11 bytes) and
// never converted in place: a text that is no number, or does not fit a
// field, is refused (the caller shows "suma > max" or starts from 0).
#pragma once

#include <stdint.h>

constexpr int kFieldChars = 10;
constexpr int64_t kFieldMax = 99999999;
// Results at or beyond this magnitude are refused ("suma > max").
constexpr int64_t kResultLimit = 70000000;

// Decimals from the settings block (3 when unset or unknown).
int FormDecimals(const uint8_t* config_block);
inline int PointPosition(int decimals) { return 9 - decimals; }
// Cursor column of the units digit (the digit before the point).
inline int UnitsColumn(int decimals) { return 7 - decimals; }

// The field as an integer: blanks read as '0', the point skipped.
int64_t FieldToInteger(const char* field, int decimals);
// Sign, digits right-aligned, zeros elsewhere; false when it does not fit.
bool IntegerToField(int64_t value, int decimals, char* field);
// The starting fields: "+00000.000" and "+    0.000" for D = 3.
void ZeroField(int decimals, char* field);
void BlankZeroField(int decimals, char* field);
// Blanks read as '0', then leading zeros of the integer part blanked (at
// most four, never the digit before the point). Fixes a broken point too.
void TidyField(char* field, int decimals);

// A signed integer text (blanks around it allowed), read from at most
// `size` bytes with overflow detection; false when it is no number or
// beyond +-10^15.
bool ReadIntegerText(const char* text, uint32_t size, int64_t* value);
// A decimal text ("-12.5", " 3", "7.25000") to units of the last of D
// decimals, decimals beyond D cut; false when it is no number or does not
// fit a field.
bool DecimalTextToInteger(const char* text, uint32_t size, int decimals, int64_t* value);
// "-12.345": a '-' when negative, at least D+1 digits, the point before the
// last D. `out` holds 11 bytes; false when the text would not fit.
bool IntegerToDecimalText(int64_t value, int decimals, char* out);
void IntegerToText(int64_t value, char* out);  // "-12345"; out >= 21 bytes
// A decimal text right-aligned as a field: the sign (else '+') at 0, the
// rest right-aligned in 1..9, blanks between; false when it is too long.
bool RightAlign(const char* text, char* field);
