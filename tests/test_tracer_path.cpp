// The path graphics through libTracer's exports: origins and axes in the
// three layouts, tracking with its markers and tool circle, zoom keys and
// the read-out.
#include <gtest/gtest.h>

#include "tests/support/tracer_rig.h"
#include "tracer/path_graphics.h"

namespace {

using testing_support::TracerRig;
using Shape = TracerRig::Shape;

// The rig's palette colour of a display byte.
int Colour(const TracerRig& rig, int byte) { return rig.display.block()[byte]; }

TEST(TracerPath, NineOriginsInThreeLayouts) {
  struct Origin {
    int column, row;  // 0 left, 1 centre, 2 right; 0 top, 1 middle, 2 bottom
    const char* y_text;
    int y_x, y_y, y_full_x, y_full_y;
    const char* x_text;
    int x_x, x_y, x_full_x, x_full_y;
  } origins[9] = {
      {1, 1, " Y", 292, 249, 612, 249, "X", 163, 99, 327, 99},
      {0, 2, " Y", 292, 378, 612, 381, "X", 13, 99, 13, 99},
      {1, 2, " Y", 292, 378, 612, 381, "X", 163, 99, 327, 99},
      {2, 2, "Y", 13, 378, 13, 378, " X", 292, 99, 602, 99},
      {2, 1, "Y", 13, 249, 13, 249, " X", 292, 99, 602, 99},
      {2, 0, "Y", 13, 99, 13, 99, " X", 292, 378, 602, 378},
      {1, 0, " Y", 292, 99, 612, 99, "X", 163, 378, 327, 378},
      {0, 0, " Y", 292, 99, 612, 99, "X", 13, 378, 13, 378},
      {0, 1, " Y", 292, 249, 612, 249, "X", 13, 99, 13, 99},
  };
  const int rows[3] = {96, 246, 396};
  for (uint8_t mode : {1, 2, 3}) {
    const int off = mode == 2 ? 320 : 0;
    const int columns[3] = {off + 10, mode == 1 ? 320 : off + 160, mode == 1 ? 620 : off + 310};
    for (uint8_t p = 0; p < 9; ++p) {
      SCOPED_TRACE("mode " + std::to_string(mode) + " position " + std::to_string(p));
      TracerRig rig;
      rig.host.record().layoutMode = mode;
      rig.host.origin_pos = p;
      rig.runner.PathPrefix();
      const Origin& o = origins[p];
      const int col = columns[o.column], row = rows[o.row];
      const bool left = p == 1 || p == 7 || p == 8;
      const int start = mode == 1 ? (left ? 10 : 20) : off + 10;
      const int axes = Colour(rig, 21);
      auto fills = rig.Fills();
      ASSERT_EQ(fills.size(), 2u + 13 + (mode == 1 ? 25 : 13));
      EXPECT_EQ(fills[0], (Shape{start, row, mode == 1 ? 600 : 300, 1, axes}));
      EXPECT_EQ(fills[1], (Shape{col, 96, 1, 300, axes}));
      EXPECT_EQ(fills[2], (Shape{col - 3, 96, 6, 1, axes}));
      EXPECT_EQ(fills[14], (Shape{col - 3, 396, 6, 1, axes}));
      EXPECT_EQ(fills.back(), (Shape{start + 25 * (mode == 1 ? 24 : 12), row - 3, 1, 6, axes}));
      EXPECT_EQ(rig.LastTextAt(mode == 1 ? o.y_full_x : off + o.y_x, mode == 1 ? o.y_full_y : o.y_y), o.y_text);
      EXPECT_EQ(rig.LastTextAt(mode == 1 ? o.x_full_x : off + o.x_x, mode == 1 ? o.x_full_y : o.x_y), o.x_text);
    }
  }
}

// A run in the left half with the origin in the centre, 10 mm grid
// (400 um a pixel), a 2 mm tool: every pixel, marker and circle by hand.
TEST(TracerPath, TrackingRunMatchesHandComputedPixels) {
  TracerRig rig;
  rig.host.record().layoutMode = 3;
  rig.host.SetToolRadius(2000, true);
  rig.runner.PathPrefix();
  const int trail = Colour(rig, 20);
  struct Step {
    int16_t h, v;
    bool plotted;
    int x, y;
    const char* label;  // grid label drawn by this step ("" none)
    bool circle;
  } steps[] = {
      {0, 0, false, 0, 0, "", false},                          // no move: nothing at all
      {4000, -2000, true, 170, 251, "[ ] rastr=10 mm  ", true},  // first point inside clears the marker
      {400, 0, true, 171, 251, "", true},
      {0, 32000, true, 171, 171, "", true},
      {0, 32000, false, 0, 0, "[!] rastr=10 mm  ", false},      // y = 91: outside
      {0, 1, false, 0, 0, "", false},                          // still outside: marker stays
      {27800, -32000, true, 240, 171, "[ ] rastr=10 mm  ", true},   // back inside
      {27800, -32001, true, 310, 251, "", false},  // on the right edge: plotted; the circle would cross
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(std::to_string(s.h) + "," + std::to_string(s.v));
    rig.Clear();
    rig.host.step_h = s.h;
    rig.host.step_v = s.v;
    rig.runner.PathRun();
    EXPECT_EQ(rig.host.step_h, 0);
    EXPECT_EQ(rig.host.step_v, 0);
    auto fills = rig.Fills();
    if (s.plotted) {
      ASSERT_EQ(fills.size(), 1u);
      EXPECT_EQ(fills[0], (Shape{s.x, s.y, 1, 1, trail}));
    } else {
      EXPECT_TRUE(fills.empty());
    }
    EXPECT_EQ(rig.LastTextAt(176, 400), s.label);
    auto arcs = rig.Arcs();
    if (s.circle) {
      ASSERT_EQ(arcs.size(), 1u);
      EXPECT_EQ(arcs[0], (Shape{s.x, s.y, 5, 0, trail}));
    } else {
      EXPECT_TRUE(arcs.empty());
    }
  }
}

TEST(TracerPath, ToolCircleConditions) {
  struct Case {
    const char* why;
    bool flag;
    uint16_t status_char, status_code;
    bool drawn;
  } cases[] = {
      {"flag and a status other than @", true, 'A', 0, true},
      {"flag, @ but code 150", true, '@', 150, true},
      {"flag, @ and another code", true, '@', 149, false},
      {"no flag", false, 'A', 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    TracerRig rig;
    rig.host.SetToolRadius(2000, c.flag);
    rig.host.status_char = c.status_char;
    rig.host.status_code = c.status_code;
    rig.runner.PathPrefix();
    rig.Clear();
    rig.host.step_h = 400;
    rig.runner.PathRun();
    EXPECT_EQ(rig.Arcs().size(), c.drawn ? 1u : 0u);
  }
}

TEST(TracerPath, ZoomKeysAtBothEnds) {
  struct Case {
    uint8_t index, key, after;
    int16_t divisor;  // written (0: untouched, stays at the rig's 400)
    const char* label;
  } cases[] = {
      {11, 2, 11, 10000, "[ ] rastr=250 mm "},  // coarsest reachable: stays, still redraws
      {0, 3, 0, 1, "[ ] rastr=0.025mm"},        // finest: stays, still redraws
      {7, 2, 8, 1000, "[ ] rastr=25 mm  "},
      {7, 3, 6, 200, "[ ] rastr=5 mm   "},
      {13, 3, 12, 20000, "[ ] rastr=500 mm "},  // beyond the table: back to 12
      {13, 2, 13, 400, "[ ] rastr=       "},    // beyond the table: no divisor, blank label
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.index) + " key " + std::to_string(c.key));
    TracerRig rig;
    rig.host.record().layoutMode = 2;
    rig.host.SetToolRadius(2000, true);
    rig.runner.PathPrefix();
    rig.host.zoom_index = c.index;
    rig.host.key_code = c.key;
    rig.Clear();
    rig.runner.PathRun();
    EXPECT_EQ(rig.host.zoom_index, c.after);
    EXPECT_EQ(rig.host.zoom_divisor, c.divisor);
    EXPECT_EQ(rig.host.key_code, 0);
    EXPECT_EQ(rig.LastTextAt(496, 400), c.label);
    auto fills = rig.Fills();
    ASSERT_FALSE(fills.empty());
    EXPECT_EQ(fills[0], (Shape{328, 95, 306, 303, Colour(rig, 29)})) << "plot area erased";
  }
}

