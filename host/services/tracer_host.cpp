#include "host/services/tracer_host.h"

#include <ctype.h>
#include <string.h>

#include "host/services/dispatch.h"
#include "tracer/form_numbers.h"

namespace host {

namespace {

template <size_t N>
void Put(GuardedText<N>* g, const std::string& text) {
  memset(g->text, 0, N);
  memcpy(g->text, text.data(), text.size() < N - 1 ? text.size() : N - 1);
}

// A host text up to its NUL or its buffer's end.
template <size_t N>
std::string Get(const GuardedText<N>& g) {
  return std::string(g.text, strnlen(g.text, N));
}

}  // namespace

TracerHost::TracerHost(DisplayServices& display, FileServices* files) : tables_(files) {
  Guard(&corr_table_name_);
  Guard(&shift_table_name_);
  Guard(&table_name_);
  Guard(&value_text_);
  Guard(&result_text_);
  Guard(&entry_text_);
  Guard(&section_text_);
  Guard(&axis_names_);
  Guard(&fix_table_dir_);
  Put(&corr_table_name_, "c:\\tables\\korekce.tab");
  Put(&shift_table_name_, "c:\\tables\\posuny.tab");
  memcpy(axis_names_.text, "XYZUVW", 6);

  STRUCT_TRACER& r = record_;
  r.size = sizeof(STRUCT_TRACER);
  r.dispatch = display.dispatch();
  r.serviceBlock = display.block();
  r.layoutMode = 1;
  r.scaleV = &scale_v;
  r.scaleH = &scale_h;
  r.statusChar = &status_char;
  r.statusCode = &status_code;
  r.stepV = &step_v;
  r.stepH = &step_h;
  r.plane = &plane;
  r.planeSaved = &plane_saved;
  r.trailColour = &trail_colour;
  r.keyCode = &key_code;
  r.modeText = mode_text;
  r.defaultAxes = default_axes;
  r.originPos = &origin_pos;
  r.axisBlock = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(axis_block_));
  r.snapshotFlag = &snapshot_flag;
  r.axisFirst = &axis_first;
  r.axisSecond = &axis_second;
  r.zoomIndex = &zoom_index;
  r.zoomDivisor = &zoom_divisor;
  r.axisLetter = &axis_letter;
  r.axisIndex = &axis_index;
  r.axisCount = &axis_count;
  r.presetTable = &preset_table;
  r.positionArg = &position_arg;
  r.configBlock = config_;
  r.tick = &tick;
  r.corrTableName = corr_table_name_.text;
  r.shiftTableName = shift_table_name_.text;
  r.tableName = table_name_.text;
  r.valueText = value_text_.text;
  r.resultText = result_text_.text;
  r.entryText = entry_text_.text;
  r.sectionText = section_text_.text;
  r.axisNames = axis_names_.text;
  r.machineType = &machine_type;
  r.formKey = &form_key;
  r.messageCode = &message_code;
  r.keepZeros = &keep_zeros;
  r.formKind = &form_kind;
  r.addMode = &add_mode;
  r.shiftFamily = &shift_family;
  r.writeMode = &write_mode;
  r.formStatus = &form_status;
  r.fixTableDir = fix_table_dir_.text;

  auto add = [this](const char* name, ServiceFn fn) {
    uint32_t handle = RegisterService(name, [this, name, fn](int count, va_list args) {
      ++calls_[name];
      return fn(count, args);
    });
    handles_.push_back(handle);
    return handle;
  };
  r.paramReadHandle = add("parameter read", [this](int c, va_list a) { return ParameterRead(c, a); });
  r.writeEntryHandle = add("write", [this](int c, va_list a) { return Write(c, a); });
  r.loadShiftHandle = add("load shift", [this](int, va_list) { return Load(true); });
  r.loadCorrHandle = add("load correction", [this](int, va_list) { return Load(true); });
  r.loadEntryHandle = add("load entry", [this](int, va_list) { return Load(false); });
  r.positionHandle = add("position", [this](int c, va_list a) { return Position(c, a); });
  r.axisValueHandle = add("axis value", [this](int c, va_list a) { return Position(c, a); });
  SetDecimals(3);
}

TracerHost::~TracerHost() {
  for (uint32_t h : handles_) UnregisterService(h);
}

void TracerHost::SetSetting(uint32_t offset, uint32_t value) {
  if (offset + 4 <= sizeof config_) memcpy(config_ + offset, &value, 4);
}

uint32_t TracerHost::Setting(uint32_t offset) const {
  uint32_t value = 0;
  if (offset + 4 <= sizeof config_) memcpy(&value, config_ + offset, 4);
  return value;
}

void TracerHost::SetDecimals(int decimals) {
  SetSetting(kConfigDecimals, (Setting(kConfigDecimals) & ~0xF00u) | (static_cast<uint32_t>(decimals) & 0xF) << 8);
}

