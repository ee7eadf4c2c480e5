#include "glint/safe_file.h"

#include "bridge/fsp.h"

namespace {

uint32_t BoundedLength(const char* text, uint32_t capacity) {
  uint32_t n = 0;
  while (n < capacity && text[n] != '\0') ++n;
  return n;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SamePath(const char* a, const char* b) {
  for (;; ++a, ++b) {
    if (Lower(*a) != Lower(*b)) return false;
    if (*a == '\0') return true;
  }
}

// Drops the temporary file after a failure (its absence is fine).
void Abandon(SafeFile* f) {
  if (f->open) FspClose(f->handle);
  f->open = false;
  f->failed = true;
  FspDelete(f->temporary);
}

bool Flush(SafeFile* f) {
  if (f->used == 0) return true;
  int8_t status = FspWrite(f->handle, f->buffer, f->used);
  f->used = 0;
  if (status != kStatusOk) {
    Abandon(f);
    return false;
  }
  return true;
}

// Puts the closed temporary file in the target's place.
bool Replace(SafeFile* f) {
  int8_t status = FspRename(f->target, f->aside);
  bool had_old = status == kStatusOk;
  if (!had_old && status != kStatusBadPath) {
    // An aside file left over from an interrupted replacement is in the
    // way: it goes, and the rename is tried once more.
    had_old = FspDelete(f->aside) == kStatusOk && FspRename(f->target, f->aside) == kStatusOk;
    if (!had_old) {
      FspDelete(f->temporary);
      return false;
    }
  }
  if (FspRename(f->temporary, f->target) != kStatusOk) {
    if (had_old) FspRename(f->aside, f->target);
    FspDelete(f->temporary);
    return false;
  }
  if (had_old && FspDelete(f->aside) != kStatusOk) {
    // Undo, so that no stray file stays and the old target is back.
    FspRename(f->target, f->temporary);
    FspRename(f->aside, f->target);
    FspDelete(f->temporary);
    return false;
  }
  return true;
}

}  // namespace

bool SiblingPath(const char* path, const char* extension, char* out, uint32_t capacity) {
  uint32_t length = BoundedLength(path, capacity);
  if (length >= capacity) return false;
  uint32_t stem = length;
  for (uint32_t i = length; i > 0; --i) {
    char c = path[i - 1];
    if (c == '\\' || c == '/' || c == ':') break;
    if (c == '.') {
      stem = i - 1;
      break;
    }
  }
  uint32_t ext = BoundedLength(extension, capacity);
  if (stem + 1 + ext >= capacity) return false;
  for (uint32_t i = 0; i < stem; ++i) out[i] = path[i];
  out[stem] = '.';
  for (uint32_t i = 0; i < ext; ++i) out[stem + 1 + i] = extension[i];
  out[stem + 1 + ext] = '\0';
  return true;
}

bool SafeFileBegin(SafeFile* f, const char* target) {
  f->open = false;
  f->failed = true;
  f->used = 0;
  if (target == nullptr) return false;
  uint32_t length = BoundedLength(target, kSafePathBytes);
  if (length == 0 || length >= kSafePathBytes) return false;
  for (uint32_t i = 0; i <= length; ++i) f->target[i] = target[i];
  if (!SiblingPath(target, "$$$", f->temporary, kSafePathBytes) ||
      !SiblingPath(target, "$$O", f->aside, kSafePathBytes) || SamePath(f->temporary, target) ||
      SamePath(f->aside, target))
    return false;
  uint32_t size = 0;
  if (FspOpen(f->temporary, kFspOpenCreate, &f->handle, &size) != kStatusOk) {
    FspDelete(f->temporary);
    return false;
  }
  f->open = true;
  f->failed = false;
  return true;
}

bool SafeFilePut(SafeFile* f, const void* data, uint32_t length) {
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  while (length > 0 && !f->failed) {
    uint32_t room = sizeof f->buffer - f->used;
    uint32_t n = length < room ? length : room;
    for (uint32_t i = 0; i < n; ++i) f->buffer[f->used + i] = bytes[i];
    f->used = static_cast<uint16_t>(f->used + n);
    bytes += n;
    length -= n;
    if (f->used == sizeof f->buffer && !Flush(f)) return false;
  }
  return !f->failed;
}

bool SafeFileCommit(SafeFile* f) {
  if (f->failed || !Flush(f)) return false;
  f->open = false;
  if (FspClose(f->handle) != kStatusOk) {
    f->failed = true;
    FspDelete(f->temporary);
    return false;
  }
  if (!Replace(f)) {
    f->failed = true;
    return false;
  }
  return true;
}
