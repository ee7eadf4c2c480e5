// Fuzz target: the path graphics with arbitrary record values, axis
// values, moves and keys.
//
// Input layout:
//   byte 0   layout mode (any), byte 1 origin position (any), byte 2 zoom
//            index (any), bytes 3-4 zoom divisor (i16, 0 included)
//   bytes 5-12 scale V and H (u32 each), byte 13 trail colour, byte 14
//            snapshot flag, bytes 15-18 mode text, bytes 19-22 parameter
//            word (tool radius BCD and flag)
//   bytes 23-70 the twelve axis values (i32 each)
//   then     steps of 5 bytes: key code, step H (i16), step V (i16); the
//            first and every 16th step go through the prefix instead
//            (bit 0 of the key: the full one, else the one without frame)
//
// Checks: every plotted point and every tool circle lies inside the
// drawing area; the moves are cleared after each step; keys 1..5 are
// cleared; sanitizers catch a read past a table or a division by zero.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <string>

#include "bridge/display.h"
#include "fuzz/fuzz_check.h"
#include "host/screen/screen.h"
#include "host/services/display_services.h"
#include "host/services/tracer_host.h"
#include "tracer/path_graphics.h"

namespace {

struct Harness {
  host::Screen* screen;
  host::DisplayServices* display;
};

Harness& Get() {
  static Harness h = [] {
    Harness x;
    x.screen = new host::Screen(640, 480);
    x.display = new host::DisplayServices(*x.screen, host::TextStyle::kForm);
    return x;
  }();
  return h;
}

template <typename T>
T Take(const uint8_t* p) {
  T v;
  memcpy(&v, p, sizeof v);
  return v;
}

void CheckPlots(const PathState& s, const host::CallRecorder& recorder) {
  const int left = s.layout.off + 10, right = AreaRight(s.layout);
  for (const host::GdiCall& c : recorder.calls()) {
    FUZZ_CHECK(c.error.empty());
    if (c.word == kDisplayFill && c.w == 1 && c.h == 1)
      FUZZ_CHECK(c.x >= left && c.x <= right && c.y >= kAreaTop && c.y <= kAreaBottom);
    if (c.word == kDisplayArc) {
      const int r = c.x2 - c.x;
      FUZZ_CHECK(r > 0 && c.x - r >= left && c.x + r <= right && c.y - r >= kAreaTop && c.y + r <= kAreaBottom);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 71) return 0;
  Harness& h = Get();
  host::TracerHost host(*h.display, nullptr);
  STRUCT_TRACER& r = host.record();
  r.layoutMode = data[0];
  host.origin_pos = data[1];
  host.zoom_index = data[2];
  host.zoom_divisor = Take<int16_t>(data + 3);
  host.scale_v = Take<uint32_t>(data + 5);
  host.scale_h = Take<uint32_t>(data + 9);
  host.trail_colour = data[13];
  host.snapshot_flag = data[14];
  memcpy(host.mode_text, data + 15, 4);
  host.mode_text[4] = '\0';
  host.SetParameterWord(Take<uint32_t>(data + 19));
  for (int k = 0; k < 6; ++k) host.SetAxisBlock(k, Take<int32_t>(data + 23 + 4 * k) / 8);

  static PathState state;
  state = PathState{};
  PathPrefix(&state, &r);
  size_t step = 0;
  for (size_t at = 71; at + 5 <= size; at += 5, ++step) {
    const uint8_t key = data[at];
    host.step_h = Take<int16_t>(data + at + 1);
    host.step_v = Take<int16_t>(data + at + 3);
    if (step % 16 == 15) {
      if (key & 1) PathPrefix(&state, &r);
      else PathPrefixAgain(&state, &r);
      continue;
    }
    host.key_code = key;
    h.display->recorder().Clear();
    PathRun(&state, &r);
    if (key >= 1 && key <= 5) {
      FUZZ_CHECK(host.key_code == 0);
    } else {
      FUZZ_CHECK(host.step_h == 0 && host.step_v == 0);
      CheckPlots(state, h.display->recorder());
    }
  }
  return 0;
}