int TracerHost::Decimals() const { return FormDecimals(config_); }

void TracerHost::SetAxisBlock(int k, int32_t microns) {
  if (k < 0 || k >= 6) return;
  const int64_t eighths = static_cast<int64_t>(microns) * 8;
  const int32_t half = static_cast<int32_t>(eighths / 2), rest = static_cast<int32_t>(eighths - half);
  memcpy(axis_block_ + 2 + 4 * k, &half, 4);
  memcpy(axis_block_ + 2 + 4 * (k + 6), &rest, 4);
}

void TracerHost::SetToolRadius(uint32_t microns, bool circle) {
  uint32_t bcd = 0;
  for (int k = 0; k < 7; ++k, microns /= 10) bcd |= (microns % 10) << (4 * k);
  radius_word_ = bcd | (circle ? 1u << 28 : 0);
}

void TracerHost::KeyForm(uint8_t key, uint16_t ticks) {
  form_key = key;
  tick = static_cast<uint16_t>(tick + ticks);
}

std::string TracerHost::Text(const char* field) const {
  const std::string f = field;
  if (f == "tableName") return Get(table_name_);
  if (f == "valueText") return Get(value_text_);
  if (f == "resultText") return Get(result_text_);
  if (f == "entryText") return Get(entry_text_);
  if (f == "sectionText") return Get(section_text_);
  if (f == "corrTableName") return Get(corr_table_name_);
  return "";
}

void TracerHost::SetTableName(const std::string& name) { Put(&corr_table_name_, name); }

bool TracerHost::GuardsIntact() const {
  return Intact(corr_table_name_) && Intact(shift_table_name_) && Intact(table_name_) && Intact(value_text_) &&
         Intact(result_text_) && Intact(entry_text_) && Intact(section_text_) && Intact(axis_names_) &&
         Intact(fix_table_dir_);
}

int TracerHost::calls(const std::string& name) const {
  auto it = calls_.find(name);
  return it == calls_.end() ? 0 : it->second;
}

int TracerHost::ParameterRead(int count, va_list args) {
  if (count != 3) return 0;
  const uint32_t group = va_arg(args, uint32_t), number = va_arg(args, uint32_t);
  return group == 2 && number == 99 ? static_cast<int>(radius_word_) : 0;
}

int TracerHost::Write(int, va_list) {
  WriteRequest w;
  w.table = Get(table_name_);
  w.section = Get(section_text_);
  w.entry = Get(entry_text_);
  w.value = write_reads_value_text ? Get(value_text_) : Get(result_text_);
  w.axis = axis_index;
  w.write_mode = write_mode;
  writes_.push_back(w);
  last_error_.clear();
  int64_t value = 0;
  const int decimals = Decimals();
  if (w.entry.size() != 2 || !isdigit(static_cast<unsigned char>(w.entry[0])) ||
      !isdigit(static_cast<unsigned char>(w.entry[1]))) {
    last_error_ = "entry \"" + w.entry + "\" is not a number";
    return 1;
  }
  if (!DecimalTextToInteger(w.value.c_str(), static_cast<uint32_t>(w.value.size()), decimals, &value)) {
    last_error_ = "value \"" + w.value + "\" is not a number";
    return 1;
  }
  const int number = (w.entry[0] - '0') * 10 + (w.entry[1] - '0');
  return tables_.WriteValue(w.table, w.section, number, w.axis, value, decimals, &last_error_) ? 0 : 1;
}

int TracerHost::Load(bool integer_text) {
  std::string text;
  if (load_text_set_) {
    text = load_text_;
  } else {
    TableEntries entries;
    std::string error;
    const std::string entry = Get(entry_text_);
    const int number = entry.size() == 2 ? (entry[0] - '0') * 10 + (entry[1] - '0') : -1;
    if (tables_.Load(Get(table_name_), Decimals(), &entries, &error)) {
      auto it = entries.find(number);
      int64_t value = 0;
      if (it != entries.end())
        value = axis_index == kTableColumnR ? it->second.r : axis_index < 6 ? it->second.axes[axis_index] : 0;
      char digits[32];
      IntegerToText(value, digits);
      text = integer_text ? std::string(digits) : DecimalText(value, Decimals());
    }
  }
  // The host writes at most the buffer's 11 bytes; a longer test text is
  // written whole up to that size, without its NUL.
  memset(result_text_.text, 0, sizeof result_text_.text);
  memcpy(result_text_.text, text.data(), text.size() < sizeof result_text_.text ? text.size() : sizeof result_text_.text);
  return 1;
}

int TracerHost::Position(int count, va_list args) {
  if (count != 1) return 0;
  const uint32_t axis = va_arg(args, uint32_t);
  auto it = positions_.find(static_cast<int>(axis));
  return it == positions_.end() ? 0 : static_cast<int>(it->second);
}

}  // namespace host
