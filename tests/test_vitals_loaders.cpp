// libVitals' loaders of service files: the CAN line 1 SDO requests from
// EDS_CAN1.KNF and its EDS files, and the PLC message texts, read through
// the host's file services of a sandbox, with every file call failing in
// turn. Guard bytes after every host buffer prove nothing is written past it.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "bridge/charset.h"
#include "bridge/fsp.h"
#include "host/services/host_memory.h"
#include "tests/support/sandbox.h"
#include "vitals/can_params.h"
#include "vitals/plc_texts.h"

using testing_support::Sandbox;

namespace {

constexpr uint8_t kGuardByte = 0xA5;
constexpr uint32_t kGuard = 64;

uint32_t Address(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }

bool GuardIntact(const std::vector<uint8_t>& bytes, size_t from) {
  for (size_t i = from; i < bytes.size(); ++i)
    if (bytes[i] != kGuardByte) return false;
  return true;
}

// --- LoadEDSCan1 ---------------------------------------------------------

struct CanRig {
  Sandbox box;
  host::HostMemory memory;
  std::vector<uint8_t> table;
  std::vector<uint8_t> buffer;
  const char* directory = "c:\\can\\";
  uint16_t capacity;

  explicit CanRig(uint16_t capacity_ = 64, uint32_t buffer_size = 8192)
      : table(capacity_ * sizeof(SDO_REQUEST) + kGuard, kGuardByte),
        buffer(buffer_size + kGuard, kGuardByte),
        capacity(capacity_) {
    FspInitCopy(&box.files().table());
    memory.Set<uint16_t>(kCan1Mode, 1);
    memory.Set<uint16_t>(kCan1SdoCapacity, capacity);
    memory.Set<uint16_t>(kCan1SdoCount, 999);
    memory.Set<uint32_t>(kCan1SdoTable, Address(table.data()));
  }
  uint32_t Load() {
    _LOADEDSCAN record{18, memory.address(), Address(directory), Address(buffer.data()),
                       static_cast<uint32_t>(buffer.size() - kGuard)};
    return LoadEdsCan1(&record);
  }
  // "node command index sub value" of every request written.
  std::vector<std::string> Requests() {
    std::vector<std::string> out;
    for (uint16_t i = 0; i < memory.Get<uint16_t>(kCan1SdoCount) && i < capacity; ++i) {
      SDO_REQUEST r;
      memcpy(&r, table.data() + i * sizeof r, sizeof r);
      EXPECT_EQ(r.zero, 0);
      EXPECT_EQ(r.length, 8);
      char text[64];
      snprintf(text, sizeof text, "%u %02X %04X %u %X", r.identifier - 0x600u, r.command, r.index, r.sub_index,
               r.value);
      out.push_back(text);
    }
    return out;
  }
  bool Intact() const { return GuardIntact(table, capacity * sizeof(SDO_REQUEST)) && GuardIntact(buffer, buffer.size() - kGuard); }
};

std::string Object(const char* header, const char* type, const char* access, const char* def, const char* value) {
  return std::string(header) + "\r\nParameterName=x\r\nDataType=" + type + "\r\nAccessType=" + access +
         "\r\nDefaultValue=" + def + "\r\nParameterValue=" + value + "\r\n";
}

const std::string kTypes = "[DeviceInfo]\r\n[2004]\r\nDataType=0x2\r\n[ManufacturerObjects]\r\n" +
                           Object("[2003]", "0x7", "rw", "0", "1") +            // at the limit: skipped
                           Object("[2004]", "0x2", "rw", "0", "-1") +           // INTEGER8
                           Object("[2005sub1]", "0x3", "RW", "0", "0x12345") +  // INTEGER16
                           Object("[2005SUB2]", "4", "rw", "0", "-2") +         // INTEGER32
                           Object("[2006]", "0x0005", "rw", "0", "300") +       // UNSIGNED8
                           Object("[2007]", "0x6", "rw", "0", "70000") +        // UNSIGNED16
                           Object("[2008]", "0x7", "rw", "0", "4294967297") +   // UNSIGNED32, low 32 bits
                           Object("[2009]", "0x8", "rw", "0", "1") +            // REAL32: not taken
                           Object("[200A]", "0x7", "ro", "0", "1") +            // not writable
                           Object("[200B]", "0x7", "rw", "$NODEID+0x80", "1") + // node-relative default
                           Object("[200C]", "0x7", "rw", "0x10", "16") +        // equal to the default
                           Object("[1000]", "0x7", "rw", "0", "7");             // inside: any index

TEST(CanParams, TypesMasksLimitsAndEntries) {
  std::string many;
  for (int n = 1; n <= 33; ++n) many += "EDSNAME_" + std::to_string(n) + "=one.eds\r\n";
  const std::string one = "[MANUFACTUREROBJECTS]\r\n" + Object("[3000]", "7", "rw", "0", "1");
  const std::string cut_key = "[ManufacturerObjects]\r\n[3000]\r\n" + std::string(75, 'X') +
                              "DataType=7\r\nAccessType=rw\r\nDefaultValue=0\r\nParameterValue=1\r\n";
  struct Case {
    const char* why;
    std::string knf;
    std::map<std::string, std::string> eds;
    uint32_t result;
    std::vector<std::string> requests;
    uint32_t delay;
  } cases[] = {
      {"types, masks, the default limit and the three states",
       "SDODELAY=25\r\nEDSNAME_5=drive.eds ; the drive\r\n", {{"DRIVE.EDS", kTypes}}, 0,
       {"5 2F 2004 0 FF", "5 2B 2005 1 2345", "5 23 2005 2 FFFFFFFE", "5 2F 2006 0 2C", "5 2B 2007 0 1170",
        "5 23 2008 0 1", "5 23 1000 0 7"},
       25},
      {"FIRSTSDOINDEX moves the limit: 0x2004 is skipped too",
       "FIRSTSDOINDEX=0x2004\r\nedsname_5 = drive.eds\r\n", {{"DRIVE.EDS", kTypes}}, 0,
       {"5 2B 2005 1 2345", "5 23 2005 2 FFFFFFFE", "5 2F 2006 0 2C", "5 2B 2007 0 1170", "5 23 2008 0 1",
        "5 23 1000 0 7"},
       0},
      {"at most 32 files; the node is four digits after the first _", many + "EDSNAME_12345=one.eds\r\n",
       {{"ONE.EDS", one}}, 0, {}, 0},
      {"node 0 and an entry without a file are ignored; a path is taken as it is",
       "EDSNAME_0=one.eds\r\nEDSNAME_7=\r\nEDSNAME_9=c:\\other\\one.eds\r\n", {{"..\\other\\ONE.EDS", one}}, 0,
       {"9 23 3000 0 1"}, 0},
      {"a key split by the 80-character cut is not found", "EDSNAME_1=one.eds\r\n", {{"ONE.EDS", cut_key}}, 0,
       {}, 0},
      {"no configuration file", "", {}, kCanNoConfiguration, {}, 0},
      {"a missing EDS file", "EDSNAME_1=none.eds\r\n", {}, kCanEdsMissing, {}, 0},
      {"an empty EDS file", "EDSNAME_1=one.eds\r\n", {{"ONE.EDS", ""}}, kCanEdsMissing, {}, 0},
  };
  for (int n = 1; n <= 32; ++n) cases[2].requests.push_back(std::to_string(n) + " 23 3000 0 1");
  for (const Case& c : cases) {
    CanRig rig;
    if (!c.knf.empty()) rig.box.Write("c:\\can\\EDS_CAN1.KNF", c.knf);
    for (const auto& [name, text] : c.eds)
      rig.box.Write(name.rfind("..", 0) == 0 ? "c:\\" + name.substr(3) : "c:\\can\\" + name, text);
    EXPECT_EQ(rig.Load(), c.result) << c.why;
    EXPECT_EQ(rig.Requests(), c.requests) << c.why;
    EXPECT_EQ(rig.memory.Get<uint32_t>(kCan1SdoDelay), c.delay) << c.why;
    EXPECT_TRUE(rig.Intact()) << c.why;
    EXPECT_EQ(rig.box.files().open_handles(), 0) << c.why;
  }
}

TEST(CanParams, TableCapacityModeAndBufferSize) {
  const std::string three =
      "[ManufacturerObjects]\r\n" + Object("[3000]", "7", "rw", "0", "1") + Object("[3001]", "7", "rw", "0", "2") +
      Object("[3002]", "7", "rw", "0", "3");
  const std::string knf = "EDSNAME_1=a.eds\r\n";
  struct Case {
    const char* why;
    uint16_t capacity, mode;
    uint32_t buffer, result, count;
  } cases[] = {
      {"a table exactly large enough", 3, 1, 4096, 0, 3},
      {"a table one short drops a request: 6", 2, 1, 4096, kCanTableFull, 2},
      {"no table", 0, 1, 4096, kCanTableFull, 0},
      {"line 1 not in mode 1", 3, 2, 4096, kCanNotMode1, 999},
      {"the EDS file needs its size + 501 bytes", 3, 1, static_cast<uint32_t>(three.size()) + 501, 0, 3},
      {"size + 500 is too small", 3, 1, static_cast<uint32_t>(three.size()) + 500, kCanTooLarge, 0},
      {"the configuration too large", 3, 1, 10, kCanTooLarge, 0},
  };
  for (const Case& c : cases) {
    CanRig rig(c.capacity, c.buffer);
    rig.memory.Set<uint16_t>(kCan1Mode, c.mode);
    rig.box.Write("c:\\can\\EDS_CAN1.KNF", knf);
    rig.box.Write("c:\\can\\A.EDS", three);
    EXPECT_EQ(rig.Load(), c.result) << c.why;
    EXPECT_EQ(rig.memory.Get<uint16_t>(kCan1SdoCount), c.count) << c.why;
    EXPECT_TRUE(rig.Intact()) << c.why;
    EXPECT_EQ(rig.box.files().open_handles(), 0) << c.why;
  }
}

TEST(CanParams, EveryFileCallFailingInTurn) {
  // Calls: open KNF, reads of it, close; open EDS, reads, close.
  const std::string eds = "[ManufacturerObjects]\r\n" + Object("[3000]", "7", "rw", "0", "1") + std::string(1200, ';');
  for (int slot : {kFspOpen, kFspRead, kFspClose})
    for (int nth = 1; nth <= 5; ++nth)
      for (bool dispatch : {false, true}) {
        CanRig rig;
        rig.box.Write("c:\\can\\EDS_CAN1.KNF", "EDSNAME_1=a.eds\r\n");
        rig.box.Write("c:\\can\\A.EDS", eds);
        if (dispatch) rig.box.files().FailDispatch(slot, nth);
        else rig.box.files().FailCall(slot, nth, -3);
        uint32_t result = rig.Load();
        std::string why = std::to_string(slot) + "/" + std::to_string(nth) + (dispatch ? " dispatch" : "");
        bool fired = rig.box.files().calls(slot) >= nth;
        uint32_t expected = 0;
        if (fired && slot == kFspOpen) expected = nth == 1 ? kCanNoConfiguration : kCanEdsMissing;
        // The short configuration arrives in one read (status 1).
        if (fired && slot == kFspRead) expected = nth == 1 ? kCanTooLarge : kCanEdsUnreadable;
        EXPECT_EQ(result, expected) << why;
        EXPECT_EQ(rig.Requests().size(), expected == 0 ? 1u : 0u) << why;
        EXPECT_EQ(rig.box.files().calls(kFspClose), rig.box.files().calls(kFspOpen) - (slot == kFspOpen && fired))
            << why;
        EXPECT_TRUE(rig.Intact()) << why;
      }
}

// --- LoadPlcText ---------------------------------------------------------

struct PlcRig {
  Sandbox box;
  std::vector<uint32_t> table;
  std::vector<uint8_t> storage;
  std::vector<uint8_t> buffer = std::vector<uint8_t>(4096 + kGuard, kGuardByte);
  uint32_t storage_size;

