#include "anvil/dir_listing.h"

#include <string.h>

#include "anvil/file_paths.h"

namespace anvil {
namespace {

void CopyCut(char* to, const char* from, size_t n, size_t max) {
  if (n > max) n = max;
  memcpy(to, from, n);
  to[n] = '\0';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The run of digits that ends at `column`: at least one, at most 10, and
// the value must fit in 32 bits.
bool DigitsEndingAt(const char* line, uint32_t column, uint32_t* value) {
  if (!IsDigit(line[column])) return false;
  uint32_t start = column;
  while (start > 0 && IsDigit(line[start - 1]) && column - start < 9) --start;
  if (start > 0 && IsDigit(line[start - 1])) return false;  // more than 10 digits
  uint64_t v = 0;
  for (uint32_t i = start; i <= column; ++i) v = v * 10 + static_cast<uint32_t>(line[i] - '0');
  if (v > 0xFFFFFFFFull) return false;
  *value = static_cast<uint32_t>(v);
  return true;
}

const char kMonths[12][4] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                             "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

}  // namespace

void SetEntryName(DirEntry* e, const char* name, bool directory) {
  memset(e->short_name, 0, sizeof e->short_name);
  memset(e->extension, 0, sizeof e->extension);
  memset(e->long_name, 0, sizeof e->long_name);
  size_t n = strlen(name);
  if (name[0] == '.') {
    CopyCut(e->short_name, name, n, 8);
    CopyCut(e->long_name, name, n, 29);
    return;
  }
  const char* dot = strrchr(name, '.');
  size_t base = dot != nullptr ? static_cast<size_t>(dot - name) : n;
  if (dot != nullptr) {
    CopyCut(e->extension, dot + 1, strlen(dot + 1), 3);
    for (char* c = e->extension; *c != '\0'; ++c)
      if (*c == ' ') *c = '_';
  }
  CopyCut(e->long_name, name, base, 29);
  CopyCut(e->short_name, e->long_name, strlen(e->long_name), 8);
  for (char* c = e->short_name; *c != '\0'; ++c)
    if (*c == ' ' || *c == '.') *c = '_';
  for (char* c = e->short_name; *c != '\0'; ++c) *c = directory ? Upper(*c) : Lower(*c);
  for (char* c = e->extension; *c != '\0'; ++c) *c = directory ? Upper(*c) : Lower(*c);
}

bool ParseLongListingLine(const char* line, uint32_t length, DirEntry* e, const char** name,
                          uint32_t* name_length) {
  if (length < 55) return false;
  memset(e, 0, sizeof *e);
  bool directory = Upper(line[0]) == 'D';
  uint32_t size = 0, day = 0, hour = 0, minute = 0, year = 0;
  if (!DigitsEndingAt(line, 39, &size)) return false;
  int month = 0;
  for (int m = 0; m < 12 && month == 0; ++m)
    if (Upper(line[41]) == kMonths[m][0] && Upper(line[42]) == kMonths[m][1] &&
        Upper(line[43]) == kMonths[m][2])
      month = m + 1;
  if (month == 0) return false;
  if (!DigitsEndingAt(line, 46, &day) || day > 31) return false;
  if (line[50] == ':') {
    if (!DigitsEndingAt(line, 49, &hour) || !DigitsEndingAt(line, 52, &minute)) return false;
    if (hour > 23 || minute > 59) return false;
    year = kYearRecent;
  } else {
    if (!DigitsEndingAt(line, 52, &year) || year > 0xFFFF) return false;
  }
  e->size = size;
  e->day = static_cast<uint8_t>(day);
  e->month = static_cast<uint8_t>(month);
  e->hour = static_cast<uint8_t>(hour);
  e->minute = static_cast<uint8_t>(minute);
  e->year = static_cast<uint16_t>(year);
  e->flags = directory ? kEntryDirectory : 0;
  *name = line + 54;
  *name_length = length - 54;
  return true;
}

void ParseNamesOnlyLine(const char* line, uint32_t length, DirEntry* e, const char** name,
                        uint32_t* name_length) {
  memset(e, 0, sizeof *e);
  e->year = kYearNamesOnly;
  *name = line;
  *name_length = length;
}

}  // namespace anvil
