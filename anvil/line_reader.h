// The library's text line reader: any text file line by line through the
// host's file services, 1024 bytes a read, optionally 16-bit Unicode.
//
// A line ends at CR, LF or CR LF (also when the pair is split across two
// reads); an empty line is a line. A line longer than kLineReaderMax
// characters comes in pieces, no character lost (`cut` tells that a piece
// had no line end). A read with fewer bytes than asked and status 0 is not
// the end: only status 1 or a read of no bytes is.
//
// Unicode: when opened with the flag, the flag stays only if the file
// begins with the byte-order mark 0xFEFF; every chunk is then converted in
// place, each 16-bit character becoming one byte of the control's character
// set ("." without a mapping), the mark itself dropped. A character split
// across two reads is joined.
#pragma once

#include <stdint.h>

namespace anvil {

constexpr uint16_t kLineReaderChunk = 1024;
constexpr uint32_t kLineReaderMax = 1022;

struct LineReader {
  uint32_t handle;
  bool open;
  uint8_t chunk[kLineReaderChunk];
  uint16_t count;          // valid bytes (characters) in chunk
  uint16_t position;       // next character of chunk
  char line[kLineReaderMax + 1];
  uint32_t length;
  bool cut;                // the line is a piece of a longer one
  int8_t status;           // of the last FspRead
  uint32_t lines;          // lines read, empty ones included
  uint32_t consumed;       // bytes of the chunks after the first
  bool first_chunk;        // no chunk read yet
  bool unicode;
  bool at_end;             // the end of the file was reported
  bool skip_lf;            // the last line ended with CR
  bool has_odd_byte;       // Unicode: a byte waiting for its partner
  uint8_t odd_byte;
};

// Opens `path` in mode 1; returns FspOpen's status (0 on success). The
// reader is cleared first.
int8_t LineReaderOpen(LineReader* r, const char* path, bool unicode);
// 0: a line (maybe empty) is in r->line; 1: the end, no character left;
// any other status of FspRead unchanged.
int8_t LineReaderNext(LineReader* r);
// Closes the file once; returns FspClose's status (0 when not open).
int8_t LineReaderClose(LineReader* r);

}  // namespace anvil
