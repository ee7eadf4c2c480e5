#include "anvil/line_reader.h"

#include "bridge/charset.h"
#include "bridge/fsp.h"

namespace anvil {

int8_t LineReaderOpen(LineReader* r, const char* path, bool unicode) {
  __builtin_memset(r, 0, sizeof *r);
  r->first_chunk = true;
  r->unicode = unicode;
  uint32_t size = 0;
  int8_t status = FspOpen(path, kFspOpenRead, &r->handle, &size);
  r->open = status == kStatusOk;
  return status;
}

int8_t LineReaderClose(LineReader* r) {
  if (!r->open) return kStatusOk;
  r->open = false;
  return FspClose(r->handle);
}

namespace {

// Unicode: pairs of bytes into characters of the control's set, in place.
// Returns the characters; a trailing odd byte waits for the next read.
uint16_t ConvertUnicode(LineReader* r, uint16_t bytes) {
  uint16_t start = 0;
  if (r->first_chunk) {
    r->unicode = bytes >= 2 && r->chunk[0] == 0xFF && r->chunk[1] == 0xFE;
    if (!r->unicode) return bytes;
    start = 2;  // the byte-order mark
  }
  uint16_t n = 0;
  uint16_t i = start;
  for (; i + 1 < bytes; i += 2) {
    uint16_t unit = static_cast<uint16_t>(r->chunk[i] | r->chunk[i + 1] << 8);
    r->chunk[n++] = ZorvFromUnicode(unit);
  }
  r->has_odd_byte = i < bytes;
  if (r->has_odd_byte) r->odd_byte = r->chunk[i];
  return n;
}

// Refills the chunk. Returns 0 with characters, 1 at the end, or a failed
// read's status.
int8_t Refill(LineReader* r) {
  for (;;) {
    if (r->at_end) return kStatusEndOfFile;
    uint16_t held = 0;
    if (r->has_odd_byte) {
      r->chunk[0] = r->odd_byte;
      r->has_odd_byte = false;
      held = 1;
    }
    uint16_t got = 0;
    int8_t status = FspRead(r->handle, r->chunk + held, static_cast<uint16_t>(kLineReaderChunk - held), &got);
    r->status = status;
    if (status != kStatusOk && status != kStatusEndOfFile) return status;
    if (got > kLineReaderChunk - held) got = static_cast<uint16_t>(kLineReaderChunk - held);
    if (status == kStatusEndOfFile || got == 0) r->at_end = true;
    uint16_t bytes = static_cast<uint16_t>(held + got);
    // A Unicode file's first word decides the flag: wait for two bytes.
    if (r->first_chunk && r->unicode && bytes < 2 && !r->at_end) {
      r->has_odd_byte = bytes == 1;
      r->odd_byte = r->chunk[0];
      continue;
    }
    if (!r->first_chunk) r->consumed += got;
    r->count = r->unicode ? ConvertUnicode(r, bytes) : bytes;
    r->first_chunk = false;
    r->position = 0;
    if (r->count > 0) return kStatusOk;
  }
}

// Next character, or -1 at the end; *status gets a failed read's status.
int NextChar(LineReader* r, int8_t* status, bool take) {
  if (r->position == r->count) {
    int8_t s = Refill(r);
    if (s != kStatusOk) {
      if (s != kStatusEndOfFile) *status = s;
      return -1;
    }
  }
  uint8_t c = r->chunk[r->position];
  if (take) ++r->position;
  return c;
}

}  // namespace

int8_t LineReaderNext(LineReader* r) {
  r->length = 0;
  r->line[0] = '\0';
  r->cut = false;
  if (!r->open) return kStatusEndOfFile;
  int8_t failed = kStatusOk;
  if (r->skip_lf) {
    r->skip_lf = false;
    int c = NextChar(r, &failed, false);
    if (failed != kStatusOk) return failed;
    if (c == '\n') ++r->position;
  }
  bool ended = false;
  while (r->length < kLineReaderMax) {
    int c = NextChar(r, &failed, true);
    if (failed != kStatusOk) return failed;
    if (c < 0) break;
    if (c == '\r' || c == '\n') {
      r->skip_lf = c == '\r';
      ended = true;
      break;
    }
    r->line[r->length++] = static_cast<char>(c);
  }
  if (!ended && r->length == kLineReaderMax) {
    // A full piece: a line end right after it belongs to it.
    int c = NextChar(r, &failed, false);
    if (failed != kStatusOk) return failed;
    if (c == '\r' || c == '\n') {
      ++r->position;
      r->skip_lf = c == '\r';
      ended = true;
    } else {
      r->cut = c >= 0;
    }
  }
  r->line[r->length < kLineReaderMax ? r->length : kLineReaderMax] = '\0';
  if (!ended && r->length == 0) return kStatusEndOfFile;
  ++r->lines;
  return kStatusOk;
}

}  // namespace anvil
