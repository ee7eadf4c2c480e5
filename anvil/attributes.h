// File attributes from "attrib.knf" in the host's system directory.
//
// The file's attribute section starts at a line beginning with "$ATR"; in
// it a line holding "/R" (protected) or "/H" (hidden; wins over /R) names a
// path or a pattern "*.EXT" up to its first blank or tab; a path without
// '\' lies in the system directory. Reading stops at the first line that
// starts with '*' not followed by '.'.
//
// Records are 100 bytes: the letter 'R' or 'H', then the NUL-terminated
// path (98 characters at most).
#pragma once

#include <stddef.h>
#include <stdint.h>

namespace anvil {

enum Attribute : uint8_t { kAttrNormal = 1, kAttrProtected = 2, kAttrHidden = 3 };

constexpr uint32_t kAttrRecordSize = 100;
constexpr uint32_t kAttrPathMax = 98;

struct AttributeTable {
  uint8_t* records = nullptr;  // capacity x 100 bytes
  uint32_t capacity = 0;
  uint32_t count = 0;
};

// Parsing state over the lines of the file.
struct AttributeParser {
  AttributeTable* table;
  const char* system_directory;
  bool in_section = false;
  bool stopped = false;
};

// Whether a line counts towards the table's capacity (it holds a '/').
bool AttributeLineCounts(const char* line, uint32_t length);
// Takes one line; returns false once reading has stopped.
bool AttributeFeedLine(AttributeParser* p, const char* line, uint32_t length);

// The attribute of a full path: "@TIME" or "@INFO" anywhere (any case) is
// protected; else the first record that matches (a "*." pattern by the
// extension, any other by the whole path, both without regard to case).
Attribute AttributeOf(const AttributeTable* table, const char* path);

// Reads "attrib.knf" from the system directory into the library's table
// (records from the pool; an earlier table is freed). A missing file leaves
// an empty table.
void AttributesLoad(const char* system_directory);
// The library's table.
const AttributeTable* Attributes();
Attribute AttributeOfPath(const char* path);

}  // namespace anvil
