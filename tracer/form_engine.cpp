// The entry-form engine: set-up, keys, evaluation and the write.
#include "tracer/form_engine.h"

#include "bridge/display.h"
#include "tracer/form_draw.h"
#include "tracer/form_numbers.h"
#include "tracer/host_services.h"
#include "tracer/offset_forms.h"

namespace {

constexpr char kTooLarge[] = "suma > max";
constexpr uint8_t kReplaceAxis = 255;

enum class KeyOutcome { kStay, kWritten, kWriteFailed };

bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }

// Copies `text` (NUL-terminated, shorter than `size`) into a host buffer of
// `size` bytes, NUL included.
void CopyOut(char* host, uint32_t size, const char* text) {
  if (host == nullptr) return;
  uint32_t n = 0;
  for (; n + 1 < size && text[n] != '\0'; ++n) host[n] = text[n];
  host[n] = '\0';
}

void CopyText(char* to, uint32_t size, const char* from) {
  uint32_t n = 0;
  for (; n + 1 < size && from[n] != '\0'; ++n) to[n] = from[n];
  to[n] = '\0';
}

void PushFields(FormState* f) {
  STRUCT_TRACER* r = f->record;
  CopyOut(r->valueText, kValueTextBytes, f->value);
  CopyOut(r->resultText, kResultTextBytes, f->result);
  CopyOut(r->entryText, kEntryTextBytes, f->entry);
}

// What a load service left in resultText: at most 11 host bytes, NUL-ended
// here (a text filling all 11 is kept whole and then refused as too long).
void PullResult(const FormState* f, char* text) {
  const char* host = f->record->resultText;
  uint32_t n = 0;
  if (host != nullptr)
    for (; n < kResultTextBytes && host[n] != '\0'; ++n) text[n] = host[n];
  text[n] = '\0';
}

void RefreshAxisNames(FormState* f) {
  const char* names = f->record->axisNames;
  for (int i = 0; i < 6; ++i) f->axis_names[i] = names != nullptr ? names[i] : static_cast<char>('X' + i);
}

uint32_t HalvingBits(const FormState* f) { return BlockWord(f->record->configBlock, kConfigHalving) & 0xF; }

int PointColumn(const FormState* f) { return PointPosition(f->decimals) - 1; }

bool Fixed(const FormState* f) { return f->variant->offsets != nullptr && f->variant->offsets->fixed_table; }

bool CurrentEntryValid(const FormState* f) {
  if (Fixed(f)) return true;  // the fixed table has no entry number
  return EntryValid(f->entry, ReadHost<uint8_t>(f->record->shiftFamily) == 255, HalvingBits(f));
}

void RefuseResult(FormState* f) {
  CopyText(f->result, sizeof f->result, kTooLarge);
  PushFields(f);
  ShowResultLine(f, f->result);
  ShowWrittenRow(f, "");
}

void BlankResult(FormState* f) {
  f->result[0] = '\0';
  PushFields(f);
  ShowResultLine(f, f->result);
  ShowWrittenRow(f, "");
}

// Loads the current entry into the value field (the radius form).
void LoadCurrentEntry(FormState* f) {
  STRUCT_TRACER* r = f->record;
  if (ReadHost<uint8_t>(r->addMode) != 255) return;
  PushFields(f);
  CallService0(r, r->loadEntryHandle);
  WriteHost<uint8_t>(r->addMode, 0);
  char loaded[kResultTextBytes + 1], text[kResultTextBytes];
  PullResult(f, loaded);
  int64_t value = 0;
  if (!DecimalTextToInteger(loaded, kResultTextBytes, f->decimals, &value)) value = 0;
  IntegerToDecimalText(value, f->decimals, text);
  RightAlign(text, f->value);
  f->result[0] = '\0';
  PushFields(f);
}

