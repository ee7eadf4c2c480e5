// The transformation dialog: field texts, the keys that edit them, the
// order in which the keys move between fields, and the drawing.
#include <string.h>

#include "bridge/fsp.h"
#include "bridge/gdi.h"
#include "bridge/localization.h"
#include "kerf/texts.h"
#include "kerf/transform.h"

namespace {

TransformContext g_transform;

const uint8_t kKind0Layout[] = {kSlotSegments,  kSlotAngle,     kSlotAngleEven, kSlotSegmentsX,
                                kSlotXShift,    kSlotYShift,    kSlotPairShift, kSlotEvenYShift,
                                kSlotRowShift,  kSlotShorter,   kSlotOk,        kSlotCancel};
const uint8_t kKind1Layout[] = {kSlotSegmentsX, kSlotSegmentsY, kSlotXShift, kSlotEvenYShift,
                                kSlotAngle,     kSlotAngleEven, kSlotOk,     kSlotCancel};
const uint8_t kKind2Layout[] = {kSlotSegmentsX, kSlotSegmentsY, kSlotXShift, kSlotEvenYShift,
                                kSlotAngle,     kSlotOk,        kSlotCancel};

bool IsCount(uint8_t slot) {
  return slot == kSlotSegments || slot == kSlotSegmentsX || slot == kSlotSegmentsY;
}
// Angles and shifts take a decimal point and a sign.
bool IsReal(uint8_t slot) {
  return slot == kSlotAngle || slot == kSlotAngleEven ||
         (slot >= kSlotXShift && slot <= kSlotRowShift);
}
bool IsText(uint8_t slot) { return IsCount(slot) || IsReal(slot); }

bool Equal(const char* a, const char* b) { return strcmp(a, b) == 0; }

// ---------------------------------------------------------------------------
// Field order and skipping.

// Kind 0: one copy (N "1", "0" or "-") needs none of the array fields.
bool Kind0OneCopy(const TransformContext* t) {
  const char* n = t->fields.text[kSlotSegments];
  return Equal(n, "1") || Equal(n, "0") || Equal(n, "-");
}

bool Kind0Identical(const TransformContext* t) {
  return Equal(KindZeroText(&t->fields, kSlotAngle), KindZeroText(&t->fields, kSlotAngleEven)) &&
         Equal(t->odd_path, t->even_path);
}

bool Kind0Applies(const TransformContext* t, uint8_t slot) {
  if (slot >= kSlotAngleEven && slot <= kSlotShorter && Kind0OneCopy(t)) return false;
  if ((slot == kSlotPairShift || slot == kSlotEvenYShift) && Kind0Identical(t)) return false;
  if (slot == kSlotShorter && FieldNumber(t->fields.text[kSlotRowShift]) == 0) return false;
  return true;
}

uint8_t Kind0Next(const TransformContext* t, uint8_t slot, bool forward) {
  uint8_t s = slot;
  for (int i = 0; i < kSlotCancel; ++i) {
    if (forward) s = s >= kSlotCancel ? kSlotSegments : s + 1;
    else s = s <= kSlotSegments ? kSlotCancel : s - 1;
    if (Kind0Applies(t, s)) return s;
  }
  return slot;
}

// Kind 1: with a second angle the output is one pair, so the counts are
// passed over.
uint8_t Kind1Next(const TransformContext* t, uint8_t slot, bool forward) {
  bool pair = t->fields.text[kSlotAngleEven][0] != '\0';
  if (forward) {
    switch (slot) {
      case kSlotSegmentsX: return kSlotSegmentsY;
      case kSlotSegmentsY: return kSlotXShift;
      case kSlotXShift: return kSlotEvenYShift;
      case kSlotEvenYShift: return kSlotAngle;
      case kSlotAngle: return kSlotAngleEven;
      case kSlotAngleEven: return kSlotOk;
      case kSlotOk: return kSlotCancel;
      default: return pair ? kSlotXShift : kSlotSegmentsX;
    }
  }
  switch (slot) {
    case kSlotCancel: return kSlotOk;
    case kSlotOk: return kSlotAngleEven;
    case kSlotAngleEven: return kSlotAngle;
    case kSlotAngle: return kSlotEvenYShift;
    case kSlotEvenYShift: return kSlotXShift;
    case kSlotXShift: return pair ? kSlotCancel : kSlotSegmentsY;
    case kSlotSegmentsY: return kSlotSegmentsX;
    default: return kSlotCancel;
  }
}

// Kind 2: with one copy (NX and NY both "1") the shifts are passed over.
uint8_t Kind2Next(const TransformContext* t, uint8_t slot, bool forward) {
  bool one = Equal(t->fields.text[kSlotSegmentsX], "1") &&
             Equal(t->fields.text[kSlotSegmentsY], "1");
  if (forward) {
    switch (slot) {
      case kSlotSegmentsX: return kSlotSegmentsY;
      case kSlotSegmentsY: return one ? kSlotAngle : kSlotXShift;
      case kSlotXShift: return kSlotEvenYShift;
      case kSlotEvenYShift: return kSlotAngle;
      case kSlotAngle: return kSlotOk;
      case kSlotOk: return kSlotCancel;
      default: return kSlotSegmentsX;
    }
  }
  switch (slot) {
    case kSlotCancel: return kSlotOk;
    case kSlotOk: return kSlotAngle;
    case kSlotAngle: return one ? kSlotSegmentsY : kSlotEvenYShift;
    case kSlotEvenYShift: return kSlotXShift;
    case kSlotXShift: return kSlotSegmentsY;
    case kSlotSegmentsY: return kSlotSegmentsX;
    default: return kSlotCancel;
  }
}

// ---------------------------------------------------------------------------
// Editing.

void Select(TransformContext* t, uint8_t slot) {
  t->selected = slot;
  t->fresh = true;
}

void AppendDigit(TransformContext* t, char digit) {
  char* text = t->fields.text[t->selected];
  if (t->fresh || Equal(text, "0")) text[0] = '\0';
  else if (Equal(text, "-0")) text[1] = '\0';
  size_t length = strlen(text);
  if (length >= kFieldTextMax) return;
  text[length] = digit;
  text[length + 1] = '\0';
}

void AppendPoint(TransformContext* t) {
  char* text = t->fields.text[t->selected];
  size_t length = strlen(text);
  if (strchr(text, '.') != nullptr || length >= kFieldTextMax) return;
  text[length] = '.';
  text[length + 1] = '\0';
}

void DeleteLast(TransformContext* t) {
  char* text = t->fields.text[t->selected];
  size_t length = strlen(text);
  if (length > 0) text[--length] = '\0';
  // An emptied field reads "0" - except kind 1's second angle, whose empty
  // text is what chooses the matrix: it must stay reachable.
  bool may_be_empty = t->kind == 1 && t->selected == kSlotAngleEven;
  if (length == 0 && !may_be_empty) strcpy(text, "0");
}

void ToggleSign(TransformContext* t) {
  char* text = t->fields.text[t->selected];
  size_t length = strlen(text);
  if (text[0] == '-') {
    memmove(text, text + 1, length);
  } else if (length < kFieldTextMax) {
    memmove(text + 1, text, length + 1);
    text[0] = '-';
  }
}

// ---------------------------------------------------------------------------
// Drawing.

void SetWindowClip(const TransformContext* t) {
  GdiSetClip(t->left, t->top, t->right, t->bottom);
}

GdiRectI TitleBar(const TransformContext* t) {
  return GdiRectI{t->left + 5, t->top + 5, t->right - 5, t->top + 21};
}

void DrawTitle(const TransformContext* t) {
  GdiSetColors(CLR_P2, CLR_P2);
  GdiFillRectClipped(TitleBar(t));
  GdiText(t->left + 10, t->top + 5, 25, 1, CLR_BLACK, CLR_P2, 2);
  GdiWriteText(LocText(kerf_text::kContourTransformation));
}

// A value padded (or cut) to the ten columns of its box.
void WritePadded(const char* text) {
  char padded[kFieldTextMax + 1];
  size_t i = 0;
  for (; text != nullptr && text[i] != '\0' && i < kFieldTextMax; ++i) padded[i] = text[i];
  for (; i < kFieldTextMax; ++i) padded[i] = ' ';
  padded[kFieldTextMax] = '\0';
  GdiWriteText(padded);
}

}  // namespace

