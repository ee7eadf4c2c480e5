#include "host/console/shared_frame.h"

#include <string.h>
#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "host/services/host_error.h"

namespace host {

SharedFrame::SharedFrame() {
  fd_ = memfd_create("console-frame", MFD_CLOEXEC);
  if (fd_ < 0 || ftruncate(fd_, sizeof(Block)) != 0) throw HostError("cannot create the shared screen");
  Map();
}

SharedFrame::SharedFrame(int fd) : fd_(fd) { Map(); }

void SharedFrame::Map() {
  void* p = mmap(nullptr, sizeof(Block), PROT_READ | PROT_WRITE, MAP_SHARED, fd_, 0);
  if (p == MAP_FAILED) throw HostError("cannot map the shared screen");
  // A new memory file reads as zeros: no frame yet, counter even.
  block_ = static_cast<Block*>(p);
}

SharedFrame::~SharedFrame() {
  munmap(block_, sizeof(Block));
  close(fd_);
}

uint32_t SharedFrame::Publish(int w, int h, const uint8_t* pixels, const uint32_t* palette,
                              const FrameClock& clock) {
  if (w <= 0 || h <= 0 || w > kMaxConsoleWidth || h > kMaxConsoleHeight) return 0;
  const size_t bytes = static_cast<size_t>(w) * static_cast<size_t>(h);
  if (block_->frames != 0 && block_->width == w && block_->height == h &&
      memcmp(block_->palette, palette, sizeof block_->palette) == 0 && memcmp(block_->pixels, pixels, bytes) == 0)
    return 0;
  block_->counter.fetch_add(1, std::memory_order_acq_rel);
  block_->width = w;
  block_->height = h;
  block_->clock = clock;
  memcpy(block_->palette, palette, sizeof block_->palette);
  memcpy(block_->pixels, pixels, bytes);
  const uint32_t frame = ++block_->frames;
  block_->counter.fetch_add(1, std::memory_order_release);
  return frame;
}

bool SharedFrame::Read(FrameCopy* out) const {
  // The writer publishes a few dozen frames a second at most, each copy
  // taking about a millisecond: tries a millisecond apart find a quiet
  // moment unless it died while writing.
  for (int attempt = 0; attempt < 50; ++attempt) {
    if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const uint32_t before = block_->counter.load(std::memory_order_acquire);
    if (before & 1) continue;
    FrameCopy copy;
    copy.sequence = block_->frames;
    copy.width = block_->width;
    copy.height = block_->height;
    copy.clock = block_->clock;
    if (copy.width <= 0 || copy.height <= 0 || copy.width > kMaxConsoleWidth || copy.height > kMaxConsoleHeight)
      return false;
    const size_t count = static_cast<size_t>(copy.width) * static_cast<size_t>(copy.height);
    copy.rgb.resize(count * 3);
    for (size_t i = 0; i < count; ++i) {
      const uint32_t colour = block_->palette[block_->pixels[i]];
      copy.rgb[i * 3] = static_cast<uint8_t>(colour >> 16);
      copy.rgb[i * 3 + 1] = static_cast<uint8_t>(colour >> 8);
      copy.rgb[i * 3 + 2] = static_cast<uint8_t>(colour);
    }
    std::atomic_thread_fence(std::memory_order_acquire);
    if (block_->counter.load(std::memory_order_acquire) != before) continue;
    *out = std::move(copy);
    return true;
  }
  return false;
}

}  // namespace host
