// Lines of a text file read through the host's file services, 512 bytes a
// read. A line ends at LF, CR or CR LF; at most kListingLineMax characters
// of a line are kept, the rest of a longer line is dropped.
#pragma once

#include <stdint.h>

#include "anvil/dir_listing.h"

namespace anvil {

struct TextLines {
  uint32_t handle = 0;
  bool open = false;
  bool failed = false;     // a read failed (status other than 0 and 1)
  bool at_end = false;     // the file has no more bytes
  uint8_t block[512];
  uint16_t block_length = 0, block_position = 0;
  bool skip_lf = false;    // the last line ended with CR: an LF after it belongs to it
  char line[kListingLineMax + 1];
  uint32_t length = 0;
};

// Opens `path` for reading; false when it cannot be opened.
bool TextLinesOpen(TextLines* t, const char* path);
// The next line into t->line / t->length; false at the end of the file or
// after a failed read (t->failed tells which).
bool TextLinesNext(TextLines* t);
// Closes the file; false when the host's close failed.
bool TextLinesClose(TextLines* t);

}  // namespace anvil
