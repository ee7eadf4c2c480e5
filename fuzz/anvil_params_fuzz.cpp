// Fuzz target: ParamsValuesConvert over any table, header and small buffer.
//
// Input: byte 0 the output buffer's size (0..255), byte 1 the bytes a read
// delivers (1..256); then the header line up to the first LF; the rest is
// the table.
// Checks: result 0 or 1; nothing written past the buffer; the text
// NUL-terminated inside it; an empty buffer untouched; the file closed.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "anvil/params_convert.h"
#include "bridge/fsp.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_sandbox.h"
#include "host/services/file_services.h"

namespace {

constexpr char kGuard = 0x5A;

struct Setup {
  std::string root;
  host::FileServices* files;
  Setup() {
    root = MakeFuzzSandbox("params", {"c"});
    files = new host::FileServices(root);
    FspInitCopy(&files->table());
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Setup setup;
  if (size < 2) return 0;
  uint32_t buffer_size = data[0];
  uint16_t block = static_cast<uint16_t>(data[1] + 1);
  std::string rest(reinterpret_cast<const char*>(data + 2), size - 2);
  size_t cut = rest.find('\n');
  std::string header = rest.substr(0, cut);
  std::ofstream(setup.root + "/c/t.tab", std::ios::binary)
      << (cut == std::string::npos ? std::string() : rest.substr(cut + 1));
  setup.files->ClearFaults();
  for (int i = 1; i <= 400; ++i) setup.files->ShortRead(i, block);

  std::vector<char> buffer(buffer_size + 16, kGuard);
  _PARAMS_CONVERT record{"c:\\t.tab", header.c_str(), buffer.data(), buffer_size};
  uint32_t result = anvil::ParamsConvert(&record);

  FUZZ_CHECK(result == 0 || result == 1);
  for (size_t i = buffer_size; i < buffer.size(); ++i) FUZZ_CHECK(buffer[i] == kGuard);
  if (buffer_size == 0) FUZZ_CHECK(result == 1);
  else FUZZ_CHECK(memchr(buffer.data(), 0, buffer_size) != nullptr);
  FUZZ_CHECK(setup.files->open_handles() == 0);
  return 0;
}
