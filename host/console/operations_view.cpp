// The program view (Kerf format or ISO) in the console: set up as
// `hostsim view` does, drawn by ViewStart and ViewCont on the live tick
// counter, then each key selects the next shape part (ShapePartSel).
#include <filesystem>

#include "host/console/operation_link.h"
#include "host/console/operations.h"
#include "host/runners/view_session.h"

namespace host {

void RunProgramView(const OperationRequest& request, OperationLink& link) {
  namespace fs = std::filesystem;
  const OptionValues& values = request.values;
  const fs::path program = values.at("PROGRAM");
  const std::string name = program.filename().string();
  fs::create_directories(fs::path(request.folder) / "c" / "programs");
  fs::copy_file(program, fs::path(request.folder) / "c" / "programs" / name);

  int width = 800, height = 600;
  sscanf(values.at("--size").c_str(), "%dx%d", &width, &height);
  ViewOptions options;
  options.library = values.at("--library");
  options.language = static_cast<uint32_t>(std::stoul(values.at("--lang")));
  options.iso = values.count("--iso") != 0;
  options.start_delay_ms = static_cast<uint32_t>(std::stoul(values.at("--delay")));
  options.program_dos_path = "c:\\programs\\" + name;
  options.copy_dos_path = "c:\\programs\\selected.knf";
  options.right = width - 1;
  options.bottom = height - 1;

  ViewSession session(request.folder, width, height);
  std::string error;
  if (!session.Load(options, &error)) return link.Status("failed", error);
  link.Status("running", "drawing " + name);
  const Screen& screen = session.screen();
  ViewRun run = session.runner().RunToEnd([&] { link.FrameEvery(screen, 20); });
  link.Frame(screen);
  const std::string failure = session.Failure(run, options.iso);
  link.Result(std::to_string(run.cont_calls) + " ViewCont calls, " + (failure.empty() ? "finished" : failure));
  link.Status(failure.empty() ? "finished" : "failed", failure.empty() ? name + " drawn" : failure);

  int code = 0, selected = 0;
  while (link.NextKey(-1, &code) == OperationLink::kKey) {
    const uint32_t r = session.runner().ShapePartSel();
    link.Frame(screen);
    link.Result("ShapePartSel returned " + std::to_string(r) +
                (r == 1 ? " (part " + std::to_string(++selected) + " selected)" : " (no further part)"));
  }
  session.runner().Stop();
}

}  // namespace host
