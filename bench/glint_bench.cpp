// Signal scope benchmark, through the real libGlint and the simulator's
// display block (drawing into a 640 x 480 screen):
//   - a view restart (key 3) with ten shown channels on a full ring of
//     100,000 rows at time base 25 (500 samples a channel) and 5000 (the
//     whole ring), for smooth (sine) and rough (noise) signals;
//   - the running refresh of 20 new rows (one DATA_GLINT every 20 ms).
// Prints wall time and display calls of each.
#include <stdio.h>
#include <time.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/runners/scope_runner.h"
#include "host/services/dispatch.h"
#include "tests/support/sandbox.h"

namespace {

double Seconds() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec + ts.tv_nsec * 1e-9;
}

uint64_t g_calls = 0;

host::Recording Signals(const char* kind) {
  host::SignalShape shapes[kGlintChannels];
  for (int k = 0; k < kGlintChannels; ++k) {
    int channel;
    std::string error;
    std::string text = std::to_string(k) + "=" + kind;
    host::ParseSignalOption(text, &channel, &shapes[k], &error);
  }
  return host::GenerateRecording(shapes, 100000, -1);
}

}  // namespace

int main() {
  testing_support::Sandbox box;
  box.Write("c:\\glint\\keep.txt", "");
  host::Screen screen(640, 480);
  host::DisplayServices display(screen, host::TextStyle::kScreen);
  display.recorder().Enable(false);
  host::SetDispatchObserver([](uint32_t, int) { ++g_calls; });
  host::ScopeRunner runner(box.files(), display);
  std::string error;
  if (!runner.Load(&error)) {
    fprintf(stderr, "glint_bench: %s\n", error.c_str());
    return 1;
  }
  host::ScopeHostOptions options;
  options.ring_length = 100001;  // 100,000 rows from oldest to newest
  struct {
    const char* name;
    const char* signal;
  } kinds[] = {{"sine", "sine:20000:700"}, {"noise", "noise:20000"}};
  printf("%-34s %10s %14s\n", "restart, 10 channels, full ring", "ms", "display calls");
  for (auto& kind : kinds) {
    runner.Setup(options, Signals(kind.signal));
    runner.FillStopped();
    runner.Prefix();
    for (int i = 0; i < 7; ++i) runner.Data(22);  // the time base persists: back to 25
    for (uint8_t time_base_key : {0, 23}) {
      if (time_base_key) {
        for (int i = 0; i < 7; ++i) runner.Data(23);  // up to 5000
      }
      int repeats = time_base_key ? 1 : 5;
      g_calls = 0;
      double start = Seconds();
      for (int i = 0; i < repeats; ++i) runner.Data(3);
      double ms = (Seconds() - start) * 1000 / repeats;
      printf("  %-5s time base %-14s %10.2f %14llu\n", kind.name, time_base_key ? "5000" : "25", ms,
             static_cast<unsigned long long>(g_calls / repeats));
    }
  }

  runner.Setup(options, Signals("sine:20000:700"));
  runner.Run();
  runner.Prefix();
  for (int i = 0; i < 7; ++i) runner.Data(22);
  std::vector<double> times;
  uint64_t calls = 0;
  for (int i = 0; i < 24; ++i) {  // 480 of the 500 samples across
    g_calls = 0;
    double start = Seconds();
    runner.Advance(host::kScopeDataPeriodMs);  // 20 rows, then DATA_GLINT
    times.push_back((Seconds() - start) * 1e6);
    calls += g_calls;
  }
  std::sort(times.begin(), times.end());
  printf("running refresh of 20 rows, 10 channels: median %.0f us, max %.0f us, %llu display calls\n",
         times[times.size() / 2], times.back(), static_cast<unsigned long long>(calls / times.size()));
  return 0;
}
