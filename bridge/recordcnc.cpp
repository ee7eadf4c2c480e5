#include "bridge/recordcnc.h"

#include <string.h>

RecordCNCState g_cnc;

namespace {

constexpr uint32_t kBit31 = 0x80000000u;
constexpr uint32_t kMinEntrySize = sizeof(CNC_BLOCK_ENTRY);

uint32_t Constant(uint32_t number) {
  return g_cnc.record.constants ? g_cnc.record.constants[number] : 0;
}
uint32_t Nibble1(uint32_t value) { return (value >> 8) & 0xF; }  // bits 8-11

void CopyName(char* to, const char* from) {
  memset(to, 0, kAxisNameMax + 1);
  if (from) strncpy(to, from, kAxisNameMax);
}

void SetScales() {
  uint32_t decimals = CncDecimalPlaces(Constant(749), Constant(584));
  g_cnc.program_scale = decimals == 4 ? 10000.0 : decimals == 5 ? 100000.0 : 1000.0;
  g_cnc.position_scale = 8.0 * g_cnc.program_scale;
}

// Plane codes 3-9: display fields and signs of axes 1 and 2, and flag A.
struct PlaneRow {
  uint8_t field1, field2;
  int8_t sign1, sign2;
  uint8_t flag_a;
};
constexpr PlaneRow kPlaneRows[7] = {
    {1, 2, -1, +1, 1}, {1, 2, -1, -1, 0}, {1, 2, +1, -1, 1}, {2, 1, +1, +1, 1},
    {2, 1, +1, -1, 0}, {2, 1, -1, -1, 1}, {2, 1, -1, +1, 0},
};

void ApplyPlaneCode(uint32_t code) {
  if (code < 3 || code > 9) return;
  const PlaneRow& row = kPlaneRows[code - 3];
  g_cnc.field[0] = row.field1;
  g_cnc.field[1] = row.field2;
  g_cnc.sign[0] = row.sign1;
  g_cnc.sign[1] = row.sign2;
  g_cnc.flag_a = row.flag_a;
}

// The second table of type "F" machines: per selector, the flags named for
// plane codes 2-9 ("C0 B1": C = 0, B = 1; other flags keep their value).
const char* const kSecondTableFlags[6][8] = {
    {"", "C0", "C0 B1", "B1", "", "B1", "C0 B1", "C0"},
    {"", "C1", "C1 B0", "B0", "", "B0", "C1 B0", "C1"},
    {"A1", "A0 C1", "A1 C1 B0", "A0 B0", "A0", "A1 B0", "A0 C1 B0", "A1 C1"},
    {"A1 C1", "A0 C0", "A1 C0 B1", "A0 B1 C1", "A0 C1", "A1 B1 C1", "A0 C0 B1", "A1 C0"},
    {"A0 C1 B1", "A1 C0 B1", "A0 C0 B0", "A1 B0 C1", "A1 C0", "A0 B1 C0", "A1 C1 B1", "A0 C1"},
    {"A0 C0 B0", "A1 C1 B0", "A0 C1 B1", "A1 B1 C0", "A1 C1 B1", "A0 B0 C1", "A1 C0 B0", "A0 C0 B1"},
};

void ApplyFlags(const char* cell) {
  for (const char* c = cell; c[0] != 0 && c[1] != 0; ++c) {
    uint32_t value = c[1] == '1' ? 1 : 0;
    if (c[0] == 'A') g_cnc.flag_a = value;
    if (c[0] == 'B') g_cnc.flag_b = value;
    if (c[0] == 'C') g_cnc.flag_c = value;
  }
}

// Moves the machine axis shown in `field` to field 3 and shows axis 3 in
// `field` instead.
void SwapWithThird(uint8_t field) {
  for (int axis = 0; axis < 2; ++axis)
    if (g_cnc.field[axis] == field) g_cnc.field[axis] = 3;
  g_cnc.field[2] = field;
}

void ApplySecondTable(uint32_t selector, uint32_t plane) {
  g_cnc.field[2] = 3;
  switch (selector) {
    case 0: g_cnc.flag_c = 1; break;
    case 1: g_cnc.sign[2] = -1; g_cnc.flag_b = 1; break;
    case 2: SwapWithThird(1); g_cnc.flag_b = 1; break;
    // Each cell of selector 3 that leaves B unnamed needs B = 0 for arcs in
    // the plane of axes 2-3 to turn the right way.
    case 3: SwapWithThird(1); g_cnc.sign[2] = -1; g_cnc.flag_b = 0; break;
    case 4: SwapWithThird(2); break;
    case 5: SwapWithThird(2); g_cnc.sign[2] = -1; break;
    default: return;  // axis 3 stays in field 3
  }
  if (plane >= 2 && plane <= 9) ApplyFlags(kSecondTableFlags[selector][plane - 2]);
}

void FillDisplay() {
  uint8_t* out = g_cnc.record.display;
  if (!out) return;
  AXIS_DISPLAY d;
  memset(&d, 0, sizeof d);
  for (auto& f : d.field) f.letter = ' ';
  for (int axis = 0; axis < 3; ++axis) {
    d.axis_field[axis] = g_cnc.field[axis];
    d.axis_sign[axis] = static_cast<uint8_t>(g_cnc.sign[axis]);
    if (g_cnc.field[axis] == 0) continue;
    AxisDisplayField& f = d.field[g_cnc.field[axis] - 1];
    f.letter = static_cast<uint8_t>(AxisLetter(Constant(axis + 1) & 0xFF));
    memcpy(f.name, g_cnc.name[axis], sizeof f.name);
    f.mirrored = g_cnc.sign[axis] < 0 ? 1 : 0;
  }
  // Bytes 0 and 1 are the host's.
  memcpy(out + 2, reinterpret_cast<const uint8_t*>(&d) + 2, sizeof d - 2);
}

bool Busy() {
  const RECORDCNC_INIT_PARAMS& r = g_cnc.record;
  return (r.busy_a && *r.busy_a) || (r.busy_b && *r.busy_b);
}

// The table as it stands now; false when it cannot be read at all.
struct Table {
  const uint8_t* base;
  uint32_t entry_size, count_a, count_b;
};

bool ReadTable(Table* t) {
  const RECORDCNC_INIT_PARAMS& r = g_cnc.record;
  if (!r.entry_size || !r.table_address || !r.count_a || !r.count_b) return false;
  t->entry_size = *r.entry_size;
  t->base = reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(*r.table_address));
  t->count_a = *r.count_a;
  t->count_b = *r.count_b;
  return t->base && t->entry_size >= kMinEntrySize && t->count_a < kBit31 && t->count_b < kBit31;
}

