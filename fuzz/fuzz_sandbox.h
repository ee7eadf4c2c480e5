// A private folder under /tmp for a fuzz target's sandbox, with the given
// subfolders (e.g. "c/prog") made in it; its path is returned.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <initializer_list>
#include <string>

#include "fuzz/fuzz_check.h"

inline std::string MakeFuzzSandbox(const char* name, std::initializer_list<const char*> folders) {
  std::string pattern = std::string("/tmp/fuzz-") + name + "-XXXXXX";
  FUZZ_CHECK(mkdtemp(pattern.data()) != nullptr);
  for (const char* folder : folders) std::filesystem::create_directories(pattern + "/" + folder);
  return pattern;
}
