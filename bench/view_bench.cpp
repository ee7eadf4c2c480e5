// Program view benchmark: a generated program of N lines drawn through the
// real library with a real tick counter. Prints the total time, lines per
// second, the duration of each ViewCont slice against the 2 ms budget, and
// the library's time against a baseline that reads and parses the same
// lines through the same file services without drawing.
//
// usage: view_bench PROGRAM.knf
#include <stdio.h>
#include <time.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "bridge/fsp.h"
#include "host/services/dispatch.h"
#include "host/services/file_services.h"
#include "host/services/tick_clock.h"
#include "host/runners/view_runner.h"
#include "kerf/reader.h"

namespace {

double Seconds() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec + ts.tv_nsec * 1e-9;
}

// Reads and parses every line twice (the view's two passes) without drawing.
double Baseline(host::FileServices& files, uint32_t* lines) {
  FspInitCopy(&files.table());
  double start = Seconds();
  for (int pass = 0; pass < 2; ++pass) {
    ProgramReader r{};
    if (FspOpen("c:\\bench.knf", kFspOpenRead, &r.handle, &r.file_size) != 0) return -1;
    double m[4];
    while (ReadProgramLine(&r) == 0) {
      NormalizeLine(r.line);
      ParseProgramLine(r.line, &m[0], &m[1], &m[2], &m[3], &r);
    }
    *lines = r.line_count - 1;
    FspClose(r.handle);
  }
  return Seconds() - start;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: view_bench PROGRAM.knf\n");
    return 2;
  }
  char pattern[] = "/tmp/view-bench-XXXXXX";
  std::string sandbox = mkdtemp(pattern);
  std::filesystem::create_directories(sandbox + "/c");
  std::filesystem::copy_file(argv[1], sandbox + "/c/bench.knf");
  host::FileServices files(sandbox);

  uint32_t lines = 0;
  double baseline = Baseline(files, &lines);

  host::Screen screen(800, 600);
  host::TickClock clock;
  host::ViewRunner runner(files, screen, clock.counter(), host::TickClock::kFrequency);
  host::ViewOptions options;
  options.program_dos_path = "c:\\bench.knf";
  runner.graphics().recorder().Enable(false);
  host::SetDispatchObserver([&clock](uint32_t, int) { clock.Refresh(); });
  std::string error;
  if (!runner.Load(options, &error)) {
    fprintf(stderr, "view_bench: %s\n", error.c_str());
    return 1;
  }
  double start = Seconds();
  host::ViewRun run = runner.RunToEnd();
  double total = Seconds() - start;
  runner.Stop();
  std::filesystem::remove_all(sandbox);
  if (run.last_result != 2) {
    fprintf(stderr, "view_bench: the view did not finish\n");
    return 1;
  }

  std::vector<uint32_t> slices = run.slice_us;
  std::sort(slices.begin(), slices.end());
  auto at = [&](double q) { return slices[std::min(slices.size() - 1, static_cast<size_t>(q * slices.size()))]; };
  printf("program view, %u lines\n", lines);
  printf("  total view time      %.3f s\n", total);
  printf("  lines per second     %.0f\n", lines / total);
  printf("  ViewCont calls       %u\n", run.cont_calls);
  printf("  slice median         %.3f ms (budget 2 ms)\n", at(0.5) / 1000.0);
  printf("  slice 99th pct       %.3f ms\n", at(0.99) / 1000.0);
  printf("  slice maximum        %.3f ms\n", slices.back() / 1000.0);
  printf("  read+parse baseline  %.3f s (two passes, no drawing)\n", baseline);
  printf("  view / baseline      %.2f\n", total / baseline);
  return 0;
}
