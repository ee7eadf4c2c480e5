#include "kerf/iso_block.h"

#include <math.h>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNumberChar(char c) { return IsDigit(c) || c == '.' || c == '+' || c == '-'; }
char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// The words of one block as they are collected; the move is made from them
// once the whole block has been read, so a G word acts on the whole block
// wherever it stands.
struct BlockWords {
  bool has_axis[2];
  double axis[2];
  double centre[2];
};

void ApplyGWord(double value, const IsoSettings& s, IsoModal* m) {
  if (value == 0) {
    m->motion = IsoMotion::kRapid;
  } else if (value == 1) {
    m->motion = IsoMotion::kLinear;
  } else if (value == 2) {
    m->motion = s.swap_arcs ? IsoMotion::kCounterClockwise : IsoMotion::kClockwise;
  } else if (value == 3) {
    m->motion = s.swap_arcs ? IsoMotion::kClockwise : IsoMotion::kCounterClockwise;
  } else if (value == 90) {
    m->incremental = false;
  } else if (value == 91) {
    m->incremental = true;
  }
  // Every other G word leaves the drawing as it is.
}

IsoMoveKind KindOf(IsoMotion motion) {
  switch (motion) {
    case IsoMotion::kRapid: return IsoMoveKind::kRapid;
    case IsoMotion::kClockwise: return IsoMoveKind::kClockwise;
    case IsoMotion::kCounterClockwise: return IsoMoveKind::kCounterClockwise;
    default: return IsoMoveKind::kLinear;
  }
}

}  // namespace

bool ReadIsoNumber(const char** cursor, double* value) {
  const char* p = *cursor;
  bool negative = false, well_formed = true, point = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  // All digits go into one value, divided once at the end, so that "0.1"
  // reads as the same double as the C library would give.
  double digits = 0, divisor = 1;
  for (; IsNumberChar(*p); ++p) {
    if (*p == '.') {
      if (point) well_formed = false;
      point = true;
    } else if (!IsDigit(*p)) {
      well_formed = false;  // a sign inside the number
    } else {
      digits = digits * 10 + (*p - '0');
      if (point) divisor *= 10;
    }
  }
  *cursor = p;
  double v = digits / divisor;
  if (!isfinite(v)) well_formed = false;
  *value = well_formed ? (negative ? -v : v) : 0;
  return well_formed;
}

IsoMove InterpretIsoBlock(const char* block, const IsoSettings& s, IsoModal* m, double x,
                          double y) {
  BlockWords w{};
  const char* p = block;
  while (*p != '\0') {
    char letter = Upper(*p++);
    double value = 0;
    ReadIsoNumber(&p, &value);
    if (letter == '%') {
      m->started = true;
      continue;
    }
    if (!m->started) continue;
    if (letter == 'G') {
      ApplyGWord(value, s, m);
    } else if (letter == s.axis[0]) {
      w.has_axis[0] = true;
      w.axis[0] = s.diameter ? value / 2 : value;
    } else if (letter == s.axis[1]) {
      w.has_axis[1] = true;
      w.axis[1] = value;
    } else if (letter == 'I') {
      w.centre[s.swap_centres ? 1 : 0] = value;
    } else if (letter == 'J' || letter == 'K') {
      w.centre[s.swap_centres ? 0 : 1] = value;
    }
    // Other addresses (N, F, S, M, T, ...) do not change the drawing.
  }

  IsoMove move{};
  if (!m->started || (!w.has_axis[0] && !w.has_axis[1])) return move;
  double current[2] = {x, y};
  double delta[2];
  for (int i = 0; i < 2; ++i) {
    if (m->incremental) {
      delta[i] = w.has_axis[i] ? w.axis[i] : 0;
    } else {
      double target = w.has_axis[i] ? w.axis[i] : m->last[i];
      delta[i] = target - current[i];
    }
    // Kept in both modes, so that a G90 block after incremental ones keeps
    // the position the tool has actually reached on its missing axis.
    m->last[i] = current[i] + delta[i];
  }
  move.kind = KindOf(m->motion);
  bool arc = move.kind == IsoMoveKind::kClockwise || move.kind == IsoMoveKind::kCounterClockwise;
  if (arc && !(w.has_axis[0] && w.has_axis[1])) move.kind = IsoMoveKind::kLinear;
  move.dx = delta[0];
  move.dy = delta[1];
  move.cx = w.centre[0];
  move.cy = w.centre[1];
  return move;
}
