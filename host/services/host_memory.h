// The control's large shared memory block, one for every library a host
// loads: Anvil's record points at it, the diagnostics screens read the event
// ring and the panel's data from it, and other records carry its base.
//
//   host::HostMemory memory;                 // 0x600000 bytes, zeroed
//   record.base = memory.address();          // what a record carries
//   memory.Set<uint32_t>(0x2A8C35, 64);      // host state at an offset
//
// Values are little-endian and unaligned, as the control lays them out.
// Get and Set outside the block are refused (Get reads 0, Set does nothing
// and returns false), so a test's mistake never writes past the block.
#pragma once

#include <stdint.h>
#include <string.h>

#include <vector>

namespace host {

class HostMemory {
 public:
  // The event ring ends at 0x600000, the last area any library reads.
  static constexpr uint32_t kDefaultSize = 0x600000;

  explicit HostMemory(uint32_t size = kDefaultSize) : bytes_(size, 0) {}
  HostMemory(const HostMemory&) = delete;
  HostMemory& operator=(const HostMemory&) = delete;

  uint8_t* data() { return bytes_.data(); }
  const uint8_t* data() const { return bytes_.data(); }
  uint32_t size() const { return static_cast<uint32_t>(bytes_.size()); }
  // The base as a 32-bit record field holds it.
  uint32_t address() const { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(bytes_.data())); }

  // Pointer to [offset, offset + length), or null when it leaves the block.
  uint8_t* At(uint32_t offset, uint32_t length) {
    return Fits(offset, length) ? bytes_.data() + offset : nullptr;
  }

  template <typename T>
  T Get(uint32_t offset) const {
    T value{};
    if (Fits(offset, sizeof value)) memcpy(&value, bytes_.data() + offset, sizeof value);
    return value;
  }
  template <typename T>
  bool Set(uint32_t offset, T value) {
    if (!Fits(offset, sizeof value)) return false;
    memcpy(bytes_.data() + offset, &value, sizeof value);
    return true;
  }

 private:
  bool Fits(uint32_t offset, size_t length) const {
    return offset <= bytes_.size() && length <= bytes_.size() - offset;
  }

  std::vector<uint8_t> bytes_;
};

}  // namespace host
