// The transformation dialog's state: walks, editing, Enter and save.
#include "tracer/transform_dialog.h"

#include "tracer/host_services.h"
#include "tracer/transform_dialog_draw.h"

namespace {

constexpr uint8_t kKeyNext = 1, kKeyNextToo = 14, kKeyPrevious = 2, kKeyPreviousToo = 12;
constexpr uint8_t kKeyEnter = 164, kKeyPoint = 43, kKeySign = 63, kKeyClear = 46;
enum Message : int {
  kMessageChoose = 1, kMessageActivated, kMessageDeactivated, kMessageEnterParams, kMessageSaved,
  kMessageNotSaved, kMessageBad,
};

bool Plane(const TransformDialog* d) { return d->type == 1 || d->type == 2; }
bool Space(const TransformDialog* d) { return d->type == 3; }
bool HasType(const TransformDialog* d) { return Plane(d) || Space(d); }

bool Active(const TransformDialog* d) {
  return HasType(d) && ReadHost<uint8_t>(d->record->transformActive[d->type - 1]) != 0;
}

bool Full(const char* places, int count) {
  for (int i = 0; i < count; ++i)
    if (places[i] == ' ') return false;
  return true;
}

// The value field's visible text (without the leading blanks).
const char* Visible(const char* field) {
  while (*field == ' ') ++field;
  return field;
}

void StoreRightAligned(char* field, const char* text, int length) {
  for (int i = 0; i < kDialogValueChars; ++i) {
    const int from = length - (kDialogValueChars - i);
    field[i] = from >= 0 ? text[from] : ' ';
  }
  field[kDialogValueChars] = '\0';
}

void EditValue(TransformDialog* d, uint8_t key) {
  char* field = d->values[d->field - kFieldA1];
  char text[kDialogValueChars + 2];
  const char* visible = Visible(field);
  int n = 0;
  while (visible[n] != '\0') text[n] = visible[n], ++n;
  if (key == kKeySign) {
    if (n > 0 && text[0] == '-') {
      for (int i = 1; i <= n; ++i) text[i - 1] = text[i];
      --n;
    } else {
      if (n + 1 > kDialogValueChars) return;
      for (int i = n; i > 0; --i) text[i] = text[i - 1];
      text[0] = '-';
      ++n;
    }
  } else {
    if (key == kKeyPoint) {
      for (int i = 0; i < n; ++i)
        if (text[i] == '.') return;  // one decimal point only
    }
    if (n + 1 > kDialogValueChars) return;  // the field holds ten characters
    text[n++] = key == kKeyPoint ? '.' : static_cast<char>(key);
  }
  StoreRightAligned(field, text, n);
}

// An axis letter entering the plane (2 places) or space (3 places) field
// from the right.
void EnterAxis(TransformDialog* d, int axis) {
  char* places = d->field == kFieldPlaneAxes ? d->plane : d->space;
  const int count = d->field == kFieldPlaneAxes ? 2 : 3;
  const char letter = d->letters[axis];
  if (letter == 0 || Full(places, count)) return;
  for (int i = 0; i < count; ++i)
    if (places[i] == letter) return;  // already chosen
  for (int i = 0; i + 1 < count; ++i) places[i] = places[i + 1];
  places[count - 1] = letter;
  d->mask = static_cast<uint8_t>(d->mask | 1u << axis);
}

void ClearField(TransformDialog* d) {
  if (d->field == kFieldPlaneAxes || d->field == kFieldSpaceAxes) {
    char* places = d->field == kFieldPlaneAxes ? d->plane : d->space;
    for (int i = 0; places[i] != '\0'; ++i) places[i] = ' ';
    d->mask = 0;
  } else if (d->field >= kFieldA1 && d->field <= kFieldAngle3) {
    StoreRightAligned(d->values[d->field - kFieldA1], "", 0);
  }
}

void ClearAll(TransformDialog* d) {
  d->plane[0] = d->plane[1] = ' ';
  d->plane[2] = '\0';
  d->space[0] = d->space[1] = d->space[2] = ' ';
  d->space[3] = '\0';
  for (char* value : d->values) StoreRightAligned(value, "", 0);
  d->mask = 0;
}

// At most ten characters and NUL: the field as stored, or "0".
void CopyOut(char* host, const char* text) {
  if (host == nullptr) return;
  int n = 0;
  for (; n < kDialogValueChars && text[n] != '\0'; ++n) host[n] = text[n];
  host[n] = '\0';
}

void Save(TransformDialog* d) {
  STRUCT_TRACER* r = d->record;
  d->message = kMessageSaved;
  const int wanted = Space(d) ? 3 : 2;
  int bits = 0;
  for (int i = 0; i < 6; ++i) bits += d->mask >> i & 1;
  if (bits != wanted) d->message = kMessageBad;
  WriteHost<uint8_t>(r->axisMask, d->mask);
  d->mask = 0;
  CopyOut(r->distanceText[0], d->values[kFieldA1 - kFieldA1]);
  CopyOut(r->distanceText[1], d->values[kFieldA2 - kFieldA1]);
  CopyOut(r->angleText[0], d->values[kFieldAngle1 - kFieldA1]);
  CopyOut(r->distanceText[2], Space(d) ? d->values[kFieldA3 - kFieldA1] : "0");
  CopyOut(r->angleText[1], Space(d) ? d->values[kFieldAngle2 - kFieldA1] : "0");
  CopyOut(r->angleText[2], Space(d) ? d->values[kFieldAngle3 - kFieldA1] : "0");
  CallService0(r, r->saveHandle);
  CallService0(r, r->storeHandle[d->type - 1]);
  // The values go; the axis letters stay on the screen, so a second save
  // without choosing the axes again reports the empty mask.
  for (char* value : d->values) StoreRightAligned(value, "", 0);
  d->redraw = true;
}

void Enter(TransformDialog* d) {
  STRUCT_TRACER* r = d->record;
  const bool acts = d->field == kFieldActivate || d->field == kFieldDeactivate || d->field == kFieldSave ||
                    d->field == kFieldEnterParams;
  if (acts && !HasType(d)) {
    // No transformation type is chosen: no service is called.
    d->message = kMessageBad;
    return;
  }
  switch (d->field) {
    case kFieldActivate:
      CallService0(r, r->activateHandle[d->type - 1]);
      d->message = kMessageActivated;
      d->field = kFieldEnd;
      break;
    case kFieldDeactivate:
      CallService0(r, r->deactivateHandle[d->type - 1]);
      d->message = kMessageDeactivated;
      d->field = kFieldEnd;
      break;
    case kFieldEnterParams:
      d->message = kMessageEnterParams;
      d->field = Plane(d) ? kFieldPlaneAxes : kFieldSpaceAxes;
      break;
    case kFieldSave:
      Save(d);
      d->field = kFieldEnd;
      break;
    case kFieldEnd: d->finish = true; break;
    default: d->field = DialogNextField(d, &d->message); break;
  }
}

}  // namespace