void EvaluateSet(FormState* f, bool halving) {
  STRUCT_TRACER* r = f->record;
  int64_t entered = FieldToInteger(f->value, f->decimals);
  const int64_t position = CallService1(r, r->positionHandle, ReadHost<uint32_t>(r->positionArg)).value;
  if (halving) entered /= 2;
  const uint8_t axis = ReadHost<uint8_t>(r->axisIndex);
  const int64_t written = axis == kReplaceAxis ? entered : position - entered;
  if (written >= kResultLimit || written <= -kResultLimit) return RefuseResult(f);
  // The reading being set, doubled where the axis shows a diameter.
  const char machine = ReadHost<char>(r->machineType);
  int64_t shown = entered;
  if (axis == 0 && (machine == 'S' || machine == 'K')) shown *= 2;
  if (axis == 2 && machine == 'K' && (BlockWord(r->configBlock, kConfigMachineBits) >> 21 & 1)) shown *= 2;
  if (!IntegerToField(shown, f->decimals, f->result)) return RefuseResult(f);
  ShowResultLine(f, f->result);
  IntegerToField(written, f->decimals, f->result);
  PushFields(f);
  if (axis != kReplaceAxis) ShowWrittenRow(f, f->result);
}

void EvaluateAdd(FormState* f, bool halving) {
  STRUCT_TRACER* r = f->record;
  const FormKind kind = f->variant->kind;
  const int64_t entered = FieldToInteger(f->value, f->decimals);
  char text[kResultTextBytes + 1];
  if (kind == kFormOffsets) {
    IntegerToDecimalText(entered, f->decimals, text);
    RightAlign(text, f->value);
    RightAlign(text, f->result);
    PushFields(f);
    ShowValue(f);
    ShowResultLine(f, f->result);
    return;
  }
  PushFields(f);
  const uint32_t load = kind == kFormInkor2 ? r->loadCorrHandle
                        : kind == kFormInposun ? r->loadShiftHandle : r->loadEntryHandle;
  CallService0(r, load);
  PullResult(f, text);
  int64_t current = 0;
  const bool integer_text = kind == kFormInkor2 || kind == kFormInposun;
  const bool ok = integer_text ? ReadIntegerText(text, kResultTextBytes, &current)
                               : DecimalTextToInteger(text, kResultTextBytes, f->decimals, &current);
  const int64_t sum = (halving ? entered / 2 : entered) + current;
  if (!ok || sum >= kResultLimit || sum <= -kResultLimit) return RefuseResult(f);
  IntegerToDecimalText(sum, f->decimals, f->result);
  IntegerToDecimalText(entered, f->decimals, text);
  RightAlign(text, f->value);
  PushFields(f);
  ShowValue(f);
  ShowResultLine(f, f->result);
}

void Evaluate(FormState* f) {
  const STRUCT_TRACER* r = f->record;
  const FormKind kind = f->variant->kind;
  const bool halving = HalvingBits(f) == 1 && (kind == kFormInkor || kind == kFormInkor2) &&
                       ReadHost<uint8_t>(r->axisIndex) == 0;
  if (ReadHost<uint8_t>(r->addMode) == 255) EvaluateAdd(f, halving);
  else EvaluateSet(f, halving);
}

void Advance(FormState* f) {
  if (f->column >= 8) return;
  ++f->column;
  if (f->row != 0 && f->column == PointColumn(f)) ++f->column;
}

void KeyDown(FormState* f) {
  if (!CurrentEntryValid(f)) return;
  DrawCursor(f, false);
  if (f->row == 0) {
    if (Fixed(f)) DrawNullRow(f, false);
    f->row = 3;
    f->column = UnitsColumn(f->decimals);
  } else if (f->row == 3) {
    f->row = 4;
    f->column = 8;
    Evaluate(f);
  }
}

void KeyUp(FormState* f) {
  DrawCursor(f, false);
  if (f->row == 3) {
    f->row = 0;
    f->column = 1;
    if (Fixed(f)) DrawNullRow(f, true);
  } else if (f->row == 4) {
    f->row = 3;
    BlankResult(f);
    f->column = UnitsColumn(f->decimals);
  }
}

void KeyLeft(FormState* f) {
  if (Fixed(f) && f->row == 0) return;
  DrawCursor(f, false);
  if (f->column == 0) return;
  --f->column;
  if (f->row != 0 && f->column == PointColumn(f) && f->column > 0) --f->column;
  if (f->row == 3 && f->value[f->column + 1] == ' ') {
    f->value[f->column + 1] = '0';
    PushFields(f);
  }
}

void KeyRight(FormState* f) {
  if (Fixed(f) && f->row == 0) return;
  DrawCursor(f, false);
  if (f->row == 0) {
    f->column = 1;
    return;
  }
  Advance(f);
}

