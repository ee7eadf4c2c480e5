// The control's state record: the host hands the library pointers into its
// live state (machine constants, the loaded program's block table and
// extents, positions, busy flags) through RecordCNCInit. The library keeps
// a 75-byte copy, derives the unit scales and the assignment of machine
// axes to the three display fields, fills the host's axis-display record
// and reads the program block by block. It never writes the control's
// state, only the axis-display record.
//
// Every pointer of the record is the host's and may be null; a null
// pointer reads as "nothing there" (a count of 0, no names, no table).
#pragma once

#include "bridge/host_api.h"

#pragma pack(push, 1)
struct RECORDCNC_INIT_PARAMS {
  uint16_t size;                    // bytes of the host's record
  uint8_t reserved2[4];
  const uint32_t* entry_size;       // bytes of one block-table entry
  const uint32_t* table_address;    // address of the block table
  uint8_t reserved14[4];
  const uint32_t* count_a;          // block count A
  const uint32_t* count_b;          // block count B
  uint8_t names_supplied;           // non-zero: name_1 and name_2 hold axis names
  const uint8_t* machine_type;      // 'F' selects the second axis table
  const uint32_t* constants;        // machine constants by number
  const char* name_1;               // name of machine axis 1
  const char* name_2;               // name of machine axis 2
  uint8_t reserved43[4];
  uint8_t* display;                 // the host's axis-display record
  const uint8_t* order_flags;       // bytes 1, 7, 31: centre components swapped
  const int32_t* extent_1;          // program extents, one value per machine axis
  const int32_t* extent_2;
  const uint8_t* positions;         // 30-byte position records
  const uint8_t* busy_a;            // non-zero: the table is being changed
  const uint8_t* busy_b;
};
#pragma pack(pop)
static_assert(sizeof(RECORDCNC_INIT_PARAMS) == 75);
static_assert(offsetof(RECORDCNC_INIT_PARAMS, entry_size) == 6);
static_assert(offsetof(RECORDCNC_INIT_PARAMS, table_address) == 10);
static_assert(offsetof(RECORDCNC_INIT_PARAMS, count_a) == 18);
static_assert(offsetof(RECORDCNC_INIT_PARAMS, count_b) == 22);
static_assert(offsetof(RECORDCNC_INIT_PARAMS, names_supplied) == 26);
static_assert(offsetof(RECORDCNC_INIT_PARAMS, machine_type) == 27);
static_assert(offsetof(RECORDCNC_INIT_PARAMS, constants) == 31);
static_assert(offsetof(RECORDCNC_INIT_PARAMS, name_1) == 35);
static_assert(offsetof(RECORDCNC_INIT_PARAMS, name_2) == 39);
static_assert(offsetof(RECORDCNC_INIT_PARAMS, display) == 47);
static_assert(offsetof(RECORDCNC_INIT_PARAMS, order_flags) == 51);
static_assert(offsetof(RECORDCNC_INIT_PARAMS, extent_1) == 55);
static_assert(offsetof(RECORDCNC_INIT_PARAMS, extent_2) == 59);
static_assert(offsetof(RECORDCNC_INIT_PARAMS, positions) == 63);
static_assert(offsetof(RECORDCNC_INIT_PARAMS, busy_a) == 67);
static_assert(offsetof(RECORDCNC_INIT_PARAMS, busy_b) == 71);

// Names hold at most this many characters, always NUL-terminated.
constexpr int kAxisNameMax = 10;

// The host's axis-display record, filled by RecordCNCInit.
struct AxisDisplayField {
  uint8_t letter;
  uint8_t mirrored;               // 1 when its axis runs with sign -1
  char name[kAxisNameMax + 1];
};
struct AXIS_DISPLAY {
  uint8_t reserved0[2];
  AxisDisplayField field[3];
  uint8_t axis_field[3];          // display field of machine axes 1-3 (0 = not shown)
  uint8_t axis_sign[3];           // 1 or 255 (-1)
};
static_assert(sizeof(AxisDisplayField) == 13);
static_assert(offsetof(AXIS_DISPLAY, field) == 2);
static_assert(offsetof(AXIS_DISPLAY, field) + offsetof(AxisDisplayField, mirrored) == 3);
static_assert(offsetof(AXIS_DISPLAY, field) + offsetof(AxisDisplayField, name) == 4);
static_assert(offsetof(AXIS_DISPLAY, field) + sizeof(AxisDisplayField) == 15);
static_assert(offsetof(AXIS_DISPLAY, field) + 2 * sizeof(AxisDisplayField) + 2 == 30);
static_assert(offsetof(AXIS_DISPLAY, axis_field) == 41);
static_assert(offsetof(AXIS_DISPLAY, axis_sign) == 44);
static_assert(sizeof(AXIS_DISPLAY) == 47);

