// Installs the operator's language variant of the three screen
// configuration files into the control's system directory.
#pragma once

#include <stddef.h>
#include <stdint.h>

#pragma pack(push, 1)
struct _COTOSS {
  uint16_t size;             // not read
  const char* altSystemDir;  // used when systemDir starts with '-'
  const char* systemDir;     // with its trailing separator
  uint32_t language;         // a string-table language id
};
#pragma pack(pop)
static_assert(offsetof(_COTOSS, altSystemDir) == 2);
static_assert(offsetof(_COTOSS, systemDir) == 6);
static_assert(offsetof(_COTOSS, language) == 10);
static_assert(sizeof(_COTOSS) == 14);

// Result when a language variant is missing from the current directory,
// and when a name would not fit the library's path buffer.
constexpr int kLanguageFileMissing = -13;

// The three-letter code of a language's file variants ("CZE" for ids
// without their own files).
inline const char* LanguageFileCode(uint32_t language) {
  switch (language) {
    case 7: return "GER";
    case 9: return "ENG";
    case 12: return "FRE";
    case 14: return "HUN";
    case 21: return "POL";
    case 25: return "RUS";
    case 36: return "SLO";
    default: return "CZE";
  }
}

// For each file in turn: a copy in the current directory wins (installed
// only when the system directory lacks the file); otherwise the language
// variant replaces the installed file, whose first version is kept as
// the backup. The new file is copied to a temporary name first, so no
// failed copy costs the installed file. Returns 0, or the first failing
// file-service status, or kLanguageFileMissing.
int InstallLanguageFiles(const _COTOSS* record);
