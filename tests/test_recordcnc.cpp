// The CNC state record: axis assignment and display record, the block
// iteration and the block information, over the simulator's CNC state.
#include <gtest/gtest.h>
#include <string.h>

#include "bridge/recordcnc.h"
#include "host/services/cnc_state.h"

namespace {

host::MachineDescription Machine(uint32_t plane, char type = ' ', uint32_t selector = 0) {
  host::MachineDescription m;
  m.plane = plane;
  m.type = type;
  m.selector = selector;
  return m;
}

std::string Letters(const AXIS_DISPLAY& d) {
  std::string s;
  for (const auto& f : d.field) s += static_cast<char>(f.letter);
  return s;
}
std::string Mirrors(const AXIS_DISPLAY& d) {
  std::string s;
  for (const auto& f : d.field) s += static_cast<char>('0' + f.mirrored);
  return s;
}

TEST(RecordCnc, DisplayRecords) {
  struct Row {
    uint32_t plane;
    char type;
    uint32_t selector;
    bool names;
    const char* letters;  // fields 1, 2, 3
    const char* mirrored;
    const char* why;
  };
  const Row rows[] = {
      {0, ' ', 0, false, "XY ", "000", "defaults: axis 3 not shown"},
      {3, ' ', 0, false, "XY ", "100", "plane 3 mirrors axis 1"},
      {4, ' ', 0, false, "XY ", "110", "plane 4 mirrors both"},
      {6, ' ', 0, false, "YX ", "000", "plane 6 swaps: axis 1 in field 2"},
      {8, ' ', 0, false, "YX ", "110", "plane 8 swaps and mirrors both"},
      {0, 'F', 0, false, "XYZ", "000", "type F shows axis 3 in field 3"},
      {0, 'F', 1, false, "XYZ", "001", "selector 1 mirrors axis 3"},
      {0, 'F', 2, false, "ZYX", "000", "selector 2: axis 3 takes field 1"},
      {4, 'F', 3, false, "ZYX", "111", "selector 3 on plane 4"},
      {6, 'F', 4, false, "YZX", "000", "selector 4 on plane 6: axis 1 (field 2) moves to 3"},
      {0, 'F', 9, false, "XYZ", "000", "selectors above 5 keep axis 3 in field 3"},
      {0, 'F', 0, true, "XY ", "000", "supplied names skip the second table"},
  };
  for (const Row& row : rows) {
    host::MachineDescription m = Machine(row.plane, row.type, row.selector);
    if (row.names) {
      m.names_supplied = true;
      m.names[0] = "Gantry";
      m.names[1] = "Bridge";
    }
    host::CncState cnc(m);
    memset(cnc.display, 0xEE, sizeof cnc.display);
    EXPECT_EQ(RecordCNCInitCopy(cnc.record()), 1);
    const AXIS_DISPLAY& d = cnc.axis_display();
    EXPECT_EQ(Letters(d), row.letters) << row.why;
    EXPECT_EQ(Mirrors(d), row.mirrored) << row.why;
    EXPECT_EQ(d.reserved0[0], 0xEE) << "bytes 0-1 stay the host's";
    for (int k = 0; k < 3; ++k) {
      int field = d.axis_field[k];
      if (field != 0) {
        EXPECT_EQ(d.field[field - 1].mirrored, d.axis_sign[k] == 255 ? 1 : 0) << row.why;
      }
    }
  }
}

TEST(RecordCnc, NamesTravelWithTheirAxesAndStayBounded) {
  host::MachineDescription m = Machine(6);
  m.names_supplied = true;
  host::CncState cnc(m);
  strcpy(cnc.names[0], "Gantry-long-name");  // 16 characters: cut at 10
  strcpy(cnc.names[1], "Bridge");
  RecordCNCInitCopy(cnc.record());
  const AXIS_DISPLAY& d = cnc.axis_display();
  EXPECT_STREQ(d.field[0].name, "Bridge");
  EXPECT_STREQ(d.field[1].name, "Gantry-lon");
  EXPECT_STREQ(d.field[2].name, "");
}

TEST(RecordCnc, ScalesLettersAndRecordSize) {
  struct Row {
    uint32_t c749, c584;
    double scale;
  } rows[] = {{0, 0, 1000}, {0, 4, 10000}, {5 << 8, 4, 100000}, {7 << 8, 0, 1000}, {0, 0x15, 100000}};
  for (const Row& row : rows) {
    host::CncState cnc;
    cnc.constants[749] = row.c749;
    cnc.constants[584] = row.c584;
    RecordCNCInitCopy(cnc.record());
    EXPECT_EQ(g_cnc.program_scale, row.scale);
    EXPECT_EQ(g_cnc.position_scale, 8 * row.scale);
  }
  EXPECT_EQ(AxisLetter(36), 'X');
  EXPECT_EQ(AxisLetter(4), ' ');
  EXPECT_EQ(AxisLetter(35), 'W');

  // A host record of 80 bytes: 75 are copied, the size kept is 75.
  host::CncState cnc;
  uint8_t longer[80];
  memcpy(longer, cnc.record(), 75);
  memset(longer + 75, 0xAB, 5);
  uint16_t size = 80;
  memcpy(longer, &size, 2);
  RecordCNCInitCopy(reinterpret_cast<RECORDCNC_INIT_PARAMS*>(longer));
  EXPECT_EQ(g_cnc.record.size, 75);
  EXPECT_EQ(g_cnc.record.busy_b, cnc.record()->busy_b);
}

// Each exchange flag equals the parity of the mirrored and swapped display
// fields of its plane (the plane of axes 1-3 once more reversed, as G18 is
// seen): this checks every cell of both tables.
TEST(RecordCnc, FlagsFollowTheParityOfEachPlane) {
  auto parity = [](int a, int b, int extra) {
    int field_a = g_cnc.field[a], field_b = g_cnc.field[b];
    int odd = extra + (g_cnc.sign[a] < 0) + (g_cnc.sign[b] < 0) + (field_a > field_b);
    return static_cast<uint32_t>(odd % 2);
  };
  for (uint32_t selector = 0; selector <= 5; ++selector)
    for (uint32_t plane = 2; plane <= 9; ++plane) {
      host::CncState cnc(Machine(plane, 'F', selector));
      RecordCNCInitCopy(cnc.record());
      SCOPED_TRACE("selector " + std::to_string(selector) + " plane " + std::to_string(plane));
      EXPECT_EQ(g_cnc.flag_a, parity(0, 1, 0));
      EXPECT_EQ(g_cnc.flag_c, parity(0, 2, 1));
      EXPECT_EQ(g_cnc.flag_b, parity(1, 2, 0));
    }
  for (uint32_t plane = 3; plane <= 9; ++plane) {
    host::CncState cnc(Machine(plane));
    RecordCNCInitCopy(cnc.record());
    EXPECT_EQ(g_cnc.flag_a, parity(0, 1, 0)) << "plane " << plane;
  }
}

// A table of `n` entries; entry i ends at (i, 2i, 0) mm.
struct Table {
  explicit Table(uint32_t n, const host::MachineDescription& m = host::MachineDescription()) : cnc(m) {
    for (uint32_t i = 0; i < n; ++i) {
      CNC_BLOCK_ENTRY e{};
      e.end[0] = Counts(i);
      e.end[1] = Counts(2.0 * i);
      e.motion = 1;
      e.axes = 3;
      e.block_number = host::CncState::ToBcd(10 * i);
      cnc.SetEntry(i, e);
    }
    cnc.count_a = cnc.count_b = n;
    RecordCNCInitCopy(cnc.record());
  }
  int32_t Counts(double mm) const { return static_cast<int32_t>(mm * 8000); }
  std::vector<int32_t> Iterate() {
    std::vector<int32_t> seen;
    for (int32_t i = RecordCNCProgramReady() == 0 ? 0 : -1; i != -1 && seen.size() < 100;
         i = RecordCNCNextBlock(i))
      seen.push_back(i);
    return seen;
  }
  host::CncState cnc;
};

TEST(RecordCnc, IterationFollowsLinksCountsAndBusyFlags) {
  const int32_t kLinked = static_cast<int32_t>(0x80000000u);
  Table t(6);
  CNC_BLOCK_ENTRY e = t.cnc.entry(2);
  e.link = 5;  // entry 2 continues with entry 5
  t.cnc.SetEntry(2, e);
  EXPECT_EQ(t.Iterate(), (std::vector<int32_t>{0, 1, 2, 2 | kLinked, 3, 4, 5}));

  t.cnc.count_a = 4;  // count A ends the iteration first
  EXPECT_EQ(t.Iterate(), (std::vector<int32_t>{0, 1, 2, 2 | kLinked, 3}));
  t.cnc.count_a = 6;
  t.cnc.count_b = 5;  // the link now points past count B: the end
  EXPECT_EQ(t.Iterate(), (std::vector<int32_t>{0, 1, 2}));
  t.cnc.count_b = 6;

  // Busy while drawing: every operation fails, and recovers after.
  int32_t i = RecordCNCNextBlock(0);
  t.cnc.busy_b = 1;
  CNC_BLOCK_INFO info;
  CNC_RECORD_INFO record;
  EXPECT_EQ(RecordCNCNextBlock(i), -1);
  EXPECT_EQ(RecordCNCGetBlockInfo(i, &info), 0);
  EXPECT_EQ(RecordCNCGetRecordInfo(&record), 0);
  EXPECT_EQ(RecordCNCProgramReady(), -1);
  t.cnc.busy_b = 0;
  EXPECT_EQ(RecordCNCNextBlock(i), 2);

  // An unreadable table never continues; -1 passed in stays -1.
  EXPECT_EQ(RecordCNCNextBlock(-1), -1);
  t.cnc.count_b = 0x80000000u;
  EXPECT_EQ(RecordCNCNextBlock(0), -1);
  t.cnc.count_b = 6;
  t.cnc.entry_size_word() = 71;
  EXPECT_EQ(RecordCNCNextBlock(0), -1);
  EXPECT_EQ(RecordCNCGetBlockInfo(0, &info), 0);
  t.cnc.entry_size_word() = 100;
  EXPECT_EQ(RecordCNCGetBlockInfo(6, &info), 0) << "entry at count B";
  t.cnc.count_a = 0;
  EXPECT_EQ(RecordCNCProgramReady(), -1);
}

TEST(RecordCnc, ArcBlocksInEachPlane) {
  struct Row {
    uint8_t plane_code;
    uint32_t machine_plane;
    char type;
    bool swapped_order;
    uint8_t motion_in, motion_out;
    double centre[3];  // expected, display fields
    const char* why;
  };
  // Previous end (1, 2, 0) mm; this block ends at (5, 6, 7) with centre
  // components (0.5, 1.5) mm.
  const Row rows[] = {
      {kCncPlane12, 0, ' ', false, 2, 2, {1.5, 3.5, 0}, "plane 1-2, axis 3 hidden"},
      {kCncPlane12, 0, ' ', true, 2, 2, {2.5, 2.5, 0}, "order flag swaps the components"},
      {kCncPlane12, 3, ' ', false, 2, 3, {-1.5, 3.5, 0}, "mirrored axis 1: turn exchanged (flag A)"},
      {kCncPlane12, 6, ' ', false, 3, 2, {3.5, 1.5, 0}, "swapped fields: turn exchanged"},
      {kCncPlane13, 0, 'F', false, 2, 3, {1.5, 6, 1.5}, "plane 1-3 as G18 (flag C)"},
      {kCncPlane13, 0, 'F', true, 2, 3, {2.5, 6, 0.5}, "plane 1-3, order swapped"},
      {kCncPlane23, 0, 'F', false, 3, 3, {5, 2.5, 1.5}, "plane 2-3 (flag B clear)"},
      {kCncPlane23, 0, 'F', true, 3, 3, {5, 3.5, 0.5}, "plane 2-3, order swapped"},
  };
  for (const Row& row : rows) {
    host::MachineDescription m = Machine(row.machine_plane, row.type);
    int order_index = row.plane_code == kCncPlane12 ? 0 : row.plane_code == kCncPlane13 ? 1 : 2;
    m.order[order_index] = row.swapped_order ? 1 : 0;
    Table t(3, m);
    CNC_BLOCK_ENTRY e = t.cnc.entry(1);
    e.end[0] = t.Counts(1), e.end[1] = t.Counts(2), e.end[2] = 0;
    t.cnc.SetEntry(1, e);
    e = t.cnc.entry(2);
    e.end[0] = t.Counts(5), e.end[1] = t.Counts(6), e.end[2] = t.Counts(7);
    e.centre[0] = t.Counts(0.5), e.centre[1] = t.Counts(1.5);
    e.motion = row.motion_in;
    e.axes = row.plane_code;
    t.cnc.SetEntry(2, e);
    RecordCNCInitCopy(t.cnc.record());
    CNC_BLOCK_INFO info;
    ASSERT_EQ(RecordCNCGetBlockInfo(2, &info), 1) << row.why;
    EXPECT_EQ(info.motion, row.motion_out) << row.why;
    double centre[3];
    memcpy(centre, info.centre, sizeof centre);
    for (int k = 0; k < 3; ++k) EXPECT_DOUBLE_EQ(centre[k], row.centre[k]) << row.why << " field " << k + 1;
    EXPECT_EQ(info.block_number, 20u);
    EXPECT_EQ(info.index, 2u);
  }
}

TEST(RecordCnc, FullCircleOffsetProgressAndLinkedPrevious) {
  Table t(4);
  t.cnc.SetPosition(12, 1.5, -2.25, 0);
  CNC_BLOCK_ENTRY e = t.cnc.entry(2);
  e.motion = 3;
  e.options = 0x81;  // full-circle test, offset record applies
  memcpy(e.second_end, t.cnc.entry(1).end, sizeof e.second_end);
  e.offset_record = 0x12;  // record 12, BCD
  e.marks = 1 | 4 | 8;
  e.progress_done = 300;  // over the smaller total: clamped to 100 %
  e.progress_total_1 = 1000;
  e.progress_total_2 = 200;
  t.cnc.SetEntry(2, e);
  CNC_BLOCK_INFO info;
  ASSERT_EQ(RecordCNCGetBlockInfo(2, &info), 1);
  EXPECT_EQ(info.flags, kBlockField1 | kBlockField2 | kBlockProgress | kBlockMark1 | kBlockMark2 |
                            kBlockOffset | kBlockFullCircle);
  EXPECT_EQ(info.progress, 100);
  double offset[3];
  memcpy(offset, info.offset, sizeof offset);
  EXPECT_DOUBLE_EQ(offset[0], -1.5);
  EXPECT_DOUBLE_EQ(offset[1], 2.25);

  e.progress_done = 50;
  e.options = 0x01;
  e.second_end[0] += 1;  // no longer the previous end: no full circle
  t.cnc.SetEntry(2, e);
  ASSERT_EQ(RecordCNCGetBlockInfo(2, &info), 1);
  EXPECT_EQ(info.progress, 25);
  EXPECT_EQ(info.flags & (kBlockFullCircle | kBlockOffset), 0u);

  // Entry 1 links to entry 3, an arc: its centre counts from the entry
  // holding the link (1), not from the linked entry itself.
  e = t.cnc.entry(1);
  e.link = 3;
  t.cnc.SetEntry(1, e);
  e = t.cnc.entry(3);
  e.motion = 2;
  e.centre[0] = t.Counts(1);
  e.centre[1] = 0;
  t.cnc.SetEntry(3, e);
  ASSERT_EQ(RecordCNCGetBlockInfo(static_cast<int32_t>(0x80000001u), &info), 1);
  EXPECT_EQ(info.index, 1u);
  EXPECT_EQ(info.block_number, 30u);
  double centre[3];
  memcpy(centre, info.centre, sizeof centre);
  EXPECT_DOUBLE_EQ(centre[0], 2.0);  // entry 1 ends at x = 1
  EXPECT_DOUBLE_EQ(centre[1], 2.0);
}

TEST(RecordCnc, BcdAndPositions) {
  EXPECT_EQ(BcdToInt(0x12345678u), 12345678);
  EXPECT_EQ(BcdToInt(0x80000042u), -42);
  EXPECT_EQ(BcdToInt(0xFFFFFFFFu), -(7 * 10000000 + 15 * 1111111));  // odd digits stay bounded
  EXPECT_EQ(host::CncState::ToBcd(-1234), 0x80001234u);
  host::CncState cnc;
  cnc.SetPosition(1, 12.345, -0.5, 0);
  RecordCNCInitCopy(cnc.record());
  double p[3] = {9, 9, 9};
  RecordCNCGetPosition(0, p);
  EXPECT_EQ(p[0], 9) << "record 0 leaves the output alone";
  RecordCNCGetPosition(1, p);
  EXPECT_DOUBLE_EQ(p[0], 12.345);
  EXPECT_DOUBLE_EQ(p[1], -0.5);
}

}  // namespace

