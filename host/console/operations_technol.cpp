// A technology screen of libTracer in the console: set up as
// `hostsim technol` does, the prefix once, then one data call per key; the
// entries the screen hands over are its results.

#include "host/console/operation_link.h"
#include "host/console/operations.h"
#include "host/runners/technol_session.h"

namespace host {

void RunTechnolScreen(const OperationRequest& request, OperationLink& link) {
  std::string description;
  const bool read = ReadWholeFile(request.values.at("FILE"), &description);
  TechnolSession session(request.folder);
  TechnolSettings settings;
  settings.language = static_cast<uint32_t>(std::stoul(request.values.at("--lang")));
  settings.screen = std::stoi(request.values.at("--screen"));
  std::string error;
  if (!read || !session.Load(description, settings, &error))
    return link.Status("failed", read ? error : "cannot read the description");
  const int result = session.Prefix();
  link.Frame(session.screen());
  if (result != 0)
    return link.Status("failed", "no section $US" + request.values.at("--screen") + " in the description (-1)");
  link.Status("running", session.StateLine());
  int code = 0;
  while (link.NextKey(-1, &code) == OperationLink::kKey) {
    uint16_t field = 0;
    std::string handed;
    const bool handed_over = session.Key(static_cast<uint8_t>(code), &field, &handed);
    link.Frame(session.screen());
    if (handed_over) link.Result("handed over: field " + std::to_string(field) + " \"" + handed + "\"");
  }
}

}  // namespace host
