// The program path view: module state and the functions the screen
// operations are made of. Everything lives in static storage for the life
// of the library (one view at a time, as the host expects); the functions
// take the context they work on so that tests can build fresh ones.
#pragma once

#include "bridge/gdi.h"
#include "bridge/pen3d.h"
#include "bridge/recordcnc.h"
#include "plotline/plotline_record.h"

enum PlotMode : int { kModePlan = 0, kModeAxonometry = 1, kModePerspective = 2 };

// Kept while the library is loaded, across closing and reopening.
struct PlotView {
  bool built;                 // a view exists
  int mode;
  bool follow;                // tool following (on at load)
  int orientation;            // plan: 0 fields 1/2, 1 fields 1/3, 2 fields 2/3
  double angle_a, angle_b;
  double distance;            // perspective distance
  double scale;               // pixels per unit, before the drawing factor
  double fitted_scale;        // the scale of the last fit (zoom-out limit)
  double pan[3];              // pixels, added after scaling
  bool show_r, show_d;
  bool speed_on;
  int speed;                  // percent, 10-90
  bool sheet, area;           // their boxes join the extents and the drawing
};

// The window's parts, from the record (PREFIX_PLOTLINE).
struct PlotLayout {
  GdiRectI window, top_line, status_line, draw;
  int32_t centre_x, centre_y;
  double factor;              // smaller of the drawing area's width and height
};

enum PlotPass : int { kPassNone = 0, kPassProgram, kPassExecuted, kPassDone };

// The path being drawn, across DATA_PLOTLINE calls.
struct PlotDraw {
  int32_t next;               // next block of the iteration; -1 at the end
  bool first;                 // the next block starts the pass (moves, draws nothing)
  int pass;
  bool service;               // a service screen covers the drawing
  bool busy;                  // blocks were waiting when the last call ended
  bool stopped;               // drawing stopped at an unreadable block ("!" in 13)
  bool left_area;             // the path left the working area ("!" in 12)
  uint32_t drawn;             // blocks drawn in the current pass
  // Block by block.
  bool bbb;
  bool hold;
  bool bbb_end;               // the pass reached the program end
  uint32_t bbb_allowed, bbb_step;
  // Executed pass: blocks of the host's count drawn so far.
  uint32_t executed_drawn;
  Pen3D path, second, shifted;
  // The tool marker (exclusive-or): where it stands, if shown.
  bool marker_shown;
  int32_t marker_x, marker_y;
  char top_text[160];
  char status_text[200];
};

struct PlotContext {
  PlotView view;
  PlotLayout layout;
  PlotDraw draw;
};

extern PlotContext g_plot;

// ---- plot_view.cpp: extents, fit, projection --------------------------------
struct PlotBox {
  double min[3], max[3];
};

void PlotSetLayout(PlotContext* c, const _PLOTLINE* r);
// Reads a box of the record (6 doubles at `offset`); false when a value is
// not finite (such a box is left out).
bool PlotReadBox(const void* record, size_t offset, PlotBox* box);
bool PlotReadTool(const _PLOTLINE* r, double tool[3]);
PlotBox PlotExtents(const PlotContext* c, const _PLOTLINE* r);
// Angles of the current mode, and its perspective distance.
void PlotSetAngles(PlotContext* c, const PlotBox& extents);
void PlotFit(PlotContext* c, const PlotBox& extents);
void PlotCentre(PlotContext* c, const PlotBox& extents);
// Angles, fit and centre for the current mode.
void PlotAnglesFitCentre(PlotContext* c, const _PLOTLINE* r);
void PlotBuildView(PlotContext* c, const _PLOTLINE* r);
// Sets the bridge's 3D view from the view state.
void PlotApplyProjection(const PlotContext* c);
// Screen point of a program point under the current projection.
void PlotProject(const PlotContext* c, const double p[3], double* x, double* y);
// Moves the pan until the tool lies inside the drawing area; true when it
// changed.
bool PlotKeepToolVisible(PlotContext* c, const double tool[3]);
bool PlotZoomIn(PlotContext* c);
bool PlotZoomOut(PlotContext* c);

// ---- plot_draw.cpp: redraw and the path passes -------------------------------
void PlotFullRedraw(PlotContext* c, const _PLOTLINE* r);
void PlotRestartPath(PlotContext* c);
// Draws blocks until the slice of 1 ms ends; returns the blocks drawn.
uint32_t PlotDrawSlice(PlotContext* c, _PLOTLINE* r);
void PlotMarkerErase(PlotContext* c);
void PlotMarkerShow(PlotContext* c, const _PLOTLINE* r);

// ---- plot_text.cpp: the top and status lines --------------------------------
void PlotPaintFrame(const PlotContext* c);
void PlotRefreshLines(PlotContext* c, const _PLOTLINE* r, bool force);

// ---- plot_keys.cpp -----------------------------------------------------------
void PlotHandleKey(PlotContext* c, _PLOTLINE* r, uint8_t key);

// ---- plot_service.cpp: keys 81-85 --------------------------------------------
void PlotServiceScreen(PlotContext* c, const _PLOTLINE* r, uint8_t key);

// Colours of the path elements.
enum : uint8_t {
  kColorRapid = CLR_P3, kColorCut = CLR_BLACK, kColorExecuted = CLR_GREEN_MENU,
  kColorSecond = CLR_T12, kColorShifted = CLR_T13, kColorOutside = CLR_VIOLET,
  kColorMarker = CLR_YELLOW, kColorWindow = CLR_FILL, kColorLines = CLR_P2,
};
