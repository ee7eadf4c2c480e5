// The contour transformation in the console: set up as `hostsim transform
// --keys` does (the contours copied into the operation's own drive
// folder), one TransformCont per key. When OK writes the nested program,
// its name and size are the result and the program view draws it, as the
// batch command's picture shows it; the program stays in the operation's
// folder, never in the sandbox.
#include <sys/stat.h>

#include "host/console/operation_link.h"
#include "host/console/operations.h"
#include "host/runners/transform_session.h"

namespace host {
namespace {

// As hostsim transform's --max-output default: a generation that asks for
// more ends as on a full disk.
constexpr uint64_t kMaxOutput = 64ull * 1024 * 1024;

void ShowWritten(TransformSession& session, OperationLink& link) {
  struct stat st {};
  stat(session.OutputPath().c_str(), &st);
  link.Result(std::string("written ") + TransformSession::kOutput + ": " + std::to_string(st.st_size) + " bytes after " +
              std::to_string(session.presses()) + " keys");
  link.Status("running", "drawing the nested program");
  const Screen& screen = session.view_screen();
  const TransformView view = session.DrawOutput([&] { link.FrameEvery(screen, 20); });
  link.Frame(screen);
  if (!view.finished || !view.failure.empty()) return link.Status("failed", "the view of the program: " + view.failure);
  link.Result("drawn by the program view: " + view.extent);
  link.Status("finished", "the nested program is written");
}

}  // namespace

void RunTransform(const OperationRequest& request, OperationLink& link) {
  TransformSession session(request.folder);
  TransformSettings settings;
  settings.language = static_cast<uint32_t>(std::stoul(request.values.at("--lang")));
  settings.kind = std::stoi(request.values.at("--kind"));
  settings.odd = request.values.at("--odd");
  settings.even = request.values.at("--even");
  std::string error;
  bool library_failure = false;
  if (!session.Load(settings, &error, &library_failure)) return link.Status("failed", error);
  session.files().LimitWrites(kMaxOutput);
  session.Start();
  link.Frame(session.screen());
  link.Status("running", "the dialog waits for keys");
  int code = 0;
  while (link.NextKey(-1, &code) == OperationLink::kKey) {
    const uint32_t result = session.Press(static_cast<uint8_t>(code));
    link.Frame(session.screen());
    if (result == 5) link.Message("the transformation failed (TransformCont returned 5); the dialog shows why");
    if (result != 2) continue;
    session.Stop();
    if (session.OutputPath().empty()) return link.Status("finished", "cancelled, nothing written");
    return ShowWritten(session, link);
  }
}

}  // namespace host
