// The ISO program contour view of libTracer in the console: set up as
// `hostsim showiso` does and drawn by one DLL_SHOWISO call; it takes no
// keys.
#include <stdio.h>

#include <filesystem>

#include "host/console/operation_link.h"
#include "host/console/operations.h"
#include "host/runners/showiso_session.h"

namespace host {

void RunShowIso(const OperationRequest& request, OperationLink& link) {
  namespace fs = std::filesystem;
  const OptionValues& values = request.values;
  fs::create_directories(fs::path(request.folder) / "c" / "prog");
  fs::create_directories(fs::path(request.folder) / "c" / "edit");
  fs::copy_file(values.at("PROGRAM"), fs::path(request.folder) / "c" / "prog" / "program.nc");
  ShowIsoSession session(request.folder, values.count("--large") != 0);
  ShowIsoSettings settings;
  settings.language = static_cast<uint32_t>(std::stoul(values.at("--lang")));
  settings.kind = static_cast<uint8_t>(std::stoul(values.at("--kind")));
  settings.axes = values.at("--axes");
  settings.label_left = values.at("--label") == "left";
  std::string error;
  if (!session.Load(settings, &error)) return link.Status("failed", error);
  link.Status("running", "DLL_SHOWISO");
  const int result = session.view().Show();
  link.Frame(session.screen());
  if (result != 0) return link.Status("failed", "DLL_SHOWISO: the program file cannot be opened or read (-1)");
  char size[96];
  snprintf(size, sizeof size, "%.3f x %.3f mm, scale %.4f px/mm", session.contour().width, session.contour().height,
           session.contour().scale);
  link.Result(size);
  link.Status("finished", "the contour is drawn");
  // The view stands until the operator starts another operation.
  int code = 0;
  while (link.NextKey(-1, &code) == OperationLink::kKey) {
  }
}

}  // namespace host
