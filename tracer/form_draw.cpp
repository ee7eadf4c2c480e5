#include "tracer/form_draw.h"

#include "bridge/display.h"
#include "bridge/localization.h"
#include "tracer/display_point.h"
#include "tracer/form_numbers.h"
#include "tracer/host_services.h"
#include "tracer/offset_forms.h"

namespace {

constexpr uint32_t kFormFont = 38;
constexpr uint32_t kNoBackground = 255;
constexpr int kLeft = 16;
constexpr int kBlockX = 352, kFieldX = 400, kEntryX = 416;
constexpr int kRowY[5] = {192, 224, 256, 288, 320};
constexpr const char* kTenBlanks = "          ";

void Write(const FormState* f, int x, int y, int fg, int bg, const char* text) {
  if (text == nullptr) return;
  DisplayTextForm(PackPoint(x, y), kFormFont, FormColour(f, fg), FormColour(f, bg));
  DisplayWriteText(text);
}

// A localized text at the text cursor (nothing when the table lacks it).
void WriteText(uint32_t id) {
  if (const char* text = LocText(id)) DisplayWriteText(text);
}

const char* MarkerText(const FormState* f) {
  const FormVariant& v = *f->variant;
  if (v.marker == MarkerKind::kNewText) return LocText(1215);
  const STRUCT_TRACER* r = f->record;
  const uint8_t axis = ReadHost<uint8_t>(r->axisIndex);
  const char machine = ReadHost<char>(r->machineType);
  const bool doubling = (axis == 0 && (machine == 'S' || machine == 'K')) ||
                        (axis == 2 && machine == 'K' &&
                         (BlockWord(r->configBlock, kConfigMachineBits) >> 21 & 1) != 0);
  if (!doubling) return " (*1) ";
  return (BlockWord(r->configBlock, kConfigHalving) & 0xF) == 0 ? " (*2) " : nullptr;
}

// Result-line format: sign first, the rest right-aligned, leading zeros
// blanked unless the host keeps them.
void ResultFormat(const FormState* f, const char* text, char* shown) {
  if (text[0] == 's' || text[0] == '\0' || !RightAlign(text, shown)) {
    int n = 0;
    for (; n < kFieldChars && text[n] != '\0'; ++n) shown[n] = text[n];
    for (; n < kFieldChars; ++n) shown[n] = ' ';
    shown[kFieldChars] = '\0';
    return;
  }
  const bool keep = ReadHost<uint8_t>(f->record->keepZeros) != 0 && f->variant->kind != kFormInkor3;
  if (keep) return;
  for (int i = 1, blanked = 0; i < kFieldChars - 1 && blanked < 4; ++i) {
    if (shown[i] == ' ') continue;
    if (shown[i] != '0' || shown[i + 1] == '.') break;
    shown[i] = ' ';
    ++blanked;
  }
}

}  // namespace

uint8_t FormColour(const FormState* f, int palette_byte) {
  return palette_byte >= 20 && palette_byte <= 37 ? f->palette[palette_byte - 20] : 0;
}

void DrawFormLayout(FormState* f, char letter) {
  const FormVariant& v = *f->variant;
  Write(f, kLeft, 32, 27, 21, LocText(1207));
  const bool fixed = v.offsets != nullptr && v.offsets->fixed_table;
  if (fixed) {
    // One description: the blanks clear the line, the title follows there.
    Write(f, kLeft, 64, 27, 21, "                                      ");
    Write(f, kLeft, 64, 27, 21, LocText(kFixedShiftTitle));
  } else {
    DisplayTextForm(PackPoint(kLeft, 64), kFormFont, FormColour(f, 27), FormColour(f, 21));
    for (uint16_t id : v.descriptions) WriteText(id);
  }
  Write(f, kLeft, 160, 20, 25, LocText(v.prompt));

  if (fixed) {
    DrawNullRow(f, false);
  } else {
    Write(f, kBlockX, kRowY[0], 27, 22, v.label);
    Write(f, kBlockX + 48, kRowY[0], 27, 27, " ");
    ShowEntry(f);
  }
  ShowAxisLetter(f, letter);
  Write(f, kFieldX, kRowY[2], 20, 25, kTenBlanks);
  Write(f, kBlockX, kRowY[3], 27, 22, "   ");
  Write(f, kFieldX, kRowY[3], 20, 25, v.value == ValueStart::kBlankZero ? f->value : kTenBlanks);
  Write(f, kBlockX, kRowY[4], 27, 22, "   ");
  Write(f, kFieldX, kRowY[4], 20, 25, kTenBlanks);
  Write(f, 256, kRowY[4], 27, 22, MarkerText(f));

  DisplayTextForm(PackPoint(kLeft, 368), kFormFont, FormColour(f, 27), FormColour(f, 21));
  WriteText(1208);
  WriteText(1209);
  const char leave[3] = {' ', static_cast<char>(v.leave_key), '\0'};
  DisplayWriteText(leave);
  WriteText(1210);
}

void ShowEntry(FormState* f) { Write(f, kEntryX, kRowY[0], 20, 25, f->entry); }

void ShowValue(FormState* f) {
  TidyField(f->value, f->decimals);
  Write(f, kFieldX, kRowY[3], 20, 25, f->value);
}

void ShowResultLine(FormState* f, const char* text) {
  char shown[kFieldChars + 1];
  ResultFormat(f, text, shown);
  Write(f, kFieldX, kRowY[4], 20, 25, shown);
}

void ShowWrittenRow(FormState* f, const char* text) {
  char shown[kFieldChars + 1];
  ResultFormat(f, text, shown);
  Write(f, kFieldX, kRowY[1], 20, 25, shown);
}

void ShowAxisLetter(FormState* f, char letter) {
  const char text[4] = {' ', letter, ' ', '\0'};
  Write(f, kBlockX, kRowY[2], 27, 22, text);
}

void DrawCursor(FormState* f, bool visible) {
  DisplaySetColors(FormColour(f, visible ? 20 : 25), kNoBackground);
  DisplayFill(PackPoint(kEntryX + 16 * f->column, 220 + 32 * f->row), PackPoint(16, 4));
}
