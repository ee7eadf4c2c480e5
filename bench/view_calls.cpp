// The host calls of a program view, for checking that a change made for
// speed draws exactly what it drew before: the view runs against a graphics
// table that records every call (slot, arguments, the text of a text call)
// with a tick counter that advances by one on every host call, so the slices
// and the status texts are the same on every run and on every machine. Runs
// the three orientations, then steps through the shape parts (Kerf format).
// Prints the number of calls and a digest per orientation; with OUT the
// whole sequence is also written there, for cmp.
//
// usage: view_calls [--iso] [--library NAME] PROGRAM [OUT]
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bridge/gdi.h"
#include "host/runners/view_runner.h"
#include "host/services/dispatch.h"
#include "host/services/file_services.h"

namespace {

// A tick is one microsecond: a 2 ms slice is 2000 host calls.
constexpr uint32_t kFrequency = 1000000;

volatile uint32_t g_ticks = 0;
uint64_t g_count = 0;
uint64_t g_digest = 0;  // FNV-1a of every byte put
FILE* g_out = nullptr;

void Put(const void* data, size_t n) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  for (size_t i = 0; i < n; ++i) g_digest = (g_digest ^ p[i]) * 1099511628211ull;
  if (g_out) fwrite(data, 1, n, g_out);
}

int RecordingDispatch(uint32_t handle, int count, ...) {
  g_ticks = g_ticks + 1;
  ++g_count;
  Put(&handle, sizeof handle);
  Put(&count, sizeof count);
  va_list args;
  va_start(args, count);
  for (int i = 0; i < count; ++i) {
    uint32_t value = va_arg(args, uint32_t);
    if (handle == kGdiWriteText + 1u) {
      const char* text = reinterpret_cast<const char*>(static_cast<uintptr_t>(value));
      Put(text, strlen(text) + 1);
    } else {
      Put(&value, sizeof value);
    }
  }
  va_end(args);
  return 1;
}

GDI_INIT_PARAMS RecordingTable() {
  GDI_INIT_PARAMS t{};
  t.size = sizeof t;
  t.dispatch = RecordingDispatch;
  for (uint8_t i = 0; i < 16; ++i) t.color_map[i] = static_cast<uint8_t>(16 + i);
  for (uint32_t i = 0; i < 45; ++i) t.handles[i] = i + 1;
  return t;
}

// Runs one view to its end (and through its parts); false when it failed.
bool RunView(host::FileServices& files, const std::string& library, bool iso,
             uint8_t orientation) {
  host::Screen screen(8, 8);
  host::ViewRunner runner(files, screen, &g_ticks, kFrequency);
  host::ViewOptions options;
  options.library = library;
  options.program_dos_path = "c:\\program";
  options.iso = iso;
  options.orientation = orientation;
  std::string error;
  if (!runner.Load(options, &error)) {
    fprintf(stderr, "view_calls: %s\n", error.c_str());
    return false;
  }
  static const GDI_INIT_PARAMS table = RecordingTable();
  runner.library().Bind<int (*)(const GDI_INIT_PARAMS*)>("GDIInit")(&table);
  host::ScopedDispatchObserver file_calls([](uint32_t, int) { g_ticks = g_ticks + 1; });
  g_ticks = 0;
  runner.Start();
  uint32_t result;
  uint32_t cont_calls = 0;
  while ((result = runner.Cont()) == 1) ++cont_calls;
  uint32_t mark = 0xFFFFFFFF;
  Put(&mark, sizeof mark);
  Put(&cont_calls, sizeof cont_calls);
  if (!iso) {
    uint32_t parts = 0;
    while (runner.ShapePartSel() == 1 && parts < 1000000) ++parts;
    Put(&mark, sizeof mark);
    Put(&parts, sizeof parts);
  }
  runner.Stop();
  return result == 2;
}

}  // namespace

int main(int argc, char** argv) {
  bool iso = false;
  std::string library = "Kerf";
  std::vector<std::string> paths;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--iso") iso = true;
    else if (a == "--library" && i + 1 < argc) library = argv[++i];
    else paths.push_back(a);
  }
  if (paths.empty() || paths.size() > 2) {
    fprintf(stderr, "usage: view_calls [--iso] [--library NAME] PROGRAM [OUT]\n");
    return 2;
  }
  char pattern[] = "/tmp/view-calls-XXXXXX";
  std::string sandbox = mkdtemp(pattern);
  std::filesystem::create_directories(sandbox + "/c");
  std::filesystem::copy_file(paths[0], sandbox + "/c/program");
  host::FileServices files(sandbox);
  if (paths.size() == 2) g_out = fopen(paths[1].c_str(), "wb");
  bool ok = true;
  for (uint8_t orientation : {uint8_t{0}, uint8_t{'<'}, uint8_t{'F'}}) {
    g_count = 0;
    g_digest = 1469598103934665603ull;
    ok = RunView(files, library, iso, orientation) && ok;
    printf("orientation %-3s %10llu calls  digest %016llx\n",
           orientation ? std::string(1, static_cast<char>(orientation)).c_str() : "0",
           static_cast<unsigned long long>(g_count), static_cast<unsigned long long>(g_digest));
  }
  if (g_out) fclose(g_out);
  std::filesystem::remove_all(sandbox);
  return ok ? 0 : 1;
}
