// Lines of the viewer's text. A line ends at CR or LF; one CR or LF right
// after that end belongs to it too, so CR LF, LF CR and two LFs each count
// as one line end (and an empty line between two LFs is not shown).
// Positions are byte offsets into a text of `n` bytes; n is the end.
#pragma once

#include <stdint.h>

#include "anvil/nc_index.h"

namespace anvil {

inline bool NcIsLineEnd(char c) { return c == '\r' || c == '\n'; }

// Start of the line after the one starting at p (n when there is none).
uint32_t NcNextLine(const char* t, uint32_t n, uint32_t p);
// Start of the line before the one starting at p (0 at the first line).
uint32_t NcPreviousLine(const char* t, uint32_t n, uint32_t p);
// Start of the line holding the character at p (not a line end).
uint32_t NcLineStartOf(const char* t, uint32_t p);
// `lines` steps forward, stopping at the last line (never at the end).
uint32_t NcForward(const char* t, uint32_t n, uint32_t p, uint32_t lines);
uint32_t NcBackward(const char* t, uint32_t n, uint32_t p, uint32_t lines);

// The G words 70 and 71 of a block: its text
// after the "N" up to the next "N", the block's end or 1000 characters.
// Returns a bit set: 1 for G70, 2 for G71.
enum : uint32_t { kNcHintG70 = 1, kNcHintG71 = 2 };
uint32_t NcBlockHints(const char* t, uint32_t n, const NcBlock& block);

}  // namespace anvil
