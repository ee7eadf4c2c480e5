// The technology screens through libTracer's exports: section search,
// drawn elements as pixels, field registration and the editing keys.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/services/technol_host.h"
#include "tests/support/tracer_rig.h"

namespace {

using testing_support::TracerRig;
using Fn = int (*)(STRUCT_TRACER*);

struct Technol {
  explicit Technol(const std::string& text, int screen = 1, int instance = 1) {
    technol.SetText(text);
    rig.screen.Clear(200);
    rig.host.record().technolInstance = static_cast<uint8_t>(instance);
    technol.input[2 + instance - 1] = static_cast<uint8_t>(screen);
    prefix = rig.runner.library().Bind<Fn>("PREFIX_TECHNOL_DLL");
    data = rig.runner.library().Bind<Fn>("DATA_TECHNOL_DLL");
  }
  int Prefix() { return prefix != nullptr ? prefix(&rig.host.record()) : 999; }
  void Keys(const std::vector<uint8_t>& keys) {
    technol.input[8] = 1;
    for (uint8_t k : keys) {
      technol.key = k;
      if (data != nullptr) data(&rig.host.record());
    }
  }
  uint8_t At(int x, int y) const { return rig.screen.Pixel(x, y); }

  TracerRig rig;
  host::TechnolHost technol{rig.host, rig.display};
  Fn prefix = nullptr, data = nullptr;
};

// Palette byte 20 + k holds colour k in the simulator.
constexpr uint8_t kByte21 = 1, kByte22 = 2, kByte27 = 7;

TEST(TechnolScreen, SectionSearch) {
  struct Case {
    const char* why;
    const char* text;
    uint32_t offset;
    int result;
    uint8_t shown;   // output byte 2
    bool filled;     // the fill at (0,0)-(9,9) of the section was drawn
  } cases[] = {
      {"found", "$US1\n#(3,0,0,9,9,0,1)\n", 0, 0, 1, true},
      {"$US12 is not screen 1", "$US12\n#(3,0,0,9,9,0,1)\n", 0, -1, 0, false},
      {"a commented section line does not count", ";$US1\n#(3,0,0,9,9,0,1)\n", 0, -1, 0, false},
      {"the next section ends the screen", "$US1\n$US2\n#(3,0,0,9,9,0,1)\n", 0, 0, 1, false},
      {"the offset skips the text before it", "$US1\n$US3\n#(3,0,0,9,9,0,1)\n", 5, -1, 0, false},
      {"a comment after the number", "$US1 ; cutting\r\n#(3,0,0,9,9,0,1) ; fill\n", 0, 0, 1, true},
      {"six digits are no screen number", "$US000001\n#(3,0,0,9,9,0,1)\n", 0, -1, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    Technol t(c.text);
    t.rig.host.record().technolTextOffset = c.offset;
    EXPECT_EQ(t.Prefix(), c.result);
    EXPECT_EQ(t.technol.output[2], c.shown);
    EXPECT_EQ(t.technol.input[11], 1);
    EXPECT_EQ(t.At(5, 5), c.filled ? kByte21 : 200);
  }
}

TEST(TechnolScreen, ElementsAsPixels) {
  Technol t("$US1\n#(2,100,100,120,120,3,1)\n#(1,200,50,260,50,2,2)\n#(3,300,300,309,304,0,4)\n"
            "@(1,0,2,10,20)\"AB\"\n@(0,4,1,40P,400P)&(65)\n");
  ASSERT_EQ(t.Prefix(), 0);
  // Three nested frames in byte 21, the fourth ring untouched.
  for (int i = 0; i < 3; ++i) EXPECT_EQ(t.At(100 + i, 110), kByte21) << i;
  EXPECT_EQ(t.At(103, 110), 200);
  // A horizontal line drawn twice, one pixel lower.
  EXPECT_EQ(t.At(230, 50), kByte22);
  EXPECT_EQ(t.At(230, 51), kByte22);
  EXPECT_EQ(t.At(230, 52), 200);
  // A filled rectangle, both corners included.
  EXPECT_EQ(t.At(300, 300), kByte27);
  EXPECT_EQ(t.At(309, 304), kByte27);
  EXPECT_EQ(t.At(310, 304), 200);
  // Size 1 draws 16 x 32 cells from column 10, row 20 (80, 320) on byte 22.
  EXPECT_EQ(t.At(80, 320), kByte22);
  EXPECT_EQ(t.At(80 + 31, 320 + 31), kByte22);
  // Size 0 draws an 8 x 16 cell at the pixel position, background byte 21.
  EXPECT_EQ(t.At(40, 400), kByte21);
  EXPECT_EQ(t.At(48, 416), 200);
}

TEST(TechnolScreen, FieldsDefaultsAndLimits) {
  std::string text = "$US1\n$(I,2,3,,,,,,,,,,)\n$(I,2,5,,,,,,,40,,,)\n$(I,2,7,,,,,,,,,,)ignored $(I,0,0,,,,,,,,,,)\n"
                     "$(I,123456,1,,,,,,,,,,)\n";
  for (int i = 0; i < 70; ++i) text += "$(O,0,29,,,,,,,1,,,)\n";
  Technol t(text);
  ASSERT_EQ(t.Prefix(), 0);
  // Defaults: 8 characters of 8 pixels, 16 high; the first field is the
  // current one, drawn with its colours swapped (foreground digit 4).
  EXPECT_EQ(t.At(16, 48), kByte27);
  EXPECT_EQ(t.At(16 + 63, 48 + 15), kByte27);
  EXPECT_EQ(t.At(16 + 64, 48), 200);
  // Width 40 is shown as 29.
  EXPECT_EQ(t.At(16 + 29 * 8 - 1, 80), 0);
  EXPECT_EQ(t.At(16 + 29 * 8, 80), 200);
  // Text after a field ends its line; a parameter over its limit drops it.
  EXPECT_EQ(t.At(0, 0), 200);
  EXPECT_EQ(t.At(8, 16), 200);
}

TEST(TechnolScreen, Editing) {
  struct Case {
    const char* why;
    const char* field;
    std::vector<uint8_t> keys;
    const char* handed;  // "" for no hand-over
  } cases[] = {
      {"digits and a point", "$(I,0,0,,,2,7,,,8,,,)", {'1', '2', 43, '5', 1}, "12.5"},
      {"decimals beyond the field's are dropped", "$(I,0,0,,,1,7,,,8,,,)", {'1', 43, '5', '6', 1}, "1.5"},
      {"no point without decimals", "$(I,0,0,,,0,7,,,8,,,)", {'1', 43, '5', 1}, "15"},
      {"more than 5 decimals counts as 0", "$(I,0,0,,,9,7,,,8,,,)", {'1', 43, '5', 1}, "15"},
      {"the width ends the entry", "$(I,0,0,,,0,7,,,3,,,)", {'1', '2', '3', '4', 1}, "123"},
      {"sign toggles", "$(I,0,0,,,0,7,,,8,,,)", {'5', 63, 63, 63, 1}, "-5"},
      {"no sign at full width", "$(I,0,0,,,0,7,,,2,,,)", {'5', '6', 63, 1}, "56"},
      {"46 empties", "$(I,0,0,,,0,7,,,8,,,)", {'5', 46, '6', 1}, "6"},
      {"12 and 14 change nothing", "$(I,0,0,,,0,7,,,8,,,)", {12, 14, 2}, ""},
      {"an unchanged field is not handed over", "$(I,0,0,,,0,7,,,8,,,)", {1, 2}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    Technol t(std::string("$US1\n") + c.field + "\n$(I,0,4,,,0,8,,,8,,,)\n");
    ASSERT_EQ(t.Prefix(), 0);
    t.rig.host.record().technolKeyModifier = &t.technol.key_modifier;
    t.technol.key_modifier = 9;
    t.Keys(c.keys);
    EXPECT_EQ(t.technol.key, 0);
    EXPECT_EQ(t.technol.key_modifier, 0);
    EXPECT_EQ(t.technol.HandedText(), c.handed);
    EXPECT_EQ(t.technol.OutU16(8), *c.handed ? 1 : 0);
    EXPECT_EQ(t.technol.output[5], *c.handed ? 1 : 0);
    if (*c.handed) {
      EXPECT_EQ(t.technol.OutU16(6), 7);
    }
  }
}

TEST(TechnolScreen, OrderWrapsAndStateByte) {
  Technol t("$US1\n$(O,0,0,,,0,5,,,8,,,)\n$(I,0,2,,,0,6,,,8,,,)\n$(V,0,4,,,0,7,,,8,,,)\n");
  ASSERT_EQ(t.Prefix(), 0);
  t.Keys({0});
  EXPECT_EQ(t.technol.OutU16(6), 6);  // the output-only field is skipped
  t.Keys({2});
  EXPECT_EQ(t.technol.OutU16(6), 7);  // wraps backwards to the last
  t.Keys({1});
  EXPECT_EQ(t.technol.OutU16(6), 6);  // and forwards to the first
  t.technol.input[8] = 0;
  t.technol.key = '5';
  t.data(&t.rig.host.record());
  EXPECT_EQ(t.technol.key, 0);  // taken even while idle
  t.Keys({1});
  EXPECT_EQ(t.technol.OutU16(8), 0);  // the idle key changed nothing
}

TEST(TechnolScreen, InstancesApart) {
  Technol t("$US1\n$(I,0,0,,,0,5,,,8,,,)\n$US2\n$(I,0,2,,,0,6,,,8,,,)\n", 2, 2);
  ASSERT_EQ(t.Prefix(), 0);
  EXPECT_EQ(t.technol.output[3], 2);
  EXPECT_EQ(t.technol.input[12], 1);
  t.technol.input[9] = 1;
  t.technol.key = '5';
  t.data(&t.rig.host.record());
  EXPECT_EQ(t.technol.key, '5');  // only instance 1 takes keys
  EXPECT_EQ(t.technol.OutU16(6), 0);
}

}  // namespace
