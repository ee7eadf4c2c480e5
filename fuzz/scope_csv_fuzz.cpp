// Fuzz target: the simulator's reader of CSV recordings (hostsim scope
// --csv). Any text either gives rows of one to ten channels or an error
// that names a line and column (or says there are no data rows); a
// recording written back as CSV reads back to the same rows.
#include <stddef.h>
#include <stdint.h>

#include <string>

#include "fuzz/fuzz_check.h"
#include "host/runners/scope_signals.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  host::Recording r;
  std::string error;
  if (!host::ParseCsvRecording(text, &r, &error)) {
    FUZZ_CHECK(error.rfind("line ", 0) == 0 || error == "no data rows");
    return 0;
  }
  FUZZ_CHECK(!r.rows.empty());
  FUZZ_CHECK(r.columns >= 1 && r.columns <= kGlintChannels);
  std::string again;
  for (const GlintRow& row : r.rows) {
    for (int k = 0; k < r.columns; ++k) again += std::to_string(row.values[k]) + (k + 1 < r.columns ? ";" : "");
    if (r.has_trigger) again += ";" + std::to_string(row.trigger);
    again += "\r\n";
  }
  if (r.columns == kGlintChannels && !r.has_trigger) {
    host::Recording back;
    FUZZ_CHECK(host::ParseCsvRecording(again, &back, &error));
    FUZZ_CHECK(back.rows.size() == r.rows.size());
    for (size_t i = 0; i < r.rows.size(); ++i)
      for (int k = 0; k < r.columns; ++k) FUZZ_CHECK(back.rows[i].values[k] == r.rows[i].values[k]);
  }
  return 0;
}
