// libVitals' port, panel-test, PLC interface, LED, keyboard-test and table
// screens through their exports: letter gates and anchors, port rows read
// from host memory at every DATA, hand-set bits marked, key cells through
// untouched, held and tested, LEDs per bit and no host call when nothing
// changed, and the inert table display.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <map>

#include "tests/support/vitals_host.h"
#include "vitals/host_layout.h"
#include "vitals/io_records.h"
#include "vitals/keyboard_maps.h"

using testing_support::ScreenText;
using testing_support::VitalsHost;

namespace {

using RecordFn = int (*)(void*);

void Call(VitalsHost& host, const char* name, void* record) {
  auto fn = host.runner().library().Bind<RecordFn>(name);
  ASSERT_NE(fn, nullptr) << name;
  EXPECT_EQ(fn(record), 0) << name;
}

int Palette(VitalsHost& host, int byte) { return host.display().block()[byte]; }
int Y(int row) { return 96 + 16 * row; }

const ScreenText* Find(const std::vector<ScreenText>& texts, int x, int y) {
  const ScreenText* found = nullptr;
  for (const ScreenText& t : texts)
    if (t.x == x && t.y == y) found = &t;
  return found;
}

struct Expect {
  int x, y;
  std::string text;   // "" : nothing may be written there
  int fg = -1;        // palette byte, -1: any
};
struct IoCase {
  const char* why;
  std::function<void(VitalsHost&)> run;   // the calls; texts of the last call group are checked
  std::vector<Expect> texts;
  bool no_calls = false;                 // the calls reach no host service at all
};

_INOUT g_inout;
void Ports(VitalsHost& host, const char* prefix, const char* data, char layout, uint8_t format = 0) {
  g_inout = {};
  g_inout.layout = layout;
  g_inout.output_format = format;
  Call(host, prefix, &g_inout);
  Call(host, data, &g_inout);
}

_PB_BZH g_pb;
uint8_t g_commands[8] = {0x01, 0, 0, 0x80, 0x02};
uint8_t g_signals[8] = {0, 0, 0, 0, 0, 0, 0, 0x80};

TEST(VitalsIo, ScreensShowTheirValues) {
  const IoCase cases[] = {
      {"inputs in the left half: two lists, names, bits and hex from host memory",
       [](VitalsHost& h) {
         h.memory().Set<uint8_t>(kPortInputs, 0x05);
         h.memory().Set<uint8_t>(kPortInputs + 19, 0xC4);
         h.memory().Set<uint8_t>(kPortInputs + 20, 0xFF);
         Ports(h, "PREFIX_INPUT", "DATA_INPUT", 'L');
       },
       {{16, Y(1), " P1IN"}, {16 + 8 * 6, Y(1), "00000101 05"}, {16 + 8 * 19, Y(10), "P20IN"},
        {16 + 8 * 25, Y(10), "11000100 C4"}, {16 + 320, Y(1), ""}, {16, Y(0), "port: 7......0 HEX port: 7......0 HX"}}},
      {"inputs in the whole area: four lists, the second pair 320 pixels right",
       [](VitalsHost& h) { Ports(h, "PREFIX_INPUT", "DATA_INPUT", 'C'); },
       {{16 + 320, Y(1), "P21IN"}, {16 + 320 + 8 * 19, Y(10), "P40IN"}}},
      {"the column-order flag puts lists 3 and 4 first; the right half starts at x 336",
       [](VitalsHost& h) {
         h.memory().Set<uint8_t>(kPortColumnOrder, 1);
         Ports(h, "PREFIX_INPUT", "DATA_INPUT", 'P');
       },
       {{336, Y(1), "P21IN"}, {336 + 8 * 19, Y(1), "P31IN"}}},
      {"a port row is read again at every DATA",
       [](VitalsHost& h) {
         Ports(h, "PREFIX_INPUT", "DATA_INPUT", 'L');
         h.memory().Set<uint8_t>(kPortInputs, 0xA5);
         h.TakeTexts();
         Call(h, "DATA_INPUT", &g_inout);
       },
       {{16 + 8 * 6, Y(1), "10100101 A5"}}},
      {"manual control: the hand-set bits (two host bytes ORed) in the marking colours",
       [](VitalsHost& h) {
         h.memory().Set<uint8_t>(kPortManualControl, 1);
         h.memory().Set<uint8_t>(kPortInputs, 0x01);
         h.memory().Set<uint8_t>(kPortInputs + kPortMarksA, 0x01);
         h.memory().Set<uint8_t>(kPortInputs + kPortMarksB, 0x80);
         Ports(h, "PREFIX_INPUT", "DATA_INPUT", 'L');
       },
       {{16 + 8 * 13, Y(1), "1", BARVA_ZLUTA}, {16 + 8 * 6, Y(1), "0", BARVA_RUDA}, {16 + 8 * 7, Y(1), ""}}},
      {"without manual control no bit is marked",
       [](VitalsHost& h) {
         h.memory().Set<uint8_t>(kPortInputs + kPortMarksA, 0xFF);
         Ports(h, "PREFIX_INPUT", "DATA_INPUT", 'L');
       },
       {{16 + 8 * 13, Y(1), ""}, {16 + 8 * 6, Y(1), "00000000 00"}}},
      {"outputs: port rows then group rows; the other format shows a group's three bytes",
       [](VitalsHost& h) {
         for (uint32_t k = 0; k < 3; ++k) h.memory().Set<uint8_t>(kPortGroupsC + 3 + k, static_cast<uint8_t>(0xA1 + k));
         Ports(h, "PREFIX_OUTPUT", "DATA_OUTPUT", 'L', 1);
       },
       {{16, Y(1), "P0OUT"}, {16, Y(9), "C0OUT"}, {16, Y(10), "C3OUT"}, {16 + 8 * 6, Y(10), "A1 A2 A3   "},
        {16 + 8 * 19, Y(1), "P8OUT"}, {16 + 8 * 19, Y(7), "P14OU"}, {16 + 8 * 19, Y(12), "VI12U"}}},
      {"outputs in the standard format: a group row is its first byte",
       [](VitalsHost& h) {
         h.memory().Set<uint8_t>(kPortGroupsC + 3, 0x81);
         Ports(h, "PREFIX_OUTPUT", "DATA_OUTPUT", 'L', 0);
       },
       {{16 + 8 * 6, Y(10), "10000001 81"}}},
      {"panel ports: the two matrix lists", [](VitalsHost& h) { Ports(h, "PREFIX_IOPAN", "DATA_IOPAN", 'C'); },
       {{16, Y(9), "TOUTM"}, {16 + 8 * 19, Y(9), "TOTM2"}, {16 + 320, Y(1), ""}}},
      {"ports: another letter reaches no host service", [](VitalsHost& h) { Ports(h, "PREFIX_INPUT", "DATA_INPUT", 'X'); },
       {}, true},
      {"PLC interface: named bits, values from the record's blocks; BZ2 the second half of the signals",
       [](VitalsHost& h) {
         g_pb = {};
         g_pb.commands = g_commands;
         g_pb.signals = g_signals;
         g_pb.layout = 'L';
         Call(h, "PREFIX_PB1", &g_pb);
         Call(h, "DATA_PB1", &g_pb);
         Call(h, "PREFIX_BZ2", &g_pb);
         Call(h, "DATA_BZ2", &g_pb);
       },
       {{16 + 32, Y(0), "BZH32"}, {16 + 32 + 56, Y(1), "AX2RDY"}, {16 + 32 + 56 * 1, Y(6 * 3 + 2), "1      ", BARVA_T15}}},
      {"PLC interface: PB values and the right half 320 pixels right",
       [](VitalsHost& h) {
         g_pb = {};
         g_pb.commands = g_commands;
         g_pb.layout = 'P';
         Call(h, "PREFIX_PB1", &g_pb);
         Call(h, "DATA_PB1", &g_pb);
       },
       {{336 + 32, Y(0), "PB00"}, {336 + 32, Y(1), "VLEC"}, {336 + 32, Y(2), "1      "},
        {336 + 32 + 56, Y(2), "0      "}, {336 + 32 + 56 * 1, Y(6 * 3 + 2), "1      "}}},  // PB31: byte 3, bit 7
      {"PLC interface: another letter reaches no host service",
       [](VitalsHost& h) {
         g_pb = {};
         g_pb.layout = 'c';
         Call(h, "PREFIX_PB2", &g_pb);
         Call(h, "DATA_BZ1", &g_pb);
       },
       {}, true},
      {"panel test: panel 2's legend, the heading, a module's bytes and data bits",
       [](VitalsHost& h) {
         h.memory().Set<uint8_t>(kPanelModules + 0x100 + 16 + 1, 0x01);       // module 1 inputs, D0
         h.memory().Set<uint8_t>(kPanelModules + 0x100 + 16 + 8 + 0, 0x42);   // module 1 output address
         h.memory().Set<uint8_t>(kPanelModules + 0x100 + 16 + 0, 0x41);
         _DGNPAN r{{0, 0}, 'L', 2};
         Call(h, "PREFIX_DGNPAN", &r);
         Call(h, "DATA_DGNPAN", &r);
       },
       {{16, Y(1), "legend  TOC2  TLC2. MAT2. I/Ob  I/Oc "}, {16, Y(2), "        IP/OP IP/OP IP/OP IP/OP IP/OP"},
        {16 + 8 * 8, Y(3), "00/00 41/42 00/00 00/00 00/00 "}, {16 + 8 * 8, Y(4), " 0/0   1/0   0/0   0/0   0/0  "}}},
  };
  for (const IoCase& c : cases) {
    VitalsHost host;
    host.display().recorder().Clear();
    c.run(host);
    if (c.no_calls) {
      EXPECT_TRUE(host.display().recorder().calls().empty()) << c.why;
      continue;
    }
    std::vector<ScreenText> texts = host.TakeTexts();
    for (const Expect& e : c.texts) {
      const ScreenText* found = Find(texts, e.x, e.y);
      if (e.text.empty()) {
        EXPECT_EQ(found, nullptr) << c.why << ": " << e.x << "," << e.y << " holds \"" << (found ? found->text : "") << "\"";
        continue;
      }
      ASSERT_NE(found, nullptr) << c.why << ": nothing at " << e.x << "," << e.y << " (" << e.text << ")";
      EXPECT_EQ(found->text, e.text) << c.why << " at " << e.x << "," << e.y;
      if (e.fg >= 0) {
        EXPECT_EQ(found->fg, Palette(host, e.fg)) << c.why << ": " << e.text;
      }
    }
  }
}

// The colours each key cell was filled with, in order, by cell position.
std::map<uint32_t, std::vector<int>> CellFills(VitalsHost& host) {
  std::map<uint32_t, std::vector<int>> fills;
  for (const host::GdiCall& call : host.display().recorder().calls())
    if (call.word == kDisplayFill && call.w == 16 && call.h == 16)
      fills[static_cast<uint32_t>(call.x) | static_cast<uint32_t>(call.y) << 16].push_back(call.fg);
  host.display().recorder().Clear();
  return fills;
}

TEST(VitalsKeyboard, CellsGoFromUntouchedToHeldToTested) {
  VitalsHost host;
  const KeyMap* map = KeyMapOf('M');
  ASSERT_NE(map, nullptr);
  _LPTESTTLAC r{{0, 0}, 'C', 0, 'M', {0xFF, 0xFF, 0xFF, 0xFF}, {0, 0}};
  Call(host, "PREFIX_TESTTLAC", &r);
  auto fills = CellFills(host);
  EXPECT_EQ(fills.size(), 64u) << "every key of the small panel drawn untouched";
  for (const auto& [at, colours] : fills) EXPECT_EQ(colours, std::vector<int>{Palette(host, BARVA_TMAVSI)});
  int held = Palette(host, BARVA_ZLUTA), tested = Palette(host, BARVA_T12);
  auto cell = [&](int k) { return map->keys[k].position; };

  struct Step {
    std::array<uint8_t, 4> keys;
    std::map<int, int> drawn;  // key -> colour drawn in this call (no other cell drawn)
    const char* why;
  } steps[] = {
      {{5, 0xFF, 0xFF, 0xFF}, {{5, held}}, "a pressed key turns held"},
      {{5, 0xFF, 0xFF, 0xFF}, {}, "held over calls: drawn once"},
      {{0xFF, 0xFF, 0xFF, 0xFF}, {{5, tested}}, "released: tested"},
      {{12, 13, 14, 15}, {{12, held}, {13, held}, {14, held}, {15, held}}, "four at once"},
      {{12, 64, 200, 13}, {{14, tested}, {15, tested}}, "numbers at or past the key count are ignored"},
      {{5, 5, 5, 5}, {{5, held}, {12, tested}, {13, tested}}, "a tested key held again turns held"},
  };
  for (const Step& s : steps) {
    for (int k = 0; k < 4; ++k) r.held[k] = s.keys[k];
    Call(host, "CONT_TESTTLAC", &r);
    fills = CellFills(host);
    std::map<uint32_t, std::vector<int>> expected;
    for (const auto& [key, colour] : s.drawn) expected[cell(key)] = {colour};
    EXPECT_EQ(fills, expected) << s.why;
  }

  // A new PREFIX clears the flags: releasing key 5 now marks nothing.
  Call(host, "PREFIX_TESTTLAC", &r);
  CellFills(host);
  for (uint8_t& k : r.held) k = 0xFF;
  Call(host, "CONT_TESTTLAC", &r);
  EXPECT_TRUE(CellFills(host).empty());
}

TEST(VitalsKeyboard, TextsByLayoutTypeAndRedirection) {
  struct Case {
    char layout, type;
    uint8_t redirection;
    int x;
    const char* type_text;
    const char* redirection_text;  // "" : none
    size_t cells;
  } cases[] = {
      {'C', 'R', 1, 16, "Small extended panel,\n8 buttons in a line", "Keys: redirected to the PLC", 80},
      {'L', 'D', 0, 16, "Big extended panel,\n4 buttons in a line", "Keys: to the control", 0},
      {'P', 'H', 2, 338, "CAN-bus foil keyboard", "Keys: to the control and the PLC", 0},
      {'C', 'Q', 3, 16, "Undefined\n keyboard", "", 0},  // no map; a state above 2 shows no text
  };
  for (const Case& c : cases) {
    VitalsHost host;
    _LPTESTTLAC r{{0, 0}, c.layout, c.redirection, c.type, {1, 2, 0xFF, 0xFF}, {123, 65535}};
    Call(host, "PREFIX_TESTTLAC", &r);
    Call(host, "CONT_TESTTLAC", &r);
    size_t cells = 0;
    for (const host::GdiCall& call : host.display().recorder().calls())
      if (call.word == kDisplayFill && call.w == 16 && call.h == 16) ++cells;
    std::vector<ScreenText> texts = host.TakeTexts();
    EXPECT_EQ(VitalsHost::TextAt(texts, c.x, Y(0)), " Diagnostic test keyboard") << c.type;
    EXPECT_EQ(VitalsHost::TextAt(texts, c.x + 40, Y(6)), c.type_text) << c.type;
    EXPECT_EQ(VitalsHost::TextAt(texts, c.x, Y(9)), c.redirection_text[0] ? c.redirection_text : "?") << c.type;
    EXPECT_EQ(VitalsHost::TextAt(texts, c.x, Y(11)), "00123  65535") << c.type;
    EXPECT_EQ(cells, c.cells + (c.cells ? 2 : 0)) << c.type << ": the map, then keys 1 and 2 held";
  }
}

TEST(VitalsLeds, LampsPerBitAndNoCallWhenUnchanged) {
  VitalsHost host;
  uint8_t leds = 0x81, mode = 0;
  _LEDDIODY r{{0, 0}, &leds, &mode};
  int lamp = Palette(host, 21), outline = Palette(host, 24);
  // Pixels of the lamp's centre and of its rim, LED i.
  auto centre = [&](int i) { return host.display().screen().Pixel(16 + 48 * i + 16, 8 + 16); };
  auto rim = [&](int i) { return host.display().screen().Pixel(16 + 48 * i + 16, 8 + 4); };

  Call(host, "ZMENA_LED", &r);  // before any CLR_PREFIX_LED: draws
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(centre(i), (leds >> i & 1) ? lamp : Palette(host, BARVA_P0)) << "LED " << i;
    EXPECT_EQ(rim(i), lamp) << "LED " << i;
    EXPECT_EQ(host.display().screen().Pixel(16 + 48 * i + 16, 8 + 1), outline) << "LED " << i;
  }
  host.display().recorder().Clear();
  Call(host, "ZMENA_LED", &r);
  EXPECT_TRUE(host.display().recorder().calls().empty()) << "unchanged byte: no host call";

