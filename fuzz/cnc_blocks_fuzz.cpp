// Fuzz target: the CNC state record's block table read by the path view.
//
// Input: byte 0 the plane code (low nibble) and selector (high nibble),
// byte 1 bit 0 machine type F, bits 1-3 the order flags, bits 4-5 the
// view; byte 2 the entry size (72 + value), byte 3 count B (0-63), byte 4
// count A (0-63, or 0x80000000 and above when 255), byte 5 the number of
// keys that follow; then the keys, then the table bytes (count B entries,
// missing bytes zero). The table lies in a buffer of exactly count B
// entries, so a read past them is caught.
//
// Checks: the iteration ends within 2 x count B + 1 steps and only visits
// indexes below count B (bit 31 aside); the view draws every line inside
// its drawing area (or on its frame).
#include <stdint.h>
#include <string.h>

#include <vector>

#include "fuzz/fuzz_check.h"
#include "host/services/cnc_state.h"
#include "host/services/graphics_services.h"
#include "plotline/plotline.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 6) return 0;
  host::MachineDescription m;
  m.plane = data[0] & 15;
  m.selector = data[0] >> 4;
  m.type = (data[1] & 1) ? 'F' : ' ';
  for (int k = 0; k < 3; ++k) m.order[k] = (data[1] >> (1 + k)) & 1;
  uint32_t entry_size = 72u + data[2];
  uint32_t count_b = data[3] & 63;
  uint32_t count_a = data[4] == 255 ? 0x80000000u : (data[4] & 63u);
  size_t key_count = data[5] & 15;
  size_t at = 6;
  std::vector<uint8_t> keys(data + at, data + (at + key_count < size ? at + key_count : size));
  at += keys.size();

  host::CncState cnc(m);
  std::vector<uint8_t> table(static_cast<size_t>(count_b) * entry_size, 0);
  if (at < size && !table.empty()) memcpy(table.data(), data + at, size - at < table.size() ? size - at : table.size());
  cnc.SetTable(table, entry_size);
  cnc.count_a = count_a;
  cnc.count_b = count_b;
  for (int k = 0; k < 3; ++k) {
    cnc.extent_1[k] = -(k + 1) * 80000;
    cnc.extent_2[k] = (k + 1) * 160000;
  }
  for (uint32_t n = 1; n <= host::CncState::kPositionRecords; ++n) cnc.SetPosition(n, n, -double(n), 0.5 * n);
  RecordCNCInitCopy(cnc.record());

  uint32_t steps = 0;
  for (int32_t i = RecordCNCProgramReady() == 0 ? 0 : -1; i != -1; i = RecordCNCNextBlock(i)) {
    FUZZ_CHECK((static_cast<uint32_t>(i) & 0x7FFFFFFFu) < count_b);
    FUZZ_CHECK(++steps <= 2 * count_b + 1);
    CNC_BLOCK_INFO info;
    if (RecordCNCGetBlockInfo(i, &info) == 1) FUZZ_CHECK(info.progress <= 100);
  }

  // The view over the same table, driven by the keys.
  static host::Screen screen(320, 240);
  host::GraphicsServices gfx(screen);
  GdiInitCopy(&gfx.table());
  static volatile uint32_t ticks;
  PLOTLINE_HOST hb{};
  hb.ticks = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&ticks));
  hb.tick_frequency = 1000000;
  hb.executed = count_b / 2;
  _PLOTLINE r{};
  r.right = 319;
  r.bottom = 239;
  r.view_request = static_cast<uint8_t>(1 + ((data[1] >> 4) & 3));
  r.host_block = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&hb));
  static PlotContext c;
  c = PlotContext{};
  c.view.scale = 1;
  PlotSetLayout(&c, &r);
  PlotBuildView(&c, &r);
  PlotFullRedraw(&c, &r);
  for (uint8_t key : keys) {
    PlotHandleKey(&c, &r, key);
    for (int call = 0; call < 12; ++call) {
      ticks = ticks + 1500;  // every slice has run out: one block per call
      PlotDrawSlice(&c, &r);
    }
  }
  for (const host::GdiCall& call : gfx.recorder().calls()) {
    if (call.slot != kGdiLine) continue;
    FUZZ_CHECK(call.x >= 4 && call.x <= 315 && call.x2 >= 4 && call.x2 <= 315);
    FUZZ_CHECK(call.y >= 25 && call.y <= 214 && call.y2 >= 25 && call.y2 <= 214);
  }
  return 0;
}
