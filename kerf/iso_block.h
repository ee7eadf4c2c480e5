// The word layer of the ISO (G-code) program view: normalising a block,
// reading its words and numbers, and turning it into a move under the modal
// state. The line layer (file or memory) lives in iso_view.cpp.
#pragma once

#include <stdint.h>

#include "bridge/iso_line.h"

// Motion modes. Linear is the default, so the all-zero modal state is the
// state of a program before its first word.
enum class IsoMotion : uint8_t { kLinear = 0, kRapid, kClockwise, kCounterClockwise };

// Modal state, kept across blocks; all zero = the default (nothing started,
// absolute coordinates, linear motion, last position at the origin).
struct IsoModal {
  bool started;      // a "%" has been seen; nothing is interpreted before
  bool incremental;  // G91; G90 (absolute) is the default
  IsoMotion motion;
  double last[2];    // last absolute value of the first and second axis
};

// What the host chose for the program: the address letters of the two axes
// and the option bits of VIEW_INFO.
struct IsoSettings {
  char axis[2];       // upper-case address letters, e.g. 'X', 'Y'
  bool swap_arcs;     // option bit 0: G2 draws counter-clockwise, G3 clockwise
  bool swap_centres;  // option bit 12: I to the second axis, J and K to the first
  bool diameter;      // the first axis value is a diameter and is halved
};

constexpr uint32_t kIsoOptionSwapArcs = 1u << 0;
constexpr uint32_t kIsoOptionSwapCentres = 1u << 12;

enum class IsoMoveKind : uint8_t { kNone, kRapid, kLinear, kClockwise, kCounterClockwise };

// One block's move, relative to its start: to (dx, dy), arcs around the
// centre (cx, cy). kNone: nothing to measure or draw.
struct IsoMove {
  IsoMoveKind kind;
  double dx, dy;
  double cx, cy;
};

// Cleaning a block (blanks, tabs, quoted comments) lives in the bridge.

// Reads the number of a word at *cursor: the run of digits, ".", "+" and
// "-" that follows the address letter, and advances past it. The run must
// be an optional leading sign, digits and at most one decimal point;
// anything else in it (a second point, an inner sign, a value too large for
// a double) makes the value 0 and the result false. An empty run is 0 and
// counts as well-formed.
bool ReadIsoNumber(const char** cursor, double* value);

// Interprets a normalised block under the modal state, from the current
// point (x, y), and updates the state. Blocks before the first "%" give
// kNone; so does a block that names neither axis (it moves nowhere). An arc
// block lacking either axis word is a linear move; its modal mode stays.
IsoMove InterpretIsoBlock(const char* block, const IsoSettings& settings, IsoModal* modal,
                          double x, double y);
