// The block index of an ISO program: where each "N" block starts and ends,
// sorted by block number, and the search the viewer follows blocks with.
//
// Scan rules:
//   - the scan stops at "*" or at the end of the text;
//   - nothing is indexed before the header: a "%" followed (after blanks
//     and tabs) by a digit; the header runs to the end of its line;
//   - after it, a double quote toggles quoting and a line end ends it; an
//     "N" or "n" outside quotes followed (after blanks and tabs) by a
//     decimal number with an optional sign starts a block, which ends at
//     the character before the next block's "N" (or before the stop);
//   - number 0 is not indexed and leaves no block open.
// Offsets are byte offsets into the text.
#pragma once

#include <stdint.h>

namespace anvil {

struct NcBlock {
  uint32_t start;   // offset of the block's "N"
  int32_t number;   // block number (saturated to the 32-bit range)
  uint32_t end;     // offset of the block's last character
};
static_assert(sizeof(NcBlock) == 12);

struct NcScan {
  NcBlock* entries = nullptr;  // room for `capacity` entries (may be null with 0)
  uint32_t capacity = 0;
  uint32_t found = 0;          // blocks the text holds
  uint32_t count = 0;          // of them kept: the first `capacity` in text order
  uint32_t header_end = 0;     // offset of the line end after the header; 0 = none
};

// Scans `length` bytes of `text` into scan->entries in text order (a first
// pass with capacity 0 just counts).
void NcScanBlocks(const char* text, uint32_t length, NcScan* scan);

// Sorts by block number, equal numbers in their order. With `scratch` room
// for at least (count + 1) / 2 entries a merge sort uses it; with less the
// merges rotate in place (no extra memory, n log^2 n).
void NcSortBlocks(NcBlock* entries, uint32_t count, NcBlock* scratch, uint32_t scratch_count);

// Index of the last entry numbered `number` (the latest in the text among
// equal numbers), or -1; 0 entries find nothing.
int32_t NcFindBlock(const NcBlock* entries, uint32_t count, int32_t number);

}  // namespace anvil
