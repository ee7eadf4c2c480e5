// DirStart and DirCont: the file manager panel's exports, its set-up and
// the keys of the browsing state.
#include <string.h>

#include "anvil/anvil_init.h"
#include "anvil/attributes.h"
#include "anvil/file_panel.h"
#include "anvil/file_paths.h"
#include "anvil/panel_messages.h"
#include "anvil/panel_texts.h"

namespace anvil {
namespace {

Panel g_panel;
uint32_t g_init_seen = 0;
// The "Copy as..." field as it was filled in, to tell whether the operator
// changed it (a listed name longer than the field is then kept whole).
char g_prefill[kListedNameSize];

// Sort mode and name column from the low digit of the control's word 769,
// else from the preset text's first letter.
void InitialSort(Panel& p) {
  const _ANVILINIT& r = AnvilRecord();
  uint32_t digit = r.cnc_record != nullptr ? r.cnc_record[769] & 0xF : 0;
  static const uint8_t kModes[8] = {0, 2, 3, 4, 1, 2, 3, 4};
  if (digit >= 1 && digit <= 7) {
    p.sort_mode = kModes[digit];
    p.name_column = digit >= 4 ? 2 : 1;
    return;
  }
  char letter = r.sort_preset != nullptr ? Upper(r.sort_preset[0]) : 0;
  p.sort_mode = letter == 'D' ? 2 : letter == 'K' ? 3 : 1;
  p.name_column = 1;
}

void CreateDialogs(Panel& p) {
  Dialog* d = DialogCreate(kTextDirectoryCreation);
  DialogAddField(d, kTextNewDirectoryName, 12);
  DialogAddButton(d, kTextOk, kButtonOk);
  DialogAddButton(d, kTextCancel, kButtonCancel);
  p.dialogs[kStateNewDirectory] = d;

  d = DialogCreate(kTextRemoving);
  DialogAddText(d, kTextDeleteSelected);
  DialogAddButton(d, kTextYes, kButtonDeleteYes);
  DialogAddButton(d, kTextNo, kButtonDeleteNo);
  p.dialogs[kStateDeleteQuestion] = d;

  d = DialogCreate(kTextCopying);
  DialogAddText(d, kTextFile);
  DialogAddText(d, 0);
  DialogAddButton(d, kTextCancel, kButtonCancel);
  p.dialogs[kStateCopying] = d;

  d = DialogCreate(kTextCopying);
  DialogAddText(d, kTextRewrite);
  DialogAddText(d, 0);
  DialogAddButton(d, kTextYes, kButtonYes);
  DialogAddButton(d, kTextNo, kButtonNo);
  DialogAddButton(d, kTextYesToAll, kButtonYesToAll);
  DialogAddButton(d, kTextNoToAll, kButtonNoToAll);
  DialogAddButton(d, kTextCancel, kButtonCancel);
  p.dialogs[kStateOverwriteQuestion] = d;

  d = DialogCreate(kTextDeleting);
  DialogAddText(d, kTextFile);
  DialogAddButton(d, kTextCancel, kButtonCancel);
  p.dialogs[kStateDeleting] = d;

  d = DialogCreate(kTextCopyAs);
  DialogAddField(d, kTextFile, 12);
  DialogAddButton(d, kTextOk, kButtonOk);
  DialogAddButton(d, kTextCancel, kButtonCancel);
  p.dialogs[kStateCopyAs] = d;
}

void InitialisePanel(Panel& p) {
  p = Panel();
  InitialSort(p);
  CopyText(p.copy_to, sizeof p.copy_to,
           AnvilRecord().system_directory != nullptr ? AnvilRecord().system_directory : "");
  p.long_listing = true;
  CreateDialogs(p);
  p.initialised = true;
  g_init_seen = AnvilInitCount();
}

void BackToBrowsing(Panel& p) {
  p.state = kStateBrowsing;
  p.dialog = nullptr;
  DrawPanel(p);
}

// Cursor to `index`: within the view only the two lines change.
void MoveCursor(Panel& p, int64_t index) {
  if (p.count == 0) return;
  if (index < 0) index = 0;
  if (index >= p.count) index = p.count - 1;
  uint32_t old = p.cursor, first = p.first_visible;
  p.cursor = static_cast<uint32_t>(index);
  PlaceCursor(p, nullptr);
  if (p.first_visible != first) {
    DrawRows(p);
  } else if (old != p.cursor) {
    DrawRow(p, old);
    DrawRow(p, p.cursor);
  }
}

void ToggleMark(Panel& p, uint32_t index) {
  if (index >= p.count) return;
  DirEntry& e = p.entries[index];
  if (e.flags & kEntryDirectory) return;
  e.flags ^= kEntrySelected;
  bool on = (e.flags & kEntrySelected) != 0;
  p.marked += on ? 1 : static_cast<uint32_t>(-1);
  p.marked_size += on ? e.size : 0u - e.size;
  DrawRow(p, index);
}

void MarkAll(Panel& p) {
  bool mark = p.marked == 0;
  p.marked = 0;
  p.marked_size = 0;
  for (uint32_t i = 0; i < p.count; ++i) {
    DirEntry& e = p.entries[i];
    if (e.flags & kEntryDirectory) continue;
    e.flags = static_cast<uint8_t>(mark ? e.flags | kEntrySelected : e.flags & ~kEntrySelected);
    if (mark) {
      ++p.marked;
      p.marked_size += e.size;
    }
  }
  DrawRows(p);
}

void OpenCopyAs(Panel& p, bool paste, const char* name) {
  p.paste = paste;
  CopyText(p.single_name, sizeof p.single_name, name);
  OpenStateDialog(p, kStateCopyAs);
  DialogSetText(p.dialog, kCopyAsField, name);
  CopyText(g_prefill, sizeof g_prefill, DialogText(p.dialog, kCopyAsField));
  DialogDraw(p.dialog);
}

void BrowseKey(Panel& p, uint8_t code, uint8_t ch) {
  if (code == kKeyCharacter) {
    int64_t page = p.visible_rows > 1 ? p.visible_rows - 1 : 1;
    switch (ch) {
      case kCharUp: MoveCursor(p, static_cast<int64_t>(p.cursor) - 1); return;
      case kCharDown: MoveCursor(p, static_cast<int64_t>(p.cursor) + 1); return;
      case kCharPageDown: case kCharPageDownToo: MoveCursor(p, p.cursor + page); return;
      case kCharPageUp: case kCharPageUpToo: MoveCursor(p, static_cast<int64_t>(p.cursor) - page); return;
      case kCharFirst: MoveCursor(p, 0); return;
      case kCharLast: MoveCursor(p, static_cast<int64_t>(p.count) - 1); return;
      case kCharMark: ToggleMark(p, p.cursor); return;
      case kCharDelete: code = kKeyDelete; break;
      case kCharEnter:
        if (p.count == 0) return;
        if (p.entries[p.cursor].flags & kEntryDirectory) {
          if (EnterDirectory(p, p.listed[p.cursor])) DrawPanel(p);
        } else {
          OpenCopyAs(p, false, p.listed[p.cursor]);
        }
        return;
      default: return;
    }
  }
  switch (code) {
    case kKeySortMode: {
      char name[kListedNameSize] = {};
      if (p.count > 0) CopyText(name, sizeof name, p.listed[p.cursor]);
      p.sort_mode = static_cast<uint8_t>(p.sort_mode % 4 + 1);
      SortEntries(p);
      PlaceCursor(p, name);
      DrawPanel(p);
      return;
    }
    case kKeyNewDirectory:
      if (p.info->ftp) return;  // the client cannot make server directories
      OpenStateDialog(p, kStateNewDirectory);
      DialogSetText(p.dialog, kNewDirectoryField, "");
      DialogDraw(p.dialog);
      return;
    case kKeyNameColumn:
      p.name_column = p.name_column == 1 ? 2 : 1;
      p.names_read = 0;
      DrawPanel(p);
      return;
    case kKeyDelete:
      if (p.count > 0) OpenStateDialog(p, kStateDeleteQuestion);
      return;
    case kKeyMark: ToggleMark(p, p.cursor); return;
    case kKeyMarkAll: MarkAll(p); return;
    case kKeyClipboard: RememberClipboard(p); return;
    case kKeyPaste:
      p.typed_name[0] = '\0';
      if (p.clip_count == 1) OpenCopyAs(p, true, p.clip_names[0]);
      else if (p.clip_count > 1) StartCopy(p, true);
      return;
    default: return;
  }
}

// One step of reading program names: the next "NCP" file.
void ReadNamesStep(Panel& p) {
  if (p.name_column != 2 || p.names_read > p.count) return;
  uint32_t i = p.names_read;
  while (i < p.count && !IsProgramFile(p.entries[i])) ++i;
  if (i >= p.count) {
    p.names_read = p.count + 1;
    if (p.sort_mode == 4) SortEntries(p);
    DrawPanel(p);
    return;
  }
  ReadProgramName(p, i);
  p.names_read = i + 1;
  DrawReadingNames(p, p.count > 0 ? p.names_read * 100 / p.count : 100);
  DrawRow(p, i);
}

void DialogStep(Panel& p, uint8_t code, uint8_t ch) {
  uint32_t pressed = code != 0 ? DialogKey(p.dialog, code, ch) : 0;
  switch (p.state) {
    case kStateNewDirectory:
      if (pressed == kButtonOk) {
        bool made = MakeDirectory(p, DialogText(p.dialog, kNewDirectoryField));
        p.state = kStateBrowsing;
        p.dialog = nullptr;
        if (made) ReadDirectory(p);
        DrawPanel(p);
      } else if (pressed == kButtonCancel) {
        BackToBrowsing(p);
      }
      return;
    case kStateDeleteQuestion:
      if (pressed == kButtonDeleteYes) StartDelete(p);
      else if (pressed == kButtonDeleteNo) BackToBrowsing(p);
      return;
    case kStateCopyAs:
      if (pressed == kButtonOk) {
        const char* typed = DialogText(p.dialog, kCopyAsField);
        const char* original = p.single_name;
        // Unchanged: the name as listed, even where the field cut it.
        bool unchanged = strcmp(typed, g_prefill) == 0;
        CopyText(p.typed_name, sizeof p.typed_name, unchanged ? original : typed);
        if (p.typed_name[0] == '\0') BackToBrowsing(p);
        else StartCopy(p, p.paste);
      } else if (pressed == kButtonCancel) {
        BackToBrowsing(p);
      }
      return;
    case kStateOverwriteQuestion:
      if (pressed != 0) AnswerOverwrite(p, pressed);
      return;
    case kStateCopying:
      if (pressed == kButtonCancel) {
        p.next = p.paste ? p.clip_count : 1;
        CopyStep(p);  // past the last file: back to browsing
        return;
      }
      CopyStep(p);
      return;
    case kStateDeleting:
      if (pressed == kButtonCancel) p.next = p.count;
      DeleteStep(p);
      return;
    default:
      BackToBrowsing(p);
      return;
  }
}

}  // namespace

Panel& ThePanel() { return g_panel; }

}  // namespace anvil

