// ParamsValuesConvert: one section of a parameter table ("07: 12.5 ; feed"
// lines after a header line such as "$PAR") into program text assigning
// the control's R parameters ("\tR07=12.5\" feed\r\n"); lines before the
// section become comment lines (a double quote, the raw line).
#pragma once

#include <stddef.h>
#include <stdint.h>

#pragma pack(push, 1)
struct _PARAMS_CONVERT {
  const char* path;     // the parameter table
  const char* header;   // the section's header line, compared with each stripped line
  char* buffer;         // receives the program text, NUL-terminated
  uint32_t size;        // of the buffer in bytes
};
#pragma pack(pop)

static_assert(offsetof(_PARAMS_CONVERT, path) == 0);
static_assert(offsetof(_PARAMS_CONVERT, header) == 4);
static_assert(offsetof(_PARAMS_CONVERT, buffer) == 8);
static_assert(offsetof(_PARAMS_CONVERT, size) == 12);
static_assert(sizeof(_PARAMS_CONVERT) == 16);

// Characters of a line kept for its comment copy.
constexpr uint32_t kParamsRawMax = 998;
// Room a converted line needs beyond its text ("\tR", CR LF, NUL and one spare).
constexpr uint32_t kParamsLineExtra = 6;

// 0: converted to an end line "*" or the end of the file; 1: the file
// cannot be opened or read, or the buffer is too small (or empty).
namespace anvil {
uint32_t ParamsConvert(const _PARAMS_CONVERT* record);
}  // namespace anvil
