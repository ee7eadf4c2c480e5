// Machine motion for the path graphics: the tool moves along an ISO
// program at a fixed feed per call. Blocks are read by the ISO word layer
// of kerf/ (the same reader the program views use); the first address
// letter is axis 0 (X), the second axis 1 (Y).
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

namespace host {

class PathMotion {
 public:
  // Reads the program; false (with *error naming the line) when it holds no move.
  bool Load(const std::string& program, std::string* error);
  // Advances by `feed` micrometres along the path; false once at the end.
  bool Step(double feed);
  // Current position of axis 0 and axis 1, micrometres.
  double x() const { return x_; }
  double y() const { return y_; }
  size_t segments() const { return segments_.size(); }

 private:
  struct Segment {
    bool arc = false, clockwise = false;
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0, cx = 0, cy = 0;
    double length = 0, sweep = 0;  // sweep: signed angle of an arc
  };
  void PositionOn(const Segment& s, double along);

  std::vector<Segment> segments_;
  size_t current_ = 0;
  double along_ = 0;
  double x_ = 0, y_ = 0;
};

}  // namespace host
