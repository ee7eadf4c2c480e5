// POSUN_ZAPIS_NATVRDO: the current axis values written into a shift table
// without input, after Enter or after a short delay.
#include "bridge/display.h"
#include "bridge/localization.h"
#include "tracer/form_numbers.h"
#include "tracer/host_services.h"
#include "tracer/offset_forms.h"
#include "tracer/display_point.h"

namespace {

constexpr uint32_t kFont = 38;
constexpr uint16_t kDelayTicks = 18;
constexpr uint8_t kNoPreset = 255;
constexpr uint8_t kLeaveKey = 'G';

uint8_t Colour(const HardwiredForm* h, int byte) { return h->palette[byte - 20]; }

void Write(const HardwiredForm* h, int x, int y, int fg, int bg, const char* text) {
  DisplayTextForm(PackPoint(x, y), kFont, Colour(h, fg), Colour(h, bg));
  if (text != nullptr) DisplayWriteText(text);
}

void WriteText(uint32_t id) {
  if (const char* text = LocText(id)) DisplayWriteText(text);
}

void CopyOut(char* host, uint32_t size, const char* text) {
  if (host == nullptr) return;
  uint32_t n = 0;
  for (; n + 1 < size && text[n] != '\0'; ++n) host[n] = text[n];
  host[n] = '\0';
}

// A value as a right-aligned decimal field; false when it does not fit.
bool ValueField(int64_t value, int decimals, char* field) {
  char text[kValueTextBytes];
  return IntegerToDecimalText(value, decimals, text) && RightAlign(text, field);
}

int64_t AxisValue(const HardwiredForm* h, int axis) {
  return CallService1(h->record, h->record->axisValueHandle, static_cast<uint32_t>(axis)).value;
}

void DrawForm(const HardwiredForm* h, char digit) {
  Write(h, 16, 32, 27, 21, LocText(1207));
  Write(h, 16, 64, 27, 21, nullptr);
  static const uint32_t kDescriptions[] = {1214, 1228, 1229};
  for (uint32_t id : kDescriptions) WriteText(id);
  const char table[3] = {'5', digit, '\0'};
  Write(h, 352, 192, 27, 22, " G ");
  Write(h, 400, 192, 20, 25, " ");
  DisplayWriteText(table);
  Write(h, 352, 256, 27, 22, " X ");
  Write(h, 400, 256, 20, 25, h->x_fits ? h->x_text : "");
  Write(h, 352, 288, 27, 22, " Y ");
  Write(h, 400, 288, 20, 25, h->y_fits ? h->y_text : "");
  Write(h, 16, 368, 27, 21, "\n");
  WriteText(1230);
  DisplayWriteText(" G");
  WriteText(1210);
}

int Finish(HardwiredForm* h) {
  STRUCT_TRACER* r = h->record;
  // The settings' table digit stands in presetTable only while the form
  // writes: every way out restores "no preset table".
  if (!h->preset) WriteHost<uint8_t>(r->presetTable, kNoPreset);
  WriteHost<uint8_t>(r->formStatus, kFormFinished);
  h->open = false;
  return kFormFinished;
}

// One value into the table through the write service; false on failure
// (a value that does not fit is not written at all).
bool WriteAxis(HardwiredForm* h, int axis, const char* field, bool fits) {
  STRUCT_TRACER* r = h->record;
  if (!fits) return false;
  WriteHost<uint8_t>(r->axisIndex, static_cast<uint8_t>(axis));
  CopyOut(r->valueText, kValueTextBytes, field);
  const ServiceResult result = CallService0(r, r->writeEntryHandle);
  return result.called && result.value == 0;
}

// The preset table: X, its mirror axis, Y, its mirror axis, then axis 2.
bool WritePreset(HardwiredForm* h) {
  const uint32_t mirror = BlockWord(h->record->configBlock, kConfigMirrorAxes);
  const uint32_t mirror_x = mirror & 0x7, mirror_y = mirror >> 16 & 0x7;
  if (!WriteAxis(h, 0, h->x_text, h->x_fits)) return false;
  if (mirror_x >= 1 && mirror_x <= 6 && !WriteAxis(h, static_cast<int>(mirror_x - 1), h->x_text, h->x_fits))
    return false;
  if (!WriteAxis(h, 1, h->y_text, h->y_fits)) return false;
  if (mirror_y >= 1 && mirror_y <= 6 && !WriteAxis(h, static_cast<int>(mirror_y - 1), h->y_text, h->y_fits))
    return false;
  if ((BlockWord(h->record->configBlock, kConfigAxisTwo) >> 8 & 0xF) == 2) {
    char field[kValueTextBytes];
    const bool fits = ValueField(AxisValue(h, 2), h->decimals, field);
    if (!WriteAxis(h, 2, field, fits)) return false;
  }
  return true;
}

// Without a preset table: every axis the settings mark, current values.
bool WriteMarked(HardwiredForm* h) {
  const uint32_t marks = BlockWord(h->record->configBlock, kConfigHardwired);
  for (int k = 0; k < 6; ++k) {
    if ((marks >> (4 * k) & 1) == 0) continue;
    char field[kValueTextBytes];
    const bool fits = ValueField(AxisValue(h, k), h->decimals, field);
    if (!WriteAxis(h, k, field, fits)) return false;
  }
  return true;
}

}  // namespace

