// libVitals' drive and axis screens and its character-set exports, through
// the exports: SLM keys and block values, servo states and differences,
// ECC temperatures, axis letters and overflowing values, the letter gates,
// and nothing drawn before INIT_VITALS.
#include <gtest/gtest.h>
#include <limits.h>

#include <algorithm>
#include <functional>

#include "bridge/charset.h"
#include "tests/support/vitals_host.h"
#include "vitals/drive_records.h"
#include "vitals/host_layout.h"

using testing_support::ScreenText;
using testing_support::VitalsHost;

namespace {

using RecordFn = int (*)(void*);

int X(int column, int left = 16) { return left + 8 * column; }
int Y(int row) { return 96 + 16 * row; }

void Call(VitalsHost& host, const char* name, void* record) {
  auto fn = host.runner().library().Bind<RecordFn>(name);
  ASSERT_NE(fn, nullptr) << name;
  EXPECT_EQ(fn(record), 0) << name;
}

int Palette(VitalsHost& host, int byte) { return host.display().block()[byte]; }

// One screen state per row: what the host holds, which calls run, and the
// texts (with colours where they matter) that must be on the screen.
struct Expect {
  int x, y;
  std::string text;
  int fg = -1, bg = -1;  // palette bytes; -1: any colour
};
struct DriveCase {
  const char* why;
  std::function<void(VitalsHost&)> run;
  std::vector<Expect> texts;
  size_t exactly = 0;  // non-zero: the number of texts written
};

struct Records {
  _DGSLM slm{};
  SERVO_POINTERS servo_pointers{};
  _DGSERVO servo{};
  _DGNECC ecc{};
  _TRANS trans{};
  uint8_t errors[8] = {7, 0, 0, 0, 0, 0, 0, 0};
  uint16_t command = 0x0301;
  uint16_t mask = 0x0005;
  uint8_t links[32] = {0x1F, 0, 0, 0, 0xA0};
  int32_t differences[16] = {5, -1234, 0, 123456789, INT_MIN, 12345678, -99999999};
  int32_t entries[16] = {1000};
  int32_t positions[16] = {-1};
  uint32_t codes[6] = {36, 37, 38, 1, 99, 33};
};
Records g_r;

void Slm(VitalsHost& host, char layout, std::initializer_list<uint8_t> keys) {
  g_r.slm = {};
  g_r.slm.layout = layout;
  g_r.slm.available = 1;
  g_r.slm.base = host.memory().data();
  g_r.slm.errors = g_r.errors;
  g_r.slm.drive_command = &g_r.command;
  Call(host, "PREFIX_SLM", &g_r.slm);
  for (uint8_t key : keys) {
    g_r.slm.key = key;
    Call(host, "DATA_SLM", &g_r.slm);
    EXPECT_EQ(g_r.slm.key, 0) << "the key is cleared after use";
  }
}

void SlmChannel(VitalsHost& host, uint32_t channel) {
  host::HostMemory& m = host.memory();
  uint32_t c = channel - 1, block = kSlmChannels + kSlmChannelBytes * c;
  m.Set<int16_t>(block + 0, 12);       // PID(1) of set a
  m.Set<int16_t>(block + 12, -345);    // PID(1) of set b
  m.Set<uint16_t>(block + 144, 650);   // current rating
  m.Set<uint16_t>(block + 158, 0x4033);
  m.Set<uint8_t>(kSlmDetected + c / 4, static_cast<uint8_t>(1u << (c % 4)));
  m.Set<uint8_t>(kSlmActive + c, 42);
  m.Set<uint16_t>(kSlmPosition + 2 * c, 1234);
  m.Set<int16_t>(kSlmSpeed + 2 * c, -120);
  m.Set<uint16_t>(kSlmStatus + 2 * c, 0x8001);
}

void Servo(VitalsHost& host, char layout, uint8_t available = 1) {
  g_r.servo_pointers = {&g_r.mask, g_r.links, g_r.differences, g_r.entries, g_r.positions};
  g_r.servo = {};
  g_r.servo.layout = layout;
  g_r.servo.available = available;
  g_r.servo.pointers = &g_r.servo_pointers;
  Call(host, "PREFIX_SERVO", &g_r.servo);
  Call(host, "DATA_SERVO", &g_r.servo);
}

// Channel k's line 1 (line 2: y + 16) and its value columns.
int ServoX(int column, int k = 0, int left = 16) { return left + (k >= 8 ? 320 : 0) + 8 * (3 + column); }
int ServoY(int k) { return 120 + 36 * (k % 8); }

void Ecc(VitalsHost& host, char layout) {
  g_r.ecc = {};
  g_r.ecc.vendor = 0x8086;
  g_r.ecc.supported = 1;
  g_r.ecc.dimm[0] = 0x83;
  g_r.ecc.layout = layout;
  g_r.ecc.system_temperature = 0x80 | 40;
  g_r.ecc.processor_temperature = 45;
  Call(host, "PREFIX_ECC", &g_r.ecc);
  Call(host, "DATA_ECC", &g_r.ecc);
}

void Trans(VitalsHost& host, const uint32_t* codes) {
  host.memory().Set<int32_t>(kTransFictive, 1500);
  host.memory().Set<int32_t>(kTransReal + 4, 123456789);
  host.memory().Set<int32_t>(kTransAngles, -45000);
  host.memory().Set<uint8_t>(kTransKinds + 1, 1);
  g_r.trans = {};
  g_r.trans.layout = 'L';
  g_r.trans.axis_codes = codes;
  Call(host, "PREFIX_TRANS", &g_r.trans);
}

TEST(VitalsDrives, ScreensShowTheirValues) {
  const DriveCase cases[] = {
      {"SLM: channel 1, set a, the channel's block and host values",
       [](VitalsHost& h) { SlmChannel(h, 1); Slm(h, 'L', {0}); },
       {{X(35), Y(0), "01a"}, {X(11), Y(2), "1"}, {X(32), Y(2), "042"}, {X(32), Y(3), "007"},
        {X(11), Y(5), "01234"}, {X(32), Y(5), "-00120"}, {X(8), Y(7), "+00012"}, {X(17), Y(11), "00650"},
        {X(17), Y(16), "4033"}, {X(13), Y(18), "1000000000000001"}, {X(13), Y(19), "0000001100000001"}}},
      {"SLM: key 2 switches to set b; twice back to a",
       [](VitalsHost& h) { SlmChannel(h, 1); Slm(h, 'L', {2}); },
       {{X(35), Y(0), "01b"}, {X(8), Y(7), "-00345"}}},
      {"SLM: key 2 twice returns to set a", [](VitalsHost& h) { SlmChannel(h, 1); Slm(h, 'L', {2, 2}); },
       {{X(35), Y(0), "01a"}, {X(8), Y(7), "+00012"}}},
      {"SLM: channel 9 has no error byte nor speed, whatever the host holds there",
       [](VitalsHost& h) {
         SlmChannel(h, 9);
         Slm(h, 'L', {1, 1, 1, 1, 1, 1, 1, 1});
       },
       {{X(35), Y(0), "09a"}, {X(32), Y(3), "000"}, {X(32), Y(5), "+00000"}, {X(11), Y(5), "01234"},
        {X(11), Y(2), "1"}}},
      {"SLM: key 1 on channel 16 returns to channel 1",
       [](VitalsHost& h) { Slm(h, 'L', {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}); },
       {{X(35), Y(0), "01a"}}},
      {"SLM: a missing error pointer and base show zero strings",
       [](VitalsHost& h) {
         g_r.slm = {};
         g_r.slm.layout = 'L';
         g_r.slm.available = 1;
         Call(h, "PREFIX_SLM", &g_r.slm);
         Call(h, "DATA_SLM", &g_r.slm);
       },
       {{X(32), Y(3), "000"}, {X(32), Y(5), "+00000"}, {X(13), Y(19), "0000000000000000"}}},
      {"SLM: the legend only in the whole area, its first and last bit lines as the control shows them",
       [](VitalsHost& h) { Slm(h, 'C', {}); },
       {{X(40), Y(2),
         "Bit0 Axis enabled      Heatsink temp.\nBit1 Axis healthy      Bad thermistor\n"
         "Bit2 DriveI2t warning  Axis Link err.\nBit3 Drive torque.     Under-voltage\n"
         "Bit4 Test mode.        Supply Phase fault\nBit5 Fan fail          Over-voltage\n"
         "Bit6 Braking I2t warn. Vce trip -IGBT\nBit7 Braking I2t trip  +5V,?15V fault\n"
         "Bit8 Select PID bit0   Axis I2t warn.\nBit9 Select PID bit1   Axis I2t trip\n"
         "Bit10 Version ID bit2   Over current\nBit11 Version ID bit3   Offset limit\n"
         "Bit12 Encoder warning      1\nBit13 Motor I2t warn.      0\nBit14    0                 1\n"
         "Bit15    0                 0\n\nDriveCmd Bit 0: Enable/Disable (PLC)\nDriveCmd Bit 8,9: PID param.selector\n"}}},
      {"SLM unavailable: only the needs-version text, and DATA draws nothing",
       [](VitalsHost& h) {
         g_r.slm = {};
         g_r.slm.layout = 'C';
         g_r.slm.key = 1;
         Call(h, "PREFIX_SLM", &g_r.slm);
         Call(h, "DATA_SLM", &g_r.slm);
       },
       {{16, 96, " SLM diagnostic (needs version 40.33) "}}, 1},
      {"servo: On in red on the fill colour, Off in the darker colour, link byte in hex",
       [](VitalsHost& h) { Servo(h, 'L'); },
       {{ServoX(5, 0), ServoY(0), "On ", BARVA_RUDA, BARVA_VYPLN}, {ServoX(5, 1), ServoY(1), "Off", BARVA_TMAVSI},
        {ServoX(5, 2), ServoY(2), "On "}, {ServoX(13, 0), ServoY(0), "1F"}, {ServoX(13, 2), ServoY(2), "A0"}}},
      {"servo: differences in ten characters; more than eight digits and the minimum show blanks",
       [](VitalsHost& h) { Servo(h, 'L'); },
       {{ServoX(21, 0), ServoY(0), "    +0,005"}, {ServoX(21, 1), ServoY(1), "    -1,234"},
        {ServoX(21, 2), ServoY(2), "    +0,000"}, {ServoX(21, 3), ServoY(3), "          "},
        {ServoX(21, 4), ServoY(4), "          "}, {ServoX(21, 5), ServoY(5), "+12345,678"},
        {ServoX(21, 6), ServoY(6), "-99999,999"}, {ServoX(6, 0), ServoY(0) + 16, "    +1,000"},
        {ServoX(21, 0), ServoY(0) + 16, "    -0,001"}}},
      {"servo: the whole area adds channels 09 to 16 in the right column",
       [](VitalsHost& h) { Servo(h, 'C'); },
       {{16 + 320, ServoY(8), "09"}, {16 + 320, ServoY(15), "16"}, {ServoX(5, 15), ServoY(15), "Off"}}},
      {"servo unavailable: only its needs-version text", [](VitalsHost& h) { Servo(h, 'L', 0); },
       {{16, 96, " Servo diagnostic (version 40.34 ?) "}}, 1},
      {"ECC: a temperature with bit 7 set is left out; DIMM bits and counts",
       [](VitalsHost& h) { Ecc(h, 'P'); },
       {{X(24, 336), Y(3), "8086"}, {X(24, 336), Y(5), "Enabled "}, {X(24, 336), Y(6), "Disabled"},
        {X(24, 336), Y(8), "Enabled "}, {X(24, 336), Y(11), "003"}, {X(24, 336), Y(15), "  /45"}}},
      {"ECC: another letter draws nothing", [](VitalsHost& h) { Ecc(h, 'X'); }, {}, 0},
      {"transformation: letters from codes, an overflowing value as blanks, the active kind marked",
       [](VitalsHost& h) { Trans(h, g_r.codes); },
       {{X(2), Y(2), "X"}, {X(2), Y(3), "Y"}, {X(2), Y(4), "Z"}, {X(2), Y(5), "A"}, {X(2), Y(6), "-"},
        {X(2), Y(7), "U"}, {X(5), Y(2), "    +1,500"}, {X(23), Y(3), "          "}, {X(6), Y(11), "   -45,000"},
        {X(0), Y(11), "\xCE\xB1 a1:"}, {X(8), Y(9), " 2D(2) ", BARVA_T15, BARVA_ZLUTA}, {X(0), Y(9), " 2D(1) ", BARVA_T15},
        {X(0), Y(1), "axis:   fictive              real   "}}},
      {"transformation: no axis codes show dashes", [](VitalsHost& h) { Trans(h, nullptr); },
       {{X(2), Y(2), "-"}, {X(2), Y(7), "-"}}},
  };
  for (const DriveCase& c : cases) {
    VitalsHost host;
    host.display().recorder().Clear();
    c.run(host);
    std::vector<ScreenText> texts = host.TakeTexts();
    for (const Expect& e : c.texts) {
      const ScreenText* found = nullptr;
      for (const ScreenText& t : texts)
        if (t.x == e.x && t.y == e.y) found = &t;
      ASSERT_NE(found, nullptr) << c.why << ": nothing at " << e.x << "," << e.y << " (" << e.text << ")";
      EXPECT_EQ(found->text, e.text) << c.why << " at " << e.x << "," << e.y;
      if (e.fg >= 0) {
        EXPECT_EQ(found->fg, Palette(host, e.fg)) << c.why << ": " << e.text;
      }
      if (e.bg >= 0) {
        EXPECT_EQ(found->bg, Palette(host, e.bg)) << c.why << ": " << e.text;
      }
    }
    if (c.exactly != 0 || c.texts.empty()) {
      EXPECT_EQ(texts.size(), c.exactly) << c.why;
    }
    if (c.texts.empty()) {
      EXPECT_TRUE(host.display().recorder().calls().empty()) << c.why;
    }
  }
}

TEST(VitalsDrives, NothingDrawsBeforeInit) {
  VitalsHost host(9, false);
  SlmChannel(host, 1);
  Slm(host, 'C', {1});
  Servo(host, 'C');
  Ecc(host, 'C');
  Trans(host, g_r.codes);
  _NKOR nkor{{0, 0}, 'C'};
  _SU4 su4{{0, 0}, 'C'};
  for (const char* name : {"PREFIX_NKOR", "DATA_NKOR"}) Call(host, name, &nkor);
  for (const char* name : {"PREFIX_SU4", "DATA_SU4"}) Call(host, name, &su4);
  EXPECT_TRUE(host.display().recorder().calls().empty());
}

TEST(VitalsCharset, ExportsMatchTheBridgeWithGarbageAbove) {
  VitalsHost host(0, false);
  auto win = host.runner().library().Bind<uint32_t (*)(uint32_t)>("WinToZORV_DLL");
  auto unicode = host.runner().library().Bind<uint32_t (*)(uint32_t)>("UnicodeToZORV_DLL");
  ASSERT_NE(win, nullptr);
  ASSERT_NE(unicode, nullptr);
  int wrong = 0;
  for (uint32_t u = 0; u < 0x10000; ++u) {
    uint32_t garbage = (u * 2654435761u) & 0xFFFF0000u;
    if (unicode(u | garbage) != ZorvFromUnicode(static_cast<uint16_t>(u))) ++wrong;
    if (unicode(u | 0xFFFF0000u) != ZorvFromUnicode(static_cast<uint16_t>(u))) ++wrong;
  }
  for (uint32_t b = 0; b < 256; ++b) {
    for (uint32_t garbage : {0u, 0xFFFFFF00u, 0x12345600u, 0x00000100u})
      if (win(b | garbage) != ZorvFromCp1250(static_cast<uint8_t>(b))) ++wrong;
  }
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(unicode(0x010D), 0x87u);
  EXPECT_EQ(win(0xE8), 0x87u);
  EXPECT_EQ(win(0xFFFFFFE0u), static_cast<uint32_t>('.'));
  EXPECT_EQ(unicode(0xABCD0430u), 0xE0u);
}

}  // namespace

