#include "bridge/localization.h"

#include <string.h>

// Start of this library's own loaded image (provided by the linker).
extern "C" const uint8_t __ehdr_start[] __attribute__((visibility("hidden")));

namespace {

const uint8_t* g_table = nullptr;
uint32_t g_table_count = 0;

// Bounds-checked little-endian reads.
bool ReadU32(const uint8_t* base, uint32_t size, uint32_t offset, uint32_t* out) {
  if (offset > size || size - offset < 4) return false;
  memcpy(out, base + offset, 4);
  return true;
}

bool ReadU16(const uint8_t* base, uint32_t size, uint32_t offset, uint16_t* out) {
  if (offset > size || size - offset < 2) return false;
  memcpy(out, base + offset, 2);
  return true;
}

constexpr uint32_t kHighBit = 0x80000000u;
constexpr uint32_t kResourceType = 256;
constexpr uint32_t kResourceName = 1;

// Scans one resource directory at `dir` (offset inside the image) for the
// first numeric entry with `id` whose kind (subdirectory or data) matches.
// Returns the entry's offset field with the high bit removed, or false.
bool FindEntry(const uint8_t* image, uint32_t size, uint32_t dir, uint32_t id,
               bool want_directory, uint32_t* target) {
  uint16_t named = 0, numbered = 0;
  if (!ReadU16(image, size, dir + 12, &named) || !ReadU16(image, size, dir + 14, &numbered))
    return false;
  uint32_t entries = static_cast<uint32_t>(named) + numbered;
  for (uint32_t i = 0; i < entries; ++i) {
    uint32_t name = 0, offset = 0;
    uint32_t at = dir + 16 + 8 * i;
    if (at < dir) return false;  // wrapped
    if (!ReadU32(image, size, at, &name) || !ReadU32(image, size, at + 4, &offset)) return false;
    if ((name & kHighBit) != 0 || name != id) continue;
    bool is_directory = (offset & kHighBit) != 0;
    if (is_directory != want_directory) continue;
    *target = offset & ~kHighBit;
    return true;
  }
  return false;
}

// A table is usable when its offsets lie inside it and its last byte ends a
// string, so every text handed out is terminated inside the table.
bool TableIsSound(const uint8_t* table, uint32_t size) {
  uint32_t count = 0;
  if (!ReadU32(table, size, 0, &count)) return false;
  if (count > (size - 4) / 4) return false;
  uint32_t strings_start = 4 + 4 * count;
  if (strings_start >= size || table[size - 1] != 0) return false;
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t offset = 0;
    ReadU32(table, size, 4 + 4 * i, &offset);
    if (offset >= size) return false;
  }
  return true;
}

}  // namespace

const uint8_t* FindStringTable(const uint8_t* image, uint32_t size, uint32_t language,
                               uint32_t* table_size) {
  if (image == nullptr) return nullptr;
  // DOS header -> PE header -> optional header -> data directory 2.
  uint32_t pe = 0;
  if (!ReadU32(image, size, 0x3C, &pe)) return nullptr;
  if (pe > size || size - pe < 24 + 96 + 3 * 8) return nullptr;
  uint32_t optional = pe + 24;
  uint32_t resource_rva = 0, resource_size = 0;
  if (!ReadU32(image, size, optional + 96 + 2 * 8, &resource_rva)) return nullptr;
  if (!ReadU32(image, size, optional + 96 + 2 * 8 + 4, &resource_size)) return nullptr;
  if (resource_rva == 0 || resource_rva >= size) return nullptr;

  const uint8_t* tree = image + resource_rva;
  uint32_t tree_size = size - resource_rva;
  uint32_t level2 = 0, level3 = 0, data = 0;
  if (!FindEntry(tree, tree_size, 0, kResourceType, true, &level2)) return nullptr;
  if (!FindEntry(tree, tree_size, level2, kResourceName, true, &level3)) return nullptr;
  if (!FindEntry(tree, tree_size, level3, language, false, &data)) return nullptr;

  uint32_t data_rva = 0, data_size = 0;
  if (!ReadU32(tree, tree_size, data, &data_rva) || !ReadU32(tree, tree_size, data + 4, &data_size))
    return nullptr;
  if (data_rva > size || size - data_rva < data_size) return nullptr;
  if (!TableIsSound(image + data_rva, data_size)) return nullptr;
  if (table_size != nullptr) *table_size = data_size;
  return image + data_rva;
}

int LocalizationSelect(const void* image, uint32_t language) {
  g_table = nullptr;
  g_table_count = 0;
  const uint8_t* bytes = static_cast<const uint8_t*>(image);
  uint32_t size = 0;
  if (bytes == nullptr || bytes == __ehdr_start) {
    bytes = kBuiltinStringImage;
    size = kBuiltinStringImageSize;
  } else {
    // A foreign image carries no size: allow reads up to the end of the
    // address space; every offset is still checked against that bound.
    size = static_cast<uint32_t>(0xFFFFFFFFu - reinterpret_cast<uintptr_t>(bytes));
  }
  const uint8_t* table = FindStringTable(bytes, size, language, nullptr);
  if (table == nullptr) return 0;
  memcpy(&g_table_count, table, 4);
  g_table = table;
  return 1;
}

const char* LocText(uint32_t id) {
  if (g_table == nullptr || id >= g_table_count) return nullptr;
  uint32_t offset = 0;
  memcpy(&offset, g_table + 4 + 4 * id, 4);
  return reinterpret_cast<const char*>(g_table + offset);
}

uint32_t LocCount() { return g_table_count; }
