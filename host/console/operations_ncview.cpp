// Anvil's NC program viewer in the console: set up as `hostsim ncview`
// does (the program in host memory, titled with its path), the first page
// painted, then each key handed over and its page painted.
#include <stdio.h>


#include "host/console/operation_link.h"
#include "host/console/operations.h"
#include "host/runners/nc_view_runner.h"

namespace host {

void RunNcView(const OperationRequest& request, OperationLink& link) {
  const OptionValues& values = request.values;
  std::string text;
  if (!ReadWholeFile(values.at("PROGRAM"), &text)) return link.Status("failed", "cannot read the program");
  int width = 800, height = 600;
  sscanf(values.at("--size").c_str(), "%dx%d", &width, &height);
  Screen screen(width, height);
  NcViewRunner runner(screen);
  std::string error;
  if (!runner.Load(static_cast<uint32_t>(std::stoul(values.at("--lang"))), &error))
    return link.Status("failed", error);
  runner.graphics().recorder().Enable(false);
  runner.SetWindow(0, 0, width - 1, height - 1);
  NcViewPage page;
  page.title = request.shown.at("PROGRAM");
  page.colouring = values.count("--plain") == 0;
  runner.Open(text, page);
  link.Frame(screen);
  link.Status("running", "the page stands");
  int code = 0;
  while (link.NextKey(-1, &code) == OperationLink::kKey) {
    const uint32_t calls = runner.Key(static_cast<uint8_t>(code));
    link.Frame(screen);
    link.Result("NcViewCont calls for the page: " + std::to_string(calls));
  }
}

}  // namespace host
