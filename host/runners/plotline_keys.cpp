// The path view's keys, and the run steps a key script presses them after.
#include "host/runners/plotline_session.h"

namespace host {

const KeyTable kPlotlineKeys = {{}, false};

bool PlotlineKeys(const std::vector<KeyStep>& steps, std::vector<PlotlineKey>* keys, uint64_t* stop,
                  std::string* error) {
  keys->clear();
  uint64_t after = 0;
  *stop = 0;
  for (const KeyStep& step : steps) {
    *stop = 0;
    if (step.kind == KeyStep::kWait) {
      after += step.wait_ms;
      *stop = after;
    } else if (step.kind == KeyStep::kKey && step.code != 0) {
      keys->push_back({after, static_cast<uint8_t>(step.code)});
    } else {
      *error = "\"" + step.token + "\": expected key codes 1 to 255 or wait N";
      return false;
    }
  }
  return true;
}

}  // namespace host