  PlcRig(uint32_t entries, uint32_t storage_size_)
      : table(entries + 4, 0xDEADBEEF), storage(storage_size_ + kGuard, kGuardByte), storage_size(storage_size_) {
    FspInitCopy(&box.files().table());
  }
  int32_t Load(uint32_t language) {
    _LOADPLSTEXT record{34, Address(table.data()), static_cast<uint32_t>(table.size() - 4), Address(storage.data()),
                        storage_size, Address("c:\\plc\\"), language, Address(buffer.data()), 4096};
    return LoadPlcTexts(&record);
  }
  std::map<uint32_t, std::string> Texts() const {
    std::map<uint32_t, std::string> out;
    for (uint32_t i = 0; i + 4 < table.size(); ++i)
      if (table[i] != 0) out[i] = reinterpret_cast<const char*>(static_cast<uintptr_t>(table[i]));
    for (size_t i = table.size() - 4; i < table.size(); ++i) EXPECT_EQ(table[i], 0xDEADBEEFu);
    return out;
  }
  bool Intact() const {
    return GuardIntact(storage, storage_size) && GuardIntact(buffer, 4096);
  }
};

std::string Zorv(const std::string& cp1250) {
  std::string out;
  for (char c : cp1250) out += static_cast<char>(ZorvFromCp1250(static_cast<uint8_t>(c)));
  return out;
}

TEST(PlcTexts, EntriesEscapesAndLimits) {
  struct Case {
    const char* why;
    std::string file;
    uint32_t entries, storage;
    int32_t result;
    std::map<uint32_t, std::string> texts;
  } cases[] = {
      {"every escape", "$TXT 1\r\n1 \"a\\\"b\\\\c\\nd\\re\\tf\\x41\\x7eg\\qh\\x4Gi\\xj\"", 8, 1000, 0,
       {{1, "a\"b\\c\nd\re\tfA~ghi"}}},
      {"continued strings; a comment ends the entry", "junk $TXT\r\n 1\r\n1 \"Torch\"\r\n  \" holder\"\r\n"
       "2 ; why\r\n \"A\" ; more\r\n \"B\"\r\n3\"C\"\"D\"", 8, 1000, 0,
       {{1, "Torch holder"}, {2, "A"}, {3, "CD"}}},
      {"numbers beyond the table and of five digits are skipped whole",
       "$TXT 1 8 \"x 3 \\\"y\\\" 4 \" 00001 \"five\" 7 \"ok\" 9 \"\"", 8, 1000, 0, {{7, "ok"}}},
      {"an unterminated last string stays as copied", "$TXT 1 2 \"open", 8, 1000, 0, {{2, "open"}}},
      {"ten characters fit a storage of 111", "$TXT 1 1 \"abcdefghij\"", 8, 111, 0, {{1, "abcdefghij"}}},
      {"not 110: the last 100 bytes stay free", "$TXT 1 1 \"abcdefghij\"", 8, 110, kPlcStorageFull,
       {{1, "abcdefghi"}}},
      {"no header", "TXT 1 1 \"a\"", 8, 1000, kPlcBadVersion, {}},
      {"version 2", "$TXT 2 1 \"a\"", 8, 1000, kPlcBadVersion, {}},
  };
  for (const Case& c : cases) {
    PlcRig rig(c.entries, c.storage);
    rig.box.Write("c:\\plc\\PLCS_ENG.TXT", c.file);
    EXPECT_EQ(rig.Load(9), c.result) << c.why;
    EXPECT_EQ(rig.Texts(), c.texts) << c.why;
    EXPECT_TRUE(rig.Intact()) << c.why;
    EXPECT_EQ(rig.box.files().open_handles(), 0) << c.why;
  }
}

TEST(PlcTexts, EveryLanguageAndBothEncodings) {
  const std::string czech_cp1250 = "\xC8" "as \x9Elu\x9D";  // Cas, zlut with their accents
  const std::u16string czech_utf16 = u"$TXT 1 4 \"\u010Cas \u017Elu\u0165\"";
  std::string utf16 = "\xFF\xFE";
  for (char16_t c : czech_utf16) utf16 += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  const std::pair<uint32_t, const char*> languages[] = {{5, "CZE"},  {7, "GER"},  {9, "ENG"},  {12, "FRE"},
                                                        {14, "HUN"}, {21, "POL"}, {25, "RUS"}, {36, "SLO"}};
  for (const auto& [id, code] : languages) {
    for (bool unicode : {false, true}) {
      PlcRig rig(8, 1000);
      rig.box.Write(std::string("c:\\plc\\PLCS_") + code + ".TXT",
                    unicode ? utf16 : "$TXT 1 4 \"" + czech_cp1250 + "\"");
      EXPECT_EQ(rig.Load(id), 0) << code;
      EXPECT_EQ(rig.Texts(), (std::map<uint32_t, std::string>{{4, Zorv(czech_cp1250)}})) << code << unicode;
    }
  }
  PlcRig rig(8, 1000);
  EXPECT_EQ(rig.Load(10), kPlcBadLanguage);
  EXPECT_EQ(rig.box.files().calls(kFspOpen), 0);
  EXPECT_TRUE(rig.Texts().empty()) << "the table is cleared first";
}

TEST(PlcTexts, FileFailures) {
  struct Case {
    const char* why;
    int slot, nth;
    bool dispatch;
    std::string file;
    int32_t result;
  } cases[] = {
      {"no file", -1, 0, false, "", kPlcOpenFailed},
      {"an empty file", -1, 0, false, "=", kPlcEmptyOrTooLarge},
      {"a file that leaves no 500 spare bytes", -1, 0, false, std::string(3596, ' '), kPlcEmptyOrTooLarge},
      {"open fails", kFspOpen, 1, false, "$TXT 1", kPlcOpenFailed},
      {"open's dispatch fails", kFspOpen, 1, true, "$TXT 1", kPlcOpenFailed},
      {"the first read fails", kFspRead, 1, false, "$TXT 1", kPlcReadFailed},
      {"the second read fails", kFspRead, 2, true, "$TXT 1" + std::string(600, ' '), kPlcReadFailed},
      {"a failed close loses nothing", kFspClose, 1, false, "$TXT 1", kPlcLoaded},
      {"short reads with status 0 are not the end", -2, 0, false, "$TXT 1 3 \"" + std::string(700, 'w') + "\"",
       kPlcLoaded},
  };
  for (const Case& c : cases) {
    PlcRig rig(8, 1000);
    if (c.file == "=") rig.box.Write("c:\\plc\\PLCS_ENG.TXT", "");
    else if (!c.file.empty()) rig.box.Write("c:\\plc\\PLCS_ENG.TXT", c.file);
    if (c.slot == -2) {
      for (int i = 1; i <= 300; ++i) rig.box.files().ShortRead(i, 7);
    } else if (c.slot >= 0) {
      if (c.dispatch) rig.box.files().FailDispatch(c.slot, c.nth);
      else rig.box.files().FailCall(c.slot, c.nth, -3);
    }
    EXPECT_EQ(rig.Load(9), c.result) << c.why;
    if (c.slot == -2) {
      EXPECT_EQ(rig.Texts(), (std::map<uint32_t, std::string>{{3, std::string(700, 'w')}})) << c.why;
    }
    EXPECT_EQ(rig.box.files().calls(kFspClose), rig.box.files().calls(kFspOpen) - (c.slot == kFspOpen || c.file.empty()))
        << c.why;
    EXPECT_TRUE(rig.Intact()) << c.why;
  }
}

}  // namespace
