// hostsim technol FILE --screen N [--instance K] [--offset N] [--keys SCRIPT]
//   [--picture N=FILE.ppm]... --png OUT.png
//   draws one technology screen of libTracer from a description file,
//   presses the keys (one data call each) and prints every entry the
//   library hands over.
#include <stdio.h>
#include <stdlib.h>

#include "host/commands/command.h"
#include "host/commands/file_args.h"
#include "host/runners/tracer_runner.h"
#include "host/screen/screen.h"
#include "host/services/display_services.h"
#include "host/services/file_services.h"
#include "host/services/sandbox_folder.h"
#include "host/services/technol_host.h"
#include "host/services/tracer_host.h"

namespace host {
namespace {

constexpr uint64_t kLargestDescription = 1 << 20;

const KeyTable kTechnolKeys = {{
    {"next", 1, 0, "hand a changed entry over, next field", ""},
    {"previous", 2, 0, "hand a changed entry over, previous field", ""},
    {"point", 43, 0, "decimal point", ""},
    {"sign", 63, 0, "toggle a leading minus", ""},
    {"clear", 46, 0, "empty the entry", ""},
    {"left", 12, 0, "clears the key modifier only", ""},
    {"right", 14, 0, "clears the key modifier only", ""},
}, true};

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
    } else {
      throw UsageError("--keys \"" + step.token + "\": the screen takes keys only");
    }
  }
  std::string description = ReadInputFile(args.Text("FILE"), kLargestDescription);
  const uint32_t offset = static_cast<uint32_t>(args.Int("--offset"));
  if (offset > description.size()) throw UsageError("--offset: beyond the end of the description");

  SandboxFolder sandbox("technol");
  FileServices files(sandbox.root());
  Screen screen(640, 480);
  DisplayServices display(screen, TextStyle::kForm);
  TracerHost tracer(display, &files);
  TechnolHost technol(tracer, display);
  TracerRunner runner(tracer, files);
  technol.SetText(description);
  tracer.record().technolTextOffset = offset;
  std::string error;
  for (const std::string& p : args.All("--picture")) {
    const size_t eq = p.find('=');
    const std::string digits = p.substr(0, eq);  // `end` points into it
    char* end = nullptr;
    const long number = eq == std::string::npos ? -1 : strtol(digits.c_str(), &end, 10);
    if (number < 0 || number > 98 || *end != '\0') throw UsageError("--picture " + p + ": N=FILE.ppm, N from 0 to 98");
    if (!technol.LoadPicture(static_cast<uint32_t>(number), p.substr(eq + 1), &error)) throw HostError(error);
  }
  if (!runner.Load(static_cast<uint32_t>(args.Int("--lang")), &error)) throw HostError(error);
  auto prefix = runner.library().Bind<int (*)(STRUCT_TRACER*)>("PREFIX_TECHNOL_DLL");
  auto data = runner.library().Bind<int (*)(STRUCT_TRACER*)>("DATA_TECHNOL_DLL");
  if (prefix == nullptr || data == nullptr) throw HostError("libTracer lacks the technology screen exports");

  const int k = static_cast<int>(args.Int("--instance")) - 1;
  tracer.record().technolInstance = static_cast<uint8_t>(k + 1);
  technol.input[2 + k] = static_cast<uint8_t>(args.Int("--screen"));
  screen.Clear(display.block()[29]);
  const int result = prefix(&tracer.record());
  technol.input[8 + k] = 1;
  uint16_t counter = technol.OutU16(8);
  for (uint8_t code : codes) {
    technol.key = code;
    data(&tracer.record());
    if (technol.OutU16(8) != counter) {
      counter = technol.OutU16(8);
      printf("handed over: field %u \"%s\"\n", technol.OutU16(6), technol.HandedText().c_str());
      technol.output[5] = 0;
    }
  }
  if (!screen.WritePng(args.Text("--png"), &error)) throw HostError(error);
  printf("screen %u shown, current field %u\n", technol.output[2 + k], technol.OutU16(6));
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
