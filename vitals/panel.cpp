#include "vitals/panel.h"

#include "bridge/display.h"
#include "bridge/gdi.h"
#include "bridge/hex_digits.h"
#include "bridge/localization.h"
#include "bridge/recordcnc.h"
#include "vitals/bcd_text.h"
#include "vitals/panel_host.h"
#include "vitals/vitals_service.h"

namespace {

constexpr int kLabelX = 395;
constexpr int kShortValueX = 504;   // rows 5 to 7
constexpr int kValueX = 688;        // rows 8 to 15
constexpr int kItemX = 656;         // host items and framed values
constexpr int kFieldColumns = 12;

// Colours of the panel (palette bytes of the display block).
uint32_t Background() { return Colour(BARVA_VYPLN); }
uint32_t Ink() { return Colour(BARVA_T15); }
uint32_t ValueBackground() { return Colour(BARVA_P0); }
uint32_t Warning() { return Colour(BARVA_RUDA); }

// What the panel reads, each at its use.
struct Panel {
  const _VITALS* r;
  uint8_t tech(uint32_t i) const { return r->technology != nullptr ? r->technology[i] : 0; }
  uint16_t status() const {
    return r->technology != nullptr ? RecordGet<uint16_t>(r->technology, kTechStatus) : 0;
  }
  uint32_t word(uint32_t n) const { return r->machine_words != nullptr ? r->machine_words[n] : 0; }
  bool variant() const { return ((word(kWordVariant) >> 28) & 7) != 0; }
  uint32_t mode() const { return (word(kWordDisplayMode) >> 24) & 0xF; }
  uint32_t decimals() const { return CncDecimalPlaces(word(kWordDecimals), word(kWordDecimalsFallback)); }
  bool type_f() const { return r->machine_type != nullptr && *r->machine_type == 'F'; }
  uint32_t rows() const {
    uint32_t n = 3;
    while (n < 6 && (word(kWordRows4 + n - 3) & 0xFF) != 0) ++n;
    return n;
  }
  uint8_t* memory(uint32_t offset) const {
    return r->host_memory != nullptr ? r->host_memory + offset : nullptr;
  }
  // Correction value k (0 radius, 1 to 6 lengths) of correction n.
  uint32_t correction(uint32_t n, uint32_t k) const {
    uint8_t* at = memory(kPanelCorrections + kPanelCorrectionBytes * n + 4 * k);
    return at != nullptr ? RecordGet<uint32_t>(at, 0) : 0;
  }
  uint8_t flag(uint32_t k) const {
    uint8_t* at = memory(kPanelFlags + k);
    return at != nullptr ? *at : 0;
  }
  void clear_flag(uint32_t k) const {
    if (uint8_t* at = memory(kPanelFlags + k)) *at = 0;
  }
};

// Row r of the panel: y 112 + 16 r; in the second-spindle variant row 18
// moves up to y 60 + 16 r and row 23 to y 64 + 16 r, into their frames
// (rows 14 and 15 are not shown there).
int RowY(const Panel& p, int row) {
  if (p.variant() && row == 18) return 60 + 16 * row;
  if (p.variant() && row == 23) return 64 + 16 * row;
  return 112 + 16 * row;
}

void Call(uint32_t handle, int count, uint32_t a = 0, uint32_t b = 0) {
  if (handle == 0 || g_display.dispatch == nullptr) return;
  if (count == 0) g_display.dispatch(handle, 0);
  else if (count == 1) g_display.dispatch(handle, 1, a);
  else g_display.dispatch(handle, 2, a, b);
}

// A value followed by spaces to its field width.
void Value(int x, int y, uint32_t columns, const char* text, uint32_t fg) {
  char line[32];
  TextBuffer b = MakeTextBuffer(line, sizeof line);
  TextAppend(&b, text);
  if (b.length < columns) TextAppendRepeat(&b, ' ', columns - b.length);
  ScreenText(x, y, static_cast<int>(columns), fg, ValueBackground(), line);
}

void Label(const Panel& p, int row, const char* text, uint32_t fg) {
  ScreenText(kLabelX, RowY(p, row), 13, fg, Background(), text);
}

// Whether length row j (0 to 5) shows its value or "0.0".
bool LengthRowActive(const Panel& p, uint32_t correction, uint32_t j) {
  if (correction >= kPanelCorrectionCount) return false;
  switch (p.mode()) {
    case 1: return correction != 0;
    case 2: return p.status() != 0;
    default: return j < 4 && ((p.status() >> (12 - 4 * j)) & 0xF) != 0;
  }
}

void StepItem(PanelState* s, const Panel& p, uint32_t k) {
  int y = RowY(p, 1 + static_cast<int>(k));
  if (k == 1) {
    const char* name = p.r->table_name;
    bool fixed = false;
    if (name != nullptr) {
      uint32_t n = 0;
      while (n < 7 && name[n] != '\0') ++n;
      fixed = n == 7 && name[3] == 'F' && name[4] == 'I' && name[5] == 'X' && name[6] == '.';
    }
    if (fixed) {
      ScreenText(kItemX, y, 17, Ink(), Background(), s->table_name);
      return;
    }
    TextBuffer cache = MakeTextBuffer(s->table_name, sizeof s->table_name);
    TextAppend(&cache, name);
  }
  Call(p.r->item_painter, 2, p.r->item_arguments[k], PackPoint(kItemX, y));
}

void StepLength(const PanelState* s, const Panel& p, uint32_t j) {
  int row = 10 + static_cast<int>(j);
  uint32_t rows = p.rows();
  if (j >= 3 && (j >= rows || (j >= 4 && p.variant()))) return;
  char text[16];
  TextBuffer b = MakeTextBuffer(text, sizeof text);
  if (j == 2 && !p.type_f() && rows < 4) {
    TextAppendChar(&b, 'P');
    if (s->correction < kPanelCorrectionCount && p.r->tool_digits != nullptr)
      TextAppendChar(&b, static_cast<char>('0' + (p.r->tool_digits[s->correction] & 0xF)));
  } else if (LengthRowActive(p, s->correction, j)) {
    AppendBcd(&b, p.correction(s->correction, 1 + j), p.decimals());
  } else {
    TextAppend(&b, "0.0");
  }
  Value(kValueX, RowY(p, row), kFieldColumns, text, Ink());
}

// Packed positions of the host painters of fields 58 to 74 and 90.
uint32_t PainterAt(const Panel& p, uint32_t field) {
  bool v = p.variant();
  switch (field) {
    case 58: return PackPoint(kItemX, v ? 348 : 400);    // feed, in its frame
    case 62: return PackPoint(kItemX, v ? 432 : 484);    // spindle, in its frame
    case 66: return PackPoint(v ? kShortValueX : kValueX, v ? 336 : 368);  // special length
    case 70: return PackPoint(v ? kItemX : kShortValueX, v ? 484 : 432);
    case 74: return PackPoint(kShortValueX, 112);        // table state, row 0
    default: return PackPoint(kShortValueX, 448);        // field 90
  }
}

}  // namespace

