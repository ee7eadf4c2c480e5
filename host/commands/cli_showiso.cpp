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
#include "host/runners/showiso_session.h"
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
  ShowIsoSession session(folder.root(), large);
  ShowIsoSettings settings;
  settings.language = static_cast<uint32_t>(args.Int("--lang"));
  settings.kind = kind;
  settings.axes = args.Text("--axes");
  settings.plane = static_cast<uint32_t>(args.Int("--plane"));
  settings.diameter = args.Has("--diameter");
  settings.mode = args.Text("--mode")[0];
  settings.label_left = args.Text("--label") == "left";
  settings.editor_buffer = args.Has("--editor-buffer");
  std::string error;
  if (!session.Load(settings, &error)) throw HostError(error);
  ContourRunner& view = session.view();
  FileServices& files = session.files();
  Screen& screen = session.screen();
  ContourHost& contour = session.contour();
  DisplayServices& display = session.display();

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
