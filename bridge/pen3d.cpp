#include "bridge/pen3d.h"

#include <math.h>
#include <string.h>

namespace {

constexpr double kHuge = 1.7e308;
constexpr double kStepMax = 0.523598775;
constexpr double kStepMin = 0.0062831853;

// The pen is a packed record: its doubles may lie on any address, so they
// are only ever copied in and out with memcpy, never read through a
// double pointer.
struct Vec3 {
  double v[3];
};

Vec3 Get(const void* field) {
  Vec3 out;
  memcpy(out.v, field, sizeof out.v);
  return out;
}

void Put(void* field, const double value[3]) { memcpy(field, value, 3 * sizeof(double)); }

// The high 32 bits (sign, exponent, top of the mantissa) of element
// `index` of an array of doubles kept at any address.
uint32_t HighWord(const void* array, int index) {
  uint32_t word;
  memcpy(&word, static_cast<const uint8_t*>(array) + 8 * index + 4, sizeof word);
  return word;
}

// A box that reaches 2^1023 or beyond on every side (a new pen's ±1.7e308)
// holds every point whose coordinates are below 2^1023 in magnitude. That
// is told from the exponents alone, without comparing reals; a NaN limit
// is beyond as well, as no comparison with it would set a bit.
bool SurelyInside(const Pen3D* pen, const double p[3]) {
  for (int axis = 0; axis < 3; ++axis) {
    if ((HighWord(p, axis) & 0x7FFFFFFFu) >= 0x7FE00000u) return false;
    if (HighWord(pen->box_min, axis) < 0xFFE00000u) return false;
    uint32_t hi = HighWord(pen->box_max, axis);
    if (hi < 0x7FE00000u || hi > 0x7FFFFFFFu) return false;
  }
  return true;
}

int BoxCode(const Pen3D* pen, const double p[3]) {
  if (SurelyInside(pen, p)) return 0;
  Vec3 lo = Get(pen->box_min), hi = Get(pen->box_max);
  int code = 0;
  for (int axis = 0; axis < 3; ++axis) {
    if (p[axis] < lo.v[axis]) code |= 1 << (2 * axis);
    else if (p[axis] > hi.v[axis]) code |= 2 << (2 * axis);
  }
  return code;
}

void Transformed(const double p[3], double out[3]) {
  out[0] = p[0];
  out[1] = p[1];
  out[2] = p[2];
  View3DTransform(out);
}

void SetPenColors(const Pen3D* pen, bool outside) {
  GdiSetColors(outside ? pen->outside_color : pen->inside_color, pen->background);
}

void DrawScreenLine(const double from[3], const double to[3], uint16_t pattern) {
  double x1, y1, x2, y2;
  View3DScreenPoint(from, &x1, &y1);
  View3DScreenPoint(to, &x2, &y2);
  GdiLineF(x1, y1, x2, y2, pattern);
}

// Moves the end `p` (code `code`) of the segment p-q onto the box face of
// the lowest set bit, interpolating the other two coordinates.
void MoveOntoFace(const Pen3D* pen, int code, double p[3], const double q[3]) {
  int bit = 0;
  while (!(code & (1 << bit))) ++bit;
  int axis = bit / 2;
  double face = (bit % 2 == 0) ? Get(pen->box_min).v[axis] : Get(pen->box_max).v[axis];
  double t = (face - p[axis]) / (q[axis] - p[axis]);
  for (int k = 0; k < 3; ++k)
    if (k != axis) p[k] += t * (q[k] - p[k]);
  p[axis] = face;
}

void SetPosition(Pen3D* pen, const double p[3]) {
  Put(pen->position, p);
  double t[3];
  Transformed(p, t);
  Put(pen->screen, t);
  pen->outcode = static_cast<uint8_t>(BoxCode(pen, p));
  if (pen->outcode != 0) pen->left_box = 1;
}

}  // namespace

void PenInit(Pen3D* pen, uint8_t color, uint8_t background, uint16_t pattern) {
  pen->inside_color = pen->outside_color = color;
  pen->background = background;
  pen->pattern = pattern;
  const double lo[3] = {-kHuge, -kHuge, -kHuge}, hi[3] = {kHuge, kHuge, kHuge};
  Put(pen->box_min, lo);
  Put(pen->box_max, hi);
  pen->left_box = 0;
  pen->outcode = static_cast<uint8_t>(BoxCode(pen, Get(pen->position).v));
}

