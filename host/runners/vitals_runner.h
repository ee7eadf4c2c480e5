// Drives libVitals the way the control's main program does: loads it,
// hands it the file services and the operator's language, calls
// INIT_VITALS with the system-information record (the service header of
// every screen), then the panel's PREFIX/DATA and the event log's exports.
//
// The runner owns what the records point at (vitals/panel_host.h gives
// the layout): the technology bytes, the digit-swap word, the machine
// words, the machine-type letter, the tool digits, the special-length
// word, the table name, the event parameters, the files' directory and the
// "done" byte. The display block, the file services and the shared host
// memory come from the caller. The host painters draw a sample value at
// the position they are given and count their calls.
#pragma once

#include <stdint.h>

#include <array>
#include <string>
#include <vector>

#include "host/services/display_services.h"
#include "host/services/file_services.h"
#include "host/services/host_memory.h"
#include "host/services/loader.h"
#include "vitals/panel_host.h"
#include "vitals/vitals_records.h"

namespace host {

// The panel's host data, before Setup() copies it into place.
struct PanelHostData {
  std::array<uint8_t, kTechBytes> technology{};
  uint32_t digit_swap = 0;
  std::vector<uint32_t> words = std::vector<uint32_t>(1024, 0);
  char machine_type = 'P';
  std::array<uint8_t, kPanelCorrectionCount> tool_digits{};
  uint32_t special_word = 0;
  std::string table_name = "C:\\TAB_PL20.TAB";
  uint8_t repaint_on_change = 0;
};

class VitalsRunner {
 public:
  VitalsRunner(FileServices& files, DisplayServices& display, HostMemory& memory);
  ~VitalsRunner();
  VitalsRunner(const VitalsRunner&) = delete;
  VitalsRunner& operator=(const VitalsRunner&) = delete;

  // Loads libVitals, calls FSPInit and, when `language` is not 0,
  // LocalizationInit. False with a message when it cannot be loaded.
  bool Load(uint32_t language, std::string* error);
  // The records as the host fills them; valid while the runner lives.
  _VITALS& vitals() { return vitals_; }
  _DGEVENT& events() { return events_; }
  PanelHostData& panel_data() { return panel_; }
  uint32_t* event_parameters() { return parameters_; }
  uint8_t done() const { return done_; }
  void SetDirectory(const std::string& dos_directory);
  // Copies panel_data() behind the record's pointers.
  void ApplyPanelData();

  void Init();
  void PanelPrefix();
  void PanelData();
  void EventPrefix();
  // One DATA_EVENT call with `key` in the record.
  void EventData(uint8_t key = 0);
  void WriteEvent();
  void WriteCritical();
  // Texts of the library's table (control character set; "" when null).
  std::string Text(uint32_t id) const;
  // Calls of each host painter so far, by record field (50 to 90).
  int painter_calls(uint32_t field) const;
  Library& library() { return library_; }

 private:
  int Paint(uint32_t field, int count, va_list args);

  FileServices& files_;
  DisplayServices& display_;
  Library library_;
  PanelHostData panel_;
  std::array<uint8_t, kTechBytes> technology_{};
  uint32_t digit_swap_ = 0;
  std::vector<uint32_t> words_ = std::vector<uint32_t>(1024, 0);
  char machine_type_ = 'P';
  std::array<uint8_t, kPanelCorrectionCount> tool_digits_{};
  uint32_t special_word_ = 0;
  char table_name_[128] = {};
  uint32_t parameters_[3] = {};
  char directory_[300] = {};
  uint8_t done_ = 0;
  _VITALS vitals_{};
  _DGEVENT events_{};
  std::vector<uint32_t> painter_handles_;
  std::array<int, 100> painter_calls_{};
};

}  // namespace host