int DialogNextField(const TransformDialog* d, int* message) {
  switch (d->field) {
    case kFieldActivate: return kFieldDeactivate;
    case kFieldDeactivate: return Active(d) ? kFieldActivate : kFieldEnterParams;
    case kFieldEnterParams: return kFieldActivate;
    case kFieldPlaneAxes: return Full(d->plane, 2) ? kFieldA1 : kFieldPlaneAxes;
    case kFieldSpaceAxes: return Full(d->space, 3) ? kFieldA1 : kFieldSpaceAxes;
    case kFieldA1: return kFieldA2;
    case kFieldA2: return Plane(d) ? kFieldAngle1 : kFieldA3;
    case kFieldA3: return kFieldAngle1;
    case kFieldAngle1: return Plane(d) ? kFieldSave : kFieldAngle2;
    case kFieldAngle2: return kFieldAngle3;
    case kFieldAngle3: return kFieldSave;
    case kFieldSave: *message = kMessageNotSaved; return kFieldEnd;
    default: *message = kMessageChoose; return kFieldActivate;
  }
}

int DialogPreviousField(const TransformDialog* d, int* message) {
  switch (d->field) {
    case kFieldActivate: return Active(d) ? kFieldDeactivate : kFieldEnterParams;
    case kFieldDeactivate: return kFieldActivate;
    case kFieldEnterParams: return kFieldDeactivate;
    case kFieldPlaneAxes:
      if (!Full(d->plane, 2)) return kFieldPlaneAxes;
      *message = kMessageChoose;
      return kFieldEnterParams;
    case kFieldSpaceAxes:
      if (!Full(d->space, 3)) return kFieldSpaceAxes;
      *message = kMessageChoose;
      return kFieldEnterParams;
    case kFieldA1: return Plane(d) ? kFieldPlaneAxes : kFieldSpaceAxes;
    case kFieldA2: return kFieldA1;
    case kFieldA3: return kFieldA2;
    case kFieldAngle1: return Plane(d) ? kFieldA2 : kFieldA3;
    case kFieldAngle2: return kFieldAngle1;
    case kFieldAngle3: return kFieldAngle2;
    case kFieldSave: return Plane(d) ? kFieldAngle1 : kFieldAngle3;
    default: *message = kMessageChoose; return kFieldActivate;
  }
}

