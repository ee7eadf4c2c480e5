// Event log benchmark, through the real libVitals and the simulator's file
// services and display block (800 x 600 screen):
//   - WRITE_EVENT of a full ring (32768 events, 1.5 MB of EVENTS.TXT);
//   - the slowest DATA_EVENT: a page back in a full ring whose only events
//     of the filter's classes are the 18 newest, so that the page comes up
//     short and is collected again after each of nine steps forward, each
//     collection a walk over the whole ring.
// Prints wall time and host service calls of each.
#include <stdio.h>
#include <time.h>

#include <string>
#include <vector>

#include "bench/run_kind.h"
#include "host/runners/event_ring_text.h"
#include "host/runners/vitals_runner.h"
#include "host/services/dispatch.h"
#include "tests/support/sandbox.h"

namespace {

double Seconds() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec + ts.tv_nsec * 1e-9;
}

uint64_t g_calls = 0;

std::vector<EVENT_RECORD> Events(int n, char event_class) {
  std::string text;
  for (int k = 0; k < n; ++k) {
    char line[80];
    snprintf(line, sizeof line, "%02d:%02d:%02d E%04d %c event %d\n", k / 3600 % 24, k / 60 % 60, k % 60,
             k % 10000, event_class, k);
    text += line;
  }
  std::vector<EVENT_RECORD> events;
  host::ParseEventRing(text, &events);
  return events;
}

}  // namespace

int main() {
  testing_support::Sandbox box;
  box.Write("c:\\events\\keep.txt", "");
  host::Screen screen(800, 600);
  host::DisplayServices display(screen, host::TextStyle::kScreen);
  display.recorder().Enable(false);
  host::HostMemory memory;
  host::SetDispatchObserver([](uint32_t, int) { ++g_calls; });
  host::VitalsRunner runner(box.files(), display, memory);
  std::string error;
  if (!runner.Load(9, &error)) {
    fprintf(stderr, "vitals_bench: %s\n", error.c_str());
    return 1;
  }
  runner.Init();
  // A full ring: 32750 events of class 1, then the 18 newest of class 8.
  std::vector<EVENT_RECORD> ring = Events(32750, '1'), newest = Events(18, '8');
  ring.insert(ring.end(), newest.begin(), newest.end());
  host::FillWrapped(memory, ring);

  printf("event log (%s)                       %10s %14s\n", RunKind(), "ms", "host calls");
  const int kExports = 3;
  g_calls = 0;
  double start = Seconds();
  for (int i = 0; i < kExports; ++i) runner.WriteEvent();
  printf("  WRITE_EVENT, full ring (32768 lines) %10.1f %14llu  result %u\n",
         (Seconds() - start) * 1000 / kExports, static_cast<unsigned long long>(g_calls / kExports),
         runner.events().result);

  runner.EventPrefix();
  for (int i = 0; i < 3; ++i) runner.EventData(kEventKeyFilter);  // filter 3: "78"
  const int kPages = 3;
  double slowest = 0;
  uint64_t calls = 0;
  for (int i = 0; i < kPages; ++i) {
    memory.Set<uint8_t>(kEventNewFlag, 1);
    runner.EventData(kEventKeyLive);  // live: the newest page
    runner.EventData(kEventKeyLive);  // stopped there
    g_calls = 0;
    start = Seconds();
    runner.EventData(kEventKeyBack);
    double ms = (Seconds() - start) * 1000;
    if (ms > slowest) slowest = ms;
    calls = g_calls;
  }
  printf("  DATA_EVENT, page back, refilled      %10.1f %14llu\n", slowest, static_cast<unsigned long long>(calls));
  return 0;
}
