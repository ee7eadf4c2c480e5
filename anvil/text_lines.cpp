#include "anvil/text_lines.h"

#include "bridge/fsp.h"

namespace anvil {

bool TextLinesOpen(TextLines* t, const char* path) {
  *t = TextLines();
  uint32_t size = 0;
  if (FspOpen(path, kFspOpenRead, &t->handle, &size) != kStatusOk) return false;
  t->open = true;
  return true;
}

namespace {

// Next byte of the file, or -1 at the end or on a failed read.
int NextByte(TextLines* t) {
  if (t->block_position == t->block_length) {
    if (t->at_end || t->failed) return -1;
    uint16_t count = 0;
    int8_t status = FspRead(t->handle, t->block, sizeof t->block, &count);
    if (status != kStatusOk && status != kStatusEndOfFile) {
      t->failed = true;
      return -1;
    }
    if (status == kStatusEndOfFile || count == 0) t->at_end = true;
    t->block_length = count;
    t->block_position = 0;
    if (count == 0) return -1;
  }
  return t->block[t->block_position++];
}

}  // namespace

bool TextLinesNext(TextLines* t) {
  t->length = 0;
  bool any = false;
  for (;;) {
    int c = NextByte(t);
    if (c < 0) break;
    if (t->skip_lf) {
      t->skip_lf = false;
      if (c == '\n') continue;
    }
    if (c == '\r' || c == '\n') {
      t->skip_lf = c == '\r';
      t->line[t->length] = '\0';
      return true;
    }
    any = true;
    if (t->length < kListingLineMax) t->line[t->length++] = static_cast<char>(c);
  }
  t->line[t->length] = '\0';
  return any && !t->failed;
}

bool TextLinesClose(TextLines* t) {
  if (!t->open) return true;
  t->open = false;
  return FspClose(t->handle) == kStatusOk;
}

}  // namespace anvil
