// hostsim exports LIBRARY          lists the exports a library offers
// hostsim strings LIBRARY [LANG]   prints a library's texts (as UTF-8)
#include <stdio.h>

#include "bridge/charset.h"
#include "host/commands/command.h"
#include "host/services/loader.h"
#include "host/screen/text.h"

namespace host {
namespace {

// A library by name (Kerf) or by path (build/lib/libKerf.so).
std::string LibraryFile(const std::string& name_or_path) {
  bool path = name_or_path.find('/') != std::string::npos ||
              (name_or_path.size() > 3 && name_or_path.compare(name_or_path.size() - 3, 3, ".so") == 0);
  return path ? name_or_path : LibraryPath(name_or_path);
}

void OpenLibrary(Library& lib, const std::string& name_or_path) {
  std::string error;
  if (!lib.Open(LibraryFile(name_or_path), &error)) throw HostError(error);
}

int Exports(const ParsedArgs& args) {
  Library lib;
  OpenLibrary(lib, args.Text("LIBRARY"));
  for (auto& [name, symbol] : lib.exports()) printf("%s\n", name.c_str());
  return kExitOk;
}

int Strings(const ParsedArgs& args) {
  std::string name = args.Text("LIBRARY");
  Library lib;
  OpenLibrary(lib, name);
  auto init = lib.Bind<int (*)(void*, uint32_t)>("LocalizationInit");
  auto get = lib.Bind<const char* (*)(uint32_t)>("GetLocString");
  if (!init || !get) return LibraryFailure(name + " has no string tables");
  uint32_t language = static_cast<uint32_t>(args.Int("--lang"));
  if (!init(nullptr, language))
    return LibraryFailure(name + " has no table for language " + std::to_string(language));
  for (uint32_t id = 0;; ++id) {
    const char* text = get(id);
    if (text == nullptr) break;
    printf("%u %s\n", id, ZorvToUtf8(text).c_str());
  }
  return kExitOk;
}

const char* const kLibraryHelp = "a library by name (Kerf, Wharf, Anvil, ...) or the path of its .so file";

CommandRegistration exports_command({"exports", "lists the exports a library offers", {
    Positional("LIBRARY", kLibraryHelp),
}, Exports});

CommandRegistration strings_command({"strings", "prints a library's texts in one language, as UTF-8", {
    Positional("LIBRARY", kLibraryHelp),
    LanguageOption(),
}, Strings});

}  // namespace
}  // namespace host
