// Preprocessor benchmark: a generated parametric program just under the
// runaway guard's 256000 characters, translated several times through the
// real library with a real tick counter. Prints lines per second and the
// duration of each PreprocessCont slice against the 1 ms budget.
//
// usage: preprocess_bench [TRANSLATIONS]
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/runners/preprocess_runner.h"
#include "host/services/dispatch.h"
#include "host/services/file_services.h"
#include "host/services/tick_clock.h"

namespace {

double Seconds(clockid_t clock = CLOCK_MONOTONIC) {
  timespec ts;
  clock_gettime(clock, &ts);
  return ts.tv_sec + ts.tv_nsec * 1e-9;
}

// Blocks with expressions, assignments, comments and a message: each
// group of lines is one part of a plate.
std::string Program(uint32_t limit, uint32_t* lines) {
  std::string s;
  *lines = 0;
  auto add = [&](const std::string& line) {
    s += line + "\r\n";
    ++*lines;
  };
  add("(DIS,\"Benchmark plate\")");
  add("E1=0");
  for (int part = 0;; ++part) {
    std::string group = "; part " + std::to_string(part) + "\r\n" +
                        "E1=E1+12.5\r\nE2=E1*SIN(30)+E1/4\r\n" +
                        "G0XE1YE2\r\nM52\r\nG1XE1+25YE2\r\nG2XE1+25YE2+10I0J5\r\nG1XE1YE2+10\r\nM53\r\n";
    // The guard counts characters without line ends.
    uint32_t chars = 0;
    for (char c : s + group) chars += c != '\r' && c != '\n';
    if (chars >= limit) break;
    s += group;
    *lines += 9;
  }
  return s;
}

double Percentile(std::vector<uint32_t> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  size_t i = static_cast<size_t>(p * (v.size() - 1));
  return v[i] / 1000.0;
}

}  // namespace

int main(int argc, char** argv) {
  int translations = argc > 1 ? atoi(argv[1]) : 5;
  char pattern[] = "/tmp/preprocess-bench-XXXXXX";
  std::string root = mkdtemp(pattern);
  std::filesystem::create_directories(root + "/c/prog");
  std::filesystem::create_directories(root + "/c/cmos");
  uint32_t lines = 0;
  std::string program = Program(256000 - 200, &lines);
  std::ofstream(root + "/c/prog/bench.prg", std::ios::binary) << program;

  host::FileServices files(root);
  host::Screen screen(800, 600);
  host::TickClock clock;
  host::SetDispatchObserver([&clock](uint32_t, int) { clock.Refresh(); });
  std::vector<uint32_t> slices, cpu_slices;
  double total = 0;
  uint32_t calls = 0;
  for (int t = 0; t < translations; ++t) {
    host::PreprocessRunner runner(files, screen, clock.counter(), host::TickClock::kFrequency);
    runner.graphics().recorder().Enable(false);
    host::PreprocessOptions options;
    options.source_dos_path = "c:\\prog\\bench.prg";
    options.destination_dos_path = "c:\\prog\\bench.nc";
    std::string error;
    if (!runner.Load(options, &error)) {
      fprintf(stderr, "preprocess_bench: %s\n", error.c_str());
      return 1;
    }
    double start = Seconds();
    runner.Start();
    uint32_t result = 1;
    // Each slice in wall-clock time (what the library's budget counts) and
    // in the thread's processor time (what it costs when the machine is
    // shared with other work).
    while (result == 1 && calls < 10000000) {
      double wall = Seconds(), cpu = Seconds(CLOCK_THREAD_CPUTIME_ID);
      result = runner.Cont();
      slices.push_back(static_cast<uint32_t>((Seconds() - wall) * 1e6));
      cpu_slices.push_back(static_cast<uint32_t>((Seconds(CLOCK_THREAD_CPUTIME_ID) - cpu) * 1e6));
      ++calls;
    }
    total += Seconds() - start;
    runner.Stop();
    if (result != 2) {
      fprintf(stderr, "preprocess_bench: the translation did not complete\n");
      return 1;
    }
  }
  uintmax_t out_size = std::filesystem::file_size(root + "/c/prog/bench.nc");
  std::filesystem::remove_all(root);
  printf("Preprocessor: %u lines, %zu characters, %d translations\n", lines, program.size(),
         translations);
  printf("  total %.3f s, %.0f lines per second, output %ju bytes\n", total,
         lines * translations / total, out_size);
  printf("  PreprocessCont calls %u; slice median / 99th percentile / maximum %.3f / %.3f / %.3f ms "
         "(budget 1 ms)\n",
         calls, Percentile(slices, 0.5), Percentile(slices, 0.99), Percentile(slices, 1.0));
  printf("  the same slices in processor time: %.3f / %.3f / %.3f ms\n", Percentile(cpu_slices, 0.5),
         Percentile(cpu_slices, 0.99), Percentile(cpu_slices, 1.0));
  return 0;
}
