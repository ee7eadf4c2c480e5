// libAnvil.so loaded the way the control loads it, with the host's side of
// _ANVILINIT: the pool in the host's block, messages in the host's message
// word, the record kept whole, the exports and Anvil's string tables.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "anvil/memory_pool.h"
#include "host/services/anvil_host.h"
#include "tests/support/scale.h"
#include "host/services/loader.h"
#include "host/screen/text.h"
#include "tests/support/sandbox.h"
#include "tests/test_pool_model.h"

namespace {

using pool_test::Model;
using pool_test::ReadWord;
using pool_test::Snapshot;

class AnvilLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(lib.Open(testing_support::LibraryFile("Anvil"), &error)) << error;
    alloc = lib.Bind<uint32_t (*)(uint32_t)>("MemoryAlloc");
    free_ = lib.Bind<uint32_t (*)(uint32_t)>("MemoryFree");
    init = lib.Bind<uint32_t (*)(const _ANVILINIT*)>("AnvilInit");
    get = lib.Bind<const char* (*)(uint32_t)>("GetLocString");
    select = lib.Bind<int (*)(void*, uint32_t)>("LocalizationInit");
    ASSERT_TRUE(alloc && free_ && init && get && select);
  }

  Snapshot Read(host::AnvilHost& h) {
    Snapshot s;
    EXPECT_EQ(pool_test::ReadPool(h.pool_address(), &s), "");
    return s;
  }

  host::Library lib;
  uint32_t (*alloc)(uint32_t) = nullptr;
  uint32_t (*free_)(uint32_t) = nullptr;
  uint32_t (*init)(const _ANVILINIT*) = nullptr;
  const char* (*get)(uint32_t) = nullptr;
  int (*select)(void*, uint32_t) = nullptr;
};

TEST_F(AnvilLibrary, ExportsItsInterfaceAndHidesThePool) {
  const auto& exports = lib.exports();
  for (const char* name : {"AnvilInit", "MemoryAlloc", "MemoryFree", "FSPInit", "LocalizationInit",
                           "GetLocString"})
    EXPECT_EQ(exports.count(name), 1u) << name;
  for (auto& [name, symbol] : exports) {
    EXPECT_EQ(name.find("Pool"), std::string::npos) << name;
    EXPECT_EQ(name.rfind("anvil::", 0), std::string::npos) << name;
    EXPECT_NE(name, "AnvilAlloc");
    EXPECT_NE(name, "AnvilRecord");
    EXPECT_NE(name, "LocText");
  }
}

TEST_F(AnvilLibrary, InitLaysThePoolOutInTheHostsBlock) {
  host::AnvilHost h(10000);
  EXPECT_EQ(h.Initialise(lib), 0);
  EXPECT_EQ(ReadWord(h.pool_address()), 10000u);
  EXPECT_EQ(ReadWord(h.pool_address() + 4), h.pool_address() + 12);
  EXPECT_EQ(Read(h).free, (std::map<uint32_t, uint32_t>{{12, 9988}}));

  uint32_t a = alloc(100), b = alloc(0);
  ASSERT_NE(a, 0u);
  EXPECT_EQ(a, h.pool_address() + 24);
  EXPECT_EQ(b, a + 100 + 12);
  memset(reinterpret_cast<void*>(static_cast<uintptr_t>(a)), 0x77, 100);
  Snapshot s = Read(h);
  EXPECT_EQ(s.used.size(), 2u);
  EXPECT_EQ(free_(a), 0u);
  EXPECT_EQ(free_(b), 0u);
  EXPECT_EQ(Read(h).free, (std::map<uint32_t, uint32_t>{{12, 9988}}));
  EXPECT_TRUE(h.PoolGuardIntact());
}

TEST_F(AnvilLibrary, MessagesReachTheHostsMessageWord) {
  host::AnvilHost h(1000);
  h.Initialise(lib);
  EXPECT_NE(alloc(10), 0u);
  EXPECT_EQ(h.message(), anvil::kMessageLowMemory);  // a 1000-byte pool is always low
  h.ClearMessage();
  EXPECT_EQ(alloc(5000), 0u);
  EXPECT_EQ(h.message(), anvil::kMessageOutOfMemory);
}

TEST_F(AnvilLibrary, SmallPoolsNeverWritePastTheHostsBlock) {
  for (uint32_t size = 13; size < 24; ++size) {
    host::AnvilHost h(size);
    h.Initialise(lib);
    EXPECT_TRUE(h.PoolGuardIntact()) << size;
    EXPECT_EQ(ReadWord(h.pool_address()), size);
    EXPECT_EQ(alloc(0), 0u);
    EXPECT_EQ(h.message(), anvil::kMessageOutOfMemory);
    EXPECT_TRUE(h.PoolGuardIntact()) << size;
  }
}

