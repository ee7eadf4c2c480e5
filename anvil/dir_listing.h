// Directory entries from names and from the lines of an FTP listing.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "anvil/dir_info.h"

namespace anvil {

// Fills the short name, extension and long name of `e` from a listed name.
// A name starting with '.' is kept unchanged (short name 8, long name 29
// characters, no extension). Otherwise the extension is what follows the
// last '.' (3 characters at most, blanks as '_'), the long name the part
// before it (29 characters at most), and the short name its first 8
// characters with blanks and dots as '_'. Short name and extension are
// upper case for directories, lower case for files.
void SetEntryName(DirEntry* e, const char* name, bool directory);

// The longest line of a listing that is read; the rest of a longer line is
// dropped.
constexpr uint32_t kListingLineMax = 1000;

// One line of a long listing (fixed columns; the line without its end):
// 'd'/'D' in column 0 marks a directory; the size is the run of digits
// ending at column 39; the month the three letters at 41; the day the
// digits ending at 46; with ':' in column 50 the time (digits ending at 49
// and 52, year 9999), else the year (digits ending at 52, time 00:00); the
// name from column 54. False when the line does not have this form (the
// caller then falls back to names-only listings). `name` receives the name
// as listed (it may be longer than kListedNameMax; the caller decides).
bool ParseLongListingLine(const char* line, uint32_t length, DirEntry* e, const char** name,
                          uint32_t* name_length);

// A names-only line: the whole line is the name of a file; date 0, year
// 1000, size 0.
void ParseNamesOnlyLine(const char* line, uint32_t length, DirEntry* e, const char** name,
                        uint32_t* name_length);

}  // namespace anvil
