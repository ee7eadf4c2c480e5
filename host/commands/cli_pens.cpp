// hostsim pens-demo --png OUT.png
//   draws through the libraries' own drawing layer (clipped lines, text
//   boxes, the 3D view, pens, arcs, markers) into the simulator's screen:
//   the picture a drawing library would produce.
#include <stdio.h>

#include "bridge/gdi.h"
#include "host/commands/command.h"
#include "host/runners/test_cards.h"
#include "host/screen/screen.h"

namespace host {
namespace {

int PensDemo(const ParsedArgs& args) {
  std::string png = args.Text("--png");
  Screen screen(800, 600, CLR_FILL);
  DrawPensCard(screen);

  std::string error;
  if (!screen.WritePng(png, &error)) throw HostError(error);
  printf("%s\n", png.c_str());
  return kExitOk;
}

CommandRegistration pens_command({"pens-demo", "draws the libraries' own drawing layer: patterns, text boxes, 3D pens, arcs", {
    Text("--png", "FILE", "the picture to write").Required(),
}, PensDemo});

}  // namespace
}  // namespace host
