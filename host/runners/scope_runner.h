// Drives the signal scope the way the control's main program does: the
// host samples ten channels into a sample ring, one row per millisecond,
// owns run/stop and the trigger, and calls PREFIX_GLINT when the screen
// opens and DATA_GLINT every 20 ms with at most one key.
//
// The runner owns the scope record, the ring and five channel descriptors;
// the display block and file services come from the caller. Time is
// simulated: Advance(ms) writes the rows of that many milliseconds while
// running and calls DATA_GLINT on every 20th millisecond.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "glint/glint_record.h"
#include "host/runners/scope_signals.h"
#include "host/services/display_services.h"
#include "host/services/file_services.h"
#include "host/services/loader.h"

namespace host {

struct ScopeHostOptions {
  uint32_t ring_length = 10000;          // rows
  char layout = 'C';
  bool sweep_restart = false;
  bool trigger_wait = false;             // while running, wait for the trigger row
  uint8_t descriptor_bytes[kGlintChannels] = {};  // 0 analog, 1 digital, 9, 0x99
  std::string settings_dos_dir = "c:\\glint";
  std::string export_dos_path = "c:\\glint\\scope.txt";
  uint16_t record_size = sizeof(_GLINT);
};

constexpr uint32_t kScopeDataPeriodMs = 20;

class ScopeRunner {
 public:
  ScopeRunner(FileServices& files, DisplayServices& display);
  // Loads libGlint and hands it the file services.
  bool Load(std::string* error);
  // Sets up record, descriptors and an empty ring; `recording` feeds the rows.
  void Setup(const ScopeHostOptions& options, const Recording& recording);

  // Fills the ring with the recording as a stopped capture: the newest rows
  // that fit (a ring of N rows holds N - 1).
  void FillStopped();
  void Prefix();
  // One DATA_GLINT call with `key` in the record (cleared afterwards).
  void Data(uint8_t key = 0);
  // Starts and stops the host's recording (the flags change; the scope
  // notices at its next DATA call).
  void Run();
  void Stop();
  // Simulated milliseconds: a row per millisecond while running, DATA_GLINT
  // every 20 ms.
  void Advance(uint32_t ms);
  // Writes one row as the host's sampler does.
  void WriteRow(const GlintRow& row);

  _GLINT& record() { return record_; }
  std::vector<GlintRow>& ring() { return ring_; }
  uint64_t elapsed_ms() const { return elapsed_ms_; }
  uint32_t data_calls() const { return data_calls_; }

 private:
  using ScopeFn = int (*)(_GLINT*);
  FileServices& files_;
  DisplayServices& display_;
  Library library_;
  ScopeFn prefix_ = nullptr, data_ = nullptr;
  ScopeHostOptions options_;
  Recording recording_;
  size_t cursor_ = 0;  // next recording row the sampler writes
  std::vector<GlintRow> ring_;
  uint8_t descriptors_[5][4] = {};
  std::string settings_dir_, export_path_;
  _GLINT record_{};
  uint64_t elapsed_ms_ = 0;
  uint32_t data_calls_ = 0;
  bool last_trigger_zero_ = true;
};

}  // namespace host
