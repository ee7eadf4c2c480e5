// Fuzz target: LoadEDSCan1 over any EDS_CAN1.KNF and EDS files, request
// table capacities, file buffer sizes and read sizes.
//
// Input: byte 0 the table's capacity (0..31), byte 1 the file buffer size
// (in 64-byte steps), byte 2 the bytes a read delivers (1..256); the rest
// is the configuration file, then the EDS files E1.EDS, E2.EDS, ... each
// after a line "#--".
// Checks: a known result; no more requests than the capacity, each one an
// SDO expedited download of a node 1..9999 with its value masked to its
// size; nothing written past the table or the buffer; every file closed.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bridge/fsp.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_sandbox.h"
#include "host/services/file_services.h"
#include "host/services/host_memory.h"
#include "vitals/can_params.h"

namespace {

constexpr uint8_t kGuard = 0xA5;
constexpr size_t kGuardBytes = 32;

struct Setup {
  std::string root;
  host::FileServices* files;
  host::HostMemory memory;
  Setup() {
    root = MakeFuzzSandbox("can", {});
    files = new host::FileServices(root);
    FspInitCopy(&files->table());
  }
};

uint32_t Address(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Setup setup;
  if (size < 3) return 0;
  uint16_t capacity = data[0] % 32;
  uint32_t buffer_size = (data[1] + 1u) * 64;
  uint16_t block = static_cast<uint16_t>(data[2] + 1);
  std::string rest(reinterpret_cast<const char*>(data + 3), size - 3);

  std::filesystem::remove_all(setup.root + "/c");
  std::filesystem::create_directories(setup.root + "/c/can");
  for (int k = 0;; ++k) {
    size_t cut = rest.find("#--\n");
    std::string name = k == 0 ? "EDS_CAN1.KNF" : "E" + std::to_string(k) + ".EDS";
    std::ofstream(setup.root + "/c/can/" + name, std::ios::binary) << rest.substr(0, cut);
    if (cut == std::string::npos) break;
    rest = rest.substr(cut + 4);
  }
  setup.files->ClearFaults();
  for (int i = 1; i <= 64; ++i) setup.files->ShortRead(i, block);

  std::vector<uint8_t> table(capacity * sizeof(SDO_REQUEST) + kGuardBytes, kGuard);
  std::vector<uint8_t> buffer(buffer_size + kGuardBytes, kGuard);
  host::HostMemory& memory = setup.memory;
  memory.Set<uint16_t>(kCan1Mode, 1);
  memory.Set<uint16_t>(kCan1SdoCapacity, capacity);
  memory.Set<uint16_t>(kCan1SdoCount, 0xFFFF);
  memory.Set<uint32_t>(kCan1SdoTable, Address(table.data()));
  const char* directory = "c:\\can\\";
  _LOADEDSCAN record{18, memory.address(), Address(directory), Address(buffer.data()), buffer_size};
  uint32_t result = LoadEdsCan1(&record);

  FUZZ_CHECK(result <= kCanTableFull && result != kCanNotMode1);
  uint16_t count = memory.Get<uint16_t>(kCan1SdoCount);
  FUZZ_CHECK(count <= capacity);
  for (uint16_t i = 0; i < count; ++i) {
    SDO_REQUEST r;
    memcpy(&r, table.data() + i * sizeof r, sizeof r);
    FUZZ_CHECK(r.identifier > 0x600 && r.identifier <= 0x600 + 9999);
    FUZZ_CHECK(r.zero == 0 && r.length == 8);
    FUZZ_CHECK(r.command == 0x2F || r.command == 0x2B || r.command == 0x23);
    if (r.command == 0x2F) FUZZ_CHECK(r.value <= 0xFF);
    if (r.command == 0x2B) FUZZ_CHECK(r.value <= 0xFFFF);
  }
  for (size_t i = capacity * sizeof(SDO_REQUEST); i < table.size(); ++i) FUZZ_CHECK(table[i] == kGuard);
  for (size_t i = buffer_size; i < buffer.size(); ++i) FUZZ_CHECK(buffer[i] == kGuard);
  FUZZ_CHECK(setup.files->open_handles() == 0);
  return 0;
}
