#include "anvil/attributes.h"

#include <string.h>

#include "anvil/anvil_init.h"
#include "anvil/file_paths.h"
#include "anvil/text_lines.h"

namespace anvil {
namespace {

AttributeTable g_table;
TextLines g_lines;

bool HasSlashLetter(const char* line, uint32_t length, char letter) {
  for (uint32_t i = 0; i + 1 < length; ++i)
    if (line[i] == '/' && Upper(line[i + 1]) == letter) return true;
  return false;
}

// The extension of the last component of a path ("" without one).
const char* ExtensionOfPath(const char* path) {
  const char* slash = strrchr(path, '\\');
  const char* last = slash != nullptr ? slash + 1 : path;
  const char* dot = strrchr(last, '.');
  return dot != nullptr ? dot + 1 : "";
}

}  // namespace

bool AttributeLineCounts(const char* line, uint32_t length) {
  return memchr(line, '/', length) != nullptr;
}

bool AttributeFeedLine(AttributeParser* p, const char* line, uint32_t length) {
  if (p->stopped) return false;
  if (length >= 1 && line[0] == '*' && (length < 2 || line[1] != '.')) {
    p->stopped = true;
    return false;
  }
  if (!p->in_section) {
    p->in_section = length >= 4 && line[0] == '$' && Upper(line[1]) == 'A' &&
                    Upper(line[2]) == 'T' && Upper(line[3]) == 'R';
    return true;
  }
  char letter = 0;
  if (HasSlashLetter(line, length, 'R')) letter = 'R';
  if (HasSlashLetter(line, length, 'H')) letter = 'H';
  if (letter == 0) return true;
  AttributeTable* t = p->table;
  if (t->count >= t->capacity) return true;
  uint32_t n = 0;
  while (n < length && line[n] != ' ' && line[n] != '\t') ++n;
  uint8_t* record = t->records + t->count * kAttrRecordSize;
  memset(record, 0, kAttrRecordSize);
  record[0] = static_cast<uint8_t>(letter);
  char* path = reinterpret_cast<char*>(record + 1);
  uint32_t k = 0;
  if (memchr(line, '\\', n) == nullptr && p->system_directory != nullptr)
    for (const char* s = p->system_directory; *s != '\0' && k < kAttrPathMax; ++s) path[k++] = *s;
  for (uint32_t i = 0; i < n && k < kAttrPathMax; ++i) path[k++] = line[i];
  path[k] = '\0';
  ++t->count;
  return true;
}

Attribute AttributeOf(const AttributeTable* table, const char* path) {
  if (ContainsNoCase(path, "@TIME") || ContainsNoCase(path, "@INFO")) return kAttrProtected;
  for (uint32_t i = 0; table != nullptr && i < table->count; ++i) {
    const uint8_t* record = table->records + i * kAttrRecordSize;
    const char* pattern = reinterpret_cast<const char*>(record + 1);
    const char* star = strstr(pattern, "*.");
    bool match = star != nullptr ? EqualNoCase(ExtensionOfPath(path), star + 2)
                                 : EqualNoCase(path, pattern);
    if (match) return record[0] == 'H' ? kAttrHidden : kAttrProtected;
  }
  return kAttrNormal;
}

void AttributesLoad(const char* system_directory) {
  if (g_table.records != nullptr) AnvilFree(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(g_table.records)));
  g_table = AttributeTable();
  char path[160];
  if (!JoinText(path, sizeof path, system_directory != nullptr ? system_directory : "", "attrib.knf"))
    return;
  uint32_t lines = 0;
  if (!TextLinesOpen(&g_lines, path)) return;
  while (TextLinesNext(&g_lines))
    if (AttributeLineCounts(g_lines.line, g_lines.length)) ++lines;
  TextLinesClose(&g_lines);
  if (lines == 0) return;
  uint32_t block = AnvilAlloc(lines * kAttrRecordSize);
  if (block == 0) return;
  g_table.records = reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(block));
  g_table.capacity = lines;
  if (!TextLinesOpen(&g_lines, path)) return;
  AttributeParser parser{&g_table, system_directory};
  while (TextLinesNext(&g_lines))
    if (!AttributeFeedLine(&parser, g_lines.line, g_lines.length)) break;
  TextLinesClose(&g_lines);
}

const AttributeTable* Attributes() { return &g_table; }

Attribute AttributeOfPath(const char* path) { return AttributeOf(&g_table, path); }

}  // namespace anvil
