#include "host/services/can_log.h"

#include <stdio.h>

namespace host {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool AllHex(const std::string& s) {
  for (char c : s)
    if (HexValue(c) < 0) return false;
  return !s.empty();
}

// "(SECONDS.FRACTION)" with 1 to 9 fraction digits.
bool ReadTime(const std::string& token, uint64_t* us) {
  if (token.size() < 4 || token.front() != '(' || token.back() != ')') return false;
  std::string inner = token.substr(1, token.size() - 2);
  size_t dot = inner.find('.');
  if (dot == std::string::npos || dot == 0 || dot > 12 || inner.size() - dot - 1 < 1 || inner.size() - dot - 1 > 9)
    return false;
  uint64_t seconds = 0, fraction = 0;
  for (size_t i = 0; i < inner.size(); ++i) {
    if (i == dot) continue;
    if (inner[i] < '0' || inner[i] > '9') return false;
    if (i < dot) seconds = seconds * 10 + (inner[i] - '0');
    else fraction = fraction * 10 + (inner[i] - '0');
  }
  for (size_t digits = inner.size() - dot - 1; digits < 6; ++digits) fraction *= 10;
  for (size_t digits = inner.size() - dot - 1; digits > 6; --digits) fraction /= 10;
  *us = seconds * 1000000 + fraction;
  return true;
}

enum class Frame { kClassic, kExtended, kRemote, kFd, kBad };

Frame ReadFrame(const std::string& token, CanLogFrame* f, std::string* why) {
  size_t hash = token.find('#');
  if (hash == std::string::npos) return *why = "expected ID#DATA", Frame::kBad;
  std::string id = token.substr(0, hash), rest = token.substr(hash + 1);
  if (!AllHex(id) || (id.size() != 3 && id.size() != 8)) return *why = "identifier \"" + id + "\" is not 3 or 8 hexadecimal digits", Frame::kBad;
  if (!rest.empty() && rest[0] == '#') return Frame::kFd;
  if (!rest.empty() && (rest[0] == 'R' || rest[0] == 'r')) return id.size() == 8 ? Frame::kExtended : Frame::kRemote;
  if (id.size() == 8) return Frame::kExtended;
  unsigned value = static_cast<unsigned>(std::stoul(id, nullptr, 16));
  if (value > 0x7FF) return *why = "standard identifier " + id + " above 7FF", Frame::kBad;
  std::string data = rest, code;
  size_t underscore = rest.find('_');
  if (underscore != std::string::npos) data = rest.substr(0, underscore), code = rest.substr(underscore + 1);
  if (data.size() % 2 != 0 || data.size() > 16 || (!data.empty() && !AllHex(data)))
    return *why = "data \"" + data + "\" is not 0 to 8 bytes in hexadecimal", Frame::kBad;
  f->id = static_cast<uint16_t>(value);
  f->length = static_cast<uint8_t>(data.size() / 2);
  for (size_t i = 0; i < data.size() / 2; ++i)
    f->data[i] = static_cast<uint8_t>(HexValue(data[2 * i]) * 16 + HexValue(data[2 * i + 1]));
  if (underscore != std::string::npos) {
    if (code.size() != 1 || HexValue(code[0]) < 9 || f->length != 8)
      return *why = "length code \"_" + code + "\" needs 8 bytes and a digit 9 to F", Frame::kBad;
    f->length = static_cast<uint8_t>(HexValue(code[0]));
  }
  return Frame::kClassic;
}

std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

}  // namespace

std::string ParseCanLog(const std::string& text, std::vector<CanLogFrame>* frames, CanLogCounts* skipped) {
  if (text.size() > kMaxCanLogBytes) return "line 1: the log is larger than 64 MB";
  size_t start = 0;
  uint64_t previous = 0;
  for (size_t number = 1; start < text.size(); ++number) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> w = Words(line);
    if (w.empty()) continue;
    std::string where = "line " + std::to_string(number) + ": ";
    CanLogFrame f;
    if (!ReadTime(w[0], &f.time_us)) return where + "expected a time stamp such as (1700000000.123456)";
    if (w.size() < 3) return where + "expected (TIME) INTERFACE ID#DATA";
    if (w.size() > 4 || (w.size() == 4 && w[3] != "T" && w[3] != "R"))
      return where + "unexpected \"" + w.back() + "\" after the frame (only T or R)";
    std::string why;
    switch (ReadFrame(w[2], &f, &why)) {
      case Frame::kBad: return where + why;
      case Frame::kExtended: ++skipped->extended; continue;
      case Frame::kRemote: ++skipped->remote; continue;
      case Frame::kFd: ++skipped->fd; continue;
      case Frame::kClassic: break;
    }
    f.sent = w.size() == 4 && w[3] == "T";
    // A clock stepping back is replayed without reordering.
    if (f.time_us < previous) f.time_us = previous;
    previous = f.time_us;
    frames->push_back(f);
  }
  return "";
}

std::string FormatCanLogLine(const CanLogFrame& f, const std::string& interface) {
  char head[64];
  snprintf(head, sizeof head, "(%llu.%06llu) %s %03X#", static_cast<unsigned long long>(f.time_us / 1000000),
           static_cast<unsigned long long>(f.time_us % 1000000), interface.c_str(), f.id);
  std::string line = head;
  uint8_t bytes = f.length > 8 ? 8 : f.length;
  for (uint8_t i = 0; i < bytes; ++i) {
    char b[3];
    snprintf(b, sizeof b, "%02X", f.data[i]);
    line += b;
  }
  if (f.length > 8) {
    char code[8];
    snprintf(code, sizeof code, "_%X", f.length);
    line += code;
  }
  return line + (f.sent ? " T\n" : "\n");
}

}  // namespace host
