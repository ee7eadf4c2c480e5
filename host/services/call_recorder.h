// Records every graphics service call with its decoded arguments, in
// order, so tests can compare the exact drawing calls a library makes.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

namespace host {

// One call of a graphics-table slot or of a display-block word.
struct GdiCall {
  int slot = -1;             // graphics table slot (-1 for a display word)
  int word = -1;             // display block word (-1 for a graphics slot)
  const char* service = "";  // "GdiLine", ...
  int count = 0;             // argument count as dispatched
  // Decoded arguments; which fields a slot uses is listed in Describe().
  int x = 0, y = 0;    // top-left, line start, first corner
  int x2 = 0, y2 = 0;  // line end, second corner
  int x3 = 0, y3 = 0;  // third corner
  int w = 0, h = 0;    // size
  int fg = 0, bg = 0;  // colours as the host received them (mapped)
  int pattern = 0;
  int columns = 0, rows = 0, font = 0;
  int value = 0;        // mode, character, blank code, first byte of 23..27
  uint32_t buffer = 0;  // caller's buffer address
  std::string text;     // written text (control character set)
  std::vector<uint32_t> args;  // the raw argument words
  int result = 0;       // what the service returned
  std::string error;    // why the service refused the call ("" if it ran)

  // One line such as "GdiLine (10,20)-(30,40) pattern=0xF0F0"; a refused
  // call reads "GdiLine refused: <error>".
  std::string Describe() const;
};

class CallRecorder {
 public:
  void Enable(bool on) { enabled_ = on; }
  bool enabled() const { return enabled_; }
  // Records only the calls of these slots (every call when empty).
  void KeepOnly(std::vector<int> slots) { only_ = std::move(slots); }
  // Whether a call of this slot would be kept.
  bool Keeps(int slot) const {
    if (!enabled_) return false;
    if (only_.empty()) return true;
    for (int kept : only_)
      if (kept == slot) return true;
    return false;
  }
  void Record(GdiCall call) {
    if (Keeps(call.slot)) calls_.push_back(std::move(call));
  }
  const std::vector<GdiCall>& calls() const { return calls_; }
  // Describe() of every call, in order.
  std::vector<std::string> Descriptions() const;
  void Clear() { calls_.clear(); }

 private:
  bool enabled_ = true;
  std::vector<int> only_;
  std::vector<GdiCall> calls_;
};

}  // namespace host
