// The word layer of the contour view: settings, and one block's words.
#include <math.h>
#include <string.h>

#include "tracer/host_services.h"
#include "tracer/iso_contour.h"

namespace {

constexpr uint32_t kConfigAxisH = 4, kConfigAxisV = 8;
constexpr uint32_t kConfigPlane = 396;      // bits 8-11 plane type, 20-23 diameter
constexpr uint32_t kConfigPlaneAlt = 1752;  // bits 12-15: plane type when nonzero
constexpr uint32_t kConfigArcFixed = 1600;  // top nibble 1: I/J and arcs as given

char AxisLetter(uint32_t word) {
  const uint32_t code = word & 0xFF;
  return static_cast<char>((word & 0xF0) != 0 ? code + 52 : code + 64);
}

bool WordStart(char c) { return static_cast<unsigned char>(c) >= 'A'; }

// A G word's number as a whole code ("G00" is G0); -1 when it is none.
int GCode(const char* text, int length) {
  if (length == 0 || length > 3) return -1;
  int code = 0;
  for (int i = 0; i < length; ++i) {
    if (text[i] < '0' || text[i] > '9') return -1;
    code = code * 10 + (text[i] - '0');
  }
  return code;
}

double WordValue(const char* text, int length, const IsoNumberReader& numbers) {
  char value[kIsoNumberChars + 1];
  const int n = length < kIsoNumberChars ? length : kIsoNumberChars;
  memcpy(value, text, static_cast<size_t>(n));
  value[n] = '\0';
  const double v = numbers.convert != nullptr ? numbers.convert(value, numbers.context) : 0;
  return isfinite(v) ? v : 0;  // the host's answer is never trusted to be finite
}

}  // namespace

IsoContourSettings ReadIsoSettings(const STRUCT_TRACER* record, uint8_t kind) {
  IsoContourSettings s{};
  const uint8_t* config = record->configBlock;
  s.letter[0] = AxisLetter(BlockWord(config, kConfigAxisH));
  s.letter[1] = AxisLetter(BlockWord(config, kConfigAxisV));
  const uint32_t plane_word = BlockWord(config, kConfigPlane);
  s.plane_type = static_cast<uint8_t>(plane_word >> 8 & 0xF);
  const uint32_t alternative = BlockWord(config, kConfigPlaneAlt) >> 12 & 0xF;
  if (alternative != 0) s.plane_type = static_cast<uint8_t>(alternative);
  s.diameter = (plane_word >> 20 & 0xF) != 0;
  const bool fixed = (BlockWord(config, kConfigArcFixed) >> 28) == 1;
  if (s.plane_type >= 6 && s.plane_type <= 9) {
    const char h = s.letter[0];
    s.letter[0] = s.letter[1];
    s.letter[1] = h;
    s.i_vertical = !fixed;
  }
  s.swap_arcs = s.plane_type == 7 || ((s.plane_type == 6 || s.plane_type == 9) && !fixed);
  const char* mode = record->modeText;
  s.mode_first = mode != nullptr ? mode[0] : 0;
  if (mode != nullptr && mode[0] != '\0' && mode[1] != '\0' && mode[2] != '\0' && mode[3] != '\0' &&
      mode[4] == 'X' && kind == 0)
    s.swap_arcs = !s.swap_arcs;
  s.kind = kind;
  s.offset[0] = ReadHost<int32_t>(record->offsetH);
  s.offset[1] = ReadHost<int32_t>(record->offsetV);
  if (s.plane_type >= 6 && s.plane_type <= 9) {
    const int32_t h = s.offset[0];
    s.offset[0] = s.offset[1];
    s.offset[1] = h;
  }
  return s;
}

void InterpretContourBlock(const char* block, const IsoContourSettings& s, const IsoNumberReader& numbers,
                           IsoContourState* state) {
  state->arc[0] = state->arc[1] = 0;
  state->previous[0] = state->target[0];
  state->previous[1] = state->target[1];
  const bool has_g91 = strstr(block, "G91") != nullptr, has_g90 = strstr(block, "G90") != nullptr;
  if (has_g91 || (state->incremental && !has_g90)) state->target[0] = state->target[1] = 0;

  const char* p = block;
  while (*p != '\0' && !WordStart(*p)) ++p;
  while (*p != '\0') {
    const char letter = *p++;
    const char* value = p;
    while (*p != '\0' && !WordStart(*p)) ++p;
    const int length = static_cast<int>(p - value);
    if (letter == 'G') {
      switch (GCode(value, length)) {
        case 0: state->motion = kIsoRapid; break;
        case 1: state->motion = kIsoLinear; break;
        case 2: state->motion = s.swap_arcs ? kIsoCounterClockwise : kIsoClockwise; break;
        case 3: state->motion = s.swap_arcs ? kIsoClockwise : kIsoCounterClockwise; break;
        case 90: state->incremental = false; break;
        case 91: state->incremental = true; break;
        default: break;
      }
    } else if (letter == s.letter[0] || letter == s.letter[1]) {
      const int axis = letter == s.letter[0] ? 0 : 1;
      double v = WordValue(value, length, numbers);
      if (s.kind == 1) v = (1000.0 * v - s.offset[axis]) / 1000.0;
      if (letter == 'X' && s.diameter &&
          ((axis == 0 && s.mode_first == 'K') || (axis == 1 && s.mode_first == 'S')))
        v /= 2;
      state->target[axis] = v;
    } else if (letter == 'I') {
      state->arc[s.i_vertical ? 1 : 0] = WordValue(value, length, numbers);
    } else if (letter == 'J' || letter == 'K') {
      state->arc[s.i_vertical ? 0 : 1] = WordValue(value, length, numbers);
    }
  }
  if (state->incremental) {
    state->target[0] += state->previous[0];
    state->target[1] += state->previous[1];
  }
}