CNC_BLOCK_ENTRY Entry(const Table& t, uint32_t n) {
  CNC_BLOCK_ENTRY e;
  memcpy(&e, t.base + static_cast<size_t>(n) * t.entry_size, sizeof e);
  return e;
}

// Machine-axis values (already in units) into display fields, with signs.
void ToFields(const double axis[3], double out[3]) {
  out[0] = out[1] = out[2] = 0;
  for (int k = 0; k < 3; ++k)
    if (g_cnc.field[k] != 0) out[g_cnc.field[k] - 1] = axis[k] * g_cnc.sign[k];
}

void Units(const int32_t counts[3], double axis[3]) {
  for (int k = 0; k < 3; ++k) axis[k] = counts[k] / g_cnc.position_scale;
}

void Positions(const int32_t counts[3], double out[3]) {
  double axis[3];
  Units(counts, axis);
  ToFields(axis, out);
}

// The machine axes of an arc plane and the flag that exchanges its turns.
struct ArcPlaneAxes {
  int first, second;
  uint32_t flag;
  uint8_t order_byte;
};
ArcPlaneAxes PlaneOf(uint8_t axes) {
  switch (axes & 7) {
    case kCncPlane13: return {0, 2, g_cnc.flag_c, 7};
    case kCncPlane23: return {1, 2, g_cnc.flag_b, 31};
    default: return {0, 1, g_cnc.flag_a, 1};  // 1-2, also for an arc without a plane
  }
}

}  // namespace

