// The cutting-program reader: line layer and word layer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bridge/fsp.h"
#include "kerf/reader.h"
#include "tests/support/sandbox.h"

namespace {

using testing_support::Sandbox;

class Reader : public ::testing::Test {
 protected:
  void SetUp() override { FspInitCopy(&box.files().table()); }
  void TearDown() override { EXPECT_EQ(box.files().open_handles(), 0); }

  // Reads every line of `content`; the last element is the final result.
  std::vector<std::string> ReadAll(const std::string& content, int* final_result = nullptr) {
    box.Write("c:\\p.knf", content);
    ProgramReader r{};
    EXPECT_EQ(FspOpen("c:\\p.knf", kFspOpenRead, &r.handle, &r.file_size), 0);
    std::vector<std::string> lines;
    int result;
    while ((result = ReadProgramLine(&r)) == 0) lines.push_back(r.line);
    if (final_result) *final_result = result;
    last = r;
    FspClose(r.handle);
    return lines;
  }

  int Parse(const std::string& text, double* v = nullptr, bool skipping = false) {
    char line[1000];
    snprintf(line, sizeof line, "%s", text.c_str());
    NormalizeLine(line);
    ProgramReader r{};
    r.skipping = skipping;
    double a, b, c, d;
    int result = ParseProgramLine(line, &a, &b, &c, &d, &r);
    if (v) {
      v[0] = a; v[1] = b; v[2] = c; v[3] = d;
    }
    last = r;
    return result;
  }

  Sandbox box;
  ProgramReader last{};
};

TEST_F(Reader, LineEndsCrLfAndCrLfAndEmptyLines) {
  int end = 0;
  EXPECT_EQ(ReadAll("a\rb\nc\r\nd", &end), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(end, 1);
  EXPECT_EQ(ReadAll("a\r\n\r\nb\r\n"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(ReadAll("a\n\nb\n"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(ReadAll("\n"), (std::vector<std::string>{""}));
  EXPECT_EQ(ReadAll(""), (std::vector<std::string>{}));
}

TEST_F(Reader, LastLineWithoutEndIsStillALine) {
  int end = 0;
  EXPECT_EQ(ReadAll("+1+2\r\n6", &end), (std::vector<std::string>{"+1+2", "6"}));
  EXPECT_EQ(end, 1);
  // Every call counts, the one that reports the end too.
  EXPECT_EQ(last.line_count, 3u);
}

TEST_F(Reader, LineEndAtTheBlockBoundaryEndsTheLineThereOnly) {
  std::string first(511, 'x');
  // CR as byte 511 and LF as byte 512: one line end split across blocks.
  auto lines = ReadAll(first + "\r\n" + "next\r\n");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], first);
  EXPECT_EQ(lines[1], "next");
  // A line end exactly at byte 512.
  lines = ReadAll(std::string(512, 'y') + "\nz");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].size(), 512u);
  EXPECT_EQ(lines[1], "z");
}

TEST_F(Reader, LongLinesComeInPiecesOf998WithoutLosingBytes) {
  std::string longline;
  for (int i = 0; i < 2100; ++i) longline += static_cast<char>('0' + i % 10);
  auto lines = ReadAll(longline + "\r\nend");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], longline.substr(0, 998));
  EXPECT_EQ(lines[1], longline.substr(998, 998));
  EXPECT_EQ(lines[2], longline.substr(1996));
  EXPECT_EQ(lines[3], "end");
  // Exactly 998 characters and a line end: no empty piece follows.
  lines = ReadAll(std::string(998, '7') + "\r\n5\r\n");
  EXPECT_EQ(lines, (std::vector<std::string>{std::string(998, '7'), "5"}));
}

TEST_F(Reader, ProgressCountsBytesWithTheWeightOfThePass) {
  box.Write("c:\\p.knf", std::string(1000, '1'));
  ProgramReader r{};
  ASSERT_EQ(FspOpen("c:\\p.knf", kFspOpenRead, &r.handle, &r.file_size), 0);
  r.weight = ProgressWeight::kMeasuring;
  while (ReadProgramLine(&r) == 0) {
  }
  // 512 * 0.3 = 153.6 -> 153, 488 * 0.3 = 146.4 -> 146.
  EXPECT_EQ(r.consumed, 299u);
  FspClose(r.handle);
}