void DialogKey(TransformDialog* d, uint8_t key) {
  static const char kAxisKeys[6] = {'X', 'Y', 'Z', 'U', 'V', 'W'};
  const bool value_field = d->field >= kFieldA1 && d->field <= kFieldAngle3;
  const bool axis_field = d->field == kFieldPlaneAxes || d->field == kFieldSpaceAxes;
  if (key == kKeyNext || key == kKeyNextToo) {
    d->field = DialogNextField(d, &d->message);
  } else if (key == kKeyPrevious || key == kKeyPreviousToo) {
    d->field = DialogPreviousField(d, &d->message);
  } else if (key == kKeyEnter) {
    Enter(d);
  } else if (key == kKeyClear) {
    ClearField(d);
  } else if (value_field && ((key >= '0' && key <= '9') || key == kKeyPoint || key == kKeySign)) {
    EditValue(d, key);
  } else if (axis_field) {
    for (int axis = 0; axis < 6; ++axis)
      if (kAxisKeys[axis] == key && axis < d->axis_count) EnterAxis(d, axis);
  }
}

int TransformPrefix(TransformDialog* d, STRUCT_TRACER* record) {
  *d = TransformDialog{};
  d->record = record;
  d->type = record->transformType >= 1 && record->transformType <= 3 ? record->transformType : 0;
  // Axis codes of axes 1..6: the low bytes of settings words 4 to 24.
  for (int k = 0; k < 6; ++k) {
    const uint32_t code = BlockWord(record->configBlock, 4u * (k + 1)) & 0xFF;
    char letter = 0;
    if (code >= 1 && code <= 3) letter = static_cast<char>('A' + code - 1);
    if (code >= 33 && code <= 38) letter = static_cast<char>('U' + code - 33);
    d->letters[k] = letter;
    if (code != 0) ++d->axis_count;
  }
  ClearAll(d);
  d->field = kFieldActivate;
  BindDialog(d);
  DrawDialog(d);
  d->drawn_field = d->field;
  return 0;
}

int TransformData(TransformDialog* d, STRUCT_TRACER* record) {
  if (d->record == nullptr || record == nullptr) return 0;
  d->record = record;
  const uint8_t key = ReadHost<uint8_t>(record->formKey);
  WriteHost<uint8_t>(record->formKey, 0);
  if (key == 0) return 0;
  DialogKey(d, key);
  BindDialog(d);
  if (d->field != d->drawn_field || d->redraw) {
    DrawDialogFields(d);
    d->drawn_field = d->field;
    d->redraw = false;
  } else {
    DrawDialogField(d, d->field);
  }
  if (d->message != 0) {
    DrawDialogMessage(d, d->message);
    d->message = 0;
  }
  if (!d->finish) return 0;
  WriteHost<uint8_t>(record->formStatus, 9);
  return 9;
}
