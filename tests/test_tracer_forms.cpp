// The correction forms through libTracer's exports, with the simulator's
// table store behind the write and load services.
#include <gtest/gtest.h>

#include "tests/support/tracer_rig.h"

namespace {

using host::TracerForm;
using testing_support::TracerRig;

constexpr int kFieldX = 400, kResultY = 320, kWrittenY = 224, kValueY = 288;

struct FormCase {
  const char* why;
  TracerForm form;
  int decimals;
  uint8_t axis;           // axisIndex the host sets (INKOR only)
  char machine;
  uint32_t halving_bits;  // word 3000
  int64_t position;       // position service, axis `axis`
  const char* table;      // file before the form ("" none)
  const char* load_text;  // what the load services answer (nullptr: the table)
  const char* keys;
  int status;             // last data call
  const char* written;    // resultText the write service received (nullptr: no write)
  const char* result_line;  // last text on the result line
  const char* written_row;  // last text on row 1 ("" none or blanks)
};

const char kTable15[] =
    "Correction table\n\n$KOR\n15: R=2.500  1=1.000  2=0.000  3=0.000  4=0.000  5=0.000  6=0.000 \n";

const FormCase kCases[] = {
    {"set: 12.000 at 100.000 writes 88.000, R shown on row 1", TracerForm::kInkor, 3, 1, 'N', 0, 100000, "",
     nullptr, "left 15 down left 12 down enter", 9, "+00088.000", "+   12.000", "+   88.000"},
    {"axis 255: the entered value is written unchanged", TracerForm::kInkor, 3, 255, 'N', 0, 100000, "",
     nullptr, "left 15 down left 12 down enter", 9, "+00012.000", "+   12.000", ""},
    {"69999.999 is accepted", TracerForm::kInkor, 3, 255, 'N', 0, 0, "", nullptr,
     "left 15 down left left left left 69999999 down enter", 9, "+69999.999", "+69999.999", ""},
    {"70000.000 is refused and cannot be written", TracerForm::kInkor, 3, 255, 'N', 0, 0, "", nullptr,
     "left 15 down left left left left 70000000 down enter enter", 0, nullptr, "suma > max", ""},
    {"halving: an odd value is halved, truncated", TracerForm::kInkor, 3, 0, 'N', 1, 100000, "", nullptr,
     "left 15 down left 12001 down enter", 9, "+00094.000", "+    6.000", "+   94.000"},
    {"diameter axis: the reading is shown doubled, R written", TracerForm::kInkor, 3, 0, 'S', 0, 100000, "",
     nullptr, "left 15 down left 12 down enter", 9, "+00088.000", "+   24.000", "+   88.000"},
    {"a doubled reading that does not fit is refused", TracerForm::kInkor, 3, 0, 'K', 0, 100000, "", nullptr,
     "left 15 down left left left left 69999999 down enter", 0, nullptr, "suma > max", ""},
    {"D = 4: point at 5, units on column 3", TracerForm::kInkor, 4, 1, 'N', 0, 1000000, "", nullptr,
     "left 15 down left 12 down enter", 9, "+0088.0000", "+  12.0000", "+  88.0000"},
    {"D = 5: point at 4, units on column 2", TracerForm::kInkor, 5, 1, 'N', 0, 10000000, "", nullptr,
     "left 15 down left 12 down enter", 9, "+088.00000", "+ 12.00000", "+ 88.00000"},
    {"INKOR2 adds the halved change to the correction", TracerForm::kInkor2, 3, 0, 'N', 1, 0, kTable15, nullptr,
     "15 down left 12001 down enter", 9, "7.000", "+    7.000", ""},
    {"INKOR2: a loaded correction that is no number gives suma > max", TracerForm::kInkor2, 3, 0, 'N', 0, 0, "",
     "12x", "15 down 1 down enter", 0, nullptr, "suma > max", ""},
    {"INKOR2: an 11-byte loaded text without NUL overflows nothing", TracerForm::kInkor2, 3, 0, 'N', 0, 0, "",
     "99999999999", "15 down 1 down enter", 0, nullptr, "suma > max", ""},
    {"INKOR2: E + T at 70000.000 is refused", TracerForm::kInkor2, 3, 0, 'N', 0, 0, "", "69999999",
     "15 down left left left left 00000001 down enter", 0, nullptr, "suma > max", ""},
    {"INKOR3 writes the radius as entered", TracerForm::kInkor3, 3, 0, 'N', 0, 0, kTable15, nullptr,
     "left 15 down 4 down enter", 9, "+00004.500", "+    4.500", ""},
    {"the leave key writes nothing, even on the result row", TracerForm::kInkor, 3, 1, 'N', 0, 100000, "",
     nullptr, "left 15 down left 12 down leave", 9, nullptr, "+   12.000", "+   88.000"},
    {"entry 00 cannot leave row 0", TracerForm::kInkor, 3, 1, 'N', 0, 100000, "", nullptr,
     "down down enter enter", 0, nullptr, "", ""},
};

TEST(TracerForms, ScriptedEntries) {
  for (const FormCase& c : kCases) {
    SCOPED_TRACE(c.why);
    TracerRig rig;
    rig.host.SetDecimals(c.decimals);
    rig.host.axis_index = c.axis;
    rig.host.position_arg = c.axis;
    rig.host.machine_type = c.machine;
    rig.host.SetSetting(3000, c.halving_bits);
    rig.host.SetPosition(c.axis, c.position);
    rig.host.SetPosition(0, c.position);
    if (*c.table) rig.box.Write("c:\\tables\\korekce.tab", c.table);
    if (c.load_text != nullptr) rig.host.SetLoadText(c.load_text);
    rig.runner.Prefix(c.form);
    EXPECT_EQ(rig.Keys(c.keys), c.status);
    if (c.written == nullptr) {
      EXPECT_TRUE(rig.host.writes().empty());
    } else {
      ASSERT_EQ(rig.host.writes().size(), 1u);
      EXPECT_EQ(rig.host.writes()[0].value, c.written);
      EXPECT_EQ(rig.host.writes()[0].entry, "15");
      EXPECT_EQ(rig.host.form_status, 9);
      EXPECT_EQ(rig.host.message_code, 0) << rig.host.last_error();
    }
    const std::string line = rig.LastTextAt(kFieldX, kResultY);
    EXPECT_EQ(line.substr(0, line.find_last_not_of(' ') + 1), c.result_line);
    std::string row = rig.LastTextAt(kFieldX, kWrittenY);
    row = row.substr(0, row.find_last_not_of(' ') + 1);
    EXPECT_EQ(row, c.written_row);
    EXPECT_TRUE(rig.host.GuardsIntact());
    EXPECT_EQ(rig.host.Text("sectionText"), "$KOR");
    EXPECT_EQ(rig.host.Text("tableName"), "c:\\tables\\korekce.tab");
  }
}

TEST(TracerForms, TableFileAfterAScriptedForm) {
  TracerRig rig;
  rig.host.axis_index = 1;
  rig.host.position_arg = 1;
  rig.host.SetPosition(1, 100000);
  rig.box.Write("c:\\tables\\korekce.tab", kTable15);
  rig.runner.Prefix(TracerForm::kInkor);
  ASSERT_EQ(rig.Keys("left 03 down left 12 down enter"), 9);
  EXPECT_EQ(rig.box.Read("c:\\tables\\korekce.tab"),
            "Correction table\n\n$KOR\n"
            "03: R=0.000  1=0.000  2=88.000  3=0.000  4=0.000  5=0.000  6=0.000 \n"
            "15: R=2.500  1=1.000  2=0.000  3=0.000  4=0.000  5=0.000  6=0.000 \n");
}

TEST(TracerForms, FailedWriteOrReplaceGives135AndKeepsTheOldFile) {
  for (auto fault : {host::TableStore::Fault::kWrite, host::TableStore::Fault::kReplace}) {
    TracerRig rig;
    rig.host.axis_index = 1;
    rig.host.SetPosition(0, 100000);
    rig.box.Write("c:\\tables\\korekce.tab", kTable15);
    rig.host.tables().FailNext(fault);
    rig.runner.Prefix(TracerForm::kInkor);
    EXPECT_EQ(rig.Keys("left 15 down left 12 down enter"), 9);
    EXPECT_EQ(rig.host.message_code, 135);
    EXPECT_EQ(rig.host.form_status, 9);
    EXPECT_EQ(rig.box.Read("c:\\tables\\korekce.tab"), kTable15);
    EXPECT_FALSE(rig.box.Exists("c:\\tables\\korekce.tab.tmp"));
  }
}

TEST(TracerForms, RadiusFormReloadsForEachTypedEntry) {
  TracerRig rig;
  rig.box.Write("c:\\tables\\korekce.tab",
                "Correction table\n\n$KOR\n01: R=2.500\n02: R=3.125\n12: R=-1.5\n");
  rig.runner.Prefix(TracerForm::kInkor3);
  EXPECT_EQ(rig.host.Text("valueText"), "+    2.500");
  EXPECT_EQ(rig.host.add_mode, 0);
  rig.Keys("2");
  EXPECT_EQ(rig.host.Text("entryText"), "02");
  EXPECT_EQ(rig.host.Text("valueText"), "+    3.125");
  EXPECT_EQ(rig.LastTextAt(kFieldX, kValueY), "+    3.125");
  rig.Keys("left 1 2");
  EXPECT_EQ(rig.host.Text("valueText"), "-    1.500");
  EXPECT_EQ(rig.host.calls("load entry"), 4);
  EXPECT_EQ(rig.host.Text("resultText"), "");
}

TEST(TracerForms, LoadedTextsThatDoNotFitStartAtZero) {
  struct Case {
    const char* loaded;
    int decimals;
    const char* value;
  } cases[] = {
      {"12345678901", 3, "+    0.000"},  // 11 bytes, no NUL: never read beyond
      {"1.23456", 3, "+    1.234"},      // decimals beyond D cut
      {"1.2", 5, "+  1.20000"},
      {"abc", 3, "+    0.000"},
      {"123456789", 3, "+    0.000"},    // does not fit the field
      {"-7", 4, "-   7.0000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.loaded);
    TracerRig rig;
    rig.host.SetDecimals(c.decimals);
    rig.host.SetLoadText(c.loaded);
    rig.runner.Prefix(TracerForm::kInkor3);
    EXPECT_EQ(rig.host.Text("valueText"), c.value);
    EXPECT_TRUE(rig.host.GuardsIntact());
  }
}

TEST(TracerForms, CursorBlinkAndAxisKeys) {
  TracerRig rig;
  rig.host.axis_count = 2;
  rig.runner.Prefix(TracerForm::kInkor2);
  EXPECT_EQ(rig.host.axis_index, 0);
  rig.Keys("Y");
  EXPECT_EQ(rig.host.axis_index, 1);
  EXPECT_EQ(rig.LastTextAt(352, 256), " Y ");
  rig.Keys("Z");  // two axes: Z is ignored
  EXPECT_EQ(rig.host.axis_index, 1);
  rig.Keys("X");
  EXPECT_EQ(rig.host.axis_index, 0);
  // Blink: three ticks toggle the cursor; the bar sits under column 0.
  rig.Clear();
  rig.host.KeyForm(0, 3);
  rig.runner.Data(0);
  auto fills = rig.Fills();
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_EQ(fills[0], (TracerRig::Shape{416, 220, 16, 4, rig.display.block()[25]}));
}

}  // namespace

namespace {

TEST(TracerTableStore, ShiftTablesAndBrokenFiles) {
  testing_support::Sandbox box;
  host::TableStore store(&box.files());
  std::string error;
  // A shift table has no R column; entries come out in ascending order,
  // values kept in millimetres when the decimals change.
  ASSERT_TRUE(store.WriteValue("c:\\t\\pos.tab", "$POS", 55, 1, -1500, 3, &error)) << error;
  ASSERT_TRUE(store.WriteValue("c:\\t\\pos.tab", "$POS", 54, 0, 12345, 4, &error)) << error;
  EXPECT_EQ(box.Read("c:\\t\\pos.tab"),
            "Shift table\n\n$POS\n"
            "54: 1=1.2345  2=0.0000  3=0.0000  4=0.0000  5=0.0000  6=0.0000 \n"
            "55: 1=0.0000  2=-1.5000  3=0.0000  4=0.0000  5=0.0000  6=0.0000 \n");
  // A file whose entries cannot be read is never overwritten.
  const char broken[] = "Correction table\n\n$KOR\n01: R=abc\n";
  box.Write("c:\\t\\kor.tab", broken);
  EXPECT_FALSE(store.WriteValue("c:\\t\\kor.tab", "$KOR", 1, 0, 1, 3, &error));
  EXPECT_EQ(error, "c:\\t\\kor.tab: line 4 is not a table entry");
  EXPECT_EQ(box.Read("c:\\t\\kor.tab"), broken);
  EXPECT_FALSE(store.WriteValue("c:\\t\\kor.tab", "$KOR", 1, 6, 1, 3, &error)) << "axis 6 has no column";
  EXPECT_FALSE(store.WriteValue("nodrive.tab", "$KOR", 1, 0, 1, 3, &error));
}

}  // namespace
