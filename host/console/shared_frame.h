// A screen shared between an operation's process (which draws) and the
// console server (which sends it to the page): a memory file the server
// creates and hands to the operation's process, read and written under a
// sequence counter so that the reader never takes a frame the writer is
// half way through. Only the operation writes it, so one that dies
// mid-frame leaves the last whole frame readable. The layout is the same
// for 32-bit and 64-bit processes.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <atomic>
#include <vector>

namespace host {

// Largest screen a console operation draws (pixels).
constexpr int kMaxConsoleWidth = 1280, kMaxConsoleHeight = 1024;

// Where a timed operation's clock stood when it drew a frame: the keys
// it had taken and its clock since the last of them (its batch command's
// `wait` unit). Kept with the picture, so the two never disagree.
struct FrameClock {
  uint32_t timed = 0;  // 1: the operation runs on a clock of its own
  uint32_t keys = 0;
  uint32_t since_key = 0;
};

struct FrameCopy {
  uint32_t sequence = 0;  // 0: nothing drawn yet
  FrameClock clock;
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;  // 24-bit RGB, row by row
};

class SharedFrame {
 public:
  // Server: a new memory file; throws HostError when that fails.
  SharedFrame();
  // Operation: the memory file the server passed as `fd`; throws HostError.
  explicit SharedFrame(int fd);
  ~SharedFrame();
  SharedFrame(const SharedFrame&) = delete;
  SharedFrame& operator=(const SharedFrame&) = delete;
  int fd() const { return fd_; }

  // Operation: copies a screen of host colour values in (with the RGB of
  // every value) when it differs from the last frame; returns the new
  // frame's number, or 0 when nothing changed or it does not fit. The
  // clock goes with a changed picture only: an unchanged one stands for
  // the moment it was first drawn.
  uint32_t Publish(int width, int height, const uint8_t* pixels, const uint32_t* palette, const FrameClock& clock);
  // Server: the last whole frame in RGB (false when the writer keeps
  // changing it or died half way).
  bool Read(FrameCopy* out) const;

 private:
  struct Block {
    std::atomic<uint32_t> counter;  // odd while a frame is written
    uint32_t frames;
    int32_t width, height;
    FrameClock clock;
    uint32_t palette[256];  // 0xRRGGBB of each host colour value
    uint8_t pixels[kMaxConsoleWidth * kMaxConsoleHeight];
  };
  static_assert(std::atomic<uint32_t>::is_always_lock_free, "the counter is shared between processes");
  static_assert(offsetof(Block, palette) == 28 && offsetof(Block, pixels) == 28 + 1024,
                "the same layout in 32-bit and 64-bit processes");
  void Map();
  int fd_ = -1;
  Block* block_ = nullptr;
};

}  // namespace host
