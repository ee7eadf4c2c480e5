// hostsim preprocess SOURCE --out OUT.nc [options]
//   translates a parametric program through the real library's
//   PreprocessStart/PreprocessCont/PreprocessStop with a real tick counter.
//   The source's folder (sub-programs, data files, FI1EOR) is copied into
//   the sandbox; each INP is answered from --input, then the --keys script,
//   then the terminal.
#include <stdio.h>
#include <unistd.h>

#include <deque>
#include <filesystem>
#include <iostream>

#include "host/commands/command.h"
#include "host/commands/file_args.h"
#include "host/commands/output_watch.h"
#include "host/runners/preprocess_session.h"
#include "host/screen/text.h"
#include "host/services/sandbox_folder.h"

namespace host {
namespace {

namespace fs = std::filesystem;

std::string AnswerCheck(const std::string& value) {
  std::vector<uint8_t> keys;
  std::string error;
  return AnswerKeys(value, &keys, &error) ? "" : error;
}

constexpr int kMinWidth = 320, kMinHeight = 200;

int Preprocess(const ParsedArgs& args) {
  std::string source = args.Text("SOURCE"), out = args.Text("--out"), png = args.Text("--png");
  ScreenSize size = args.Size("--size");
  // The host reads the status, error and input lines off the screen: a
  // window too small to show them would hide a halted translation.
  if (size.width < kMinWidth || size.height < kMinHeight)
    throw UsageError("--size: the preprocessor's window needs at least " + std::to_string(kMinWidth) + "x" +
                     std::to_string(kMinHeight) + " to show the lines hostsim reads");
  bool quiet = args.Has("--quiet");
  RequireReadableFile(source);
  std::deque<std::string> answers(args.All("--input").begin(), args.All("--input").end());
  // The key script as one stream of keys; each input takes them up to its
  // enter key.
  std::deque<uint8_t> script;
  for (const KeyStep& step : args.Keys("--keys")) {
    if (step.kind == KeyStep::kKey) script.push_back(static_cast<uint8_t>(step.code));
    if (step.kind == KeyStep::kType)
      for (char c : step.text) script.push_back(static_cast<uint8_t>(c));
  }

  // The source's folder goes into the sandbox as c:\prog; the output comes
  // out of c:\output.
  SandboxFolder sandbox("preprocess");
  PreprocessSettings settings;
  settings.width = size.width;
  settings.height = size.height;
  settings.language = static_cast<uint32_t>(args.Int("--lang"));
  settings.skip_slash = args.Has("--skip-slash");
  PreprocessSession session(sandbox.root(), source, fs::path(out).filename().string(), settings);
  PreprocessRunner& runner = session.runner();
  FileServices& files = session.files();
  std::string error;
  if (!session.Load(&error)) throw HostError(error);
  OutputWatch watch(files, "hostsim preprocess", args.Bytes("--max-output"), quiet);
  bool terminal = isatty(0);
  PreprocessRun run = session.Run([&](const std::string& prompt, std::vector<uint8_t>* keys) {
    std::string answer;
    if (!answers.empty()) {
      answer = answers.front();
      answers.pop_front();
    } else if (!script.empty()) {
      keys->clear();
      while (!script.empty()) {
        keys->push_back(script.front());
        script.pop_front();
        if (keys->back() == 255) break;
      }
      if (!quiet) printf("input \"%s_\" <- keys\n", ZorvToUtf8(prompt).c_str());
      return true;
    } else {
      // No answer given on the command line: ask the operator.
      fprintf(stderr, "%s_ ", ZorvToUtf8(prompt).c_str());
      if (!terminal) fprintf(stderr, "(reading the answer from standard input)\n");
      if (!std::getline(std::cin, answer)) return false;
    }
    if (!quiet) printf("input \"%s_\" <- %s\n", ZorvToUtf8(prompt).c_str(), answer.c_str());
    std::string problem;
    if (!AnswerKeys(answer, keys, &problem)) throw UsageError("answer: " + problem);
    return true;
  });
  runner.Stop();
  watch.ThrowIfLimitReached();
  if (!png.empty() && !session.screen().WritePng(png, &error)) throw HostError(error);
  if (run.end == PreprocessEnd::kComplete) {
    CopyToOutput(session.OutputPath(), out);
    if (!quiet) printf("%s: complete, %u PreprocessCont calls, %u inputs\n", out.c_str(), run.cont_calls, run.inputs);
    return kExitOk;
  }
  printf("%s\n", ZorvToUtf8(runner.status_line()).c_str());
  if (run.end == PreprocessEnd::kUnfinished)
    return LibraryFailure("the preprocessor did not finish within " + std::to_string(run.cont_calls) +
                          " PreprocessCont calls");
  if (run.end == PreprocessEnd::kNoAnswer)
    return LibraryFailure("no answer for the input \"" + ZorvToUtf8(runner.input_line()) + "\"");
  return LibraryFailure(ZorvToUtf8(runner.error_line()));
}

CommandRegistration preprocess_command({"preprocess", "translates a parametric program into an ISO program through the preprocessor library", {
    Positional("SOURCE", "the parametric program; its folder holds sub-programs, data files and FI1EOR"),
    Text("--out", "FILE", "the ISO program to write").Required(),
    Text("--input", "VALUE", "the answer to the next INP: digits, '.', '-', <N> for key N; \"\" presses Enter "
         "alone")
        .Repeatable().EmptyAllowed().Checked(AnswerCheck, "digits, '.', '-', blanks and <N> with N 0..255"),
    KeysOption("--keys", kPreprocessKeys, "keys for the inputs after the --input answers, e.g. \"12 point 5 enter\""),
    Flag("--skip-slash", "lines starting with \"/\" are dropped"),
    Int("--lang", 0, 255, "5", "language of the library's texts"),
    Text("--png", "FILE", "the screen to write"),
    SizeOption("--size", "800x600", "screen size (at least 320x200)"),
    MaxOutputOption(),
    Flag("--quiet", "print nothing on success"),
}, Preprocess});

}  // namespace
}  // namespace host
