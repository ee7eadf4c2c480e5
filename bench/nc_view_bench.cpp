// NcViewInit on the largest program the NC viewer keeps (499 900 bytes,
// one block a line, about 71 000 blocks) with its block numbers ascending,
// descending, at random and all equal, through the real library; beside
// it, in the same run, a plain copy of the text and a scan for "N", the
// least any index build must do. Prints milliseconds and the ratio.
//
// usage: nc_view_bench [REPEATS]
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "anvil/nc_view.h"
#include "bench/run_kind.h"
#include "host/runners/nc_view_runner.h"

namespace {

double Seconds() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec + ts.tv_nsec * 1e-9;
}

std::string Program(const std::vector<int>& numbers) {
  std::string text = "%1 BENCH\n";
  char line[16];
  for (int n : numbers) {
    snprintf(line, sizeof line, "N%05d\n", n);
    if (text.size() + 7 > anvil::kNcTextLimit) break;
    text += line;
  }
  return text;
}

// The baseline: the text copied and every "N" counted.
volatile uint32_t g_sink;
void CopyAndScan(const std::string& text, std::vector<char>& buffer) {
  memcpy(buffer.data(), text.data(), text.size());
  uint32_t blocks = 0;
  for (size_t i = 0; i < text.size(); ++i) blocks += buffer[i] == 'N';
  g_sink = blocks;
}

}  // namespace

int main(int argc, char** argv) {
  int repeats = argc > 1 ? atoi(argv[1]) : 5;
  if (repeats < 1) repeats = 1;
  const int blocks = static_cast<int>((anvil::kNcTextLimit - 9) / 7);
  std::vector<int> ascending(blocks);
  for (int i = 0; i < blocks; ++i) ascending[i] = i + 1;
  std::vector<int> descending(ascending.rbegin(), ascending.rend());
  std::vector<int> shuffled = ascending;
  std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(1));
  std::vector<int> equal(blocks, 5);
  struct Case { const char* name; std::vector<int>* numbers; } cases[] = {
      {"ascending", &ascending}, {"descending", &descending}, {"random", &shuffled}, {"all equal", &equal}};

  host::Screen screen(800, 600);
  host::NcViewRunner runner(screen);
  std::string error;
  if (!runner.Load(9, &error)) {
    fprintf(stderr, "nc_view_bench: %s\n", error.c_str());
    return 1;
  }
  runner.graphics().recorder().Enable(false);
  std::vector<char> buffer(anvil::kNcBufferSize);
  printf("NcViewInit, %d blocks in %u bytes, best of %d (%s):\n", blocks, anvil::kNcTextLimit, repeats, RunKind());
  for (const Case& c : cases) {
    std::string text = Program(*c.numbers);
    double init = 1e9, base = 1e9;
    for (int r = 0; r < repeats; ++r) {
      double t0 = Seconds();
      runner.Init(text);
      double t1 = Seconds();
      CopyAndScan(text, buffer);
      double t2 = Seconds();
      init = std::min(init, t1 - t0);
      base = std::min(base, t2 - t1);
    }
    printf("  %-10s  NcViewInit %8.2f ms   copy-and-scan %6.2f ms   ratio %5.1f\n", c.name, init * 1e3,
           base * 1e3, init / base);
  }
  return 0;
}
