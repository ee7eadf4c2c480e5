#include "host/runners/vitals_runner.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>

#include "bridge/fsp.h"
#include "host/services/dispatch.h"

namespace host {
namespace {

using RecordFn = int (*)(void*);

// Sample values the host's painters show, by record field.
const char* SampleOf(uint32_t field, uint32_t argument) {
  switch (field) {
    case 50: return argument == 0 ? "TAB_PL20.TAB" : argument == 1 ? "KOR_PL20.TAB" : "TECH 20 mm";
    case 58: return "F 2500";
    case 62: return "S 1200";
    case 66: return "12.500";
    case 70: return "S2 800";
    case 74: return "saved";
    case 90: return "S2 ON";
    default: return "*";
  }
}

}  // namespace

VitalsRunner::VitalsRunner(FileServices& files, DisplayServices& display, HostMemory& memory)
    : files_(files), display_(display) {
  vitals_.dispatch = display.dispatch();
  vitals_.display = display.block();
  vitals_.technology = technology_.data();
  vitals_.digit_swap = &digit_swap_;
  vitals_.machine_words = words_.data();
  vitals_.machine_type = &machine_type_;
  vitals_.item_arguments[0] = 0;
  vitals_.item_arguments[1] = 1;
  vitals_.item_arguments[2] = 2;
  vitals_.tool_digits = tool_digits_.data();
  vitals_.special_word = &special_word_;
  vitals_.host_memory = memory.data();
  vitals_.table_name = table_name_;
  // Painters of fields 50, 58 to 74, 78 and 90 (54 stays 0: never called).
  const uint32_t fields[] = {50, 58, 62, 66, 70, 74, 78, 90};
  for (uint32_t field : fields) {
    uint32_t h = RegisterService("vitals.painter", [this, field](int count, va_list args) {
      return Paint(field, count, args);
    });
    painter_handles_.push_back(h);
    RecordSet<uint32_t>(&vitals_, field, h);
  }
  events_.layout = 'C';
  events_.base = memory.data();
  events_.parameters = parameters_;
  events_.directory = directory_;
  events_.done = &done_;
  events_.available = 1;
  SetDirectory("c:\\events\\");
  ApplyPanelData();
}

VitalsRunner::~VitalsRunner() {
  for (uint32_t h : painter_handles_) UnregisterService(h);
}

bool VitalsRunner::Load(uint32_t language, std::string* error) {
  if (!library_.Open(LibraryPath("Vitals"), error)) return false;
  auto fsp = library_.Bind<int (*)(const FSP_INIT_PARAMS*)>("FSPInit");
  auto loc = library_.Bind<int (*)(void*, uint32_t)>("LocalizationInit");
  if (fsp == nullptr || loc == nullptr) {
    *error = "libVitals lacks FSPInit or LocalizationInit";
    return false;
  }
  fsp(&files_.table());
  if (language != 0) loc(nullptr, language);
  return true;
}

void VitalsRunner::SetDirectory(const std::string& dos_directory) {
  snprintf(directory_, sizeof directory_, "%s", dos_directory.c_str());
}

void VitalsRunner::ApplyPanelData() {
  technology_ = panel_.technology;
  digit_swap_ = panel_.digit_swap;
  std::fill(words_.begin(), words_.end(), 0);
  std::copy_n(panel_.words.begin(), std::min(panel_.words.size(), words_.size()), words_.begin());
  machine_type_ = panel_.machine_type;
  tool_digits_ = panel_.tool_digits;
  special_word_ = panel_.special_word;
  snprintf(table_name_, sizeof table_name_, "%s", panel_.table_name.c_str());
  vitals_.repaint_on_change = panel_.repaint_on_change;
}

void VitalsRunner::Init() {
  if (auto fn = library_.Bind<RecordFn>("INIT_VITALS")) fn(&vitals_);
}
void VitalsRunner::PanelPrefix() {
  if (auto fn = library_.Bind<RecordFn>("PREFIX_VITALS")) fn(&vitals_);
}
void VitalsRunner::PanelData() {
  if (auto fn = library_.Bind<int (*)()>("DATA_VITALS")) fn();
}
void VitalsRunner::EventPrefix() {
  if (auto fn = library_.Bind<RecordFn>("PREFIX_EVENT")) fn(&events_);
}
void VitalsRunner::EventData(uint8_t key) {
  events_.key = key;
  if (auto fn = library_.Bind<RecordFn>("DATA_EVENT")) fn(&events_);
}
void VitalsRunner::WriteEvent() {
  if (auto fn = library_.Bind<RecordFn>("WRITE_EVENT")) fn(&events_);
}
void VitalsRunner::WriteCritical() {
  if (auto fn = library_.Bind<RecordFn>("WRITE_EVENT_CRITICAL")) fn(&events_);
}

std::string VitalsRunner::Text(uint32_t id) const {
  auto get = library_.Bind<const char* (*)(uint32_t)>("GetLocString");
  const char* text = get != nullptr ? get(id) : nullptr;
  return text != nullptr ? text : "";
}

int VitalsRunner::painter_calls(uint32_t field) const { return field < 100 ? painter_calls_[field] : 0; }

int VitalsRunner::Paint(uint32_t field, int count, va_list args) {
  int expected = field == 50 ? 2 : field == 78 ? 0 : 1;
  if (count != expected) return 0;
  painter_calls_[field]++;
  uint32_t argument = field == 50 ? va_arg(args, uint32_t) : 0;
  if (field == 78) {
    // An item without a position: the host's own clock in the corner.
    const char* clock = "12:00";
    for (int i = 0; clock[i] != 0; ++i)
      display_.screen().DrawChar(740 + 8 * i, 92, static_cast<uint8_t>(clock[i]), 2, 7, 1);
    return 1;
  }
  uint32_t at = va_arg(args, uint32_t);
  int x = static_cast<int>(at & 0xFFFF), y = static_cast<int>(at >> 16);
  const char* text = SampleOf(field, argument);
  for (int i = 0; text[i] != 0; ++i)
    display_.screen().DrawChar(x + 8 * i, y, static_cast<uint8_t>(text[i]), 2, 2, 255);
  return 1;
}

}  // namespace host
