// Drives the path view the way the control's main program does: FSPInit,
// GDIInit, LocalizationInit, RecordCNCInit with the CNC state, then
// PREFIX_PLOTLINE once and DATA_PLOTLINE periodically, a key placed into
// the record for one call at a time.
#pragma once

#include <stdint.h>

#include <string>

#include "host/screen/screen.h"
#include "host/services/cnc_state.h"
#include "host/services/file_services.h"
#include "host/services/graphics_services.h"
#include "host/services/loader.h"
#include "plotline/plotline_record.h"

namespace host {

struct PlotlineOptions {
  std::string library = "Plotline";
  int left = 0, top = 0, right = 799, bottom = 599;
  uint8_t view_request = kRequestPlan;
  uint8_t display_flags = 0;          // bit 0 R, bit 1 D
  uint32_t language = 9;
  std::string program_name, second_name;
};

class PlotlineRunner {
 public:
  // `ticks` and `frequency` are the tick counter handed to the library.
  PlotlineRunner(Screen& screen, CncState& cnc, const volatile uint32_t* ticks, uint32_t frequency);
  bool Load(const PlotlineOptions& options, std::string* error);

  int Prefix();
  // One DATA_PLOTLINE call with `key` in the record (0 = none); the key is
  // taken out again afterwards.
  int Data(uint8_t key = 0);
  // DATA_PLOTLINE until a call paints nothing (the drawing is complete), at
  // most `max_calls` calls; returns the calls made.
  uint32_t DataUntilDrawn(uint32_t max_calls = 1000000);

  void SetTool(double x, double y, double z);
  void SetExecuted(uint32_t blocks) { host_.executed = blocks; }

  _PLOTLINE& record() { return record_; }
  PLOTLINE_HOST& host_block() { return host_; }
  GraphicsServices& graphics() { return graphics_; }
  Library& library() { return library_; }

 private:
  using ScreenFn = int (*)(_PLOTLINE*);
  FileServices files_;
  GraphicsServices graphics_;
  CncState& cnc_;
  Library library_;
  PlotlineOptions options_;
  _PLOTLINE record_{};
  PLOTLINE_HOST host_{};
  ScreenFn prefix_ = nullptr, data_ = nullptr;
};

}  // namespace host