  leds = 0x02;
  Call(host, "ZMENA_LED", &r);
  EXPECT_EQ(centre(0), Palette(host, BARVA_P0));
  EXPECT_EQ(centre(1), lamp);
  EXPECT_EQ(centre(7), Palette(host, BARVA_P0));

  // CLR_PREFIX_LED: one fill over the strip first, then only inside the boxes.
  host.display().recorder().Clear();
  mode = 1;
  Call(host, "CLR_PREFIX_LED", &r);
  const auto& calls = host.display().recorder().calls();
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[1].word, kDisplayFill);
  EXPECT_EQ(calls[1].x, 16);
  EXPECT_EQ(calls[1].w, 48 * 7 + 32);
  for (size_t k = 2; k < calls.size(); ++k) {
    if (calls[k].word != kDisplayFill) continue;
    int box = (calls[k].x - 16) / 48;
    EXPECT_LT(box, 5) << "labelled strip: five lamps";
    EXPECT_GE(calls[k].x, 16 + 48 * box);
    EXPECT_LE(calls[k].x + calls[k].w, 16 + 48 * box + 32);
    EXPECT_GE(calls[k].y, 8);
    EXPECT_LE(calls[k].y + calls[k].h, 40);
  }
}

TEST(VitalsIo, TableDisplayIsInertAndNothingDrawsBeforeInit) {
  VitalsHost host(9, false);
  uint8_t junk[64];
  for (int i = 0; i < 64; ++i) junk[i] = static_cast<uint8_t>(0xFF - i);
  Call(host, "PREFIX_INDITAB", junk);
  Call(host, "DATA_INDITAB", junk);
  Call(host, "PREFIX_INDITAB", nullptr);
  Ports(host, "PREFIX_INPUT", "DATA_INPUT", 'C');
  uint8_t leds = 1, mode = 0;
  _LEDDIODY led{{0, 0}, &leds, &mode};
  Call(host, "CLR_PREFIX_LED", &led);
  Call(host, "ZMENA_LED", &led);
  _LPTESTTLAC key{{0, 0}, 'C', 0, 'D', {1, 0xFF, 0xFF, 0xFF}, {0, 0}};
  Call(host, "PREFIX_TESTTLAC", &key);
  Call(host, "CONT_TESTTLAC", &key);
  _DGNPAN pan{{0, 0}, 'C', 1};
  Call(host, "PREFIX_DGNPAN", &pan);
  EXPECT_TRUE(host.display().recorder().calls().empty());
}

}  // namespace
