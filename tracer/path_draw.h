// Drawing pieces of the path graphics, through the display block.
#pragma once

#include "tracer/display_point.h"
#include "tracer/path_graphics.h"

// Palette bytes the screen uses, in the order PathState::colours keeps them.
enum PathColour : int { kFg20 = 0, kAxes21 = 1, kLetters22 = 2, kBg25 = 3, kTrail27 = 4, kErase29 = 5 };
uint8_t PathPalette(const PathState* s, int palette_byte);

// Set colours (colour, 255) then one fill.
void PathFill(uint8_t colour, int x, int y, int width, int height);
// The whole screen part, or only the plot area.
void EraseScreen(const PathState* s);
void ErasePlotArea(const PathState* s);
// Axis cross, ticks and letters of originPos; sets the origin pixel.
void DrawAxes(PathState* s);
void DrawGridLabel(const PathState* s, bool outside);
void DrawReadout(PathState* s);
