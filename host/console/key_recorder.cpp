#include "host/console/key_recorder.h"

#include "host/commands/key_script.h"

namespace host {

// Longest pause a key script states in one step; a longer one is split.
constexpr uint64_t kMaxWaitStep = 600000;

void KeyRecorder::Begin(uint64_t now_ms) {
  last_ms_ = now_ms;
  steps_.clear();
}

void KeyRecorder::Key(const std::string& word, uint64_t now_ms) {
  if (steps_.size() >= kMaxKeySteps / 2) return;  // a script holds a key and a pause each
  steps_.push_back({now_ms > last_ms_ ? now_ms - last_ms_ : 0, word});
  last_ms_ = now_ms;
}

std::string KeyRecorder::Script(const std::vector<std::string>& comment) const {
  std::string text;
  for (const std::string& line : comment) text += "# " + line + "\n";
  for (const Step& step : steps_) {
    for (uint64_t left = step.wait_ms; left > 0;) {
      const uint64_t part = left < kMaxWaitStep ? left : kMaxWaitStep;
      text += "wait " + std::to_string(part) + "\n";
      left -= part;
    }
    text += step.word + "\n";
  }
  return text;
}

}  // namespace host
