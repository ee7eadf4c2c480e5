#include "host/runners/view_runner.h"

#include "bridge/gdi.h"
#include "host/runners/drawing_library.h"
#include "host/screen/text.h"
#include "host/services/tick_clock.h"

namespace host {

ViewRunner::ViewRunner(FileServices& files, Screen& screen, const volatile uint32_t* ticks,
                       uint32_t frequency)
    : files_(files), graphics_(screen), ticks_(ticks), frequency_(frequency) {}

bool ViewRunner::Load(const ViewOptions& options, std::string* error) {
  options_ = options;
  if (!library_.Open(LibraryPath(options.library), error)) return false;
  start_ = library_.Bind<ViewFn>("ViewStart");
  cont_ = library_.Bind<ViewFn>("ViewCont");
  stop_ = library_.Bind<ViewFn>("ViewStop");
  parts_ = library_.Bind<ViewFn>("ShapePartSel");
  if (!start_ || !cont_ || !stop_ || !parts_) {
    if (error) *error = options.library + " lacks the view exports";
    return false;
  }
  if (!InitDrawingLibrary(library_, options.library, &files_.table(), &graphics_.table(), options.language, error))
    return false;
  info_ = VIEW_INFO{};
  info_.path = options_.program_dos_path.c_str();
  info_.left = static_cast<uint16_t>(options.left);
  info_.top = static_cast<uint16_t>(options.top);
  info_.right = static_cast<uint16_t>(options.right);
  info_.bottom = static_cast<uint16_t>(options.bottom);
  info_.part_mode = options.part_mode;
  info_.ticks = ticks_;
  info_.tick_frequency = frequency_;
  info_.orientation = options.orientation;
  info_.copy_path = options_.copy_dos_path.c_str();
  info_.start_delay_ms = options.start_delay_ms;
  info_.format = options.iso ? 0 : 1;
  info_.text = options_.iso_text.c_str();
  info_.text_length = static_cast<uint32_t>(options_.iso_text.size());
  info_.axes = options_.iso_axes.c_str();
  info_.options = options.iso_options;
  info_.diameter = options.iso_diameter ? 1 : 0;
  return true;
}

void ViewRunner::WatchTexts() {
  graphics_.recorder().KeepOnly({kGdiTextBox, kGdiWriteText});
  graphics_.recorder().Enable(true);
}

std::string ViewRunner::InfoLineText() const {
  // The information line's text box starts 5 pixels inside the window's
  // left edge and 21 above its bottom.
  int x = info_.left + 5, y = info_.bottom - 21;
  bool in_line = false;
  std::string shown;
  for (const GdiCall& call : graphics_.recorder().calls()) {
    if (call.slot == kGdiTextBox) in_line = call.x == x && call.y == y;
    else if (call.slot == kGdiWriteText && in_line) shown = call.text;
  }
  while (!shown.empty() && shown.back() == ' ') shown.pop_back();
  return shown;
}

std::string ViewRunner::FailureText() const {
  std::string shown = InfoLineText();
  if (shown.empty()) return "";
  // Error texts 1 to 13 of the view (Anvil keeps them 150 higher).
  auto get = library_.Bind<const char* (*)(uint32_t)>("GetLocString");
  uint32_t base = options_.library == "Anvil" ? 150 : 0;
  for (uint32_t id = base + 1; get && id <= base + 13; ++id) {
    const char* text = get(id);
    if (text && *text && shown == text) return ZorvToUtf8(text);
  }
  return "";
}

uint32_t ViewRunner::Start() { return start_(&info_); }
uint32_t ViewRunner::Cont() { return cont_(&info_); }
uint32_t ViewRunner::Stop() { return stop_(&info_); }
uint32_t ViewRunner::ShapePartSel() { return parts_(&info_); }

ViewRun ViewRunner::RunToEnd(const std::function<void()>& progress) {
  ViewRun run;
  run.start_result = Start();
  for (;;) {
    uint64_t before = MonotonicMicroseconds();
    run.last_result = Cont();
    run.slice_us.push_back(static_cast<uint32_t>(MonotonicMicroseconds() - before));
    ++run.cont_calls;
    if (progress) progress();
    if (run.last_result != 1) break;
  }
  return run;
}

}  // namespace host
