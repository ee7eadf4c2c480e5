// hostsim screen-test --png OUT.png [--size WxH]
//
// Draws a test card straight through the registered graphics services (the
// same dispatch calls a library makes): lines with every pattern, exclusive-
// or drawing done twice over part of a figure, text in the eight languages
// in the three fonts, a clipped text box, filled rectangles and a triangle.
#include <stdio.h>

#include <string>

#include "host/commands/command.h"
#include "host/runners/test_cards.h"

namespace host {
namespace {

int ScreenTest(const ParsedArgs& args) {
  std::string png = args.Text("--png");
  ScreenSize size = args.Size("--size");
  Screen screen(size.width, size.height);
  const CardDrawn drawn = DrawScreenCard(screen);
  std::string error;
  if (!screen.WritePng(png, &error)) throw HostError(error);
  printf("%s: %dx%d, %zu service calls, %d replacement glyphs\n", png.c_str(), size.width, size.height,
         drawn.calls, screen.replacement_glyphs());
  // A replacement glyph is a character the fonts lack: the card's own fault.
  return screen.replacement_glyphs() == 0 ? kExitOk : LibraryFailure("characters without a glyph were drawn");
}

CommandRegistration screen_test_command({"screen-test", "draws a test card straight through the graphics services", {
    Text("--png", "FILE", "the picture to write").Required(),
    SizeOption("--size", "1024x768", "screen size"),
}, ScreenTest});

}  // namespace
}  // namespace host