void PanelStep(PanelState* s, uint32_t step) {
  const Panel p{s->record};
  char text[24];
  TextBuffer b = MakeTextBuffer(text, sizeof text);
  switch (step) {
    case 1: case 2: case 3:
      StepItem(s, p, step - 1);
      break;
    case 4:  // current shift
      TextAppendHex(&b, p.tech(kTechShift), 1);
      Value(kShortValueX, RowY(p, 5), 1, text, Ink());
      break;
    case 5: {  // correction number, two BCD digits
      uint8_t number = p.tech(kTechCorrection);
      TextAppendHex(&b, number, 2);
      s->correction = BcdByteValue(number);
      Value(kShortValueX, RowY(p, 6), 2, text, Ink());
      break;
    }
    case 6: {  // active correction digit, then the radius
      uint32_t digit = p.tech(kTechDigit) & 0xF;
      bool swap = p.r->digit_swap != nullptr && ((*p.r->digit_swap >> 8) & 0xF) != 0;
      uint32_t shown = swap && digit == 1 ? 2 : swap && digit == 2 ? 1 : digit;
      TextAppendHex(&b, shown, 1);
      Value(kShortValueX, RowY(p, 7), 1, text, Ink());
      b = MakeTextBuffer(text, sizeof text);
      if (digit == 0 || s->correction >= kPanelCorrectionCount) TextAppend(&b, "0.0");
      else AppendBcd(&b, p.correction(s->correction, 0), p.decimals());
      Value(kValueX, RowY(p, 8), kFieldColumns, text, Ink());
      break;
    }
    case 7: {  // "&" and the status value
      if (p.mode() == 1) break;
      uint16_t status = p.status();
      TextAppendChar(&b, '&');
      TextAppendHex(&b, status, 4);
      Value(kValueX, RowY(p, 9), 5, text, Ink());
      break;
    }
    case 8: case 9: case 10: case 11: case 12: case 13:
      StepLength(s, p, step - 8);
      break;
    case 14: case 15: case 17:
      Call(p.r->painters[step - 14], 1, PainterAt(p, 58 + 4 * (step - 14)));
      break;
    case 16: {
      uint8_t process = p.tech(kTechProcess);
      bool configured = p.r->special_word != nullptr && ((*p.r->special_word >> 28) & 7) != 0;
      if (process == 149 || process == 151 || configured) {
        Call(p.r->painters[2], 1, PainterAt(p, 66));
      } else {
        uint32_t at = PainterAt(p, 66);
        ScreenText(static_cast<int>(at & 0xFFFF), static_cast<int>(at >> 16), 9, Ink(), Background(),
                   "         ");
      }
      break;
    }
    case 18:  // table state
      if (p.r->repaint_on_change != 0 && p.flag(kPanelFlagTable) == 0) break;
      Call(p.r->painters[4], 1, PainterAt(p, 74));
      p.clear_flag(kPanelFlagTable);
      if (p.variant()) Label(p, 23, LocText(379), p.flag(kPanelFlagWarning) ? Warning() : Ink());
      break;
    case 19:
      Call(p.r->item78, 0);
      break;
    case 20:  // second-spindle counter
      if (p.flag(kPanelFlagCounter) == 0) break;
      if (uint8_t* at = p.memory(kPanelFlags + kPanelCounter)) TextAppendSigned(&b, RecordGet<int32_t>(at, 0));
      Value(kShortValueX, RowY(p, 25), 9, text, Ink());
      p.clear_flag(kPanelFlagCounter);
      break;
    case 21:  // second spindle
      if (!p.variant()) break;
      if (p.flag(kPanelFlag90) != 0) {
        Call(p.r->painter90, 1, PainterAt(p, 90));
        p.clear_flag(kPanelFlag90);
      }
      Label(p, 24, LocText(280), p.flag(kPanelFlagWarning) ? Warning() : Ink());
      break;
    default:
      break;
  }
}

