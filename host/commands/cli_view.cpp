// hostsim view PROGRAM --png OUT.png [options]
//   draws a cutting program (or with --iso an ISO program) through the
//   real library's ViewStart/ViewCont/ViewStop, with a real tick counter.
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/commands/command.h"
#include "host/services/dispatch.h"
#include "host/services/file_services.h"
#include "host/screen/screen.h"
#include "host/services/tick_clock.h"
#include "host/runners/view_runner.h"
#include "kerf/iso_block.h"

namespace host {
namespace {

const char* const kUsage =
    "PROGRAM --png OUT.png [--library Kerf|Anvil] [--size WxH] [--window L,T,R,B]\n"
    "        [--orientation '<'|F|plain] [--lang N] [--delay MS]\n"
    "        [--parts N [--copy FILE]] [--quiet]\n"
    "        [--iso [--axes XY] [--diameter] [--swap-arcs] [--swap-centres] [--from-memory]]";

int Usage() {
  fprintf(stderr, "usage: hostsim view %s\n", kUsage);
  return 2;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

int View(const std::vector<std::string>& args) {
  std::string program, png, copy_out;
  ViewOptions options;
  int width = 800, height = 600, parts = 0;
  bool window_given = false, from_memory = false, quiet = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto next = [&]() -> std::string { return i + 1 < args.size() ? args[++i] : std::string(); };
    if (a == "--png") png = next();
    else if (a == "--library") options.library = next();
    else if (a == "--size") {
      if (sscanf(next().c_str(), "%dx%d", &width, &height) != 2) return Usage();
    } else if (a == "--window") {
      if (sscanf(next().c_str(), "%d,%d,%d,%d", &options.left, &options.top, &options.right,
                 &options.bottom) != 4)
        return Usage();
      window_given = true;
    } else if (a == "--orientation") {
      std::string o = next();
      options.orientation = o == "<" ? '<' : o == "F" ? 'F' : 0;
    } else if (a == "--lang") options.language = static_cast<uint32_t>(atoi(next().c_str()));
    else if (a == "--delay") options.start_delay_ms = static_cast<uint32_t>(atoi(next().c_str()));
    else if (a == "--parts") parts = atoi(next().c_str());
    else if (a == "--copy") copy_out = next();
    else if (a == "--iso") options.iso = true;
    else if (a == "--from-memory") from_memory = true;
    else if (a == "--axes") {
      options.iso_axes = next();
      if (options.iso_axes.size() != 2) return Usage();
    } else if (a == "--diameter") options.iso_diameter = true;
    else if (a == "--swap-arcs") options.iso_options |= kIsoOptionSwapArcs;
    else if (a == "--swap-centres") options.iso_options |= kIsoOptionSwapCentres;
    else if (a == "--quiet") quiet = true;
    else if (!a.empty() && a[0] == '-') return Usage();
    else program = a;
  }
  if (program.empty() || png.empty()) return Usage();
  if (!std::filesystem::exists(program)) {
    fprintf(stderr, "hostsim: %s: no such file\n", program.c_str());
    return 1;
  }
  if (!window_given) {
    options.right = width - 1;
    options.bottom = height - 1;
  }

  // The program goes into a sandbox the library reaches as drive C.
  char pattern[] = "/tmp/hostsim-view-XXXXXX";
  std::string sandbox = mkdtemp(pattern);
  std::filesystem::create_directories(sandbox + "/c/programs");
  std::string name = std::filesystem::path(program).filename().string();
  std::filesystem::copy_file(program, sandbox + "/c/programs/" + name);
  FileServices files(sandbox);
  if (options.iso && from_memory) {
    options.iso_text = ReadFile(program);
  } else {
    options.program_dos_path = "c:\\programs\\" + name;
  }
  options.copy_dos_path = "c:\\programs\\selected.knf";
  if (!copy_out.empty()) options.part_mode = 3;

  Screen screen(width, height);
  TickClock clock;
  ViewRunner runner(files, screen, clock.counter(), TickClock::kFrequency);
  runner.graphics().recorder().Enable(false);
  SetDispatchObserver([&clock](uint32_t, int) { clock.Refresh(); });
  std::string error;
  if (!runner.Load(options, &error)) {
    fprintf(stderr, "hostsim: %s\n", error.c_str());
    std::filesystem::remove_all(sandbox);
    return 1;
  }
  uint64_t size = std::filesystem::file_size(program);
  bool show_progress = !quiet && isatty(2) && size > 200000;
  int shown = -1;
  ViewRun run = runner.RunToEnd([&]() {
    if (!show_progress) return;
    // Both passes read the whole file.
    int percent = static_cast<int>(std::min<uint64_t>(100, files.bytes_read() * 50 / (size ? size : 1)));
    if (percent == shown) return;
    shown = percent;
    fprintf(stderr, "\r[%-50s] %3d%%", std::string(static_cast<size_t>(percent / 2), '#').c_str(), percent);
  });
  if (show_progress) fprintf(stderr, "\n");
  int selected = 0;
  for (int i = 0; i < parts; ++i) {
    uint32_t r = runner.ShapePartSel();
    if (r == 1) ++selected;
    if (r != 1) break;
  }
  runner.Stop();
  if (!copy_out.empty()) std::filesystem::copy_file(sandbox + "/c/programs/selected.knf", copy_out,
                                                    std::filesystem::copy_options::overwrite_existing);
  std::filesystem::remove_all(sandbox);
  if (!screen.WritePng(png, &error)) {
    fprintf(stderr, "hostsim: %s\n", error.c_str());
    return 1;
  }
  if (!quiet) {
    printf("%s: %u ViewCont calls, %s%s\n", png.c_str(), run.cont_calls,
           run.last_result == 2 ? "finished" : "stopped",
           parts > 0 ? (", " + std::to_string(selected) + " parts selected").c_str() : "");
  }
  return run.last_result == 2 ? 0 : 1;
}

CommandRegistration view_command("view", kUsage, View);

}  // namespace
}  // namespace host