int HardwiredPrefix(HardwiredForm* h, STRUCT_TRACER* r) {
  *h = HardwiredForm{};
  h->record = r;
  DisplayBind(r);
  for (int i = 0; i < 18; ++i) h->palette[i] = DisplayPalette(20 + i);
  h->decimals = FormDecimals(r->configBlock);
  WriteHost<uint8_t>(r->formKind, kFormOffsets);
  WriteHost<uint8_t>(r->addMode, 255);
  WriteHost<uint8_t>(r->shiftFamily, 255);
  WriteHost<uint8_t>(r->writeMode, 255);
  CopyOut(r->sectionText, kSectionTextBytes, "$POS");
  CopyOut(r->tableName, kTableNameBytes, r->shiftTableName != nullptr ? r->shiftTableName : "");
  h->table_digit = static_cast<char>('0' + (BlockWord(r->configBlock, kConfigHardwired) >> 24 & 0xF));
  const uint8_t preset = ReadHost<uint8_t>(r->presetTable, kNoPreset);
  h->preset = preset != kNoPreset;
  const char digit = h->preset ? static_cast<char>(preset) : h->table_digit;
  const char entry[3] = {'5', digit, '\0'};
  CopyOut(r->entryText, kEntryTextBytes, entry);
  h->x_fits = ValueField(AxisValue(h, 0), h->decimals, h->x_text);
  h->y_fits = ValueField(AxisValue(h, 1), h->decimals, h->y_text);
  DrawForm(h, digit);
  WriteHost<uint8_t>(r->formKey, 0);
  h->start_tick = ReadHost<uint16_t>(r->tick);
  h->open = true;
  return 0;
}

int HardwiredData(HardwiredForm* h, STRUCT_TRACER* r) {
  if (!h->open || r == nullptr) return 0;
  h->record = r;
  const uint8_t key = ReadHost<uint8_t>(r->formKey);
  WriteHost<uint8_t>(r->formKey, 0);
  if (!h->preset) WriteHost<uint8_t>(r->presetTable, static_cast<uint8_t>(h->table_digit));
  if (key == kLeaveKey) return Finish(h);
  bool enter = key == kFormEnter;
  const bool waits_for_enter = !h->preset && (BlockWord(r->configBlock, kConfigHardwired) >> 31) != 0;
  const uint16_t tick = ReadHost<uint16_t>(r->tick);
  // A counter below the start has wrapped: the delay is over.
  if (!waits_for_enter && (static_cast<uint16_t>(tick - h->start_tick) > kDelayTicks || tick < h->start_tick))
    enter = true;
  if (!enter) {
    if (!h->preset) WriteHost<uint8_t>(r->presetTable, kNoPreset);
    return 0;
  }
  const bool written = h->preset ? WritePreset(h) : WriteMarked(h);
  if (!written) WriteHost<uint8_t>(r->messageCode, kMessageWriteFailed);
  return Finish(h);
}
