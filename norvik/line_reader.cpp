#include "norvik/line_reader.h"

#include <string.h>

#include "bridge/fsp.h"

namespace {

constexpr int kPeekEnd = -1;
constexpr int kPeekFailed = -2;

// The byte at the read position, refilling the buffer when it is used up.
int Peek(LineFile* f) {
  if (f->position < f->fill) return f->buffer[f->position];
  if (f->end_seen) return kPeekEnd;
  f->block_offset += f->fill;
  f->position = 0;
  f->fill = 0;
  uint16_t count = 0;
  int8_t status = FspRead(f->handle, f->buffer, kReadBlock, &count);
  if (status != kStatusOk && status != kStatusEndOfFile) return kPeekFailed;
  if (count > kReadBlock) return kPeekFailed;  // a host that overstates its count
  f->fill = count;
  // A short block is not the end; only the host's end status or an empty
  // block is.
  if (status == kStatusEndOfFile || count == 0) f->end_seen = true;
  if (f->fill == 0) return kPeekEnd;
  return f->buffer[f->position];
}

bool IsLineEnd(int c) { return c == '\r' || c == '\n'; }

// Consumes one line end (CR, LF or CR LF) at the read position.
bool SkipLineEnd(LineFile* f) {
  int c = Peek(f);
  if (c == kPeekFailed) return false;
  if (!IsLineEnd(c)) return true;
  ++f->position;
  if (c == '\r') {
    c = Peek(f);
    if (c == kPeekFailed) return false;
    if (c == '\n') ++f->position;
  }
  return true;
}

}  // namespace

int8_t LineFileOpen(LineFile* f, const char* path) {
  memset(f, 0, sizeof *f);
  const char* name = path;
  for (const char* p = path; *p != '\0'; ++p)
    if (*p == '\\') name = p + 1;
  size_t n = strlen(name);
  if (n > kFileNameChars) name += n - kFileNameChars;
  strncpy(f->name, name, kFileNameChars);
  uint32_t size = 0;
  int8_t status = FspOpen(path, kFspOpenRead, &f->handle, &size);
  f->open = status == kStatusOk;
  return status;
}

LineRead LineFileRead(LineFile* f, char* line, uint32_t* length) {
  uint32_t n = 0;
  line[0] = '\0';
  *length = 0;
  for (;;) {
    int c = Peek(f);
    if (c == kPeekFailed) return LineRead::kFailed;
    if (c == kPeekEnd) {
      if (n == 0) return LineRead::kEnd;
      break;
    }
    if (IsLineEnd(c)) {
      if (!SkipLineEnd(f)) return LineRead::kFailed;
      break;
    }
    if (n == kMaxLine) {
      // Full: the rest continues as the next line.
      break;
    }
    line[n++] = static_cast<char>(c);
    ++f->position;
  }
  line[n] = '\0';
  *length = n;
  ++f->line_number;
  return LineRead::kLine;
}

uint32_t LineFileOffset(const LineFile* f) { return f->block_offset + f->position; }

bool LineFileSeek(LineFile* f, uint32_t offset) {
  if (offset >= f->block_offset && offset <= f->block_offset + f->fill) {
    f->position = offset - f->block_offset;
    return true;
  }
  uint32_t reached = 0;
  if (FspSeek(f->handle, static_cast<int32_t>(offset), kFspSeekStart, &reached) != kStatusOk)
    return false;
  f->block_offset = offset;
  f->position = 0;
  f->fill = 0;
  f->end_seen = false;
  return true;
}

bool LineFileClose(LineFile* f) {
  if (!f->open) return true;
  if (FspClose(f->handle) != kStatusOk) return false;
  f->open = false;
  return true;
}
