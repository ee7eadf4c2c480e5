#include "bridge/charset.h"

namespace {

constexpr uint8_t kDot = 0x2E;

// Czech and Slovak letters at 0x80..0xA9, in the order of the Kamenicky page.
constexpr uint16_t kKamenicky[42] = {
    0x010C, 0x00FC, 0x00E9, 0x010F, 0x00E4, 0x010E, 0x0164, 0x010D, 0x011B, 0x011A,
    0x0139, 0x00CD, 0x013E, 0x013A, 0x00C4, 0x00C1, 0x00C9, 0x017E, 0x017D, 0x00F4,
    0x00F6, 0x00D3, 0x016F, 0x00DA, 0x00FD, 0x00D6, 0x00DC, 0x0160, 0x013D, 0x00DD,
    0x0158, 0x0165, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x0148, 0x0147, 0x016E, 0x00D4,
    0x0161, 0x0159};

// 0xAA..0xAF: alpha, beta, then four codes each shared by two characters.
constexpr uint16_t kGreekShared[6][2] = {
    {0x03B1, 0}, {0x03B2, 0}, {0x03B3, 0x00BC}, {0x03BC, 0x00A7}, {0x0401, 0x00AB}, {0x0451, 0x00BB}};

// 0xB0..0xBF: Polish letters and C cedilla.
constexpr uint16_t kPolish[16] = {0x0141, 0x0142, 0x0118, 0x0119, 0x0104, 0x0105, 0x015A, 0x015B,
                                  0x0106, 0x0107, 0x017B, 0x017C, 0x0179, 0x017A, 0x00C7, 0x00E7};

constexpr bool IsMeaningfulControl(uint32_t c) {
  return c == 0x00 || c == 0x02 || c == 0x09 || c == 0x0A || c == 0x0B || c == 0x0D ||
         (c >= 0x18 && c <= 0x1B) || (c >= 0x1D && c <= 0x1F);
}

constexpr uint32_t kMainFirst = 0x0000, kMainCount = 0x0452;   // U+0000..U+0451
constexpr uint32_t kArrowFirst = 0x2190, kArrowCount = 38;      // U+2190..U+21B5

struct UnicodeTable {
  uint8_t main[kMainCount];
  uint8_t arrows[kArrowCount];
};

constexpr UnicodeTable BuildUnicodeTable() {
  UnicodeTable t{};
  for (uint32_t u = 0; u < kMainCount; ++u) t.main[u] = kDot;
  for (uint32_t u = 0; u < 0x80; ++u)
    if (IsMeaningfulControl(u) || u >= 0x20) t.main[u] = static_cast<uint8_t>(u);
  t.main[0x00E0] = 0x03;  // a grave
  t.main[0x00E8] = 0x04;  // e grave
  t.main[0x00EA] = 0x05;  // e circumflex
  for (uint32_t i = 0; i < 42; ++i) t.main[kKamenicky[i]] = static_cast<uint8_t>(0x80 + i);
  for (uint32_t i = 0; i < 6; ++i)
    for (uint32_t k = 0; k < 2; ++k)
      if (kGreekShared[i][k] != 0) t.main[kGreekShared[i][k]] = static_cast<uint8_t>(0xAA + i);
  for (uint32_t i = 0; i < 16; ++i) t.main[kPolish[i]] = static_cast<uint8_t>(0xB0 + i);
  for (uint32_t i = 0; i < 64; ++i) t.main[0x0410 + i] = static_cast<uint8_t>(0xC0 + i);
  t.main[0x00A0] = 0x20;  // no-break space
  t.main[0x0154] = 'R';
  t.main[0x0155] = 'r';
  for (uint32_t i = 0; i < kArrowCount; ++i) t.arrows[i] = kDot;
  t.arrows[0] = '<';        // left arrow
  t.arrows[1] = 0x7C;       // up arrow
  t.arrows[2] = '~';        // right arrow
  t.arrows[3] = 0x7F;       // down arrow
  t.arrows[0x25] = '>';     // U+21B5, Enter arrow
  return t;
}

constexpr UnicodeTable kUnicode = BuildUnicodeTable();

constexpr uint8_t LookUp(uint32_t u) {
  if (u < kMainFirst + kMainCount) return kUnicode.main[u - kMainFirst];
  if (u == 0x2013) return '-';
  if (u >= kArrowFirst && u < kArrowFirst + kArrowCount) return kUnicode.arrows[u - kArrowFirst];
  return kDot;
}

// Code page 1250, bytes 0x80..0xFF, as Unicode (0 = undefined byte).
constexpr uint16_t kCp1250High[128] = {
    0x20AC, 0,      0x201A, 0,      0x201E, 0x2026, 0x2020, 0x2021,
    0,      0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0,      0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9};

constexpr uint8_t Cp1250Entry(uint32_t byte) {
  // The code page's own table differs from its Unicode meaning here.
  if (byte == 0x1F || byte == 0xA0 || byte == 0xC0 || byte == 0xE0) return kDot;
  if (byte < 0x80) return LookUp(byte);
  uint16_t u = kCp1250High[byte - 0x80];
  return u == 0 ? kDot : LookUp(u);
}

struct Cp1250Table {
  uint8_t code[256];
};

constexpr Cp1250Table BuildCp1250Table() {
  Cp1250Table t{};
  for (uint32_t b = 0; b < 256; ++b) t.code[b] = Cp1250Entry(b);
  return t;
}

constexpr Cp1250Table kCp1250 = BuildCp1250Table();

struct ReverseTable {
  uint32_t unicode[256];
};

constexpr ReverseTable BuildReverseTable() {
  ReverseTable t{};
  for (uint32_t c = 0; c < 0x80; ++c)
    if (IsMeaningfulControl(c) || c >= 0x20) t.unicode[c] = c;
  t.unicode[0x03] = 0x00E0;
  t.unicode[0x04] = 0x00E8;
  t.unicode[0x05] = 0x00EA;
  for (uint32_t i = 0; i < 42; ++i) t.unicode[0x80 + i] = kKamenicky[i];
  for (uint32_t i = 0; i < 6; ++i) t.unicode[0xAA + i] = kGreekShared[i][0];
  for (uint32_t i = 0; i < 16; ++i) t.unicode[0xB0 + i] = kPolish[i];
  for (uint32_t i = 0; i < 64; ++i) t.unicode[0xC0 + i] = 0x0410 + i;
  return t;
}

constexpr ReverseTable kReverse = BuildReverseTable();

static_assert(LookUp(0x010D) == 0x87 && LookUp(0x0430) == 0xE0 && LookUp(0x0452) == kDot);
static_assert(kCp1250.code[0xE8] == 0x87 && kCp1250.code[0x8A] == 0x9B &&
              kCp1250.code[0xF8] == 0xA9 && kCp1250.code[0xBC] == 0x9C);

}  // namespace

uint8_t ZorvFromUnicode(uint16_t unit) { return LookUp(unit); }

uint8_t ZorvFromCp1250(uint8_t byte) { return kCp1250.code[byte]; }

uint32_t ZorvToUnicode(uint8_t code) { return kReverse.unicode[code]; }

uint32_t ZorvDisplayGlyph(uint8_t code) {
  switch (code) {
    case '<': return 0x2190;
    case 0x7C: return 0x2191;
    case '~': return 0x2192;
    case 0x7F: return 0x2193;
    case '>': return 0x21B5;
    default: return kReverse.unicode[code];
  }
}
