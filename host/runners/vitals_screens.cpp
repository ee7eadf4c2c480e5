#include "host/runners/vitals_screens.h"

#include <stdlib.h>
#include <string.h>

#include <set>

#include "vitals/host_layout.h"

namespace host {
namespace {

using RecordFn = int (*)(void*);

const std::set<std::string> kPortScreens = {"inputs", "outputs", "iopan"};
const std::set<std::string> kInterfaceScreens = {"pb1", "pb2", "bz1", "bz2"};
const char* const kModuleFields[7] = {"address", "data", "status", "count", "version", "error", "down"};
const char* const kSlmChannelValues[] = {"detected", "zero", "active", "index", "action", "position", "speed",
                                         "status", "fault", "reference", "switch", "error", "filter", "rating",
                                         "type", "maxspeed", "scaling", "i2t", "version"};

bool ParseNumber(const std::string& text, long* out) {
  if (text.empty()) return false;
  char* end = nullptr;
  long v = strtol(text.c_str(), &end, 0);
  if (*end != '\0') return false;
  *out = v;
  return true;
}

std::string Range(long min, long max) { return std::to_string(min) + " to " + std::to_string(max); }

// The export names of a screen: PREFIX, then DATA (or CONT, ZMENA).
std::pair<std::string, std::string> Exports(const std::string& screen) {
  if (screen == "inputs") return {"PREFIX_INPUT", "DATA_INPUT"};
  if (screen == "outputs") return {"PREFIX_OUTPUT", "DATA_OUTPUT"};
  if (screen == "leds") return {"CLR_PREFIX_LED", "ZMENA_LED"};
  if (screen == "keyboard") return {"PREFIX_TESTTLAC", "CONT_TESTTLAC"};
  std::string upper;
  for (char c : screen) upper += static_cast<char>(toupper(static_cast<unsigned char>(c)));
  return {"PREFIX_" + upper, "DATA_" + upper};
}

}  // namespace

VitalsScreens::VitalsScreens(VitalsRunner& runner, HostMemory& memory) : runner_(runner), memory_(memory) {
  pb_bzh_.commands = commands_;
  pb_bzh_.signals = signals_;
  leds_.leds = &led_byte_;
  leds_.mode = &led_mode_;
  slm_.base = memory.data();
  slm_.errors = slm_errors_;
  slm_.drive_command = &slm_command_;
  slm_.available = 1;
  servo_pointers_ = {&servo_mask_, servo_links_, servo_differences_, servo_entries_, servo_positions_};
  servo_.pointers = &servo_pointers_;
  servo_.available = 1;
  trans_.axis_codes = axis_codes_;
}

const std::vector<std::string>& VitalsScreens::Names() {
  static const std::vector<std::string> names = {"inputs", "outputs", "iopan", "dgnpan", "pb1", "pb2", "bz1",
                                                 "bz2", "leds", "keyboard", "slm", "servo", "ecc", "trans",
                                                 "nkor", "su4"};
  return names;
}

bool VitalsScreens::Known(const std::string& screen) {
  for (const std::string& n : Names())
    if (n == screen) return true;
  return false;
}

std::string VitalsScreens::Apply(const std::string& screen, const std::vector<std::string>& settings) {
  // A sample machine: ports with a pattern, a few hand-set bits, a busy
  // panel, drives in motion.
  for (uint32_t n = 0; n < 40; ++n) memory_.Set<uint8_t>(kPortInputs + n, static_cast<uint8_t>(n * 37 + 5));
  for (uint32_t n = 0; n < 30; ++n) {
    memory_.Set<uint8_t>(kPortOutputs + n, static_cast<uint8_t>(n * 53 + 1));
    memory_.Set<uint8_t>(kPortGroupsC + n, static_cast<uint8_t>(n * 11));
    memory_.Set<uint8_t>(kPortGroupsVI + n, static_cast<uint8_t>(0xF0 - n));
  }
  for (uint32_t n = 0; n < 9; ++n) {
    memory_.Set<uint8_t>(kPortPanel1 + n, static_cast<uint8_t>(1u << (n % 8)));
    memory_.Set<uint8_t>(kPortPanel2 + n, static_cast<uint8_t>(0x80u >> (n % 8)));
  }
  for (uint32_t p = 0; p < 2; ++p)
    for (uint32_t m = 0; m < 8; ++m) {
      uint32_t at = kPanelModules + 0x100 * p + kPanelModuleBytes * m;
      memory_.Set<uint8_t>(at, static_cast<uint8_t>(0x10 + m));
      memory_.Set<uint8_t>(at + 1, static_cast<uint8_t>(0x5A ^ m));
      memory_.Set<uint8_t>(at + kPanelOutputHalf, static_cast<uint8_t>(0x10 + m));
      memory_.Set<uint8_t>(at + kPanelOutputHalf + 1, static_cast<uint8_t>(0xA5 >> m));
      memory_.Set<uint8_t>(at + 4, 0x21);
    }
  commands_[0] = 0x0B;
  signals_[0] = 0x05;
  for (uint32_t c = 0; c < 16; ++c) {
    uint32_t block = kSlmChannels + kSlmChannelBytes * c;
    for (uint32_t k = 0; k < 6; ++k) {
      memory_.Set<int16_t>(block + 2 * k, static_cast<int16_t>(100 * (k + 1) + c));
      memory_.Set<int16_t>(block + 12 + 2 * k, static_cast<int16_t>(-50 * (k + 1)));
    }
    memory_.Set<uint16_t>(block + 36, 12);
    memory_.Set<uint16_t>(block + 144, 650);
    memory_.Set<uint16_t>(block + 146, 3);
    memory_.Set<uint16_t>(block + 148, 3000);
    memory_.Set<uint16_t>(block + 150, 1024);
    memory_.Set<uint16_t>(block + 152, 900);
    memory_.Set<uint16_t>(block + 158, 0x4033);
    memory_.Set<uint8_t>(kSlmActive + c, 1);
    memory_.Set<uint16_t>(kSlmPosition + 2 * c, static_cast<uint16_t>(1000 * c + 345));
    memory_.Set<uint16_t>(kSlmStatus + 2 * c, 0x0003);
  }
  memory_.Set<uint8_t>(kSlmDetected, 0x0F);
  memory_.Set<int16_t>(kSlmSpeed, 1500);
  slm_command_ = 0x0001;
  servo_mask_ = 0x003F;
  for (int c = 0; c < 16; ++c) {
    servo_links_[2 * c] = static_cast<uint8_t>(0x11 * (c % 4));
    servo_differences_[c] = (c % 2 == 0 ? 1 : -1) * 5 * (c + 1);
    servo_entries_[c] = 100000 * c;
    servo_positions_[c] = 100000 * c + servo_differences_[c];
  }
  ecc_.vendor = 0x8086;
  ecc_.device = 0x2578;
  ecc_.supported = ecc_.enabled = 1;
  ecc_.dimm[0] = 0x80;
  ecc_.dimm[1] = 0x82;
  ecc_.system_temperature = 38;
  ecc_.processor_temperature = 51;
  const uint32_t codes[6] = {36, 37, 38, 1, 2, 3};
  for (uint32_t k = 0; k < 6; ++k) {
    axis_codes_[k] = codes[k];
    memory_.Set<int32_t>(kTransFictive + 4 * k, static_cast<int32_t>(1250 * (k + 1)));
    memory_.Set<int32_t>(kTransReal + 4 * k, static_cast<int32_t>(-1250 * (k + 1) + 7));
  }
  memory_.Set<uint8_t>(kTransKinds, 1);
  memory_.Set<int32_t>(kTransAngles, 30000);

  for (const std::string& s : settings) {
    size_t eq = s.find('=');
    if (eq == std::string::npos) return s + ": NAME=VALUE";
    std::string name = s.substr(0, eq);
    int index = -1;
    size_t at = name.find('@');
    if (at != std::string::npos) {
      long i = 0;
      if (!ParseNumber(name.substr(at + 1), &i) || i < 0 || i > 99) return s + ": @N takes a number";
      index = static_cast<int>(i);
      name = name.substr(0, at);
    }
    long value = 0;
    if (!ParseNumber(s.substr(eq + 1), &value)) return s + ": the value is not a number";
    std::string why = Set(screen, name, index, value);
    if (!why.empty()) return s + ": " + why;
  }
  return "";
}

std::string VitalsScreens::Set(const std::string& screen, const std::string& name, int index, long value) {
  // Bounds of the index and the value, checked before anything is written.
  auto check = [&](int lo, int hi, long vlo, long vhi) -> std::string {
    if (index < lo || index > hi) return lo == hi ? "takes no @N" : "@N from " + Range(lo, hi);
    if (value < vlo || value > vhi) return "the value from " + Range(vlo, vhi);
    return "";
  };
  std::string why;
  bool ports = kPortScreens.count(screen) != 0;
  if (ports && (name == "manual" || name == "order")) {
    if (!(why = check(-1, -1, 0, 1)).empty()) return why;
    memory_.Set<uint8_t>(name == "manual" ? kPortManualControl : kPortColumnOrder, static_cast<uint8_t>(value));
    return "";
  }
  if (screen == "outputs" && name == "format") {
    if (!(why = check(-1, -1, 0, 255)).empty()) return why;
    inout_.output_format = static_cast<uint8_t>(value);
    return "";
  }
  if (ports) {
    struct Family {
      const char* screen;
      const char* name;
      uint32_t base;
      int first, last;
    } families[] = {{"inputs", "in", kPortInputs - 1, 1, 40},   {"outputs", "out", kPortOutputs, 0, 29},
                    {"outputs", "c", kPortGroupsC, 0, 29},      {"outputs", "vi", kPortGroupsVI, 0, 29},
                    {"iopan", "mat", kPortPanel1, 0, 8},        {"iopan", "mat2", kPortPanel2, 0, 8}};
    bool mark = name == "mark" || name == "mark2";
    for (const Family& f : families) {
      if (screen != f.screen || (name != f.name && !(mark && (f.name == std::string("in") ||
                                                            f.name == std::string("out") ||
                                                            f.name == std::string("mat")))))
        continue;
      if (!(why = check(f.first, f.last, 0, 255)).empty()) return why;
      uint32_t offset = f.base + static_cast<uint32_t>(index);
      if (mark) offset += name == "mark" ? kPortMarksA : kPortMarksB;
      memory_.Set<uint8_t>(offset, static_cast<uint8_t>(value));
      return "";
    }
  }
  if (screen == "dgnpan") {
    if (name == "panel") {
      if (!(why = check(-1, -1, 1, 2)).empty()) return why;
      dgnpan_.panel = static_cast<uint8_t>(value);
      return "";
    }
    for (int half = 0; half < 2; ++half)
      for (uint32_t f = 0; f < 7; ++f) {
        if (name != std::string(half == 0 ? "in." : "out.") + kModuleFields[f]) continue;
        if (!(why = check(0, 7, 0, 255)).empty()) return why;
        uint32_t panel = dgnpan_.panel == 2 ? 0x100 : 0;
        memory_.Set<uint8_t>(kPanelModules + panel + kPanelModuleBytes * static_cast<uint32_t>(index) +
                                 (half == 0 ? 0u : static_cast<uint32_t>(kPanelOutputHalf)) + f,
                             static_cast<uint8_t>(value));
        return "";
      }
  }
  if (kInterfaceScreens.count(screen) && (name == "pb" || name == "bzh")) {
    if (!(why = check(0, 7, 0, 255)).empty()) return why;
    (name == "pb" ? commands_ : signals_)[index] = static_cast<uint8_t>(value);
    return "";
  }
  if (screen == "keyboard" && (name == "redirection" || name == "pot1" || name == "pot2")) {
    if (!(why = check(-1, -1, 0, name == "redirection" ? 255 : 65535)).empty()) return why;
    if (name == "redirection") keyboard_.redirection = static_cast<uint8_t>(value);
    else keyboard_.potentiometer[name == "pot1" ? 0 : 1] = static_cast<uint16_t>(value);
    return "";
  }
  if ((screen == "slm" || screen == "servo") && name == "available") {
    if (!(why = check(-1, -1, 0, 1)).empty()) return why;
    (screen == "slm" ? slm_.available : servo_.available) = static_cast<uint8_t>(value);
    return "";
  }
  if (screen == "slm") {
    if (name == "command") {
      if (!(why = check(-1, -1, 0, 0xFFFF)).empty()) return why;
      slm_command_ = static_cast<uint16_t>(value);
      return "";
    }
    uint32_t c = static_cast<uint32_t>(index - 1), block = kSlmChannels + kSlmChannelBytes * c;
    for (int set = 0; set < 2; ++set)
      for (uint32_t k = 1; k <= 6; ++k)
        if (name == std::string(set == 0 ? "pid" : "pidb") + std::to_string(k)) {
          if (!(why = check(1, 16, -32768, 32767)).empty()) return why;
          memory_.Set<int16_t>(block + (set == 0 ? 0 : 12) + 2 * (k - 1), static_cast<int16_t>(value));
          return "";
        }
    for (const char* known : kSlmChannelValues) {
      if (name != known) continue;
      bool word = name == "position" || name == "status" || name == "fault" || name == "reference" ||
                  name == "filter" || name == "rating" || name == "type" || name == "maxspeed" ||
                  name == "scaling" || name == "i2t" || name == "version";
      bool flag = name == "detected" || name == "zero";
      if (name == "speed") why = check(1, 8, -32768, 32767);
      else if (name == "error") why = check(1, 8, 0, 255);
      else why = check(1, 16, 0, flag ? 1 : word ? 65535 : 255);
      if (!why.empty()) return why;
      const std::pair<const char*, uint32_t> memory_words[] = {
          {"position", kSlmPosition}, {"status", kSlmStatus}, {"fault", kSlmFault}, {"reference", kSlmReference}};
      const std::pair<const char*, uint32_t> block_words[] = {{"filter", 36},   {"rating", 144}, {"type", 146},
                                                              {"maxspeed", 148}, {"scaling", 150}, {"i2t", 152},
                                                              {"version", 158}};
      const std::pair<const char*, uint32_t> bytes[] = {{"active", kSlmActive}, {"index", kSlmIndexOffset},
                                                        {"action", kSlmAction}, {"switch", kSlmReferenceSwitch}};
      for (const auto& [n, offset] : memory_words)
        if (name == n) memory_.Set<uint16_t>(offset + 2 * c, static_cast<uint16_t>(value));
      for (const auto& [n, offset] : block_words)
        if (name == n) memory_.Set<uint16_t>(block + offset, static_cast<uint16_t>(value));
      for (const auto& [n, offset] : bytes)
        if (name == n) memory_.Set<uint8_t>(offset + c, static_cast<uint8_t>(value));
      if (name == "speed") memory_.Set<int16_t>(kSlmSpeed + 2 * c, static_cast<int16_t>(value));
      if (name == "error") slm_errors_[c] = static_cast<uint8_t>(value);
      if (flag) {
        uint32_t offset = (name == "detected" ? kSlmDetected : kSlmZeroFlag) + c / 4;
        uint8_t bits = memory_.Get<uint8_t>(offset), bit = static_cast<uint8_t>(1u << (c % 4));
        memory_.Set<uint8_t>(offset, static_cast<uint8_t>(value ? bits | bit : bits & ~bit));
      }
      return "";
    }
  }
  if (screen == "servo") {
    if (name == "enable") {
      if (!(why = check(-1, -1, 0, 0xFFFF)).empty()) return why;
      servo_mask_ = static_cast<uint16_t>(value);
      return "";
    }
    if (name == "link") {
      if (!(why = check(1, 16, 0, 255)).empty()) return why;
      servo_links_[2 * (index - 1)] = static_cast<uint8_t>(value);
      return "";
    }
    int32_t* values = name == "dif" ? servo_differences_ : name == "enter" ? servo_entries_
                      : name == "pos" ? servo_positions_ : nullptr;
    if (values != nullptr) {
      if (!(why = check(1, 16, INT32_MIN, INT32_MAX)).empty()) return why;
      values[index - 1] = static_cast<int32_t>(value);
      return "";
    }
  }
  if (screen == "ecc") {
    const std::pair<const char*, uint8_t*> bytes[] = {
        {"supported", &ecc_.supported}, {"enabled", &ecc_.enabled}, {"multibit", &ecc_.multi_bit},
        {"option", &ecc_.display_option}, {"systemp", &ecc_.system_temperature},
        {"proctemp", &ecc_.processor_temperature}};
    for (const auto& [n, field] : bytes)
      if (name == n) {
        if (!(why = check(-1, -1, 0, 255)).empty()) return why;
        *field = static_cast<uint8_t>(value);
        return "";
      }
    if (name == "vendor" || name == "device") {
      if (!(why = check(-1, -1, 0, 0xFFFF)).empty()) return why;
      (name == "vendor" ? ecc_.vendor : ecc_.device) = static_cast<uint16_t>(value);
      return "";
    }
    if (name == "dimm") {
      if (!(why = check(0, 2, 0, 255)).empty()) return why;
      ecc_.dimm[index] = static_cast<uint8_t>(value);
      return "";
    }
  }
  if (screen == "trans") {
    if (name == "axis") {
      if (!(why = check(1, 6, 0, 255)).empty()) return why;
      axis_codes_[index - 1] = static_cast<uint32_t>(value);
      return "";
    }
    const std::pair<const char*, uint32_t> values[] = {{"fictive", kTransFictive}, {"real", kTransReal}};
    for (const auto& [n, offset] : values)
      if (name == n) {
        if (!(why = check(1, 6, INT32_MIN, INT32_MAX)).empty()) return why;
        memory_.Set<int32_t>(offset + 4 * static_cast<uint32_t>(index - 1), static_cast<int32_t>(value));
        return "";
      }
    if (name == "kind") {
      if (!(why = check(1, 3, 0, 1)).empty()) return why;
      memory_.Set<uint8_t>(kTransKinds + static_cast<uint32_t>(index - 1), static_cast<uint8_t>(value));
      return "";
    }
    if (name == "angle") {
      if (!(why = check(1, 3, INT32_MIN, INT32_MAX)).empty()) return why;
      memory_.Set<int32_t>(kTransAngles + 4 * static_cast<uint32_t>(index - 1), static_cast<int32_t>(value));
      return "";
    }
  }
  return "not a setting of " + screen + " (see the option reference)";
}

std::string VitalsScreens::ParseHeld(const std::string& text, std::vector<HeldKeys>* steps) {
  steps->clear();
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(';', start);
    if (end == std::string::npos) end = text.size();
    std::string step = text.substr(start, end - start);
    HeldKeys keys = kNoKeysHeld;
    int n = 0;
    size_t s = 0;
    while (!step.empty() && s <= step.size()) {
      size_t comma = step.find(',', s);
      if (comma == std::string::npos) comma = step.size();
      long v = 0;
      if (!ParseNumber(step.substr(s, comma - s), &v) || v < 0 || v > 255)
        return "\"" + step + "\": key numbers 0 to 255, separated by commas";
      if (n == 4) return "\"" + step + "\": at most four keys at once";
      keys[n++] = static_cast<int>(v);
      s = comma + 1;
    }
    steps->push_back(keys);
    start = end + 1;
  }
  return "";
}

