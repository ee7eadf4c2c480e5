// The host's side of Anvil's initialisation: the memory the control hands
// to the library and the record (_ANVILINIT) that points into it.
//
// An AnvilHost owns, for as long as it lives:
//   - the pool block (configurable size), followed by guard bytes that let a
//     test prove the library never wrote past the block's end;
//   - the shared memory block (the control's large shared data area), its
//     own or one the host shares with the other libraries it loads;
//   - the CNC state record, an array of 32-bit words (word 766: mode bits);
//   - the system directory path, the message word, the byte flags A, B and
//     the flag-bit array, six text areas and the sort preset;
//   - the table of 32-bit function entries, whose Wharf entries are filled
//     when Wharf is loaded too, as the control does.
// record() points at all of these; Initialise() hands it to AnvilInit.
#pragma once

#include <stdint.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "anvil/anvil_init.h"
#include "host/services/host_memory.h"

namespace host {

class Library;

class AnvilHost {
 public:
  static constexpr uint32_t kDefaultPoolSize = 4u << 20;
  static constexpr uint32_t kDefaultSharedSize = 0x600000;
  static constexpr uint32_t kCncWords = 1024;
  static constexpr uint32_t kFunctionEntries = 1024;
  static constexpr uint32_t kTextAreaSize = 256;
  static constexpr uint32_t kGuardBytes = 64;

  explicit AnvilHost(uint32_t pool_size = kDefaultPoolSize,
                     uint32_t shared_size = kDefaultSharedSize);
  // Uses the host's shared block, which must outlive this object.
  AnvilHost(HostMemory& shared, uint32_t pool_size = kDefaultPoolSize);
  AnvilHost(const AnvilHost&) = delete;
  AnvilHost& operator=(const AnvilHost&) = delete;

  // The record as the host fills it; its pointers stay valid while this
  // object lives. Tests may change fields before Initialise.
  _ANVILINIT& record() { return record_; }

  // Calls the library's AnvilInit with the record; returns its result, or
  // -1 when the library has no AnvilInit.
  int64_t Initialise(const Library& anvil);

  // Puts the addresses of Wharf's exports into the function table. The
  // resolver maps an export name to its address (null when absent). Returns
  // the number of entries filled.
  int FillWharfEntries(const std::function<void*(const std::string&)>& resolve);
  int FillWharfEntries(const Library& wharf);

  uint8_t* pool() { return pool_.data(); }
  uint32_t pool_address() const { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(pool_.data())); }
  uint32_t pool_size() const { return pool_size_; }
  // True while every guard byte after the pool block is untouched.
  bool PoolGuardIntact() const;

  uint8_t* shared_memory() { return shared_->data(); }
  uint32_t shared_size() const { return shared_->size(); }
  HostMemory& shared() { return *shared_; }
  uint32_t* cnc_record() { return cnc_.data(); }
  uint32_t* functions() { return functions_.data(); }

  uint16_t message() const { return message_; }
  void ClearMessage() { message_ = 0; }

  void SetSystemDirectory(const std::string& path);
  void SetTextArea(int area, const std::string& text);
  void SetSortPreset(const std::string& text);

 private:
  void FillRecord();
  static void CopyText(char* dest, size_t capacity, const std::string& text);

  uint32_t pool_size_;
  std::vector<uint8_t> pool_;
  std::unique_ptr<HostMemory> own_shared_;
  HostMemory* shared_;
  std::array<uint32_t, kCncWords> cnc_{};
  std::array<uint32_t, kFunctionEntries> functions_{};
  char system_directory_[kTextAreaSize] = {};
  char text_areas_[6][kTextAreaSize] = {};
  char sort_preset_[kTextAreaSize] = {};
  uint8_t flag_a_ = 0, flag_b_ = 0;
  uint8_t flag_bits_[8] = {};
  uint16_t message_ = 0;
  _ANVILINIT record_{};
};

}  // namespace host
