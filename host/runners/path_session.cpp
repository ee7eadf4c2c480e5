#include "host/runners/path_session.h"

#include <math.h>
#include <stdio.h>

#include "tracer/path_graphics.h"

namespace host {

namespace {

// The whole micrometres still to go towards `target`, at most what one
// call's step word holds.
int16_t TakeStep(double target, int64_t* reached) {
  int64_t delta = llround(target) - *reached;
  if (delta > INT16_MAX) delta = INT16_MAX;
  if (delta < INT16_MIN) delta = INT16_MIN;
  *reached += delta;
  return static_cast<int16_t>(delta);
}

}  // namespace

PathSession::PathSession(const std::string& folder)
    : files_(folder), display_(screen_, TextStyle::kForm), tracer_(display_, &files_), runner_(tracer_, files_) {}

bool PathSession::Load(const std::string& program, const PathSettings& settings, std::string* error) {
  if (!motion_.Load(program, error)) return false;
  if (!runner_.Load(settings.language, error)) return false;
  tracer_.record().layoutMode = settings.layout;
  tracer_.zoom_index = settings.zoom;
  tracer_.zoom_divisor = ZoomDivisor(tracer_.zoom_index);
  tracer_.origin_pos = settings.origin;
  snprintf(tracer_.mode_text, sizeof tracer_.mode_text, "%s", settings.mode_text.c_str());
  tracer_.SetToolRadius(static_cast<uint32_t>(llround(settings.tool_radius_mm * 1000)), settings.tool_radius_mm > 0);
  feed_ = settings.feed_mm * 1000;
  reached_x_ = llround(motion_.x());
  reached_y_ = llround(motion_.y());
  tracer_.SetAxisBlock(0, static_cast<int32_t>(reached_x_));
  tracer_.SetAxisBlock(1, static_cast<int32_t>(reached_y_));
  tracer_.trail_colour = settings.trail;
  return true;
}

void PathSession::Start() {
  screen_.Clear(display_.block()[29]);  // the host's window, in the screen's erase colour
  runner_.PathPrefix();
}

bool PathSession::moving() const {
  return stepping_ || reached_x_ != llround(motion_.x()) || reached_y_ != llround(motion_.y());
}

void PathSession::Call(uint8_t key) {
  ++calls_;
  if (key != 0) {
    tracer_.key_code = key;
  } else if (moving()) {
    if (stepping_ && reached_x_ == llround(motion_.x()) && reached_y_ == llround(motion_.y()))
      stepping_ = motion_.Step(feed_);
    tracer_.step_v = TakeStep(motion_.x(), &reached_x_);  // axis 0 is drawn vertically
    tracer_.step_h = TakeStep(motion_.y(), &reached_y_);
    tracer_.SetAxisBlock(0, static_cast<int32_t>(reached_x_));
    tracer_.SetAxisBlock(1, static_cast<int32_t>(reached_y_));
  }
  runner_.PathRun();
}

}  // namespace host
