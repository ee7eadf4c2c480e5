// The 3D drawing layer: a view transformation and pens that clip against a
// box and draw through the clipped real lines of gdi.h.
#pragma once

#include "bridge/gdi.h"
#include "bridge/view3d.h"

#pragma pack(push, 1)
struct Pen3D {
  uint8_t inside_color;
  uint8_t outside_color;
  uint8_t background;
  uint16_t pattern;
  uint8_t outcode;        // of the current position; 0 = inside the box
  double position[3];     // program units
  double screen[3];       // the position after the view transformation
  double box_min[3];
  double box_max[3];
  uint32_t left_box;      // 1 once the pen has been outside its box
};
#pragma pack(pop)
static_assert(offsetof(Pen3D, pattern) == 3);
static_assert(offsetof(Pen3D, outcode) == 5);
static_assert(offsetof(Pen3D, position) == 6);
static_assert(offsetof(Pen3D, screen) == 30);
static_assert(offsetof(Pen3D, box_min) == 54);
static_assert(offsetof(Pen3D, box_max) == 78);
static_assert(offsetof(Pen3D, left_box) == 102);

void PenInit(Pen3D* pen, uint8_t color, uint8_t background, uint16_t pattern);
void PenInitBox(Pen3D* pen, uint8_t inside, uint8_t outside, uint8_t background, uint16_t pattern,
                double xmin, double ymin, double zmin, double xmax, double ymax, double zmax);
void PenMoveTo(Pen3D* pen, double x, double y, double z);
void PenMoveTo(Pen3D* pen, const double point[3]);
void PenLineTo(Pen3D* pen, double x, double y, double z);
void PenLineTo(Pen3D* pen, const double point[3]);
void PenLine(Pen3D* pen, const double from[3], const double to[3]);
void PenCopyPosition(Pen3D* pen, const Pen3D* other);
void PenBox(Pen3D* pen, double x1, double y1, double z1, double x2, double y2, double z2);

// cos(angle) and sin(angle), bit for bit as the mathematics library gives
// them; an angle met again is answered from a small table.
void CosSin(double angle, double* c, double* s);

enum ArcPlane : int { kPlaneXY = 0, kPlaneXZ = 1, kPlaneYZ = 2 };
enum : int { kArcClockwise = 1, kArcFullCircle = 2 };
// Arc from the pen's position around the centre to the end point, in chords
// of about six screen pixels.
void PenArc(Pen3D* pen, int plane, int flags, double cx, double cy, double cz, double ex,
            double ey, double ez);
void PenMarker(Pen3D* pen, int32_t size);
void PenText(Pen3D* pen, const char* text, uint32_t font);
