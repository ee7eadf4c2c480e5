// The NC viewer's block index over arbitrary bytes: the scan keeps entries
// inside the text and in text order, both sorts agree and are stable, the
// search finds the last entry of each number, and line stepping stays in
// the text with going back undoing going forward.
#include <stdint.h>
#include <string.h>

#include <vector>

#include "anvil/nc_index.h"
#include "anvil/nc_lines.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  uint32_t capacity_limit = data[0];  // how many entries the buffer holds
  const char* text = reinterpret_cast<const char*>(data + 1);
  uint32_t n = static_cast<uint32_t>(size - 1);
  anvil::NcScan count;
  anvil::NcScanBlocks(text, n, &count);
  FUZZ_CHECK(count.count == 0 && count.header_end <= n);
  std::vector<anvil::NcBlock> a(count.found + 1), b(count.found + 1), scratch(count.found);
  anvil::NcScan scan;
  scan.entries = a.data();
  scan.capacity = count.found < capacity_limit ? count.found : capacity_limit;
  anvil::NcScanBlocks(text, n, &scan);
  FUZZ_CHECK(scan.found == count.found && scan.count == scan.capacity);
  for (uint32_t i = 0; i < scan.count; ++i) {
    FUZZ_CHECK(a[i].start <= a[i].end && a[i].end < n);
    FUZZ_CHECK(text[a[i].start] == 'N' || text[a[i].start] == 'n');
    FUZZ_CHECK(a[i].number != 0);
    if (i > 0) FUZZ_CHECK(a[i - 1].end < a[i].start);
  }
  b = a;
  anvil::NcSortBlocks(a.data(), scan.count, scratch.data(), static_cast<uint32_t>(scratch.size()));
  anvil::NcSortBlocks(b.data(), scan.count, nullptr, 0);
  for (uint32_t i = 0; i < scan.count; ++i) {
    FUZZ_CHECK(a[i].start == b[i].start);
    if (i > 0) FUZZ_CHECK(a[i - 1].number < a[i].number ||
                          (a[i - 1].number == a[i].number && a[i - 1].start < a[i].start));
    int32_t found = anvil::NcFindBlock(a.data(), scan.count, a[i].number);
    FUZZ_CHECK(found >= static_cast<int32_t>(i) && a[found].number == a[i].number);
    FUZZ_CHECK(static_cast<uint32_t>(found) + 1 == scan.count || a[found + 1].number != a[i].number);
  }
  uint32_t p = 0;
  for (int lines = 0; lines < 64 && p < n; ++lines) {
    uint32_t next = anvil::NcNextLine(text, n, p);
    FUZZ_CHECK(next > p && next <= n);
    if (next < n) FUZZ_CHECK(anvil::NcPreviousLine(text, n, next) == p);
    p = next;
  }
  return 0;
}