TEST_F(Reader, ReadFailuresSetTheirTexts) {
  struct Case { int8_t status; uint32_t text; };
  for (Case c : {Case{-1, 1}, Case{-2, 3}, Case{-8, 4}, Case{-30, 4}, Case{7, 4}}) {
    box.Write("c:\\p.knf", "+1+1\r\n");
    ProgramReader r{};
    ASSERT_EQ(FspOpen("c:\\p.knf", kFspOpenRead, &r.handle, &r.file_size), 0);
    box.files().FailCall(kFspRead, 1, c.status);
    EXPECT_EQ(ReadProgramLine(&r), c.status);
    EXPECT_TRUE(r.error);
    EXPECT_EQ(r.error_text, c.text);
    FspClose(r.handle);
  }
}

TEST_F(Reader, ShortReadsFromTheHostLoseNothing) {
  box.files().ShortRead(1, 3);
  box.files().ShortRead(2, 1);
  EXPECT_EQ(ReadAll("+100-50\r\n+0+100+0+50+\r\n"),
            (std::vector<std::string>{"+100-50", "+0+100+0+50+"}));
}

TEST_F(Reader, NormalizeFoldsBlanks) {
  char a[] = "  5  ";
  NormalizeLine(a);
  EXPECT_STREQ(a, "5");
  char b[] = "\t+100 \t -50\t";
  NormalizeLine(b);
  EXPECT_STREQ(b, "+100 -50");
  char c[] = "";
  NormalizeLine(c);
  EXPECT_STREQ(c, "");
}

TEST_F(Reader, ParsesMovesArcsAndCodes) {
  double v[4];
  EXPECT_EQ(Parse("+100-50", v), kLineStraight);
  EXPECT_EQ(v[0], 100);
  EXPECT_EQ(v[1], -50);
  EXPECT_EQ(v[2], 0);
  EXPECT_EQ(Parse("+0+100+0+50+", v), kLineArcCounterClockwise);
  EXPECT_EQ(v[1], 100);
  EXPECT_EQ(v[3], 50);
  EXPECT_EQ(Parse("+0+100+0+50-", v), kLineArcClockwise);
  EXPECT_EQ(Parse("+0+100+0+50-99", v), kLineArcClockwise);  // digits after the fifth sign
  EXPECT_EQ(Parse("+-", v), kLineStraight);                   // no digits: zeros
  EXPECT_EQ(v[0], 0);
  EXPECT_EQ(Parse("  5  "), 5);
  EXPECT_EQ(Parse(""), 0);
  EXPECT_EQ(Parse("[START]"), 0);
  EXPECT_EQ(Parse("*"), 0);
  EXPECT_EQ(Parse("101"), 101);
  EXPECT_FALSE(last.error);
}

TEST_F(Reader, MalformedLinesReportTheirTexts) {
  EXPECT_EQ(Parse("+100 -50"), kLineNotSignsAndNumbers);
  EXPECT_TRUE(last.error);
  EXPECT_EQ(last.error_text, 11u);
  EXPECT_EQ(Parse("+100"), kLineSignCount);
  EXPECT_EQ(last.error_text, 12u);
  EXPECT_EQ(Parse("100+5+5"), kLineMustBeginWithSign);
  EXPECT_EQ(last.error_text, 13u);
  EXPECT_EQ(Parse("[start]"), kLineNotSignsAndNumbers);
  EXPECT_EQ(Parse("+" + std::string(400, '9') + "+1"), kLineNotSignsAndNumbers);
}

TEST_F(Reader, MalformedLinesInsideSkippedSectionsAreSilent) {
  EXPECT_EQ(Parse("TEXT LINE", nullptr, true), kLineNotSignsAndNumbers);
  EXPECT_FALSE(last.error);
  EXPECT_TRUE(IsSkipStart(101) && IsSkipStart(3) && IsSkipStart(103));
  EXPECT_TRUE(IsSkipEnd(102) && IsSkipEnd(4) && IsSkipEnd(104));
}

}  // namespace
