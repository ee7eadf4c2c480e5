// Recordings for the signal scope's host: generated signals and CSV files.
//
// A recording is one row per millisecond of ten channel values and a
// trigger byte, the rows the host writes into the scope's sample ring.
//
// Generated signals (one per channel): "sine:AMP:PERIOD_MS",
// "square:AMP:PERIOD_MS", "ramp:AMP:PERIOD_MS" (rises from -AMP to AMP),
// "noise:AMP" (uniform, seeded by the channel), "pulse:PERIOD_MS:WIDTH_MS"
// (digital: 1 for WIDTH_MS at the start of every period, else 0) and
// "const:VALUE".
//
// CSV format, as a user writes it by hand or a spreadsheet exports it: one
// row per millisecond; up to ten integer columns in channel order, then an
// optional trigger column (0 or not): an eleventh column, or a last column
// the header names "trigger";
// cells separated by commas, semicolons or tabs (the first such character
// of the first line decides); an optional header line (its first cell not a
// number); blank lines and cells padded with blanks are fine; "\r\n" or
// "\n" line ends. Every data row has the same number of cells. A bad cell
// is refused with its line and column (both from 1).
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "glint/glint_record.h"

namespace host {

struct SignalShape {
  enum Kind { kNone, kSine, kSquare, kRamp, kNoise, kPulse, kConst } kind = kNone;
  int64_t amplitude = 0;  // sine, square, ramp, noise; the value of const
  int64_t period_ms = 1;  // sine, square, ramp, pulse
  int64_t width_ms = 0;   // pulse
  bool digital() const { return kind == kPulse; }
};

// Parses "CHANNEL=KIND:ARGS" (the --signal option); false with *error set.
bool ParseSignalOption(const std::string& text, int* channel, SignalShape* shape, std::string* error);

// Value of a signal at millisecond t (clamped to the 32-bit range).
int32_t SignalValue(const SignalShape& shape, int channel, uint64_t t);

struct Recording {
  std::vector<GlintRow> rows;
  int columns = 0;           // channel columns a CSV file had
  bool has_trigger = false;  // a CSV file carried a trigger column
};

// Builds `count` rows of the given signals; the trigger byte rises at row
// `trigger_row` (none when negative) and stays up.
Recording GenerateRecording(const SignalShape (&signals)[kGlintChannels], uint32_t count,
                            int64_t trigger_row);

// Reads CSV text; false with *error ("line L, column C: reason") set.
bool ParseCsvRecording(const std::string& text, Recording* out, std::string* error);

}  // namespace host
