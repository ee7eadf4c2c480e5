// The view transformation of the 3D drawing layer: rotation, tilt,
// perspective, scale and offset of a point, and where a transformed point
// lies on the screen.
#pragma once

#include <stdint.h>

constexpr double kParallelView = 1.7e308;  // perspective distance of a parallel view
constexpr double kHalfPi = 1.570796325;
constexpr double kPi = 3.14159265;
constexpr double kTwoPi = 6.2831853;

// The view: rotation a about z, tilt b, perspective distance P, scale S
// (pixels per program unit), offset added after scaling, and the screen
// origin. A transformed point (x, y) lies on the screen at (sx + x, sy - y).
struct View3D {
  double a, b, sin_a, cos_a, sin_b, cos_b;
  double perspective;
  double scale;
  double offset[3];
  int32_t origin_x, origin_y;
};

void View3DSet(double a, double b, double perspective, double scale, double ox, double oy,
               double oz, int32_t origin_x, int32_t origin_y);
const View3D& View3DGet();

// In place:
//   x1 = cos a·x − sin a·y; y1 = sin a·x + cos a·y; z1 = −z;
//   y2 = cos b·y1 − sin b·z1; z2 = sin b·y1 + cos b·z1;
//   d = −P − z2; if d ≠ 0: x1 ← x1·(−P / d), y2 ← y2·(−P / d), z2 ← 0;
//   then (x1, y2, z2)·S + offset.
// The result is always bit for bit that of these formulas; the work is
// less where the view makes terms constant (see view3d.cpp).
void View3DTransform(double point[3]);

// Screen coordinates (sx + x, sy − y) of a transformed point, as reals.
void View3DScreenPoint(const double transformed[3], double* x, double* y);
