#include "host/runners/showiso_session.h"

#include "bridge/display.h"

namespace host {
namespace {

// The settings' axis code of a letter: A..C count from 1, U..Z from 33
// (codes with bits 4-7 set read as the code plus 52).
uint32_t AxisCode(char letter) { return letter <= 'C' ? static_cast<uint32_t>(letter - 64) : static_cast<uint32_t>(letter - 52); }

}  // namespace

ShowIsoSession::ShowIsoSession(const std::string& folder, bool large)
    : large_(large), stage_(folder, large ? 800 : 640, large ? 600 : 480), contour_(stage_.tracer, stage_.files),
      view_(stage_.runner, stage_.tracer, contour_) {
  // The host's window behind the view, in the label's background colour.
  stage_.screen.FillRect(0, 0, stage_.screen.width(), stage_.screen.height(), stage_.display.block()[BARVA_P2]);
}

bool ShowIsoSession::Load(const ShowIsoSettings& settings, std::string* error) {
  stage_.tracer.SetSetting(4, AxisCode(settings.axes[0]));
  stage_.tracer.SetSetting(8, AxisCode(settings.axes[1]));
  // The diameter flag (settings word 396, bits 20-23): X words are halved
  // on the vertical axis (mode text "S...") or the horizontal one ("K...").
  // The plane type (bits 8-11 of the same word): 6 to 9 exchange the axes
  // and give I to the vertical one.
  stage_.tracer.SetSetting(396, (settings.diameter ? 1u << 20 : 0) | settings.plane << 8);
  stage_.tracer.mode_text[0] = settings.mode == 'K' ? 'K' : 'S';
  if (!stage_.runner.Load(settings.language, error)) return false;

  STRUCT_TRACER& r = stage_.tracer.record();
  r.displayKind = settings.kind;
  r.largeLayout = large_ ? 1 : 0;
  contour_.label_left = settings.label_left ? 1 : 0;
  if (settings.kind == 10 || settings.kind == 11) {
    // Kinds 10 and 11 draw into the area the host chose: here the window
    // of kind 0.
    contour_.area_w = 304 + (large_ ? 160 : 0);
    contour_.area_h = 286 + (large_ ? 120 : 0);
    contour_.origin_x = 328;
    contour_.origin_y = 416 + (large_ ? 120 : 0);
  }
  if (settings.editor_buffer) {
    contour_.editor_buffer = 1;
    contour_.SetEditorDir("c:\\edit\\");
    contour_.SetEditorSource("c:\\prog\\program.nc");
  } else {
    contour_.SetProgram("c:\\prog\\program.nc");
  }
  return true;
}

}  // namespace host