char AxisLetter(uint32_t code) {
  switch (code) {
    case 1: return 'A';
    case 2: return 'B';
    case 3: return 'C';
    case 33: return 'U';
    case 34: return 'V';
    case 35: return 'W';
    case 36: return 'X';
    case 37: return 'Y';
    case 38: return 'Z';
    default: return ' ';
  }
}

int32_t BcdToInt(uint32_t bcd) {
  int32_t value = 0;
  for (int shift = 28; shift >= 0; shift -= 4) value = value * 10 + static_cast<int32_t>((bcd >> shift) & (shift == 28 ? 7 : 15));
  return (bcd & kBit31) ? -value : value;
}

int RecordCNCInitCopy(const RECORDCNC_INIT_PARAMS* host) {
  memset(&g_cnc, 0, sizeof g_cnc);
  if (host) {
    size_t n = host->size < sizeof(RECORDCNC_INIT_PARAMS) ? host->size : sizeof(RECORDCNC_INIT_PARAMS);
    memcpy(&g_cnc.record, host, n);
  }
  g_cnc.record.size = sizeof(RECORDCNC_INIT_PARAMS);
  SetScales();

  g_cnc.field[0] = 1;
  g_cnc.field[1] = 2;
  g_cnc.field[2] = 0;
  g_cnc.sign[0] = g_cnc.sign[1] = g_cnc.sign[2] = 1;
  uint32_t plane = Nibble1(Constant(99));
  ApplyPlaneCode(plane);
  if (g_cnc.record.names_supplied) {
    CopyName(g_cnc.name[0], g_cnc.record.name_1);
    CopyName(g_cnc.name[1], g_cnc.record.name_2);
  } else if (g_cnc.record.machine_type && *g_cnc.record.machine_type == 'F') {
    ApplySecondTable(Nibble1(Constant(438)), plane);
  }
  FillDisplay();
  return 1;
}

int32_t RecordCNCProgramReady() {
  if (Busy() || !g_cnc.record.count_b || *g_cnc.record.count_b == 0) return -1;
  return g_cnc.record.count_a && *g_cnc.record.count_a != 0 ? 0 : -1;
}

int32_t RecordCNCNextBlock(int32_t index) {
  Table t;
  if (index == -1 || Busy() || !ReadTable(&t)) return -1;
  uint32_t i = static_cast<uint32_t>(index);
  if (i & kBit31) {
    uint32_t next = (i & ~kBit31) + 1;
    return next >= t.count_a || next >= t.count_b ? -1 : static_cast<int32_t>(next);
  }
  if (i >= t.count_a || i >= t.count_b) return -1;
  uint32_t link = Entry(t, i).link;
  if (link != 0) return link >= t.count_b ? -1 : static_cast<int32_t>(i | kBit31);
  uint32_t next = i + 1;
  return next >= t.count_a || next >= t.count_b ? -1 : static_cast<int32_t>(next);
}

int RecordCNCGetRecordInfo(CNC_RECORD_INFO* info) {
  if (Busy()) return 0;
  const RECORDCNC_INIT_PARAMS& r = g_cnc.record;
  memset(info, 0, sizeof *info);
  for (int k = 0; k < 3; ++k) {
    if (g_cnc.field[k] == 0) continue;
    double a = r.extent_1 ? r.extent_1[k] * g_cnc.sign[k] / g_cnc.position_scale : 0;
    double b = r.extent_2 ? r.extent_2[k] * g_cnc.sign[k] / g_cnc.position_scale : 0;
    int f = g_cnc.field[k] - 1;
    info->min[f] = a < b ? a : b;
    info->max[f] = a < b ? b : a;
  }
  return 1;
}

