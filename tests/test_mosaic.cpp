// libMosaic through its exports: the LED window's correction text and
// transformation state, the coordinate conversion, the common dialog, and
// the string table the host selects.
#include <stdlib.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bridge/display.h"
#include "host/runners/mosaic_runner.h"
#include "host/screen/screen.h"
#include "tests/support/sandbox.h"

namespace {

using host::EncodeBcd;
using host::MosaicTransform;

struct MosaicRig {
  MosaicRig() {
    setenv("HOSTSIM_LIB_DIR", TEST_LIB_DIR, 1);
    std::string error;
    EXPECT_TRUE(mosaic.Load(box.files(), 9, &error)) << error;
    display.set_palette(BARVA_RUDA, 200);  // byte 33 told apart from the others
  }
  // Text written at a position, with the colours word 33 gave it.
  struct Written {
    std::string text;
    int fg, bg, font;
  };
  std::vector<Written> TextsAt(int x, int y) {
    std::vector<Written> out;
    int at_x = -1, at_y = -1, fg = 0, bg = 0, font = 0;
    for (const host::GdiCall& c : display.recorder().calls()) {
      if (c.word == kDisplayTextStyle) {
        at_x = c.x, at_y = c.y, fg = c.fg, bg = c.bg, font = c.font;
      } else if (c.word == kDisplayWriteText && at_x == x && at_y == y) {
        out.push_back({c.text, fg, bg, font});
      }
    }
    return out;
  }

  testing_support::Sandbox box;
  host::Screen screen{640, 480};
  host::DisplayServices display{screen, host::TextStyle::kForm};
  host::HostMemory memory;
  host::MosaicRunner mosaic{display, memory};
};

TEST(Mosaic, LedWindowTexts) {
  struct Case {
    const char* why;
    int32_t eighths;
    MosaicTransform state;
    const char* correction;  // the whole first line
    const char* transform;   // what follows "Transf: " ("" nothing)
  };
  const Case cases[] = {
      {"-8 eighths are -1 um", -8, MosaicTransform::kOff, "CORR HiSe2: -0.001  ", "---"},
      {"-7 eighths truncate to 0, shown without a sign", -7, MosaicTransform::kOff, "CORR HiSe2: 0.000   ",
       "---"},
      {"zero", 0, MosaicTransform::kVariantA, "CORR HiSe2: 0.000   ", "-A-"},
      {"7999 eighths: 999 um, two zeros never dropped", 7999, MosaicTransform::kVariantB,
       "CORR HiSe2: 0.999   ", "-B-"},
      {"eight characters: no padding", 12345678, MosaicTransform::kActiveNoVariant, "CORR HiSe2: 1543.209",
       ""},
      {"the largest negative word does not overflow", INT32_MIN, MosaicTransform::kOff,
       "CORR HiSe2: -268435.456", "---"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    MosaicRig rig;
    rig.mosaic.SetCorrection(c.eighths);
    rig.mosaic.SetTransform(c.state);
    ASSERT_EQ(rig.mosaic.DrawLed(), 0);
    const auto first = rig.TextsAt(128, 424);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].text, c.correction);
    EXPECT_EQ(first[0].font, 10);
    EXPECT_EQ(first[0].fg, rig.display.block()[BARVA_T15]);
    EXPECT_EQ(first[0].bg, rig.display.block()[BARVA_VYPLN]);
    const auto second = rig.TextsAt(128, 408);
    std::vector<std::string> texts;
    for (const auto& w : second) texts.push_back(w.text);
    std::vector<std::string> expected = {"Transf: "};
    if (*c.transform) expected.push_back(c.transform);
    EXPECT_EQ(texts, expected);
    // The state is written after its colours were set: byte 33 on byte 29.
    const auto& calls = rig.display.recorder().calls();
    ASSERT_GE(calls.size(), 2u);
    const host::GdiCall& colours = calls[calls.size() - (*c.transform ? 2 : 1)];
    EXPECT_EQ(colours.word, kDisplaySetColors);
    EXPECT_EQ(colours.fg, 200);
    EXPECT_EQ(colours.bg, rig.display.block()[BARVA_VYPLN]);
  }
}

TEST(Mosaic, Conversion) {
  struct Case {
    const char* why;
    MosaicTransform state;
    int64_t a, b;  // words 230 and 229 as numbers
    long double m0, m1, m3, m4;
    double first, second;
  };
  const Case cases[] = {
      {"inactive: the decoded values unchanged", MosaicTransform::kOff, 1500, 250, 2, 3, 4, 5, 1500, 250},
      {"inactive: bit 31 makes a value negative", MosaicTransform::kOff, -1500, -79999999, 2, 3, 4, 5, -1500,
       -79999999},
      {"active: a rotation by 90 degrees", MosaicTransform::kVariantA, 1500, 250, 0, -1, 1, 0, -250, 1500},
      {"active: m2 and m5 are not used, signs honoured", MosaicTransform::kVariantB, -1000, 2000, 0.5L, 0.25L,
       -2, 1, 0, 4000},
      {"extended precision before the double is stored", MosaicTransform::kVariantA, 79999999, 79999999,
       1.0L + 1e-17L, -1.0L, 0, 0, 7.98e-10, 0},  // double arithmetic gives 0
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    MosaicRig rig;
    rig.mosaic.SetTransform(c.state);
    rig.mosaic.SetCoefficient(0, c.m0);
    rig.mosaic.SetCoefficient(1, c.m1);
    rig.mosaic.SetCoefficient(2, 1000);
    rig.mosaic.SetCoefficient(3, c.m3);
    rig.mosaic.SetCoefficient(4, c.m4);
    rig.mosaic.SetCoefficient(5, 1000);
    double first = 0, second = 0;
    ASSERT_EQ(rig.mosaic.Convert(EncodeBcd(c.a), EncodeBcd(c.b), &first, &second), 0);
    EXPECT_NEAR(first, c.first, 2e-11);
    EXPECT_EQ(second, c.second);
    // Conversion draws nothing.
    EXPECT_TRUE(rig.display.recorder().calls().empty());
  }
}

TEST(Mosaic, DialogAndStrings) {
  testing_support::Sandbox box;
  setenv("HOSTSIM_LIB_DIR", TEST_LIB_DIR, 1);
  host::Library lib;
  std::string error;
  ASSERT_TRUE(lib.Open(host::LibraryPath("Mosaic"), &error)) << error;
  auto get = lib.Bind<const char* (*)(uint32_t)>("GetLocString");
  auto init = lib.Bind<int (*)(void*, uint32_t)>("LocalizationInit");
  ASSERT_NE(get, nullptr);
  ASSERT_NE(init, nullptr);
  // No table is selected at load.
  EXPECT_EQ(get(0), nullptr);
  for (uint32_t language : {5u, 7u, 9u, 12u, 14u, 21u, 25u, 36u}) {
    ASSERT_EQ(init(nullptr, language), 1) << language;
    EXPECT_STREQ(get(0), "Mosaic");
    EXPECT_EQ(get(1), nullptr);
  }
  EXPECT_EQ(init(nullptr, 99), 0);

  // The common dialog returns 0 and draws nothing.
  MosaicRig rig;
  EXPECT_EQ(rig.mosaic.DialStart(), 0);
  EXPECT_EQ(rig.mosaic.DialCont(), 0);
  EXPECT_EQ(rig.mosaic.DialStop(), 0);
  EXPECT_TRUE(rig.display.recorder().calls().empty());
}

}  // namespace
