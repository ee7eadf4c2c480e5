// Geometry of the arcs of a cutting program.
#pragma once

struct ArcBox {
  double min_x, min_y, max_x, max_y;  // relative to the arc's start
};

// Corrects a written centre (c, d) of the arc from the start to (a, b) so
// that it lies at the same distance from both ends: of the two centres at
// the mean radius the one nearer the written centre is taken (the first on
// a tie). When the mean radius is shorter than half the chord no such
// centre exists and the written one is kept.
void CorrectArcCentre(double a, double b, double* c, double* d);

// Bounding box of the arc from its start (0, 0) to (a, b) around (c, d),
// relative to the start, with the centre corrected first.
ArcBox ArcBoundingBox(double a, double b, double c, double d, bool counter_clockwise);
