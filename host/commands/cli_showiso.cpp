// hostsim showiso PROGRAM.nc --png OUT.png [--kind 0|1|2|10|11] [--large]
//                 [--label left|right] [--editor-buffer] [--block-by-block]
//
// Runs DLL_SHOWISO of libTracer over an ISO program in the sandbox: the
// whole program in one call (two passes: extents, then drawing), or block
// by block (viewMode 3 for every block, then viewMode 2 for every
// segment). --editor-buffer hands the program over as the editor's buffer
// file (@EDIT.TMP, copied by the host's prepare service). Prints the
// program's width, height and scale.
#include <stdio.h>

#include <string>

#include "bridge/display.h"
#include "host/commands/command.h"
#include "host/commands/file_args.h"
#include "host/runners/contour_runner.h"
#include "host/screen/screen.h"
#include "host/services/sandbox_folder.h"

namespace host {
namespace {

// Two different axis letters among A B C U V W X Y Z.
std::string CheckAxes(const std::string& value) {
  const std::string letters = "ABCUVWXYZ";
  if (value.size() != 2 || value[0] == value[1] || letters.find(value[0]) == std::string::npos ||
      letters.find(value[1]) == std::string::npos)
    return "two different letters of A B C U V W X Y Z";
  return "";
}

// The settings' axis code of a letter: A..C count from 1, U..Z from 33
// (codes with bits 4-7 set read as the code plus 52).
uint32_t AxisCode(char letter) { return letter <= 'C' ? static_cast<uint32_t>(letter - 64) : static_cast<uint32_t>(letter - 52); }

int ShowIsoCommand(const ParsedArgs& args) {
  const std::string program = args.Text("PROGRAM"), png = args.Text("--png");
  const std::string text = ReadInputFile(program, 64u << 20);
  const bool large = args.Has("--large");
  static const uint8_t kKinds[] = {0, 1, 2, 10, 11};
  const uint8_t kind = kKinds[args.ChoiceIndex("--kind")];

  SandboxFolder folder("showiso");
  folder.MakeDir("c/prog");
  folder.MakeDir("c/edit");
  CopyFromInput(program, folder.root() + "/c/prog/program.nc");
  FileServices files(folder.root());
  Screen screen(large ? 800 : 640, large ? 600 : 480);
  DisplayServices display(screen, TextStyle::kForm);
  // The host's window behind the view, in the label's background colour.
  screen.FillRect(0, 0, screen.width(), screen.height(), display.block()[BARVA_P2]);
  TracerHost tracer(display, &files);
  ContourHost contour(tracer, files);
  const std::string axes = args.Text("--axes");
  tracer.SetSetting(4, AxisCode(axes[0]));
  tracer.SetSetting(8, AxisCode(axes[1]));
  // The diameter flag (settings word 396, bits 20-23): X words are halved
  // on the vertical axis (mode text "S...") or the horizontal one ("K...").
  // The plane type (bits 8-11 of the same word): 6 to 9 exchange the axes
  // and give I to the vertical one.
  tracer.SetSetting(396, (args.Has("--diameter") ? 1u << 20 : 0) | static_cast<uint32_t>(args.Int("--plane")) << 8);
  tracer.mode_text[0] = args.Text("--mode") == "K" ? 'K' : 'S';
  TracerRunner runner(tracer, files);
  std::string error;
  if (!runner.Load(static_cast<uint32_t>(args.Int("--lang")), &error)) throw HostError(error);

  STRUCT_TRACER& r = tracer.record();
  r.displayKind = kind;
  r.largeLayout = large ? 1 : 0;
  contour.label_left = args.Text("--label") == "left" ? 1 : 0;
  if (kind == 10 || kind == 11) {
    // Kinds 10 and 11 draw into the area the host chose: here the window
    // of kind 0.
    contour.area_w = 304 + (large ? 160 : 0);
    contour.area_h = 286 + (large ? 120 : 0);
    contour.origin_x = 328;
    contour.origin_y = 416 + (large ? 120 : 0);
  }
  if (args.Has("--editor-buffer")) {
    contour.editor_buffer = 1;
    contour.SetEditorDir("c:\\edit\\");
    contour.SetEditorSource("c:\\prog\\program.nc");
  } else {
    contour.SetProgram("c:\\prog\\program.nc");
  }

  ContourRunner view(runner, tracer, contour);
  int segments = -1;
  if (args.Has("--block-by-block")) {
    segments = view.BlockByBlock(text, kind);
    if (segments < 0) return LibraryFailure("libTracer lacks DLL_SHOWISO");
  } else if (view.Show() != 0) {
    return LibraryFailure("DLL_SHOWISO: the program file cannot be opened or read (-1)");
  }
  if (files.open_handles() != 0) return LibraryFailure("DLL_SHOWISO left a file open");
  if (!screen.WritePng(png, &error)) throw HostError(error);
  if (!args.Has("--quiet")) {
    printf("%s: %.3f x %.3f mm, scale %.4f px/mm", png.c_str(), contour.width, contour.height, contour.scale);
    int lines = 0;
    for (const GdiCall& call : display.recorder().calls()) lines += call.word == kDisplayLine && call.error.empty();
    printf(", %d lines", lines);
    if (segments >= 0) printf(", %d segments block by block", segments);
    printf("\n");
  }
  return kExitOk;
}

CommandRegistration showiso_command({"showiso", "the ISO program contour view of libTracer (DLL_SHOWISO)", {
    Positional("PROGRAM", "the ISO program to draw"),
    Text("--png", "FILE", "the picture to write").Required(),
    Choice("--kind", {"0", "1", "2", "10", "11"}, "0",
           "display kind: 0 the view with its label, 1 the small panel, 2 with the start cross, 10 and 11 the "
           "host's area with coloured rapid moves"),
    Flag("--large", "the large layout (800 x 600)"),
    Text("--axes", "HV", "address letters of the horizontal and the vertical axis", "XY")
        .Checked(CheckAxes, "two different letters of A B C U V W X Y Z"),
    Int("--plane", 0, 15, "0", "plane type (settings word 396, bits 8-11); 6 to 9 exchange the axes, I vertical"),
    Flag("--diameter", "X words are diameters (halved on the axis --mode names)"),
    Choice("--mode", {"S", "K"}, "S", "first character of modeText: S halves X on the vertical axis, K on the horizontal"),
    Choice("--label", {"left", "right"}, "left", "where the dimension label stands"),
    Flag("--editor-buffer", "view the program as the editor's buffer file (@EDIT.TMP)"),
    Flag("--block-by-block", "feed the program block by block (viewMode 3, then 2)"),
    LanguageOption(),
    Flag("--quiet", "print nothing on success"),
}, ShowIsoCommand});

}  // namespace
}  // namespace host
