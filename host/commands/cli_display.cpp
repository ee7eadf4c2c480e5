// hostsim display-test --style screen|form --png OUT.png
//
// Draws a test card through the display block with the same wrappers the
// screen libraries use: the eighteen palette bytes, lines with patterns,
// arcs (a full circle, a quarter and three quarters, counter-clockwise),
// text in both faces with line breaks and a transparent background, text
// cut at a screen-style extent (or run to the screen's edge in form style),
// and one call of a word without a service, which is refused.
#include <stdio.h>

#include <string>

#include "host/commands/command.h"
#include "host/runners/test_cards.h"

namespace host {
namespace {

int DisplayTest(const ParsedArgs& args) {
  std::string png = args.Text("--png"), style = args.Text("--style");
  Screen screen(800, 600);
  const CardDrawn drawn = DrawDisplayCard(screen, style == "screen");
  const int refusals = drawn.refusals;
  std::string error;
  if (!screen.WritePng(png, &error)) throw HostError(error);
  printf("%s: %s style, %zu display calls, %d refused, %d replacement glyphs\n", png.c_str(), style.c_str(),
         drawn.calls, refusals, screen.replacement_glyphs());
  // Exactly the one refusal the card provokes, and a glyph for every character.
  return refusals == 1 && screen.replacement_glyphs() == 0
             ? kExitOk
             : LibraryFailure("the card drew with " + std::to_string(refusals) + " refusals and " +
                              std::to_string(screen.replacement_glyphs()) + " replacement glyphs");
}

CommandRegistration display_test_command({"display-test", "draws a test card through the display block", {
    Choice("--style", {"screen", "form"}, "", "text style of word 33: screen (Vitals, Glint) or form (Tracer, Mosaic)")
        .Required(),
    Text("--png", "FILE", "the picture to write").Required(),
}, DisplayTest});

}  // namespace
}  // namespace host
