#include "host/runners/contour_runner.h"

#include <sstream>
#include <vector>

#include "kerf/iso_block.h"

namespace host {

namespace {

struct Segment {
  uint8_t motion;  // 0 rapid, 1 line, 2 clockwise, 3 counter-clockwise
  double end[2];
  double centre[2];
};

uint8_t MotionOf(IsoMoveKind kind) {
  switch (kind) {
    case IsoMoveKind::kRapid: return 0;
    case IsoMoveKind::kClockwise: return 2;
    case IsoMoveKind::kCounterClockwise: return 3;
    default: return 1;
  }
}

std::vector<Segment> Segments(const std::string& text, char horizontal, char vertical) {
  std::vector<Segment> segments;
  IsoSettings settings{{horizontal, vertical}, false, false, false};
  IsoModal modal{};
  double x = 0, y = 0;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    std::vector<char> block(line.begin(), line.end());
    block.push_back('\0');
    NormalizeIsoBlock(block.data());
    const IsoMove move = InterpretIsoBlock(block.data(), settings, &modal, x, y);
    if (move.kind == IsoMoveKind::kNone) continue;
    Segment s{MotionOf(move.kind), {x + move.dx, y + move.dy}, {move.cx, move.cy}};
    segments.push_back(s);
    x += move.dx;
    y += move.dy;
  }
  return segments;
}

}  // namespace

int ContourRunner::Call(uint8_t view_mode) {
  auto fn = runner_.library().Bind<int (*)(STRUCT_TRACER*)>("DLL_SHOWISO");
  if (fn == nullptr) return -2;
  tracer_.record().viewMode = view_mode;
  return fn(&tracer_.record());
}

int ContourRunner::Show() { return Call(0); }

int ContourRunner::BlockByBlock(const std::string& program_text, uint8_t kind) {
  const std::vector<Segment> segments = Segments(program_text, 'X', 'Y');
  ContourHost& c = contour_;
  c.kind_in_use = kind;
  c.min_h = c.max_h = c.min_v = c.max_v = 0;
  c.previous_h = c.previous_v = c.pan_h = c.pan_v = 0;
  for (const Segment& s : segments) {
    c.motion_type = s.motion;
    c.arc_h = s.centre[0];
    c.arc_v = s.centre[1];
    tracer_.record().segmentEnd[0] = s.end[0];
    tracer_.record().segmentEnd[1] = s.end[1];
    if (Call(3) == -2) return -1;
  }
  c.previous_h = c.previous_v = 0;
  for (const Segment& s : segments) {
    tracer_.record().segmentMotion = s.motion;
    c.arc_h = s.centre[0];
    c.arc_v = s.centre[1];
    c.target_h = s.end[0];
    c.target_v = s.end[1];
    if (Call(2) == -2) return -1;
  }
  return static_cast<int>(segments.size());
}

}  // namespace host
