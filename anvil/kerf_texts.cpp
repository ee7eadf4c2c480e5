#include "anvil/kerf_texts.h"

#include "anvil/line_reader.h"
#include "bridge/fsp.h"

namespace anvil {
namespace {

constexpr uint32_t kPathMax = 300;
constexpr uint32_t kBlockLines = 5;

struct KerfTexts {
  LineReader program;
  uint32_t output;
  bool output_open;
  uint8_t* index;          // kKerfTextIndexEntries u16, unaligned
  uint8_t* store;          // kKerfTextStoreBytes, or null
  uint32_t blocks;         // distinct blocks stored
  uint32_t write;          // next free byte of the store
  uint32_t block_start;
  bool inside;
  uint32_t line_number;    // of the next line within the block (1..)
  bool reference_pending;
  uint32_t reference;
  char output_path[kPathMax];
};

KerfTexts g_texts;

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// The program's path with its last three characters "TMP"; false when it
// has fewer, is too long, or the result names the program itself.
bool OutputPath(const char* program, char* out) {
  uint32_t n = 0;
  while (program[n] != '\0') {
    if (n + 1 >= kPathMax) return false;
    out[n] = program[n];
    ++n;
  }
  if (n < 3) return false;
  out[n - 3] = 'T';
  out[n - 2] = 'M';
  out[n - 1] = 'P';
  out[n] = '\0';
  for (uint32_t i = 0; i < n; ++i)
    if (Upper(out[i]) != Upper(program[i])) return true;
  return false;
}

void SetIndex(KerfTexts* t, uint32_t k, uint32_t store_offset) {
  if (k >= kKerfTextIndexEntries) return;
  uint16_t value = static_cast<uint16_t>(store_offset + kKerfTextIndexBias);
  __builtin_memcpy(t->index + 2 * k, &value, 2);
}

uint32_t GetIndex(const KerfTexts* t, uint32_t k) {
  uint16_t value;
  __builtin_memcpy(&value, t->index + 2 * k, 2);
  return value;
}

// One line entry at the write position; false when it would not fit.
bool AppendEntry(KerfTexts* t, uint32_t number, const char* text, uint32_t length) {
  if (length > kKerfTextLineMax) length = kKerfTextLineMax;
  if (t->store == nullptr || t->write + length + 3 > kKerfTextStoreBytes) return false;
  uint8_t* at = t->store + t->write;
  at[0] = static_cast<uint8_t>(length + 2);
  at[1] = '0';
  at[2] = static_cast<uint8_t>('0' + number);
  for (uint32_t i = 0; i < length; ++i) at[3 + i] = static_cast<uint8_t>(text[i]);
  t->write += length + 3;
  return true;
}

// The decimal code of a line: an optional sign and digits.
int64_t LineCode(const char* line) {
  const char* p = line;
  bool negative = *p == '-';
  if (*p == '+' || *p == '-') ++p;
  int64_t code = 0;
  for (; *p >= '0' && *p <= '9'; ++p)
    if (code < 1000000) code = code * 10 + (*p - '0');
  return negative ? -code : code;
}

// Closes a text block: pads it to five lines, stores it unless an equal
// block is stored already, and sets the reference. Returns 0 or a result.
uint32_t CloseBlock(KerfTexts* t) {
  while (t->line_number <= kBlockLines) {
    if (!AppendEntry(t, t->line_number, "", 0)) return kKerfTextsStoreFull;
    ++t->line_number;
  }
  t->inside = false;
  SetIndex(t, t->blocks, t->block_start);
  uint32_t length = t->write - t->block_start;
  for (uint32_t j = 0; j < t->blocks; ++j) {
    uint32_t start = GetIndex(t, j) - kKerfTextIndexBias;
    uint32_t end = GetIndex(t, j + 1) - kKerfTextIndexBias;
    if (end - start != length || __builtin_memcmp(t->store + start, t->store + t->block_start, length) != 0)
      continue;
    t->write = t->block_start;
    t->reference = j + 1;
    t->reference_pending = true;
    return 0;
  }
  t->block_start = t->write;
  ++t->blocks;
  SetIndex(t, t->blocks, t->block_start);  // the end of the block just stored
  if (t->blocks >= 99) return kKerfTextsTooManyBlocks;
  if (t->block_start + kKerfTextBlockReserve >= kKerfTextStoreBytes) return kKerfTextsStoreFull;
  t->reference = t->blocks;
  t->reference_pending = true;
  return 0;
}

bool Write(KerfTexts* t, const void* data, uint32_t length) {
  return FspWrite(t->output, data, static_cast<uint16_t>(length)) == kStatusOk;
}

uint32_t CopyLine(KerfTexts* t, const LineReader& r) {
  uint32_t length = r.length < kKerfTextCopyMax ? r.length : kKerfTextCopyMax;
  if ((length > 0 && !Write(t, r.line, length)) || !Write(t, "\r\n", 2)) return kKerfTextsWriteFailed;
  if (!t->reference_pending) return 0;
  t->reference_pending = false;
  char reference[32] = "3\r\nP";
  uint32_t n = 4;
  char digits[12];
  uint32_t d = 0, value = t->reference;
  do {
    digits[d++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (d > 0) reference[n++] = digits[--d];
  for (const char* tail = "\r\n4\r\n"; *tail != '\0'; ++tail) reference[n++] = *tail;
  return Write(t, reference, n) ? 0u : uint32_t{kKerfTextsWriteFailed};
}

uint32_t ProcessLine(KerfTexts* t, const LineReader& r) {
  int64_t code = LineCode(r.line);
  if (code == 101 || code == 103) {
    t->inside = true;
    t->write = t->block_start;
    t->line_number = 1;
  } else if ((code == 102 || code == 104) && r.length == 3 && t->inside) {
    uint32_t result = CloseBlock(t);
    if (result != 0) return result;
  } else if (t->inside && t->line_number <= kBlockLines) {
    if (!AppendEntry(t, t->line_number, r.line, r.length)) return kKerfTextsStoreFull;
    ++t->line_number;
  }
  return CopyLine(t, r);
}

uint32_t Run(KerfTexts* t) {
  for (;;) {
    int8_t status = LineReaderNext(&t->program);
    if (status == kStatusEndOfFile) return kKerfTextsDone;
    if (status != kStatusOk) return kKerfTextsReadFailed;
    uint32_t result = ProcessLine(t, t->program);
    if (result != 0) return result;
  }
}

}  // namespace

uint32_t ReadKerfTextsInto(const _KERFTEXTS* record, uint8_t* shared) {
  if (record == nullptr || record->path == nullptr) return kKerfTextsNoProgram;
  KerfTexts* t = &g_texts;
  __builtin_memset(t, 0, sizeof *t);
  if (shared != nullptr) {
    t->index = shared + kKerfTextIndex;
    t->store = shared + kKerfTextStore;
  } else {
    static uint8_t no_index[2 * kKerfTextIndexEntries];
    t->index = no_index;
  }
  if (LineReaderOpen(&t->program, record->path, false) != kStatusOk) return kKerfTextsNoProgram;
  if (!OutputPath(record->path, t->output_path)) {
    LineReaderClose(&t->program);
    return kKerfTextsNoOutput;
  }
  uint32_t size = 0;
  if (FspOpen(t->output_path, kFspOpenCreate, &t->output, &size) != kStatusOk) {
    LineReaderClose(&t->program);
    return kKerfTextsNoOutput;
  }
  uint32_t result = Run(t);
  LineReaderClose(&t->program);
  // A copy whose close fails may not hold what was written.
  if (FspClose(t->output) != kStatusOk && result == kKerfTextsDone) result = kKerfTextsWriteFailed;
  return result;
}

}  // namespace anvil
