// The simulator's CAN log reader over any text: a log is read or refused
// with "line N: reason"; frames read are standard and of at most 15 bytes'
// length code, and written out and read back they are the same frames.
#include <stdint.h>

#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "host/services/can_log.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<host::CanLogFrame> frames;
  host::CanLogCounts skipped;
  std::string error = host::ParseCanLog(text, &frames, &skipped);
  if (!error.empty()) {
    FUZZ_CHECK(error.rfind("line ", 0) == 0);
    return 0;
  }
  std::string again;
  for (size_t i = 0; i < frames.size(); ++i) {
    const host::CanLogFrame& f = frames[i];
    FUZZ_CHECK(f.id <= 0x7FF && f.length <= 15);
    if (i > 0) FUZZ_CHECK(frames[i - 1].time_us <= f.time_us);
    again += host::FormatCanLogLine(f, "can0");
  }
  std::vector<host::CanLogFrame> reread;
  host::CanLogCounts none;
  FUZZ_CHECK(host::ParseCanLog(again, &reread, &none).empty());
  FUZZ_CHECK(reread.size() == frames.size());
  for (size_t i = 0; i < frames.size(); ++i) {
    FUZZ_CHECK(reread[i].time_us == frames[i].time_us && reread[i].id == frames[i].id);
    FUZZ_CHECK(reread[i].length == frames[i].length && reread[i].sent == frames[i].sent);
    for (int k = 0; k < (frames[i].length > 8 ? 8 : frames[i].length); ++k)
      FUZZ_CHECK(reread[i].data[k] == frames[i].data[k]);
  }
  return 0;
}
