// The transformation dialog of libTracer in the console: set up as
// `hostsim transform-dialog` does, the prefix once, then one data call per
// key the operator presses.
#include "host/console/operation_link.h"
#include "host/console/operations.h"
#include "host/runners/dialog_session.h"

namespace host {

void RunTransformDialog(const OperationRequest& request, OperationLink& link) {
  DialogSession session(request.folder);
  DialogSettings settings;
  settings.language = static_cast<uint32_t>(std::stoul(request.values.at("--lang")));
  settings.type = std::stoi(request.values.at("--type"));
  settings.active = request.values.count("--active") != 0;
  std::string error;
  if (!session.Load(settings, &error)) return link.Status("failed", error);
  session.Prefix();
  link.Frame(session.screen());
  link.Status("running", "the dialog waits for keys");
  int code = 0;
  while (link.NextKey(-1, &code) == OperationLink::kKey) {
    const int status = session.Data(static_cast<uint8_t>(code));
    link.Frame(session.screen());
    link.Result("key " + std::to_string(code) + ": DLL_DATA_TRANSFORMACE returned " + std::to_string(status));
    if (status != 9) continue;
    const DialogHost& dialog = session.dialog();
    std::string called;
    for (const std::string& c : dialog.calls()) called += (called.empty() ? "" : ", ") + c;
    link.Result("services: " + (called.empty() ? std::string("none") : called));
    for (int k = 0; k < 3; ++k)
      link.Result("a" + std::to_string(k + 1) + " \"" + dialog.Distance(k) + "\", angle " + std::to_string(k + 1) +
                  " \"" + dialog.Angle(k) + "\"");
    link.Status("finished", "the dialog closed");
    return;
  }
}

}  // namespace host
