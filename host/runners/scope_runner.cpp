#include "host/runners/scope_runner.h"

#include <string.h>

namespace host {

ScopeRunner::ScopeRunner(FileServices& files, DisplayServices& display)
    : files_(files), display_(display) {}

bool ScopeRunner::Load(std::string* error) {
  if (!library_.Open(LibraryPath("Glint"), error)) return false;
  prefix_ = library_.Bind<ScopeFn>("PREFIX_GLINT");
  data_ = library_.Bind<ScopeFn>("DATA_GLINT");
  auto fsp_init = library_.Bind<int (*)(const FSP_INIT_PARAMS*)>("FSPInit");
  if (prefix_ == nullptr || data_ == nullptr || fsp_init == nullptr) {
    *error = "libGlint lacks PREFIX_GLINT, DATA_GLINT or FSPInit";
    return false;
  }
  fsp_init(&files_.table());
  return true;
}

void ScopeRunner::Setup(const ScopeHostOptions& options, const Recording& recording) {
  options_ = options;
  recording_ = recording;
  cursor_ = 0;
  ring_.assign(options.ring_length, GlintRow{});
  memset(descriptors_, 0, sizeof descriptors_);
  for (int k = 0; k < kGlintChannels; ++k) descriptors_[k / 2][2 + k % 2] = options.descriptor_bytes[k];
  settings_dir_ = options.settings_dos_dir;
  export_path_ = options.export_dos_path;
  record_ = _GLINT{};
  record_.size = options.record_size;
  record_.dispatch = display_.dispatch();
  record_.display = display_.block();
  record_.layout = options.layout;
  record_.sweep_restart = options.sweep_restart ? 1 : 0;
  record_.settings_dir = settings_dir_.c_str();
  for (int k = 0; k < 5; ++k) record_.descriptors[k] = descriptors_[k];
  record_.ring = ring_.empty() ? nullptr : ring_.data();
  record_.ring_length = options.ring_length;
  record_.export_path = export_path_.empty() ? nullptr : export_path_.c_str();
  last_trigger_zero_ = true;
}

void ScopeRunner::WriteRow(const GlintRow& row) {
  if (ring_.empty()) return;
  uint32_t length = static_cast<uint32_t>(ring_.size());
  ring_[record_.next] = row;
  record_.next = (record_.next + 1) % length;
  if (record_.next == record_.oldest) record_.oldest = (record_.oldest + 1) % length;
  // The host's trigger: waiting ends at the first rising trigger byte.
  if (record_.trigger_wait && row.trigger != 0 && last_trigger_zero_) record_.trigger_wait = 0;
  last_trigger_zero_ = row.trigger == 0;
}

void ScopeRunner::FillStopped() {
  record_.oldest = record_.next = 0;
  last_trigger_zero_ = true;
  for (const GlintRow& row : recording_.rows) WriteRow(row);
  cursor_ = recording_.rows.size();
}

void ScopeRunner::Prefix() { prefix_(&record_); }

void ScopeRunner::Data(uint8_t key) {
  record_.key = key;
  data_(&record_);
  record_.key = 0;
  ++data_calls_;
}

void ScopeRunner::Run() {
  record_.running = 1;
  record_.trigger_wait = options_.trigger_wait ? 1 : 0;
}

void ScopeRunner::Stop() {
  record_.running = 0;
  record_.trigger_wait = 0;
}

void ScopeRunner::Advance(uint32_t ms) {
  for (uint32_t i = 0; i < ms; ++i) {
    if (record_.running && !recording_.rows.empty()) {
      // The recording plays in a loop while the host keeps sampling.
      WriteRow(recording_.rows[cursor_ % recording_.rows.size()]);
      ++cursor_;
    }
    ++elapsed_ms_;
    if (elapsed_ms_ % kScopeDataPeriodMs == 0) Data();
  }
}

}  // namespace host
