// Small modal dialogs drawn through the graphics table: a title, lines of
// text, text fields and buttons, in a box centred in a window. The file
// manager and the CAN monitor build theirs once, from the library's pool.
//
// Keys (the host's convention, key code 1 with a character):
//   3 focus to the next field or button (wrapping), 1 to the previous one;
//   255 presses the focused button (on a field it moves on);
//   in a field 0x2E deletes the last character, 0x2B types '.', and any
//   other printable character types itself while the field has room and
//   the field accepts it (decimal fields 0-9, hexadecimal ones 0-9 and
//   A-F, a-f typed as upper case).
// Focus starts on the first field, else on the first button.
#pragma once

#include <stdint.h>

namespace anvil {

constexpr uint32_t kDialogItems = 16;
constexpr uint32_t kDialogFieldMax = 32;
constexpr uint32_t kDialogNoteMax = 64;

enum DialogItemKind : uint8_t { kItemText = 1, kItemField = 2, kItemButton = 3 };
enum DialogAccept : uint8_t { kAcceptPrintable = 0, kAcceptDecimal = 1, kAcceptHex = 2 };

struct DialogItem {
  uint8_t kind;
  uint32_t text_id;                // label, line text or button word
  uint8_t width;                   // field: characters
  int8_t column;                   // field without label at this column of a shared row; -1 = labelled
  uint8_t accept;                  // field: DialogAccept
  uint32_t value;                  // button: what pressing it returns (non-zero)
  char text[kDialogNoteMax + 1];   // field contents, or a text line's own text after its label
};

struct Dialog {
  uint32_t title_id;
  uint32_t count;
  uint32_t focus;                  // index of the focused item (fields and buttons only)
  int32_t left, top, right, bottom;
  DialogItem items[kDialogItems];
};

// A new dialog from the library's pool (null when the pool is exhausted).
Dialog* DialogCreate(uint32_t title_id);
// Items in display order; each returns its index (or -1 when full).
int DialogAddText(Dialog* d, uint32_t text_id);
int DialogAddField(Dialog* d, uint32_t label_id, uint8_t width);
int DialogAddButton(Dialog* d, uint32_t text_id, uint32_t value);
// A field without label at `column` (in characters) of a row of fields: it
// shares the row of the field added just before it when that one is such a
// field standing further left, else it starts a row.
int DialogAddRowField(Dialog* d, uint8_t width, uint8_t column, DialogAccept accept);
void DialogSetAccept(Dialog* d, int item, DialogAccept accept);

// The own text of an item (a field's contents or a line's text after its
// label), cut to fit.
void DialogSetText(Dialog* d, int item, const char* text);
const char* DialogText(const Dialog* d, int item);

// Centres the dialog in the window, puts the focus on its first field (or
// button) and draws it whole.
void DialogOpen(Dialog* d, int32_t left, int32_t top, int32_t right, int32_t bottom);
void DialogDraw(const Dialog* d);
// Redraws one item only (a changing text line such as a progress figure).
void DialogDrawItem(const Dialog* d, int item);
// Handles one key; returns the value of a pressed button, else 0.
uint32_t DialogKey(Dialog* d, uint8_t key_code, uint8_t key_char);

}  // namespace anvil
