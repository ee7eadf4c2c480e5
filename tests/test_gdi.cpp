// The drawing primitives of the host bridge, against the simulator's
// graphics services with the call recorder: clipping, rounding, text
// boxes, the view transformation, pens and arcs.
#include <gtest/gtest.h>
#include <math.h>

#include <array>
#include <vector>

#include "bridge/gdi.h"
#include "bridge/pen3d.h"
#include "host/services/graphics_services.h"

namespace {

class Gdi : public ::testing::Test {
 protected:
  void SetUp() override {
    GdiInitCopy(&gfx.table());
    GdiSetClip(0, 0, 0, 0);
    GdiSetXorMode(0);
    gfx.recorder().Clear();
  }
  std::vector<host::GdiCall> Calls(int slot) {
    std::vector<host::GdiCall> out;
    for (const auto& c : gfx.recorder().calls())
      if (c.slot == slot) out.push_back(c);
    return out;
  }
  host::Screen screen{800, 600};
  host::GraphicsServices gfx{screen};
};

void ExpectLine(const host::GdiCall& c, int x1, int y1, int x2, int y2) {
  EXPECT_EQ(c.x, x1);
  EXPECT_EQ(c.y, y1);
  EXPECT_EQ(c.x2, x2);
  EXPECT_EQ(c.y2, y2);
}

TEST_F(Gdi, CopyRulesOfTheTable) {
  GDI_INIT_PARAMS host = gfx.table();
  host.size = 22 + 4 * 4;  // only slots 0..3
  GdiInitCopy(&host);
  EXPECT_EQ(g_gdi.size, 202);
  GdiSetClip(0, 0, 100, 100);
  GdiFillRectClipped(10, 10, 20, 20);  // slot 3 kept
  GdiLineI(0, 0, 50, 50, kPatternSolid);  // slot 6 dropped: nothing
  EXPECT_EQ(Calls(kGdiFillRect).size(), 1u);
  EXPECT_TRUE(Calls(kGdiLine).empty());
  // A missing mode service still remembers and returns the value.
  EXPECT_EQ(GdiSetXorMode(1), 1);
  EXPECT_EQ(GdiXorMode(), 1);
  GdiSetXorMode(0);
}

TEST_F(Gdi, ColoursBelowSixteenGoThroughTheMap) {
  GDI_INIT_PARAMS host = gfx.table();
  host.color_map[3] = 42;
  GdiInitCopy(&host);
  GdiSetColors(3, 255);
  GdiSetColors(20, 3);
  auto c = Calls(kGdiSetColors);
  ASSERT_EQ(c.size(), 2u);
  EXPECT_EQ(c[0].fg, 42);
  EXPECT_EQ(c[0].bg, 255);
  EXPECT_EQ(c[1].fg, 20);
  EXPECT_EQ(c[1].bg, 42);
}

TEST_F(Gdi, BeforeAnyClipTheWindowIsOnePoint) {
  GdiText(0, 0, 10, 1, 0, 7, 2);
  GdiFillRectClipped(0, 0, 100, 100);
  auto boxes = Calls(kGdiTextBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].columns, 0);
  EXPECT_EQ(boxes[0].rows, 0);
  EXPECT_TRUE(Calls(kGdiFillRect).empty());
}

TEST_F(Gdi, IntegerLinesAreClippedWithTruncation) {
  GdiSetClip(100, 50, 10, 10);  // corners are ordered
  EXPECT_EQ(GdiGetClip().x1, 10);
  EXPECT_EQ(GdiGetClip().y2, 50);
  GdiLineI(0, 0, 110, 55, kPatternSolid);     // through two corners
  GdiLineI(-20, 30, 200, 30, 0xF0F0);          // across left and right
  GdiLineI(50, 0, 50, 80, kPatternSolid);      // vertical across top and bottom
  GdiLineI(0, 20, 5, 40, kPatternSolid);       // wholly left: nothing
  GdiLineI(20, 60, 90, 70, kPatternSolid);     // wholly below: nothing
  GdiLineI(0, 0, 9, 9, kPatternSolid);         // beside the corner: nothing
  auto lines = Calls(kGdiLine);
  ASSERT_EQ(lines.size(), 3u);
  ExpectLine(lines[0], 20, 10, 100, 50);
  ExpectLine(lines[1], 10, 30, 100, 30);
  EXPECT_EQ(lines[1].pattern, 0xF0F0);
  ExpectLine(lines[2], 50, 10, 50, 50);
}

