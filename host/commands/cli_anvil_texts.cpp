// hostsim kerf-texts | params: Anvil's operations over text files.
//
//   kerf-texts  ReadKerfTexts on a cutting program: the result, the text
//               blocks stored in the shared memory, the copy (--out)
//   params      ParamsValuesConvert on a parameter table: the program text
//               and the result
#include <stdio.h>

#include <filesystem>
#include <string>

#include "anvil/kerf_texts.h"
#include "anvil/params_convert.h"
#include "host/commands/command.h"
#include "host/commands/file_args.h"
#include "host/screen/text.h"
#include "host/services/anvil_host.h"
#include "host/services/file_services.h"
#include "host/services/loader.h"
#include "host/services/sandbox_folder.h"

namespace host {
namespace {

namespace fs = std::filesystem;

// Anvil loaded with its file services over a sandbox and AnvilInit done.
struct AnvilTextRig {
  SandboxFolder sandbox{"anvil-texts"};
  FileServices files{sandbox.root()};
  Library library;
  AnvilHost anvil;

  AnvilTextRig() {
    sandbox.MakeDir("c/data");
    std::string error;
    if (!library.Open(LibraryPath("Anvil"), &error)) throw HostError(error);
    auto fsp_init = library.Bind<int (*)(const FSP_INIT_PARAMS*)>("FSPInit");
    if (fsp_init == nullptr) throw HostError("the Anvil library lacks FSPInit");
    fsp_init(&files.table());
    if (anvil.Initialise(library) < 0) throw HostError("the Anvil library lacks AnvilInit");
  }
  template <typename Fn>
  Fn Export(const char* name) {
    Fn fn = library.Bind<Fn>(name);
    if (fn == nullptr) throw HostError(std::string("the Anvil library lacks ") + name);
    return fn;
  }
  // Copies an input file into c:\data\ under its own name; its DOS path.
  std::string Bring(const std::string& input) {
    RequireReadableFile(input);
    std::string name = fs::path(input).filename().string();
    CopyFromInput(input, sandbox.root() + "/c/data/" + name);
    return "c:\\data\\" + name;
  }
};

const char* KerfTextsMeaning(uint32_t result) {
  switch (result) {
    case kKerfTextsDone: return "done";
    case kKerfTextsNoOutput: return "the copy cannot be created";
    case kKerfTextsWriteFailed: return "writing the copy failed";
    case kKerfTextsReadFailed: return "reading the program failed";
    case kKerfTextsNoProgram: return "the program cannot be opened";
    case kKerfTextsTooManyBlocks: return "too many distinct text blocks";
    case kKerfTextsStoreFull: return "the text store is full";
    default: return "unknown result";
  }
}

// The stored blocks: every index entry up to the first one not above its
// predecessor (the end of the last block).
void PrintBlocks(HostMemory& shared) {
  for (uint32_t k = 0; k + 1 < kKerfTextIndexEntries; ++k) {
    uint32_t start = shared.Get<uint16_t>(kKerfTextIndex + 2 * k);
    uint32_t end = shared.Get<uint16_t>(kKerfTextIndex + 2 * (k + 1));
    if (start < kKerfTextIndexBias || end <= start || end - kKerfTextIndexBias > kKerfTextStoreBytes) break;
    printf("block %u:\n", k + 1);
    for (uint32_t at = start - kKerfTextIndexBias; at < end - kKerfTextIndexBias;) {
      uint32_t length = shared.Get<uint8_t>(kKerfTextStore + at);
      if (length < 2) break;
      std::string entry(reinterpret_cast<const char*>(shared.At(kKerfTextStore + at + 1, length)), length);
      printf("  %c: %s\n", entry[1], ZorvToUtf8(entry.substr(2)).c_str());
      at += length + 1;
    }
  }
}

int KerfTexts(const ParsedArgs& args) {
  AnvilTextRig rig;
  std::string program = rig.Bring(args.Text("PROGRAM"));
  auto read_texts = rig.Export<uint32_t (*)(_KERFTEXTS*)>("ReadKerfTexts");
  _KERFTEXTS record{sizeof record, program.c_str()};
  uint32_t result = read_texts(&record);
  printf("result %u (%s)\n", result, KerfTextsMeaning(result));
  PrintBlocks(rig.anvil.shared());
  std::string out = args.Text("--out");
  std::string copy = rig.files.Resolve(program.substr(0, program.size() - 3) + "TMP");
  if (!out.empty() && fs::exists(copy)) CopyToOutput(copy, out);
  return result == kKerfTextsDone ? kExitOk : LibraryFailure(KerfTextsMeaning(result));
}

int Params(const ParsedArgs& args) {
  AnvilTextRig rig;
  std::string table = rig.Bring(args.Text("TABLE"));
  auto convert = rig.Export<uint32_t (*)(_PARAMS_CONVERT*)>("ParamsValuesConvert");
  std::string header = args.Text("--header");
  std::string buffer(static_cast<size_t>(args.Int("--size")), '\0');
  _PARAMS_CONVERT record{table.c_str(), header.c_str(), buffer.data(), static_cast<uint32_t>(buffer.size())};
  uint32_t result = convert(&record);
  fwrite(buffer.data(), 1, buffer.empty() ? 0 : strnlen(buffer.data(), buffer.size()), stdout);
  printf("result %u\n", result);
  return result == 0 ? kExitOk : LibraryFailure("the table cannot be read or the text does not fit");
}

CommandRegistration kerf_texts_command({"kerf-texts", "collects a program's marking texts with Anvil's ReadKerfTexts", {
    Positional("PROGRAM", "the cutting program (Kerf format)"),
    Text("--out", "FILE", "where to write the copy with its reference blocks"),
}, KerfTexts});

CommandRegistration params_command({"params", "turns a parameter table section into program text (ParamsValuesConvert)", {
    Positional("TABLE", "the parameter table"),
    Text("--header", "LINE", "the section's header line").Required(),
    Int("--size", 0, 1 << 20, "65536", "size of the output buffer in bytes"),
}, Params});

}  // namespace
}  // namespace host
