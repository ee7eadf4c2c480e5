// The simulator's CNC state: the host side of RECORDCNC_INIT_PARAMS.
//
// Records owned here (the library reads them through the record's
// pointers, and writes only the axis-display record):
//   - the machine constants (u32 by number): 1-3 axis codes (low byte),
//     99 plane code (bits 8-11), 438 second-table selector (bits 8-11),
//     584 and 749 decimal places (bits 0-3 and 8-11);
//   - the block table: entries of 100 bytes laid out as CNC_BLOCK_ENTRY,
//     its address, entry size and the counts A and B;
//   - the program extents (two sets of one i32 per machine axis);
//   - 99 position records of 30 bytes (BCD coordinates at 6, 10, 14);
//   - busy flags A and B, the order flags (bytes 1, 7, 31), the machine
//     type letter, two axis names, and the axis-display record (47 bytes).
//
// A machine description is a text of `name value` lines ('#' starts a
// comment):
//   decimals 3|4|5            program units per mm 1000, 10000, 100000
//   axes X Y Z                letters of machine axes 1-3 (A B C U V W X Y Z,
//                             '-' for none)
//   plane N                   plane code 0-15 (3-9 mirror and swap axes)
//   type F                    machine type letter
//   selector N                second-table selector of type F, 0-15
//   names FIRST SECOND        names of machine axes 1 and 2 (at most 10
//                             characters each)
//   order 12|13|23            the plane's centre components come swapped
//   area X0 Y0 Z0 X1 Y1 Z1    working area in mm (display fields)
//   sheet X0 Y0 Z0 X1 Y1 Z1   sheet box in mm (display fields)
// A bad line is refused with file, line and reason; nothing is changed.
//
// An ISO program loads into the table: G0-G3 motion, G17-G19 arc plane
// (machine axes 1-2, 1-3, 2-3), G90/G91, X Y Z to the machine axes with
// those letters, I J K the centre relative to the start along X Y Z, N the
// block number. Other words (F, S, M, T, other G codes) are read and
// ignored; comments run in parentheses, after ';', or in double quotes.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "bridge/recordcnc.h"

namespace host {

struct MachineDescription {
  uint32_t decimals = 3;
  char axis_letter[3] = {'X', 'Y', 'Z'};
  uint32_t plane = 0;
  char type = ' ';
  uint32_t selector = 0;
  bool names_supplied = false;
  std::string names[2];
  uint8_t order[3] = {0, 0, 0};  // planes 1-2, 1-3, 2-3
  bool area_set = false;
  double area[6] = {0, 0, 0, 0, 0, 0};
  bool sheet_set = false;
  double sheet[6] = {0, 0, 0, 0, 0, 0};
};

// Parses a machine description; false with "file:line: reason" in *error.
bool ParseMachineDescription(const std::string& text, const std::string& file,
                             MachineDescription* out, std::string* error);

class CncState {
 public:
  static constexpr uint32_t kEntrySize = 100;
  static constexpr uint32_t kPositionRecords = 99;

  explicit CncState(const MachineDescription& machine = MachineDescription());
  CncState(const CncState&) = delete;
  CncState& operator=(const CncState&) = delete;

  // Loads an ISO program into the table (counts A and B = blocks, extents
  // over every point the path reaches). False with "file:line: reason".
  bool LoadIsoProgram(const std::string& text, const std::string& file, std::string* error);

  // The record to hand to RecordCNCInit.
  RECORDCNC_INIT_PARAMS* record() { return &record_; }
  const MachineDescription& machine() const { return machine_; }

  // Raw access for tests and fault injection.
  std::vector<uint8_t>& table() { return table_; }
  void SetTable(std::vector<uint8_t> bytes, uint32_t entry_size);  // re-points the address
  CNC_BLOCK_ENTRY entry(uint32_t n) const;
  void SetEntry(uint32_t n, const CNC_BLOCK_ENTRY& e);
  uint32_t block_count() const { return static_cast<uint32_t>(table_.size() / entry_size_); }
  uint32_t count_a = 0, count_b = 0;
  uint32_t entry_size() const { return entry_size_; }
  uint32_t& entry_size_word() { return entry_size_; }
  uint32_t constants[1000] = {};
  int32_t extent_1[3] = {0, 0, 0}, extent_2[3] = {0, 0, 0};
  uint8_t positions[kPositionRecords * kPositionRecordSize] = {};
  uint8_t busy_a = 0, busy_b = 0;
  uint8_t order_flags[32] = {};
  uint8_t machine_type = ' ';
  char names[2][32] = {};
  uint8_t display[sizeof(AXIS_DISPLAY)] = {};
  const AXIS_DISPLAY& axis_display() const { return *reinterpret_cast<const AXIS_DISPLAY*>(display); }

  // Sets position record n (1-99) to mm values.
  void SetPosition(uint32_t n, double x, double y, double z);
  // Position counts per mm.
  double position_scale() const;

  // Sign-magnitude BCD of an integer (|value| < 80,000,000).
  static uint32_t ToBcd(int64_t value);

 private:
  void Relink();
  MachineDescription machine_;
  std::vector<uint8_t> table_;
  uint32_t entry_size_ = kEntrySize;
  uint32_t table_address_ = 0;
  RECORDCNC_INIT_PARAMS record_{};
};

}  // namespace host
