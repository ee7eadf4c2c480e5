// Watches what a generating run writes through the file services: shows
// its progress on the terminal (stderr) and holds it to --max-output, so a
// transformation or copy that asks for too much stops instead of filling
// the disk. The library sees the refused write as a full disk and ends the
// operation; the command then reports the limit (status 3).
#pragma once

#include <stdint.h>

#include <string>

#include "host/services/file_services.h"

namespace host {

class OutputWatch {
 public:
  // `context` opens the messages ("hostsim transform"); nothing is shown
  // when `quiet`.
  OutputWatch(FileServices& files, const std::string& context, uint64_t limit, bool quiet);
  ~OutputWatch();
  OutputWatch(const OutputWatch&) = delete;
  OutputWatch& operator=(const OutputWatch&) = delete;

  // Throws HostError naming the limit when a write was refused for it.
  void ThrowIfLimitReached();

 private:
  void Show(uint64_t total);
  void EndLine();

  FileServices& files_;
  std::string context_;
  uint64_t limit_;
  bool quiet_;
  bool terminal_;
  bool line_open_ = false;  // a terminal progress line waits for its end
  uint64_t next_step_;      // not a terminal: the next tenth of the limit
  uint64_t last_shown_ = 0; // a terminal: microseconds of the last update
};

// "12.3 MiB", "512 bytes".
std::string ByteCountText(uint64_t bytes);

}  // namespace host
