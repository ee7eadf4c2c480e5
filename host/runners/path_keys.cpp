// The path graphics' keys, and the calls a key script presses them at.
#include "host/runners/path_session.h"

namespace host {

const KeyTable kPathKeys = {{
    {"origin", 1, 0, "move the axis origin to the next of nine positions", ""},
    {"zoom-out", 2, 0, "coarser grid", ""},
    {"zoom-in", 3, 0, "finer grid", ""},
    {"plane", 4, 0, "next plane (redraws)", ""},
    {"snapshot", 5, 0, "redraw with a fresh position read-out", ""},
}, false};

bool PathKeyCalls(const std::vector<KeyStep>& steps, std::map<uint64_t, uint8_t>* keys, uint64_t* stop,
                  std::string* error) {
  keys->clear();
  uint64_t call = 0;
  *stop = 0;
  for (const KeyStep& step : steps) {
    *stop = 0;
    if (step.kind == KeyStep::kWait) {
      call += step.wait_ms;
      *stop = call;
    } else if (step.kind == KeyStep::kKey && step.code >= 1 && step.code <= 5) {
      (*keys)[++call] = static_cast<uint8_t>(step.code);
    } else {
      *error = "\"" + step.token + "\": expected origin, zoom-out, zoom-in, plane, snapshot (or 1 to 5) or wait N";
      return false;
    }
  }
  return true;
}

}  // namespace host
