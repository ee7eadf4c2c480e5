// The ISO contour view (DLL_SHOWISO) through libTracer's export, with the
// simulator's number services, file services and display block.
#include <math.h>

#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "bridge/display.h"
#include "host/runners/contour_runner.h"
#include "tests/support/tracer_rig.h"
#include "tracer/iso_contour.h"

namespace {

using testing_support::TracerRig;

struct ContourRig {
  TracerRig rig;
  host::ContourHost contour{rig.host, rig.box.files()};
  host::ContourRunner view{rig.runner, rig.host, contour};

  int Show(const std::string& program, uint8_t kind = 0) {
    rig.box.Write("c:\\prog\\p.nc", program);
    contour.SetProgram("c:\\prog\\p.nc");
    rig.host.record().displayKind = kind;
    rig.Clear();
    return view.Show();
  }
  using Line = std::tuple<int, int, int, int, int>;  // from, to, pattern
  std::vector<Line> Lines() {
    std::vector<Line> lines;
    for (const host::GdiCall& c : rig.display.recorder().calls())
      if (c.word == kDisplayLine) lines.emplace_back(c.x, c.y, c.x2, c.y2, c.pattern);
    return lines;
  }
};

TEST(TracerContour, WholePrograms) {
  struct Case {
    const char* why;
    const char* program;
    bool large, left;
    double width, height, scale;
    std::vector<std::string> label;  // texts at the label's place
    int label_x, label_y;
    size_t lines;
  };
  const Case cases[] = {
      {"wide and flat: scaled by width", "G1 X200 Y10\n", false, true, 200, 10, 304.0 / 200,
       {"Dimension[mm]:", "200x10"}, 336, 112, 1},
      {"tall and narrow: scaled by height", "G1 X10 Y200\n", false, true, 10, 200, 286.0 / 200,
       {"Dimension[mm]:", "10x200"}, 336, 112, 1},
      {"negative: shifted to the edge; label at the right ends at 624",
       "G0 X-50 Y-20\nG1 X-10\nY-5\n", false, false, 50, 20, 304.0 / 50, {"50x20"}, 624 - 8 * 5, 112, 3},
      {"large layout: the area grows by 160 x 120", "G1 X100 Y100\n", true, true, 100, 100, 406.0 / 100,
       {"Dimension[mm]:", "100x100"}, 336, 112, 1},
      {"empty program: scale 1, 0x0, nothing drawn", "", false, true, 0, 0, 1, {"Dimension[mm]:", "0x0"}, 336,
       112, 0},
      {"one point: no extent, scale 1", "G0 X0 Y0\n", false, true, 0, 0, 1, {"Dimension[mm]:", "0x0"}, 336, 112,
       0},
      {"a line along X only: height 0 scales by width", "G1 X40\n", false, true, 40, 0, 304.0 / 40,
       {"Dimension[mm]:", "40x0"}, 336, 112, 1},
      {"a full circle (start = end): extents by its quadrant points", "G2 X0 Y0 I10 J0\n", false, true, 20, 20,
       286.0 / 20, {"Dimension[mm]:", "20x20"}, 336, 112, 72},
      {"G2 is clockwise: a half circle over the chord", "G2 X20 Y0 I10 J0\n", false, true, 20, 10, 304.0 / 20,
       {"Dimension[mm]:", "20x10"}, 336, 112, 36},
      {"quoted comments and blanks are cleaned away", "\"G1 X100 Y100\"\nG1 X 1 0\tY10 \"Y50\"\n", false, true,
       10, 10, 286.0 / 10, {"Dimension[mm]:", "10x10"}, 336, 112, 1},
      {"characters past 79 in a line are dropped",
       "G1 X10 Y10                                                                       Y99\n", false, true, 10,
       10, 28.6, {"Dimension[mm]:", "10x10"}, 336, 112, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    ContourRig r;
    r.contour.label_left = c.left ? 1 : 0;
    r.rig.host.record().largeLayout = c.large ? 1 : 0;
    ASSERT_EQ(r.Show(c.program), 0);
    EXPECT_DOUBLE_EQ(r.contour.width, c.width);
    EXPECT_DOUBLE_EQ(r.contour.height, c.height);
    EXPECT_NEAR(r.contour.scale, c.scale, 1e-9);
    EXPECT_EQ(r.rig.TextsAt(c.label_x, c.label_y), c.label);
    EXPECT_EQ(r.Lines().size(), c.lines);
    for (const auto& [x1, y1, x2, y2, pattern] : r.Lines()) {
      // Kind 0 draws nothing outside its clipping window.
      EXPECT_TRUE(x1 >= 322 && x2 <= 638 + (c.large ? 160 : 0) && y1 >= 120 && y2 <= 420 + (c.large ? 120 : 0));
      (void)pattern;
    }
    EXPECT_EQ(r.rig.box.files().open_handles(), 0);
    EXPECT_TRUE(r.contour.GuardsIntact());
  }
}

TEST(TracerContour, NegativeProgramTouchesTheEdgeRapidDashed) {
  ContourRig r;
  ASSERT_EQ(r.Show("G0 X-50 Y-20\nG1 X-10\n"), 0);
  const auto lines = r.Lines();
  ASSERT_EQ(lines.size(), 2u);
  // (0, 0) lies 50 mm right of the minimum: x = 328 + 6.08 * 50.
  EXPECT_EQ(lines[0], ContourRig::Line(632, 416 - 122, 328, 416, 0xF0F0));
  EXPECT_EQ(lines[1], ContourRig::Line(328, 416, 328 + 243, 416, 0xFFFF));
  // The last line's end pixel is handed back.
  EXPECT_EQ(r.contour.line_drawn, 255);
  EXPECT_EQ(r.contour.line_end_x, 571);
  EXPECT_EQ(r.contour.line_end_y, 416);
}

// One rig at a time: the library keeps the host's tables of the last one.
std::vector<ContourRig::Line> LinesOf(const std::string& program, double* width) {
  ContourRig r;
  EXPECT_EQ(r.Show(program), 0);
  *width = r.contour.width;
  return r.Lines();
}

TEST(TracerContour, ProgramEndingIncrementalIsDrawnAsItsAbsoluteTwin) {
  double width = 0, twin_width = 0;
  const auto incremental = LinesOf("G90\nG1 X10 Y0\nG1 Y10\nG91\nG1 X5\nG1 Y5\n", &width);
  const auto absolute = LinesOf("G90\nG1 X10 Y0\nG1 Y10\nG1 X15\nG1 Y15\n", &twin_width);
  EXPECT_EQ(incremental, absolute);
  EXPECT_EQ(incremental.size(), 4u);
  EXPECT_EQ(width, 15);
  EXPECT_EQ(twin_width, 15);
}

TEST(TracerContour, NumberServicesAndDecimalComma) {
  ContourRig r;
  r.contour.SetDecimalChar(',');
  ASSERT_EQ(r.Show("G1 X12,5 Y3,75\n"), 0);
  EXPECT_EQ(r.contour.width, 12.5);
  EXPECT_EQ(r.contour.height, 3.75);
  EXPECT_EQ(r.contour.decimal_comma, 0);
  EXPECT_EQ(r.rig.LastTextAt(336, 112), "12x3");
  EXPECT_EQ(r.contour.calls("text to number"), 4);  // two words in each pass
  EXPECT_EQ(r.contour.calls("number to text"), 2);
}

TEST(TracerContour, MissingFileAndEditorBuffer) {
  ContourRig r;
  r.contour.SetProgram("c:\\prog\\missing.nc");
  EXPECT_EQ(r.view.Show(), -1);
  EXPECT_EQ(r.rig.box.files().open_handles(), 0);

  r.rig.box.Write("c:\\prog\\p.nc", "G1 X30 Y20\n");
  r.contour.editor_buffer = 1;
  r.contour.SetEditorDir("c:\\edit\\");
  r.contour.SetEditorSource("c:\\prog\\p.nc");
  r.rig.box.Write("c:\\edit\\keep", "");
  ASSERT_EQ(r.view.Show(), 0);
  EXPECT_EQ(r.contour.calls("prepare editor buffer"), 1);
  EXPECT_EQ(r.contour.width, 30);
  EXPECT_EQ(r.rig.box.Read("c:\\edit\\@EDIT.TMP"), "G1 X30 Y20\n");
}

TEST(TracerContour, BlockByBlockMatchesTheWholeView) {
  const std::string program = "%\nG0 X20 Y0\nG1 X180\nG3 X200 Y20 I0 J20\nG1 Y100\nG2 X160 Y100 I-20 J0\nG1 X20\n";
  double width = 0;
  const auto whole = LinesOf(program, &width);
  ContourRig blocks;
  ASSERT_EQ(blocks.view.BlockByBlock(program, 0), 6);
  EXPECT_DOUBLE_EQ(blocks.contour.width, 200);
  EXPECT_DOUBLE_EQ(blocks.contour.height, 100);
  EXPECT_DOUBLE_EQ(blocks.contour.scale, 1.52);
  EXPECT_EQ(width, 200);
  EXPECT_EQ(blocks.Lines(), whole);
}

TEST(TracerContour, ScaleNeverDividesByZero) {
  struct Case {
    double width, height, area_w, area_h, scale;
  };
  const Case cases[] = {
      {0, 0, 304, 286, 1}, {10, 0, 304, 286, 30.4}, {0, 10, 304, 286, 28.6}, {100, 10, 0, 0, 0},
      {10, 10, 304, 0, 0}, {200, 10, 304, 286, 1.52},
  };
  for (const Case& c : cases) {
    const double s = ContourScale(c.width, c.height, c.area_w, c.area_h);
    EXPECT_TRUE(isfinite(s));
    EXPECT_NEAR(s, c.scale, 1e-12) << c.width << "x" << c.height << " in " << c.area_w << "x" << c.area_h;
  }
}

}  // namespace