void KeyDigit(FormState* f, char digit) {
  if (Fixed(f) && f->row != 3) return;
  if (f->row == 0) {
    f->entry[f->column > 0 ? 1 : 0] = digit;
    PushFields(f);
    ShowEntry(f);
    if (f->column == 0) f->column = 1;
    if (f->variant->value == ValueStart::kLoaded) {
      // Each typed entry number shows that entry's current value.
      WriteHost<uint8_t>(f->record->addMode, 255);
      LoadCurrentEntry(f);
      ShowValue(f);
    }
  } else if (f->row == 3) {
    const int position = f->column + 1;
    if (position != PointPosition(f->decimals)) f->value[position] = digit;
    ShowValue(f);
    PushFields(f);
    Advance(f);
  }
}

void KeyAxis(FormState* f, uint8_t key) {
  static const char kAxisKeys[6] = {'X', 'Y', 'Z', 'U', 'V', 'W'};
  int axis = 0;
  while (axis < 6 && kAxisKeys[axis] != key) ++axis;
  int count = ReadHost<uint8_t>(f->record->axisCount);
  if (count > 6) count = 6;
  if (axis > 0 && axis >= count) return;  // 'X' is always there
  WriteHost<uint8_t>(f->record->axisIndex, static_cast<uint8_t>(axis));
  ShowAxisLetter(f, f->axis_names[axis]);
  const OffsetRules* rules = f->variant->offsets;
  if (rules == nullptr || !rules->axis_value_position) return;
  // The new axis starts again from 0, measured from its own position.
  STRUCT_TRACER* r = f->record;
  WriteHost<uint32_t>(r->positionArg, static_cast<uint32_t>(CallService1(r, r->axisValueHandle, axis).value));
  char text[kResultTextBytes];
  IntegerToDecimalText(0, f->decimals, text);
  RightAlign(text, f->value);
  ShowValue(f);
  PushFields(f);
  if (rules->advance_on_axis_key && f->row == 3) Advance(f);
}

KeyOutcome WriteEntry(FormState* f) {
  if (f->result[0] == 's' || f->result[0] == '\0') return KeyOutcome::kStay;
  PushFields(f);
  const uint32_t handle = Fixed(f) ? f->record->writeFixHandle : f->record->writeEntryHandle;
  const ServiceResult r = CallService0(f->record, handle);
  f->written = true;
  // An absent service wrote nothing either.
  return !r.called || r.value != 0 ? KeyOutcome::kWriteFailed : KeyOutcome::kWritten;
}

KeyOutcome ActOnKey(FormState* f, uint8_t key) {
  switch (key) {
    case kFormDown: KeyDown(f); break;
    case kFormUp: KeyUp(f); break;
    case kFormLeft: KeyLeft(f); break;
    case kFormRight: KeyRight(f); break;
    case kFormSign:
      if (f->row == 3) {
        f->value[0] = f->value[0] == '-' ? '+' : '-';
        ShowValue(f);
        PushFields(f);
        Advance(f);
      }
      break;
    case kFormEnter: {
      if (!CurrentEntryValid(f)) break;
      if (f->row == 4) return WriteEntry(f);
      if (Fixed(f) && f->row == 0)
        return ResetFixedTable(f->record) ? KeyOutcome::kWritten : KeyOutcome::kWriteFailed;
      const int from = f->row;
      KeyDown(f);
      if (f->variant->enter_evaluates_again && from == 3) Evaluate(f);
      break;
    }
    default:
      if (IsDigit(key)) KeyDigit(f, static_cast<char>(key));
      else if (f->variant->axis_keys) KeyAxis(f, key);
      break;
  }
  return KeyOutcome::kStay;
}

int Finish(FormState* f) {
  WriteHost<uint8_t>(f->record->formStatus, kFormFinished);
  return kFormFinished;
}

}  // namespace

bool EntryValid(const char* entry, bool shift_family, uint32_t halving_bits) {
  if (!IsDigit(entry[0]) || !IsDigit(entry[1])) return false;
  if (!shift_family) return entry[0] != '0' || entry[1] != '0';
  if (halving_bits == 2) return entry[0] == '5' && entry[1] == '4';
  return entry[0] == '5' && entry[1] >= '3';
}