namespace {

TEST(CncStateLoading, MachineDescriptionsRefuseBadLinesWithTheirPlace) {
  struct Row {
    const char* text;
    const char* error;  // "" = accepted
  } rows[] = {
      {"# a plain table\ndecimals 4\naxes X Y -\nplane 6\ntype F\nselector 2\norder 13\n", ""},
      {"decimals 6\n", "m.machine:1: decimals must be 3, 4 or 5"},
      {"\n\naxes X Y\n", "m.machine:3: axes takes 3 values"},
      {"axes X Q Z\n", "m.machine:1: axis letter must be one of A B C U V W X Y Z or -, not \"Q\""},
      {"plane 16\n", "m.machine:1: plane must be a number 0-15"},
      {"names Gantry-long Y\n", "m.machine:1: an axis name holds at most 10 characters"},
      {"area 1 0 0 0 1 1\n", "m.machine:1: area: a minimum lies above its maximum"},
      {"sheet 0 0 0 1e400 1 1\n", "m.machine:1: \"1e400\" is not a number"},
      {"order 14\n", "m.machine:1: order names a plane: 12, 13 or 23"},
      {"speed 3\n", "m.machine:1: unknown setting \"speed\""},
  };
  for (const Row& row : rows) {
    host::MachineDescription m;
    m.plane = 99;
    std::string error;
    bool ok = host::ParseMachineDescription(row.text, "m.machine", &m, &error);
    EXPECT_EQ(ok, row.error[0] == '\0') << row.text;
    if (ok) {
      EXPECT_EQ(m.decimals, 4u);
      EXPECT_EQ(m.axis_letter[2], ' ');
      EXPECT_EQ(m.order[1], 1);
    } else {
      EXPECT_EQ(error, row.error);
      EXPECT_EQ(m.plane, 99u) << "a refused description changes nothing";
    }
  }
}

TEST(CncStateLoading, IsoProgramsFillTheTable) {
  host::CncState cnc;
  std::string error;
  ASSERT_TRUE(cnc.LoadIsoProgram("%\nN5 G90 G1 X1 Y2 (comment) F100\nN6 G2 X3 I1 J0 ; arc\nG91 X-1\n"
                                 "G3 I2\n", "p.nc", &error)) << error;
  ASSERT_EQ(cnc.count_b, 5u);
  EXPECT_EQ(cnc.count_a, 5u);
  CNC_BLOCK_ENTRY arc = cnc.entry(2);
  EXPECT_EQ(arc.end[0], 3 * 8000);
  EXPECT_EQ(arc.end[1], 2 * 8000);
  EXPECT_EQ(arc.centre[0], 8000);
  EXPECT_EQ(arc.motion, 2);
  EXPECT_EQ(arc.axes, kCncPlane12);
  EXPECT_EQ(arc.block_number, 0x6u);
  EXPECT_EQ(cnc.entry(3).end[0], 2 * 8000) << "G91 adds";
  EXPECT_EQ(cnc.entry(4).options & 1, 1) << "an arc back to its start is a full circle";
  // The full circle around (4, 2) of radius 2 reaches x = 6, y = 0 and 4.
  EXPECT_EQ(cnc.extent_2[1], 4 * 8000);
  EXPECT_EQ(cnc.extent_2[0], 6 * 8000);
  EXPECT_EQ(cnc.extent_1[1], 0);

  // A translated program: its message section (texts that look like blocks
  // included), R assignments, echoes in double quotes and the closing "*"
  // add no block.
  ASSERT_TRUE(cnc.LoadIsoProgram("{\r\nMSG(THIS)\r\n}\r\n$MSGBEGIN 01\r\n&1\r\nX500 Y500\r\n%2\r\n&2\r\n\r\n"
                                 "\r\n$MSGEND\r\n%1\r\nN1 G26 R5=51000000\r\nN2 G23\r\nN3 G1 X2 Y1  \"G1X2Y1\r\n"
                                 "N4 G35\r\n\r\n*\r\n", "p.nc", &error)) << error;
  ASSERT_EQ(cnc.count_b, 2u);
  EXPECT_EQ(cnc.entry(1).end[0], 2 * 8000);
  EXPECT_EQ(cnc.extent_2[0], 2 * 8000) << "nothing of the messages in the extents";

  struct Bad {
    const char* text;
    const char* error;
  } bad[] = {
      {"G1 X1.2.3\n", "p.nc:1: bad number after X"},
      {"G1 X1\nG1 Y#2\n", "p.nc:2: unexpected character '#'"},
      {"G1 X300000\n", "p.nc:1: coordinate out of range"},
      {"G1.5 X1\n", "p.nc:1: G word must be a whole number from 0 to 999"},
      // Beyond any int: refused before it is converted.
      {"G11111111111 X1\n", "p.nc:1: G word must be a whole number from 0 to 999"},
      {"G-1 X1\n", "p.nc:1: G word must be a whole number from 0 to 999"},
      {"{\nMSG(THIS)\nG1 X1\n", "p.nc:3: \"{\" without \"}\""},
      {"{\n}\n$MSGBEGIN 01\n&1\na\nb\nG1 X1\n", "p.nc:7: a message must begin with &"},
      {"{\n}\n$MSGBEGIN 01\n&1\n$MSGEND\n", "p.nc:5: $MSGBEGIN without $MSGEND"},
      {"X1 {\n", "p.nc:1: unexpected character '{'"},
      {"G26 R5=5.5.5\n", "p.nc:1: bad number after R="},
  };
  for (const Bad& b : bad) {
    EXPECT_FALSE(cnc.LoadIsoProgram(b.text, "p.nc", &error));
    EXPECT_EQ(error, b.error);
  }
}

}  // namespace
