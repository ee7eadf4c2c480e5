// Path view benchmark: a table of N blocks (lines and arcs on a zigzag over
// a 2 x 1 m sheet) drawn through the real library's DATA_PLOTLINE into an
// 800 x 600 screen with a real tick counter. Prints the total time, blocks
// per second, and the duration of each DATA_PLOTLINE call against the
// 1 ms budget of its path drawing.
//
// usage: plotline_bench [BLOCKS]   (default 1,000,000)
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <vector>

#include "host/runners/plotline_runner.h"
#include "host/services/dispatch.h"
#include "host/services/tick_clock.h"

namespace {

uint64_t Microseconds(clockid_t clock = CLOCK_MONOTONIC) {
  timespec ts;
  clock_gettime(clock, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1000000u + ts.tv_nsec / 1000;
}

// Every tenth block an arc; rows of 400 blocks across the sheet.
void Generate(host::CncState* cnc, uint32_t blocks) {
  std::vector<uint8_t> table(static_cast<size_t>(blocks) * host::CncState::kEntrySize, 0);
  const double scale = cnc->position_scale();
  for (uint32_t i = 0; i < blocks; ++i) {
    uint32_t row = (i / 400) % 1000, column = i % 400;
    double x = (row % 2 ? 400 - column : column) * 5.0, y = row * 1.0;
    CNC_BLOCK_ENTRY e{};
    e.end[0] = static_cast<int32_t>(x * scale);
    e.end[1] = static_cast<int32_t>(y * scale);
    e.motion = column == 0 ? 0 : 1;
    e.axes = 3;
    if (i % 10 == 5 && column != 0) {
      e.motion = 2;
      e.centre[0] = static_cast<int32_t>((row % 2 ? -2.5 : 2.5) * scale);
      e.centre[1] = 0;
    }
    e.block_number = host::CncState::ToBcd(i % 10000000);
    std::copy(reinterpret_cast<uint8_t*>(&e), reinterpret_cast<uint8_t*>(&e) + sizeof e,
              table.begin() + static_cast<ptrdiff_t>(i) * host::CncState::kEntrySize);
  }
  cnc->SetTable(std::move(table), host::CncState::kEntrySize);
  cnc->count_a = cnc->count_b = blocks;
  cnc->extent_1[0] = cnc->extent_1[1] = 0;
  cnc->extent_2[0] = static_cast<int32_t>(2000 * scale);
  cnc->extent_2[1] = static_cast<int32_t>(1000 * scale);
}

}  // namespace

int main(int argc, char** argv) {
  uint32_t blocks = argc > 1 ? static_cast<uint32_t>(atoi(argv[1])) : 1000000;
  if (blocks < 2) {
    fprintf(stderr, "usage: plotline_bench [BLOCKS >= 2]\n");
    return 2;
  }
  host::CncState cnc;
  Generate(&cnc, blocks);
  host::Screen screen(800, 600);
  host::TickClock clock;
  host::PlotlineRunner runner(screen, cnc, clock.counter(), host::TickClock::kFrequency);
  runner.graphics().recorder().Enable(false);
  host::SetDispatchObserver([&clock](uint32_t, int) { clock.Refresh(); });
  std::string error;
  if (!runner.Load(host::PlotlineOptions{}, &error)) {
    fprintf(stderr, "plotline_bench: %s\n", error.c_str());
    return 1;
  }
  runner.Prefix();
  // Wall time per call, and the thread's processor time: on a loaded
  // machine a call preempted while it draws its last block takes longer on
  // the wall clock than it worked.
  std::vector<uint32_t> slices, cpu;
  uint64_t start = Microseconds();
  // Until a call paints nothing: the whole program is drawn.
  for (;;) {
    uint64_t before = Microseconds(), cpu_before = Microseconds(CLOCK_THREAD_CPUTIME_ID);
    uint64_t calls = runner.graphics().calls();
    runner.Data();
    slices.push_back(static_cast<uint32_t>(Microseconds() - before));
    cpu.push_back(static_cast<uint32_t>(Microseconds(CLOCK_THREAD_CPUTIME_ID) - cpu_before));
    if (runner.graphics().calls() == calls) break;
  }
  double total = (Microseconds() - start) / 1e6;
  std::sort(slices.begin(), slices.end());
  std::sort(cpu.begin(), cpu.end());
  auto pick = [](const std::vector<uint32_t>& v, double q) { return v[std::min(v.size() - 1, static_cast<size_t>(q * v.size()))]; };
  auto at = [&](double q) { return pick(slices, q); };
  printf("path view (%s), %u blocks\n", getenv("BENCH_RUN") ? getenv("BENCH_RUN") : "run", blocks);
  printf("  total time           %.3f s\n", total);
  printf("  blocks per second    %.0f\n", blocks / total);
  printf("  DATA_PLOTLINE calls  %zu\n", slices.size());
  printf("  slice median         %.3f ms (budget 1 ms)\n", at(0.5) / 1000.0);
  printf("  slice 99th pct       %.3f ms\n", at(0.99) / 1000.0);
  printf("  slice maximum        %.3f ms\n", slices.back() / 1000.0);
  printf("  processor time per call: median %.3f, 99th pct %.3f, maximum %.3f ms\n", pick(cpu, 0.5) / 1000.0,
         pick(cpu, 0.99) / 1000.0, cpu.back() / 1000.0);
  return 0;
}
