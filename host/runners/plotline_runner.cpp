#include "host/runners/plotline_runner.h"

#include <string.h>

#include "host/runners/drawing_library.h"

namespace host {

PlotlineRunner::PlotlineRunner(Screen& screen, CncState& cnc, const volatile uint32_t* ticks,
                               uint32_t frequency)
    : files_("/nonexistent-plotline-sandbox"), graphics_(screen), cnc_(cnc) {
  host_.ticks = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(ticks));
  host_.tick_frequency = frequency;
}

bool PlotlineRunner::Load(const PlotlineOptions& options, std::string* error) {
  options_ = options;
  if (!library_.Open(LibraryPath(options.library), error)) return false;
  auto cnc_init = library_.Bind<int (*)(RECORDCNC_INIT_PARAMS*)>("RecordCNCInit");
  prefix_ = library_.Bind<ScreenFn>("PREFIX_PLOTLINE");
  data_ = library_.Bind<ScreenFn>("DATA_PLOTLINE");
  if (!cnc_init || !prefix_ || !data_) {
    if (error) *error = options.library + " lacks the path view exports";
    return false;
  }
  if (!InitDrawingLibrary(library_, options.library, &files_.table(), &graphics_.table(), options.language, error))
    return false;
  cnc_init(cnc_.record());

  // The view record: window, request, the axes as the display record shows
  // them, boxes from the machine description, names.
  record_ = _PLOTLINE{};
  record_.left = static_cast<uint16_t>(options.left);
  record_.top = static_cast<uint16_t>(options.top);
  record_.right = static_cast<uint16_t>(options.right);
  record_.bottom = static_cast<uint16_t>(options.bottom);
  record_.view_request = options.view_request;
  record_.display_flags = options.display_flags;
  const AXIS_DISPLAY& d = cnc_.axis_display();
  for (int f = 0; f < 3; ++f) {
    record_.axis[f].letter = static_cast<char>(d.field[f].letter);
    record_.axis[f].inverted = d.field[f].mirrored;
    memcpy(record_.axis[f].name, d.field[f].name, sizeof record_.axis[f].name);
  }
  const MachineDescription& m = cnc_.machine();
  if (m.sheet_set) {
    memcpy(reinterpret_cast<uint8_t*>(&record_) + offsetof(_PLOTLINE, sheet), m.sheet, sizeof m.sheet);
    memcpy(host_.sheet_outline, m.sheet, sizeof m.sheet);
  }
  if (m.area_set) memcpy(reinterpret_cast<uint8_t*>(&record_) + offsetof(_PLOTLINE, area), m.area, sizeof m.area);
  record_.host_block = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&host_));
  record_.program_name = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(options_.program_name.c_str()));
  record_.second_name = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(options_.second_name.c_str()));
  return true;
}

int PlotlineRunner::Prefix() { return prefix_(&record_); }

int PlotlineRunner::Data(uint8_t key) {
  record_.key = key;
  int result = data_(&record_);
  record_.key = 0;
  return result;
}

uint32_t PlotlineRunner::DataUntilDrawn(uint32_t max_calls) {
  for (uint32_t call = 1; call <= max_calls; ++call) {
    uint64_t before = graphics_.calls();
    Data();
    if (graphics_.calls() == before) return call;
  }
  return max_calls;
}

void PlotlineRunner::SetTool(double x, double y, double z) {
  const double tool[3] = {x, y, z};
  memcpy(reinterpret_cast<uint8_t*>(&record_) + offsetof(_PLOTLINE, tool), tool, sizeof tool);
}

}  // namespace host