TEST_F(Gdi, TruncationGoesTowardZero) {
  GdiSetClip(-100, -100, 100, 100);
  GdiLineI(-200, -1, 0, 2, kPatternSolid);  // y = -1 + 0.015 * 100 = 0.5 -> 0
  GdiLineI(200, 1, 0, -2, kPatternSolid);   // y = 1 - 0.015 * 100 = -0.5 -> 0
  auto lines = Calls(kGdiLine);
  ASSERT_EQ(lines.size(), 2u);
  ExpectLine(lines[0], -100, 0, 0, 2);
  ExpectLine(lines[1], 100, 0, 0, -2);
}

TEST_F(Gdi, RealLinesRoundTheirEndsOnly) {
  GdiSetClip(0, 0, 100, 100);
  GdiLineF(10.4, 10.6, 20.5, 20.49, kPatternSolid);
  GdiLineF(-10, 50.25, 50, 50.25, kPatternSolid);  // clipped exactly, then rounded
  GdiLineF(NAN, 0, 10, 10, kPatternSolid);          // nowhere: nothing
  auto lines = Calls(kGdiLine);
  ASSERT_EQ(lines.size(), 2u);
  ExpectLine(lines[0], 10, 11, 21, 20);
  ExpectLine(lines[1], 0, 50, 50, 50);
}

TEST_F(Gdi, RectanglesAndClippedAreas) {
  GdiSetClip(0, 0, 50, 50);
  GdiRect(10, 10, 20, 30, kPatternSolid);
  auto lines = Calls(kGdiLine);
  ASSERT_EQ(lines.size(), 4u);
  ExpectLine(lines[0], 10, 10, 20, 10);
  ExpectLine(lines[1], 20, 10, 20, 30);
  ExpectLine(lines[2], 20, 30, 10, 30);
  ExpectLine(lines[3], 10, 30, 10, 10);

  GdiFillRectClipped(10, 10, 10, 40);  // one pixel wide: nothing
  GdiFillRectClipped(40, 40, 11, 11);  // corners swapped
  GdiFillRectClipped(40, 40, 90, 45);  // cut by the window
  char buffer[4];
  GdiSaveRectClipped(-5, -5, 5, 5, buffer);
  GdiRestoreRectClipped(-5, -5, 5, 5, buffer);
  auto fills = Calls(kGdiFillRect);
  ASSERT_EQ(fills.size(), 2u);
  EXPECT_EQ(fills[0].x, 11);
  EXPECT_EQ(fills[0].w, 30);
  EXPECT_EQ(fills[0].h, 30);
  EXPECT_EQ(fills[1].x, 40);
  EXPECT_EQ(fills[1].w, 11);
  EXPECT_EQ(fills[1].h, 6);
  ASSERT_EQ(Calls(kGdiSaveRect).size(), 1u);
  EXPECT_EQ(Calls(kGdiSaveRect)[0].w, 6);
  EXPECT_EQ(Calls(kGdiRestoreRect).size(), 1u);
}

TEST_F(Gdi, TextBoxesAreLimitedByTheWindow) {
  GdiSetClip(0, 0, 400, 300);
  GdiText(380, 10, 1000, 1, 0, 7, 2);  // font 2: 8 pixels -> 20 / 8 = 2 columns
  GdiText(0, 270, 5, 3, 0, 7, 0);      // font 0: 16 x 32 -> no whole row left
  GdiText(0, 0, 1000, 1, 0, 7, 1);     // font 1: 32 x 64 -> 12 columns
  GdiText(0, 0, 1000, 1, 0, 7, 9);     // other fonts as font 1
  GdiText(400, 10, 5, 1, 0, 7, 2);     // on the right edge: outside
  GdiText(-1, 10, 5, 1, 0, 7, 2);
  auto boxes = Calls(kGdiTextBox);
  ASSERT_EQ(boxes.size(), 6u);
  EXPECT_EQ(boxes[0].columns, 2);
  EXPECT_EQ(boxes[1].columns, 5);
  EXPECT_EQ(boxes[1].rows, 0);
  EXPECT_EQ(boxes[2].columns, 12);
  EXPECT_EQ(boxes[3].columns, 12);
  EXPECT_EQ(boxes[4].columns, 0);
  EXPECT_EQ(boxes[5].rows, 0);
  // A window wider than 255 cells gets 255, not the count cut to a byte.
  GdiSetClip(0, 0, 3000, 100);
  GdiText(0, 0, 1000, 1, 0, 7, 2);
  EXPECT_EQ(Calls(kGdiTextBox).back().columns, 255);
}

