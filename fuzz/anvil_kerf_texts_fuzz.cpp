// Fuzz target: ReadKerfTexts over any program and read size.
//
// Input: byte 0 the bytes a read delivers (1..256, to split lines and
// CR LF pairs anywhere); the rest is the program.
// Checks: a known result; nothing written outside the index and the
// store (guards before the index and after the store); every stored index
// entry inside the store and not below the one before it; both files
// closed; the copy exists unless the program could not be read at all.
#include <stdint.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "anvil/kerf_texts.h"
#include "bridge/fsp.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_sandbox.h"
#include "host/services/file_services.h"

namespace {

constexpr uint8_t kGuard = 0xA5;
constexpr uint32_t kGuardBytes = 4096;

struct Setup {
  std::string root;
  host::FileServices* files;
  std::vector<uint8_t> shared = std::vector<uint8_t>(kKerfTextStore + kKerfTextStoreBytes + kGuardBytes, kGuard);
  Setup() {
    root = MakeFuzzSandbox("kerf-texts", {"c"});
    files = new host::FileServices(root);
    FspInitCopy(&files->table());
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Setup setup;
  if (size == 0) return 0;
  uint16_t block = static_cast<uint16_t>(data[0] + 1);
  std::ofstream(setup.root + "/c/part.knf", std::ios::binary)
      .write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
  setup.files->ClearFaults();
  for (int i = 1; i <= 2000; ++i) setup.files->ShortRead(i, block);
  std::vector<uint8_t>& shared = setup.shared;
  std::fill(shared.begin() + kKerfTextIndex - kGuardBytes, shared.end(), kGuard);

  _KERFTEXTS record{6, "c:\\part.knf"};
  uint32_t result = anvil::ReadKerfTextsInto(&record, shared.data());

  FUZZ_CHECK(result == 0 || result == 3 || result == 4 || result == 100 || result == 101);
  for (uint32_t i = kKerfTextIndex - kGuardBytes; i < kKerfTextIndex; ++i) FUZZ_CHECK(shared[i] == kGuard);
  for (size_t i = kKerfTextStore + kKerfTextStoreBytes; i < shared.size(); ++i) FUZZ_CHECK(shared[i] == kGuard);
  uint32_t previous = kKerfTextIndexBias;
  for (uint32_t k = 0; k < kKerfTextIndexEntries; ++k) {
    uint32_t entry = shared[kKerfTextIndex + 2 * k] | shared[kKerfTextIndex + 2 * k + 1] << 8;
    if (entry == (kGuard | kGuard << 8)) break;
    FUZZ_CHECK(entry >= previous && entry <= kKerfTextIndexBias + kKerfTextStoreBytes);
    previous = entry;
  }
  FUZZ_CHECK(setup.files->open_handles() == 0);
  FUZZ_CHECK(std::filesystem::exists(setup.root + "/c/part.TMP"));
  std::filesystem::remove(setup.root + "/c/part.TMP");
  return 0;
}