TEST(TracerPath, IndexBeyondTheTableDrawsNoCircle) {
  TracerRig rig;
  rig.host.zoom_index = 13;
  rig.host.SetToolRadius(2000, true);
  rig.runner.PathPrefix();
  rig.host.step_h = 400;
  rig.Clear();
  rig.runner.PathRun();
  EXPECT_EQ(rig.Fills().size(), 1u);
  EXPECT_TRUE(rig.Arcs().empty());
}

TEST(TracerPath, ZeroDivisorCountsMovesAndDrawsNothing) {
  TracerRig rig;
  rig.runner.PathPrefix();
  rig.host.zoom_divisor = 0;
  rig.host.step_h = 1000;
  rig.host.step_v = -500;
  rig.Clear();
  rig.runner.PathRun();
  EXPECT_TRUE(rig.display.recorder().calls().empty());
  EXPECT_EQ(rig.host.step_h, 0);
  EXPECT_EQ(rig.host.step_v, 0);
  // The moves counted: a divisor again plots where they led.
  rig.host.zoom_divisor = 100;
  rig.host.step_h = 1000;
  rig.runner.PathRun();
  ASSERT_EQ(rig.Fills().size(), 1u);
  EXPECT_EQ(rig.Fills()[0].x, 320 + 20);
  EXPECT_EQ(rig.Fills()[0].y, 246 + 5);
}

