// The zero-offset forms through libTracer's exports: the shift forms on
// the form engine, the fixed additive shift and its table reset, and the
// hard-wired write of the current axis values.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bridge/fsp.h"
#include "host/services/offset_host.h"
#include "tests/support/tracer_rig.h"

namespace {

using host::TracerForm;
using testing_support::TracerRig;

constexpr char kShiftTable[] = "c:\\tables\\posuny.tab";
const char kTable54[] = "Shift table\n\n$POS\n54: 1=1.000  2=10.000  3=0.000  4=0.000  5=0.000  6=0.000 \n";
const char kTableFull[] = "Shift table\n\n$POS\n54: 1=0.000  2=69999.999  3=0.000  4=0.000  5=0.000  6=0.000 \n";

struct OffsetRig {
  TracerRig rig;
  host::OffsetHost offsets{rig.host};
  OffsetRig() {
    offsets.SetFixDir("c:\\fix\\");
    rig.box.Write("c:\\fix\\keep", "");
  }
  // Steps with waits, as hostsim table-form takes them.
  int Run(TracerForm form, const std::string& script) {
    rig.runner.Prefix(form);
    std::vector<host::KeyStep> steps;
    EXPECT_EQ(host::ParseKeyScript(script, host::kFormKeys, &steps), "") << script;
    std::vector<host::FormStep> form_steps;
    std::string error;
    EXPECT_TRUE(host::FormSteps(steps, host::FormLeaveKey(form), &form_steps, &error)) << error;
    int status = 0;
    for (const host::FormStep& s : form_steps)
      if ((status = rig.runner.Data(s.key, s.ticks)) == 9) break;
    return status;
  }
};

TEST(TracerOffsets, ShiftForms) {
  struct Case {
    const char* why;
    TracerForm form;
    const char* mode;      // modeText
    uint32_t table_digit;  // bits 8-11 of word 1356
    const char* table;
    const char* keys;
    int status;
    const char* entry;     // entryText after the prefix
    uint8_t axis;          // axis written
    const char* written;   // value the write service received (nullptr: none)
    uint8_t message;
  };
  const Case cases[] = {
      {"INPOSUN adds the change to the loaded shift of Y", TracerForm::kInposun, "S000", 0, kTable54,
       "down 5 down enter", 9, "54", 1, "15.000", 0},
      {"INPOSUN: 'F' in modeText starts on the first axis; table 57 from the settings", TracerForm::kInposun,
       "F000", 7, "", "down 5 down enter", 9, "57", 0, "5.000", 0},
      {"INPOSUN: a sum of 70000.000 is refused, nothing written", TracerForm::kInposun, "S000", 0, kTableFull,
       "down 0 right right 1 down enter", 0, "54", 1, nullptr, 0},
      {"INPOSUN: table 52 is no shift table", TracerForm::kInposun, "S000", 0, kTable54,
       "left 52 down 5 down enter", 0, "54", 1, nullptr, 0},
      {"INPOSUN_ZAPIS writes the entered value, no load", TracerForm::kInposunZapis, "S000", 0, kTable54,
       "down left 12 down enter", 9, "54", 1, "+   12.000", 0},
      {"INPOSUN_ZAPIS: an axis key resets the value and selects the axis", TracerForm::kInposunZapis, "S000", 0,
       kTable54, "down 9 Z down enter", 9, "54", 2, "+    0.000", 0},
      {"the leave key G writes nothing", TracerForm::kInposunZapis, "S000", 0, kTable54, "down 9 down leave", 9,
       "54", 1, nullptr, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    OffsetRig r;
    host::TracerHost& h = r.rig.host;
    snprintf(h.mode_text, sizeof h.mode_text, "%s", c.mode);
    h.SetSetting(1356, c.table_digit << 8);
    h.SetPosition(2, 4000);
    if (*c.table) r.rig.box.Write(kShiftTable, c.table);
    const int status = r.Run(c.form, c.keys);
    EXPECT_EQ(status, c.status);
    EXPECT_EQ(h.Text("sectionText"), "$POS");
    EXPECT_EQ(h.shift_family, 255);
    EXPECT_EQ(h.write_mode, c.form == TracerForm::kInposun ? 0 : 255);
    if (c.form == TracerForm::kInposunZapis) {
      EXPECT_EQ(h.calls("load shift") + h.calls("load entry"), 0);
    }
    if (c.written == nullptr) {
      EXPECT_TRUE(h.writes().empty());
    } else {
      ASSERT_EQ(h.writes().size(), 1u);
      EXPECT_EQ(h.writes()[0].table, kShiftTable);
      EXPECT_EQ(h.writes()[0].section, "$POS");
      EXPECT_EQ(h.writes()[0].entry, c.entry);
      EXPECT_EQ(h.writes()[0].axis, c.axis);
      EXPECT_EQ(h.writes()[0].value, c.written);
    }
    EXPECT_EQ(h.message_code, c.message);
    EXPECT_TRUE(h.GuardsIntact());
  }
}

TEST(TracerOffsets, AxisKeyRefreshesThePositionArgument) {
  OffsetRig r;
  host::TracerHost& h = r.rig.host;
  h.SetPosition(0, 11000);
  h.SetPosition(1, 77000);
  snprintf(h.mode_text, sizeof h.mode_text, "F000");
  r.Run(TracerForm::kInposunZapis, "");
  EXPECT_EQ(h.axis_index, 0);
  EXPECT_EQ(h.position_arg, 11000u);
  r.Run(TracerForm::kInposunZapis, "down 3 Y");
  EXPECT_EQ(h.axis_index, 1);
  EXPECT_EQ(h.position_arg, 77000u);
  EXPECT_EQ(h.Text("valueText"), "+    0.000");
}

TEST(TracerOffsets, FixedShiftWriteAndReset) {
  OffsetRig write;
  EXPECT_EQ(write.Run(TracerForm::kInposunZapisFix, "7 down enter"), 9);
  ASSERT_EQ(write.offsets.fix_writes().size(), 1u);
  EXPECT_EQ(write.offsets.fix_writes()[0].value, "+    7.000");
  EXPECT_TRUE(write.rig.host.writes().empty());
  EXPECT_EQ(write.rig.host.Text("tableName"), "");

  OffsetRig reset;
  reset.rig.box.Write("c:\\fix\\TABFIX.POS", "old table\n");
  EXPECT_EQ(reset.Run(TracerForm::kInposunZapisFix, "up enter"), 9);
  const std::string expected(
      "Fixni aditivni posunuti \n\n$POS\n00: 1=0.000  2=0.000  3=0.000  4=0.000  5=0.000  6=0.000 \n\0", 90);
  EXPECT_EQ(reset.rig.box.Read("c:\\fix\\TABFIX.POS"), expected);
  EXPECT_FALSE(reset.rig.box.Exists("c:\\fix\\TABFIX.NEW"));
  EXPECT_EQ(reset.rig.host.axis_index, 255);
  EXPECT_EQ(reset.offsets.fix_writes().size(), 1u);
  EXPECT_EQ(reset.rig.host.message_code, 0);
  EXPECT_EQ(reset.rig.box.files().open_handles(), 0);
}

TEST(TracerOffsets, FixedResetFailuresKeepTheOldTable) {
  struct Case {
    const char* why;
    int slot;
    int handles_left;  // a failed close leaves the host's handle
  };
  const Case cases[] = {
      {"open fails", kFspOpen, 0},
      {"write fails", kFspWrite, 0},
      {"close fails: the host keeps its handle, nothing replaces the old file", kFspClose, 1},
      {"rename fails", kFspRename, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    OffsetRig r;
    r.rig.box.Write("c:\\fix\\TABFIX.POS", "old table\n");
    r.rig.runner.Prefix(TracerForm::kInposunZapisFix);
    r.rig.runner.Data(2);  // up to the NULL row
    r.rig.box.files().FailCall(c.slot, 1, -3);
    EXPECT_EQ(r.rig.runner.Data(164), 9);
    EXPECT_EQ(r.rig.host.message_code, 135);
    EXPECT_TRUE(r.offsets.fix_writes().empty());
    EXPECT_EQ(r.rig.box.files().open_handles(), c.handles_left);
    if (c.slot != kFspRename) {
      EXPECT_EQ(r.rig.box.Read("c:\\fix\\TABFIX.POS"), "old table\n");
    }
    EXPECT_EQ(r.rig.host.form_status, 9);
  }
}

TEST(TracerOffsets, HardwiredForm) {
  struct Case {
    const char* why;
    int preset;          // presetTable digit, or -1 for none
    uint16_t start_tick;
    uint32_t mirror;     // word 348
    uint32_t axis_two;   // word 3000
    uint32_t hardwired;  // word 2916
    bool fail_first;
    const char* keys;
    int status;
    std::vector<std::pair<int, int>> writes;  // axis written and the axis whose value it got, in order
    const char* entry;
    uint8_t message;
  };
  const uint32_t kTable6Axes03 = 6u << 24 | 1u << 0 | 1u << 12;
  const Case cases[] = {
      {"18 ticks: still waiting", 4, 100, 0, 0, 0, false, "wait=18", 0, {}, "54", 0},
      {"19 ticks: written as if Enter", 4, 100, 0, 0, 0, false, "wait=18 wait=1", 9, {{0, 0}, {1, 1}}, "54", 0},
      {"a wrapped tick counter writes at once", 4, 65530, 0, 0, 0, false, "wait=10", 9, {{0, 0}, {1, 1}}, "54", 0},
      {"mirror axes and axis 2, in order", 5, 100, 3 | 5u << 16, 2u << 8, 0, false, "enter", 9,
       {{0, 0}, {2, 0}, {1, 1}, {4, 1}, {2, 2}}, "55", 0},
      {"mirror settings 0 and 7 add nothing", 5, 100, 7 | 0u << 16, 0, 0, false, "enter", 9, {{0, 0}, {1, 1}}, "55", 0},
      {"the first failure stops the writes", 4, 100, 3, 0, 0, true, "enter", 9, {{0, 0}}, "54", 135},
      {"G leaves without writing", 4, 100, 0, 0, 0, false, "leave", 9, {}, "54", 0},
      {"no preset: the settings' axes and table, after Enter only", -1, 100, 0, 0, kTable6Axes03 | 1u << 31,
       false, "wait=30 enter", 9, {{0, 0}, {3, 3}}, "56", 0},
      {"no preset, no Enter needed: the delay applies", -1, 100, 0, 0, kTable6Axes03, false, "wait=19", 9,
       {{0, 0}, {3, 3}}, "56", 0},
      {"no preset: G restores 255 too", -1, 100, 0, 0, kTable6Axes03, false, "leave", 9, {}, "56", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    OffsetRig r;
    host::TracerHost& h = r.rig.host;
    h.write_reads_value_text = true;
    h.preset_table = c.preset < 0 ? 255 : static_cast<uint8_t>('0' + c.preset);
    h.tick = c.start_tick;
    h.SetSetting(348, c.mirror);
    h.SetSetting(3000, c.axis_two);
    h.SetSetting(2916, c.hardwired);
    for (int axis = 0; axis < 6; ++axis) h.SetPosition(axis, 1000 * (axis + 1) + 1);
    if (c.fail_first) h.tables().FailNext(host::TableStore::Fault::kReplace);
    EXPECT_EQ(r.Run(TracerForm::kPosunZapisNatvrdo, c.keys), c.status);
    std::vector<std::pair<int, int>> writes;
    for (const auto& w : h.writes()) {
      EXPECT_EQ(w.entry, c.entry);
      // Axis k stands at k+1 mm and 1 um: the value tells whose it is.
      writes.emplace_back(w.axis, static_cast<int>(atof(w.value.c_str() + 1)) - 1);
    }
    EXPECT_EQ(writes, c.writes);
    EXPECT_EQ(h.message_code, c.message);
    if (c.preset < 0) {
      EXPECT_EQ(h.preset_table, 255);
    }
    EXPECT_TRUE(h.GuardsIntact());
  }
}

TEST(TracerOffsets, HardwiredValueTooLargeIsNotWritten) {
  OffsetRig r;
  host::TracerHost& h = r.rig.host;
  h.write_reads_value_text = true;
  h.preset_table = '4';
  h.SetPosition(0, 123456789);
  EXPECT_EQ(r.Run(TracerForm::kPosunZapisNatvrdo, "enter"), 9);
  EXPECT_TRUE(h.writes().empty());
  EXPECT_EQ(h.message_code, 135);
}

}  // namespace
