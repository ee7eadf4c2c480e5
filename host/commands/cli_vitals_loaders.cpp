// hostsim can-params | plc-texts: libVitals' loaders of service files.
//
//   can-params  LoadEDSCan1 on a folder with EDS_CAN1.KNF and its EDS files:
//               the SDO requests, the SDO delay and the result
//   plc-texts   LoadPlcText on a folder with PLCS_<code>.TXT: each text as
//               UTF-8 and the result
#include <stdio.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host/commands/command.h"
#include "host/screen/text.h"
#include "host/services/file_services.h"
#include "host/services/host_memory.h"
#include "host/services/loader.h"
#include "host/services/sandbox_folder.h"
#include "vitals/can_params.h"
#include "vitals/plc_texts.h"

namespace host {
namespace {

namespace fs = std::filesystem;

// libVitals with its file services over a sandbox whose c:\files\ holds a
// copy of the given folder.
struct VitalsFileRig {
  SandboxFolder sandbox{"vitals-files"};
  FileServices files{sandbox.root()};
  Library library;
  std::string directory = "c:\\files\\";

  explicit VitalsFileRig(const std::string& folder) {
    if (!fs::is_directory(folder)) throw HostError(folder + ": not a folder");
    std::error_code ec;
    fs::copy(folder, sandbox.MakeDir("c/files"), fs::copy_options::recursive, ec);
    if (ec) throw HostError(folder + ": " + ec.message());
    std::string error;
    if (!library.Open(LibraryPath("Vitals"), &error)) throw HostError(error);
    auto fsp_init = library.Bind<int (*)(const FSP_INIT_PARAMS*)>("FSPInit");
    if (fsp_init == nullptr) throw HostError("the Vitals library lacks FSPInit");
    fsp_init(&files.table());
  }
  template <typename Fn>
  Fn Export(const char* name) {
    Fn fn = library.Bind<Fn>(name);
    if (fn == nullptr) throw HostError(std::string("the Vitals library lacks ") + name);
    return fn;
  }
};

uint32_t Address(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }

const char* CanMeaning(uint32_t result) {
  switch (result) {
    case kCanLoaded: return "loaded";
    case kCanNoConfiguration: return "EDS_CAN1.KNF cannot be opened or is empty";
    case kCanNotMode1: return "CAN line 1 is not in mode 1";
    case kCanTooLarge: return "a file does not fit into the buffer or cannot be read";
    case kCanEdsMissing: return "an EDS file cannot be opened or is empty";
    case kCanEdsUnreadable: return "an EDS file cannot be read";
    case kCanTableFull: return "the request table is full";
    default: return "unknown result";
  }
}

int CanParams(const ParsedArgs& args) {
  VitalsFileRig rig(args.Text("DIR"));
  auto load = rig.Export<uint32_t (*)(_LOADEDSCAN*)>("LoadEDSCan1");
  HostMemory memory;
  std::vector<SDO_REQUEST> table(static_cast<size_t>(args.Int("--capacity")) + 1);
  std::vector<uint8_t> buffer(static_cast<size_t>(args.Int("--buffer")));
  memory.Set<uint16_t>(kCan1Mode, static_cast<uint16_t>(args.Int("--mode")));
  memory.Set<uint16_t>(kCan1SdoCapacity, static_cast<uint16_t>(args.Int("--capacity")));
  memory.Set<uint32_t>(kCan1SdoTable, Address(table.data()));
  _LOADEDSCAN record{sizeof record, memory.address(), Address(rig.directory.c_str()), Address(buffer.data()),
                     static_cast<uint32_t>(buffer.size())};
  uint32_t result = load(&record);
  uint16_t count = memory.Get<uint16_t>(kCan1SdoCount);
  printf("requests %u\n", count);
  for (uint16_t i = 0; i < count && i < table.size(); ++i) {
    const SDO_REQUEST& r = table[i];
    printf("  id 0x%03X node %u command 0x%02X index 0x%04X sub %u value 0x%08X (%d)\n", r.identifier,
           r.identifier - 0x600u, r.command, r.index, r.sub_index, r.value, static_cast<int32_t>(r.value));
  }
  printf("SDO delay %u\nresult %u (%s)\n", memory.Get<uint32_t>(kCan1SdoDelay), result, CanMeaning(result));
  return result == kCanLoaded ? kExitOk : LibraryFailure(CanMeaning(result));
}

const char* PlcMeaning(int32_t result) {
  switch (result) {
    case kPlcLoaded: return "loaded";
    case kPlcOpenFailed: return "the file cannot be opened";
    case kPlcEmptyOrTooLarge: return "the file is empty or does not fit";
    case kPlcReadFailed: return "reading the file failed";
    case kPlcBadLanguage: return "unsupported language";
    case kPlcBadVersion: return "no $TXT header with version 1";
    case kPlcStorageFull: return "the text storage is full";
    default: return "unknown result";
  }
}

int PlcTexts(const ParsedArgs& args) {
  VitalsFileRig rig(args.Text("DIR"));
  auto load = rig.Export<int32_t (*)(_LOADPLSTEXT*)>("LoadPlcText");
  std::vector<uint32_t> table(static_cast<size_t>(args.Int("--entries")));
  std::vector<uint8_t> storage(static_cast<size_t>(args.Int("--storage")));
  std::vector<uint8_t> buffer(static_cast<size_t>(args.Int("--buffer")));
  _LOADPLSTEXT record{sizeof record,
                      Address(table.data()),
                      static_cast<uint32_t>(table.size()),
                      Address(storage.data()),
                      static_cast<uint32_t>(storage.size()),
                      Address(rig.directory.c_str()),
                      static_cast<uint32_t>(args.Int("--lang")),
                      Address(buffer.data()),
                      static_cast<uint32_t>(buffer.size())};
  int32_t result = load(&record);
  for (size_t i = 0; i < table.size(); ++i) {
    if (table[i] == 0) continue;
    const char* text = reinterpret_cast<const char*>(static_cast<uintptr_t>(table[i]));
    std::string shown;
    for (char c : ZorvToUtf8(text)) shown += c == '\n' ? std::string("\\n") : c == '\r' ? "\\r" : std::string(1, c);
    printf("%4zu \"%s\"\n", i, shown.c_str());
  }
  printf("result %d (%s)\n", result, PlcMeaning(result));
  return result == kPlcLoaded ? kExitOk : LibraryFailure(PlcMeaning(result));
}

CommandRegistration can_params_command({"can-params", "builds the CAN line 1 SDO requests with Vitals' LoadEDSCan1", {
    Positional("DIR", "folder with EDS_CAN1.KNF and its EDS files"),
    Int("--mode", 0, 65535, "1", "CAN line 1 mode in host memory"),
    Int("--capacity", 0, 65535, "64", "entries of the SDO request table"),
    Int("--buffer", 0, 16 << 20, "65536", "size of the file buffer in bytes"),
}, CanParams});

CommandRegistration plc_texts_command({"plc-texts", "loads the PLC message texts with Vitals' LoadPlcText", {
    Positional("DIR", "folder with PLCS_<language>.TXT"),
    Int("--lang", 0, 255, "9", "language id (5, 7, 9, 12, 14, 21, 25 or 36)"),
    Int("--entries", 0, 65536, "1000", "entries of the text pointer table"),
    Int("--storage", 0, 16 << 20, "65536", "size of the text storage in bytes"),
    Int("--buffer", 0, 16 << 20, "65536", "size of the file buffer in bytes"),
}, PlcTexts});

}  // namespace
}  // namespace host
