#include "host/services/cnc_state.h"

#include <math.h>
#include <string.h>

#include <sstream>

#include "kerf/iso_block.h"

namespace host {
namespace {

uint32_t AxisCode(char letter) {
  switch (letter) {
    case 'A': return 1;
    case 'B': return 2;
    case 'C': return 3;
    case 'U': return 33;
    case 'V': return 34;
    case 'W': return 35;
    case 'X': return 36;
    case 'Y': return 37;
    case 'Z': return 38;
    default: return 0;
  }
}

std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

bool ParseUnsigned(const std::string& s, uint32_t max, uint32_t* out) {
  if (s.empty() || s.size() > 9 || s.find_first_not_of("0123456789") != std::string::npos) return false;
  unsigned long v = std::stoul(s);
  if (v > max) return false;
  *out = static_cast<uint32_t>(v);
  return true;
}

bool ParseReal(const std::string& s, double* out) {
  const char* p = s.c_str();
  return ReadIsoNumber(&p, out) && *p == '\0' && !s.empty();
}

// One line of a description; "" when it was taken, else the reason.
std::string ParseMachineLine(const std::vector<std::string>& w, MachineDescription* m) {
  const std::string& key = w[0];
  size_t args = w.size() - 1;
  auto count = [&](size_t n) { return args == n ? std::string() : key + " takes " + std::to_string(n) + " value" + (n == 1 ? "" : "s"); };
  if (key == "decimals") {
    if (!count(1).empty()) return count(1);
    if (w[1] != "3" && w[1] != "4" && w[1] != "5") return "decimals must be 3, 4 or 5";
    m->decimals = static_cast<uint32_t>(w[1][0] - '0');
  } else if (key == "axes") {
    if (!count(3).empty()) return count(3);
    for (int k = 0; k < 3; ++k) {
      if (w[k + 1].size() != 1 || (w[k + 1] != "-" && AxisCode(w[k + 1][0]) == 0))
        return "axis letter must be one of A B C U V W X Y Z or -, not \"" + w[k + 1] + "\"";
      m->axis_letter[k] = w[k + 1] == "-" ? ' ' : w[k + 1][0];
    }
  } else if (key == "plane" || key == "selector") {
    if (!count(1).empty()) return count(1);
    uint32_t v;
    if (!ParseUnsigned(w[1], 15, &v)) return key + " must be a number 0-15";
    (key == "plane" ? m->plane : m->selector) = v;
  } else if (key == "type") {
    if (!count(1).empty()) return count(1);
    if (w[1].size() != 1) return "type is one letter";
    m->type = w[1][0];
  } else if (key == "names") {
    if (!count(2).empty()) return count(2);
    for (int k = 0; k < 2; ++k) {
      if (w[k + 1].size() > static_cast<size_t>(kAxisNameMax)) return "an axis name holds at most 10 characters";
      m->names[k] = w[k + 1];
    }
    m->names_supplied = true;
  } else if (key == "order") {
    if (!count(1).empty()) return count(1);
    if (w[1] == "12") m->order[0] = 1;
    else if (w[1] == "13") m->order[1] = 1;
    else if (w[1] == "23") m->order[2] = 1;
    else return "order names a plane: 12, 13 or 23";
  } else if (key == "area" || key == "sheet") {
    if (!count(6).empty()) return count(6);
    double* box = key == "area" ? m->area : m->sheet;
    for (int k = 0; k < 6; ++k)
      if (!ParseReal(w[k + 1], &box[k])) return "\"" + w[k + 1] + "\" is not a number";
    for (int k = 0; k < 3; ++k)
      if (box[k] > box[k + 3]) return key + ": a minimum lies above its maximum";
    (key == "area" ? m->area_set : m->sheet_set) = true;
  } else {
    return "unknown setting \"" + key + "\"";
  }
  return "";
}

std::string StripComment(const std::string& line, char mark) {
  size_t at = line.find(mark);
  return at == std::string::npos ? line : line.substr(0, at);
}

}  // namespace

bool ParseMachineDescription(const std::string& text, const std::string& file,
                             MachineDescription* out, std::string* error) {
  MachineDescription m;
  std::istringstream in(text);
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    std::vector<std::string> w = Words(StripComment(line, '#'));
    if (w.empty()) continue;
    std::string reason = ParseMachineLine(w, &m);
    if (!reason.empty()) {
      if (error) *error = file + ":" + std::to_string(number) + ": " + reason;
      return false;
    }
  }
  *out = m;
  return true;
}

