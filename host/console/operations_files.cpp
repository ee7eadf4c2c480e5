// Anvil's file manager in the console, over a copy of a folder of the
// sandbox in the operation's own drive folder (times kept, so it lists as
// the folder does): set up as `hostsim files --on-copy` does, then each
// key one DirCont and the calls that follow by themselves. What the panel
// copies and deletes stays in that copy; the sandbox is never written.
#include <stdio.h>

#include "host/console/operation_link.h"
#include "host/console/operations.h"
#include "host/runners/file_panel_session.h"

namespace host {

void RunFileManager(const OperationRequest& request, OperationLink& link) {
  const OptionValues& values = request.values;
  int width = 800, height = 600;
  sscanf(values.at("--size").c_str(), "%dx%d", &width, &height);
  FilePanelSession panel(request.folder, values.at("--drive-c"), true, width, height);
  FilePanelOptions options;
  options.path = options.root = "c:\\";
  options.system_directory = "d:\\";
  options.mode = static_cast<uint8_t>(std::stoul(values.at("--mode")));
  options.language = static_cast<uint32_t>(std::stoul(values.at("--lang")));
  std::string error;
  if (!panel.Load(options, &error)) return link.Status("failed", error);
  auto report = [&] {
    for (const std::string& line : panel.TakeMessages()) link.Message(line);
    link.Frame(panel.screen());
  };
  panel.Start();
  report();
  link.Status("running", panel.StateLine());
  int code = 0;
  while (link.NextKey(-1, &code) == OperationLink::kKey) {
    panel.Key(PanelKeyOfByte(static_cast<uint8_t>(code)));
    report();
    link.Result(panel.StateLine());
  }
}

}  // namespace host
