// Lines of the CAN loader's text files (the configuration file and the EDS
// files), taken from a buffer holding the whole file.
//
// A line ends at CR, LF or NUL and is cut after kConfigLineMax characters
// (the rest is read as the next line). Everything from ";" on is removed,
// then every blank and tab; lower-case letters become upper case.
#pragma once

#include <stdint.h>

constexpr uint32_t kConfigLineMax = 80;

struct ConfigLines {
  const uint8_t* data;
  uint32_t length;
  uint32_t position;
  char line[kConfigLineMax + 1];
};

void ConfigLinesStart(ConfigLines* lines, const uint8_t* data, uint32_t length);
// The next cleaned line into lines->line; false when no byte remains.
bool ConfigLinesNext(ConfigLines* lines);

// The value after the first "=" of a cleaned line: a leading "-" negates,
// "0X" makes it hexadecimal, otherwise decimal; it stops at the first other
// character. Extra digits keep the low 32 bits.
uint32_t ConfigValue(const char* line);
// Pointer just after the first "=" (null when there is none).
const char* ConfigValueText(const char* line);
// True when `key` occurs anywhere in `line`.
bool ConfigHasKey(const char* line, const char* key);
