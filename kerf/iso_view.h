// The ISO (G-code) program view, reached through the generic view exports
// when the format byte of VIEW_INFO is 0. It reads the program from a file
// or, when the path is empty, from a text in the host's memory, measures it,
// fits it into the window and draws it, in slices of about 2 ms.
#pragma once

#include "kerf/iso_block.h"
#include "kerf/view.h"
#include "kerf/view_info.h"

// A program text in the host's memory. Never read at or past `length`; the
// text need not be NUL-terminated.
struct MemoryText {
  const char* text;
  uint32_t length;
  uint32_t position;  // next byte to take
  uint32_t counted;   // bytes counted toward the progress, in 512-byte blocks
};

// Reads the next line of a memory text into reader->line, as ReadProgramLine
// does for a file: 0 when a line was read (it may be empty), 1 at the end of
// the text. A line is the characters up to CR or LF (at most 998; a longer
// one comes in pieces), then one CR or LF and, when the next character is CR
// or LF as well, that one too. Progress is counted per 512-byte block, as a
// file's is, weighted by reader->weight.
int ReadMemoryLine(ProgramReader* reader, MemoryText* memory);

struct IsoView {
  KerfView view;        // reader, passes, extents, pen, lines of text
  IsoSettings settings;
  IsoModal modal;
  bool from_memory;     // the path is empty: the program is the memory text
  bool source_open;     // the file is open or the memory text taken
  MemoryText memory;
};

uint32_t IsoViewStart(IsoView* view, const VIEW_INFO* info);
uint32_t IsoViewCont(IsoView* view, const VIEW_INFO* info);
uint32_t IsoViewStop(IsoView* view);

// The library's one ISO view, apart from the Kerf view.
IsoView* TheIsoView();