void PanelPrefix(PanelState* s, const _VITALS* record) {
  s->record = record;
  if (record == nullptr || !ServiceBind()) return;
  const Panel p{record};
  bool variant = p.variant(), type_f = p.type_f();
  uint32_t rows = p.rows();

  DisplaySetColors(Background(), Background());
  ScreenFill(388, 88, 408, 448);
  DisplaySetColors(Colour(BARVA_T14), Background());
  ScreenFill(388, 88, 408, 20);
  ScreenText(kLabelX, 90, 4, Colour(BARVA_P0), Colour(BARVA_T14), "INFO");

  // Axis labels "  X=" from the axis codes of words 1 to 3.
  char axes[3][5];
  for (int k = 0; k < 3; ++k) {
    uint32_t code = p.word(kWordAxis1 + static_cast<uint32_t>(k)) & 0xFF;
    char letter = static_cast<char>(code < 32 || code >= 48 ? code + 64 : code + 52);
    axes[k][0] = ' ';
    axes[k][1] = ' ';
    axes[k][2] = letter;
    axes[k][3] = '=';
    axes[k][4] = '\0';
  }
  const char* labels[26] = {};
  labels[0] = LocText(271);
  for (int row = 5; row <= 9; ++row) labels[row] = LocText(272 + static_cast<uint32_t>(row - 5));
  for (int k = 0; k < 3; ++k) labels[10 + k] = axes[k];
  for (int row = 13; row <= 15; ++row) labels[row] = "   =";
  labels[18] = LocText(278);
  labels[23] = LocText(variant ? 379 : 279);
  if (variant) labels[24] = LocText(280);
  if (!type_f && rows < 4) labels[12] = LocText(277);
  if (!type_f && rows <= 3) labels[13] = nullptr;
  for (int row = 14; row <= 15; ++row)
    if (variant || static_cast<uint32_t>(row - 9) > rows) labels[row] = nullptr;
  for (int row = 0; row < 26; ++row)
    if (labels[row] != nullptr) Label(p, row, labels[row], Ink());

  // Value frames.
  DisplaySetColors(Colour(BARVA_T14), Background());
  int frames[3] = {variant ? 430 : 398, 482, variant ? 346 : -1};
  for (int y : frames) {
    if (y < 0) continue;
    uint32_t tl = PackPoint(648, y), tr = PackPoint(648 + 143, y);
    uint32_t bl = PackPoint(648, y + 18), br = PackPoint(648 + 143, y + 18);
    DisplayLine(tl, tr, kPatternSolid);
    DisplayLine(tr, br, kPatternSolid);
    DisplayLine(br, bl, kPatternSolid);
    DisplayLine(bl, tl, kPatternSolid);
  }
  for (uint32_t step = 1; step <= kPanelSteps; ++step) PanelStep(s, step);
}

void PanelData(PanelState* s) {
  uint32_t counter = s->counter, step = 0;
  if (counter == kPanelCycleEnd) counter = 1;  // idle; step 2 comes next
  else if (counter >= 1 && counter <= kPanelSteps) step = counter;
  s->counter = counter + 1;
  if (s->record == nullptr || !ServiceBind()) return;
  DisplaySetColors(Ink(), Background());
  if (step != 0) PanelStep(s, step);
}
