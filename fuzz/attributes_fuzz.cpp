// Fuzz target: the attribute file "attrib.knf" through the file manager's
// reader, read through the host's file services as the library reads it.
//
// Input: the first byte picks the read block size the host delivers (1 to
// 256 bytes a read, to split lines anywhere); the rest is the file. The
// last line of the file is also looked up as a path.
// Checks: the table never holds more records than the lines counted for
// it; every record is 'R' or 'H' with a NUL-terminated path of at most 98
// characters; a lookup gives normal, protected or hidden, and a path
// holding "@INFO" or "@TIME" is always protected.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <filesystem>
#include <string>

#include "anvil/anvil_init.h"
#include "anvil/attributes.h"
#include "anvil/file_paths.h"
#include "bridge/fsp.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_sandbox.h"
#include "host/services/file_services.h"

// The library's export, linked in from anvil_init.cpp.
extern "C" uint32_t AnvilInit(const _ANVILINIT* record);

namespace {

struct Setup {
  std::string root;
  host::FileServices* files;
  std::vector<uint8_t> pool = std::vector<uint8_t>(1 << 22);
  _ANVILINIT init{};
  Setup() {
    root = MakeFuzzSandbox("attributes", {"c/system"});
    files = new host::FileServices(root);
    FspInitCopy(&files->table());
    init.size = sizeof init;
    init.pool_base = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(pool.data()));
    init.pool_size = static_cast<uint32_t>(pool.size());
    AnvilInit(&init);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Setup setup;
  if (size == 0) return 0;
  uint16_t block = static_cast<uint16_t>(data[0] % 256 + 1);
  std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  FILE* out = fopen((setup.root + "/c/system/attrib.knf").c_str(), "wb");
  fwrite(text.data(), 1, text.size(), out);
  fclose(out);
  for (int i = 1; i < 400; ++i) setup.files->ShortRead(i, block);
  anvil::AttributesLoad("c:\\system\\");
  setup.files->ClearFaults();
  FUZZ_CHECK(setup.files->open_handles() == 0);
  const anvil::AttributeTable* t = anvil::Attributes();
  FUZZ_CHECK(t->count <= t->capacity);
  for (uint32_t i = 0; i < t->count; ++i) {
    const uint8_t* r = t->records + i * anvil::kAttrRecordSize;
    FUZZ_CHECK(r[0] == 'R' || r[0] == 'H');
    FUZZ_CHECK(memchr(r + 1, '\0', anvil::kAttrPathMax + 1) != nullptr);
  }
  size_t cut = text.rfind('\n');
  std::string path = cut == std::string::npos ? text : text.substr(cut + 1);
  path = path.c_str();  // up to a NUL
  anvil::Attribute a = anvil::AttributeOfPath(path.c_str());
  FUZZ_CHECK(a == anvil::kAttrNormal || a == anvil::kAttrProtected || a == anvil::kAttrHidden);
  if (anvil::ContainsNoCase(path.c_str(), "@info") || anvil::ContainsNoCase(path.c_str(), "@time"))
    FUZZ_CHECK(a == anvil::kAttrProtected);
  return 0;
}
