// The drawing layer's test cards: each draws its whole picture into a
// screen. hostsim pens-demo, display-test and screen-test write them, and
// the console shows the same.
#pragma once

#include <stddef.h>

#include "host/screen/screen.h"

namespace host {

struct CardDrawn {
  size_t calls = 0;   // service calls the card made
  int refusals = 0;   // calls the services refused
};

// Patterns, text boxes, 3D pens and arcs through the libraries' drawing
// layer (an 800x600 screen).
void DrawPensCard(Screen& screen);
// Through the display block, in screen or form text style (800x600); one
// word without a service is called on purpose and refused.
CardDrawn DrawDisplayCard(Screen& screen, bool screen_style);
// Straight through the graphics services, laid out for the screen's width.
CardDrawn DrawScreenCard(Screen& screen);

}  // namespace host
