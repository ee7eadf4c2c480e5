// The file manager's operations, one file per panel step: copying (the
// clipboard into the current directory, or the file under the cursor to
// the "copy to" directory) with the overwrite question, deleting, the
// clipboard itself and new directories.
#include <string.h>

#include "anvil/anvil_init.h"
#include "anvil/attributes.h"
#include "anvil/dir_listing.h"
#include "anvil/file_panel.h"
#include "anvil/file_paths.h"
#include "anvil/panel_messages.h"
#include "anvil/panel_texts.h"
#include "bridge/fsp.h"
#include "bridge/text_buffer.h"

namespace anvil {
namespace {

uint32_t g_percent_shown = 0xFFFFFFFF;

uint32_t Address(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }

uint32_t CopyTotal(const Panel& p) { return p.paste ? p.clip_count : 1; }

const char* SourceName(const Panel& p, uint32_t i) { return p.paste ? p.clip_names[i] : p.single_name; }

// The destination's name: the typed one for a single file.
const char* DestinationName(const Panel& p, uint32_t i) {
  return CopyTotal(p) == 1 && p.typed_name[0] != '\0' ? p.typed_name : SourceName(p, i);
}

const char* SourceDirectory(const Panel& p) { return p.paste ? p.clip_directory : p.info->path; }
const char* TargetDirectory(const Panel& p) { return p.paste ? p.info->path : p.copy_to; }

// "name.ext" of the short form, padded to 13 characters, for the dialogs.
void DialogName(const char* listed, bool directory, char out[14]) {
  DirEntry e;
  SetEntryName(&e, listed, directory);
  TextBuffer b = MakeTextBuffer(out, 14);
  TextAppend(&b, e.short_name);
  if (e.extension[0] != '\0') {
    TextAppendChar(&b, '.');
    TextAppend(&b, e.extension);
  }
  while (b.length < 13) TextAppendChar(&b, ' ');
}

// Back to browsing: the directory is read and drawn again.
void Finish(Panel& p) {
  p.state = kStateBrowsing;
  p.dialog = nullptr;
  ReadDirectory(p);
  DrawPanel(p);
}

// Whether the destination exists: a server directory cannot be asked, so
// the table shown (when it is that directory) tells.
enum class Exists { kNo, kYes, kUnknown };
Exists DestinationExists(const Panel& p, const char* destination, const char* name) {
  if (IsFtpPath(destination)) {
    if (!EqualNoCase(TargetDirectory(p), p.info->path)) return Exists::kNo;
    for (uint32_t i = 0; i < p.count; ++i)
      if (strcmp(p.listed[i], name) == 0) return Exists::kYes;
    return Exists::kNo;
  }
  uint32_t handle = 0, size = 0;
  if (FspOpen(destination, kFspOpenRead, &handle, &size) != kStatusOk) return Exists::kNo;
  // A probe that cannot be closed leaves the file's state unknown: no copy.
  return FspClose(handle) == kStatusOk ? Exists::kYes : Exists::kUnknown;
}

}  // namespace

void OpenStateDialog(Panel& p, uint8_t state) {
  p.state = state;
  p.dialog = p.dialogs[state];
  const _DIR_INFO& i = *p.info;
  DialogOpen(p.dialog, i.left, i.top, i.right, i.bottom);
}

void ShowCopyPercent(uint32_t percent) {
  Panel& p = ThePanel();
  if (p.dialog == nullptr || p.state != kStateCopying || percent == g_percent_shown) return;
  g_percent_shown = percent;
  char text[16];
  TextBuffer b = MakeTextBuffer(text, sizeof text);
  TextAppendUnsigned(&b, percent);
  TextAppendChar(&b, '%');
  DialogSetText(p.dialog, kCopyProgressItem, text);
  DialogDrawItem(p.dialog, kCopyProgressItem);
}

void ShowCopyKilobytes(uint32_t bytes) {
  Panel& p = ThePanel();
  if (p.dialog == nullptr || p.state != kStateCopying) return;
  char text[16];
  TextBuffer b = MakeTextBuffer(text, sizeof text);
  TextAppendUnsigned(&b, bytes / 1024);
  TextAppend(&b, "kB");
  DialogSetText(p.dialog, kCopyProgressItem, text);
  DialogDrawItem(p.dialog, kCopyProgressItem);
}

void RememberClipboard(Panel& p) {
  if (p.clip_names != nullptr) AnvilFree(Address(p.clip_names));
  p.clip_names = nullptr;
  p.clip_count = 0;
  uint32_t n = 0;
  for (uint32_t i = 0; i < p.count; ++i)
    if (p.entries[i].flags & kEntrySelected) ++n;
  bool cursor_only = n == 0;
  if (cursor_only) {
    if (p.count == 0 || (p.entries[p.cursor].flags & kEntryDirectory)) return;
    n = 1;
  }
  uint32_t block = AnvilAlloc(n * kListedNameSize);
  if (block == 0) return;
  p.clip_names = reinterpret_cast<ListedName*>(static_cast<uintptr_t>(block));
  CopyText(p.clip_directory, sizeof p.clip_directory, p.info->path);
  for (uint32_t i = 0; i < p.count; ++i) {
    bool take = cursor_only ? i == p.cursor : (p.entries[i].flags & kEntrySelected) != 0;
    if (take) memcpy(p.clip_names[p.clip_count++], p.listed[i], kListedNameSize);
  }
}

void StartCopy(Panel& p, bool paste) {
  p.paste = paste;
  p.next = 0;
  p.answer = kAnswerNone;
  g_percent_shown = 0xFFFFFFFF;
  OpenStateDialog(p, kStateCopying);
  DialogSetText(p.dialog, kCopyProgressItem, "0%");
  DialogDrawItem(p.dialog, kCopyProgressItem);
}

void CopyStep(Panel& p) {
  if (p.next >= CopyTotal(p)) {
    Finish(p);
    return;
  }
  const char* name = SourceName(p, p.next);
  char typed[kListedNameSize + 4];
  CopyText(typed, sizeof typed, DestinationName(p, p.next));
  // A typed name without extension takes the panel's filter.
  char filter[4];
  memcpy(filter, p.info->filter, 3);
  filter[3] = '\0';
  if (CopyTotal(p) == 1 && p.typed_name[0] != '\0' && strchr(typed, '.') == nullptr &&
      filter[0] != '\0' && strcmp(filter, "*") != 0) {
    JoinText(typed, sizeof typed, typed, ".");
    JoinText(typed, sizeof typed, typed, filter);
  }
  char source[kPathSize + kListedNameSize], destination[kPathSize + kListedNameSize + 4];
  bool fits = JoinText(source, sizeof source, SourceDirectory(p), name) && strlen(source) < kPathSize;
  bool dest_fits = JoinText(destination, sizeof destination, TargetDirectory(p), typed) &&
                   strlen(destination) < kPathSize;
  char shown[14];
  DialogName(typed, false, shown);
  DialogSetText(p.dialog, kCopyNameItem, shown);
  DialogDrawItem(p.dialog, kCopyNameItem);
  if (!fits || !dest_fits) {
    SetPanelPathMessage(kMsgCopyFailed, dest_fits ? destination : source);
    ++p.next;
    return;
  }
  Exists exists = DestinationExists(p, destination, typed);
  if (exists == Exists::kUnknown) {
    SetPanelPathMessage(kMsgCopyFailed, destination);
    ++p.next;
    return;
  }
  if (exists == Exists::kYes) {
    if (AttributeOfPath(destination) != kAttrNormal) {
      RaiseHostMessage(kMsgProtected);
      ++p.next;
      return;
    }
    bool overwrite = false;
    switch (p.answer) {
      case kAnswerNone: {
        OpenStateDialog(p, kStateOverwriteQuestion);
        DialogSetText(p.dialog, kOverwriteNameItem, shown);
        DialogDrawItem(p.dialog, kOverwriteNameItem);
        return;  // resumes with the operator's answer
      }
      case kAnswerYes: p.answer = kAnswerNone; overwrite = true; break;
      case kAnswerNo: p.answer = kAnswerNone; break;
      case kAnswerYesToAll: overwrite = true; break;
      default: break;  // no to all
    }
    if (!overwrite) {
      ++p.next;
      return;
    }
  }
  g_percent_shown = 0xFFFFFFFF;
  if (!CopyOneFile(source, destination, exists == Exists::kYes))
    SetPanelPathMessage(kMsgCopyFailed, destination);
  else
    CopyText(p.after_name, sizeof p.after_name, typed);
  ++p.next;
}

void AnswerOverwrite(Panel& p, uint32_t answer) {
  if (answer == kButtonCancel) {
    Finish(p);
    return;
  }
  p.answer = static_cast<uint8_t>(answer);
  OpenStateDialog(p, kStateCopying);
  CopyStep(p);
}

void StartDelete(Panel& p) {
  p.next = 0;
  OpenStateDialog(p, kStateDeleting);
}

void DeleteStep(Panel& p) {
  uint32_t index = p.count;
  if (p.marked > 0) {
    for (uint32_t i = p.next; i < p.count && index == p.count; ++i)
      if (p.entries[i].flags & kEntrySelected) index = i;
  } else if (p.next == 0 && p.count > 0) {
    index = p.cursor;
  }
  if (index >= p.count) {
    Finish(p);
    return;
  }
  p.next = index + 1;
  const DirEntry& e = p.entries[index];
  char shown[14];
  DialogName(p.listed[index], (e.flags & kEntryDirectory) != 0, shown);
  DialogSetText(p.dialog, kDeleteNameItem, shown);
  DialogDrawItem(p.dialog, kDeleteNameItem);
  char path[kPathSize + kListedNameSize];
  if (!JoinText(path, sizeof path, p.info->path, p.listed[index]) || strlen(path) >= kPathSize) {
    SetPanelPathMessage(kMsgDeleteFailed, p.listed[index]);
    return;
  }
  if (AttributeOfPath(path) != kAttrNormal) {
    RaiseHostMessage(kMsgProtected);
    return;
  }
  // The client has no delete: a server path always fails.
  bool ok = !IsFtpPath(path) &&
            ((e.flags & kEntryDirectory) ? FspRemoveDir(path) : FspDelete(path)) == kStatusOk;
  if (!ok) SetPanelPathMessage(kMsgDeleteFailed, path);
}

bool MakeDirectory(Panel& p, const char* name) {
  char path[kPathSize + kListedNameSize];
  CopyText(path, sizeof path, p.info->path);
  if (name[0] == '\0' || !JoinText(path, sizeof path, p.info->path, name) ||
      strlen(path) >= kPathSize - 1 || FspMakeDir(path) != kStatusOk) {
    SetPanelPathMessage(kMsgReadFailed, path);
    return false;
  }
  CopyText(p.after_name, sizeof p.after_name, name);
  return true;
}

}  // namespace anvil
