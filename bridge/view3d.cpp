#include "bridge/view3d.h"

#include <math.h>
#include <string.h>

namespace {

View3D g_view = {0, 0, 0, 1, 0, 1, 0, 1, {0, 0, 0}, 0, 0};

// What View3DSet derives once for the points of a drawing. A view draws
// thousands of points with the same angles, so every product that does
// not depend on the point is formed here, and each shortcut below yields
// exactly the bits the full formulas give (the drawing must not move by a
// single pixel, nor the pen's stored position by a bit).
struct Derived {
  double origin_x, origin_y;  // the screen origin as reals
  // a = b = 0 (sines +0, cosines 1), a finite non-zero perspective
  // distance, a finite scale and an x and y offset that are not -0: see
  // the upright case of View3DTransform.
  bool upright;
  double flat_z;              // 0·S + oz: z of a point after the perspective division
  double sin_b_neg_zero;      // sin b · −0 and cos b · −0: the tilt's products
  double cos_b_neg_zero;      // with z1 of a point in the plane z = +0
  double last_d, last_factor; // the last perspective divisor d and −P / d
};

Derived g_derived = {0, 0, false, 0, -0.0, -0.0, __builtin_nan(""), 1};

// The high 32 bits of a double: sign, exponent and the top of the mantissa.
uint32_t HighWord(double v) {
  uint64_t bits;
  memcpy(&bits, &v, sizeof bits);
  return static_cast<uint32_t>(bits >> 32);
}

bool IsPlusZero(double v) {
  uint64_t bits;
  memcpy(&bits, &v, sizeof bits);
  return bits == 0;
}

bool IsMinusZero(double v) { return v == 0 && HighWord(v) != 0; }

// Neither infinite nor NaN, told from the exponent bits alone.
bool IsFinite(double v) { return (HighWord(v) & 0x7FF00000u) != 0x7FF00000u; }

}  // namespace

void View3DSet(double a, double b, double perspective, double scale, double ox, double oy,
               double oz, int32_t origin_x, int32_t origin_y) {
  g_view.a = a;
  g_view.b = b;
  g_view.sin_a = sin(a);
  g_view.cos_a = cos(a);
  g_view.sin_b = sin(b);
  g_view.cos_b = cos(b);
  g_view.perspective = perspective;
  g_view.scale = scale;
  g_view.offset[0] = ox;
  g_view.offset[1] = oy;
  g_view.offset[2] = oz;
  g_view.origin_x = origin_x;
  g_view.origin_y = origin_y;

  Derived& d = g_derived;
  d.origin_x = origin_x;
  d.origin_y = origin_y;
  d.upright = IsPlusZero(g_view.sin_a) && g_view.cos_a == 1 && IsPlusZero(g_view.sin_b) &&
              g_view.cos_b == 1 && IsFinite(perspective) && perspective != 0 && IsFinite(scale) &&
              !IsMinusZero(ox) && !IsMinusZero(oy);
  double zero = 0;
  d.flat_z = zero * scale + oz;
  d.sin_b_neg_zero = g_view.sin_b * -zero;
  d.cos_b_neg_zero = g_view.cos_b * -zero;
  d.last_d = __builtin_nan("");
  d.last_factor = 1;
}

const View3D& View3DGet() { return g_view; }

void View3DTransform(double p[3]) {
  const View3D& v = g_view;
  Derived& derived = g_derived;
  if (derived.upright && IsPlusZero(p[2]) && IsFinite(p[0]) && IsFinite(p[1])) {
    // With sin a = sin b = +0 and cos a = cos b = 1, for finite x, y and
    // z = +0: x1 = 1·x − (±0) is x, or +0 where x = −0; y2 is y + 0 (y, or
    // +0 where y = ±0); z2 is a zero, so d = −P exactly and −P / d = 1.
    // x1 and x (y2 and y) differ only in the sign of a zero, which
    // ·S + offset (finite S, offset not −0) turns into the same result.
    p[0] = p[0] * v.scale + v.offset[0];
    p[1] = p[1] * v.scale + v.offset[1];
    p[2] = derived.flat_z;
    return;
  }
  double x1 = v.cos_a * p[0] - v.sin_a * p[1];
  double y1 = v.sin_a * p[0] + v.cos_a * p[1];
  double y2, z2;
  if (IsPlusZero(p[2])) {
    // z1 = −0: its products with the tilt are the same for every point.
    y2 = v.cos_b * y1 - derived.sin_b_neg_zero;
    z2 = v.sin_b * y1 + derived.cos_b_neg_zero;
  } else {
    double z1 = -p[2];
    y2 = v.cos_b * y1 - v.sin_b * z1;
    z2 = v.sin_b * y1 + v.cos_b * z1;
  }
  double d = -v.perspective - z2;
  if (d != 0) {
    // −P·x / d written as x·(−P / d): with the parallel view's P the
    // product −P·x alone would overflow for |x| > 1. A non-zero d equal
    // to the last one has the same bits, so its quotient is reused; a
    // factor of 1 leaves x1 and y2 as they are (neither is a signalling
    // NaN: both come out of arithmetic).
    if (d != derived.last_d) {
      derived.last_d = d;
      derived.last_factor = -v.perspective / d;
    }
    if (derived.last_factor != 1) {
      x1 = x1 * derived.last_factor;
      y2 = y2 * derived.last_factor;
    }
    p[0] = x1 * v.scale + v.offset[0];
    p[1] = y2 * v.scale + v.offset[1];
    p[2] = derived.flat_z;
    return;
  }
  p[0] = x1 * v.scale + v.offset[0];
  p[1] = y2 * v.scale + v.offset[1];
  p[2] = z2 * v.scale + v.offset[2];
}

void View3DScreenPoint(const double t[3], double* x, double* y) {
  *x = g_derived.origin_x + t[0];
  *y = g_derived.origin_y - t[1];
}
