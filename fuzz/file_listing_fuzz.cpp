// Fuzz target: lines of an FTP listing through the file manager's listing
// parser and its name handling.
//
// Input: any bytes, cut into lines at LF. Each line goes through the long
// (fixed-column) parser and the names-only reading; every name taken (as
// the panel takes it: at most 64 characters) is split into short name,
// extension and long name.
// Checks: a parsed line's name lies inside the line; month 1 to 12, day at
// most 31, hour and minute in range, year 9999 when a time was listed and
// the year as listed otherwise (a listed 9999 reads as a time-listed
// entry, which the panel shows without a year); the name fields are NUL-terminated within their sizes, short
// name and extension hold no blank and keep their case rule.
#include <stdint.h>
#include <string.h>

#include <string>

#include "anvil/dir_listing.h"
#include "fuzz/fuzz_check.h"

namespace {

bool Terminated(const char* field, size_t size) { return memchr(field, '\0', size) != nullptr; }

void CheckName(const char* name, uint32_t length) {
  if (length == 0 || length > kListedNameMax) return;
  std::string listed(name, length);
  if (listed.find('\0') != std::string::npos) return;  // a line cannot hold a NUL name
  for (bool directory : {false, true}) {
    DirEntry e;
    memset(&e, 0xA5, sizeof e);
    anvil::SetEntryName(&e, listed.c_str(), directory);
    FUZZ_CHECK(Terminated(e.short_name, sizeof e.short_name));
    FUZZ_CHECK(Terminated(e.extension, sizeof e.extension));
    FUZZ_CHECK(Terminated(e.long_name, sizeof e.long_name));
    FUZZ_CHECK(strlen(e.short_name) <= 8 && strlen(e.extension) <= 3 && strlen(e.long_name) <= 29);
    if (listed[0] == '.') continue;  // kept unchanged
    for (const char* c = e.short_name; *c; ++c) {
      FUZZ_CHECK(*c != ' ' && *c != '.');
      FUZZ_CHECK(directory ? !(*c >= 'a' && *c <= 'z') : !(*c >= 'A' && *c <= 'Z'));
    }
    for (const char* c = e.extension; *c; ++c) FUZZ_CHECK(*c != ' ');
  }
}

// The year column's digits, up to the last one at column 52.
uint32_t ListedYear(const std::string& line) {
  size_t start = 52;
  while (start > 0 && line[start - 1] >= '0' && line[start - 1] <= '9') --start;
  return static_cast<uint32_t>(std::stoul(line.substr(start, 53 - start)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (line.size() > anvil::kListingLineMax) line.resize(anvil::kListingLineMax);
    uint32_t length = static_cast<uint32_t>(line.size());
    DirEntry e;
    const char* name = nullptr;
    uint32_t name_length = 0;
    if (anvil::ParseLongListingLine(line.c_str(), length, &e, &name, &name_length)) {
      FUZZ_CHECK(name >= line.c_str() && name + name_length == line.c_str() + length);
      FUZZ_CHECK(e.month >= 1 && e.month <= 12);
      FUZZ_CHECK(e.day <= 31 && e.hour <= 23 && e.minute <= 59);
      FUZZ_CHECK(line[50] == ':' ? e.year == kYearRecent : e.year == ListedYear(line));
      FUZZ_CHECK((e.flags & ~kEntryDirectory) == 0);
      CheckName(name, name_length);
    }
    anvil::ParseNamesOnlyLine(line.c_str(), length, &e, &name, &name_length);
    FUZZ_CHECK(name == line.c_str() && name_length == length && e.year == kYearNamesOnly);
    CheckName(name, name_length);
    start = end + 1;
  }
  return 0;
}
