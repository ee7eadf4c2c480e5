// Lines of a text file for the file manager (listings, the attribute
// file), read with the library's line reader (anvil/line_reader.h): a line
// ends at LF, CR or CR LF; at most kListingLineMax characters of a line
// are kept, the rest of a longer line is dropped.
#pragma once

#include <stdint.h>

#include "anvil/dir_listing.h"
#include "anvil/line_reader.h"

namespace anvil {

struct TextLines {
  LineReader reader;
  bool failed = false;     // a read failed (status other than 0 and 1)
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
