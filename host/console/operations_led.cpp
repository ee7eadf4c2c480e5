// libMosaic's LED status window in the console, set up as `hostsim led`
// does (LedSession) and drawn once; it takes no keys.
#include "host/console/operation_link.h"
#include "host/console/operations.h"
#include "host/runners/led_session.h"

namespace host {

void RunLedWindow(const OperationRequest& request, OperationLink& link) {
  const OptionValues& values = request.values;
  LedSession session(request.folder);
  std::string error;
  if (!session.Load(static_cast<uint32_t>(std::stoul(values.at("--lang"))), &error))
    return link.Status("failed", error);
  LedSettings settings;
  const std::string& transform = values.at("--transform");
  settings.transform = transform == "A"   ? MosaicTransform::kVariantA
                       : transform == "B" ? MosaicTransform::kVariantB
                                          : MosaicTransform::kOff;
  settings.correction = static_cast<int32_t>(std::stol(values.at("--corr")));
  session.Apply(settings);
  link.Status("running", "DLL_DISPLAY_WIN_LED");
  error = session.Draw();
  link.Frame(session.screen());
  if (!error.empty()) return link.Status("failed", error);
  link.Result(std::to_string(session.display_calls()) + " display calls");
  link.Status("finished", "the LED window is drawn");
  // The window stands until the operator starts another operation.
  int code = 0;
  while (link.NextKey(-1, &code) == OperationLink::kKey) {
  }
}

}  // namespace host
