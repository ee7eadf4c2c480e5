#include "host/console/operation_link.h"

#include <errno.h>
#include <poll.h>
#include <time.h>
#include <unistd.h>

#include "host/services/tick_clock.h"

namespace host {

void OperationLink::Frame(const Screen& screen) {
  last_frame_us_ = MonotonicMicroseconds();
  static uint32_t palette[256];
  static bool filled = false;
  for (int v = 0; !filled && v < 256; ++v) palette[v] = Palette(static_cast<uint8_t>(v));
  filled = true;
  const uint32_t number = frame_.Publish(screen.width(), screen.height(), screen.pixels().data(), palette, clock_);
  // With the wall-clock time it was drawn, so the page can tell how long
  // the frame took to reach it.
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  const uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec / 1000000);
  if (number == 0) return;
  Report("frame", std::to_string(number) + " " + std::to_string(ms));
}

void OperationLink::FrameEvery(const Screen& screen, uint32_t interval_ms) {
  if (MonotonicMicroseconds() - last_frame_us_ >= interval_ms * 1000ull) Frame(screen);
}

void OperationLink::Report(const std::string& kind, const std::string& text) {
  std::string line = kind + "\t";
  for (char c : text) line += c == '\n' || c == '\r' ? ' ' : c;
  line += '\n';
  // One write per line: lines of up to PIPE_BUF bytes arrive whole.
  size_t at = 0;
  while (at < line.size()) {
    ssize_t n = write(report_fd_, line.data() + at, line.size() - at);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // the console is gone; the operation ends on its next key wait
    at += static_cast<size_t>(n);
  }
}

void OperationLink::KeyWait(uint32_t wait) {
  clock_.timed = 1;
  clock_.since_key = 0;
  Report("keywait", std::to_string(wait));
}

void OperationLink::SinceKey(uint32_t wait) {
  clock_.timed = 1;
  clock_.since_key = wait;
}

void OperationLink::ReportReady() {
  if (clock_.keys == ready_reported_) return;
  ready_reported_ = clock_.keys;
  Report("ready", std::to_string(clock_.keys));
}

void OperationLink::Status(const std::string& state, const std::string& text) {
  ReportReady();
  Report("status", state + " " + text);
}

OperationLink::KeyArrival OperationLink::NextKey(int timeout_ms, int* code) {
  ReportReady();
  pollfd p{key_fd_, POLLIN, 0};
  int ready;
  do ready = poll(&p, 1, timeout_ms);
  while (ready < 0 && errno == EINTR);
  if (ready == 0) return kNoKey;
  uint8_t byte = 0;
  ssize_t n;
  do n = read(key_fd_, &byte, 1);
  while (n < 0 && errno == EINTR);
  if (n != 1) return kClosed;
  *code = byte;
  ++clock_.keys;
  return kKey;
}

}  // namespace host
