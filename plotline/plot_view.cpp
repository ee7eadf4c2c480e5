// The view's geometry: layout, extents, fit, centre, projection, zoom and
// keeping the tool in sight.
#include <math.h>
#include <string.h>

#include "plotline/plotline.h"

PlotContext g_plot = {{false, 0, true, 0, 0, 0, kParallelView, 1, 1, {0, 0, 0}, false, false, false,
                       10, false, false},
                      {}, {}};

namespace {

constexpr double kAxoA = -1.96349540625;
constexpr double kAxoB = 1.0799224734375;
constexpr double kZoom = 1.25;
constexpr double kMarginPlan = 0.95;
constexpr double kMarginSpace = 0.9;
constexpr int32_t kToolMargin = 100;

bool Finite(double v) { return v - v == 0; }

double SizeOrOne(double size) { return size > 0 && Finite(size) ? size : 1.0; }

double Diagonal(const PlotBox& b) {
  double dx = b.max[0] - b.min[0], dy = b.max[1] - b.min[1], dz = b.max[2] - b.min[2];
  return sqrt(dx * dx + dy * dy + dz * dz);
}

void Widen(PlotBox* b, const PlotBox& with) {
  for (int k = 0; k < 3; ++k) {
    if (with.min[k] < b->min[k]) b->min[k] = with.min[k];
    if (with.max[k] > b->max[k]) b->max[k] = with.max[k];
  }
}

// The display fields of the plan's horizontal and vertical axis.
void PlanFields(int orientation, int* h, int* v) {
  *h = orientation == 2 ? 1 : 0;
  *v = orientation == 0 ? 1 : 2;
}

}  // namespace

void PlotSetLayout(PlotContext* c, const _PLOTLINE* r) {
  PlotLayout& l = c->layout;
  l.window = {r->left, r->top, r->right, r->bottom};
  l.top_line = {r->left + 5, r->top + 5, r->right - 5, r->top + 20};
  l.status_line = {r->left + 5, r->bottom - 20, r->right - 5, r->bottom - 5};
  l.draw = {r->left + 5, r->top + 26, r->right - 5, r->bottom - 26};
  l.centre_x = (l.draw.x1 + l.draw.x2) / 2;
  l.centre_y = (l.draw.y1 + l.draw.y2) / 2;
  int32_t w = l.draw.x2 - l.draw.x1, h = l.draw.y2 - l.draw.y1;
  l.factor = w < h ? w : h;
  if (l.factor < 1) l.factor = 1;  // a window too small for a drawing area
}

bool PlotReadBox(const void* record, size_t offset, PlotBox* box) {
  double v[6];
  memcpy(v, static_cast<const uint8_t*>(record) + offset, sizeof v);
  for (double x : v)
    if (!Finite(x)) return false;
  for (int k = 0; k < 3; ++k) {
    box->min[k] = v[k] < v[k + 3] ? v[k] : v[k + 3];
    box->max[k] = v[k] < v[k + 3] ? v[k + 3] : v[k];
  }
  return true;
}

bool PlotReadTool(const _PLOTLINE* r, double tool[3]) {
  memcpy(tool, reinterpret_cast<const uint8_t*>(r) + offsetof(_PLOTLINE, tool), 3 * sizeof(double));
  return Finite(tool[0]) && Finite(tool[1]) && Finite(tool[2]);
}

PlotBox PlotExtents(const PlotContext* c, const _PLOTLINE* r) {
  PlotBox extents = {{0, 0, 0}, {0, 0, 0}};
  PlotBox area;
  bool area_ok = PlotReadBox(r, offsetof(_PLOTLINE, area), &area);
  CNC_RECORD_INFO info;
  bool have = RecordCNCGetRecordInfo(&info) == 1;
  bool empty = true;
  if (have) {
    for (int k = 0; k < 3; ++k) {
      if (!Finite(info.min[k]) || !Finite(info.max[k])) have = false;
      if (info.max[k] - info.min[k] != 0) empty = false;
    }
  }
  if (have && !empty) {
    memcpy(extents.min, info.min, sizeof extents.min);
    memcpy(extents.max, info.max, sizeof extents.max);
  } else if (area_ok) {
    extents = area;
  }
  PlotBox sheet;
  if (c->view.sheet && PlotReadBox(r, offsetof(_PLOTLINE, sheet), &sheet)) Widen(&extents, sheet);
  if (c->view.area && area_ok) Widen(&extents, area);
  return extents;
}

void PlotSetAngles(PlotContext* c, const PlotBox& e) {
  PlotView& v = c->view;
  if (v.mode == kModePlan) {
    if (v.orientation < 0 || v.orientation > 2) v.orientation = 0;
    v.angle_a = v.orientation == 2 ? -kHalfPi : 0;
    v.angle_b = v.orientation == 0 ? 0 : kHalfPi;
  } else {
    v.angle_a = kAxoA;
    v.angle_b = kAxoB;
  }
  double diagonal = Diagonal(e);
  v.distance = v.mode != kModePerspective ? kParallelView
               : diagonal > 0 && Finite(diagonal) ? 2 * diagonal : 100;
}

