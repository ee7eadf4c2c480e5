// Copying one file. The destination is never written in place: the copy
// goes into a temporary file beside it, and only a complete, closed copy
// takes the destination's name (the old file renamed aside, the new one
// renamed in, the old one deleted; on any failure the old one goes back and
// the temporary file is removed). Retrieves from the server land in the
// temporary file the same way. Uploads cannot be staged: the client has no
// rename on the server, so a failed upload may leave a partial file there.
#include <string.h>

#include "anvil/file_panel.h"
#include "anvil/file_paths.h"
#include "anvil/ftp_link.h"
#include "bridge/fsp.h"

namespace anvil {

void ShowCopyPercent(uint32_t percent);
void ShowCopyKilobytes(uint32_t bytes);

namespace {

constexpr char kTemporaryName[] = "~ANVCOPY.TMP";
constexpr char kAsideName[] = "~ANVOLD.TMP";
constexpr uint16_t kCopyBlock = 8192;
uint8_t g_block[kCopyBlock];

bool Beside(const char* destination, const char* name, char* out, size_t capacity) {
  char directory[kPathSize];
  DirectoryOf(destination, directory, sizeof directory);
  return JoinText(out, capacity, directory, name);
}

bool CopyLocal(const char* source, const char* target) {
  uint32_t in = 0, out = 0, size = 0, unused = 0;
  if (FspOpen(source, kFspOpenRead, &in, &size) != kStatusOk) return false;
  if (FspOpen(target, kFspOpenCreate, &out, &unused) != kStatusOk) {
    FspClose(in);
    return false;
  }
  bool ok = true;
  uint64_t total = 0;
  ShowCopyPercent(CopyPercent(0, size));
  for (;;) {
    uint16_t count = 0;
    int8_t status = FspRead(in, g_block, kCopyBlock, &count);
    if (status != kStatusOk && status != kStatusEndOfFile) {
      ok = false;
      break;
    }
    if (count == 0) break;
    if (FspWrite(out, g_block, count) != kStatusOk) {
      ok = false;
      break;
    }
    total += count;
    ShowCopyPercent(CopyPercent(total, size));
    if (status == kStatusEndOfFile) break;
  }
  // Both closes decide: a destination whose close failed is not written.
  if (FspClose(in) != kStatusOk) ok = false;
  if (FspClose(out) != kStatusOk) ok = false;
  // A source that came short (or long) is not a complete copy.
  return ok && total == size;
}

// Puts the complete temporary file in the destination's place.
bool PutInPlace(const char* temporary, const char* destination, bool exists) {
  if (!exists) {
    if (FspRename(temporary, destination) == kStatusOk) return true;
    FspDelete(temporary);
    return false;
  }
  char aside[kPathSize + 16];
  if (!Beside(destination, kAsideName, aside, sizeof aside)) {
    FspDelete(temporary);
    return false;
  }
  if (FspRename(destination, aside) != kStatusOk) {
    FspDelete(temporary);
    return false;
  }
  if (FspRename(temporary, destination) != kStatusOk) {
    FspRename(aside, destination);
    FspDelete(temporary);
    return false;
  }
  if (FspDelete(aside) != kStatusOk) {
    // The old file cannot go: the copy is undone rather than leave it.
    FspRename(destination, temporary);
    FspRename(aside, destination);
    FspDelete(temporary);
    return false;
  }
  return true;
}

}  // namespace

bool CopyOneFile(const char* source, const char* destination, bool destination_exists) {
  bool from_server = IsFtpPath(source), to_server = IsFtpPath(destination);
  if (from_server && to_server) return false;
  if (to_server) {
    char remote[kPathSize];
    if (!ServerPath(destination, nullptr, remote, sizeof remote)) return false;
    if (strlen(source) > kFtpArgumentMax) return false;
    return FtpStore(source, remote, ShowCopyKilobytes);
  }
  char temporary[kPathSize + 16];
  if (!Beside(destination, kTemporaryName, temporary, sizeof temporary) ||
      strlen(temporary) >= kPathSize)
    return false;
  bool copied;
  if (from_server) {
    char remote[kPathSize];
    if (!ServerPath(source, nullptr, remote, sizeof remote) || strlen(temporary) > kFtpArgumentMax)
      return false;
    copied = FtpRetrieve(remote, temporary, ShowCopyKilobytes);
  } else {
    copied = CopyLocal(source, temporary);
  }
  if (!copied) {
    FspDelete(temporary);
    return false;
  }
  return PutInPlace(temporary, destination, destination_exists);
}

}  // namespace anvil