CncState::CncState(const MachineDescription& machine) : machine_(machine) {
  constants[749] = machine.decimals << 8;
  for (int k = 0; k < 3; ++k) constants[k + 1] = AxisCode(machine.axis_letter[k]);
  constants[99] = machine.plane << 8;
  constants[438] = machine.selector << 8;
  machine_type = static_cast<uint8_t>(machine.type);
  for (int k = 0; k < 2; ++k) strncpy(names[k], machine.names[k].c_str(), sizeof names[k] - 1);
  order_flags[1] = machine.order[0];
  order_flags[7] = machine.order[1];
  order_flags[31] = machine.order[2];

  record_.size = sizeof record_;
  record_.entry_size = &entry_size_;
  record_.table_address = &table_address_;
  record_.count_a = &count_a;
  record_.count_b = &count_b;
  record_.names_supplied = machine.names_supplied ? 1 : 0;
  record_.machine_type = &machine_type;
  record_.constants = constants;
  record_.name_1 = names[0];
  record_.name_2 = names[1];
  record_.display = display;
  record_.order_flags = order_flags;
  record_.extent_1 = extent_1;
  record_.extent_2 = extent_2;
  record_.positions = positions;
  record_.busy_a = &busy_a;
  record_.busy_b = &busy_b;
}

double CncState::position_scale() const {
  return machine_.decimals == 4 ? 80000.0 : machine_.decimals == 5 ? 800000.0 : 8000.0;
}

void CncState::Relink() {
  table_address_ = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(table_.data()));
}

void CncState::SetTable(std::vector<uint8_t> bytes, uint32_t entry_size) {
  table_ = std::move(bytes);
  entry_size_ = entry_size;
  Relink();
}

CNC_BLOCK_ENTRY CncState::entry(uint32_t n) const {
  CNC_BLOCK_ENTRY e;
  memcpy(&e, table_.data() + static_cast<size_t>(n) * entry_size_, sizeof e);
  return e;
}

void CncState::SetEntry(uint32_t n, const CNC_BLOCK_ENTRY& e) {
  size_t need = (static_cast<size_t>(n) + 1) * entry_size_;
  if (table_.size() < need) table_.resize(need, 0);
  memcpy(table_.data() + static_cast<size_t>(n) * entry_size_, &e, sizeof e);
  Relink();
}

uint32_t CncState::ToBcd(int64_t value) {
  uint32_t sign = value < 0 ? 0x80000000u : 0;
  uint64_t magnitude = static_cast<uint64_t>(value < 0 ? -value : value);
  uint32_t bcd = 0;
  for (int shift = 0; shift < 32 && magnitude != 0; shift += 4, magnitude /= 10)
    bcd |= static_cast<uint32_t>(magnitude % 10) << shift;
  return (bcd & 0x7FFFFFFFu) | sign;
}

void CncState::SetPosition(uint32_t n, double x, double y, double z) {
  if (n < 1 || n > kPositionRecords) return;
  double scale = position_scale() / 8.0;
  const double v[3] = {x, y, z};
  for (int k = 0; k < 3; ++k) {
    uint32_t bcd = ToBcd(llround(v[k] * scale));
    memcpy(positions + (n - 1) * kPositionRecordSize + kPositionCoordinateOffset + 4 * k, &bcd, 4);
  }
}

