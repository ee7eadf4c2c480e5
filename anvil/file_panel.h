// The file manager panel's state, shared by its modules: the directory
// read (dir_read.cpp), the file operations (file_ops.cpp, file_copy.cpp),
// sorting (panel_sort.cpp), drawing (panel_draw.cpp) and the exports with
// their keys (dir_exports.cpp). One panel at a time, in static storage.
#pragma once

#include <stdint.h>

#include "anvil/dialog.h"
#include "anvil/dir_info.h"

namespace anvil {

// Operation states of DirCont.
enum PanelState : uint8_t {
  kStateBrowsing = 1,
  kStateNewDirectory = 2,
  kStateDeleteQuestion = 3,
  kStateCopying = 5,
  kStateOverwriteQuestion = 6,
  kStateDeleting = 7,
  kStateCopyAs = 8,
};

// Answers to the overwrite question.
enum OverwriteAnswer : uint8_t {
  kAnswerNone = 0, kAnswerYes = 1, kAnswerNo = 2, kAnswerYesToAll = 3, kAnswerNoToAll = 4,
};

using ListedName = char[kListedNameSize];

struct Panel {
  bool initialised = false;
  _DIR_INFO* info = nullptr;

  // The entry table and each entry's name as listed, side by side.
  DirEntry* entries = nullptr;
  ListedName* listed = nullptr;
  uint32_t count = 0;
  uint32_t first_visible = 0;
  uint32_t visible_rows = 0;
  uint32_t cursor = 0;
  uint32_t marked = 0;
  uint32_t marked_size = 0;

  uint8_t sort_mode = 1;      // 1 short name, 2 date, 3 combined, 4 long name
  uint8_t name_column = 1;    // 1 file names, 2 program names
  uint8_t state = kStateBrowsing;
  bool long_listing = true;   // FTP: long listings until one fails to parse
  bool server_path_set = false;  // the server's directory was set in this step

  // The copy clipboard: source directory and the names it remembered.
  char clip_directory[kPathSize] = {};
  ListedName* clip_names = nullptr;
  uint32_t clip_count = 0;
  char copy_to[kPathSize] = {};  // destination of "ENTER copy to"

  // The running copy or delete.
  bool paste = false;             // pasting the clipboard (else: copy to copy_to)
  uint32_t next = 0;              // next clipboard name / entry to look at
  uint8_t answer = kAnswerNone;   // overwrite answer
  bool answered = false;          // the question for the current file was answered
  char typed_name[kListedNameSize] = {};  // "Copy as..." name for a single file
  char single_name[kListedNameSize] = {}; // the single file's listed name
  char after_name[kListedNameSize] = {};  // cursor goes back to this name after a re-read

  uint32_t names_read = 0;        // program names: next entry to read

  Dialog* dialog = nullptr;       // the dialog of the current state
  Dialog* dialogs[9] = {};        // by state
};

Panel& ThePanel();

// Directory reading (dir_read.cpp).
void ReadDirectory(Panel& p);
// Entering the directory under the cursor or its parent; false when refused.
bool EnterDirectory(Panel& p, const char* listed_name);
// Cursor on the entry listed as `name` (else near where it was).
void PlaceCursor(Panel& p, const char* name);
// Writes the name under the cursor and the file flag into the record.
void PublishCursor(Panel& p);
// The program name of an "NCP" file into its long name (true when read).
bool ReadProgramName(Panel& p, uint32_t index);
bool IsProgramFile(const DirEntry& e);

// Sorting (panel_sort.cpp).
void SortEntries(Panel& p);
int CompareNames(const char* a, const char* b);

// Drawing (panel_draw.cpp).
void DrawPanel(Panel& p);
void DrawRows(Panel& p);
void DrawRow(Panel& p, uint32_t index);
void DrawHeader(Panel& p);
void DrawReadingNames(Panel& p, uint32_t percent);
void DrawDialog(Panel& p);

// File operations (file_ops.cpp).
// Enters a dialog state: its dialog opens centred in the panel's window.
void OpenStateDialog(Panel& p, uint8_t state);
void StartCopy(Panel& p, bool paste);
void CopyStep(Panel& p);
void AnswerOverwrite(Panel& p, uint32_t answer);
void StartDelete(Panel& p);
void DeleteStep(Panel& p);
bool MakeDirectory(Panel& p, const char* name);
void RememberClipboard(Panel& p);

// The share of a copy done in percent, 100 for an empty file; copied x 100
// needs 64 bits for files over 42 MB.
constexpr uint32_t CopyPercent(uint64_t copied, uint32_t size) {
  return size == 0 ? 100 : static_cast<uint32_t>(copied * 100 / size);
}

// Copying one file, staged so a failure never harms the destination
// (file_copy.cpp). `progress` shows the percentage or kilobytes.
bool CopyOneFile(const char* source, const char* destination, bool destination_exists);

}  // namespace anvil
