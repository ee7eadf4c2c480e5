// hostsim technol FILE --screen N [--instance K] [--offset N] [--keys SCRIPT]
//   [--picture N=FILE.ppm]... --png OUT.png
//   draws one technology screen of libTracer from a description file,
//   presses the keys (one data call each) and prints every entry the
//   library hands over.
#include <stdio.h>
#include <stdlib.h>

#include "host/commands/command.h"
#include "host/commands/file_args.h"
#include "host/runners/technol_session.h"
#include "host/services/sandbox_folder.h"

namespace host {
namespace {

constexpr uint64_t kLargestDescription = 1 << 20;

int Technol(const ParsedArgs& args) {
  std::vector<uint8_t> codes;
  for (const KeyStep& step : args.Keys("--keys")) {
    if (step.kind == KeyStep::kKey) {
      codes.push_back(static_cast<uint8_t>(step.code));
    } else if (step.kind == KeyStep::kType) {
      for (char c : step.text) {
        if (c < '0' || c > '9') throw UsageError("--keys \"" + step.token +
                          "\": only digits are typed; keys: next previous point sign clear left right");
        codes.push_back(static_cast<uint8_t>(c));
      }
    } else if (step.kind != KeyStep::kWait) {  // the screen keeps no clock: pauses change nothing
      throw UsageError("--keys \"" + step.token + "\": the screen takes keys and pauses only");
    }
  }
  std::string description = ReadInputFile(args.Text("FILE"), kLargestDescription);
  const uint32_t offset = static_cast<uint32_t>(args.Int("--offset"));
  if (offset > description.size()) throw UsageError("--offset: beyond the end of the description");

  SandboxFolder sandbox("technol");
  TechnolSession session(sandbox.root());
  std::string error;
  for (const std::string& p : args.All("--picture")) {
    const size_t eq = p.find('=');
    const std::string digits = p.substr(0, eq);  // `end` points into it
    char* end = nullptr;
    const long number = eq == std::string::npos ? -1 : strtol(digits.c_str(), &end, 10);
    if (number < 0 || number > 98 || *end != '\0') throw UsageError("--picture " + p + ": N=FILE.ppm, N from 0 to 98");
    if (!session.technol().LoadPicture(static_cast<uint32_t>(number), p.substr(eq + 1), &error)) throw HostError(error);
  }
  TechnolSettings settings;
  settings.language = static_cast<uint32_t>(args.Int("--lang"));
  settings.screen = static_cast<int>(args.Int("--screen"));
  settings.instance = static_cast<int>(args.Int("--instance"));
  settings.offset = offset;
  if (!session.Load(description, settings, &error)) throw HostError(error);
  const int result = session.Prefix();
  for (uint8_t code : codes) {
    uint16_t field = 0;
    std::string handed;
    if (session.Key(code, &field, &handed)) printf("handed over: field %u \"%s\"\n", field, handed.c_str());
  }
  if (!session.screen().WritePng(args.Text("--png"), &error)) throw HostError(error);
  printf("%s\n", session.StateLine().c_str());
  if (result != 0) return LibraryFailure("no section $US" + std::to_string(args.Int("--screen")) + " in the description (-1)");
  return kExitOk;
}

CommandRegistration technol_command({"technol",
    "a technology screen of libTracer from a description, edited by keys", {
    Positional("FILE", "the screen description"),
    Int("--screen", 0, 255, "1", "the wanted screen number"),
    Int("--instance", 1, 3, "1", "the instance (only 1 is edited)"),
    Int("--offset", 0, 1 << 20, "0", "offset added to the description's address"),
    KeysOption("--keys", kTechnolKeys, "keys, one data call each; digits are typed"),
    Text("--picture", "N=FILE.ppm", "picture N of the description (binary PPM)").Repeatable(),
    Text("--png", "OUT.png", "the screen at the end").Required(),
    LanguageOption(),
}, Technol});

}  // namespace
}  // namespace host
