#include "kerf/reader.h"

#include <math.h>
#include <string.h>

#include "bridge/fsp.h"
#include "kerf/texts.h"

namespace {

// Text for a failed read. Statuses the host documents have their own text;
// any other failure still shows a reading error rather than "No Error".
uint32_t ReadErrorText(int8_t status) {
  switch (status) {
    case -1: return kerf_text::kFileOperation;
    case -2: return kerf_text::kFileHandle;
    default: return kerf_text::kFileReading;
  }
}

double WeightOf(ProgressWeight w) {
  switch (w) {
    case ProgressWeight::kMeasuring: return 0.3;
    case ProgressWeight::kDrawing: return 0.7;
    default: return 1.0;
  }
}

enum class Fill { kByte, kEnd, kFailed };

// Result of ReadProgramLine for an empty block before the end of the file.
constexpr int8_t kStatusEmptyBlock = -8;

// Makes sure a byte is available at the read position, reading the next
// block when the current one is used up.
Fill EnsureByte(ProgramReader* r) {
  if (r->position < r->valid) return Fill::kByte;
  if (r->end_seen) return Fill::kEnd;
  uint16_t count = 0;
  int8_t status = FspRead(r->handle, r->buffer, kReadBlockSize, &count);
  r->last_status = status;
  if (status != 0 && status != 1) {
    r->error_text = ReadErrorText(status);
    r->error = true;
    r->valid = r->position = 0;
    return Fill::kFailed;
  }
  if (count > kReadBlockSize) count = kReadBlockSize;  // never trust more than was asked
  r->consumed += static_cast<uint32_t>(count * WeightOf(r->weight));
  r->delivered += count;
  r->valid = count;
  r->position = 0;
  if (count == 0 && status == 0) {
    // An empty block that is not the end: short of the size the file was
    // opened with it is a failed read (the program must not look complete);
    // at or past that size, or with no size known, it ends the file so a
    // host that never says "end" cannot keep the reader spinning.
    if (r->delivered < r->file_size) {
      r->error_text = kerf_text::kFileReading;
      r->error = true;
      r->last_status = kStatusEmptyBlock;
      return Fill::kFailed;
    }
    r->end_seen = true;
  }
  if (status == 1) r->end_seen = true;
  return count > 0 ? Fill::kByte : Fill::kEnd;
}

bool IsLineEnd(uint8_t c) { return c == '\r' || c == '\n'; }

}  // namespace

void ResetReader(ProgramReader* reader) {
  uint32_t handle = reader->handle, size = reader->file_size;
  bool open = reader->file_open;
  memset(reader, 0, sizeof *reader);
  reader->handle = handle;
  reader->file_size = size;
  reader->file_open = open;
}

int ReadProgramLine(ProgramReader* r) {
  r->line_count++;
  r->length = 0;
  r->line[0] = '\0';
  for (;;) {
    Fill fill = EnsureByte(r);
    if (fill == Fill::kFailed) return r->last_status;
    if (fill == Fill::kEnd) {
      if (r->length == 0) return 1;
      break;  // the last line has no line end
    }
    uint8_t c = r->buffer[r->position];
    if (IsLineEnd(c)) {
      r->position++;
      // CR LF is one line end, also when the LF starts the next block.
      if (c == '\r') {
        Fill next = EnsureByte(r);
        if (next == Fill::kFailed) return r->last_status;
        if (next == Fill::kByte && r->buffer[r->position] == '\n') r->position++;
      }
      break;
    }
    if (r->length == kMaxLineLength) break;  // split; this byte starts the next piece
    r->line[r->length++] = static_cast<char>(c);
    r->position++;
  }
  r->line[r->length] = '\0';
  return 0;
}

void NormalizeLine(char* line) {
  size_t out = 0;
  bool pending_blank = false;
  for (size_t in = 0; line[in] != '\0'; ++in) {
    char c = line[in];
    if (c == ' ' || c == '\t') {
      pending_blank = out > 0;  // leading blanks vanish
      continue;
    }
    if (pending_blank) line[out++] = ' ';
    pending_blank = false;
    line[out++] = c;
  }
  // A trailing run was never written: that is the one trailing blank removed.
  line[out] = '\0';
}

namespace {

int Malformed(ProgramReader* r, int result, uint32_t text) {
  if (!r->skipping) {
    r->error_text = text;
    r->error = true;
  }
  return result;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSign(char c) { return c == '+' || c == '-'; }

// Reads the digits at *cursor as a decimal number (no digits reads 0) and
// advances past them.
double ReadDigits(const char** cursor) {
  double value = 0;
  while (IsDigit(**cursor)) {
    value = value * 10 + (**cursor - '0');
    ++*cursor;
  }
  return value;
}

}  // namespace

int ParseProgramLine(const char* line, double* a, double* b, double* c, double* d,
                     ProgramReader* r) {
  if (strcmp(line, "*") == 0 || strcmp(line, "[START]") == 0) line = "";

  int signs = 0;
  for (const char* p = line; *p != '\0'; ++p) {
    if (IsSign(*p)) ++signs;
    else if (!IsDigit(*p)) return Malformed(r, kLineNotSignsAndNumbers, kerf_text::kNotSignsAndNumbers);
  }
  if (signs != 0 && signs != 2 && signs != 5)
    return Malformed(r, kLineSignCount, kerf_text::kSignCount);

  if (signs == 0) {
    double code = ReadDigits(&line);
    return code > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(code);
  }
  if (!IsSign(line[0])) return Malformed(r, kLineMustBeginWithSign, kerf_text::kMustBeginWithSign);

  double* values[4] = {a, b, c, d};
  for (double* v : values) *v = 0;
  const char* p = line;
  int count = signs == 2 ? 2 : 4;
  for (int i = 0; i < count; ++i) {
    bool negative = *p == '-';
    ++p;
    double value = ReadDigits(&p);
    // Hundreds of digits overflow a double; such a line is not a move.
    if (!isfinite(value)) return Malformed(r, kLineNotSignsAndNumbers, kerf_text::kNotSignsAndNumbers);
    *values[i] = negative ? -value : value;
  }
  if (signs == 2) return kLineStraight;
  if (*p == '+') return kLineArcCounterClockwise;
  if (*p == '-') return kLineArcClockwise;
  return 0;
}