TEST(View3D, NoPerspectiveWhenDistanceIsZero) {
  View3DSet(0, 0, 0, 2, 1, 1, 0, 0, 0);
  double p[3] = {3, 4, 0};
  View3DTransform(p);
  EXPECT_DOUBLE_EQ(p[0], 7);
  EXPECT_DOUBLE_EQ(p[1], 9);
  EXPECT_DOUBLE_EQ(p[2], 0);
}

TEST(View3D, ParallelViewKeepsLargeCoordinates) {
  View3DSet(0, 0, kParallelView, 0.5, 0, 0, 0, 0, 0);
  double p[3] = {2.5e6, -7.0e5, 1.0e4};
  View3DTransform(p);
  EXPECT_NEAR(p[0], 1.25e6, 1e-3);
  EXPECT_NEAR(p[1], -3.5e5, 1e-3);
  EXPECT_EQ(p[2], 0);
  // Rotated by a quarter turn and tilted upside down: x shows as y.
  View3DSet(-kHalfPi, kPi, kParallelView, 1, 0, 0, 0, 0, 0);
  double q[3] = {1.0e6, 3.0e6, 0};
  View3DTransform(q);
  EXPECT_NEAR(q[0], 3.0e6, 1e-2);
  EXPECT_NEAR(q[1], 1.0e6, 1e-2);
}

TEST(View3D, PerspectiveShrinksFarPoints) {
  View3DSet(0, 0, 100, 1, 0, 0, 0, 0, 0);
  double near_point[3] = {10, 0, 0}, far_point[3] = {10, 0, -100};
  View3DTransform(near_point);
  View3DTransform(far_point);
  EXPECT_DOUBLE_EQ(near_point[0], 10);  // d = -100: factor 1
  EXPECT_DOUBLE_EQ(far_point[0], 5);    // d = -200: factor 1/2
}

// The transformation's formulas as written, term by term.
void FormulaTransform(const View3D& v, double p[3]) {
  double x1 = v.cos_a * p[0] - v.sin_a * p[1];
  double y1 = v.sin_a * p[0] + v.cos_a * p[1];
  double z1 = -p[2];
  double y2 = v.cos_b * y1 - v.sin_b * z1;
  double z2 = v.sin_b * y1 + v.cos_b * z1;
  double d = -v.perspective - z2;
  if (d != 0) {
    double factor = -v.perspective / d;
    x1 = x1 * factor;
    y2 = y2 * factor;
    z2 = 0;
  }
  p[0] = x1 * v.scale + v.offset[0];
  p[1] = y2 * v.scale + v.offset[1];
  p[2] = z2 * v.scale + v.offset[2];
}

TEST(View3D, TransformGivesTheFormulasBitsForEveryViewAndPoint) {
  // Views of the program view's orientations and others, with the zeros,
  // infinities and NaNs that would tell a shortcut from the formulas.
  const double inf = INFINITY, nan = NAN;
  const double angles[] = {0, -0.0, kHalfPi, -kHalfPi, kPi, nan};
  const double distances[] = {kParallelView, 0, -50, inf, nan};
  const double scales[] = {1, 0.00123, -2, 0, inf};
  const double offsets[] = {0, -0.0, 12.25};
  const double values[] = {0, -0.0, 1, -1, 0.1, -123456.789, 5e-324, 1e300, -1.7e308, inf, -inf, nan};
  std::vector<std::array<double, 3>> points;
  for (double x : values)
    for (double y : values) points.push_back({x, y, 0});
  for (double z : values) points.push_back({3.5, -7.25, z});
  for (int k = 0; k < 40; ++k)  // chord points around a circle
    points.push_back({1000 + 250 * cos(k * 0.157), -40 + 250 * sin(k * 0.157), 0});
  for (double a : angles)
    for (double b : angles)
      for (double distance : distances)
        for (double scale : scales)
          for (double offset : offsets) {
            View3DSet(a, b, distance, scale, offset, offset, offset, 300, 200);
            for (int round = 0; round < 2; ++round) {  // the second round meets remembered values
              for (const auto& point : points) {
                double got[3] = {point[0], point[1], point[2]};
                double want[3] = {point[0], point[1], point[2]};
                View3DTransform(got);
                FormulaTransform(View3DGet(), want);
                ASSERT_EQ(memcmp(got, want, sizeof got), 0)
                    << "a=" << a << " b=" << b << " P=" << distance << " S=" << scale
                    << " offset=" << offset << " point=" << point[0] << "," << point[1] << ","
                    << point[2] << " got " << got[0] << "," << got[1] << "," << got[2] << " want "
                    << want[0] << "," << want[1] << "," << want[2];
              }
            }
          }
}

