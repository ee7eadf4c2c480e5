#include "tests/support/scope_host.h"

#include "bridge/display.h"
#include "bridge/fsp.h"

namespace testing_support {

ScopeHost::ScopeHost(uint32_t ring_length) : ring(ring_length) {
  FspInitCopy(&box.files().table());
  box.Write(settings_dir + "\\keep.txt", "");
  record.size = sizeof record;
  record.dispatch = display.dispatch();
  record.display = display.block();
  record.layout = 'C';
  record.settings_dir = settings_dir.c_str();
  for (int k = 0; k < 5; ++k) record.descriptors[k] = descriptors[k];
  record.ring = ring.data();
  record.ring_length = ring_length;
  record.export_path = export_path.c_str();
}

std::vector<std::string> ScopeHost::Texts() {
  std::vector<std::string> out;
  for (const host::GdiCall& c : calls())
    if (c.word == kDisplayWriteText) out.push_back(c.text);
  return out;
}

std::vector<std::pair<int, int>> ScopeHost::Points(int palette_byte) {
  std::vector<std::pair<int, int>> out;
  for (const host::GdiCall& c : calls())
    if (c.word == kDisplayLine && c.fg == Colour(palette_byte) && c.x == c.x2 && c.y == c.y2)
      out.emplace_back(c.x, c.y);
  return out;
}

}  // namespace testing_support
