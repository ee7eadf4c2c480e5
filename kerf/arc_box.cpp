#include "kerf/arc_box.h"

#include <math.h>

void CorrectArcCentre(double a, double b, double* c, double* d) {
  double r1 = sqrt(*c * *c + *d * *d);
  double r2 = sqrt((a - *c) * (a - *c) + (b - *d) * (b - *d));
  if (r1 == r2) return;
  double r = (r1 + r2) / 2;
  double chord = sqrt(a * a + b * b);
  double h_squared = 4 * r * r - chord * chord;
  if (chord == 0 || h_squared < 0) return;  // no centre at that radius
  double h = sqrt(h_squared);
  double k = h / (2 * chord);
  double x1 = a / 2 + k * b, y1 = b / 2 - k * a;
  double x2 = a / 2 - k * b, y2 = b / 2 + k * a;
  double dist1 = (x1 - *c) * (x1 - *c) + (y1 - *d) * (y1 - *d);
  double dist2 = (x2 - *c) * (x2 - *c) + (y2 - *d) * (y2 - *d);
  if (dist1 <= dist2) {
    *c = x1;
    *d = y1;
  } else {
    *c = x2;
    *d = y2;
  }
}

namespace {

// Quadrant of a point relative to the centre; the last matching test wins,
// so (r, 0) and (0, -r) are in 4, (0, r) in 2 and (-r, 0) in 3.
int Quadrant(double x, double y) {
  int q = 0;
  if (x >= 0 && y >= 0) q = 1;
  if (x <= 0 && y >= 0) q = 2;
  if (x <= 0 && y <= 0) q = 3;
  if (x >= 0 && y <= 0) q = 4;
  return q;
}

enum Extreme { kPlusX, kPlusY, kMinusX, kMinusY };

void Widen(ArcBox* box, Extreme e, double r) {
  switch (e) {
    case kPlusX: if (r > box->max_x) box->max_x = r; break;
    case kPlusY: if (r > box->max_y) box->max_y = r; break;
    case kMinusX: if (-r < box->min_x) box->min_x = -r; break;
    case kMinusY: if (-r < box->min_y) box->min_y = -r; break;
  }
}

}  // namespace

ArcBox ArcBoundingBox(double a, double b, double c, double d, bool counter_clockwise) {
  CorrectArcCentre(a, b, &c, &d);
  double r = sqrt(c * c + d * d);
  double sx = -c, sy = -d, tx = a - c, ty = b - d;
  ArcBox box = {sx < tx ? sx : tx, sy < ty ? sy : ty, sx > tx ? sx : tx, sy > ty ? sy : ty};
  int qs = Quadrant(sx, sy), qt = Quadrant(tx, ty);

  // Extremes passed when leaving each quadrant, for each direction.
  static const Extreme kLeavingCcw[5] = {kPlusX, kPlusY, kMinusX, kMinusY, kPlusX};
  static const Extreme kLeavingCw[5] = {kPlusX, kPlusX, kPlusY, kMinusX, kMinusY};
  bool wraps;
  if (qs == qt) {
    bool upper = qs == 1 || qs == 2;
    if (counter_clockwise) wraps = upper ? sx <= tx : tx <= sx;
    else wraps = upper ? tx <= sx : sx <= tx;
  } else {
    wraps = false;
  }
  if (qs == qt && !wraps) {
    // stays inside one quadrant
  } else {
    int q = qs;
    int steps = 0;
    do {
      if (counter_clockwise) {
        Widen(&box, kLeavingCcw[q], r);
        q = q % 4 + 1;
      } else {
        Widen(&box, kLeavingCw[q], r);
        q = q == 1 ? 4 : q - 1;
      }
    } while (q != qt && ++steps < 4);
  }
  box.min_x += c;
  box.max_x += c;
  box.min_y += d;
  box.max_y += d;
  return box;
}
