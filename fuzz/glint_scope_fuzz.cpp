// Fuzz target: the signal scope's PREFIX_GLINT and DATA_GLINT with
// arbitrary record fields, ring contents and indices, keys and settings
// file bytes.
//
// Input layout:
//   byte 0      layout letter ('C', 'L', 'P' or anything)
//   byte 1      bits 0-1 ring shape: 0 real rows, 1 null pointer, 2 length
//               0, 3 a length past 32-bit memory; bit 2 sweep restart;
//               bit 3 a record too short for the export; bit 4 no
//               settings folder; bit 5 no export path
//   byte 2      ring length in rows, 1..256 (real rows)
//   bytes 3-10  oldest and next index (u32 each, any value)
//   bytes 11-15 descriptor bytes of channels 0..9 (two per byte's nibbles
//               scaled: nibble 0 -> 0, 9 -> 9, 15 -> 0x99, else digital)
//   byte 16     settings file length (0..255; 208 for a real block)
//   then        settings file bytes, then steps of 3 bytes: key, flags
//               (bit 0 running, bit 1 trigger wait), rows to add (0..255);
//               the remaining bytes fill the ring's values
//
// Checks: nothing outside the window is drawn, every display call is
// accepted, no file is left open, no temporary file is left behind, and
// the view's shift never passes its limit.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bridge/display.h"
#include "bridge/fsp.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_sandbox.h"
#include "glint/scope.h"
#include "host/screen/screen.h"
#include "host/services/display_services.h"
#include "host/services/file_services.h"

namespace {

struct Harness {
  std::string root;
  host::FileServices* files;
  host::Screen* screen;
  host::DisplayServices* display;
};

Harness& Get() {
  static Harness h = [] {
    Harness x;
    x.root = MakeFuzzSandbox("glint", {"c/glint"});
    x.files = new host::FileServices(x.root);
    x.screen = new host::Screen(640, 480);
    x.display = new host::DisplayServices(*x.screen, host::TextStyle::kScreen);
    FspInitCopy(&x.files->table());
    return x;
  }();
  return h;
}

struct Reader {
  const uint8_t* data;
  size_t size, at = 0;
  uint8_t Byte() { return at < size ? data[at++] : 0; }
  uint32_t U32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(Byte()) << (8 * i);
    return v;
  }
};

uint8_t DescriptorOf(uint8_t nibble) {
  return nibble == 0 ? 0 : nibble == 9 ? 9 : nibble == 15 ? 0x99 : 1;
}

void CheckDrawing(const Scope& s, host::DisplayServices& display) {
  const ScopeGeometry& g = s.geometry;
  for (const host::GdiCall& c : display.recorder().calls()) {
    FUZZ_CHECK(c.error.empty());
    if (c.word == kDisplayLine) {
      FUZZ_CHECK(c.x >= g.x0 && c.x2 >= g.x0 && c.x <= g.x0 + g.width && c.x2 <= g.x0 + g.width);
      FUZZ_CHECK(c.y >= g.y0 && c.y2 >= g.y0 && c.y <= g.y0 + g.height && c.y2 <= g.y0 + g.height);
    } else if (c.word == kDisplayFill) {
      FUZZ_CHECK(c.x >= g.x0 && c.x + c.w <= g.x0 + g.width + 1);
      FUZZ_CHECK(c.y >= g.y0 && c.y + c.h <= g.y0 + g.height + 1);
    }
  }
  display.recorder().Clear();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Harness& h = Get();
  Reader in{data, size};
  static Scope s;
  ScopeInit(&s);
  char layout = static_cast<char>(in.Byte());
  uint8_t flags = in.Byte();
  uint32_t rows = 1 + in.Byte();
  uint32_t oldest = in.U32(), next = in.U32();
  uint8_t descriptors[5][4] = {};
  for (int k = 0; k < 5; ++k) {
    uint8_t b = in.Byte();
    descriptors[k][2] = DescriptorOf(b & 15);
    descriptors[k][3] = DescriptorOf(b >> 4);
  }
  std::string settings;
  for (uint8_t n = in.Byte(); n > 0; --n) settings += static_cast<char>(in.Byte());
  {
    std::ofstream f(h.root + "/c/glint/GlnSet.sys", std::ios::binary | std::ios::trunc);
    f << settings;
  }
  std::vector<uint8_t> steps;
  size_t step_count = in.Byte() % 24;
  for (size_t i = 0; i < 3 * step_count; ++i) steps.push_back(in.Byte());

  std::vector<GlintRow> ring(rows);
  uint8_t* raw = reinterpret_cast<uint8_t*>(ring.data());
  for (size_t i = 0; i < rows * sizeof(GlintRow) && in.at < in.size; ++i) raw[i] = in.Byte();

  _GLINT record{};
  record.size = flags & 8 ? 60 : sizeof record;
  record.dispatch = h.display->dispatch();
  record.display = h.display->block();
  record.layout = layout;
  record.sweep_restart = flags & 4 ? 1 : 0;
  record.settings_dir = flags & 16 ? nullptr : "c:\\glint";
  for (int k = 0; k < 5; ++k) record.descriptors[k] = k == 4 && (flags & 64) ? nullptr : descriptors[k];
  record.ring = (flags & 3) == 1 ? nullptr : ring.data();
  record.ring_length = (flags & 3) == 2 ? 0 : (flags & 3) == 3 ? 0x7FFFFFF0u : rows;
  // Indices within the length most of the time, anything otherwise.
  record.oldest = oldest & 0x80000000u ? oldest : oldest % rows;
  record.next = next & 0x80000000u ? next : next % rows;
  record.export_path = flags & 32 ? nullptr : "c:\\glint\\scope.txt";

  ScopePrefix(&s, &record);
  CheckDrawing(s, *h.display);
  for (size_t i = 0; i + 2 < steps.size(); i += 3) {
    record.key = steps[i];
    record.running = steps[i + 1] & 1;
    record.trigger_wait = steps[i + 1] >> 1 & 1;
    if (record.next < rows) record.next = (record.next + steps[i + 2]) % rows;
    ScopeData(&s, &record);
    CheckDrawing(s, *h.display);
    FUZZ_CHECK(s.shift <= ShiftLimit(&s, RingSnapshot(&record)) || s.running);
    FUZZ_CHECK(h.files->open_handles() == 0);
  }
  for (auto& e : std::filesystem::directory_iterator(h.root + "/c/glint")) {
    std::string name = e.path().filename().string();
    FUZZ_CHECK(name == "GlnSet.sys" || name == "scope.txt");
  }
  return 0;
}
