// Text numbers of the file manager in Anvil's string table, and the items
// and button values of its dialogs.
#pragma once

#include <stdint.h>

namespace anvil {

enum PanelText : uint32_t {
  kTextName = 18, kTextLength = 19, kTextDate = 20, kTextTime = 21,
  kTextNewDirectoryName = 22, kTextOk = 23, kTextDeleteSelected = 25,
  kTextYes = 26, kTextNo = 27,
  kTextSortFile = 28, kTextSortCombined = 29, kTextSortDate = 30, kTextSortProgram = 31,
  kTextFile = 41, kTextCopying = 42, kTextCancel = 43, kTextRewrite = 44,
  kTextYesToAll = 45, kTextNoToAll = 46, kTextDeleting = 57, kTextCopyAs = 73,
  kTextReadingNames = 122, kTextDirectoryCreation = 131, kTextRemoving = 132,
};

// Button values.
enum : uint32_t {
  kButtonOk = 1, kButtonYes = 1, kButtonNo = 2, kButtonYesToAll = 3, kButtonNoToAll = 4,
  kButtonDeleteYes = 5, kButtonDeleteNo = 6, kButtonCancel = 10,
};

// Items of the dialogs, in the order they are added.
enum : int {
  kNewDirectoryField = 0,
  kCopyNameItem = 0, kCopyProgressItem = 1,
  kOverwriteNameItem = 1,
  kDeleteNameItem = 0,
  kCopyAsField = 0,
};

}  // namespace anvil
