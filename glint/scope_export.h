// The export of the captured samples to a tab-separated text file.
#pragma once

#include <stdint.h>

#include "glint/scope.h"

// Writes every row from the oldest to the newest to the record's export
// path (through a temporary file, see safe_file.h), showing the progress in
// a box on the plot. True when the file is complete under its name. Does
// nothing (and returns false) when the record is shorter than 64 bytes or
// carries no path.
bool ExportSamples(Scope* s, const RingView& ring);

// One line of the export: sample number in 8 characters, ":\t", ten values
// in 12 characters each followed by "\t", then "\r\n". Returns its length.
uint32_t FormatExportLine(uint32_t sample, const GlintRow& row, char* out, uint32_t capacity);

extern const char kExportHeader[];
