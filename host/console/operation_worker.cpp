// hostsim-operation: runs one console operation in a process of its own,
// started by the console server (never by hand):
//   hostsim-operation ID FOLDER [NAME=VALUE ...] [shown:NAME=VALUE ...]
// with the key pipe at fd 3, the report pipe at fd 4 and the shared screen
// at fd 5. FOLDER is the operation's own drive folder; the values are the
// checked options of the operation table, "shown:" the same as the page
// gave them.
#include <stdio.h>
#include <unistd.h>

#include <exception>
#include <string>

#include "host/console/operation_link.h"
#include "host/console/operations.h"

namespace {

struct Runner {
  const char* id;
  host::OperationMain run;
};

// Each operation of the table and the function that runs it.
const Runner kRunners[] = {
    {"view", host::RunProgramView},
    {"iso-view", host::RunProgramView},
    {"transform-dialog", host::RunTransformDialog},
    {"technol", host::RunTechnolScreen},
    {"showiso", host::RunShowIso},
    {"ncview", host::RunNcView},
    {"scope", host::RunScope},
    {"canview", host::RunCanView},
    {"vitals-panel", host::RunVitalsPanel},
    {"vitals-events", host::RunVitalsEvents},
    {"vitals", host::RunVitalsScreen},
    {"vitals-keyboard", host::RunVitalsScreen},
    {"can-periph", host::RunCanPeriph},
    {"led", host::RunLedWindow},
    {"files", host::RunFileManager},
    {"table-form", host::RunTableForm},
    {"transform", host::RunTransform},
    {"path", host::RunPath},
    {"plotline", host::RunPlotline},
    {"preprocess", host::RunPreprocess},
    {"pens-demo", host::RunTestCard},
    {"display-test", host::RunTestCard},
    {"screen-test", host::RunTestCard},
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "hostsim-operation: started by hostsim console only\n");
    return 2;
  }
  host::OperationRequest request;
  request.folder = argv[2];
  for (int i = 3; i < argc; ++i) {
    const std::string pair = argv[i];
    const size_t eq = pair.find('=');
    if (eq == std::string::npos) continue;
    if (pair.rfind("shown:", 0) == 0) request.shown[pair.substr(6, eq - 6)] = pair.substr(eq + 1);
    else request.values[pair.substr(0, eq)] = pair.substr(eq + 1);
  }
  try {
    host::SharedFrame frame(5);
    host::OperationLink link(frame, 3, 4);
    for (const Runner& r : kRunners) {
      if (argv[1] != std::string(r.id)) continue;
      try {
        r.run(request, link);
      } catch (const std::exception& e) {
        link.Status("failed", e.what());
      }
      return 0;
    }
    link.Status("failed", std::string("no operation ") + argv[1]);
  } catch (const std::exception& e) {
    fprintf(stderr, "hostsim-operation: %s\n", e.what());
  }
  return 1;
}
