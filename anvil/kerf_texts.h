// ReadKerfTexts: collects a cutting program's marking texts (blocks of up
// to five lines between code 101/103 and 102/104) into the text store in
// the host's shared memory, and writes a copy of the program ("...TMP")
// in which every text block is followed by a reference block "3 / P<n> / 4"
// naming its stored text. Identical blocks are stored once.
//
// Store layout: an index of kKerfTextIndexEntries u16 entries, entry k =
// offset of block k in the store + kKerfTextIndexBias; block k runs from
// its entry to entry k + 1. A block is five line entries: a length byte
// (text + 2), "0", the line's digit "1".."5", the text.
#pragma once

#include <stddef.h>
#include <stdint.h>

#pragma pack(push, 1)
struct _KERFTEXTS {
  uint16_t size;
  const char* path;   // the program, NUL-terminated
};
#pragma pack(pop)

static_assert(offsetof(_KERFTEXTS, size) == 0);
static_assert(offsetof(_KERFTEXTS, path) == 2);
static_assert(sizeof(_KERFTEXTS) == 6);

// Offsets into the shared data area handed to AnvilInit.
constexpr uint32_t kKerfTextIndex = 2763960;
constexpr uint32_t kKerfTextStore = 2764160;
constexpr uint32_t kKerfTextIndexEntries = 100;
constexpr uint32_t kKerfTextStoreBytes = 8800;
constexpr uint32_t kKerfTextIndexBias = 1200;
static_assert(kKerfTextIndex + 2 * kKerfTextIndexEntries == kKerfTextStore);

// Characters of a line kept in a store entry (its length byte is text + 2).
constexpr uint32_t kKerfTextLineMax = 253;
// Characters of a program line written to the copy.
constexpr uint32_t kKerfTextCopyMax = 900;
// A new block is refused once its start lies this close to the store's end.
constexpr uint32_t kKerfTextBlockReserve = 1290;

enum KerfTextsResult : uint32_t {
  kKerfTextsDone = 0,
  kKerfTextsNoOutput = 2,       // the copy cannot be created (or would be the program)
  kKerfTextsWriteFailed = 3,
  kKerfTextsReadFailed = 4,     // reading the program failed; the copy holds the lines read
  kKerfTextsNoProgram = 5,
  kKerfTextsTooManyBlocks = 100,
  kKerfTextsStoreFull = 101,
};

// `shared` is the shared data area (null: no store, a block gives 101).
namespace anvil {
uint32_t ReadKerfTextsInto(const _KERFTEXTS* record, uint8_t* shared);
}  // namespace anvil