using anvil::Panel;

LIB_EXPORT uint32_t DirStart(_DIR_INFO* info) {
  if (info == nullptr) return 0;
  Panel& p = anvil::ThePanel();
  anvil::MessagesBind(info);
  if (!p.initialised || anvil::g_init_seen != AnvilInitCount()) anvil::InitialisePanel(p);
  p.info = info;
  p.state = anvil::kStateBrowsing;
  p.dialog = nullptr;
  int32_t rows = (static_cast<int32_t>(info->bottom) - info->top - 37 + 1) / 16;
  p.visible_rows = rows > 0 ? static_cast<uint32_t>(rows) : 1;
  anvil::AttributesLoad(AnvilRecord().system_directory);
  anvil::ReadDirectory(p);
  anvil::DrawPanel(p);
  return 0;
}

LIB_EXPORT uint32_t DirCont(_DIR_INFO* info) {
  if (info == nullptr) return 0;
  Panel& p = anvil::ThePanel();
  if (!p.initialised || p.info == nullptr) return 0;  // DirStart first
  p.info = info;
  anvil::MessagesBind(info);
  uint8_t code = info->key_code, ch = info->key_char;
  info->key_code = 0;
  if (p.state == anvil::kStateBrowsing) {
    if (code != 0) anvil::BrowseKey(p, code, ch);
    else anvil::ReadNamesStep(p);
  } else {
    anvil::DialogStep(p, code, ch);
  }
  anvil::PublishCursor(p);
  return 0;
}
