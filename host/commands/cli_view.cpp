// hostsim view PROGRAM --png OUT.png [options]
//   draws a cutting program (or with --iso an ISO program) through the
//   real library's ViewStart/ViewCont/ViewStop, with a real tick counter.
#include <stdio.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "host/commands/command.h"
#include "host/commands/file_args.h"
#include "host/commands/output_watch.h"
#include "host/runners/view_session.h"
#include "host/services/sandbox_folder.h"
#include "kerf/iso_block.h"

namespace host {
namespace {

// An ISO program held in host memory is read whole; larger ones are read
// from the sandbox instead.
constexpr uint64_t kMaxProgramInMemory = 64u << 20;

std::string TwoAxisLetters(const std::string& value) {
  bool letters = value.size() == 2 && value[0] >= 'A' && value[0] <= 'Z' && value[1] >= 'A' && value[1] <= 'Z';
  return letters && value[0] != value[1] ? "" : "expected two different capital letters such as XY or XZ";
}

void Refuse(const std::string& message) { throw UsageError(message); }

int View(const ParsedArgs& args) {
  std::string program = args.Text("PROGRAM");
  std::string png = args.Text("--png");
  std::string copy_out = args.Text("--copy");
  ScreenSize size = args.Size("--size");
  int parts = static_cast<int>(args.Int("--parts"));
  bool quiet = args.Has("--quiet");
  ViewOptions options;
  options.library = args.Text("--library");
  options.language = static_cast<uint32_t>(args.Int("--lang"));
  options.start_delay_ms = static_cast<uint32_t>(args.Int("--delay"));
  std::string orientation = args.Text("--orientation");
  options.orientation = orientation == "<" ? '<' : orientation == "F" ? 'F' : 0;
  options.iso = args.Has("--iso");
  for (const char* iso_only : {"--axes", "--diameter", "--swap-arcs", "--swap-centres", "--from-memory"})
    if (args.Has(iso_only) && !options.iso) Refuse(std::string(iso_only) + " applies to ISO programs (--iso)");
  options.iso_axes = args.Text("--axes");
  options.iso_diameter = args.Has("--diameter");
  if (args.Has("--swap-arcs")) options.iso_options |= kIsoOptionSwapArcs;
  if (args.Has("--swap-centres")) options.iso_options |= kIsoOptionSwapCentres;
  if (args.Has("--copy") && parts < 1) Refuse("--copy needs --parts 1 or more (the parts to copy)");
  options.right = size.width - 1;
  options.bottom = size.height - 1;
  if (args.Has("--window")) {
    std::vector<int> w = args.Ints("--window");
    if (w[0] >= w[2] || w[1] >= w[3] || w[2] >= size.width || w[3] >= size.height)
      Refuse("--window: expected left < right < width and top < bottom < height of the screen (" +
             std::to_string(size.width) + "x" + std::to_string(size.height) + ")");
    options.left = w[0], options.top = w[1], options.right = w[2], options.bottom = w[3];
  }

  uint64_t program_size = RequireReadableFile(program);
  // The program goes into a sandbox the library reaches as drive C.
  SandboxFolder sandbox("view");
  std::string programs = sandbox.MakeDir("c/programs");
  std::string name = std::filesystem::path(program).filename().string();
  CopyFromInput(program, programs + "/" + name);
  ViewSession session(sandbox.root(), size.width, size.height);
  FileServices& files = session.files();
  Screen& screen = session.screen();
  ViewRunner& runner = session.runner();
  if (options.iso && args.Has("--from-memory")) {
    options.iso_text = ReadInputFile(program, kMaxProgramInMemory);
  } else {
    options.program_dos_path = "c:\\programs\\" + name;
  }
  options.copy_dos_path = "c:\\programs\\selected.knf";
  if (!copy_out.empty()) options.part_mode = 3;

  std::string error;
  if (!session.Load(options, &error)) throw HostError(error);
  bool show_progress = !quiet && isatty(2) && program_size > 200000;
  int shown = -1;
  ViewRun run = runner.RunToEnd([&]() {
    if (!show_progress) return;
    // Both passes read the whole file.
    int percent = static_cast<int>(
        std::min<uint64_t>(100, files.bytes_read() * 50 / (program_size ? program_size : 1)));
    if (percent == shown) return;
    shown = percent;
    fprintf(stderr, "\r[%-50s] %3d%%", std::string(static_cast<size_t>(percent / 2), '#').c_str(), percent);
  });
  if (show_progress) fprintf(stderr, "\n");
  int selected = 0;
  OutputWatch watch(files, "hostsim view", args.Bytes("--max-output"), quiet);
  for (int i = 0; i < parts; ++i) {
    uint32_t r = runner.ShapePartSel();
    if (r == 1) ++selected;
    if (r != 1) break;
  }
  runner.Stop();
  watch.ThrowIfLimitReached();
  if (!copy_out.empty()) CopyToOutput(sandbox.root() + "/c/programs/selected.knf", copy_out);
  if (!screen.WritePng(png, &error)) throw HostError(error);
  std::string failure = session.Failure(run, options.iso);
  if (!quiet) {
    printf("%s: %u ViewCont calls, %s%s\n", png.c_str(), run.cont_calls, failure.empty() ? "finished" : "failed",
           parts > 0 ? (", " + std::to_string(selected) + " parts selected").c_str() : "");
  }
  if (!failure.empty()) return LibraryFailure(failure);
  return kExitOk;
}

CommandRegistration view_command({"view", "draws a cutting or ISO program through the library's program view", {
    Positional("PROGRAM", "the program file (Kerf format; ISO with --iso)"),
    Text("--png", "FILE", "the picture to write").Required(),
    Choice("--library", {"Kerf", "Anvil"}, "Kerf", "the library whose view draws"),
    SizeOption("--size", "800x600", "screen size"),
    Ints("--window", 4, 0, kMaxScreenSide - 1, "L,T,R,B", "the view's window on the screen (default: all of it)"),
    Choice("--orientation", {"<", "F", "plain"}, "plain", "orientation byte: '<' turned, F mirrored, plain as is"),
    LanguageOption(),
    Int("--delay", 0, 60000, "0", "start delay in milliseconds before the program is opened"),
    Int("--parts", 0, 100000, "0", "ShapePartSel calls after the drawing (parts highlighted)"),
    Text("--copy", "FILE", "copy mode: the selected parts are written to FILE (needs --parts)"),
    MaxOutputOption(),
    Flag("--quiet", "print nothing on success"),
    Flag("--iso", "the program is an ISO program"),
    Text("--axes", "XY", "ISO: address letters of the two axes", "XY").Checked(TwoAxisLetters, "two capital letters"),
    Flag("--diameter", "ISO: the first axis value is a diameter"),
    Flag("--swap-arcs", "ISO: G2 and G3 swapped"),
    Flag("--swap-centres", "ISO: the centre words swapped"),
    Flag("--from-memory", "ISO: the program is handed over in host memory instead of a file"),
}, View});

}  // namespace
}  // namespace host
