// Boxes of arcs and the correction of written centres.
#include <gtest/gtest.h>
#include <math.h>

#include <random>

#include "kerf/arc_box.h"

namespace {

void ExpectBox(const ArcBox& box, double min_x, double min_y, double max_x, double max_y) {
  EXPECT_NEAR(box.min_x, min_x, 1e-9);
  EXPECT_NEAR(box.min_y, min_y, 1e-9);
  EXPECT_NEAR(box.max_x, max_x, 1e-9);
  EXPECT_NEAR(box.max_y, max_y, 1e-9);
}

TEST(ArcBox, HalfCirclesBulgeToTheirSide) {
  // Start (0, 0), end (0, 100), centre (0, 50).
  ExpectBox(ArcBoundingBox(0, 100, 0, 50, true), 0, 0, 50, 100);
  ExpectBox(ArcBoundingBox(0, 100, 0, 50, false), -50, 0, 0, 100);
}

TEST(ArcBox, EndAtTheStartIsAFullCircle) {
  ExpectBox(ArcBoundingBox(0, 0, 100, 0, true), 0, -100, 200, 100);
  ExpectBox(ArcBoundingBox(0, 0, 100, 0, false), 0, -100, 200, 100);
  ExpectBox(ArcBoundingBox(0, 0, 0, -30, true), -30, -60, 30, 0);
}

TEST(ArcBox, ShortArcInsideOneQuadrantPassesNoExtreme) {
  double r = 100;
  double sx = r * cos(0.2), sy = r * sin(0.2), ex = r * cos(0.4), ey = r * sin(0.4);
  ArcBox box = ArcBoundingBox(ex - sx, ey - sy, -sx, -sy, true);
  ExpectBox(box, ex - sx, 0, 0, ey - sy);
  // The same ends clockwise go the long way round, past all four extremes
  // but none of them twice.
  box = ArcBoundingBox(ex - sx, ey - sy, -sx, -sy, false);
  ExpectBox(box, -r - sx, -r - sy, r - sx, r - sy);
}

TEST(ArcBox, QuadrantBoundariesBelongWhereTheLastTestPutsThem) {
  // From (r, 0) (quadrant 4) counter-clockwise to (0, r) (quadrant 2):
  // passes +x when leaving 4 and +y when leaving 1.
  ExpectBox(ArcBoundingBox(-100, 100, -100, 0, true), -100, 0, 0, 100);
  // From (-r, 0) (quadrant 3) clockwise to (0, r) (quadrant 2): passes -x.
  ExpectBox(ArcBoundingBox(100, 100, 100, 0, false), 0, 0, 100, 100);
}

TEST(ArcCentre, InconsistentCentreIsMovedToTheNearerCandidate) {
  double c = 40, d = 30;
  CorrectArcCentre(100, 0, &c, &d);
  EXPECT_NEAR(c, 50, 1e-9);
  double r = (50 + sqrt(60 * 60 + 30 * 30)) / 2;
  EXPECT_NEAR(d, sqrt(r * r - 50 * 50), 1e-9);
  c = 40;
  d = -30;
  CorrectArcCentre(100, 0, &c, &d);
  EXPECT_NEAR(d, -sqrt(r * r - 50 * 50), 1e-9);
}

TEST(ArcCentre, ConsistentCentreStays) {
  double c = 30, d = 40;  // |C| = 50 = |E - C| for E = (60, 0)
  CorrectArcCentre(60, 0, &c, &d);
  EXPECT_EQ(c, 30);
  EXPECT_EQ(d, 40);
}

TEST(ArcCentre, CentresOnTheChordNeverGiveNaN) {
  // A centre on the chord puts the mean radius at half the chord, where
  // rounding can make the square root negative.
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> u(-1e5, 1e5), t(0, 1);
  for (int i = 0; i < 20000; ++i) {
    double a = u(rng), b = u(rng), k = t(rng);
    double c = a * k, d = b * k;
    ArcBox box = ArcBoundingBox(a, b, c, d, i % 2 == 0);
    ASSERT_TRUE(std::isfinite(box.min_x) && std::isfinite(box.max_x) && std::isfinite(box.min_y) &&
                std::isfinite(box.max_y))
        << a << " " << b << " " << c << " " << d;
  }
}

}  // namespace
