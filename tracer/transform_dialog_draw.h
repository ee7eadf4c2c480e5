// What the transformation dialog puts on the screen (font 38, 16 x 32
// cells). The elements keep their order and grouping on the cell grid
// without overlapping:
//   title (16, 16); type line (16, 64) with "2D(1)" "2D(2)" "3D(1)" at
//   x 336, 432, 528; buttons ACTIVATE, DEACTIVATE, ENTER PARAM at
//   (16 | 208 | 400, 112); plane label and axes (16, 160) / (144, 160),
//   space label and axes (192, 160) / (336, 160); parameters title
//   (16, 208); a1..a3 rows at y 240, 272, 304 (fields at x 64, angle
//   glyphs at 256 and their fields at 288); SAVE (16, 352), END (400, 352);
//   messages (16, 400); the key hint, text 1208, at (16, 440).
#pragma once

#include "tracer/transform_dialog.h"

// Binds the record's display block and copies the palette.
void BindDialog(TransformDialog* d);
void DrawDialog(const TransformDialog* d);
void DrawDialogFields(const TransformDialog* d);
void DrawDialogField(const TransformDialog* d, int field);
void DrawDialogMessage(const TransformDialog* d, int message);

// Where a field is drawn (for tests and the simulator's pictures).
struct DialogPoint {
  int x, y;
};
DialogPoint DialogFieldPoint(int field);
constexpr DialogPoint kDialogMessagePoint = {16, 400};
constexpr DialogPoint kDialogHintPoint = {16, 440};
