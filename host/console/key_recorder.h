// Records the keys pressed in one operation with the time between them, and
// writes them as a key script the batch commands take: one word per key,
// "wait MS" before each key that came later than the one before.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

namespace host {

class KeyRecorder {
 public:
  // Starts a recording at `now_ms` (the operation's start).
  void Begin(uint64_t now_ms);
  void Key(const std::string& word, uint64_t now_ms);
  size_t keys() const { return steps_.size(); }
  // The script: `comment` lines first (each behind "# "), then the steps.
  std::string Script(const std::vector<std::string>& comment) const;

 private:
  struct Step {
    uint64_t wait_ms;
    std::string word;
  };
  uint64_t last_ms_ = 0;
  std::vector<Step> steps_;
};

}  // namespace host