void PenInitBox(Pen3D* pen, uint8_t inside, uint8_t outside, uint8_t background, uint16_t pattern,
                double xmin, double ymin, double zmin, double xmax, double ymax, double zmax) {
  pen->inside_color = inside;
  pen->outside_color = outside;
  pen->background = background;
  pen->pattern = pattern;
  const double lo[3] = {xmin, ymin, zmin}, hi[3] = {xmax, ymax, zmax};
  Put(pen->box_min, lo);
  Put(pen->box_max, hi);
  pen->left_box = 0;
  pen->outcode = static_cast<uint8_t>(BoxCode(pen, Get(pen->position).v));
}

void PenMoveTo(Pen3D* pen, double x, double y, double z) {
  double p[3] = {x, y, z};
  SetPosition(pen, p);
}
void PenMoveTo(Pen3D* pen, const double point[3]) { PenMoveTo(pen, point[0], point[1], point[2]); }

void PenLineTo(Pen3D* pen, double x, double y, double z) {
  double target[3] = {x, y, z};
  double a[3], b[3];
  memcpy(a, pen->position, sizeof a);
  memcpy(b, target, sizeof b);
  int code_a = pen->outcode;
  int code_b = BoxCode(pen, b);
  const int target_code = code_b;
  bool a_moved = false, b_moved = false;
  // Each pass puts one end on a face; six faces per end bound the passes.
  for (int pass = 0; pass < 12 && (code_a | code_b) != 0 && (code_a & code_b) == 0; ++pass) {
    if (code_a != 0) {
      MoveOntoFace(pen, code_a, a, b);
      code_a = BoxCode(pen, a);
      a_moved = true;
    } else {
      MoveOntoFace(pen, code_b, b, a);
      code_b = BoxCode(pen, b);
      b_moved = true;
    }
  }

  double t[3], from[3], to[3];
  Transformed(target, t);
  memcpy(from, pen->screen, sizeof from);
  memcpy(to, t, sizeof to);
  if (a_moved) {
    Transformed(a, from);
    SetPenColors(pen, pen->outcode != 0);
    DrawScreenLine(Get(pen->screen).v, from, pen->pattern);
  }
  if (b_moved) {
    Transformed(b, to);
    SetPenColors(pen, target_code != 0);
    DrawScreenLine(to, t, pen->pattern);
  }
  SetPenColors(pen, code_b != 0);
  DrawScreenLine(from, to, pen->pattern);
  if (GdiXorMode() != 0) DrawScreenLine(t, t, pen->pattern);  // keep the end point under XOR

  Put(pen->position, target);
  Put(pen->screen, t);
  pen->outcode = static_cast<uint8_t>(target_code);
  if (target_code != 0) pen->left_box = 1;
}
void PenLineTo(Pen3D* pen, const double point[3]) { PenLineTo(pen, point[0], point[1], point[2]); }

void PenLine(Pen3D* pen, const double from[3], const double to[3]) {
  PenMoveTo(pen, from);
  PenLineTo(pen, to);
}

void PenCopyPosition(Pen3D* pen, const Pen3D* other) {
  memcpy(pen->position, other->position, sizeof pen->position);
  memcpy(pen->screen, other->screen, sizeof pen->screen);
  pen->outcode = static_cast<uint8_t>(BoxCode(pen, Get(pen->position).v));
}

void PenBox(Pen3D* pen, double x1, double y1, double z1, double x2, double y2, double z2) {
  PenMoveTo(pen, x1, y1, z1);
  PenLineTo(pen, x2, y1, z1);
  PenLineTo(pen, x2, y2, z1);
  PenLineTo(pen, x1, y2, z1);
  PenLineTo(pen, x1, y1, z1);
  PenLineTo(pen, x1, y1, z2);
  PenLineTo(pen, x2, y1, z2);
  PenLineTo(pen, x2, y2, z2);
  PenLineTo(pen, x1, y2, z2);
  PenLineTo(pen, x1, y1, z2);
  double a[3] = {x2, y1, z1}, b[3] = {x2, y1, z2};
  PenLine(pen, a, b);
  double c[3] = {x1, y2, z1}, d[3] = {x1, y2, z2};
  PenLine(pen, c, d);
  double e[3] = {x2, y2, z1}, f[3] = {x2, y2, z2};
  PenLine(pen, e, f);
}

