// CAN logs in the format of `candump -l` (Linux can-utils), one frame a
// line:
//   (1700000000.123456) can0 181#1122334455667788
//   (1700000000.125000) can0 601#2F00620001 T
// Standard identifiers (three hexadecimal digits, at most 7FF) are read;
// extended (eight digits), remote ("#R") and FD ("##") frames are skipped
// and counted. A classic frame of 8 bytes may carry a length code 9 to F
// after "_" (`candump -8`). A trailing "T" marks a frame the control sent;
// everything else was received. Blank lines are skipped; any other line
// that does not read so is an error naming its line.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

namespace host {

struct CanLogFrame {
  uint64_t time_us = 0;   // time stamp in microseconds
  uint16_t id = 0;        // 0 to 0x7FF
  uint8_t length = 0;     // 0 to 8, or 9 to 15 from a length code
  uint8_t data[8] = {};
  bool sent = false;      // "T": sent by the control
};

struct CanLogCounts {
  uint32_t extended = 0, remote = 0, fd = 0;
};

// Most bytes and lines a log may hold.
constexpr size_t kMaxCanLogBytes = 64u << 20;

// Reads `text`; "" on success, else "line N: reason".
std::string ParseCanLog(const std::string& text, std::vector<CanLogFrame>* frames, CanLogCounts* skipped);

// One line in the same format (with its LF) on interface `interface`.
std::string FormatCanLogLine(const CanLogFrame& frame, const std::string& interface);

}  // namespace host
