#include "tracer/language_files.h"

#include "bridge/fsp.h"

namespace {

constexpr const char* kFileNames[] = {"RSPETSCR.KNF", "RSTCHSCR.KNF", "RSPICT.KNF"};
constexpr size_t kPathBytes = 160;

// dir + the name's base (up to and including its point) + suffix, or the
// whole name when suffix is null. False when it would not fit.
bool BuildPath(char* out, const char* dir, const char* name, const char* suffix) {
  size_t n = 0;
  auto put = [&](char c) {
    if (n + 1 >= kPathBytes) return false;
    out[n++] = c;
    return true;
  };
  for (const char* p = dir; p != nullptr && *p != '\0'; ++p)
    if (!put(*p)) return false;
  // With a suffix only the base name (up to and including its point).
  const char* p = name;
  for (; *p != '\0'; ++p) {
    if (!put(*p)) return false;
    if (*p == '.' && suffix != nullptr) break;
  }
  for (const char* s = suffix; s != nullptr && *s != '\0'; ++s)
    if (!put(*s)) return false;
  out[n] = '\0';
  return true;
}

// Existence through the info service. A dispatch failure or an absent
// service is the host's fault, not a missing file: it comes back as the
// status, with *present untouched.
int8_t Exists(const char* path, bool* present) {
  uint8_t info[64];
  const int8_t status = FspGetInfo(path, info);
  if (status == -1 || status == -128) return status;
  *present = status == 0 || status == 1;
  return 0;
}

// Copies `source` over `installed` by way of `temporary`; the installed
// file moves to `backup` unless a backup exists already, in which case it
// is deleted. The installed file goes only after the complete copy.
int8_t Replace(const char* source, const char* installed, const char* temporary, const char* backup) {
  int8_t status = FspCopy(source, temporary);
  if (status != 0) {
    FspDelete(temporary);
    return status;
  }
  bool installed_present = false, backup_present = false;
  status = Exists(installed, &installed_present);
  if (status == 0 && installed_present) {
    status = Exists(backup, &backup_present);
    if (status == 0) status = backup_present ? FspDelete(installed) : FspRename(installed, backup);
  }
  if (status != 0) {
    FspDelete(temporary);
    return status;
  }
  // A failure here leaves the complete new file under the temporary name.
  return FspRename(temporary, installed);
}

int InstallOne(const char* dir, const char* name, const char* code) {
  char local[kPathBytes], installed[kPathBytes], variant[kPathBytes], temporary[kPathBytes],
      backup[kPathBytes];
  if (!BuildPath(local, nullptr, name, nullptr) || !BuildPath(installed, dir, name, nullptr) ||
      !BuildPath(variant, nullptr, name, code) || !BuildPath(temporary, dir, name, "TMP") ||
      !BuildPath(backup, dir, name, "BAK"))
    return kLanguageFileMissing;

  bool present = false;
  int8_t status = Exists(local, &present);
  if (status != 0) return status;
  if (present) {
    bool installed_present = false;
    if ((status = Exists(installed, &installed_present)) != 0) return status;
    if (installed_present) return 0;
    // Nothing installed to lose: the temporary copy still keeps a broken
    // copy from appearing under the name.
    return Replace(local, installed, temporary, backup);
  }
  if ((status = Exists(variant, &present)) != 0) return status;
  if (!present) return kLanguageFileMissing;
  return Replace(variant, installed, temporary, backup);
}

}  // namespace

int InstallLanguageFiles(const _COTOSS* record) {
  const char* dir = record->systemDir;
  if (dir != nullptr && dir[0] == '-') dir = record->altSystemDir;
  const char* code = LanguageFileCode(record->language);
  for (const char* name : kFileNames) {
    const int result = InstallOne(dir, name, code);
    if (result != 0) return result;
  }
  return 0;
}
