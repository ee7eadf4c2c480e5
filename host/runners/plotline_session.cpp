#include "host/runners/plotline_session.h"

namespace host {

PlotlineSession::PlotlineSession(const MachineDescription& machine, int width, int height)
    : cnc_(machine),
      screen_(width, height),
      runner_(screen_, cnc_, clock_.counter(), TickClock::kFrequency),
      refresh_([this](uint32_t, int) { clock_.Refresh(); }) {
  runner_.graphics().recorder().Enable(false);
}

bool PlotlineSession::Load(const std::string& program, const std::string& file, PlotlineOptions view,
                           std::string* error, bool* program_fault) {
  *program_fault = !cnc_.LoadIsoProgram(program, file, error);
  if (*program_fault) return false;
  view.left = view.top = 0;
  view.right = screen_.width() - 1;
  view.bottom = screen_.height() - 1;
  return runner_.Load(view, error);
}

// The tool at the end of table entry n, in the display fields, as the
// control reports its position.
void PlotlineSession::ToolAtEntry(uint32_t n) {
  CNC_BLOCK_ENTRY e = cnc_.entry(n);
  const AXIS_DISPLAY& d = cnc_.axis_display();
  double tool[3] = {0, 0, 0};
  for (int k = 0; k < 3; ++k) {
    if (d.axis_field[k] == 0) continue;
    int8_t sign = static_cast<int8_t>(d.axis_sign[k]);
    tool[d.axis_field[k] - 1] = e.end[k] * sign / cnc_.position_scale();
  }
  runner_.SetTool(tool[0], tool[1], tool[2]);
}

uint32_t PlotlineSession::Start(int orientation) {
  ToolAtEntry(0);
  runner_.Prefix();
  uint32_t calls = runner_.DataUntilDrawn();
  for (int i = 0; i < orientation; ++i) calls += Key(7);  // the plan's next orientation
  return calls;
}

uint32_t PlotlineSession::Key(uint8_t key) {
  runner_.Data(key);
  return 1 + runner_.DataUntilDrawn();
}

uint32_t PlotlineSession::RunStep(int step, int steps) {
  const uint32_t executed = static_cast<uint32_t>((static_cast<uint64_t>(cnc_.count_b) * step) / steps);
  runner_.SetExecuted(executed);
  ToolAtEntry(executed == 0 ? 0 : executed - 1);
  return runner_.DataUntilDrawn();
}

}  // namespace host
