// The control character set conversions.
#include <gtest/gtest.h>

#include "bridge/charset.h"

namespace {

TEST(Charset, LettersFromBothDirectionsAgree) {
  EXPECT_EQ(ZorvFromUnicode(0x010D), 0x87);  // c caron
  EXPECT_EQ(ZorvFromCp1250(0xE8), 0x87);
  EXPECT_EQ(ZorvFromCp1250(0x8A), 0x9B);     // S caron
  EXPECT_EQ(ZorvFromCp1250(0xF8), 0xA9);     // r caron
  EXPECT_EQ(ZorvFromCp1250(0xBC), 0x9C);     // L caron
  EXPECT_EQ(ZorvFromUnicode(0x0142), 0xB1);  // l stroke
  EXPECT_EQ(ZorvFromUnicode(0x0430), 0xE0);  // Cyrillic a
  EXPECT_EQ(ZorvFromUnicode(0x044F), 0xFF);
}

TEST(Charset, CodePageDiffersFromUnicodeWhereTheTablesSay) {
  EXPECT_EQ(ZorvFromCp1250(0xE0), '.');  // r acute
  EXPECT_EQ(ZorvFromUnicode(0x0155), 'r');
  EXPECT_EQ(ZorvFromUnicode(0x00A0), ' ');
  EXPECT_EQ(ZorvFromCp1250(0xA0), '.');
  EXPECT_EQ(ZorvFromUnicode(0x1F), 0x1F);
  EXPECT_EQ(ZorvFromCp1250(0x1F), '.');
  // The en dash, section sign and guillemets follow their Unicode meaning.
  EXPECT_EQ(ZorvFromCp1250(0x96), '-');
  EXPECT_EQ(ZorvFromCp1250(0xA7), 0xAD);
  EXPECT_EQ(ZorvFromCp1250(0xAB), 0xAE);
  EXPECT_EQ(ZorvFromCp1250(0xBB), 0xAF);
}

TEST(Charset, ArrowsAndRangeEdges) {
  EXPECT_EQ(ZorvFromUnicode(0x2192), '~');
  EXPECT_EQ(ZorvFromUnicode(0x2194), '.');
  EXPECT_EQ(ZorvFromUnicode(0x21B5), '>');
  EXPECT_EQ(ZorvFromUnicode(0x2013), '-');
  EXPECT_EQ(ZorvFromUnicode(0x0452), '.');
  EXPECT_EQ(ZorvFromUnicode(0xD800), '.');
  for (uint16_t c : {0x09, 0x0A, 0x0D}) {
    EXPECT_EQ(ZorvFromUnicode(c), c);
    EXPECT_EQ(ZorvFromCp1250(static_cast<uint8_t>(c)), c);
  }
}

TEST(Charset, TableTotals) {
  int unicode_letters = 0;
  for (uint32_t u = 0; u <= 0x0451; ++u)
    if (ZorvFromUnicode(static_cast<uint16_t>(u)) != '.') ++unicode_letters;
  EXPECT_EQ(unicode_letters, 246);
  int same = 0, dots = 0;
  for (uint32_t b = 0; b < 256; ++b) {
    uint8_t z = ZorvFromCp1250(static_cast<uint8_t>(b));
    if (z == b) ++same;
    else if (z == '.') ++dots;
  }
  EXPECT_EQ(same, 108);
  // 62 bytes give a letter or sign: the en dash, section sign and
  // guillemets count among them because they have Unicode meanings.
  EXPECT_EQ(dots, 86);
}

TEST(Charset, ReverseTableInvertsEveryMeaningfulCode) {
  for (uint32_t code = 0x20; code < 256; ++code) {
    uint32_t u = ZorvToUnicode(static_cast<uint8_t>(code));
    ASSERT_NE(u, 0u) << code;
    EXPECT_EQ(ZorvFromUnicode(static_cast<uint16_t>(u)), code) << code;
  }
  EXPECT_EQ(ZorvDisplayGlyph('|'), 0x2191u);
  EXPECT_EQ(ZorvDisplayGlyph(0x7F), 0x2193u);
}

}  // namespace
