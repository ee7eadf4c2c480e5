// LoadPlcText: the PLC message texts of one language into the host's table
// of numbered strings, in the control's character set.
//
// The file PLCS_<code>.TXT (UTF-16 LE with a byte-order mark, or code page
// 1250) is read whole, converted in place, and parsed: "$TXT", version "1",
// then entries of a number and one or more quoted strings.
#pragma once

#include <stddef.h>
#include <stdint.h>

#pragma pack(push, 1)
struct _LOADPLSTEXT {
  uint16_t size;          // as the host fills it; not read
  uint32_t table;         // table of text pointers (u32 each)
  uint32_t entries;       // number of entries in that table
  uint32_t storage;       // text storage
  uint32_t storage_size;
  uint32_t directory;     // path of the folder, ending with the separator
  uint32_t language;      // 5, 7, 9, 12, 14, 21, 25 or 36
  uint32_t buffer;        // file buffer
  uint32_t buffer_size;
};
#pragma pack(pop)

static_assert(offsetof(_LOADPLSTEXT, table) == 2);
static_assert(offsetof(_LOADPLSTEXT, entries) == 6);
static_assert(offsetof(_LOADPLSTEXT, storage) == 10);
static_assert(offsetof(_LOADPLSTEXT, storage_size) == 14);
static_assert(offsetof(_LOADPLSTEXT, directory) == 18);
static_assert(offsetof(_LOADPLSTEXT, language) == 22);
static_assert(offsetof(_LOADPLSTEXT, buffer) == 26);
static_assert(offsetof(_LOADPLSTEXT, buffer_size) == 30);
static_assert(sizeof(_LOADPLSTEXT) == 34);

// Bytes kept free at the end of the text storage.
constexpr uint32_t kPlcStorageReserve = 100;

enum : int32_t {
  kPlcLoaded = 0,
  kPlcOpenFailed = -2,
  kPlcEmptyOrTooLarge = -3,
  kPlcReadFailed = -4,
  kPlcBadLanguage = -9,
  kPlcBadVersion = -10,   // also: no "$TXT" header
  kPlcStorageFull = -11,
};

// Three-letter code of a language id ("ENG" for 9); null when unsupported.
const char* PlcLanguageCode(uint32_t language);

// Parses converted text (control character set) into the table and the
// storage; the table must be cleared before.
int32_t ParsePlcTexts(const uint8_t* text, uint32_t length, uint32_t* table, uint32_t entries,
                      uint8_t* storage, uint32_t storage_size);

int32_t LoadPlcTexts(const _LOADPLSTEXT* record);
