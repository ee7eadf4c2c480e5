#include "vitals/config_lines.h"

void ConfigLinesStart(ConfigLines* lines, const uint8_t* data, uint32_t length) {
  lines->data = data;
  lines->length = length;
  lines->position = 0;
  lines->line[0] = '\0';
}

namespace {

bool IsLineEnd(uint8_t c) { return c == '\r' || c == '\n' || c == '\0'; }

// Drops the comment, the blanks and tabs, and turns letters to upper case.
void Clean(char* line) {
  uint32_t out = 0;
  for (uint32_t in = 0; line[in] != '\0' && line[in] != ';'; ++in) {
    char c = line[in];
    if (c == ' ' || c == '\t') continue;
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    line[out++] = c;
  }
  line[out] = '\0';
}

}  // namespace

bool ConfigLinesNext(ConfigLines* lines) {
  if (lines->position >= lines->length) return false;
  uint32_t n = 0;
  while (lines->position < lines->length && n < kConfigLineMax) {
    uint8_t c = lines->data[lines->position];
    if (IsLineEnd(c)) break;
    lines->line[n++] = static_cast<char>(c);
    ++lines->position;
  }
  // One terminator belongs to the line; a cut line goes on as the next one.
  if (lines->position < lines->length && n < kConfigLineMax) ++lines->position;
  lines->line[n] = '\0';
  Clean(lines->line);
  return true;
}

const char* ConfigValueText(const char* line) {
  for (; *line != '\0'; ++line)
    if (*line == '=') return line + 1;
  return nullptr;
}

uint32_t ConfigValue(const char* line) {
  const char* p = ConfigValueText(line);
  if (p == nullptr) return 0;
  bool negative = *p == '-';
  if (negative) ++p;
  uint32_t value = 0;
  if (p[0] == '0' && p[1] == 'X') {
    for (p += 2;; ++p) {
      uint32_t digit;
      if (*p >= '0' && *p <= '9') digit = static_cast<uint32_t>(*p - '0');
      else if (*p >= 'A' && *p <= 'F') digit = static_cast<uint32_t>(*p - 'A' + 10);
      else break;
      value = value * 16u + digit;
    }
  } else {
    for (; *p >= '0' && *p <= '9'; ++p) value = value * 10u + static_cast<uint32_t>(*p - '0');
  }
  return negative ? 0u - value : value;
}

bool ConfigHasKey(const char* line, const char* key) {
  for (; *line != '\0'; ++line) {
    uint32_t i = 0;
    while (key[i] != '\0' && line[i] == key[i]) ++i;
    if (key[i] == '\0') return true;
  }
  return false;
}
