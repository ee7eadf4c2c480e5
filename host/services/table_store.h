// The correction and shift tables the simulator keeps for Tracer's forms,
// as files in the sandbox (DOS paths through the file services):
//
//   Correction table          title line ("Shift table" for $POS)
//                             empty line
//   $KOR                      section keyword
//   01: R=0.000  1=0.000  2=0.000  3=0.000  4=0.000  5=0.000  6=0.000
//
// One line per entry in ascending order, D decimals, no "R=" in shift
// tables, absent entries read as 0. A write never reports success for a
// file not fully written and never destroys the old file before the new
// one is complete: it writes "<name>.tmp" and then renames it over the old.
#pragma once

#include <stdint.h>

#include <map>
#include <string>

#include "host/services/file_services.h"

namespace host {

constexpr uint8_t kTableColumnR = 255;

struct TableEntry {
  int64_t r = 0;          // radius (correction tables)
  int64_t axes[6] = {};   // columns 1..6 = axes 0..5
};
using TableEntries = std::map<int, TableEntry>;

class TableStore {
 public:
  explicit TableStore(FileServices* files) : files_(files) {}

  // Reads a table; a missing file is an empty table. False (with *error)
  // for a bad path, an unreadable file or a line that is not an entry.
  bool Load(const std::string& dos_path, int decimals, TableEntries* entries, std::string* error) const;
  // Sets column `axis` (kTableColumnR for R) of entry `number` and writes
  // the whole table back.
  bool WriteValue(const std::string& dos_path, const std::string& section, int number, uint8_t axis,
                  int64_t value, int decimals, std::string* error);
  static std::string Format(const std::string& section, const TableEntries& entries, int decimals);

  // Fault injection for the next write: the temporary file cannot be
  // written, or it cannot replace the old one.
  enum class Fault { kNone, kWrite, kReplace };
  void FailNext(Fault fault) { fault_ = fault; }

 private:
  FileServices* files_;
  Fault fault_ = Fault::kNone;
};

// Units of the last of D decimals as text: "-12.500".
std::string DecimalText(int64_t value, int decimals);

}  // namespace host