// One entry of the host's program block table (as read; entries may be
// longer). Coordinates are position counts.
#pragma pack(push, 1)
struct CNC_BLOCK_ENTRY {
  int32_t end[3];                 // machine axes 1, 2, 3
  int32_t centre[2];              // relative to the previous end, in the plane's order
  uint8_t motion;                 // 0 rapid, 1 line, 2, 3 arcs; others count as 1
  uint8_t axes;                   // bits 0-2: axes programmed; arcs: the plane (3, 5, 6)
  uint8_t reserved22[4];
  uint8_t marks;                  // bit 0 progress valid, bits 2, 3 block marks
  uint8_t options;                // bit 0 full-circle test, bit 7 offset applies
  uint32_t link;                  // entry this one continues (0 = none)
  uint8_t reserved32[2];
  uint8_t offset_record;          // position record of the offset, two BCD digits
  uint8_t reserved35;
  int32_t second_end[3];
  uint8_t reserved48[8];
  uint32_t block_number;          // sign-magnitude BCD
  uint8_t reserved60[6];
  uint16_t progress_total_1;
  uint16_t progress_done;
  uint16_t progress_total_2;
};
#pragma pack(pop)
static_assert(offsetof(CNC_BLOCK_ENTRY, centre) == 12);
static_assert(offsetof(CNC_BLOCK_ENTRY, motion) == 20);
static_assert(offsetof(CNC_BLOCK_ENTRY, axes) == 21);
static_assert(offsetof(CNC_BLOCK_ENTRY, marks) == 26);
static_assert(offsetof(CNC_BLOCK_ENTRY, options) == 27);
static_assert(offsetof(CNC_BLOCK_ENTRY, link) == 28);
static_assert(offsetof(CNC_BLOCK_ENTRY, offset_record) == 34);
static_assert(offsetof(CNC_BLOCK_ENTRY, second_end) == 36);
static_assert(offsetof(CNC_BLOCK_ENTRY, block_number) == 56);
static_assert(offsetof(CNC_BLOCK_ENTRY, progress_total_1) == 66);
static_assert(offsetof(CNC_BLOCK_ENTRY, progress_done) == 68);
static_assert(offsetof(CNC_BLOCK_ENTRY, progress_total_2) == 70);
static_assert(sizeof(CNC_BLOCK_ENTRY) == 72);

// A position record: three sign-magnitude BCD coordinates in program units.
constexpr uint32_t kPositionRecordSize = 30;
constexpr uint32_t kPositionCoordinateOffset = 6;

// Arc-plane codes of CNC_BLOCK_ENTRY::axes.
enum : uint8_t { kCncPlane12 = 3, kCncPlane13 = 5, kCncPlane23 = 6 };

// Info flags of a block.
enum : uint32_t {
  kBlockField1 = 0x01, kBlockField2 = 0x02, kBlockField3 = 0x04, kBlockProgress = 0x08,
  kBlockMark1 = 0x10, kBlockMark2 = 0x20, kBlockOffset = 0x40, kBlockFullCircle = 0x80,
};

// A block as the view draws it: values in program units, mapped to the
// display fields and multiplied by the axis signs.
#pragma pack(push, 1)
struct CNC_BLOCK_INFO {
  uint32_t motion;                // arcs: 2 clockwise, 3 counter-clockwise in the plan
  uint32_t flags;
  uint32_t block_number;
  uint32_t index;                 // without bit 31
  double end[3];
  double second_end[3];
  double centre[3];
  double offset[3];
  uint8_t progress;               // percent, 0-100
};
#pragma pack(pop)
static_assert(offsetof(CNC_BLOCK_INFO, flags) == 4);
static_assert(offsetof(CNC_BLOCK_INFO, block_number) == 8);
static_assert(offsetof(CNC_BLOCK_INFO, index) == 12);
static_assert(offsetof(CNC_BLOCK_INFO, end) == 16);
static_assert(offsetof(CNC_BLOCK_INFO, second_end) == 40);
static_assert(offsetof(CNC_BLOCK_INFO, centre) == 64);
static_assert(offsetof(CNC_BLOCK_INFO, offset) == 88);
static_assert(offsetof(CNC_BLOCK_INFO, progress) == 112);
static_assert(sizeof(CNC_BLOCK_INFO) == 113);

// Extents of the program in the display fields: minima, then maxima.
struct CNC_RECORD_INFO {
  double min[3];
  double max[3];
};
static_assert(sizeof(CNC_RECORD_INFO) == 48);

// The library's state derived from the record.
struct RecordCNCState {
  RECORDCNC_INIT_PARAMS record;   // the 75-byte copy
  double program_scale;           // program units per millimetre
  double position_scale;          // eight times finer
  uint8_t field[3];               // display field of machine axes 1-3 (0 = not shown)
  int8_t sign[3];                 // +1 or -1
  uint32_t flag_a, flag_b, flag_c;  // arc direction exchange for planes 1-2, 2-3, 1-3
  char name[3][kAxisNameMax + 1];
};

extern RecordCNCState g_cnc;

// The export's work: copies the record, derives scales and axes, fills the
// display record. Returns 1.
int RecordCNCInitCopy(const RECORDCNC_INIT_PARAMS* host);

// Letter of an axis code (36 -> 'X'); a blank for unknown codes.
char AxisLetter(uint32_t code);

// Decimal places of coordinates from machine constants 749 and 584: bits
// 8-11 of 749, else bits 0-3 of 584; anything but 4 or 5 means 3.
inline uint32_t CncDecimalPlaces(uint32_t constant749, uint32_t constant584) {
  uint32_t decimals = (constant749 >> 8) & 0xF;
  if (decimals == 0) decimals = constant584 & 0xF;
  return decimals == 4 || decimals == 5 ? decimals : 3;
}

// Sign-magnitude BCD (bit 31 the sign, bits 0-30 decimal digits) as an
// integer.
int32_t BcdToInt(uint32_t bcd);

// -1 while busy or without blocks; 0 when a program is ready.
int32_t RecordCNCProgramReady();
// The index after `index`; -1 at the end, when busy, or when the table is
// unreadable (counts at or above 0x80000000, entries shorter than 72 bytes,
// no table). -1 passed in gives -1.
int32_t RecordCNCNextBlock(int32_t index);
// 1 and the extents; 0 while busy.
int RecordCNCGetRecordInfo(CNC_RECORD_INFO* info);
// 1 and the block; 0 while busy or when the entry is not within count B.
int RecordCNCGetBlockInfo(int32_t index, CNC_BLOCK_INFO* info);
// Position record n (n >= 1) in program units; n = 0 or no records leaves
// `out` untouched.
void RecordCNCGetPosition(uint32_t n, double out[3]);
