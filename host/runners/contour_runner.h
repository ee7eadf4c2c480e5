// Drives DLL_SHOWISO of libTracer: a whole program in one call, or block
// by block as a host that follows the program does: viewMode 3 with every
// block's end point (the extents), then viewMode 2 for each segment. The
// host reads the blocks with the ISO word layer of kerf/ (the same reader
// the program views use); blocks before the "%" line are skipped.
#pragma once

#include <string>

#include "host/runners/tracer_runner.h"
#include "host/services/contour_host.h"

namespace host {

class ContourRunner {
 public:
  ContourRunner(TracerRunner& runner, TracerHost& tracer, ContourHost& contour)
      : runner_(runner), tracer_(tracer), contour_(contour) {}

  // One whole-program call; the library's result (0, or -1).
  int Show();
  // Block by block over the program text; the number of segments fed, or
  // -1 when the library lacks DLL_SHOWISO.
  int BlockByBlock(const std::string& program_text, uint8_t kind);

 private:
  int Call(uint8_t view_mode);

  TracerRunner& runner_;
  TracerHost& tracer_;
  ContourHost& contour_;
};

}  // namespace host
