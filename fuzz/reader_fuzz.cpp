// Fuzz target: the cutting-program reader and parser through the host's file
// services.
//
// Input layout:
//   byte 0        bits 0-3: number of block sizes that follow (0..15)
//                 bit 4: one read fails; bits 5-6 choose how; bit 7: the
//                 program starts inside a skipped section
//   2 bytes each  block sizes, little-endian, taken as 1 + value % 512; the
//                 host delivers reads of these sizes in turn (short reads)
//   1 byte        (when a read fails) the number of the failing read, 1..256
//   rest          the program file
//
// Every run reads the whole file line by line, normalises and parses every
// line, and checks that the lines do not depend on the block sizes, that no
// byte is lost or counted twice, and that a failed read ends the run with
// its status and text.
#include "fuzz/fuzz_check.h"
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <math.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bridge/fsp.h"
#include "fuzz/fuzz_sandbox.h"
#include "host/services/dispatch.h"
#include "host/services/file_services.h"
#include "kerf/reader.h"
#include "kerf/texts.h"

namespace {

struct Harness {
  std::string root;
  host::FileServices* files = nullptr;
  uint32_t read_handle = 0;     // the host's read service
  uint32_t shaping_handle = 0;  // our read service in front of it
  std::vector<uint16_t> sizes;  // block sizes, used in turn
  size_t next_size = 0;
  int read_number = 0;          // reads of this run so far
  int fail_at = 0;              // the read that fails (0: none)
};

Harness* g_harness = nullptr;

void RemoveSandbox() {
  if (g_harness == nullptr) return;
  delete g_harness->files;
  std::filesystem::remove_all(g_harness->root);
}

// Arms a short read of the next block size right before each read reaches
// the host, so any sequence of sizes costs one armed fault at a time.
int ShapedRead(int count, va_list args) {
  Harness& h = *g_harness;
  if (count != 2) return 0;
  uint32_t handle = va_arg(args, uint32_t);
  void* block = va_arg(args, void*);
  // The failing read keeps its failure: an armed short read would mask it.
  if (!h.sizes.empty() && ++h.read_number != h.fail_at) {
    h.files->ShortRead(1, h.sizes[h.next_size]);
    h.next_size = (h.next_size + 1) % h.sizes.size();
  }
  return HostDispatchEntry(h.read_handle, 2, handle, block);
}

Harness& Setup() {
  if (g_harness != nullptr) return *g_harness;
  g_harness = new Harness;
  g_harness->root = MakeFuzzSandbox("reader", {"c"});
  g_harness->files = new host::FileServices(g_harness->root);
  g_harness->read_handle = g_harness->files->table().handles[kFspRead];
  g_harness->shaping_handle = host::RegisterService("fuzz.read", ShapedRead);
  FSP_INIT_PARAMS table = g_harness->files->table();
  table.handles[kFspRead] = g_harness->shaping_handle;
  FspInitCopy(&table);
  atexit(RemoveSandbox);
  return *g_harness;
}

// The lines of a whole file, split the way the reader splits them but over
// one flat buffer: CR, LF and CR LF end a line, and a line of 998
// characters ends before its next character unless that is a line end.
std::vector<std::string> SplitLines(const uint8_t* data, size_t size) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < size) {
    std::string line;
    while (pos < size) {
      uint8_t c = data[pos];
      if (c == '\r' || c == '\n') {
        ++pos;
        if (c == '\r' && pos < size && data[pos] == '\n') ++pos;
        break;
      }
      if (line.size() == kMaxLineLength) break;
      line.push_back(static_cast<char>(c));
      ++pos;
    }
    lines.push_back(line);
  }
  return lines;
}

uint32_t ExpectedReadText(int8_t status) {
  if (status == -1) return kerf_text::kFileOperation;
  if (status == -2) return kerf_text::kFileHandle;
  return kerf_text::kFileReading;
}

void CheckNormalized(const char* original, const char* line) {
  size_t n = strlen(line);
  FUZZ_CHECK(n <= strlen(original));
  if (n == 0) return;
  FUZZ_CHECK(line[0] != ' ' && line[n - 1] != ' ');
  for (size_t i = 0; i < n; ++i) {
    FUZZ_CHECK(line[i] != '\t');
    if (i > 0) FUZZ_CHECK(!(line[i] == ' ' && line[i - 1] == ' '));
  }
}