namespace {

// The ISO reader's state: modal values kept across blocks.
struct IsoState {
  int motion = 0;       // G0 until a motion word
  int plane = 0;        // 0: axes 1-2, 1: 1-3, 2: 2-3
  bool incremental = false;
  double position[3] = {0, 0, 0};
};

constexpr int kPlaneAxes[3][2] = {{0, 1}, {0, 2}, {1, 2}};
constexpr uint8_t kPlaneCode[3] = {kCncPlane12, kCncPlane13, kCncPlane23};

// Removes comments (parentheses, ';', double quotes) and blanks.
std::string CleanBlock(const std::string& line) {
  std::string out;
  int depth = 0;
  for (char c : line) {
    if (c == ';') break;
    if (c == '(') ++depth;
    else if (c == ')' && depth > 0) --depth;
    else if (depth == 0 && c != '\r') out += c;
  }
  std::vector<char> buffer(out.begin(), out.end());
  buffer.push_back('\0');
  NormalizeIsoBlock(buffer.data());
  return buffer.data();
}

void Widen(double lo[3], double hi[3], const double p[3]) {
  for (int k = 0; k < 3; ++k) {
    lo[k] = fmin(lo[k], p[k]);
    hi[k] = fmax(hi[k], p[k]);
  }
}

// Points along an arc of the plane (u, v) from `from` to `to` around
// `centre`, for the extents. G2 turns clockwise in planes 1-2 and 2-3 and,
// as in G18, counter-clockwise in the plane 1-3 drawn with axis 1 right.
void WidenArc(double lo[3], double hi[3], const double from[3], const double to[3],
              const double centre[3], int plane, bool g2, bool full) {
  int u = kPlaneAxes[plane][0], v = kPlaneAxes[plane][1];
  bool clockwise = g2 != (plane == 1);
  double a0 = atan2(from[v] - centre[v], from[u] - centre[u]);
  double a1 = atan2(to[v] - centre[v], to[u] - centre[u]);
  double r = hypot(to[v] - centre[v], to[u] - centre[u]);
  double sweep = clockwise ? a0 - a1 : a1 - a0;
  while (sweep <= 0) sweep += 2 * M_PI;
  if (full) sweep = 2 * M_PI;
  for (int i = 0; i <= 64; ++i) {
    double a = a0 + (clockwise ? -1 : 1) * sweep * i / 64;
    double p[3] = {to[0], to[1], to[2]};
    p[u] = centre[u] + r * cos(a);
    p[v] = centre[v] + r * sin(a);
    Widen(lo, hi, p);
  }
}

// The line without its CR and the blanks around it.
std::string Trimmed(const std::string& line) {
  size_t first = line.find_first_not_of(" \t\r"), last = line.find_last_not_of(" \t\r");
  return first == std::string::npos ? std::string() : line.substr(first, last - first + 1);
}

// A translated program's message section: "{" to "}" from the first line,
// then "$MSGBEGIN" to "$MSGEND", each message an "&n" line and two lines of
// text that may hold anything. No block of the path lies in it (the ISO
// view, too, draws nothing before the "%").
class MessageSection {
 public:
  // Whether the line belongs to the section; *reason tells why it is
  // malformed.
  bool Takes(const std::string& raw, std::string* reason) {
    std::string line = Trimmed(raw);
    switch (part_) {
      case kFirstLine: part_ = line == "{" ? kHeader : kDone; return part_ == kHeader;
      case kHeader:
        if (line == "}") part_ = kAfterHeader;
        return true;
      case kAfterHeader:
        part_ = line.rfind("$MSGBEGIN", 0) == 0 ? kMessages : kDone;
        return part_ == kMessages;
      case kMessages:
        if (text_lines_ > 0) {
          --text_lines_;
        } else if (line == "$MSGEND") {
          part_ = kDone;
        } else {
          if (line.empty() || line[0] != '&') *reason = "a message must begin with &";
          text_lines_ = 2;
        }
        return true;
      case kDone: break;
    }
    return false;
  }
  // Why the text ended inside the section ("" when it did not).
  std::string Unfinished() const {
    return part_ == kHeader ? "\"{\" without \"}\"" : part_ == kMessages ? "$MSGBEGIN without $MSGEND" : "";
  }

 private:
  enum Part { kFirstLine, kHeader, kAfterHeader, kMessages, kDone } part_ = kFirstLine;
  int text_lines_ = 0;  // text lines of the current message still to come
};

}  // namespace