TEST_F(AnvilLibrary, ReinitialisingForgetsEarlierAllocations) {
  host::AnvilHost h(5000);
  h.Initialise(lib);
  uint32_t a = alloc(300);
  ASSERT_NE(a, 0u);
  h.Initialise(lib);
  EXPECT_TRUE(Read(h).used.empty());
  EXPECT_EQ(free_(a), 0u);  // no longer handed out: ignored
  EXPECT_EQ(Read(h).free, (std::map<uint32_t, uint32_t>{{12, 4988}}));
}

TEST_F(AnvilLibrary, RefusedPoolKeepsThePreviousOne) {
  host::AnvilHost h(5000);
  h.Initialise(lib);
  uint32_t a = alloc(300);
  host::AnvilHost other(5000);
  other.record().pool_base = 0;
  EXPECT_EQ(other.Initialise(lib), 0);
  // The pool is still h's block; messages now go to the other host's word.
  uint32_t b = alloc(10);
  EXPECT_EQ(b, a + 300 + 12);
  EXPECT_EQ(other.message(), anvil::kMessageLowMemory);
  EXPECT_EQ(h.message(), anvil::kMessageLowMemory);  // from the first allocation only
  free_(a);
  free_(b);
  EXPECT_EQ(Read(h).free, (std::map<uint32_t, uint32_t>{{12, 4988}}));
}

// Fields past the size the host declares are not read: here the message
// word lies beyond a 10-byte record, so failures raise nothing.
TEST_F(AnvilLibrary, RecordIsTakenOnlyAsFarAsItsDeclaredSize) {
  host::AnvilHost h(1000);
  h.record().size = 10;
  EXPECT_EQ(h.Initialise(lib), 0);
  EXPECT_EQ(ReadWord(h.pool_address()), 1000u);
  EXPECT_EQ(alloc(5000), 0u);
  EXPECT_EQ(h.message(), 0);
  EXPECT_EQ(init(nullptr), 0u);  // a null record changes nothing
  EXPECT_NE(alloc(10), 0u);
}

TEST_F(AnvilLibrary, WrongFreesThroughTheExportAreIgnored) {
  host::AnvilHost h(2000);
  h.Initialise(lib);
  uint32_t a = alloc(100), b = alloc(100);
  free_(b);
  std::vector<uint8_t> before(h.pool(), h.pool() + 2000);
  for (uint32_t wrong : {0u, b, a + 4, h.pool_address(), h.pool_address() + 3000, 0xFFFFFFF0u}) {
    EXPECT_EQ(free_(wrong), 0u);
    EXPECT_EQ(std::vector<uint8_t>(h.pool(), h.pool() + 2000), before) << wrong;
  }
  EXPECT_EQ(h.message(), anvil::kMessageLowMemory);
  free_(a);
  EXPECT_EQ(Read(h).free, (std::map<uint32_t, uint32_t>{{12, 1988}}));
}

// The same random walk as the inner test, through the exports: the lists in
// the host's block must match the model after every call.
TEST_F(AnvilLibrary, RandomSequencesThroughTheExportsMatchTheModel) {
  std::mt19937 rng(7);
  for (int sequence = 0; sequence < testing_support::Scaled(300); ++sequence) {
    uint32_t size = 24 + static_cast<uint32_t>(rng() % 4000);
    host::AnvilHost h(size);
    h.Initialise(lib);
    Model model;
    model.Format(size);
    std::vector<uint32_t> live;
    for (int step = 0; step < 80; ++step) {
      h.ClearMessage();
      if (rng() % 2 || live.empty()) {
        uint32_t n = static_cast<uint32_t>(rng() % (rng() % 4 ? 100 : size));
        bool low = false;
        uint32_t expected = model.Alloc(n, &low);
        uint32_t got = alloc(n);
        ASSERT_EQ(got, expected ? h.pool_address() + expected : 0u);
        EXPECT_EQ(h.message(), got ? (low ? anvil::kMessageLowMemory : 0) : anvil::kMessageOutOfMemory);
        if (got) live.push_back(got);
      } else {
        size_t i = rng() % live.size();
        model.Free(live[i] - h.pool_address());
        EXPECT_EQ(free_(live[i]), 0u);
        free_(live[i]);  // a second free is ignored
        live.erase(live.begin() + static_cast<long>(i));
      }
      Snapshot s;
      ASSERT_EQ(pool_test::ReadPool(h.pool_address(), &s), "");
      ASSERT_EQ(model.Compare(s, model.counter), "");
    }
    ASSERT_TRUE(h.PoolGuardIntact());
  }
}