void PlotFit(PlotContext* c, const PlotBox& e) {
  PlotView& v = c->view;
  const PlotLayout& l = c->layout;
  double old_scale = v.scale;
  double diagonal = Diagonal(e);
  if (v.mode == kModePlan) {
    int h, vert;
    PlanFields(v.orientation, &h, &vert);
    double w = SizeOrOne(e.max[h] - e.min[h]), ht = SizeOrOne(e.max[vert] - e.min[vert]);
    double dw = l.draw.x2 - l.draw.x1, dh = l.draw.y2 - l.draw.y1;
    double s = dw / w < dh / ht ? dw / w : dh / ht;
    v.scale = s / l.factor * kMarginPlan;
  } else {
    v.scale = kMarginSpace / SizeOrOne(diagonal);
  }
  if (!(v.scale > 0) || !Finite(v.scale)) v.scale = 1;
  v.fitted_scale = v.scale;
  // The pan grows with the scale, so the point in the middle stays there.
  double ratio = old_scale > 0 ? v.scale / old_scale : 1;
  for (double& p : v.pan) p *= ratio;
}

void PlotApplyProjection(const PlotContext* c) {
  const PlotView& v = c->view;
  View3DSet(v.angle_a, v.angle_b, v.distance, v.scale * c->layout.factor, v.pan[0], v.pan[1],
            v.pan[2], c->layout.centre_x, c->layout.centre_y);
}

void PlotCentre(PlotContext* c, const PlotBox& e) {
  PlotView& v = c->view;
  v.pan[0] = v.pan[1] = v.pan[2] = 0;
  PlotApplyProjection(c);
  double centre[3];
  for (int k = 0; k < 3; ++k) centre[k] = (e.min[k] + e.max[k]) / 2;
  View3DTransform(centre);
  for (int k = 0; k < 3; ++k) v.pan[k] = Finite(centre[k]) ? -centre[k] : 0;
  PlotApplyProjection(c);
}

void PlotAnglesFitCentre(PlotContext* c, const _PLOTLINE* r) {
  PlotBox e = PlotExtents(c, r);
  PlotSetAngles(c, e);
  PlotFit(c, e);
  PlotCentre(c, e);
  c->view.follow = false;  // every recentring on the extents ends following
}

void PlotBuildView(PlotContext* c, const _PLOTLINE* r) {
  PlotView& v = c->view;
  uint8_t request = r->view_request & 0x7F;
  v.mode = request == kRequestAxonometry ? kModeAxonometry
           : request == kRequestPerspective ? kModePerspective : kModePlan;
  v.show_r = (r->display_flags & 1) != 0;
  v.show_d = (r->display_flags & 2) != 0;
  v.speed_on = false;
  v.speed = 10;
  v.sheet = v.area = false;
  PlotAnglesFitCentre(c, r);
  v.built = true;
}

void PlotProject(const PlotContext* c, const double p[3], double* x, double* y) {
  (void)c;
  double t[3] = {p[0], p[1], p[2]};
  View3DTransform(t);
  const View3D& view = View3DGet();
  *x = view.origin_x + t[0];
  *y = view.origin_y - t[1];
}

bool PlotKeepToolVisible(PlotContext* c, const double tool[3]) {
  const GdiRectI& d = c->layout.draw;
  bool changed = false;
  // A perspective bends the shift; a few rounds bring the point inside.
  for (int round = 0; round < 8; ++round) {
    PlotApplyProjection(c);
    double x, y;
    PlotProject(c, tool, &x, &y);
    if (!Finite(x) || !Finite(y)) break;
    double dx = 0, dy = 0;
    if (x < d.x1) dx = d.x1 - x + kToolMargin;
    else if (x > d.x2) dx = -(x - d.x2 + kToolMargin);
    // Screen y grows downwards; the pan's y grows upwards.
    if (y < d.y1) dy = -(d.y1 - y + kToolMargin);
    else if (y > d.y2) dy = y - d.y2 + kToolMargin;
    if (dx == 0 && dy == 0) break;
    c->view.pan[0] += dx;
    c->view.pan[1] += dy;
    changed = true;
  }
  PlotApplyProjection(c);
  return changed;
}

bool PlotZoomIn(PlotContext* c) {
  PlotView& v = c->view;
  const PlotLayout& l = c->layout;
  double w = l.draw.x2 - l.draw.x1, h = l.draw.y2 - l.draw.y1;
  if (!(v.scale < (w > h ? w : h) / (2 * l.factor))) return false;
  v.scale *= kZoom;
  for (double& p : v.pan) p *= kZoom;
  return true;
}

bool PlotZoomOut(PlotContext* c) {
  PlotView& v = c->view;
  if (!(v.scale / kZoom >= v.fitted_scale / 4)) return false;
  v.scale /= kZoom;
  for (double& p : v.pan) p /= kZoom;
  return true;
}
