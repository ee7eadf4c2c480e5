// Everything the scope draws, through the display block of the record.
// Colours are palette bytes (20..37) of the block, taken at PREFIX.
#pragma once

#include <stdint.h>

#include "glint/scope.h"

uint32_t PackPoint(int x, int y);
uint8_t PaletteColour(const Scope* s, int palette_byte);

// Plot background, dotted grid, solid centre line and frame.
void DrawGrid(const Scope* s);
// The samples of every shown channel from the view's drawn count up to the
// ring's next row (or the plot's right edge), channel 9 first, then the
// view's trigger point when it lies among them.
void DrawNewSamples(Scope* s, const RingView& ring);
// Top bar, legend column, header and one row per channel.
void DrawLegend(const Scope* s);
// Time base, run state and trigger wait along the window's bottom.
void DrawStatusLine(const Scope* s);
// The box centred on the plot that shows the export's progress and the
// failures of export and save.
void DrawMessageBox(const Scope* s, const char* text);
void DrawMessageProgress(const Scope* s, uint32_t sample);

// y of an analog value (64-bit, so no value or scale overflows); the caller
// clips it to the plot.
int64_t AnalogY(const Scope* s, int32_t value, uint32_t scale);
int DigitalY(const Scope* s, int channel, int32_t value);
