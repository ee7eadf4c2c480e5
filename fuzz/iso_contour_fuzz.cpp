// Fuzz target: the ISO contour view (DLL_SHOWISO's code) over arbitrary
// programs and settings, whole or segment by segment.
//
// Input layout:
//   byte 0   viewMode (2, 3 or other), bit 7: the large layout
//   byte 1   display kind (mod 5: 0, 1, 2, 10, 11)
//   byte 2   plane type (bits 0-3) and diameter nibble (bits 4-7)
//   byte 3   axis code of the horizontal axis, byte 4 of the vertical one
//   byte 5   modeText's first and fifth characters ('K'/'S', 'X' by bits)
//   byte 6   bit 0 label left, 1 decimal comma, 2 the host's file service
//            fails on the next read, 3 word 1600's top nibble 1
//   bytes 7.. eight bytes per host double for viewMode 2 and 3 (previous,
//            target, arc offsets, scale), then the program text
//
// Checks: no file stays open, the record's text buffers stay bounded (the
// guard bytes), width, height and scale stay finite, and every line drawn
// in kinds 0, 10 and 11 lies inside the clipping window.
#include <math.h>
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "bridge/display.h"
#include "bridge/fsp.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_sandbox.h"
#include "host/screen/screen.h"
#include "host/services/contour_host.h"
#include "host/services/display_services.h"
#include "host/services/file_services.h"
#include "host/services/tracer_host.h"
#include "tracer/iso_contour.h"

namespace {

struct Harness {
  std::string root;
  host::Screen* screen;
  host::DisplayServices* display;
};

Harness& Get() {
  static Harness h = [] {
    Harness x;
    x.root = MakeFuzzSandbox("iso-contour", {"c/prog"});
    x.screen = new host::Screen(800, 600);
    x.display = new host::DisplayServices(*x.screen, host::TextStyle::kForm);
    return x;
  }();
  return h;
}

double Double(const uint8_t* p) {
  double v;
  memcpy(&v, p, sizeof v);
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr size_t kHeader = 7 + 8 * 7;
  if (size < kHeader) return 0;
  Harness& h = Get();
  static const uint8_t kKinds[5] = {0, 1, 2, 10, 11};
  {
    std::ofstream program(h.root + "/c/prog/p.nc", std::ios::binary | std::ios::trunc);
    program.write(reinterpret_cast<const char*>(data + kHeader), static_cast<std::streamsize>(size - kHeader));
  }
  host::FileServices files(h.root);
  FspInitCopy(&files.table());
  h.display->recorder().Clear();
  host::TracerHost tracer(*h.display, &files);
  host::ContourHost contour(tracer, files);
  STRUCT_TRACER& r = tracer.record();
  r.viewMode = data[0] & 0x7F;
  r.largeLayout = data[0] >> 7;
  r.displayKind = kKinds[data[1] % 5];
  contour.kind_in_use = r.displayKind;
  tracer.SetSetting(396, (data[2] & 0xFu) << 8 | (data[2] >> 4 & 0xFu) << 20);
  tracer.SetSetting(4, data[3]);
  tracer.SetSetting(8, data[4]);
  tracer.SetSetting(1600, data[6] & 8 ? 0x10000000u : 0);
  snprintf(tracer.mode_text, sizeof tracer.mode_text, "%c000%c", data[5] & 1 ? 'K' : 'S', data[5] & 2 ? 'X' : '0');
  contour.label_left = data[6] & 1;
  contour.SetDecimalChar(data[6] & 2 ? ',' : '.');
  if (data[6] & 4) files.FailCall(kFspRead, 1, -3);
  const uint8_t* d = data + 7;
  contour.previous_h = Double(d);
  contour.previous_v = Double(d + 8);
  contour.target_h = Double(d + 16);
  contour.target_v = Double(d + 24);
  contour.arc_h = Double(d + 32);
  contour.arc_v = Double(d + 40);
  contour.scale = Double(d + 48);
  r.segmentEnd[0] = Double(d + 16);
  r.segmentEnd[1] = Double(d + 24);
  contour.SetProgram("c:\\prog\\p.nc");

  const int result = ShowIso(&r);
  FUZZ_CHECK(result == 0 || result == -1);
  FUZZ_CHECK(files.open_handles() == 0);
  FUZZ_CHECK(tracer.GuardsIntact() && contour.GuardsIntact());
  if (r.viewMode != 2 && r.viewMode != 3) {
    FUZZ_CHECK(isfinite(contour.width) && isfinite(contour.height) && isfinite(contour.scale));
  }
  const bool clipped = r.displayKind == 0 || r.displayKind >= 10;
  for (const host::GdiCall& c : h.display->recorder().calls()) {
    if (c.word != kDisplayLine || !clipped || r.viewMode == 2 || r.viewMode == 3) continue;
    FUZZ_CHECK(c.x >= contour.clip_left && c.x <= contour.clip_right && c.x2 >= contour.clip_left &&
               c.x2 <= contour.clip_right);
    FUZZ_CHECK(c.y >= contour.clip_top && c.y <= contour.clip_bottom && c.y2 >= contour.clip_top &&
               c.y2 <= contour.clip_bottom);
  }
  return 0;
}