// Normalises and parses one line as the view does, keeping the skip flag.
void ParseLine(ProgramReader* r, const char* text) {
  char line[kMaxLineLength + 1];
  memcpy(line, text, strlen(text) + 1);
  NormalizeLine(line);
  CheckNormalized(text, line);
  char again[kMaxLineLength + 1];
  memcpy(again, line, sizeof again);
  NormalizeLine(again);
  FUZZ_CHECK(strcmp(again, line) == 0);

  bool had_error = r->error;
  double a = NAN, b = NAN, c = NAN, d = NAN;
  int kind = ParseProgramLine(line, &a, &b, &c, &d, r);
  switch (kind) {
    case kLineNotSignsAndNumbers:
    case kLineSignCount:
    case kLineMustBeginWithSign: {
      uint32_t text_of_kind = kind == kLineNotSignsAndNumbers ? kerf_text::kNotSignsAndNumbers
                              : kind == kLineSignCount        ? kerf_text::kSignCount
                                                              : kerf_text::kMustBeginWithSign;
      if (r->skipping) {
        FUZZ_CHECK(r->error == had_error);
      } else {
        FUZZ_CHECK(r->error && r->error_text == text_of_kind);
      }
      break;
    }
    case kLineStraight:
      FUZZ_CHECK(isfinite(a) && isfinite(b) && c == 0 && d == 0);
      FUZZ_CHECK(r->error == had_error);
      break;
    case kLineArcClockwise:
    case kLineArcCounterClockwise:
      FUZZ_CHECK(isfinite(a) && isfinite(b) && isfinite(c) && isfinite(d));
      FUZZ_CHECK(r->error == had_error);
      break;
    default:
      FUZZ_CHECK(kind >= 0);
      FUZZ_CHECK(r->error == had_error);
      if (IsSkipStart(kind)) r->skipping = true;
      if (IsSkipEnd(kind)) r->skipping = false;
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Harness& h = Setup();
  if (size < 1) return 0;
  uint8_t flags = data[0];
  size_t at = 1;
  h.sizes.clear();
  h.next_size = 0;
  h.read_number = 0;
  for (int i = 0; i < (flags & 15) && at + 2 <= size; ++i, at += 2)
    h.sizes.push_back(static_cast<uint16_t>(1 + (data[at] | data[at + 1] << 8) % kReadBlockSize));
  bool fail_read = (flags & 0x10) != 0;
  int fail_at = 0;
  if (fail_read && at < size) fail_at = 1 + data[at++];
  h.fail_at = fail_at;
  bool start_skipping = (flags & 0x80) != 0;
  const uint8_t* file = data + at;
  size_t file_size = size - at;

  FILE* out = fopen((h.root + "/c/p.knf").c_str(), "wb");
  FUZZ_CHECK(out != nullptr);
  if (file_size > 0) FUZZ_CHECK(fwrite(file, 1, file_size, out) == file_size);
  fclose(out);

  static const int8_t kStatuses[4] = {-1, -2, -8, -3};
  int8_t fail_status = kStatusDispatchFailed;
  if (fail_at > 0) {
    int how = (flags >> 5) & 3;
    if (how == 0) {
      h.files->FailDispatch(kFspRead, fail_at);  // the wrapper reports -1
    } else {
      fail_status = kStatuses[how];
      h.files->FailCall(kFspRead, fail_at, fail_status);
    }
  }

  ProgramReader r{};
  FUZZ_CHECK(FspOpen("c:\\p.knf", kFspOpenRead, &r.handle, &r.file_size) == 0);
  r.file_open = true;
  FUZZ_CHECK(r.file_size == file_size);
  r.skipping = start_skipping;

  std::vector<std::string> expected = SplitLines(file, file_size);
  int reads_before = h.files->calls(kFspRead);
  size_t count = 0;
  int result;
  while ((result = ReadProgramLine(&r)) == 0) {
    FUZZ_CHECK(r.length <= kMaxLineLength && r.line[r.length] == '\0');
    FUZZ_CHECK(strlen(r.line) <= r.length);  // a NUL byte in the file ends the text early
    FUZZ_CHECK(count < expected.size());
    FUZZ_CHECK(memcmp(r.line, expected[count].data(), r.length) == 0 &&
               r.length == expected[count].size());
    ++count;
    FUZZ_CHECK(r.line_count == count);
    ParseLine(&r, r.line);
  }
  int reads = h.files->calls(kFspRead) - reads_before;

  if (fail_at > 0 && fail_at <= reads) {
    // The failing read ended the run with its status and text.
    FUZZ_CHECK(result == fail_status);
    FUZZ_CHECK(r.error && r.error_text == ExpectedReadText(fail_status));
    FUZZ_CHECK(count <= expected.size());
  } else {
    FUZZ_CHECK(result == 1);
    FUZZ_CHECK(count == expected.size());
    FUZZ_CHECK(r.consumed == file_size);  // weight 1: every byte once
    FUZZ_CHECK(ReadProgramLine(&r) == 1);  // the end stays the end
  }
  h.files->ClearFaults();
  FUZZ_CHECK(FspClose(r.handle) == 0);
  FUZZ_CHECK(h.files->open_handles() == 0);
  return 0;
}