TEST(TracerPath, OriginKeyWrapsFromEightAndNinePressesReturn) {
  TracerRig rig;
  rig.runner.PathPrefix();
  for (int press = 1; press <= 9; ++press) {
    rig.host.key_code = 1;
    rig.runner.PathRun();
    EXPECT_EQ(rig.host.origin_pos, press % 9);
    EXPECT_EQ(rig.host.key_code, 0);
  }
  rig.host.origin_pos = 9;  // beyond the table (a host's value): back to 0
  rig.host.key_code = 1;
  rig.runner.PathRun();
  EXPECT_EQ(rig.host.origin_pos, 0);
}

TEST(TracerPath, ReadoutFormatsAndReferenceModes) {
  struct Case {
    const char* mode_text;
    int32_t axis0, axis1;  // um
    const char* shown;
  } cases[] = {
      {"S001", -5, 1234, " [1.234;-0.005]"},
      {"S001", 0, -1234, " [-1.234;0.000]"},
      {"S000", 700, 800, " [0.000;0.000]"},
      {"S002", 700, 800, " [0.800;0.000]"},  // mode 2: the vertical value shown as 0
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode_text);
    TracerRig rig;
    memcpy(rig.host.mode_text, c.mode_text, 5);
    rig.host.SetAxisBlock(0, c.axis0);
    rig.host.SetAxisBlock(1, c.axis1);
    rig.host.snapshot_flag = 255;
    rig.runner.PathPrefix();
    EXPECT_EQ(rig.LastTextAt(8, 400), c.shown);
    EXPECT_EQ(rig.host.snapshot_flag, 0);
  }
  // Mode '2': the vertical coordinate stays absolute, the horizontal starts at 0.
  TracerRig rig;
  memcpy(rig.host.mode_text, "S002", 5);
  rig.host.record().layoutMode = 3;
  rig.host.SetAxisBlock(0, 4000);
  rig.host.SetAxisBlock(1, 8000);
  rig.runner.PathPrefix();
  rig.Clear();
  rig.host.step_h = 400;
  rig.runner.PathRun();
  ASSERT_EQ(rig.Fills().size(), 1u);
  EXPECT_EQ(rig.Fills()[0], (Shape{161, 236, 1, 1, Colour(rig, 20)}));
}

TEST(TracerPathParts, NumbersAndTables) {
  char text[16];
  struct {
    int32_t value;
    const char* text;
  } readouts[] = {{5, "0.005"}, {-1234, "-1.234"}, {0, "0.000"}, {INT32_MIN, "-2147483.648"}};
  for (auto& r : readouts) {
    FormatMillimetres(r.value, text);
    EXPECT_STREQ(text, r.text);
  }
  EXPECT_EQ(BcdToBinary(0x0012345), 12345u);
  EXPECT_EQ(RadiusPixels(2000, 7), 5);
  EXPECT_EQ(RadiusPixels(2000, 13), 0);
  EXPECT_EQ(ZoomDivisor(13), 0);
  // Axis values: (a[k] + a[k + 6]) / 8 in 64 bits, truncated toward zero.
  uint8_t block[2 + 48] = {};
  const int32_t a0 = INT32_MAX, a6 = INT32_MAX, a1 = -9, a7 = 0;
  memcpy(block + 2, &a0, 4);
  memcpy(block + 2 + 24, &a6, 4);
  memcpy(block + 6, &a1, 4);
  memcpy(block + 6 + 24, &a7, 4);
  const uint32_t address = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(block));
  EXPECT_EQ(AxisValue(address, 0), 536870911);
  EXPECT_EQ(AxisValue(address, 1), -1);
}

}  // namespace
