// Fuzz target: LoadPlcText over any text file (code page 1250 or UTF-16
// with its mark), small tables and storages, and read sizes.
//
// Input: byte 0 the table's entries (0..31), byte 1 the storage size
// (0..255 bytes beyond the 100-byte reserve), byte 2 the language (one of
// the eight, or an unsupported id), byte 3 the bytes a read delivers
// (1..256); the rest is the file.
// Checks: a known result; every entry set points into the storage before
// its reserve at a NUL-terminated text; the reserve and the guard after
// the storage, the table and the buffer untouched; the file closed.
#include <stdint.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bridge/fsp.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_sandbox.h"
#include "host/services/file_services.h"
#include "vitals/plc_texts.h"

namespace {

constexpr uint8_t kGuard = 0xA5;
constexpr uint32_t kBufferSize = 8192;
constexpr uint32_t kLanguages[] = {5, 7, 9, 12, 14, 21, 25, 36, 10};

struct Setup {
  std::string root;
  host::FileServices* files;
  Setup() {
    root = MakeFuzzSandbox("plc", {"c/plc"});
    files = new host::FileServices(root);
    FspInitCopy(&files->table());
  }
};

uint32_t Address(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Setup setup;
  if (size < 4) return 0;
  uint32_t entries = data[0] % 32;
  uint32_t storage_size = data[1] + kPlcStorageReserve;
  uint32_t language = kLanguages[data[2] % 9];
  uint16_t block = static_cast<uint16_t>(data[3] + 1);
  const char* code = PlcLanguageCode(language);
  std::filesystem::remove_all(setup.root + "/c/plc");
  std::filesystem::create_directories(setup.root + "/c/plc");
  std::ofstream(setup.root + "/c/plc/PLCS_" + (code ? code : "XXX") + ".TXT", std::ios::binary)
      .write(reinterpret_cast<const char*>(data + 4), static_cast<std::streamsize>(size - 4));
  setup.files->ClearFaults();
  for (int i = 1; i <= 64; ++i) setup.files->ShortRead(i, block);

  std::vector<uint32_t> table(entries + 4, 0xDEADBEEF);
  std::vector<uint8_t> storage(storage_size + 16, kGuard);
  std::vector<uint8_t> buffer(kBufferSize + 16, kGuard);
  _LOADPLSTEXT record{34, Address(table.data()), entries, Address(storage.data()), storage_size,
                      Address("c:\\plc\\"), language, Address(buffer.data()), kBufferSize};
  int32_t result = LoadPlcTexts(&record);

  FUZZ_CHECK(result == 0 || result == -2 || result == -3 || result == -4 || result == -9 || result == -10 ||
             result == -11);
  uint32_t limit = storage_size - kPlcStorageReserve;
  for (uint32_t i = 0; i < entries; ++i) {
    if (table[i] == 0) continue;
    FUZZ_CHECK(table[i] >= Address(storage.data()) && table[i] < Address(storage.data()) + limit);
    uint32_t at = table[i] - Address(storage.data());
    while (at < limit && storage[at] != 0) ++at;
    FUZZ_CHECK(at < limit);
  }
  for (uint32_t i = entries; i < table.size(); ++i) FUZZ_CHECK(table[i] == 0xDEADBEEF);
  for (size_t i = limit; i < storage.size(); ++i) FUZZ_CHECK(storage[i] == kGuard);
  for (size_t i = kBufferSize; i < buffer.size(); ++i) FUZZ_CHECK(buffer[i] == kGuard);
  FUZZ_CHECK(setup.files->open_handles() == 0);
  return 0;
}
