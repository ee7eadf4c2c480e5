#include "host/runners/panel_settings.h"

#include <stdlib.h>
#include <string.h>

#include <map>

namespace host {
namespace {

// A decimal value as the host's BCD word with `decimals` places.
bool ToBcd(const std::string& text, uint32_t decimals, uint32_t* out) {
  std::string s = text;
  bool negative = !s.empty() && s[0] == '-';
  if (negative) s = s.substr(1);
  size_t point = s.find('.');
  std::string whole = s.substr(0, point), fraction = point == std::string::npos ? "" : s.substr(point + 1);
  if ((whole + fraction).empty() || fraction.size() > decimals) return false;
  for (char c : whole + fraction)
    if (c < '0' || c > '9') return false;
  std::string digits = whole + fraction + std::string(decimals - fraction.size(), '0');
  digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
  if (digits.size() > 7) return false;
  uint32_t bcd = 0;
  for (char c : digits) bcd = bcd << 4 | static_cast<uint32_t>(c - '0');
  *out = bcd | (negative && bcd != 0 ? 0x80000000u : 0);
  return true;
}

bool Number(const std::string& text, long min, long max, int base, long* out) {
  char* end = nullptr;
  long v = strtol(text.c_str(), &end, base);
  if (text.empty() || *end != '\0' || v < min || v > max) return false;
  *out = v;
  return true;
}

uint32_t AxisCode(char letter) {
  const char* p = strchr("ABC", letter);
  if (p != nullptr && letter != '\0') return static_cast<uint32_t>(1 + (p - "ABC"));
  p = strchr("UVWXYZ", letter);
  return p != nullptr && letter != '\0' ? static_cast<uint32_t>(33 + (p - "UVWXYZ")) : 0;
}

}  // namespace

std::string ApplyPanelSettings(const std::vector<std::string>& settings, bool variant, char machine_type,
                               PanelHostData* d, HostMemory& memory) {
  std::map<std::string, std::string> values = {
      {"shift", "2"}, {"correction", "07"}, {"digit", "1"}, {"status", "1100"}, {"radius", "1.25"},
      {"length1", "10.5"}, {"length2", "-20.25"}, {"length3", "3"}, {"length4", "4.4"}, {"length5", "5.55"},
      {"length6", "6.666"}, {"decimals", "3"}, {"axes", "XYZ"}, {"tool", "3"}, {"rows", "3"}, {"mode", "0"},
      {"process", "0"}, {"counter", "1250"}, {"swap", "0"}, {"special", "0"}, {"warning", "0"}};
  for (const std::string& s : settings) {
    size_t eq = s.find('=');
    if (eq == std::string::npos || !values.count(s.substr(0, eq)) )
      return s + ": NAME=VALUE with NAME one of shift, correction, digit, process, status, swap, radius, "
                 "length1 to length6, rows, mode, decimals, axes, tool, table, counter, special, warning";
    values[s.substr(0, eq)] = s.substr(eq + 1);
  }
  d->machine_type = machine_type;
  if (variant) d->words[kWordVariant] = 1u << 28;
  long v = 0;
  auto number = [&](const char* name, long min, long max, int base = 10) -> bool {
    return Number(values[name], min, max, base, &v);
  };
  if (!number("decimals", 3, 5)) return "decimals=" + values["decimals"] + ": 3, 4 or 5";
  uint32_t decimals = static_cast<uint32_t>(v);
  d->words[kWordDecimals] = decimals << 8;
  if (!number("shift", 0, 9)) return "shift=" + values["shift"] + ": a digit";
  d->technology[kTechShift] = static_cast<uint8_t>(v);
  if (!number("correction", 0, 99)) return "correction=" + values["correction"] + ": 0 to 99";
  uint32_t correction = static_cast<uint32_t>(v);
  d->technology[kTechCorrection] = static_cast<uint8_t>((v / 10) << 4 | (v % 10));
  if (!number("digit", 0, 9)) return "digit=" + values["digit"] + ": a digit";
  d->technology[kTechDigit] = static_cast<uint8_t>('0' + v);
  if (!number("process", 0, 255)) return "process=" + values["process"] + ": 0 to 255";
  d->technology[kTechProcess] = static_cast<uint8_t>(v);
  if (!number("status", 0, 0xFFFF, 16)) return "status=" + values["status"] + ": four hexadecimal digits";
  d->technology[kTechStatus] = static_cast<uint8_t>(v);
  d->technology[kTechStatus + 1] = static_cast<uint8_t>(v >> 8);
  if (!number("swap", 0, 1)) return "swap=" + values["swap"] + ": 0 or 1";
  d->digit_swap = v ? 0x100 : 0;
  if (!number("rows", 3, 6)) return "rows=" + values["rows"] + ": 3 to 6";
  for (long k = 0; k < 3; ++k) d->words[kWordRows4 + k] = k + 3 < v ? 1 : 0;
  if (!number("mode", 0, 15)) return "mode=" + values["mode"] + ": 0 to 15";
  d->words[kWordDisplayMode] = static_cast<uint32_t>(v) << 24;
  const std::string& axes = values["axes"];
  for (size_t k = 0; k < 3; ++k) {
    uint32_t code = k < axes.size() ? AxisCode(axes[k]) : 0;
    if (axes.size() != 3 || code == 0) return "axes=" + axes + ": three letters of A, B, C, U, V, W, X, Y, Z";
    d->words[kWordAxis1 + k] = code;
  }
  if (!number("tool", 0, 9)) return "tool=" + values["tool"] + ": a digit";
  d->tool_digits[correction] = static_cast<uint8_t>(v);
  if (values.count("table")) d->table_name = values["table"];
  if (!number("special", 0, 1)) return "special=" + values["special"] + ": 0 or 1";
  d->special_word = v ? 1u << 28 : 0;
  if (!number("counter", -99999999, 999999999)) return "counter=" + values["counter"] + ": a whole number";
  memory.Set<int32_t>(kPanelFlags + kPanelCounter, static_cast<int32_t>(v));
  memory.Set<uint8_t>(kPanelFlags + kPanelFlagCounter, 1);
  memory.Set<uint8_t>(kPanelFlags + kPanelFlag90, 1);
  if (!number("warning", 0, 1)) return "warning=" + values["warning"] + ": 0 or 1";
  memory.Set<uint8_t>(kPanelFlags + kPanelFlagWarning, static_cast<uint8_t>(v));
  const char* names[7] = {"radius", "length1", "length2", "length3", "length4", "length5", "length6"};
  for (uint32_t k = 0; k < 7; ++k) {
    uint32_t bcd = 0;
    if (!ToBcd(values[names[k]], decimals, &bcd))
      return std::string(names[k]) + "=" + values[names[k]] + ": a decimal number with at most " +
             std::to_string(decimals) + " decimals and 7 digits";
    memory.Set<uint32_t>(kPanelCorrections + kPanelCorrectionBytes * correction + 4 * k, bcd);
  }
  return "";
}

}  // namespace host
