// libVitals through its exports: what it exports, its texts, and the
// system-information panel (fields, BCD values, rows, variants, the
// refresh cycle).
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "bridge/hex_digits.h"
#include "tests/support/vitals_host.h"
#include "vitals/bcd_text.h"

using testing_support::VitalsHost;

namespace {

int RowY(int row) { return 112 + 16 * row; }

TEST(VitalsLibrary, ExportsExactlyItsOperations) {
  VitalsHost host;
  std::set<std::string> names;
  for (const auto& [name, symbol] : host.runner().library().exports()) names.insert(name);
  // No stubs for the operations without a behaviour of their own.
  EXPECT_EQ(names, (std::set<std::string>{"INIT_VITALS", "PREFIX_VITALS", "DATA_VITALS", "WRITE_EVENT",
                                          "WRITE_EVENT_CRITICAL", "PREFIX_EVENT", "DATA_EVENT", "VitalsTest",
                                          "FSPInit", "LocalizationInit", "GetLocString",
                                          // input/output, panel, LED, keyboard and interface screens
                                          "PREFIX_INPUT", "DATA_INPUT", "PREFIX_OUTPUT", "DATA_OUTPUT",
                                          "PREFIX_IOPAN", "DATA_IOPAN", "PREFIX_DGNPAN", "DATA_DGNPAN",
                                          "CLR_PREFIX_LED", "ZMENA_LED", "PREFIX_TESTTLAC", "CONT_TESTTLAC",
                                          "PREFIX_INDITAB", "DATA_INDITAB", "PREFIX_PB1", "PREFIX_PB2",
                                          "PREFIX_BZ1", "PREFIX_BZ2", "DATA_PB1", "DATA_PB2", "DATA_BZ1",
                                          "DATA_BZ2",
                                          // drive and axis screens
                                          "PREFIX_SERVO", "DATA_SERVO", "PREFIX_SLM", "DATA_SLM", "PREFIX_ECC",
                                          "DATA_ECC", "PREFIX_TRANS", "DATA_TRANS", "PREFIX_NKOR", "DATA_NKOR",
                                          "PREFIX_SU4", "DATA_SU4",
                                          // character set
                                          "WinToZORV_DLL", "UnicodeToZORV_DLL",
                                          // CAN parameters and PLC texts
                                          "LoadEDSCan1", "LoadPlcText"}));
  auto test = host.runner().library().Bind<uint32_t (*)(uint32_t*)>("VitalsTest");
  EXPECT_EQ(test(nullptr), 0x12345678u);
}

TEST(VitalsLibrary, TextsOnlyAfterLocalizationInit) {
  VitalsHost host(0);
  EXPECT_EQ(host.runner().library().Bind<const char* (*)(uint32_t)>("GetLocString")(271), nullptr);
  // Without a table the panel draws its labels as nothing, never a null text.
  host.runner().PanelPrefix();
  for (const host::GdiCall& call : host.display().recorder().calls()) EXPECT_EQ(call.error, "") << call.Describe();

  auto init = host.runner().library().Bind<int (*)(void*, uint32_t)>("LocalizationInit");
  const uint32_t kIds[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 271, 272, 273, 274, 275,
                           276, 277, 278, 279, 280, 283, 284, 285, 286, 287, 288, 289, 379,
                           // drive, port, panel-test, table and keyboard screens
                           281, 282, 290, 291, 292, 293, 294, 303, 309, 311, 312, 313, 314, 315, 316, 317,
                           318, 364, 365, 366, 450, 451, 452, 453, 454, 455, 456, 457, 458, 459, 460, 461};
  for (uint32_t language : {5u, 7u, 9u, 12u, 14u, 21u, 25u, 36u}) {
    ASSERT_EQ(init(nullptr, language), 1) << language;
    for (uint32_t id : kIds) EXPECT_NE(host.runner().Text(id), "") << "language " << language << " text " << id;
    // Two-line soft keys keep their line break.
    EXPECT_NE(host.runner().Text(1).find('\n'), std::string::npos) << language;
  }
  init(nullptr, 9);
  const std::pair<uint32_t, const char*> kEnglish[] = {
      {1, " Memory   \n   ON"}, {2, " Save     \nsettings"}, {9, " Scale    \n MANUAL"},
      {271, "Current table"}, {273, "Corr.number  "}, {275, "  R="}, {277, "Tool type:"},
      {283, " Events"}, {284, " Events  (needs version 40.31) "}, {285, " File upload to service FTP server"},
      {287, "Server IP address:  "}, {289, "System IP address:  "}, {379, "S1."}};
  for (const auto& [id, text] : kEnglish) EXPECT_EQ(host.runner().Text(id), text) << id;
}

TEST(VitalsBcd, DigitsSignAndDecimals) {
  struct Case {
    uint32_t bcd, decimals;
    const char* text;
  } cases[] = {
      {0x80001234, 3, "-1.234"},  {0x80001234, 5, "-0.01234"}, {0x00001234, 4, "0.1234"},
      {0, 3, "0.000"},            {0, 5, "0.00000"},           {0x80000000, 4, "0.0000"},  // no "-0"
      {0x12, 3, "0.012"},         {0x7FFFFFFF, 3, "7FFFF.FFF"},  // the word's digit string, whatever it holds
      {0x123456, 3, "123.456"},
  };
  for (const Case& c : cases) {
    char text[32];
    TextBuffer b = MakeTextBuffer(text, sizeof text);
    AppendBcd(&b, c.bcd, c.decimals);
    EXPECT_STREQ(text, c.text) << std::hex << c.bcd << " " << c.decimals;
  }
}

TEST(VitalsBcd, HexadecimalFields) {
  struct Case {
    uint32_t value, digits;
    const char* text;
  } cases[] = {
      {0x1A2B, 4, "1A2B"}, {0xF, 1, "F"},  // upper case, most significant first
      {0x5, 3, "005"},                    // leading zeros fill the field
      {0xABCDE, 2, "DE"},                 // only the low digits: the field never grows
      {0xFFFFFFFF, 8, "FFFFFFFF"}, {0x7, 0, ""},
  };
  for (const Case& c : cases) {
    char text[16];
    TextBuffer b = MakeTextBuffer(text, sizeof text);
    TextAppendHex(&b, c.value, c.digits);
    EXPECT_STREQ(text, c.text) << std::hex << c.value << " " << c.digits;
  }
}

// One panel set-up per row: what the host holds, and the texts expected.
struct PanelCase {
  const char* why;
  std::function<void(host::PanelHostData&, host::HostMemory&)> setup;
  std::vector<std::tuple<int, int, std::string>> texts;  // x, y, text
};

void Correction(host::HostMemory& m, uint32_t n, uint32_t k, uint32_t bcd) {
  m.Set<uint32_t>(kPanelCorrections + kPanelCorrectionBytes * n + 4 * k, bcd);
}

TEST(VitalsPanel, FieldsAsTheHostHoldsThem) {
  const PanelCase cases[] = {
      {"radius as BCD with 3 decimals, sign kept",
       [](host::PanelHostData& d, host::HostMemory& m) {
         d.technology = {0x3, 0x05, '1', 0, 0, 0};
         Correction(m, 5, 0, 0x80001234);
       },
       {{504, RowY(5), "3"}, {504, RowY(6), "05"}, {504, RowY(7), "1"}, {688, RowY(8), "-1.234      "}}},
      {"5 decimals from word 584 when word 749 gives none",
       [](host::PanelHostData& d, host::HostMemory& m) {
         d.technology = {0, 0x05, '1', 0, 0, 0};
         d.words[584] = 5;
         Correction(m, 5, 0, 0x80001234);
       },
       {{688, RowY(8), "-0.01234    "}}},
      {"digit 0: radius 0.0; the status word swaps 1 and 2",
       [](host::PanelHostData& d, host::HostMemory& m) {
         d.technology = {0, 0x05, '0', 0, 0, 0};
         Correction(m, 5, 0, 0x1234);
       },
       {{504, RowY(7), "0"}, {688, RowY(8), "0.0         "}}},
      {"status bits 8-11 show digit 1 as 2",
       [](host::PanelHostData& d, host::HostMemory&) {
         d.technology = {0, 0x05, '1', 0, 0, 0};
         d.digit_swap = 0x100;
       },
       {{504, RowY(7), "2"}}},
      {"'&' digits enable length rows 1 to 4; another letter with 3 rows shows P and the tool digit",
       [](host::PanelHostData& d, host::HostMemory& m) {
         d.technology = {0, 0x07, '1', 0, 0x00, 0x12};  // status 0x1200
         d.tool_digits[7] = 4;
         for (uint32_t k = 1; k <= 6; ++k) Correction(m, 7, k, 0x1000 * k);
       },
       {{688, RowY(9), "&1200"}, {688, RowY(10), "1.000       "}, {688, RowY(11), "2.000       "},
        {688, RowY(12), "P4          "}, {395, RowY(12), "Tool type:"}}},
      {"machine type F with six rows shows all six lengths (display mode 1)",
       [](host::PanelHostData& d, host::HostMemory& m) {
         d.machine_type = 'F';
         d.words[4] = d.words[5] = d.words[6] = 1;
         d.words[7] = 1u << 24;
         d.technology = {0, 0x07, '1', 0, 0, 0};
         for (uint32_t k = 1; k <= 6; ++k) Correction(m, 7, k, 0x1000 * k);
       },
       {{688, RowY(10), "1.000       "}, {688, RowY(12), "3.000       "}, {688, RowY(13), "4.000       "},
        {688, RowY(14), "5.000       "}, {688, RowY(15), "6.000       "},
        {688, RowY(9), "?"}}},  // display mode 1: no "&" field
      {"a correction number above 99 shows 0.0 and no tool digit",
       [](host::PanelHostData& d, host::HostMemory& m) {
         d.technology = {0, 0xA5, '1', 0, 0xFF, 0xFF};
         Correction(m, 99, 0, 0x1234);
       },
       {{504, RowY(6), "A5"}, {688, RowY(8), "0.0         "}, {688, RowY(10), "0.0         "},
        {688, RowY(12), "P           "}}},
      {"axis labels from the axis codes of words 1 to 3",
       [](host::PanelHostData& d, host::HostMemory&) {
         d.words[1] = 36;
         d.words[2] = 37;
         d.words[3] = 1;
         d.machine_type = 'F';
       },
       {{395, RowY(10), "  X="}, {395, RowY(11), "  Y="}, {395, RowY(12), "  A="}}},
      {"second-spindle variant: S1. and S2. rows, counter with its flag",
       [](host::PanelHostData& d, host::HostMemory& m) {
         d.words[8] = 1u << 28;
         m.Set<uint8_t>(kPanelFlags + kPanelFlagCounter, 1);
         m.Set<int32_t>(kPanelFlags + kPanelCounter, -42);
       },
       {{395, 64 + 16 * 23, "S1."}, {395, RowY(24), "S2."}, {504, RowY(25), "-42      "},
        {395, 60 + 16 * 18, "Fsol."}}},
      {"special length blanked unless process 149/151 or the configuration bits",
       [](host::PanelHostData& d, host::HostMemory&) { d.technology = {0, 0, 0, 148, 0, 0}; },
       {{688, 368, "         "}}},
  };
  for (const PanelCase& c : cases) {
    VitalsHost host;
    c.setup(host.runner().panel_data(), host.memory());
    host.runner().ApplyPanelData();
    host.runner().PanelPrefix();
    auto texts = host.TakeTexts();
    for (const auto& [x, y, text] : c.texts) EXPECT_EQ(VitalsHost::TextAt(texts, x, y), text) << c.why;
  }
}

TEST(VitalsPanel, HostPaintersAndTheirFlags) {
  VitalsHost host;
  auto& d = host.runner().panel_data();
  d.repaint_on_change = 1;
  d.technology = {0, 0, 0, 151, 0, 0};
  host.runner().ApplyPanelData();
  host.runner().PanelPrefix();
  EXPECT_EQ(host.runner().painter_calls(50), 3);
  EXPECT_EQ(host.runner().painter_calls(66), 1);  // process 151
  EXPECT_EQ(host.runner().painter_calls(74), 0);  // waits for the table flag
  EXPECT_EQ(host.runner().painter_calls(78), 1);
  EXPECT_EQ(host.runner().painter_calls(54), 0);
  host.memory().Set<uint8_t>(kPanelFlags + kPanelFlagTable, 1);
  host.runner().PanelPrefix();
  EXPECT_EQ(host.runner().painter_calls(74), 1);
  EXPECT_EQ(host.memory().Get<uint8_t>(kPanelFlags + kPanelFlagTable), 0);  // cleared after painting

  // "FIX." at characters 4 to 7: the cached name is written, the painter not called.
  d.table_name = "C:\\FIX.TAB";
  host.runner().ApplyPanelData();
  host.TakeTexts();
  host.runner().PanelPrefix();
  EXPECT_EQ(host.runner().painter_calls(50), 3 + 3 + 2);
  EXPECT_EQ(VitalsHost::TextAt(host.TakeTexts(), 656, RowY(2)), "C:\\TAB_PL20.TAB");
}

TEST(VitalsPanel, RefreshCycleOf199Calls) {
  VitalsHost host;
  host.runner().PanelPrefix();
  int before = host.runner().painter_calls(50);
  std::vector<int> step_calls;  // DATA calls that ran steps 1 to 3 (painter 50)
  for (int call = 1; call <= 420; ++call) {
    host.display().recorder().Clear();
    int painted = host.runner().painter_calls(50);
    host.runner().PanelData();
    if (host.runner().painter_calls(50) != painted) step_calls.push_back(call);
    if (call == 1 || call == 30 || call == 201) {
      // Idle calls only set colours.
      ASSERT_EQ(host.display().recorder().calls().size(), 1u) << call;
      EXPECT_EQ(host.display().recorder().calls()[0].word, kDisplaySetColors);
    }
  }
  EXPECT_EQ(before, 3);
  // Load: 1 idle, 2-22 steps 1-21; then 199-call cycles from step 2.
  EXPECT_EQ(step_calls, (std::vector<int>{2, 3, 4, 202, 203, 401, 402}));
}

TEST(VitalsPanel, NothingDrawsBeforeInit) {
  VitalsHost host(9, false);
  host.runner().PanelPrefix();
  for (int i = 0; i < 25; ++i) host.runner().PanelData();
  host.runner().EventPrefix();
  host.runner().EventData(0);
  EXPECT_TRUE(host.display().recorder().calls().empty());
  EXPECT_EQ(host.runner().painter_calls(50), 0);
}

}  // namespace