TEST(AnvilHostSide, WharfEntriesGoToTheirSlots) {
  host::AnvilHost h(100);
  std::map<std::string, void*> wharf = {
      {"wharfCont", reinterpret_cast<void*>(0x1000)}, {"wharfListWEx", reinterpret_cast<void*>(0x2000)},
      {"wharfPWDEx", reinterpret_cast<void*>(0x3000)}, {"wharfRetrEx", reinterpret_cast<void*>(0x4000)},
      {"wharfStorEx", reinterpret_cast<void*>(0x5000)}, {"wharfCWDEx", reinterpret_cast<void*>(0x6000)}};
  int filled = h.FillWharfEntries([&](const std::string& name) -> void* {
    auto it = wharf.find(name);
    return it == wharf.end() ? nullptr : it->second;
  });
  EXPECT_EQ(filled, 6);
  EXPECT_EQ(h.functions()[285], 0x1000u);
  EXPECT_EQ(h.functions()[709], 0x2000u);
  EXPECT_EQ(h.functions()[713], 0x3000u);
  EXPECT_EQ(h.functions()[717], 0x4000u);
  EXPECT_EQ(h.functions()[721], 0x5000u);
  EXPECT_EQ(h.functions()[725], 0x6000u);
  EXPECT_EQ(h.functions()[737], 0u);  // wharfListEx absent
  EXPECT_EQ(h.record().host_functions, h.functions());
}

TEST(AnvilHostSide, RecordPointsAtTheHostsData) {
  host::AnvilHost h(100, 0x1000);
  h.SetSystemDirectory("D:\\CNC\\SYS\\");
  h.SetTextArea(0, "KRF;TXT;ISO");
  h.SetSortPreset("N");
  const _ANVILINIT& r = h.record();
  EXPECT_EQ(r.size, sizeof(_ANVILINIT));
  EXPECT_EQ(r.pool_base, h.pool_address());
  EXPECT_EQ(r.pool_size, 100u);
  EXPECT_EQ(r.shared_memory, h.shared_memory());
  EXPECT_EQ(r.cnc_record, h.cnc_record());
  EXPECT_STREQ(r.system_directory, "D:\\CNC\\SYS\\");
  EXPECT_STREQ(r.text_areas[0], "KRF;TXT;ISO");
  EXPECT_STREQ(r.sort_preset, "N");
  h.SetTextArea(6, "ignored");  // no seventh area
  h.cnc_record()[766] = 0x1234;
  EXPECT_EQ(r.cnc_record[766], 0x1234u);
}

// Anvil's tables carry Kerf's view texts at Anvil's numbers, in every
// language; Czech is selected at load.
class AnvilStrings : public AnvilLibrary {};

TEST_F(AnvilStrings, CzechIsSelectedAtLoad) {
  ASSERT_NE(get(152), nullptr);
  EXPECT_EQ(host::ZorvToUtf8(get(152)), "Chyba cesty k souboru");
}

TEST_F(AnvilStrings, ViewTextsMatchKerfsInEveryLanguage) {
  host::Library kerf;
  std::string error;
  ASSERT_TRUE(kerf.Open(testing_support::LibraryFile("Kerf"), &error)) << error;
  auto kerf_select = kerf.Bind<int (*)(void*, uint32_t)>("LocalizationInit");
  auto kerf_get = kerf.Bind<const char* (*)(uint32_t)>("GetLocString");
  std::vector<std::pair<uint32_t, uint32_t>> pairs = {{23, 44}, {26, 42}, {27, 43}, {43, 45}};
  for (uint32_t k : {0u, 1u, 2u, 3u, 4u, 11u, 12u, 13u}) pairs.push_back({150 + k, k});
  for (uint32_t k = 30; k <= 41; ++k) pairs.push_back({140 + k, k});
  for (uint32_t k = 46; k <= 48; ++k) pairs.push_back({140 + k, k});
  for (uint32_t lang : {5u, 7u, 9u, 12u, 14u, 21u, 25u, 36u}) {
    ASSERT_EQ(select(nullptr, lang), 1) << lang;
    ASSERT_EQ(kerf_select(nullptr, lang), 1) << lang;
    for (auto [anvil_id, kerf_id] : pairs) {
      ASSERT_NE(get(anvil_id), nullptr) << lang << " " << anvil_id;
      EXPECT_STRNE(get(anvil_id), "") << lang << " " << anvil_id;
      EXPECT_STREQ(get(anvil_id), kerf_get(kerf_id)) << lang << " " << anvil_id;
    }
    EXPECT_NE(get(255), nullptr);  // room for the texts of later modules
    EXPECT_EQ(get(256), nullptr);
  }
}

}  // namespace
