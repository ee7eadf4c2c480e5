// The three zero-offset forms as tables on the form engine.
#include "tracer/offset_forms.h"

#include "bridge/display.h"
#include "tracer/form_draw.h"
#include "tracer/host_services.h"
#include "tracer/display_point.h"

namespace {

const OffsetRules kAddRules = {0, false, false, false};
const OffsetRules kWriteRules = {255, true, true, false};
const OffsetRules kFixedRules = {255, true, false, true};

}  // namespace

// Adds the entered value to the shift of the chosen axis.
const FormVariant kInposun = {
    kFormInposun, 255, AxisStart::kDefaultAxes, true, "5", LetterSource::kDefaultAxes, {1214, 1212, 1213}, 1225,
    MarkerKind::kNewText, ValueStart::kBlankZero, 'G', false, true, true, " G ", &kAddRules,
};

// Writes the entered value as the shift of the chosen axis.
const FormVariant kInposunZapis = {
    kFormOffsets, 255, AxisStart::kDefaultAxes, false, "5", LetterSource::kDefaultAxes, {1214, 1226, 1227}, 1216,
    MarkerKind::kNewText, ValueStart::kZeros, 'G', false, true, true, " G ", &kWriteRules,
};

// Writes the fixed additive shift of the chosen axis (or resets its table).
const FormVariant kInposunZapisFix = {
    kFormOffsets, 255, AxisStart::kDefaultAxes, false, "", LetterSource::kDefaultAxes, {0, 0, 0}, 1216,
    MarkerKind::kNewText, ValueStart::kZeros, 'P', false, true, true, " P ", &kFixedRules,
};

char DefaultShiftDigit(const uint8_t* config_block) {
  const uint32_t digit = BlockWord(config_block, kConfigShiftTable) >> 8 & 0xF;
  return digit >= 3 && digit <= 9 ? static_cast<char>('0' + digit) : '4';
}

char StartOffsetAxis(STRUCT_TRACER* record, char* entry, bool fixed) {
  if (!fixed) {
    entry[0] = '5';
    entry[1] = DefaultShiftDigit(record->configBlock);
    entry[2] = '\0';
  }
  const bool first = ReadHost<char>(record->modeText) == 'F';
  WriteHost<uint8_t>(record->axisIndex, first ? 0 : 1);
  const char* axes = record->defaultAxes;
  return axes != nullptr ? axes[first ? 0 : 1] : (first ? 'X' : 'Y');
}

void DrawNullRow(FormState* f, bool highlighted) {
  constexpr int kX = 352, kY = 192;
  constexpr uint32_t kFont = 38;
  DisplayTextForm(PackPoint(kX, kY), kFont, FormColour(f, 27), FormColour(f, 22));
  DisplayWriteText(" P ");
  DisplayTextForm(PackPoint(kX + 48, kY), kFont, FormColour(f, 27), FormColour(f, 27));
  DisplayWriteText("    ");
  DisplayTextForm(PackPoint(kX + 112, kY), kFont, FormColour(f, highlighted ? 27 : 24),
                  FormColour(f, highlighted ? 33 : 25));
  DisplayWriteText(" NULL ");
}
