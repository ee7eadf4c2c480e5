// The program view: draws a cutting program fitted into a window, in time
// slices, and steps through its parts afterwards.
#pragma once

#include "bridge/gdi.h"
#include "bridge/pen3d.h"
#include "kerf/reader.h"
#include "kerf/view_info.h"

enum class ViewPass : uint8_t { kMeasuring = 0, kDrawing };

// Shape-part selection states.
enum : uint8_t {
  kPartsNotReady = 0,   // the view has not finished
  kPartsReady = 1,      // finished; selection not started
  kPartsSelecting = 2,
  kPartsCopying = 3,    // selecting and copying into the copy file
};

struct ViewExtents {
  double max_x, min_x, max_y, min_y;
};

struct ViewFit {
  double scale;
  int32_t origin_x, origin_y;
  double a, b;
};

constexpr uint32_t kViewLineText = 160;

struct KerfView {
  ProgramReader reader;
  ViewPass pass;
  ViewExtents extents;
  double x, y;                 // current point
  double width, height;        // of the program
  Pen3D pen;
  GdiRectI window, status_line, info_line, area;
  char status_text[kViewLineText];
  char info_text[kViewLineText];
  uint32_t status_time;        // ms of the last status refresh (0 before the first)
  uint32_t start_time;
  uint8_t part_state;
  bool finished;
  bool failed;
  const VIEW_INFO* info;       // the host's record of the running view
};

// Computes the fit of a program with the given extents into a drawing area.
// A zero extent has no scale of its own: the other axis decides, and with
// both zero the program is drawn at scale 1, centred.
ViewFit FitProgram(const ViewExtents& e, const GdiRectI& area, uint8_t orientation);

uint32_t KerfViewStart(KerfView* view, const VIEW_INFO* info);
uint32_t KerfViewCont(KerfView* view, const VIEW_INFO* info);
uint32_t KerfViewStop(KerfView* view);
uint32_t KerfShapePartSel(KerfView* view, const VIEW_INFO* info);

// The library's one view.
KerfView* TheKerfView();

// Shared with the ISO view, which keeps its own context of the same shape.
inline void WidenExtents(ViewExtents* e, double x, double y) {
  if (x > e->max_x) e->max_x = x;
  if (x < e->min_x) e->min_x = x;
  if (y > e->max_y) e->max_y = y;
  if (y < e->min_y) e->min_y = y;
}
// Ends the measuring pass: the program's size, the fit into the drawing
// area, the view and the pen for the drawing pass, and the reader set back
// to the first line (keeping the progress counted so far).
void BeginDrawingPass(KerfView* v);
// Refreshes the status line and the information line. The information line
// shows the program's size divided by `size_divisor`; a finished view that
// had a program (`program_given`) writes its blank status line on every call.
void RefreshViewLines(KerfView* v, double size_divisor, bool program_given);