bool CncState::LoadIsoProgram(const std::string& text, const std::string& file, std::string* error) {
  const double scale = position_scale();
  auto fail = [&](int line, const std::string& reason) {
    if (error) *error = file + ":" + std::to_string(line) + ": " + reason;
    return false;
  };
  auto counts = [&](double mm, int32_t* out) {
    double c = nearbyint(mm * scale);
    if (!(fabs(c) <= 2147483647.0)) return false;
    *out = static_cast<int32_t>(c);
    return true;
  };

  std::vector<CNC_BLOCK_ENTRY> entries;
  CNC_BLOCK_ENTRY start{};  // entry 0: the start point at the origin, a rapid
  entries.push_back(start);
  IsoState s;
  double lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
  std::istringstream in(text);
  int number = 0;
  MessageSection messages;
  for (std::string line; std::getline(in, line);) {
    ++number;
    std::string reason;
    if (messages.Takes(line, &reason)) {
      if (!reason.empty()) return fail(number, reason);
      continue;
    }
    std::string block = CleanBlock(line);
    // "%" starts the program, "*" ends a translated one.
    if (block.empty() || block[0] == '%' || block == "*") continue;
    bool has_axis[3] = {false, false, false}, has_centre = false;
    double axis[3] = {0, 0, 0}, centre[3] = {0, 0, 0};
    int64_t block_number = 0;
    const char* p = block.c_str();
    while (*p) {
      char letter = static_cast<char>(*p >= 'a' && *p <= 'z' ? *p - 'a' + 'A' : *p);
      if (letter < 'A' || letter > 'Z') return fail(number, std::string("unexpected character '") + *p + "'");
      ++p;
      double value;
      if (!ReadIsoNumber(&p, &value)) return fail(number, std::string("bad number after ") + letter);
      // An R parameter's assignment (G26 R5=51000000) does not move the tool.
      if (letter == 'R' && *p == '=') {
        ++p;
        if (!ReadIsoNumber(&p, &value)) return fail(number, "bad number after R=");
        continue;
      }
      if (letter == 'G') {
        if (value != floor(value) || value < 0 || value > 999)
          return fail(number, "G word must be a whole number from 0 to 999");
        int g = static_cast<int>(value);
        if (g >= 0 && g <= 3) s.motion = g;
        else if (g >= 17 && g <= 19) s.plane = g - 17;
        else if (g == 90) s.incremental = false;
        else if (g == 91) s.incremental = true;
      } else if (letter == 'N') {
        if (value < 0 || value >= 80000000 || value != floor(value)) return fail(number, "N takes a whole number below 80000000");
        block_number = static_cast<int64_t>(value);
      } else if (letter >= 'I' && letter <= 'K') {
        centre[letter - 'I'] = value;
        has_centre = true;
      } else {
        for (int k = 0; k < 3; ++k)
          if (machine_.axis_letter[k] == letter) {
            axis[k] = value;
            has_axis[k] = true;
          }
      }
    }
    bool arc = s.motion >= 2;
    if (!has_axis[0] && !has_axis[1] && !has_axis[2] && !(arc && has_centre)) continue;

    double end[3];
    for (int k = 0; k < 3; ++k)
      end[k] = has_axis[k] ? (s.incremental ? s.position[k] + axis[k] : axis[k]) : s.position[k];
    CNC_BLOCK_ENTRY e{};
    e.motion = static_cast<uint8_t>(s.motion);
    for (int k = 0; k < 3; ++k) {
      if (!counts(end[k], &e.end[k])) return fail(number, "coordinate out of range");
      if (has_axis[k]) e.axes |= static_cast<uint8_t>(1 << k);
    }
    memcpy(e.second_end, e.end, sizeof e.end);
    e.block_number = ToBcd(block_number);
    if (arc) {
      int u = kPlaneAxes[s.plane][0], v = kPlaneAxes[s.plane][1];
      e.axes = kPlaneCode[s.plane];
      int32_t cu, cv;
      if (!counts(centre[u], &cu) || !counts(centre[v], &cv)) return fail(number, "centre out of range");
      bool swapped = machine_.order[s.plane] != 0;
      e.centre[0] = swapped ? cv : cu;
      e.centre[1] = swapped ? cu : cv;
      bool full = memcmp(e.end, entries.back().end, sizeof e.end) == 0;
      if (full) e.options |= 1;
      double c[3] = {s.position[0], s.position[1], s.position[2]};
      c[u] += centre[u];
      c[v] += centre[v];
      WidenArc(lo, hi, s.position, end, c, s.plane, s.motion == 2, full);
    }
    Widen(lo, hi, end);
    entries.push_back(e);
    memcpy(s.position, end, sizeof end);
  }

  if (!messages.Unfinished().empty()) return fail(number, messages.Unfinished());
  std::vector<uint8_t> bytes(entries.size() * kEntrySize, 0);
  for (size_t i = 0; i < entries.size(); ++i) memcpy(bytes.data() + i * kEntrySize, &entries[i], sizeof entries[i]);
  SetTable(std::move(bytes), kEntrySize);
  count_a = count_b = static_cast<uint32_t>(entries.size());
  for (int k = 0; k < 3; ++k) {
    extent_1[k] = static_cast<int32_t>(fmax(-2147483647.0, fmin(2147483647.0, nearbyint(lo[k] * scale))));
    extent_2[k] = static_cast<int32_t>(fmax(-2147483647.0, fmin(2147483647.0, nearbyint(hi[k] * scale))));
  }
  return true;
}

}  // namespace host
