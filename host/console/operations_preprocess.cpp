// The preprocessor (libNorvik) in the console: set up as `hostsim
// preprocess` does, with the source's folder copied into the operation's
// own drive folder; the screen shown as it translates, each input typed by
// the operator key by key, and the ISO program it wrote into c:\output
// reported: its name, its size and its first lines.
#include <filesystem>
#include <fstream>

#include "host/console/operation_link.h"
#include "host/console/operations.h"
#include "host/runners/preprocess_session.h"
#include "host/screen/text.h"

namespace host {

namespace {

constexpr uint32_t kFrameMs = 40;
constexpr int kShownLines = 5;

void ReportOutput(const std::string& path, const std::string& dos_name, OperationLink& link) {
  std::error_code ec;
  const uintmax_t size = std::filesystem::file_size(path, ec);
  link.Result(dos_name + ": " + (ec ? std::string("not written") : std::to_string(size) + " bytes"));
  std::ifstream file(path, std::ios::binary);
  std::string line;
  for (int n = 0; n < kShownLines && std::getline(file, line); ++n) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    link.Result("  " + line);
  }
}

// Translates; false when the console closed the key pipe on the way.
bool Translate(const OperationRequest& request, OperationLink& link) {
  const OptionValues& values = request.values;
  PreprocessSettings settings;
  settings.language = static_cast<uint32_t>(std::stoul(values.at("--lang")));
  settings.skip_slash = values.count("--skip-slash") != 0;
  sscanf(values.at("--size").c_str(), "%dx%d", &settings.width, &settings.height);
  const std::string output = std::filesystem::path(values.at("--out")).filename().string();
  PreprocessSession session(request.folder, values.at("SOURCE"), output, settings);
  std::string error;
  if (!session.Load(&error)) {
    link.Status("failed", error);
    return true;
  }
  link.Status("running", "translating " + request.shown.at("SOURCE"));
  bool closed = false, answering = false;
  const PreprocessRun run = session.Run(
      [&](const std::string& prompt, std::vector<uint8_t>* keys) {
        link.Frame(session.screen());
        if (!answering) link.Status("running", "input: " + ZorvToUtf8(prompt));
        int code = 0;
        if (link.NextKey(-1, &code) != OperationLink::kKey) {
          closed = true;
          return false;
        }
        keys->assign(1, static_cast<uint8_t>(code));
        answering = code != 255;  // the enter key ends the answer
        return true;
      },
      [&] { link.FrameEvery(session.screen(), kFrameMs); });
  session.Stop();
  link.Frame(session.screen());
  if (closed) return false;
  link.Result(std::to_string(run.cont_calls) + " PreprocessCont calls, " + std::to_string(run.inputs) + " inputs");
  if (run.end == PreprocessEnd::kComplete) {
    ReportOutput(session.OutputPath(), "c:\\output\\" + output, link);
    link.Status("finished", "translated into c:\\output\\" + output);
  } else {
    link.Status("failed", run.end == PreprocessEnd::kUnfinished ? "the preprocessor did not finish"
                                                                : ZorvToUtf8(session.runner().error_line()));
  }
  return true;
}

}  // namespace

void RunPreprocess(const OperationRequest& request, OperationLink& link) {
  // The session (and its tick counter) ends with the translation; the
  // operation then stands, and keys pressed now reach no input.
  if (!Translate(request, link)) return;
  int code = 0;
  while (link.NextKey(-1, &code) == OperationLink::kKey) {
  }
}

}  // namespace host
