#include "anvil/text_lines.h"

#include "bridge/fsp.h"

namespace anvil {

bool TextLinesOpen(TextLines* t, const char* path) {
  t->failed = false;
  t->length = 0;
  t->line[0] = '\0';
  return LineReaderOpen(&t->reader, path, false) == kStatusOk;
}

bool TextLinesNext(TextLines* t) {
  t->length = 0;
  t->line[0] = '\0';
  if (t->failed) return false;
  int8_t status = LineReaderNext(&t->reader);
  if (status != kStatusOk) {
    t->failed = status != kStatusEndOfFile;
    return false;
  }
  const LineReader& r = t->reader;
  t->length = r.length < kListingLineMax ? r.length : kListingLineMax;
  __builtin_memcpy(t->line, r.line, t->length);
  t->line[t->length] = '\0';
  // The rest of a longer line is dropped.
  while (t->reader.cut) {
    status = LineReaderNext(&t->reader);
    if (status == kStatusEndOfFile) break;
    if (status != kStatusOk) {
      t->failed = true;
      return false;
    }
  }
  return true;
}

bool TextLinesClose(TextLines* t) { return LineReaderClose(&t->reader) == kStatusOk; }

}  // namespace anvil
