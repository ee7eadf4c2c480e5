// Cutting-program reader: reads a Kerf-format program line by line through
// the host's file services, normalises each line and classifies it.
//
// Line layer (ReadProgramLine) and word layer (NormalizeLine,
// ParseProgramLine) are kept apart; the reader state is one struct per open
// program, owned by the view or the transformation.
#pragma once

#include <stdint.h>

constexpr uint32_t kReadBlockSize = 512;
constexpr uint32_t kMaxLineLength = 998;

// How much of the bytes read counts toward the progress display.
enum class ProgressWeight : uint8_t { kWhole = 0, kMeasuring, kDrawing };

struct ProgramReader {
  uint32_t handle;
  uint32_t file_size;
  bool file_open;
  uint8_t buffer[kReadBlockSize];
  uint16_t valid;        // bytes of the last block
  uint16_t position;     // next byte to take from the block
  int8_t last_status;    // status of the last FspRead
  bool end_seen;         // the host reported the end of the file
  char line[kMaxLineLength + 1];
  uint16_t length;
  uint32_t line_count;   // every call counts, empty lines included
  uint32_t consumed;     // bytes read, weighted for the progress display
  uint32_t delivered;    // bytes the host has delivered since the start
  ProgressWeight weight;
  uint32_t error_text;   // text number, meaningful when error is set
  bool error;
  bool skipping;         // inside a skipped section
};

// Forgets everything read so far (buffer, counters, error); keeps nothing of
// the file handle either: the caller owns opening and closing.
void ResetReader(ProgramReader* reader);

// Reads the next line into reader->line. Returns 0 when a line was read (it
// may be empty), 1 at the end of the file with no further line, or the
// non-zero status of a failed read (the error text and flag are then set).
// Lines end at CR, LF or CR LF; a line longer than 998 characters comes in
// pieces of 998.
int ReadProgramLine(ProgramReader* reader);

// In place: drops leading blanks and tabs, folds every run of blanks and
// tabs into one blank, drops one trailing blank.
void NormalizeLine(char* line);

// Line kinds returned by ParseProgramLine (codes are returned as >= 0).
enum : int {
  kLineStraight = -1,
  kLineArcClockwise = -2,
  kLineArcCounterClockwise = -3,
  kLineNotSignsAndNumbers = -11,
  kLineSignCount = -12,
  kLineMustBeginWithSign = -13,
};

// Classifies a normalised line: a code (its value, >= 0), a straight move
// (a, b), or an arc to (a, b) around (c, d). A malformed line outside a
// skipped section sets the reader's error text and flag.
int ParseProgramLine(const char* line, double* a, double* b, double* c, double* d,
                     ProgramReader* reader);

// Codes acted on by the view and the transformation.
inline bool IsSkipStart(int code) { return code == 3 || code == 101 || code == 103; }
inline bool IsSkipEnd(int code) { return code == 4 || code == 102 || code == 104; }
constexpr int kCodeRapid = 5;
constexpr int kCodeCutting = 6;
