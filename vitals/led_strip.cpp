#include "vitals/led_strip.h"

#include "bridge/gdi.h"
#include "vitals/screen_layout.h"
#include "vitals/vitals_service.h"

namespace {

// Rings and discs around the box's centre, in half pixels so the centre
// falls between pixels 15 and 16.
constexpr LedIcon Ring(int inner, int outer) {
  LedIcon icon{};
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      int dx = 2 * x - 31, dy = 2 * y - 31, d2 = dx * dx + dy * dy;
      if (d2 > inner * inner && d2 <= outer * outer) icon.rows[y] |= 0x80000000u >> x;
    }
  return icon;
}

// An 8 x 8 pattern (bit 7 leftmost) doubled into the middle of the box.
constexpr LedIcon Symbol(const uint8_t (&pattern)[8]) {
  LedIcon icon{};
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      if (pattern[y / 2] >> (7 - x / 2) & 1) icon.rows[8 + y] |= 0x80000000u >> (8 + x);
  return icon;
}

constexpr uint8_t kPower[8] = {0x18, 0x5A, 0x99, 0x99, 0x81, 0x81, 0x42, 0x3C};
constexpr uint8_t kUp[8] = {0x18, 0x3C, 0x7E, 0xFF, 0x18, 0x18, 0x18, 0x18};
constexpr uint8_t kDown[8] = {0x18, 0x18, 0x18, 0x18, 0xFF, 0x7E, 0x3C, 0x18};
constexpr uint8_t kCross[8] = {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81};
constexpr uint8_t kSquare[8] = {0xFF, 0x81, 0x81, 0x81, 0x81, 0x81, 0x81, 0xFF};

constexpr LedIcon kOutline = Ring(26, 31);
constexpr LedIcon kFilled = Ring(-1, 24);
constexpr LedIcon kRim = Ring(20, 24);
constexpr LedIcon kSymbols[kLabelledLeds] = {Symbol(kPower), Symbol(kUp), Symbol(kDown), Symbol(kCross),
                                             Symbol(kSquare)};

// One fill per horizontal run of set pixels.
void DrawIcon(const LedIcon& icon, int left, uint32_t colour) {
  DisplaySetColors(colour, colour);
  for (int y = 0; y < kLedSize; ++y) {
    uint32_t row = icon.rows[y];
    int x = 0;
    while (x < kLedSize) {
      if (!(row >> (31 - x) & 1)) {
        ++x;
        continue;
      }
      int start = x;
      while (x < kLedSize && (row >> (31 - x) & 1)) ++x;
      DisplayFill(PackPoint(left + start, kLedTop + y), PackPoint(x - start, 1));
    }
  }
}

void DrawLamps(const LedState& s) {
  int count = s.labelled ? kLabelledLeds : kPlainLeds;
  for (int i = 0; i < count; ++i) {
    int left = kLedLeft + kLedPitch * i;
    DisplaySetColors(AreaPaper(), AreaPaper());
    DisplayFill(PackPoint(left, kLedTop), PackPoint(kLedSize, kLedSize));
    DrawIcon(kOutline, left, Colour(24));
    DrawIcon(s.leds >> i & 1 ? kFilled : kRim, left, Colour(21));
    // The symbol stands out of the lamp: the window colour on a lit lamp,
    // the outline colour on a dark one.
    if (s.labelled) DrawIcon(kSymbols[i], left, s.leds >> i & 1 ? AreaPaper() : Colour(24));
  }
}

void ClearStrip() {
  DisplaySetColors(AreaPaper(), AreaPaper());
  DisplayFill(PackPoint(kLedLeft, kLedTop), PackPoint(kLedPitch * (kPlainLeds - 1) + kLedSize, kLedSize));
}

bool Read(const _LEDDIODY* record, uint8_t* leds, bool* labelled) {
  if (record == nullptr || record->leds == nullptr) return false;
  *leds = *record->leds;
  *labelled = record->mode != nullptr && *record->mode != 0;
  return true;
}

}  // namespace

void LedPrefix(LedState* s, const _LEDDIODY* record) {
  uint8_t leds = 0;
  bool labelled = false;
  if (!Read(record, &leds, &labelled) || !ServiceBind()) return;
  *s = {true, leds, labelled};
  ClearStrip();
  DrawLamps(*s);
}

void LedChange(LedState* s, const _LEDDIODY* record) {
  uint8_t leds = 0;
  bool labelled = false;
  if (!Read(record, &leds, &labelled)) return;
  if (s->drawn && s->leds == leds && s->labelled == labelled) return;
  if (!ServiceBind()) return;
  // A change of mode leaves lamps of the other mode behind: clear first.
  if (s->drawn && s->labelled != labelled) ClearStrip();
  *s = {true, leds, labelled};
  DrawLamps(*s);
}

const LedIcon& LedOutline() { return kOutline; }
const LedIcon& LedFilled() { return kFilled; }
const LedIcon& LedRim() { return kRim; }
const LedIcon& LedSymbol(int k) { return kSymbols[k < 0 || k >= kLabelledLeds ? 0 : k]; }