namespace {

// The screens' texts: English as the control has them, and in every
// language the row labels one a line and the column legends at the width
// the value columns below them are laid out for.
TEST(VitalsScreenTexts, QuotedEnglishAndAlignedLegends) {
  VitalsHost host;
  const std::pair<uint32_t, const char*> kEnglish[] = {
      {281, "Diagnostics of axis transformation"}, {282, "axis:   fictive              real   "},
      {290, " SLM drive diagnostic     channel:"}, {291, " SLM diagnostic (needs version 40.33) "},
      {292, " Servo diagnostic (version 40.34 ?) "}, {293, " Servo-control diagnostic S1-S16"},
      {294, "Axis diagnostic - SU04, SU05    "}, {303, "Control 0 - error (short)\n        1 - was manual setting"},
      {311, "Diagnostic test - panel      "}, {312, "legend  KNOB  BUTT. MAT.  I/O2  I/O3 "},
      {313, " I/O5  I/O6  I/O7 "}, {314, "legend  TOC2  TLC2. MAT2. I/Ob  I/Oc "}, {315, " I/Od  I/Oe  I/Of "},
      {316, "        IP/OP IP/OP IP/OP IP/OP IP/OP"}, {364, " Table of shift of start:  "},
      {365, " Table of corrections: "}, {366, " Table of parameters: "}, {450, " Diagnostic test keyboard"},
      {461, "Undefined\n keyboard"}};
  for (const auto& [id, text] : kEnglish) EXPECT_EQ(host.runner().Text(id), text) << id;

  auto init = host.runner().library().Bind<int (*)(void*, uint32_t)>("LocalizationInit");
  for (uint32_t language : {5u, 7u, 9u, 12u, 14u, 21u, 25u, 36u}) {
    init(nullptr, language);
    std::string labels = host.runner().Text(318);
    EXPECT_EQ(std::count(labels.begin(), labels.end(), '\n'), 13) << language << ": fourteen row labels";
    size_t start = 0;
    for (size_t end = labels.find('\n'); start <= labels.size(); end = labels.find('\n', start)) {
      if (end == std::string::npos) end = labels.size();
      EXPECT_LE(end - start, 7u) << language << ": a label fits before the first value column";
      start = end + 1;
    }
    for (uint32_t id : {312u, 314u, 316u}) EXPECT_EQ(host.runner().Text(id).size(), 37u) << language << " " << id;
    for (uint32_t id : {313u, 315u, 317u}) EXPECT_EQ(host.runner().Text(id).size(), 18u) << language << " " << id;
  }
}

}  // namespace
