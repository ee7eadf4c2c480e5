// The host's side of Anvil's initialisation.
#include "host/services/anvil_host.h"

#include <string.h>

#include "host/services/loader.h"

namespace host {
namespace {

constexpr uint8_t kGuardByte = 0xA5;

struct WharfEntry {
  uint32_t index;
  const char* name;
};

const WharfEntry kWharfEntries[] = {
    {kHostFnWharfCont, "wharfCont"},       {kHostFnWharfListWEx, "wharfListWEx"},
    {kHostFnWharfPWDEx, "wharfPWDEx"},     {kHostFnWharfRetrEx, "wharfRetrEx"},
    {kHostFnWharfStorEx, "wharfStorEx"},   {kHostFnWharfCWDEx, "wharfCWDEx"},
    {kHostFnWharfListEx, "wharfListEx"},
};

uint32_t Address(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }

}  // namespace

AnvilHost::AnvilHost(uint32_t pool_size, uint32_t shared_size)
    : pool_size_(pool_size),
      pool_(size_t{pool_size} + kGuardBytes, 0),
      own_shared_(std::make_unique<HostMemory>(shared_size)),
      shared_(own_shared_.get()) {
  FillRecord();
}

AnvilHost::AnvilHost(HostMemory& shared, uint32_t pool_size)
    : pool_size_(pool_size), pool_(size_t{pool_size} + kGuardBytes, 0), shared_(&shared) {
  FillRecord();
}

void AnvilHost::FillRecord() {
  memset(pool_.data() + pool_size_, kGuardByte, kGuardBytes);
  SetSystemDirectory("C:\\SYSTEM\\");
  record_.size = sizeof record_;
  record_.pool_base = Address(pool_.data());
  record_.pool_size = pool_size_;
  record_.shared_memory = shared_->data();
  record_.flag_a = &flag_a_;
  record_.flag_b = &flag_b_;
  record_.cnc_record = cnc_.data();
  record_.system_directory = system_directory_;
  record_.flag_bits = flag_bits_;
  record_.reserved = 0;
  for (int i = 0; i < 6; ++i) record_.text_areas[i] = text_areas_[i];
  record_.message_word = &message_;
  record_.host_functions = functions_.data();
  record_.sort_preset = sort_preset_;
}

int64_t AnvilHost::Initialise(const Library& anvil) {
  auto init = anvil.Bind<uint32_t (*)(const _ANVILINIT*)>("AnvilInit");
  if (init == nullptr) return -1;
  return init(&record_);
}

int AnvilHost::FillWharfEntries(const std::function<void*(const std::string&)>& resolve) {
  int filled = 0;
  for (const WharfEntry& e : kWharfEntries) {
    void* fn = resolve(e.name);
    functions_[e.index] = Address(fn);
    if (fn != nullptr) ++filled;
  }
  return filled;
}

int AnvilHost::FillWharfEntries(const Library& wharf) {
  return FillWharfEntries([&wharf](const std::string& name) { return wharf.Symbol(name); });
}

bool AnvilHost::PoolGuardIntact() const {
  for (uint32_t i = 0; i < kGuardBytes; ++i)
    if (pool_[pool_size_ + i] != kGuardByte) return false;
  return true;
}

void AnvilHost::CopyText(char* dest, size_t capacity, const std::string& text) {
  size_t n = text.size() < capacity - 1 ? text.size() : capacity - 1;
  memcpy(dest, text.data(), n);
  dest[n] = '\0';
}

void AnvilHost::SetSystemDirectory(const std::string& path) {
  CopyText(system_directory_, sizeof system_directory_, path);
}

void AnvilHost::SetTextArea(int area, const std::string& text) {
  if (area >= 0 && area < 6) CopyText(text_areas_[area], kTextAreaSize, text);
}

void AnvilHost::SetSortPreset(const std::string& text) {
  CopyText(sort_preset_, sizeof sort_preset_, text);
}

}  // namespace host
