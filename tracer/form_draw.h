// What the entry forms put on the screen. Font 38 draws 16 x 32 cells; the
// entry block keeps the rows of the form (x 352, rows 192 to 320, pitch
// 32, cursor under the cell at 416 + 16 * column), and the texts around it
// lie on the same cell grid without overlapping it:
//   title (16, 32); descriptions (16, 64), three lines; prompt (16, 160);
//   entry block (352, 192) .. (559, 351); marker (256, 320), left of the
//   result row; key hints (16, 368), three lines.
#pragma once

#include "tracer/form_engine.h"

// Palette byte (20..37) as copied at the prefix.
uint8_t FormColour(const FormState* f, int palette_byte);

void DrawFormLayout(FormState* f, char letter);
void ShowEntry(FormState* f);
void ShowValue(FormState* f);
// The result line at (400, 320): "suma > max" as it stands, a number
// right-aligned in ten columns, sign first.
void ShowResultLine(FormState* f, const char* text);
// The written value R on the empty row 1 at (400, 224), or blanks.
void ShowWrittenRow(FormState* f, const char* text);
void ShowAxisLetter(FormState* f, char letter);
void DrawCursor(FormState* f, bool visible);
