// hostsim exports LIBRARY          lists the exports a library offers
// hostsim strings LIBRARY [LANG]   prints a library's texts (as UTF-8)
#include <stdio.h>
#include <stdlib.h>

#include "bridge/charset.h"
#include "host/commands/command.h"
#include "host/services/loader.h"
#include "host/screen/text.h"

namespace host {
namespace {

int Exports(const std::vector<std::string>& args) {
  if (args.size() != 1) {
    fprintf(stderr, "usage: hostsim exports LIBRARY\n");
    return 2;
  }
  Library lib;
  std::string error;
  if (!lib.Open(LibraryPath(args[0]), &error)) {
    fprintf(stderr, "hostsim: %s\n", error.c_str());
    return 1;
  }
  for (auto& [name, symbol] : lib.exports()) printf("%s\n", name.c_str());
  return 0;
}

int Strings(const std::vector<std::string>& args) {
  if (args.empty() || args.size() > 2) {
    fprintf(stderr, "usage: hostsim strings LIBRARY [LANGUAGE]\n");
    return 2;
  }
  Library lib;
  std::string error;
  if (!lib.Open(LibraryPath(args[0]), &error)) {
    fprintf(stderr, "hostsim: %s\n", error.c_str());
    return 1;
  }
  auto init = lib.Bind<int (*)(void*, uint32_t)>("LocalizationInit");
  auto get = lib.Bind<const char* (*)(uint32_t)>("GetLocString");
  if (!init || !get) {
    fprintf(stderr, "hostsim: %s has no string tables\n", args[0].c_str());
    return 1;
  }
  uint32_t language = args.size() == 2 ? static_cast<uint32_t>(atoi(args[1].c_str())) : 9;
  if (!init(nullptr, language)) {
    fprintf(stderr, "hostsim: %s has no table for language %u\n", args[0].c_str(), language);
    return 1;
  }
  for (uint32_t id = 0;; ++id) {
    const char* text = get(id);
    if (text == nullptr) break;
    printf("%u %s\n", id, ZorvToUtf8(text).c_str());
  }
  return 0;
}

CommandRegistration exports_command("exports", "LIBRARY", Exports);
CommandRegistration strings_command("strings", "LIBRARY [LANGUAGE]", Strings);

}  // namespace
}  // namespace host
