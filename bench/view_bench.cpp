// Program view benchmark: where the view's time goes. The same generated
// program is run three ways in one run, for the Kerf and the ISO view:
//   - read and parse only (both passes, no drawing): the baseline;
//   - the view against a null graphics table (every drawing service returns
//     at once): the library's own work and its calls through the table;
//   - the view against the simulator's framebuffer: what `hostsim view` does.
// Prints lines per second, the ratio to the baseline in wall-clock and in
// processor time, and the duration of the ViewCont slices against the 2 ms
// budget; every figure is marked native or emulated.
//
// usage: view_bench PROGRAM.knf PROGRAM.nc
#include <stdio.h>
#include <time.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/null_graphics.h"
#include "bench/run_kind.h"
#include "bridge/fsp.h"
#include "host/services/dispatch.h"
#include "host/services/file_services.h"
#include "host/services/tick_clock.h"
#include "host/runners/view_runner.h"
#include "kerf/iso_block.h"
#include "kerf/reader.h"

namespace {

double Seconds() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec + ts.tv_nsec * 1e-9;
}

// Processor time of the process: on a loaded machine it leaves out the
// time spent waiting for a core.
double ProcessorSeconds() {
  timespec ts;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec + ts.tv_nsec * 1e-9;
}

struct Timing {
  double wall = -1, processor = -1;
};

struct Format {
  const char* name;
  const char* dos_path;
  bool iso;
};

// Reads and interprets every line twice (the view's two passes) without
// drawing, through the same file services. Returns the seconds taken.
Timing Baseline(host::FileServices& files, const Format& format, uint32_t* lines) {
  FspInitCopy(&files.table());
  IsoSettings settings{{'X', 'Y'}, false, false, false};
  double start = Seconds(), start_processor = ProcessorSeconds();
  for (int pass = 0; pass < 2; ++pass) {
    ProgramReader r{};
    if (FspOpen(format.dos_path, kFspOpenRead, &r.handle, &r.file_size) != 0) return {};
    IsoModal modal{};
    double x = 0, y = 0, m[4];
    while (ReadProgramLine(&r) == 0) {
      if (format.iso) {
        NormalizeIsoBlock(r.line);
        IsoMove move = InterpretIsoBlock(r.line, settings, &modal, x, y);
        x += move.dx;
        y += move.dy;
      } else {
        NormalizeLine(r.line);
        ParseProgramLine(r.line, &m[0], &m[1], &m[2], &m[3], &r);
      }
    }
    *lines = r.line_count - 1;
    FspClose(r.handle);
  }
  return {Seconds() - start, ProcessorSeconds() - start_processor};
}

struct ViewFigures {
  double seconds = -1, processor_seconds = -1;
  uint32_t calls = 0;
  double median_ms = 0, p99_ms = 0, max_ms = 0;
};

// Runs the view to its end with a real tick counter; `null_drawing` hands
// the library the null graphics table instead of the framebuffer's.
ViewFigures RunView(host::FileServices& files, const Format& format, bool null_drawing) {
  host::Screen screen(800, 600);
  host::TickClock clock;
  host::ViewRunner runner(files, screen, clock.counter(), host::TickClock::kFrequency);
  host::ViewOptions options;
  options.program_dos_path = format.dos_path;
  options.iso = format.iso;
  runner.graphics().recorder().Enable(false);
  ViewFigures f;
  std::string error;
  if (!runner.Load(options, &error)) {
    fprintf(stderr, "view_bench: %s\n", error.c_str());
    return f;
  }
  if (null_drawing) {
    auto gdi_init = runner.library().Bind<int (*)(const GDI_INIT_PARAMS*)>("GDIInit");
    gdi_init(&NullGraphicsTable());
  }
  // The host brings its counter up to date on every service call it serves.
  host::SetDispatchObserver([&clock](uint32_t, int) { clock.Refresh(); });
  double start = Seconds(), start_processor = ProcessorSeconds();
  host::ViewRun run = runner.RunToEnd();
  double total = Seconds() - start, processor = ProcessorSeconds() - start_processor;
  runner.Stop();
  host::SetDispatchObserver({});
  if (run.last_result != 2) {
    fprintf(stderr, "view_bench: the %s view did not finish\n", format.name);
    return f;
  }
  std::vector<uint32_t> slices = run.slice_us;
  std::sort(slices.begin(), slices.end());
  auto at = [&](double q) {
    return slices[std::min(slices.size() - 1, static_cast<size_t>(q * slices.size()))] / 1000.0;
  };
  f.seconds = total;
  f.processor_seconds = processor;
  f.calls = run.cont_calls;
  f.median_ms = at(0.5);
  f.p99_ms = at(0.99);
  f.max_ms = slices.back() / 1000.0;
  return f;
}

bool Report(host::FileServices& files, const Format& format) {
  uint32_t lines = 0;
  Timing baseline = Baseline(files, format, &lines);
  ViewFigures null_run = RunView(files, format, true);
  ViewFigures fb_run = RunView(files, format, false);
  if (baseline.wall <= 0 || null_run.seconds < 0 || fb_run.seconds < 0) return false;
  printf("%s view, %u lines, %s\n", format.name, lines, RunKind());
  printf("  %-22s %12s %7s %9s %9s  %s\n", "", "lines/s", "ratio", "processor", "ViewCont",
         "slice median / 99th pct / max (budget 2 ms)");
  printf("  %-22s %12.0f %7.2f %9.2f\n", "read and parse only", lines / baseline.wall, 1.0, 1.0);
  auto row = [&](const char* name, const ViewFigures& f) {
    printf("  %-22s %12.0f %7.2f %9.2f %9u  %.2f / %.2f / %.2f ms\n", name, lines / f.seconds,
           f.seconds / baseline.wall, f.processor_seconds / baseline.processor, f.calls, f.median_ms,
           f.p99_ms, f.max_ms);
  };
  row("view, null drawing", null_run);
  row("view, framebuffer", fb_run);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: view_bench PROGRAM.knf PROGRAM.nc\n");
    return 2;
  }
  char pattern[] = "/tmp/view-bench-XXXXXX";
  std::string sandbox = mkdtemp(pattern);
  std::filesystem::create_directories(sandbox + "/c");
  std::filesystem::copy_file(argv[1], sandbox + "/c/bench.knf");
  std::filesystem::copy_file(argv[2], sandbox + "/c/bench.nc");
  host::FileServices files(sandbox);
  const Format formats[] = {{"Kerf", "c:\\bench.knf", false}, {"ISO", "c:\\bench.nc", true}};
  bool ok = true;
  for (const Format& format : formats) ok = Report(files, format) && ok;
  std::filesystem::remove_all(sandbox);
  return ok ? 0 : 1;
}