TransformContext* TheTransform() { return &g_transform; }

uint32_t KindLayout(uint8_t kind, const uint8_t** slots) {
  switch (kind) {
    case 1: *slots = kKind1Layout; return sizeof kKind1Layout;
    case 2: *slots = kKind2Layout; return sizeof kKind2Layout;
    default: *slots = kKind0Layout; return sizeof kKind0Layout;
  }
}

uint32_t SlotLabel(uint8_t kind, uint8_t slot) {
  switch (slot) {
    case kSlotSegments: return kerf_text::kNumberOfSegments;
    case kSlotAngle: return kerf_text::kAngle;
    case kSlotAngleEven: return kerf_text::kAngleOfEven;
    case kSlotSegmentsX: return kerf_text::kSegmentsX;
    case kSlotXShift: return kerf_text::kXShift;
    case kSlotYShift: return kerf_text::kYShift;
    case kSlotPairShift: return kerf_text::kPairShiftX;
    case kSlotEvenYShift: return kind == 0 ? kerf_text::kEvenShiftY : kerf_text::kYShift;
    case kSlotRowShift: return kerf_text::kEvenLineShiftX;
    case kSlotShorter: return kerf_text::kShorterEvenLine;
    case kSlotOk: return kerf_text::kOk;
    case kSlotCancel: return kerf_text::kCancel;
    case kSlotSegmentsY: return kerf_text::kSegmentsY;
    default: return kerf_text::kNoError;
  }
}

