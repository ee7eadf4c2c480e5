// The keys of DATA_PLOTLINE.
#include "plotline/plotline.h"

namespace {

constexpr double kAngleStep = 0.0981747703125;  // pi / 32
constexpr double kPanStep = 30;
constexpr double kDistanceFactor = 1.25;
constexpr uint32_t kStepMax = 1000;

// False when the view is already active (nothing changes).
bool SwitchMode(PlotContext* c, const _PLOTLINE* r, int mode) {
  if (c->view.mode == mode) return false;
  c->view.mode = mode;
  PlotAnglesFitCentre(c, r);
  return true;
}

}  // namespace

void PlotHandleKey(PlotContext* c, _PLOTLINE* r, uint8_t key) {
  PlotView& v = c->view;
  PlotDraw& d = c->draw;
  bool redraw = true;
  switch (key) {
    case 2: redraw = SwitchMode(c, r, kModePlan); break;
    case 3: redraw = SwitchMode(c, r, kModeAxonometry); break;
    case 4: redraw = SwitchMode(c, r, kModePerspective); break;
    case 5: PlotAnglesFitCentre(c, r); break;
    case 7:
      v.orientation = v.mode == kModePlan ? (v.orientation + 1) % 3 : v.orientation;
      v.mode = kModePlan;
      PlotAnglesFitCentre(c, r);
      break;
    case 10: v.angle_a += kAngleStep; break;
    case 11: v.angle_a -= kAngleStep; break;
    case 12: v.angle_b -= kAngleStep; break;
    case 13: v.angle_b += kAngleStep; break;
    case 14: PlotSetAngles(c, PlotExtents(c, r)); break;
    case 15: redraw = PlotZoomIn(c); break;
    case 16: redraw = PlotZoomOut(c); break;
    case 17: {
      PlotBox e = PlotExtents(c, r);
      PlotFit(c, e);
      PlotCentre(c, e);
      v.follow = false;
      break;
    }
    case 18: v.pan[0] += kPanStep; v.follow = false; break;
    case 19: v.pan[0] -= kPanStep; v.follow = false; break;
    case 20: v.pan[1] -= kPanStep; v.follow = false; break;
    case 21: v.pan[1] += kPanStep; v.follow = false; break;
    case 22: {
      double tool[3];
      if (v.follow) {
        v.follow = false;
      } else if (PlotReadTool(r, tool)) {
        // The tool's point goes to the middle of the drawing area.
        v.pan[0] = v.pan[1] = v.pan[2] = 0;
        PlotApplyProjection(c);
        View3DTransform(tool);
        v.pan[0] = -tool[0];
        v.pan[1] = -tool[1];
        v.follow = true;
      }
      break;
    }
    case 23: v.show_r = !v.show_r; break;
    case 24: v.show_d = !v.show_d; break;
    case 25:
      if (!v.speed_on) v.speed_on = true, v.speed = 10;
      else if (v.speed >= 90) v.speed_on = false;
      else v.speed += 10;
      redraw = false;
      break;
    case 26:
      redraw = !d.bbb;
      if (!d.bbb) {
        d.bbb = true;
        d.bbb_step = 1;
        d.bbb_allowed = 0;
        d.hold = false;
        r->block_reached = 0;
      }
      break;
    case 27:
      redraw = d.bbb;
      d.bbb = false;
      r->block_reached = 0;
      break;
    case 28:
      redraw = false;
      if (!d.bbb) break;
      d.hold = false;
      if (d.bbb_end) {
        d.bbb_allowed = d.bbb_step;  // from the first block again
        redraw = true;
      } else {
        d.bbb_allowed += d.bbb_step;
      }
      break;
    case 29: d.hold = true; redraw = false; break;
    case 30: d.hold = false; redraw = false; break;
    case 31: if (d.bbb_step < kStepMax) ++d.bbb_step; redraw = false; break;
    case 32: if (d.bbb_step > 1) --d.bbb_step; redraw = false; break;
    case 33: PlotAnglesFitCentre(c, r); break;
    case 34: v.sheet = !v.sheet; PlotAnglesFitCentre(c, r); break;
    case 35: v.area = !v.area; PlotAnglesFitCentre(c, r); break;
    case 81: case 82: case 83: case 84: case 85:
      PlotServiceScreen(c, r, key);
      return;
    case 92: if (v.mode == kModePerspective) v.distance /= kDistanceFactor; else redraw = false; break;
    case 93: if (v.mode == kModePerspective) v.distance *= kDistanceFactor; else redraw = false; break;
    default: return;
  }
  if (redraw) PlotFullRedraw(c, r);
}
