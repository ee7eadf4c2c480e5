// The ISO program contour view (DLL_SHOWISO): a G-code program read twice,
// first for its extents, then drawn as lines and arcs scaled into a window,
// with its width and height as a label. The host can also feed it segment
// by segment (viewMode 3 adds one to the extents, viewMode 2 draws one).
//
// Coordinates are millimetres as the program gives them; axis 0 is the
// horizontal axis, 1 the vertical one.
#pragma once

#include <stdint.h>

#include "tracer/tracer_record.h"

constexpr int kIsoLineChars = 79;   // characters kept of one program line
constexpr int kIsoNumberChars = 31; // characters handed to the number service

enum IsoContourMotion : uint8_t { kIsoRapid = 0, kIsoLinear = 1, kIsoClockwise = 2, kIsoCounterClockwise = 3 };

// What the settings and the record choose for one view.
struct IsoContourSettings {
  char letter[2];        // address letters of the horizontal and vertical axis
  uint8_t plane_type;
  bool diameter;         // diameter flag of the machine
  bool i_vertical;       // I belongs to the vertical axis (plane types 6..9)
  bool swap_arcs;        // G2 and G3 exchanged
  char mode_first;       // first character of modeText: 'K' or 'S' halve X
  uint8_t kind;          // display kind in use
  int32_t offset[2];     // display kind 1: offsets subtracted, um
};

// Modal and geometric state; all zero is the state before the first block.
struct IsoContourState {
  double target[2];
  double previous[2];
  double arc[2];         // centre offset from the previous position
  bool incremental;
  uint8_t motion;        // IsoContourMotion
  double min[2], max[2]; // extents (they always hold the start at 0, 0)
};

// Converts the text of one word's value; the library asks the host.
struct IsoNumberReader {
  double (*convert)(const char* text, void* context);
  void* context;
};

// Reads the settings words of configBlock and the record's bytes.
IsoContourSettings ReadIsoSettings(const STRUCT_TRACER* record, uint8_t kind);

// Interprets one cleaned block: sets target, arc offsets, motion and mode.
void InterpretContourBlock(const char* block, const IsoContourSettings& settings, const IsoNumberReader& numbers,
                           IsoContourState* state);

// Widens the extents by the segment from `from` to `to` (arcs by their
// quadrant points inside the sweep).
void ExtendBySegment(IsoContourState* state, const double from[2], const double to[2], uint8_t motion,
                     const double arc[2]);

// The arc from `from` around from + arc to `to`: start angle, signed sweep
// (a full turn when the ends meet) and radius. False when the radius is 0.
struct ArcGeometry {
  double centre[2];
  double radius;
  double start_angle;
  double sweep;  // negative = clockwise
};
bool ArcFrom(const double from[2], const double to[2], const double arc[2], bool clockwise, ArcGeometry* out);

// Pixels per millimetre for a program of width x height in an area; never
// zero-divided: an empty extent scales by the other one, both empty give 1.
double ContourScale(double width, double height, double area_width, double area_height);

// DLL_SHOWISO: 0, or -1 when the program file cannot be opened or read.
int ShowIso(STRUCT_TRACER* record);