int32_t SlotRow(uint8_t kind, uint8_t slot) {
  const uint8_t* slots;
  uint32_t count = KindLayout(kind, &slots);
  uint32_t fields = count - 2;
  for (uint32_t i = 0; i < count; ++i) {
    if (slots[i] != slot) continue;
    if (slot == kSlotOk) return static_cast<int32_t>(fields + 1);
    if (slot == kSlotCancel) return static_cast<int32_t>(fields + 2);
    return static_cast<int32_t>(i);
  }
  return -1;
}

void SetFieldDefaults(TransformFields* f) {
  for (uint32_t s = 0; s < kSlotCount; ++s) strcpy(f->text[s], IsText(static_cast<uint8_t>(s)) ? "0" : "");
  strcpy(f->text[kSlotSegments], "1");
  strcpy(f->text[kSlotSegmentsX], "1");
  strcpy(f->text[kSlotSegmentsY], "1");
  // Kind 1 reads an empty second angle as "a matrix, no pair".
  f->text[kSlotAngleEven][0] = '\0';
  f->shorter = false;
  f->defaults_set = true;
}

const char* KindZeroText(const TransformFields* f, uint8_t slot) {
  const char* text = f->text[slot];
  return text[0] == '\0' && IsText(slot) ? "0" : text;
}

double FieldNumber(const char* text) {
  bool negative = text[0] == '-';
  double value = 0;
  int decimals = 0;
  bool after_point = false;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p == '.') {
      after_point = true;
    } else if (*p >= '0' && *p <= '9') {
      value = value * 10 + (*p - '0');
      if (after_point) ++decimals;
    }
  }
  for (int i = 0; i < decimals; ++i) value /= 10;
  return negative ? -value : value;
}

uint8_t NextSlot(const TransformContext* t, uint8_t slot, bool forward) {
  switch (t->kind) {
    case 1: return Kind1Next(t, slot, forward);
    case 2: return Kind2Next(t, slot, forward);
    default: return Kind0Next(t, slot, forward);
  }
}

uint32_t TransformKey(TransformContext* t, uint8_t key) {
  uint8_t s = t->selected;
  // Kind 0 shows an empty text as "0"; the keys edit what it shows.
  if (t->kind == 0 && IsText(s) && t->fields.text[s][0] == '\0') strcpy(t->fields.text[s], "0");
  if (key >= '0' && key <= '9') {
    if (IsText(s)) AppendDigit(t, static_cast<char>(key));
  } else if (key == kKeyPoint) {
    if (IsReal(s)) AppendPoint(t);
  } else if (key == kKeyDelete) {
    if (IsText(s)) DeleteLast(t);
  } else if (key == kKeySign) {
    if (IsReal(s)) ToggleSign(t);
  } else if (key == kKeyPrevious || key == kKeyNext) {
    Select(t, NextSlot(t, s, key == kKeyNext));
    return 1;
  } else if (key == kKeyToggleA || key == kKeyToggleB) {
    if (s == kSlotShorter) t->fields.shorter = !t->fields.shorter;
  } else if (key == kKeyEnter) {
    if (s == kSlotCancel) return 2;
    if (s == kSlotOk) return GenerateNesting(t);
    Select(t, NextSlot(t, s, true));
    return 1;
  } else {
    return 1;  // a key the dialog does not use
  }
  t->fresh = false;
  return 1;
}

void DrawTransformFrame(const TransformContext* t) {
  SetWindowClip(t);
  GdiSetColors(CLR_FILL, CLR_FILL);
  GdiFillRectClipped(t->left, t->top, t->right, t->bottom);
  DrawTitle(t);
  GdiSetColors(CLR_BLACK, CLR_FILL);
  GdiRect(t->left + 5, t->top + 26, t->right - 5, t->bottom - 5, kPatternSolid);
  const uint8_t* slots;
  uint32_t count = KindLayout(t->kind, &slots);
  for (uint32_t i = 0; i + 2 < count; ++i) {
    GdiText(t->left + 10, t->top + 40 + 20 * static_cast<int32_t>(i), 25, 1, CLR_BLACK, CLR_FILL, 2);
    GdiWriteText(LocText(SlotLabel(t->kind, slots[i])));
  }
}

