#include "host/runners/scope_signals.h"

#include <ctype.h>
#include <errno.h>
#include <math.h>
#include <stdlib.h>

namespace host {
namespace {

constexpr size_t kMaxCsvRows = 10000000;

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

std::string Trim(const std::string& s) {
  size_t a = s.find_first_not_of(" \t\"");
  if (a == std::string::npos) return "";
  size_t b = s.find_last_not_of(" \t\"");
  return s.substr(a, b - a + 1);
}

// A whole decimal integer (optional sign), within int64.
bool ParseInteger(const std::string& text, int64_t* value) {
  if (text.empty()) return false;
  size_t i = text[0] == '-' || text[0] == '+' ? 1 : 0;
  if (i == text.size()) return false;
  for (size_t k = i; k < text.size(); ++k)
    if (text[k] < '0' || text[k] > '9') return false;
  errno = 0;
  long long v = strtoll(text.c_str(), nullptr, 10);
  if (errno == ERANGE) return false;
  *value = v;
  return true;
}

int32_t Clamp32(double v) {
  if (v > 2147483647.0) return INT32_MAX;
  if (v < -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(v);
}

std::string Where(size_t line, size_t column) {
  return "line " + std::to_string(line) + ", column " + std::to_string(column) + ": ";
}

}  // namespace

bool ParseSignalOption(const std::string& text, int* channel, SignalShape* shape, std::string* error) {
  size_t eq = text.find('=');
  int64_t k = -1;
  if (eq == std::string::npos || !ParseInteger(text.substr(0, eq), &k) || k < 0 || k > 9) {
    *error = "--signal " + text + ": expected CHANNEL=KIND:ARGS with CHANNEL 0 to 9";
    return false;
  }
  std::vector<std::string> parts = Split(text.substr(eq + 1), ':');
  std::vector<int64_t> args;
  for (size_t i = 1; i < parts.size(); ++i) {
    int64_t v;
    if (!ParseInteger(parts[i], &v)) {
      *error = "--signal " + text + ": \"" + parts[i] + "\" is not a whole number";
      return false;
    }
    args.push_back(v);
  }
  SignalShape s;
  const std::string& kind = parts[0];
  size_t wanted = 0;
  if (kind == "sine") s.kind = SignalShape::kSine, wanted = 2;
  else if (kind == "square") s.kind = SignalShape::kSquare, wanted = 2;
  else if (kind == "ramp") s.kind = SignalShape::kRamp, wanted = 2;
  else if (kind == "noise") s.kind = SignalShape::kNoise, wanted = 1;
  else if (kind == "pulse") s.kind = SignalShape::kPulse, wanted = 2;
  else if (kind == "const") s.kind = SignalShape::kConst, wanted = 1;
  else {
    *error = "--signal " + text + ": unknown kind \"" + kind +
             "\" (sine, square, ramp, noise, pulse, const)";
    return false;
  }
  if (args.size() != wanted) {
    *error = "--signal " + text + ": " + kind + " takes " + std::to_string(wanted) + " numbers";
    return false;
  }
  if (s.kind == SignalShape::kPulse) {
    s.period_ms = args[0];
    s.width_ms = args[1];
  } else {
    s.amplitude = args[0];
    if (wanted == 2) s.period_ms = args[1];
  }
  bool periodic = wanted == 2;
  if (periodic && (s.period_ms < 1 || s.period_ms > 100000000)) {
    *error = "--signal " + text + ": the period must lie in 1 to 100000000 ms";
    return false;
  }
  if (s.amplitude < INT32_MIN || s.amplitude > INT32_MAX || s.width_ms < 0) {
    *error = "--signal " + text + ": the value must fit 32 bits (width not negative)";
    return false;
  }
  *channel = static_cast<int>(k);
  *shape = s;
  return true;
}

int32_t SignalValue(const SignalShape& shape, int channel, uint64_t t) {
  double a = static_cast<double>(shape.amplitude);
  uint64_t period = static_cast<uint64_t>(shape.period_ms);
  uint64_t phase = period > 0 ? t % period : 0;
  switch (shape.kind) {
    case SignalShape::kSine:
      return Clamp32(round(a * sin(2 * M_PI * static_cast<double>(phase) / static_cast<double>(period))));
    case SignalShape::kSquare:
      return Clamp32(phase < period / 2 ? a : -a);
    case SignalShape::kRamp:
      return Clamp32(-a + 2 * a * static_cast<double>(phase) / static_cast<double>(period));
    case SignalShape::kNoise: {
      // A small hash of (channel, t): the same recording every run.
      uint64_t x = (t + 1) * 0x9E3779B97F4A7C15ull ^ (static_cast<uint64_t>(channel) << 56);
      x ^= x >> 29;
      x *= 0xBF58476D1CE4E5B9ull;
      x ^= x >> 32;
      double unit = static_cast<double>(x % 2000001) / 1000000.0 - 1.0;
      return Clamp32(round(a * unit));
    }
    case SignalShape::kPulse:
      return phase < static_cast<uint64_t>(shape.width_ms) ? 1 : 0;
    case SignalShape::kConst:
      return Clamp32(a);
    case SignalShape::kNone:
      break;
  }
  return 0;
}

Recording GenerateRecording(const SignalShape (&signals)[kGlintChannels], uint32_t count,
                            int64_t trigger_row) {
  Recording r;
  r.rows.resize(count);
  for (uint32_t t = 0; t < count; ++t) {
    GlintRow& row = r.rows[t];
    row = GlintRow{};
    for (int k = 0; k < kGlintChannels; ++k) row.values[k] = SignalValue(signals[k], k, t);
    row.trigger = trigger_row >= 0 && t >= trigger_row ? 1 : 0;
  }
  r.columns = kGlintChannels;
  return r;
}

bool ParseCsvRecording(const std::string& text, Recording* out, std::string* error) {
  Recording r;
  std::vector<std::string> lines = Split(text, '\n');
  char separator = 0;
  int cells_per_row = -1;
  bool header_seen = false;
  for (size_t n = 0; n < lines.size(); ++n) {
    std::string line = lines[n];
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (Trim(line).empty()) continue;
    if (separator == 0) {
      size_t at = line.find_first_of(",;\t");
      separator = at == std::string::npos ? ',' : line[at];
    }
    std::vector<std::string> cells = Split(line, separator);
    if (!header_seen && r.rows.empty()) {
      int64_t v;
      if (!ParseInteger(Trim(cells[0]), &v)) {
        // A header line: a last cell named "trigger" makes that column the trigger.
        header_seen = true;
        std::string last = Trim(cells.back());
        for (char& c : last) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        cells_per_row = static_cast<int>(cells.size());
        r.has_trigger = last == "trigger" || cells_per_row == kGlintChannels + 1;
        int channels = cells_per_row - (r.has_trigger ? 1 : 0);
        if (channels < 1 || channels > kGlintChannels) {
          *error = Where(n + 1, 1) + "the header names " + std::to_string(channels) +
                   " channel columns (1 to 10)";
          return false;
        }
        continue;
      }
    }
    if (cells_per_row < 0) {
      cells_per_row = static_cast<int>(cells.size());
      if (cells_per_row > kGlintChannels + 1) {
        *error = Where(n + 1, kGlintChannels + 2) + "more than 10 channels and a trigger column";
        return false;
      }
      r.has_trigger = cells_per_row == kGlintChannels + 1;
    }
    if (static_cast<int>(cells.size()) != cells_per_row) {
      *error = Where(n + 1, cells.size() < static_cast<size_t>(cells_per_row) ? cells.size() + 1
                                                                             : cells_per_row + 1) +
               "expected " + std::to_string(cells_per_row) + " cells, found " +
               std::to_string(cells.size());
      return false;
    }
    if (r.rows.size() >= kMaxCsvRows) {
      *error = Where(n + 1, 1) + "more than " + std::to_string(kMaxCsvRows) + " rows";
      return false;
    }
    GlintRow row{};
    int channels = cells_per_row - (r.has_trigger ? 1 : 0);
    for (int c = 0; c < cells_per_row; ++c) {
      std::string cell = Trim(cells[static_cast<size_t>(c)]);
      int64_t v;
      if (!ParseInteger(cell, &v)) {
        *error = Where(n + 1, static_cast<size_t>(c) + 1) + "\"" + cell + "\" is not a whole number";
        return false;
      }
      if (v < INT32_MIN || v > INT32_MAX) {
        *error = Where(n + 1, static_cast<size_t>(c) + 1) + cell + " does not fit 32 bits";
        return false;
      }
      if (c < channels) row.values[c] = static_cast<int32_t>(v);
      else row.trigger = v != 0 ? 1 : 0;
    }
    r.rows.push_back(row);
  }
  if (r.rows.empty()) {
    *error = "no data rows";
    return false;
  }
  r.columns = cells_per_row - (r.has_trigger ? 1 : 0);
  *out = std::move(r);
  return true;
}

}  // namespace host
