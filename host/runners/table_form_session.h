// A correction or zero-offset form of libTracer with everything it runs
// on, set up as the control does it: a 640x480 form screen, the display
// block, the Tracer record with the machine's settings and positions, the
// correction and shift tables and the fixed table's folder in the drive
// folder. The control calls the open form once a tick, with the key
// pressed since (if any); the tick counter moves on by one each call. The
// batch command and the console both build it, so the same calls paint the
// same form and write the same entries.
#pragma once

#include <stdint.h>

#include <string>
#include <utility>
#include <vector>

#include "host/runners/tracer_stage.h"
#include "host/services/offset_host.h"

namespace host {

struct TableFormSettings {
  TracerForm form = TracerForm::kInkor;
  uint32_t language = 9;
  int decimals = 3;                // D, 3 to 5
  int axis = 0;                    // the host's axis index, 0 to 5, or 255 (the value replaces)
  char machine = 'N';              // S and K show axis 0 doubled
  std::vector<std::pair<uint32_t, uint32_t>> settings;  // byte offset, 32-bit word
  std::vector<std::pair<int, int64_t>> positions;       // axis, position in units of D decimals
  int preset_table = -1;           // natvrdo: the table digit the host presets (-1: from the settings)
  bool fail_write = false;         // the write service's replace of the table fails
  bool has_table = false;          // the form's table before it opens
  std::string table;
  bool has_fixed_table = false;    // the fixed form's TABFIX.POS before it opens
  std::string fixed_table;
};

class TableFormSession {
 public:
  // `folder` is the drive folder the library's file services reach.
  explicit TableFormSession(const std::string& folder);
  // Puts the tables in place and loads the library; false with *error.
  bool Load(const TableFormSettings& settings, std::string* error);
  // Opens the form on a cleared screen (its prefix call).
  void Open();
  // One data call with `key` (0: none), a tick after the one before;
  // returns 9 when the form finished.
  int Data(uint8_t key);

  // What the write services received, one line each ("write: ...",
  // "fixed shift: ..."), and for the hard-wired form the preset table.
  std::vector<std::string> Written() const;
  // The form's table as it stands now ("" when there is none).
  std::string TableText();
  // The fixed table's file in the drive folder ("" when there is none).
  std::string FixedTablePath() const;
  // The write service failed (message 135): why.
  bool write_failed() const { return stage_.tracer.message_code == 135; }
  std::string write_error() const { return stage_.tracer.last_error(); }
  bool shift_form() const { return form_ >= TracerForm::kInposun; }

  Screen& screen() { return stage_.screen; }
  TracerHost& tracer() { return stage_.tracer; }

 private:
  TracerStage stage_;
  OffsetHost offsets_;
  TracerForm form_ = TracerForm::kInkor;
  int decimals_ = 3;
};

// The leave key of the console's forms (each form has its own; the
// console sends this one and the operation hands over the form's).
constexpr uint8_t kConsoleFormLeave = 27;

}  // namespace host