void RecordCNCGetPosition(uint32_t n, double out[3]) {
  if (n == 0 || !g_cnc.record.positions) return;
  const uint8_t* rec = g_cnc.record.positions + (n - 1) * kPositionRecordSize;
  for (int k = 0; k < 3; ++k) {
    uint32_t bcd;
    memcpy(&bcd, rec + kPositionCoordinateOffset + 4 * k, sizeof bcd);
    out[k] = BcdToInt(bcd) / g_cnc.program_scale;
  }
}

int RecordCNCGetBlockInfo(int32_t index, CNC_BLOCK_INFO* info) {
  Table t;
  if (Busy() || !ReadTable(&t)) return 0;
  uint32_t i = static_cast<uint32_t>(index) & ~kBit31;
  bool linked = (static_cast<uint32_t>(index) & kBit31) != 0;
  if (i >= t.count_b) return 0;
  uint32_t n = linked ? Entry(t, i).link : i;
  if (n >= t.count_b) return 0;
  // The block a linked entry continues is the entry holding the link.
  uint32_t previous = linked ? i : (i == 0 ? 0 : i - 1);

  CNC_BLOCK_ENTRY e = Entry(t, n), p = Entry(t, previous);
  memset(info, 0, sizeof *info);
  info->index = i;
  info->block_number = static_cast<uint32_t>(BcdToInt(e.block_number));
  uint32_t motion = e.motion <= 3 ? e.motion : 1;
  ArcPlaneAxes plane = PlaneOf(e.axes);
  bool arc = motion == 2 || motion == 3;
  if (arc && plane.flag) motion = motion == 2 ? 3 : 2;
  info->motion = motion;

  uint32_t flags = 0;
  for (int k = 0; k < 3; ++k)
    if ((e.axes & (1 << k)) && g_cnc.field[k] != 0) flags |= 1u << (g_cnc.field[k] - 1);
  if (e.marks & 1) flags |= kBlockProgress;
  if (e.marks & 4) flags |= kBlockMark1;
  if (e.marks & 8) flags |= kBlockMark2;
  if (e.options & 0x80) flags |= kBlockOffset;
  if ((e.options & 1) && memcmp(e.second_end, p.end, sizeof p.end) == 0) flags |= kBlockFullCircle;
  info->flags = flags;

  Positions(e.end, info->end);
  Positions(e.second_end, info->second_end);
  if (arc) {
    bool swapped = g_cnc.record.order_flags && g_cnc.record.order_flags[plane.order_byte] != 0;
    double centre[3], start[3];
    Units(e.end, centre);
    Units(p.end, start);
    centre[plane.first] = start[plane.first] + e.centre[swapped ? 1 : 0] / g_cnc.position_scale;
    centre[plane.second] = start[plane.second] + e.centre[swapped ? 0 : 1] / g_cnc.position_scale;
    ToFields(centre, info->centre);
  }
  if (flags & kBlockOffset) {
    uint32_t record = (e.offset_record >> 4) * 10u + (e.offset_record & 0xF);
    double position[3] = {0, 0, 0};
    // Two decimal digits name records 1-99; anything else names none.
    if ((e.offset_record >> 4) <= 9 && (e.offset_record & 0xF) <= 9) RecordCNCGetPosition(record, position);
    for (double& v : position) v = -v;
    ToFields(position, info->offset);
  }
  if (flags & kBlockProgress) {
    uint32_t total = e.progress_total_1 < e.progress_total_2 ? e.progress_total_1 : e.progress_total_2;
    uint32_t percent = total == 0 ? 0 : e.progress_done * 100u / total;
    info->progress = static_cast<uint8_t>(percent > 100 ? 100 : percent);  // never wraps
  }
  return 1;
}
