#include "anvil/dialog.h"

#include <string.h>

#include "anvil/anvil_init.h"
#include "bridge/gdi.h"
#include "bridge/localization.h"

namespace anvil {
namespace {

constexpr int32_t kCell = 8;       // font 2: 8 x 16 cells
constexpr int32_t kRow = 20;       // one line of the dialog
constexpr int32_t kTitleHeight = 22;
constexpr int32_t kMargin = 10;
constexpr uint8_t kKeyCharacter = 1;
constexpr uint8_t kCharNext = 3, kCharPrevious = 1, kCharPress = 255;
constexpr uint8_t kCharDelete = 0x2E, kCharPoint = 0x2B;

int32_t TextWidth(uint32_t id) {
  const char* t = LocText(id);
  return t != nullptr ? static_cast<int32_t>(strlen(t)) : 0;
}

bool Focusable(const DialogItem& item) { return item.kind == kItemField || item.kind == kItemButton; }

int Add(Dialog* d, uint8_t kind, uint32_t text_id) {
  if (d == nullptr || d->count >= kDialogItems) return -1;
  DialogItem& item = d->items[d->count];
  memset(&item, 0, sizeof item);
  item.kind = kind;
  item.text_id = text_id;
  item.column = -1;
  return static_cast<int>(d->count++);
}

// Rows of the dialog: every text and labelled field on its own row, fields
// of a row of fields side by side, the buttons together on the last row.
bool StartsRow(const Dialog* d, uint32_t i) {
  const DialogItem& it = d->items[i];
  if (it.kind == kItemButton) return false;
  if (it.kind != kItemField || it.column < 0 || i == 0) return true;
  const DialogItem& before = d->items[i - 1];
  return before.kind != kItemField || before.column < 0 || before.column >= it.column;
}

int32_t RowOf(const Dialog* d, uint32_t index) {
  int32_t row = 0;
  for (uint32_t i = 1; i <= index && i < d->count; ++i)
    if (StartsRow(d, i)) ++row;
  return row;
}

int32_t ButtonRow(const Dialog* d) {
  int32_t rows = 0;
  for (uint32_t i = 0; i < d->count; ++i)
    if (StartsRow(d, i)) ++rows;
  return rows;
}

bool Accepts(uint8_t accept, char c) {
  if (accept == kAcceptDecimal) return c >= '0' && c <= '9';
  if (accept == kAcceptHex) return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
  return c >= 0x20 && c < 0x7F;
}

int32_t ButtonX(const Dialog* d, uint32_t index) {
  int32_t x = d->left + kMargin;
  for (uint32_t i = 0; i < index; ++i)
    if (d->items[i].kind == kItemButton) x += (TextWidth(d->items[i].text_id) + 3) * kCell;
  return x;
}

int32_t LabelColumns(const Dialog* d) {
  int32_t widest = 0;
  for (uint32_t i = 0; i < d->count; ++i)
    if (d->items[i].kind == kItemField && TextWidth(d->items[i].text_id) > widest)
      widest = TextWidth(d->items[i].text_id);
  return widest + 1;
}

void Move(Dialog* d, bool forward) {
  for (uint32_t step = 0; step < d->count; ++step) {
    d->focus = forward ? (d->focus + 1) % d->count : (d->focus + d->count - 1) % d->count;
    if (Focusable(d->items[d->focus])) return;
  }
}

}  // namespace

Dialog* DialogCreate(uint32_t title_id) {
  uint32_t block = AnvilAlloc(sizeof(Dialog));
  if (block == 0) return nullptr;
  Dialog* d = reinterpret_cast<Dialog*>(static_cast<uintptr_t>(block));
  memset(d, 0, sizeof *d);
  d->title_id = title_id;
  return d;
}

int DialogAddText(Dialog* d, uint32_t text_id) { return Add(d, kItemText, text_id); }

int DialogAddField(Dialog* d, uint32_t label_id, uint8_t width) {
  int i = Add(d, kItemField, label_id);
  if (i >= 0) d->items[i].width = width > kDialogFieldMax ? kDialogFieldMax : width;
  return i;
}

int DialogAddRowField(Dialog* d, uint8_t width, uint8_t column, DialogAccept accept) {
  int i = DialogAddField(d, 0, width);
  if (i >= 0) {
    d->items[i].column = static_cast<int8_t>(column > 100 ? 100 : column);
    d->items[i].accept = accept;
  }
  return i;
}

void DialogSetAccept(Dialog* d, int item, DialogAccept accept) {
  if (d != nullptr && item >= 0 && static_cast<uint32_t>(item) < d->count) d->items[item].accept = accept;
}

int DialogAddButton(Dialog* d, uint32_t text_id, uint32_t value) {
  int i = Add(d, kItemButton, text_id);
  if (i >= 0) d->items[i].value = value;
  return i;
}

void DialogSetText(Dialog* d, int item, const char* text) {
  if (d == nullptr || item < 0 || static_cast<uint32_t>(item) >= d->count) return;
  DialogItem& it = d->items[item];
  uint32_t max = it.kind == kItemField ? it.width : kDialogNoteMax;
  uint32_t n = 0;
  for (; text != nullptr && text[n] != '\0' && n < max; ++n) it.text[n] = text[n];
  it.text[n] = '\0';
}

const char* DialogText(const Dialog* d, int item) {
  if (d == nullptr || item < 0 || static_cast<uint32_t>(item) >= d->count) return "";
  return d->items[item].text;
}

void DialogOpen(Dialog* d, int32_t left, int32_t top, int32_t right, int32_t bottom) {
  if (d == nullptr) return;
  int32_t columns = TextWidth(d->title_id) + 2;
  int32_t buttons = 0;
  for (uint32_t i = 0; i < d->count; ++i) {
    const DialogItem& it = d->items[i];
    int32_t need = 0;
    if (it.kind == kItemText) need = TextWidth(it.text_id) + 1 + static_cast<int32_t>(kDialogNoteMax / 2);
    if (it.kind == kItemField) need = it.column >= 0 ? it.column + it.width + 1 : LabelColumns(d) + it.width + 1;
    if (it.kind == kItemButton) buttons += TextWidth(it.text_id) + 3;
    if (need > columns) columns = need;
  }
  if (buttons > columns) columns = buttons;
  int32_t width = columns * kCell + 2 * kMargin;
  int32_t height = kTitleHeight + (ButtonRow(d) + 1) * kRow + 2 * kMargin;
  if (width > right - left + 1) width = right - left + 1;
  if (height > bottom - top + 1) height = bottom - top + 1;
  d->left = left + (right - left + 1 - width) / 2;
  d->top = top + (bottom - top + 1 - height) / 2;
  d->right = d->left + width - 1;
  d->bottom = d->top + height - 1;
  d->focus = 0;
  bool field = false;
  for (uint32_t i = 0; i < d->count && !field; ++i)
    if (d->items[i].kind == kItemField) d->focus = i, field = true;
  for (uint32_t i = 0; i < d->count && !field; ++i)
    if (d->items[i].kind == kItemButton) {
      d->focus = i;
      break;
    }
  DialogDraw(d);
}

void DialogDrawItem(const Dialog* d, int item) {
  if (d == nullptr || item < 0 || static_cast<uint32_t>(item) >= d->count) return;
  const DialogItem& it = d->items[item];
  bool focused = static_cast<uint32_t>(item) == d->focus;
  int32_t y = d->top + kTitleHeight + kMargin + RowOf(d, static_cast<uint32_t>(item)) * kRow;
  int32_t x = d->left + kMargin;
  GdiSetClip(d->left, d->top, d->right, d->bottom);
  if (it.kind == kItemText) {
    int32_t label = TextWidth(it.text_id);
    GdiText(x, y, 1000, 1, CLR_BLACK, CLR_FILL, 2);
    GdiWriteText(LocText(it.text_id));
    GdiText(x + (label + (label > 0 ? 1 : 0)) * kCell, y, 1000, 1, CLR_BLACK, CLR_FILL, 2);
    GdiWriteText(it.text);
    GdiTextBlank();
  } else if (it.kind == kItemField) {
    int32_t at = x + LabelColumns(d) * kCell;
    if (it.column >= 0) {
      at = x + it.column * kCell;
    } else {
      GdiText(x, y, 1000, 1, CLR_BLACK, CLR_FILL, 2);
      GdiWriteText(LocText(it.text_id));
    }
    GdiText(at, y, it.width, 1, focused ? CLR_WHITE : CLR_BLACK,
            focused ? CLR_BLACK : CLR_WHITE, 2);
    GdiWriteText(it.text);
    GdiTextBlank();
  } else {
    int32_t bx = ButtonX(d, static_cast<uint32_t>(item));
    int32_t by = d->top + kTitleHeight + kMargin + ButtonRow(d) * kRow;
    int32_t w = (TextWidth(it.text_id) + 2) * kCell;
    GdiSetColors(CLR_BLACK, CLR_FILL);
    GdiRect(bx, by - 2, bx + w, by + 17, kPatternSolid);
    GdiText(bx + kCell, by, static_cast<uint32_t>(TextWidth(it.text_id)), 1,
            focused ? CLR_WHITE : CLR_BLACK, focused ? CLR_BLACK : CLR_FILL, 2);
    GdiWriteText(LocText(it.text_id));
  }
}

void DialogDraw(const Dialog* d) {
  if (d == nullptr) return;
  GdiSetClip(d->left, d->top, d->right, d->bottom);
  GdiSetColors(CLR_FILL, CLR_FILL);
  GdiFillRectClipped(d->left, d->top, d->right, d->bottom);
  GdiSetColors(CLR_BLACK, CLR_FILL);
  GdiRect(d->left, d->top, d->right, d->bottom, kPatternSolid);
  GdiSetColors(CLR_T12, CLR_T12);
  GdiFillRectClipped(d->left + 2, d->top + 2, d->right - 2, d->top + kTitleHeight - 2);
  GdiText(d->left + kMargin, d->top + 3, 1000, 1, CLR_WHITE, CLR_T12, 2);
  GdiWriteText(LocText(d->title_id));
  for (uint32_t i = 0; i < d->count; ++i) DialogDrawItem(d, static_cast<int>(i));
}

uint32_t DialogKey(Dialog* d, uint8_t key_code, uint8_t key_char) {
  if (d == nullptr || d->count == 0 || key_code != kKeyCharacter) return 0;
  uint32_t before = d->focus;
  DialogItem& it = d->items[d->focus];
  if (key_char == kCharNext || key_char == kCharPrevious) {
    Move(d, key_char == kCharNext);
  } else if (key_char == kCharPress) {
    if (it.kind == kItemButton) return it.value;
    Move(d, true);
  } else if (it.kind == kItemField) {
    size_t n = strlen(it.text);
    if (key_char == kCharDelete) {
      if (n > 0) it.text[n - 1] = '\0';
    } else {
      char c = key_char == kCharPoint ? '.' : static_cast<char>(key_char);
      if (it.accept == kAcceptHex && c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
      if (key_char >= 0x20 && key_char < 0x7F && Accepts(it.accept, c) && n < it.width) {
        it.text[n] = c;
        it.text[n + 1] = '\0';
      }
    }
    DialogDrawItem(d, static_cast<int>(d->focus));
    return 0;
  } else {
    return 0;
  }
  DialogDrawItem(d, static_cast<int>(before));
  DialogDrawItem(d, static_cast<int>(d->focus));
  return 0;
}

}  // namespace anvil
