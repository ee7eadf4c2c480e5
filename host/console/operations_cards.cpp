// The drawing layer's test cards in the console: each drawn once, as
// hostsim pens-demo, display-test and screen-test draw it; no keys.
#include <stdio.h>

#include "bridge/gdi.h"
#include "host/console/operation_link.h"
#include "host/console/operations.h"
#include "host/runners/test_cards.h"

namespace host {

void RunTestCard(const OperationRequest& request, OperationLink& link) {
  const OptionValues& values = request.values;
  CardDrawn drawn;
  std::string name;
  if (values.count("--style")) {
    Screen screen(800, 600);
    drawn = DrawDisplayCard(screen, values.at("--style") == "screen");
    link.Frame(screen);
    name = "display-test";
  } else if (values.count("--size")) {
    int width = 1024, height = 768;
    sscanf(values.at("--size").c_str(), "%dx%d", &width, &height);
    Screen screen(width, height);
    drawn = DrawScreenCard(screen);
    link.Frame(screen);
    name = "screen-test";
  } else {
    Screen screen(800, 600, CLR_FILL);
    DrawPensCard(screen);
    link.Frame(screen);
    name = "pens-demo";
  }
  if (drawn.calls > 0)
    link.Result(std::to_string(drawn.calls) + " service calls, " + std::to_string(drawn.refusals) + " refused");
  link.Status("finished", name + " drawn");
  int code = 0;
  while (link.NextKey(-1, &code) == OperationLink::kKey) {
  }
}

}  // namespace host