void DrawTransformValues(const TransformContext* t) {
  SetWindowClip(t);
  const uint8_t* slots;
  uint32_t count = KindLayout(t->kind, &slots);
  for (uint32_t i = 0; i < count; ++i) {
    uint8_t s = slots[i];
    bool selected = s == t->selected;
    GdiText(t->left + 220, t->top + 40 + 20 * SlotRow(t->kind, s), kFieldTextMax, 1,
            selected ? CLR_WHITE : CLR_BLACK, selected ? CLR_BLACK : CLR_WHITE, 2);
    if (s == kSlotShorter) WritePadded(LocText(t->fields.shorter ? kerf_text::kYes : kerf_text::kNo));
    else if (s == kSlotOk || s == kSlotCancel) WritePadded(LocText(SlotLabel(t->kind, s)));
    else if (t->kind == 0) WritePadded(KindZeroText(&t->fields, s));
    else WritePadded(t->fields.text[s]);
  }
}

void DrawTransformPercent(TransformContext* t, int32_t percent) {
  if (percent > 100) percent = 100;
  if (percent < 0) percent = 0;
  if (percent == t->percent_shown) return;
  t->percent_shown = percent;
  char text[16];
  TextBuffer b = MakeTextBuffer(text, sizeof text);
  TextAppendUnsigned(&b, static_cast<uint32_t>(percent));
  TextAppend(&b, "%  ");
  const char* title = LocText(kerf_text::kContourTransformation);
  int32_t title_length = title != nullptr ? static_cast<int32_t>(strlen(title)) : 0;
  SetWindowClip(t);
  GdiText(t->left + 8 * title_length + 21, t->top + 5, 4, 1, CLR_BLACK, CLR_P2, 2);
  GdiWriteText(text);
}

void DrawTransformError(const TransformContext* t) {
  SetWindowClip(t);
  GdiRectI bar = TitleBar(t);
  GdiSetColors(CLR_RED, CLR_RED);
  GdiFillRectClipped(bar);
  GdiText(bar.x1, bar.y1, static_cast<uint32_t>(bar.x2 - bar.x1) / 8, 1, CLR_WHITE, CLR_RED, 2);
  GdiWriteText(LocText(t->error_text));
}

namespace {

// Copies a host path; false (and an empty path) when it does not fit.
bool CopyPath(char* to, const char* from) {
  to[0] = '\0';
  if (from == nullptr) return true;
  size_t length = strnlen(from, kTransformPathMax);
  if (length >= kTransformPathMax) return false;
  memcpy(to, from, length + 1);
  return true;
}

}  // namespace

uint32_t KerfTransformStart(TransformContext* t, TRANSFORM_INFO* info) {
  if (!t->fields.defaults_set) {
    SetFieldDefaults(&t->fields);
    if (info->defaults_only) return 0;
  }
  // An unknown kind gets kind 0's dialog, which shows every field.
  t->kind = info->kind <= 2 ? info->kind : 0;
  const char* odd = info->sources != nullptr ? info->sources[0] : nullptr;
  const char* even = info->sources != nullptr ? info->sources[1] : nullptr;
  // Each path is copied (or emptied) whether or not another one fitted.
  bool odd_fits = CopyPath(t->odd_path, odd);
  bool even_fits = CopyPath(t->even_path, even);
  bool output_fits = CopyPath(t->output_path, info->output);
  t->paths_fit = odd_fits && even_fits && output_fits;
  t->left = static_cast<int16_t>(info->left);
  t->top = static_cast<int16_t>(info->top);
  t->right = static_cast<int16_t>(info->right);
  t->bottom = static_cast<int16_t>(info->bottom);
  const uint8_t* slots;
  KindLayout(t->kind, &slots);
  Select(t, slots[0]);
  t->percent_shown = -1;
  t->error_text = kerf_text::kNoError;
  DrawTransformFrame(t);
  DrawTransformValues(t);
  return 0;
}

uint32_t KerfTransformCont(TransformContext* t, TRANSFORM_INFO* info) {
  // A host that skipped TransformStart still gets sound field texts.
  if (!t->fields.defaults_set) SetFieldDefaults(&t->fields);
  uint32_t result = 1;
  if (info->event == 1) result = TransformKey(t, static_cast<uint8_t>(info->key));
  info->event = 0;
  if (result == 1) DrawTransformValues(t);
  return result;
}

void RedrawTransformTitle(const TransformContext* t) {
  SetWindowClip(t);
  DrawTitle(t);
}