int FormPrefix(FormState* f, STRUCT_TRACER* record, const FormVariant* variant) {
  *f = FormState{};
  f->record = record;
  f->variant = variant;
  DisplayBind(record);
  for (int i = 0; i < 18; ++i) f->palette[i] = DisplayPalette(20 + i);
  f->decimals = FormDecimals(record->configBlock);
  f->visible = true;
  f->last_tick = ReadHost<uint16_t>(record->tick);
  CopyOut(record->sectionText, kSectionTextBytes, variant->shift_table ? "$POS" : "$KOR");
  const OffsetRules* rules = variant->offsets;
  const bool fixed = rules != nullptr && rules->fixed_table;
  const char* source = variant->shift_table ? record->shiftTableName : record->corrTableName;
  char name[kTableNameBytes];
  CopyText(name, sizeof name, source != nullptr ? source : "");
  if (!fixed) CopyOut(record->tableName, kTableNameBytes, name);
  if (rules != nullptr) {
    WriteHost<uint8_t>(record->writeMode, rules->write_mode);
    WriteHost<uint8_t>(record->shiftFamily, 255);
  }

  WriteHost<uint8_t>(record->formKind, variant->kind);
  WriteHost<uint8_t>(record->addMode, variant->add_mode);
  if (variant->axis == AxisStart::kFirst) WriteHost<uint8_t>(record->axisIndex, 0);
  if (variant->axis == AxisStart::kReplace) WriteHost<uint8_t>(record->axisIndex, kReplaceAxis);
  if (variant->position_arg_zero) WriteHost<uint32_t>(record->positionArg, 0);
  CopyText(f->entry, sizeof f->entry, variant->entry);
  char letter = 'R';
  if (variant->axis == AxisStart::kDefaultAxes) letter = StartOffsetAxis(record, f->entry, fixed);
  if (rules != nullptr && rules->axis_value_position) {
    const uint8_t axis = ReadHost<uint8_t>(record->axisIndex);
    WriteHost<uint32_t>(record->positionArg, static_cast<uint32_t>(CallService1(record, record->axisValueHandle, axis).value));
  }
  RefreshAxisNames(f);
  if (variant->value == ValueStart::kBlankZero) BlankZeroField(f->decimals, f->value);
  else ZeroField(f->decimals, f->value);
  PushFields(f);
  if (variant->value == ValueStart::kLoaded) LoadCurrentEntry(f);

  if (variant->letter == LetterSource::kHostLetter) letter = ReadHost<char>(record->axisLetter, ' ');
  if (variant->letter == LetterSource::kAxisNames) letter = 'X';
  DrawFormLayout(f, letter);
  if (variant->value != ValueStart::kBlankZero) {
    ShowValue(f);
    PushFields(f);
    f->column = 1;
  }
  if (fixed) {
    f->row = 3;
    f->column = UnitsColumn(f->decimals);
  }
  DrawCursor(f, true);
  WriteHost<uint8_t>(record->formKey, 0);
  return 0;
}

int FormData(FormState* f, STRUCT_TRACER* record) {
  if (f->variant == nullptr || record == nullptr) return 0;
  f->record = record;
  DisplayBind(record);
  RefreshAxisNames(f);
  const uint8_t key = ReadHost<uint8_t>(record->formKey);
  WriteHost<uint8_t>(record->formKey, 0);
  f->last_key = key;
  if (key != 0 && key == f->variant->leave_key) return Finish(f);
  const uint16_t tick = ReadHost<uint16_t>(record->tick);
  const bool blinks = !Fixed(f) || f->row >= 3;  // the fixed form's NULL row does not blink
  if (blinks && static_cast<uint16_t>(tick - f->last_tick) >= 3) {
    f->last_tick = tick;
    f->visible = !f->visible;
    DrawCursor(f, f->visible);
  }
  if (key == 0) return 0;
  switch (ActOnKey(f, key)) {
    case KeyOutcome::kWriteFailed:
      WriteHost<uint8_t>(record->messageCode, kMessageWriteFailed);
      return Finish(f);
    case KeyOutcome::kWritten: return Finish(f);
    case KeyOutcome::kStay: break;
  }
  f->visible = true;
  if (!Fixed(f) || f->row >= 3) DrawCursor(f, true);
  return 0;
}
