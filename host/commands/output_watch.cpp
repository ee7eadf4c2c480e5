#include "host/commands/output_watch.h"

#include <stdio.h>
#include <unistd.h>

#include "host/services/host_error.h"
#include "host/services/tick_clock.h"

namespace host {

std::string ByteCountText(uint64_t bytes) {
  char text[32];
  if (bytes < 1024) snprintf(text, sizeof text, "%llu bytes", static_cast<unsigned long long>(bytes));
  else if (bytes < 1024 * 1024) snprintf(text, sizeof text, "%.1f KiB", bytes / 1024.0);
  else if (bytes < 1024ull * 1024 * 1024) snprintf(text, sizeof text, "%.1f MiB", bytes / 1048576.0);
  else snprintf(text, sizeof text, "%.1f GiB", bytes / 1073741824.0);
  return text;
}

OutputWatch::OutputWatch(FileServices& files, const std::string& context, uint64_t limit, bool quiet)
    : files_(files), context_(context), limit_(limit), quiet_(quiet), terminal_(isatty(2) != 0),
      next_step_(limit / 10) {
  files_.LimitWrites(limit_);
  files_.ObserveWrites([this](uint64_t total) { Show(total); });
}

OutputWatch::~OutputWatch() {
  files_.ObserveWrites(nullptr);
  EndLine();
}

// On a terminal one line, updated at most five times a second; elsewhere
// (a log, a pipe) a line at each tenth of the limit, so small outputs stay
// silent and a runaway one says where it stands.
void OutputWatch::Show(uint64_t total) {
  if (quiet_) return;
  std::string text = context_ + ": " + ByteCountText(total) + " written (at most " + ByteCountText(limit_) + ")";
  if (terminal_) {
    uint64_t now = MonotonicMicroseconds();
    if (line_open_ && now - last_shown_ < 200000) return;
    last_shown_ = now;
    fprintf(stderr, "\r%s", text.c_str());
    line_open_ = true;
  } else if (next_step_ > 0 && total >= next_step_) {
    while (next_step_ <= total) next_step_ += limit_ / 10;
    fprintf(stderr, "%s\n", text.c_str());
  }
}

void OutputWatch::EndLine() {
  if (line_open_) fprintf(stderr, "\n");
  line_open_ = false;
}

void OutputWatch::ThrowIfLimitReached() {
  if (!files_.write_limit_reached()) return;
  EndLine();
  throw HostError("stopped: the run would write more than --max-output " + ByteCountText(limit_) +
                  " (raise it if the output is meant to be that large); its output is not written");
}

}  // namespace host