void VitalsScreens::Call(const char* name, void* record) {
  if (auto fn = runner_.library().Bind<RecordFn>(name)) fn(record);
}

bool VitalsScreens::Open(const ScreenRun& run) {
  const std::string& s = run.screen;
  void* record = nullptr;
  if (kPortScreens.count(s)) {
    inout_.layout = run.layout;
    record = &inout_;
  } else if (s == "dgnpan") {
    dgnpan_.layout = run.layout;
    record = &dgnpan_;
  } else if (kInterfaceScreens.count(s)) {
    pb_bzh_.layout = run.layout;
    record = &pb_bzh_;
  } else if (s == "leds") {
    led_byte_ = run.leds;
    led_mode_ = run.labelled ? 1 : 0;
    record = &leds_;
  } else if (s == "keyboard") {
    keyboard_.layout = run.layout;
    keyboard_.keyboard = run.keyboard;
    record = &keyboard_;
  } else if (s == "slm") {
    slm_.layout = run.layout;
    record = &slm_;
  } else if (s == "servo") {
    servo_.layout = run.layout;
    record = &servo_;
  } else if (s == "ecc") {
    ecc_.layout = run.layout;
    record = &ecc_;
  } else if (s == "trans") {
    trans_.layout = run.layout;
    record = &trans_;
  } else if (s == "nkor") {
    nkor_.layout = run.layout;
    record = &nkor_;
  } else if (s == "su4") {
    su4_.layout = run.layout;
    record = &su4_;
  }
  if (record == nullptr) return false;
  screen_ = s;
  record_ = record;
  auto [prefix, data] = Exports(s);
  data_ = data;
  Call(prefix.c_str(), record);
  return true;
}

void VitalsScreens::Data(int key) {
  if (record_ == nullptr) return;
  if (screen_ == "slm") slm_.key = static_cast<uint8_t>(key);
  Call(data_.c_str(), record_);
}

void VitalsScreens::Cont(const HeldKeys& held) {
  if (record_ != &keyboard_) return;
  for (int k = 0; k < 4; ++k) keyboard_.held[k] = held[k] < 0 ? 0xFF : static_cast<uint8_t>(held[k]);
  Call(data_.c_str(), record_);
}

}  // namespace host