class Pens : public Gdi {
 protected:
  void SetUp() override {
    Gdi::SetUp();
    GdiSetClip(0, 0, 799, 599);
    View3DSet(0, 0, kParallelView, 1, 0, 0, 0, 0, 500);
    memset(&pen, 0, sizeof pen);
    PenInit(&pen, 1, 7, kPatternSolid);
    PenMoveTo(&pen, 0, 0, 0);
    gfx.recorder().Clear();
  }
  Pen3D pen;
};

TEST_F(Pens, SegmentCrossingTheBoxIsDrawnInTwoColours) {
  PenInitBox(&pen, 1, 2, 7, kPatternSolid, 0, 0, 0, 10, 10, 10);
  PenMoveTo(&pen, 5, 5, 0);
  PenLineTo(&pen, 15, 5, 0);
  auto colors = Calls(kGdiSetColors);
  auto lines = Calls(kGdiLine);
  ASSERT_EQ(colors.size(), 2u);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(colors[0].fg, 2);  // the part outside the box first
  ExpectLine(lines[0], 10, 495, 15, 495);
  EXPECT_EQ(colors[1].fg, 1);
  ExpectLine(lines[1], 5, 495, 10, 495);
  EXPECT_EQ(pen.left_box, 1u);
  EXPECT_NE(pen.outcode, 0);
  // Coming back in: outside part first again, then the inside part.
  gfx.recorder().Clear();
  PenLineTo(&pen, 5, 5, 0);
  colors = Calls(kGdiSetColors);
  lines = Calls(kGdiLine);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(colors[0].fg, 2);
  ExpectLine(lines[0], 15, 495, 10, 495);
  EXPECT_EQ(colors[1].fg, 1);
  ExpectLine(lines[1], 10, 495, 5, 495);
  EXPECT_EQ(pen.outcode, 0);
  EXPECT_EQ(pen.left_box, 1u);  // never cleared by the pen
}

TEST_F(Pens, SegmentWhollyOutsideIsDrawnInTheOutsideColour) {
  PenInitBox(&pen, 1, 2, 7, kPatternSolid, 0, 0, 0, 10, 10, 10);
  PenMoveTo(&pen, 20, 20, 0);
  PenLineTo(&pen, 30, 20, 0);
  ASSERT_EQ(Calls(kGdiLine).size(), 1u);
  EXPECT_EQ(Calls(kGdiSetColors)[0].fg, 2);
}

TEST_F(Pens, XorModeMarksTheEndPoint) {
  GdiSetXorMode(1);
  PenLineTo(&pen, 10, 0, 0);
  GdiSetXorMode(0);
  auto lines = Calls(kGdiLine);
  ASSERT_EQ(lines.size(), 2u);
  ExpectLine(lines[1], 10, 500, 10, 500);
}

TEST_F(Pens, BoxHasTwelveEdges) {
  PenBox(&pen, 0, 0, 0, 10, 10, 10);
  EXPECT_EQ(Calls(kGdiLine).size(), 12u);
}

// Puts the pen on the circle of radius r around the origin, at angle 0.
void StartOnCircle(Pen3D* pen, double r) {
  View3DSet(0, 0, kParallelView, 1, 0, 0, 0, 400, 300);
  PenMoveTo(pen, r, 0, 0);
}

TEST_F(Pens, FullCircleFlagDrawsTheWholeCircle) {
  StartOnCircle(&pen, 100);
  gfx.recorder().Clear();
  PenArc(&pen, kPlaneXY, kArcFullCircle, 0, 0, 0, 100, 0, 0);
  // step = 6 / 100 = 0.06 rad: 104 chords to 2 * 3.14159265, then the end.
  EXPECT_EQ(Calls(kGdiLine).size(), 105u);
  // An end equal to the start without the flag is a full circle too.
  gfx.recorder().Clear();
  PenArc(&pen, kPlaneXY, 0, 0, 0, 0, 100, 0, 0);
  EXPECT_EQ(Calls(kGdiLine).size(), 105u);
  // A quarter counter-clockwise: 26 chords and the end.
  gfx.recorder().Clear();
  PenArc(&pen, kPlaneXY, 0, 0, 0, 0, 0, 100, 0);
  EXPECT_EQ(Calls(kGdiLine).size(), 27u);
  EXPECT_DOUBLE_EQ(pen.position[1], 100);
}

