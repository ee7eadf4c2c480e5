#include "host/console/key_recorder.h"

#include "host/commands/key_script.h"

namespace host {

// Longest pause a key script states in one step; a longer one is split.
constexpr uint64_t kMaxWaitStep = 600000;

void KeyRecorder::Begin(uint64_t now_ms) {
  last_ms_ = now_ms;
  steps_.clear();
  taken_ = 0;
  timed_ = false;
  tail_ = 0;
  tail_after_ = 0;
}

void KeyRecorder::Key(const std::string& word, uint64_t now_ms) {
  if (steps_.size() >= kMaxKeySteps / 2) return;  // a script holds a key and a pause each
  steps_.push_back({now_ms > last_ms_ ? now_ms - last_ms_ : 0, word});
  last_ms_ = now_ms;
}

void KeyRecorder::Taken(uint64_t wait) {
  timed_ = true;
  // Keys the recorder dropped (a full script) are not in the steps.
  if (taken_ < steps_.size()) steps_[taken_].wait = wait;
  ++taken_;
}

void KeyRecorder::Tail(size_t keys, uint64_t wait) {
  timed_ = true;
  tail_ = wait;
  tail_after_ = keys;
}

void KeyRecorder::Wait(uint64_t wait, std::string* text) {
  for (uint64_t left = wait; left > 0;) {
    const uint64_t part = left < kMaxWaitStep ? left : kMaxWaitStep;
    *text += "wait " + std::to_string(part) + "\n";
    left -= part;
  }
}

std::string KeyRecorder::Script(const std::vector<std::string>& comment) const {
  std::string text;
  for (const std::string& line : comment) text += "# " + line + "\n";
  for (const Step& step : steps_) {
    Wait(step.wait, &text);
    text += step.word + "\n";
  }
  // The clock ran on after the last key up to the frame shown. A frame
  // drawn before the last key stayed as it was with that key (frames go
  // out when the screen changes), so no wait follows it.
  if (timed_ && tail_after_ == taken_ && taken_ == steps_.size()) Wait(tail_, &text);
  return text;
}

}  // namespace host
