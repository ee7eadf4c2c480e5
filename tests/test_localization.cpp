// String tables: the resource-tree walk, selection by language through the
// library's exports, and the limits of GetLocString.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "bridge/localization.h"
#include "host/services/loader.h"
#include "host/screen/text.h"
#include "tests/support/sandbox.h"

namespace {

class KerfStrings : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(lib.Open(testing_support::LibraryFile("Kerf"), &error)) << error;
    init = lib.Bind<int (*)(void*, uint32_t)>("LocalizationInit");
    get = lib.Bind<const char* (*)(uint32_t)>("GetLocString");
    ASSERT_TRUE(init && get);
  }
  host::Library lib;
  int (*init)(void*, uint32_t) = nullptr;
  const char* (*get)(uint32_t) = nullptr;
};

TEST_F(KerfStrings, CzechIsSelectedAtLoad) {
  ASSERT_NE(get(4), nullptr);
  EXPECT_EQ(host::ZorvToUtf8(get(4)), "Chyba čtení souboru");
  // The letter r caron is the byte 0xA9 in the control's set.
  EXPECT_NE(strchr(get(30), '\xA9'), nullptr);
}

TEST_F(KerfStrings, FortyNineTextsWithEmptyOnesPresent) {
  ASSERT_EQ(init(nullptr, 9), 1);
  EXPECT_STREQ(get(0), "No Error");
  EXPECT_STREQ(get(48), "File reading error");
  EXPECT_EQ(get(49), nullptr);
  EXPECT_EQ(get(0xFFFFFFFFu), nullptr);
  ASSERT_NE(get(20), nullptr);  // a number without a text
  EXPECT_STREQ(get(20), "");
}

TEST_F(KerfStrings, AbsentLanguageSelectsNothingUntilALaterCallSucceeds) {
  EXPECT_EQ(init(nullptr, 10), 0);
  EXPECT_EQ(get(0), nullptr);
  EXPECT_EQ(init(nullptr, 21), 1);
  EXPECT_EQ(host::ZorvToUtf8(get(1)), "Błąd operacji na pliku");
}

TEST_F(KerfStrings, EveryLanguageHasTheSameNumbering) {
  for (uint32_t lang : {5u, 7u, 9u, 12u, 14u, 21u, 25u, 36u}) {
    ASSERT_EQ(init(nullptr, lang), 1) << lang;
    EXPECT_NE(get(48), nullptr);
    EXPECT_EQ(get(49), nullptr);
    EXPECT_STRNE(get(31), "") << lang;
  }
}

TEST_F(KerfStrings, ForeignImageIsWalkedToo) {
  // Hand the library a copy of the built-in image at another address: the
  // same tree is found there.
  std::vector<uint8_t> copy(kBuiltinStringImage, kBuiltinStringImage + kBuiltinStringImageSize);
  ASSERT_EQ(init(copy.data(), 7), 1);
  EXPECT_EQ(host::ZorvToUtf8(get(30)), "Zeile");
  EXPECT_GE(reinterpret_cast<const uint8_t*>(get(30)), copy.data());
  EXPECT_LT(reinterpret_cast<const uint8_t*>(get(30)), copy.data() + copy.size());
}

// The walk itself, on images that are cut short or damaged.
TEST(ResourceWalk, FindsEveryLanguageInTheBuiltInImage) {
  for (uint32_t lang : {5u, 7u, 9u, 12u, 14u, 21u, 25u, 36u})
    EXPECT_NE(FindStringTable(kBuiltinStringImage, kBuiltinStringImageSize, lang, nullptr), nullptr);
  EXPECT_EQ(FindStringTable(kBuiltinStringImage, kBuiltinStringImageSize, 10, nullptr), nullptr);
  EXPECT_EQ(FindStringTable(nullptr, 100, 9, nullptr), nullptr);
}

TEST(ResourceWalk, TruncatedImagesNeverYieldATablePastTheirEnd) {
  std::vector<uint8_t> image(kBuiltinStringImage, kBuiltinStringImage + kBuiltinStringImageSize);
  for (uint32_t size = 0; size < image.size(); ++size) {
    std::vector<uint8_t> cut(image.begin(), image.begin() + size);
    uint32_t table_size = 0;
    const uint8_t* t = FindStringTable(cut.data(), size, 36, &table_size);
    if (t != nullptr) {
      EXPECT_LE(t + table_size, cut.data() + size) << size;
    }
  }
}

TEST(ResourceWalk, DamagedImagesSelectNothingOrASoundTable) {
  std::mt19937 rng(1234);
  std::vector<uint8_t> image(kBuiltinStringImage, kBuiltinStringImage + kBuiltinStringImageSize);
  for (int round = 0; round < 3000; ++round) {
    std::vector<uint8_t> damaged = image;
    int flips = 1 + static_cast<int>(rng() % 4);
    for (int i = 0; i < flips; ++i) {
      // Aim most damage at the headers and the tree, where offsets live.
      size_t at = rng() % (rng() % 2 ? 0x200 : damaged.size());
      damaged[at % damaged.size()] = static_cast<uint8_t>(rng());
    }
    uint32_t table_size = 0;
    const uint8_t* t = FindStringTable(damaged.data(), static_cast<uint32_t>(damaged.size()), 9, &table_size);
    if (t == nullptr) continue;
    uint32_t n;
    memcpy(&n, t, 4);
    for (uint32_t id = 0; id < n; ++id) {
      uint32_t off;
      memcpy(&off, t + 4 + 4 * id, 4);
      ASSERT_LT(off, table_size);
      ASSERT_NE(memchr(t + off, 0, table_size - off), nullptr);
    }
  }
}

TEST(ResourceWalk, TableWithOffsetPastItsEndIsRefused) {
  std::vector<uint8_t> image(kBuiltinStringImage, kBuiltinStringImage + kBuiltinStringImageSize);
  uint32_t size = 0;
  const uint8_t* t = FindStringTable(image.data(), static_cast<uint32_t>(image.size()), 5, &size);
  ASSERT_NE(t, nullptr);
  uint32_t bad = size + 10;
  memcpy(image.data() + (t - image.data()) + 4 + 4 * 3, &bad, 4);
  EXPECT_EQ(FindStringTable(image.data(), static_cast<uint32_t>(image.size()), 5, nullptr), nullptr);
}

}  // namespace
