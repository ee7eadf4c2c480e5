#include "anvil/params_convert.h"

#include "anvil/line_reader.h"
#include "bridge/fsp.h"

namespace anvil {
namespace {

struct ParamsState {
  LineReader table;
  char raw[kParamsRawMax + 1];
  char line[kLineReaderMax + 3];   // stripped, with room for "=" and a quote
};

ParamsState g_params;

// Removes every blank and tab before the first ";" or double quote.
uint32_t Strip(const char* in, uint32_t length, char* out) {
  uint32_t n = 0;
  bool keep = false;
  for (uint32_t i = 0; i < length; ++i) {
    char c = in[i];
    if (c == ';' || c == '"') keep = true;
    if (!keep && (c == ' ' || c == '\t')) continue;
    out[n++] = c;
  }
  out[n] = '\0';
  return n;
}

// The first `from` becomes `to`; appended when there is none.
uint32_t ReplaceFirst(char* line, uint32_t length, char from, char to) {
  for (uint32_t i = 0; i < length; ++i)
    if (line[i] == from) {
      line[i] = to;
      return length;
    }
  line[length++] = to;
  line[length] = '\0';
  return length;
}

struct Output {
  char* buffer;
  uint32_t size;
  uint32_t length;
  // Appends what fits, keeping the NUL.
  void Append(const char* text, uint32_t n) {
    for (uint32_t i = 0; i < n && length + 1 < size; ++i) buffer[length++] = text[i];
    buffer[length] = '\0';
  }
};

uint32_t Convert(ParamsState* s, const char* header, Output* out) {
  bool started = false;
  for (;;) {
    int8_t status = LineReaderNext(&s->table);
    if (status == kStatusEndOfFile) return 0;
    if (status != kStatusOk) return 1;
    const LineReader& r = s->table;
    uint32_t raw = r.length < kParamsRawMax ? r.length : kParamsRawMax;
    __builtin_memcpy(s->raw, r.line, raw);
    s->raw[raw] = '\0';
    uint32_t n = Strip(r.line, r.length, s->line);
    if (n == 1 && s->line[0] == '*') return 0;
    if (started && n > 0) {
      n = ReplaceFirst(s->line, n, ':', '=');
      n = ReplaceFirst(s->line, n, ';', '"');
      if (uint64_t{out->length} + n + kParamsLineExtra >= out->size) return 1;
      out->Append("\tR", 2);
      out->Append(s->line, n);
      out->Append("\r\n", 2);
    }
    if (header != nullptr && __builtin_strcmp(s->line, header) == 0) started = true;
    if (!started) {
      out->Append("\"", 1);
      out->Append(s->raw, raw);
      out->Append("\r\n", 2);
    }
  }
}

}  // namespace

uint32_t ParamsConvert(const _PARAMS_CONVERT* record) {
  if (record == nullptr || record->buffer == nullptr || record->size == 0 || record->path == nullptr) return 1;
  Output out{record->buffer, record->size, 0};
  out.buffer[0] = '\0';
  ParamsState* s = &g_params;
  if (LineReaderOpen(&s->table, record->path, false) != kStatusOk) return 1;
  uint32_t result = Convert(s, record->header, &out);
  LineReaderClose(&s->table);
  return result;
}

}  // namespace anvil
