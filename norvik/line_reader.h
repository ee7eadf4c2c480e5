// The line layer of the preprocessor: a host file read through a 512-byte
// buffer and cut into lines. Source programs, sub-programs, user data files
// and the origin table are all read this way.
//
// Line rules: CR, LF and the pair CR LF each end a line and are not stored;
// a line holds at most kMaxLine characters, a longer one continues as the
// next line (a line end right after a full line belongs to it). The line
// number counts up by one per line returned.
#pragma once

#include <stdint.h>

constexpr uint32_t kMaxLine = 126;
constexpr uint32_t kReadBlock = 512;
constexpr uint32_t kFileNameChars = 19;

// Repeat state of one source file (RPT .. ERP).
struct RepeatState {
  bool active;
  int32_t counter;         // passes still to come
  uint32_t return_offset;  // file offset of the line after RPT
  uint32_t return_line;    // line number of the RPT line
};

struct LineFile {
  bool open;
  uint32_t handle;
  uint8_t buffer[kReadBlock];
  uint32_t position, fill;   // within the buffer
  uint32_t block_offset;     // file offset of buffer[0]
  bool end_seen;             // the host reported the end of the file
  uint32_t line_number;
  char name[kFileNameChars + 1];
  RepeatState repeat;
};

enum class LineRead : uint8_t { kLine, kEnd, kFailed };

// Opens `path` for reading into `file` (which is cleared); keeps the last
// kFileNameChars characters of the name after the last "\" for display.
// Returns the host's status (0 success).
int8_t LineFileOpen(LineFile* file, const char* path);

// Reads the next line into `line` (kMaxLine + 1 bytes). kEnd: nothing more;
// kFailed: the host refused a read.
LineRead LineFileRead(LineFile* file, char* line, uint32_t* length);

// File offset of the next byte a read would return.
uint32_t LineFileOffset(const LineFile* file);

// Moves the read position to `offset` (inside the buffer without asking
// the host). Returns false when the host refused the seek.
bool LineFileSeek(LineFile* file, uint32_t offset);

// Closes the file; a refused close keeps it marked open so that a later
// close can try again. Returns true when the file is closed.
bool LineFileClose(LineFile* file);
