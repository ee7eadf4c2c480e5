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
    : stage_(folder) {}

bool PathSession::Load(const std::string& program, const PathSettings& settings, std::string* error) {
  if (!motion_.Load(program, error)) return false;
  if (!stage_.runner.Load(settings.language, error)) return false;
  stage_.tracer.record().layoutMode = settings.layout;
  stage_.tracer.zoom_index = settings.zoom;
  stage_.tracer.zoom_divisor = ZoomDivisor(stage_.tracer.zoom_index);
  stage_.tracer.origin_pos = settings.origin;
  snprintf(stage_.tracer.mode_text, sizeof stage_.tracer.mode_text, "%s", settings.mode_text.c_str());
  stage_.tracer.SetToolRadius(static_cast<uint32_t>(llround(settings.tool_radius_mm * 1000)), settings.tool_radius_mm > 0);
  feed_ = settings.feed_mm * 1000;
  reached_x_ = llround(motion_.x());
  reached_y_ = llround(motion_.y());
  stage_.tracer.SetAxisBlock(0, static_cast<int32_t>(reached_x_));
  stage_.tracer.SetAxisBlock(1, static_cast<int32_t>(reached_y_));
  stage_.tracer.trail_colour = settings.trail;
  return true;
}

void PathSession::Start() {
  stage_.screen.Clear(stage_.display.block()[29]);  // the host's window, in the screen's erase colour
  stage_.runner.PathPrefix();
}

bool PathSession::moving() const {
  return stepping_ || reached_x_ != llround(motion_.x()) || reached_y_ != llround(motion_.y());
}

void PathSession::Call(uint8_t key) {
  ++calls_;
  if (key != 0) {
    stage_.tracer.key_code = key;
  } else if (moving()) {
    if (stepping_ && reached_x_ == llround(motion_.x()) && reached_y_ == llround(motion_.y()))
      stepping_ = motion_.Step(feed_);
    stage_.tracer.step_v = TakeStep(motion_.x(), &reached_x_);  // axis 0 is drawn vertically
    stage_.tracer.step_h = TakeStep(motion_.y(), &reached_y_);
    stage_.tracer.SetAxisBlock(0, static_cast<int32_t>(reached_x_));
    stage_.tracer.SetAxisBlock(1, static_cast<int32_t>(reached_y_));
  }
  stage_.runner.PathRun();
}

}  // namespace host