TEST(PenChords, CosSinGivesTheLibrarysValuesBitForBitAlsoWhenRemembered) {
  // Chord angles of arcs from the four axis directions by the largest step,
  // then angles that fill and overwrite the table; every one asked twice.
  std::vector<double> angles;
  for (double start : {0.0, 1.5707963267948966, 3.141592653589793, -1.5707963267948966, -0.0})
    for (double a = start, k = 0; k < 13; ++k) angles.push_back(a += 0.523598775);
  for (int k = 0; k < 2000; ++k) angles.push_back(k * 0.0062831853 - 6.2831853);
  for (int round = 0; round < 2; ++round) {
    for (double angle : angles) {
      volatile double v = angle;  // the library's cos and sin, not folded constants
      double c, s, want_c = cos(v), want_s = sin(v);
      CosSin(angle, &c, &s);
      ASSERT_EQ(memcmp(&c, &want_c, sizeof c), 0) << angle;
      ASSERT_EQ(memcmp(&s, &want_s, sizeof s), 0) << angle;
    }
  }
}

TEST_F(Pens, ClockwiseArcsGoTheOtherWay) {
  StartOnCircle(&pen, 100);
  gfx.recorder().Clear();
  PenArc(&pen, kPlaneXY, kArcClockwise, 0, 0, 0, 0, 100, 0);  // three quarters
  auto lines = Calls(kGdiLine);
  EXPECT_EQ(lines.size(), 79u);
  // The first chord heads down the screen (y grows downwards): angle < 0.
  EXPECT_GT(lines[0].y2, lines[0].y);
}

TEST_F(Pens, StepLimitsForTinyAndHugeRadii) {
  GdiSetClip(-20000, -20000, 20000, 20000);
  StartOnCircle(&pen, 0.001);
  gfx.recorder().Clear();
  PenArc(&pen, kPlaneXY, kArcFullCircle, 0, 0, 0, 0.001, 0, 0);
  // At most 30 degrees a chord: twelve chords around.
  EXPECT_NEAR(static_cast<double>(Calls(kGdiLine).size()), 12, 1);
  StartOnCircle(&pen, 10000);
  gfx.recorder().Clear();
  PenArc(&pen, kPlaneXY, kArcFullCircle, 0, 0, 0, 10000, 0, 0);
  // At least a thousandth of a turn a chord.
  EXPECT_NEAR(static_cast<double>(Calls(kGdiLine).size()), 1000, 1);
  EXPECT_DOUBLE_EQ(pen.position[0], 10000);
  EXPECT_DOUBLE_EQ(pen.position[1], 0);
}

TEST_F(Pens, ArcWithNonFiniteCoordinatesEnds) {
  PenMoveTo(&pen, NAN, 0, 0);
  PenArc(&pen, kPlaneXY, kArcFullCircle, 0, 0, 0, NAN, 0, 0);
  // Returning at all is the point: a NaN angle must not loop forever.
  EXPECT_TRUE(std::isnan(pen.position[0]));
}

TEST_F(Pens, ArcsInTheOtherPlanesKeepTheCentresThirdCoordinate) {
  PenMoveTo(&pen, 10, 5, 0);
  PenArc(&pen, kPlaneXZ, 0, 0, 5, 0, 0, 7, 10);
  EXPECT_DOUBLE_EQ(pen.position[0], 0);
  EXPECT_DOUBLE_EQ(pen.position[1], 5);  // the centre's y, not the end's
  EXPECT_DOUBLE_EQ(pen.position[2], 10);
}

TEST_F(Pens, MarkerAndText) {
  PenMoveTo(&pen, 100, 100, 0);
  gfx.recorder().Clear();
  PenMarker(&pen, 3);
  auto lines = Calls(kGdiLine);
  ASSERT_EQ(lines.size(), 4u);
  ExpectLine(lines[0], 97, 397, 103, 403);
  ExpectLine(lines[3], 100, 403, 100, 397);
  PenText(&pen, "P1", 2);
  auto boxes = Calls(kGdiTextBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].x, 103);
  EXPECT_EQ(boxes[0].y, 403);
  EXPECT_EQ(boxes[0].columns, 2);
  EXPECT_EQ(Calls(kGdiWriteText).back().text, "P1");
}

}  // namespace