namespace {

// Point of the plane (u, v) with the third coordinate `w`.
void PlanePoint(int plane, double u, double v, double w, double out[3]) {
  switch (plane) {
    case kPlaneXZ: out[0] = u; out[1] = w; out[2] = v; break;
    case kPlaneYZ: out[0] = w; out[1] = u; out[2] = v; break;
    default: out[0] = u; out[1] = v; out[2] = w; break;
  }
}

void PlaneCoordinates(int plane, const double p[3], double* u, double* v, double* w) {
  switch (plane) {
    case kPlaneXZ: *u = p[0]; *v = p[2]; *w = p[1]; break;
    case kPlaneYZ: *u = p[1]; *v = p[2]; *w = p[0]; break;
    default: *u = p[0]; *v = p[1]; *w = p[2]; break;
  }
}

}  // namespace

namespace {

// Arcs of a program mostly start at the same few angles (a lead-in on an
// axis, a corner) and step by the same largest step, so their chords meet
// the same angles again and again. A direct-mapped table keyed by the
// angle's exact bits returns what cos and sin gave for it before.
struct CosSinEntry {
  uint64_t bits;
  double c, s;
  bool used;
};
CosSinEntry g_cos_sin[256];

}  // namespace

void CosSin(double angle, double* c, double* s) {
  uint64_t bits;
  memcpy(&bits, &angle, sizeof bits);
  uint32_t folded = static_cast<uint32_t>(bits ^ (bits >> 32));
  CosSinEntry& e = g_cos_sin[(folded * 2654435761u) >> 24];
  if (!e.used || e.bits != bits) {
    e.bits = bits;
    e.c = cos(angle);
    e.s = sin(angle);
    e.used = true;
  }
  *c = e.c;
  *s = e.s;
}

void PenArc(Pen3D* pen, int plane, int flags, double cx, double cy, double cz, double ex,
            double ey, double ez) {
  double centre[3] = {cx, cy, cz}, end[3] = {ex, ey, ez};
  double cu, cv, cw, eu, ev, ew, pu, pv, pw;
  PlaneCoordinates(plane, centre, &cu, &cv, &cw);
  PlaneCoordinates(plane, end, &eu, &ev, &ew);
  PlaneCoordinates(plane, Get(pen->position).v, &pu, &pv, &pw);
  bool clockwise = (flags & kArcClockwise) != 0;

  double r = sqrt((ev - cv) * (ev - cv) + (eu - cu) * (eu - cu));
  double step = (6 / r) / View3DGet().scale;
  if (step > kStepMax) step = kStepMax;
  if (!(step > kStepMin)) step = kStepMin;  // also catches NaN
  if (clockwise) step = -step;

  double start = atan2(pv - cv, pu - cu);
  double stop = atan2(ev - cv, eu - cu);
  if (!clockwise && start > stop) stop += kTwoPi;
  if (clockwise && stop > start) stop -= kTwoPi;
  if (start == stop || (flags & kArcFullCircle) != 0) stop += clockwise ? -kTwoPi : kTwoPi;

  // At most two turns of the smallest step, whatever the coordinates hold.
  const int max_chords = static_cast<int>(2 * kTwoPi / kStepMin) + 2;
  double angle = start;
  for (int chord = 0; chord < max_chords; ++chord) {
    angle += step;
    if (clockwise ? angle <= stop : angle >= stop) break;
    if (angle != angle) break;
    double p[3], c, sine;
    CosSin(angle, &c, &sine);
    PlanePoint(plane, cu + r * c, cv + r * sine, cw, p);
    PenLineTo(pen, p);
  }
  double last[3];
  PlanePoint(plane, eu, ev, cw, last);
  PenLineTo(pen, last);
}

namespace {
void PenScreenPoint(const Pen3D* pen, int32_t* x, int32_t* y) {
  double sx, sy;
  View3DScreenPoint(Get(pen->screen).v, &sx, &sy);
  *x = static_cast<int32_t>(sx);
  *y = static_cast<int32_t>(sy);
}
}  // namespace

void PenMarker(Pen3D* pen, int32_t s) {
  SetPenColors(pen, pen->outcode != 0);
  int32_t x, y;
  PenScreenPoint(pen, &x, &y);
  GdiLineI(x - s, y - s, x + s, y + s, kPatternSolid);
  GdiLineI(x - s, y + s, x + s, y - s, kPatternSolid);
  GdiLineI(x - s, y, x + s, y, kPatternSolid);
  GdiLineI(x, y + s, x, y - s, kPatternSolid);
}

void PenText(Pen3D* pen, const char* text, uint32_t font) {
  int32_t x, y;
  PenScreenPoint(pen, &x, &y);
  GdiText(x + 3, y + 3, static_cast<uint32_t>(strlen(text)), 1,
          pen->outcode != 0 ? pen->outside_color : pen->inside_color, pen->background, font);
  GdiWriteText(text);
}
