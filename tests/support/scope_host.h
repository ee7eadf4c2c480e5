// The scope's host for tests of the library's code (glint_core): a sandbox
// with file services, a 640 x 480 screen with the display block, a sample
// ring and the scope record pointing at all of them.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "glint/glint_record.h"
#include "host/screen/screen.h"
#include "host/services/display_services.h"
#include "tests/support/sandbox.h"

namespace testing_support {

class ScopeHost {
 public:
  explicit ScopeHost(uint32_t ring_length = 1000);

  // Ring rows `oldest` up to (not including) `next`; row i of the ring gets
  // value(i, channel) in every channel.
  template <typename Fn>
  void Fill(uint32_t oldest, uint32_t next, Fn value) {
    for (uint32_t i = 0; i < ring.size(); ++i)
      for (int k = 0; k < kGlintChannels; ++k) ring[i].values[k] = value(i, k);
    record.oldest = oldest;
    record.next = next;
  }
  void SetDigital(int channel) { descriptors[channel / 2][2 + channel % 2] = 1; }

  // Calls since the last Clear(), described by the recorder.
  const std::vector<host::GdiCall>& calls() { return display.recorder().calls(); }
  void Clear() { display.recorder().Clear(); }
  // Texts written (word 35), in order.
  std::vector<std::string> Texts();
  // Single-point lines (x, y) drawn in a palette byte's colour.
  std::vector<std::pair<int, int>> Points(int palette_byte);
  uint8_t Colour(int palette_byte) const { return display.block()[palette_byte]; }

  Sandbox box;
  host::Screen screen{640, 480};
  host::DisplayServices display{screen, host::TextStyle::kScreen};
  std::vector<GlintRow> ring;
  uint8_t descriptors[5][4] = {};
  std::string settings_dir = "c:\\glint";
  std::string export_path = "c:\\glint\\scope.txt";
  _GLINT record{};
};

}  // namespace testing_support
