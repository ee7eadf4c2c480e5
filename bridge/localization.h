// Localized string tables.
//
// Each library carries one table per language as a resource (type 256,
// name 1, language id) in a Windows image resource tree. LocalizationInit
// selects a table, GetLocString hands out its texts by number.
//
// Table layout: u32 N, N u32 offsets from the table start, then the strings,
// each NUL-terminated, in the control's character set.
#pragma once

#include "bridge/host_api.h"

enum LanguageId : uint32_t {
  kLangCzech = 5, kLangGerman = 7, kLangEnglish = 9, kLangFrench = 12,
  kLangHungarian = 14, kLangPolish = 21, kLangRussian = 25, kLangSlovenian = 36,
};

// The library's own string tables, generated at build time as a small image
// holding only a resource tree (see tools/mkres.cpp).
extern const uint8_t kBuiltinStringImage[];
extern const uint32_t kBuiltinStringImageSize;

// Finds the table (256, 1, language) in an image of `size` readable bytes.
// Returns the table, or null when the image is malformed, the table is
// missing, or the table itself is inconsistent (an offset past its end, a
// last string without its NUL). Never reads outside [image, image + size).
const uint8_t* FindStringTable(const uint8_t* image, uint32_t size, uint32_t language,
                               uint32_t* table_size);

// Selects the table of `language`; a null image or the library's own load
// base selects from the built-in tables. Returns 1 when found, else 0 (and
// then no table is selected).
int LocalizationSelect(const void* image, uint32_t language);

// Text `id` of the selected table, or null (no table, or id >= N).
const char* LocText(uint32_t id);

// Number of strings of the selected table (0 when none is selected).
uint32_t LocCount();
