// Extents, arcs and scale of the contour view.
#include <math.h>

#include "tracer/iso_contour.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

void Widen(IsoContourState* s, double x, double y) {
  if (!isfinite(x) || !isfinite(y)) return;
  if (x < s->min[0]) s->min[0] = x;
  if (x > s->max[0]) s->max[0] = x;
  if (y < s->min[1]) s->min[1] = y;
  if (y > s->max[1]) s->max[1] = y;
}

}  // namespace

bool ArcFrom(const double from[2], const double to[2], const double arc[2], bool clockwise, ArcGeometry* out) {
  out->centre[0] = from[0] + arc[0];
  out->centre[1] = from[1] + arc[1];
  out->radius = sqrt(arc[0] * arc[0] + arc[1] * arc[1]);
  if (!(out->radius > 0) || !isfinite(out->radius)) return false;
  out->start_angle = atan2(-arc[1], -arc[0]);
  const double end_angle = atan2(to[1] - out->centre[1], to[0] - out->centre[0]);
  double sweep = end_angle - out->start_angle;
  const bool closed = to[0] == from[0] && to[1] == from[1];
  if (clockwise) {
    while (sweep >= 0) sweep -= 2 * kPi;
    while (sweep < -2 * kPi) sweep += 2 * kPi;
    if (closed) sweep = -2 * kPi;
  } else {
    while (sweep <= 0) sweep += 2 * kPi;
    while (sweep > 2 * kPi) sweep -= 2 * kPi;
    if (closed) sweep = 2 * kPi;
  }
  out->sweep = sweep;
  return true;
}

void ExtendBySegment(IsoContourState* state, const double from[2], const double to[2], uint8_t motion,
                     const double arc[2]) {
  Widen(state, from[0], from[1]);
  Widen(state, to[0], to[1]);
  ArcGeometry g;
  if (motion != kIsoClockwise && motion != kIsoCounterClockwise) return;
  if (!ArcFrom(from, to, arc, motion == kIsoClockwise, &g)) return;
  // The quadrant points (0, 90, 180, 270 degrees) the sweep passes.
  for (int q = -8; q <= 8; ++q) {
    const double angle = q * kPi / 2;
    const double along = (angle - g.start_angle) / g.sweep;
    if (along > 0 && along < 1)
      Widen(state, g.centre[0] + g.radius * cos(angle), g.centre[1] + g.radius * sin(angle));
  }
}

double ContourScale(double width, double height, double area_width, double area_height) {
  double scale;
  if (!(width > 0) && !(height > 0)) scale = 1;
  else if (!(height > 0)) scale = area_width / width;
  else if (!(width > 0)) scale = area_height / height;
  else if (height * area_width >= width * area_height) scale = area_height / height;
  else scale = area_width / width;
  return isfinite(scale) ? scale : 1;
}
