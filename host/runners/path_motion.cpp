#include "host/runners/path_motion.h"

#include <math.h>

#include <sstream>

#include "kerf/iso_block.h"

namespace host {

namespace {
constexpr double kMicrons = 1000.0;  // program millimetres to micrometres
}

bool PathMotion::Load(const std::string& program, std::string* error) {
  segments_.clear();
  current_ = 0;
  along_ = x_ = y_ = 0;
  IsoSettings settings{{'X', 'Y'}, false, false, false};
  IsoModal modal{};
  double x = 0, y = 0;
  std::istringstream lines(program);
  std::string line;
  while (std::getline(lines, line)) {
    std::vector<char> block(line.begin(), line.end());
    block.push_back('\0');
    NormalizeIsoBlock(block.data());
    const IsoMove move = InterpretIsoBlock(block.data(), settings, &modal, x, y);
    if (move.kind == IsoMoveKind::kNone) continue;
    Segment s;
    s.x0 = x * kMicrons;
    s.y0 = y * kMicrons;
    s.x1 = (x + move.dx) * kMicrons;
    s.y1 = (y + move.dy) * kMicrons;
    if (move.kind == IsoMoveKind::kClockwise || move.kind == IsoMoveKind::kCounterClockwise) {
      s.arc = true;
      s.clockwise = move.kind == IsoMoveKind::kClockwise;
      s.cx = (x + move.cx) * kMicrons;
      s.cy = (y + move.cy) * kMicrons;
      const double a0 = atan2(s.y0 - s.cy, s.x0 - s.cx), a1 = atan2(s.y1 - s.cy, s.x1 - s.cx);
      double sweep = a1 - a0;
      if (s.clockwise && sweep >= 0) sweep -= 2 * M_PI;
      if (!s.clockwise && sweep <= 0) sweep += 2 * M_PI;
      s.sweep = sweep;
      s.length = fabs(sweep) * hypot(s.x0 - s.cx, s.y0 - s.cy);
    } else {
      s.length = hypot(s.x1 - s.x0, s.y1 - s.y0);
    }
    x += move.dx;
    y += move.dy;
    if (s.length > 0) segments_.push_back(s);
  }
  if (segments_.empty()) {
    *error = "the program holds no move (an ISO program starts with %)";
    return false;
  }
  x_ = segments_[0].x0;
  y_ = segments_[0].y0;
  return true;
}

void PathMotion::PositionOn(const Segment& s, double along) {
  const double t = along / s.length;
  if (!s.arc) {
    x_ = s.x0 + (s.x1 - s.x0) * t;
    y_ = s.y0 + (s.y1 - s.y0) * t;
    return;
  }
  const double r = hypot(s.x0 - s.cx, s.y0 - s.cy);
  const double a = atan2(s.y0 - s.cy, s.x0 - s.cx) + s.sweep * t;
  x_ = s.cx + r * cos(a);
  y_ = s.cy + r * sin(a);
}

bool PathMotion::Step(double feed) {
  while (current_ < segments_.size()) {
    const Segment& s = segments_[current_];
    if (along_ + feed < s.length) {
      along_ += feed;
      PositionOn(s, along_);
      return true;
    }
    feed -= s.length - along_;
    along_ = 0;
    x_ = s.x1;
    y_ = s.y1;
    ++current_;
  }
  return false;
}

}  // namespace host
