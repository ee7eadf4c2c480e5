// Writes a file so that a failure never costs the previous one.
//
// The contents go to a temporary file beside the target (the target's
// extension replaced by "$$$", or ".$$$" appended); only after the last
// write and a good close does the temporary file take the target's place:
// the old target is renamed aside (extension "$$O"), the temporary file
// renamed to the target, and the old one deleted. Any failure undoes what
// was done, removes the temporary file and leaves the old target as it was.
// A rename of the old target that reports "no such file" (-5) means there
// was none; one that fails otherwise is tried once more after deleting an
// aside file left over from an interrupted replacement (when there is one).
// Every file-service status is checked; nothing reports success that is
// not under the target's name.
#pragma once

#include <stdint.h>

constexpr uint32_t kSafePathBytes = 260;

struct SafeFile {
  char target[kSafePathBytes];
  char temporary[kSafePathBytes];
  char aside[kSafePathBytes];
  uint32_t handle;
  bool open;
  bool failed;
  uint16_t used;
  uint8_t buffer[2048];  // writes go out in blocks of this size
};

// Opens the temporary file for `target`. False (nothing left behind) when
// the path is too long, would name the temporary file itself, or the open fails.
bool SafeFileBegin(SafeFile* f, const char* target);
// Appends bytes; false once any write has failed (the file is then abandoned).
bool SafeFilePut(SafeFile* f, const void* data, uint32_t length);
// Writes the rest, closes and replaces the target. False after any failure.
bool SafeFileCommit(SafeFile* f);

// `path` with the extension of its last component replaced by `extension`
// (appended after a dot when it has none); false when it does not fit.
bool SiblingPath(const char* path, const char* extension, char* out, uint32_t capacity);
