// Records the keys pressed in one operation with the time between them, and
// writes them as a key script the batch commands take: one word per key,
// "wait N" before each key that came later than the one before.
//
// The pause is the wall-clock one the server saw (milliseconds), unless
// the operation runs on a clock of its own and reported the wait it
// applied before the key it took (Taken, in the order it took them): that
// wait replaces the wall-clock one, and the clock's time since the last
// key it had taken at the frame shown (Tail) ends the script.
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
  // The operation took the next key after waiting `wait` on its clock.
  void Taken(uint64_t wait);
  // The frame shown was drawn with `keys` keys taken, `wait` after the last.
  void Tail(size_t keys, uint64_t wait);
  size_t keys() const { return steps_.size(); }
  // The script: `comment` lines first (each behind "# "), then the steps.
  std::string Script(const std::vector<std::string>& comment) const;

 private:
  static void Wait(uint64_t wait, std::string* text);
  struct Step {
    uint64_t wait;  // wall-clock ms, or the operation's own unit once it reported it
    std::string word;
  };
  uint64_t last_ms_ = 0;
  std::vector<Step> steps_;
  size_t taken_ = 0;      // keys whose wait the operation reported
  bool timed_ = false;    // it reports its own clock
  uint64_t tail_ = 0;
  size_t tail_after_ = 0;  // keys taken when the frame shown was drawn
};

}  // namespace host
