// The number texts of the forms: fields, host texts and conversions.
#include <gtest/gtest.h>

#include "tracer/form_engine.h"
#include "tracer/form_numbers.h"

namespace {

TEST(TracerNumbers, DecimalTextsFromTheHost) {
  struct Case {
    const char* text;
    uint32_t size;
    int decimals;
    bool ok;
    int64_t value;
  } cases[] = {
      {"12.5", 11, 3, true, 12500},
      {"  -0.001", 11, 3, true, -1},
      {"+   12.000", 11, 3, true, 12000},       // a right-aligned field
      {"7.123456", 11, 4, true, 71234},         // decimals beyond D cut
      {"99999.999", 11, 3, true, 99999999},
      {"100000", 11, 3, false, 0},              // does not fit a field
      {"1.2.3", 11, 3, false, 0},
      {"", 11, 3, false, 0},
      {"-", 11, 3, false, 0},
      {"12345678901234", 11, 5, false, 0},      // read no further than 11 bytes
      {"1x", 1, 3, true, 1000},                 // only the first byte
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    int64_t v = 0;
    EXPECT_EQ(DecimalTextToInteger(c.text, c.size, c.decimals, &v), c.ok);
    if (c.ok) {
      EXPECT_EQ(v, c.value);
    }
  }
}

TEST(TracerNumbers, IntegerTextsWithOverflowDetection) {
  int64_t v = 0;
  EXPECT_TRUE(ReadIntegerText(" -1234 ", 11, &v));
  EXPECT_EQ(v, -1234);
  EXPECT_FALSE(ReadIntegerText("99999999999999999999", 20, &v));
  EXPECT_FALSE(ReadIntegerText("12x", 11, &v));
  EXPECT_FALSE(ReadIntegerText("", 11, &v));
  EXPECT_TRUE(ReadIntegerText("4294967296", 11, &v));  // past 32 bits, still exact
  EXPECT_EQ(v, 4294967296);
}

TEST(TracerNumbers, FieldsKeepTenCharactersAndThePoint) {
  struct Case {
    int64_t value;
    int decimals;
    const char* field;
    const char* tidy;
    const char* decimal_text;
  } cases[] = {
      {88000, 3, "+00088.000", "+   88.000", "88.000"},
      {-1, 3, "-00000.001", "-    0.001", "-0.001"},
      {99999999, 3, "+99999.999", "+99999.999", "99999.999"},
      {120000, 4, "+0012.0000", "+  12.0000", "12.0000"},
      {0, 5, "+000.00000", "+  0.00000", "0.00000"},
  };
  for (const auto& c : cases) {
    char field[11], text[11];
    ASSERT_TRUE(IntegerToField(c.value, c.decimals, field));
    EXPECT_STREQ(field, c.field);
    EXPECT_EQ(FieldToInteger(field, c.decimals), c.value);
    TidyField(field, c.decimals);
    EXPECT_STREQ(field, c.tidy);
    EXPECT_EQ(FieldToInteger(field, c.decimals), c.value);
    ASSERT_TRUE(IntegerToDecimalText(c.value, c.decimals, text));
    EXPECT_STREQ(text, c.decimal_text);
    ASSERT_TRUE(RightAlign(text, field));
    EXPECT_EQ(FieldToInteger(field, c.decimals), c.value);
  }
  char field[11];
  EXPECT_FALSE(IntegerToField(100000000, 3, field));
  EXPECT_FALSE(IntegerToField(-139999998, 3, field));
}

TEST(TracerNumbers, EntryNumbers) {
  struct Case {
    const char* entry;
    bool shift;
    uint32_t bits;
    bool valid;
  } cases[] = {
      {"00", false, 0, false}, {"01", false, 0, true}, {"90", false, 0, true}, {"5 ", false, 0, false},
      {"53", true, 0, true},   {"52", true, 0, false}, {"59", true, 0, true},  {"64", true, 0, false},
      {"54", true, 2, true},   {"55", true, 2, false},
  };
  for (const auto& c : cases) EXPECT_EQ(EntryValid(c.entry, c.shift, c.bits), c.valid) << c.entry;
}

}  // namespace
