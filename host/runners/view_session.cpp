#include "host/runners/view_session.h"

namespace host {

ViewSession::ViewSession(const std::string& folder, int width, int height)
    : files_(folder), screen_(width, height), runner_(files_, screen_, clock_.counter(), TickClock::kFrequency),
      refresh_([this](uint32_t, int) { clock_.Refresh(); }) {
  runner_.WatchTexts();
}

std::string ViewSession::Failure(const ViewRun& run, bool iso) const {
  if (run.last_result != 2) return "the view did not finish (ViewCont returned " + std::to_string(run.last_result) + ")";
  std::string failure = runner_.FailureText();
  // A program with no move at all is drawn as an empty 0x0 picture: no
  // script wants that taken for success.
  if (failure.empty() && runner_.InfoLineText() == "0x0")
    failure = std::string("the program holds nothing to draw (0x0)") +
              (iso ? "; an ISO program begins after its % line" : "");
  return failure;
}

}  // namespace host
