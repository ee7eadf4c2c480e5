// The simulator's side of STRUCT_TRACER: the host variables its pointers
// reach, the settings block, the axis block, the tick counter, and the
// services named in the record. Shared by the path graphics and every
// table-input form (and by the screens that later use the same record).
//
// How a command or test sets it up:
//
//   host::DisplayServices display(screen, host::TextStyle::kForm);
//   host::TracerHost tracer(display, &files);   // files: the sandbox
//   tracer.SetDecimals(3);
//   tracer.SetPosition(0, 100000);               // axis 0 at 100.000
//   ... DLL_PREFIX_INKOR(&tracer.record()); tracer.KeyForm('1'); ...
//
// Services (dispatch handles registered while the object lives):
//   parameter read (2, 99, 0)  the tool radius as seven BCD digits (um),
//                              bit 28 set when the circle is to be drawn
//   write entry ()             writes resultText into entry entryText of the
//                              table named by tableName (TableStore);
//                              0 = written, 1 = refused or failed
//   load shift / correction () the entry's value as an integer text
//   load entry ()              the entry's value as a decimal text
//                              (R when axisIndex is 255)
//   position (arg)             position of axis `arg` (units of the last
//                              decimal); an axis beyond 5 gives 0
//   axis value (axis)          the same
// Every call is counted (calls()).
//
// Text buffers carry guard bytes on both sides (GuardsIntact()), so a test
// sees any byte the library writes beyond 11, 11, 3, 5 or 64 bytes.
#pragma once

#include <stdarg.h>
#include <stdint.h>
#include <string.h>

#include <map>
#include <string>
#include <vector>

#include "host/services/display_services.h"
#include "host/services/file_services.h"
#include "host/services/table_store.h"
#include "tracer/tracer_record.h"

namespace host {

constexpr uint8_t kGuardByte = 0xA5;
constexpr size_t kGuardBytes = 8;

template <size_t N>
struct GuardedText {
  uint8_t before[kGuardBytes];
  char text[N];
  uint8_t after[kGuardBytes];
};

template <size_t N>
void Guard(GuardedText<N>* g) {
  memset(g->before, kGuardByte, kGuardBytes);
  memset(g->after, kGuardByte, kGuardBytes);
}

// True while no write has reached past either end of the text.
template <size_t N>
bool Intact(const GuardedText<N>& g) {
  for (size_t i = 0; i < kGuardBytes; ++i)
    if (g.before[i] != kGuardByte || g.after[i] != kGuardByte) return false;
  return true;
}

class TracerHost {
 public:
  TracerHost(DisplayServices& display, FileServices* files);
  ~TracerHost();
  TracerHost(const TracerHost&) = delete;
  TracerHost& operator=(const TracerHost&) = delete;

  STRUCT_TRACER& record() { return record_; }

  // Settings block: a 32-bit word at a byte offset; decimals D (word 2996).
  void SetSetting(uint32_t offset, uint32_t value);
  uint32_t Setting(uint32_t offset) const;
  void SetDecimals(int decimals);
  int Decimals() const;

  // Axis block: axis k at `microns` (both halves, eight times finer).
  void SetAxisBlock(int k, int32_t microns);
  // Position service value of an axis (units of the last decimal).
  void SetPosition(int axis, int64_t units) { positions_[axis] = units; }
  // Tool radius for the parameter read; `circle` sets the flag nibble.
  void SetToolRadius(uint32_t microns, bool circle);
  // The parameter word as it stands (BCD digits above 9 included).
  void SetParameterWord(uint32_t word) { radius_word_ = word; }

  // Places a key for the next form data call, advancing the tick by one
  // unless `ticks` says otherwise.
  void KeyForm(uint8_t key, uint16_t ticks = 1);

  // Host texts (what the library wrote).
  std::string Text(const char* field) const;
  // The correction table's name as the host hands it (corrTableName).
  void SetTableName(const std::string& name);
  // Why the last write service call failed ("" after a success).
  const std::string& last_error() const { return last_error_; }
  bool GuardsIntact() const;

  TableStore& tables() { return tables_; }
  // Counted service calls by name ("write", "load entry", "position", ...).
  int calls(const std::string& name) const;
  // What the write service received last.
  struct WriteRequest {
    std::string table, section, entry, value;
    uint8_t axis = 0;
    uint8_t write_mode = 0;
  };
  const std::vector<WriteRequest>& writes() const { return writes_; }
  // The load services answer with this text when set (a test's odd host).
  void SetLoadText(const std::string& text) { load_text_ = text; load_text_set_ = true; }

  // The variables behind the record, for runners and tests.
  uint32_t scale_v = 1, scale_h = 1;
  uint16_t status_char = 0, status_code = 0;
  int16_t step_v = 0, step_h = 0;
  uint8_t plane = 0, plane_saved = 0, trail_colour = 0, key_code = 0, origin_pos = 0;
  char mode_text[8] = "S000";
  char default_axes[2] = {'X', 'Y'};
  uint8_t snapshot_flag = 0, axis_first = 1, axis_second = 0, zoom_index = 7;
  int16_t zoom_divisor = 400;
  char axis_letter = 'X';
  uint8_t axis_index = 0, axis_count = 3, preset_table = 0;
  uint32_t position_arg = 0;
  uint16_t tick = 0;
  char machine_type = 'N';
  uint8_t form_key = 0, message_code = 0, keep_zeros = 0, form_kind = 0, add_mode = 0;
  uint8_t shift_family = 0, write_mode = 0, form_status = 0;
  // The write service takes the value from valueText instead of
  // resultText (the hard-wired shift form hands its values there).
  bool write_reads_value_text = false;

 private:
  int ParameterRead(int count, va_list args);
  int Write(int count, va_list args);
  int Load(bool integer_text);
  int Position(int count, va_list args);

  TableStore tables_;
  STRUCT_TRACER record_{};
  alignas(4) uint8_t axis_block_[2 + 12 * 4] = {};
  alignas(4) uint8_t config_[4096] = {};
  GuardedText<64> corr_table_name_{}, shift_table_name_{}, table_name_{};
  GuardedText<kValueTextBytes> value_text_{};
  GuardedText<kResultTextBytes> result_text_{};
  GuardedText<kEntryTextBytes> entry_text_{};
  GuardedText<kSectionTextBytes> section_text_{};
  GuardedText<6> axis_names_{};
  GuardedText<64> fix_table_dir_{};
  std::map<int, int64_t> positions_;
  uint32_t radius_word_ = 0;
  std::map<std::string, int> calls_;
  std::vector<WriteRequest> writes_;
  std::vector<uint32_t> handles_;
  std::string load_text_, last_error_;
  bool load_text_set_ = false;
};

}  // namespace host
