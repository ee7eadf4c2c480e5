// The cutting-program reader under file-service faults: every read of a
// program, one at a time, fails, fails to dispatch, or delivers a short
// block. A failure must end the run with its status and text and never look
// like the end of the program; a short block must change nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bridge/fsp.h"
#include "kerf/reader.h"
#include "kerf/texts.h"
#include "tests/support/sandbox.h"

namespace {

using testing_support::Sandbox;

struct Outcome {
  std::vector<std::string> lines;
  int result = 0;  // of the last ReadProgramLine
  bool error = false;
  uint32_t error_text = 0;
  uint32_t consumed = 0;
  int reads = 0;  // read calls that reached the host
};

// A program of three 512-byte blocks and a bit: moves, arcs, codes, a
// skipped section holding a line longer than 998 characters, and a CR LF
// split across the first block boundary.
std::string FaultProgram() {
  std::string p = "5\r\n+100-50\r\n6\r\n";
  while (p.size() + 14 < 511) p += "+0+100+0+50-\r\n";
  p.resize(511, '1');
  p += "\r\n";  // CR is byte 511, LF byte 512
  p += "3\r\nTEXT LINE\r\n";
  p += "+" + std::string(1100, '7') + "+1\r\n";  // in pieces, inside the skipped section
  p += "4\r\n";
  for (int i = 0; i < 20; ++i) p += "+" + std::to_string(i * 37) + "-" + std::to_string(i * 11) + "\r\n";
  p += "7";  // the last line has no line end
  return p;
}

class ReaderFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    FspInitCopy(&box.files().table());
    program = FaultProgram();
    box.Write("c:\\faults.knf", program);
    clean = Run();
    ASSERT_EQ(clean.result, 1);
    ASSERT_FALSE(clean.error);
    ASSERT_GE(clean.reads, 4);
  }
  void TearDown() override { EXPECT_EQ(box.files().open_handles(), 0); }

  // Reads and parses the whole program as the view does; faults armed
  // beforehand fire on the reads they name.
  Outcome Run() {
    Outcome out;
    ProgramReader r{};
    EXPECT_EQ(FspOpen("c:\\faults.knf", kFspOpenRead, &r.handle, &r.file_size), 0);
    r.file_open = true;
    int reads_before = box.files().calls(kFspRead);
    while ((out.result = ReadProgramLine(&r)) == 0) {
      out.lines.push_back(r.line);
      char line[kMaxLineLength + 1];
      memcpy(line, r.line, sizeof line);
      NormalizeLine(line);
      double a, b, c, d;
      int kind = ParseProgramLine(line, &a, &b, &c, &d, &r);
      if (IsSkipStart(kind)) r.skipping = true;
      if (IsSkipEnd(kind)) r.skipping = false;
    }
    out.reads = box.files().calls(kFspRead) - reads_before;
    out.error = r.error;
    out.error_text = r.error_text;
    out.consumed = r.consumed;
    box.files().ClearFaults();
    EXPECT_EQ(FspClose(r.handle), 0);
    return out;
  }

  // A failed run: the failure's status and text, only lines of the clean
  // run before it, and never the end of the program.
  void ExpectFailed(const Outcome& out, int status, uint32_t text, int nth) {
    SCOPED_TRACE("read " + std::to_string(nth) + " status " + std::to_string(status));
    EXPECT_EQ(out.result, status);
    EXPECT_NE(out.result, 1);
    EXPECT_TRUE(out.error);
    EXPECT_EQ(out.error_text, text);
    EXPECT_EQ(out.reads, nth);
    ASSERT_LE(out.lines.size(), clean.lines.size());
    for (size_t i = 0; i < out.lines.size(); ++i) EXPECT_EQ(out.lines[i], clean.lines[i]);
  }

  void ExpectUnchanged(const Outcome& out, int nth, int count) {
    SCOPED_TRACE("read " + std::to_string(nth) + " short to " + std::to_string(count));
    EXPECT_EQ(out.result, 1);
    EXPECT_FALSE(out.error);
    EXPECT_EQ(out.lines, clean.lines);
    EXPECT_EQ(out.consumed, program.size());
  }

  Sandbox box;
  std::string program;
  Outcome clean;
};

TEST_F(ReaderFaults, TheCleanRunReadsEveryLineAndByte) {
  EXPECT_EQ(clean.consumed, program.size());
  EXPECT_EQ(clean.lines.back(), "7");
  // The line ending with the CR of byte 511 is followed by the next line
  // proper, not by an empty one for the LF of byte 512.
  size_t boundary = 0;
  while (boundary < clean.lines.size() && clean.lines[boundary].find('1') != 0) ++boundary;
  ASSERT_LT(boundary + 1, clean.lines.size());
  EXPECT_EQ(clean.lines[boundary + 1], "3");
  // The long line comes in a piece of 998 and the rest.
  EXPECT_EQ(clean.lines[boundary + 3].size(), kMaxLineLength);
  EXPECT_EQ(clean.lines[boundary + 4], std::string(1101 - kMaxLineLength, '7') + "+1");
  EXPECT_EQ(clean.lines[boundary + 5], "4");
}

TEST_F(ReaderFaults, EachFailingReadEndsTheRunWithItsStatusAndText) {
  struct Case { int8_t status; uint32_t text; };
  const Case cases[] = {{-1, kerf_text::kFileOperation}, {-2, kerf_text::kFileHandle},
                        {-8, kerf_text::kFileReading},   {-3, kerf_text::kFileReading},
                        {-5, kerf_text::kFileReading},   {-100, kerf_text::kFileReading},
                        {7, kerf_text::kFileReading}};
  for (int nth = 1; nth <= clean.reads; ++nth) {
    for (const Case& c : cases) {
      box.files().FailCall(kFspRead, nth, c.status);
      ExpectFailed(Run(), c.status, c.text, nth);
    }
  }
}

TEST_F(ReaderFaults, EachFailedDispatchIsAFileOperationError) {
  for (int nth = 1; nth <= clean.reads; ++nth) {
    box.files().FailDispatch(kFspRead, nth);
    ExpectFailed(Run(), kStatusDispatchFailed, kerf_text::kFileOperation, nth);
  }
}

TEST_F(ReaderFaults, AnAbsentReadServiceIsAReadingError) {
  FSP_INIT_PARAMS table = box.files().table();
  table.handles[kFspRead] = 0;
  FspInitCopy(&table);
  ExpectFailed(Run(), kStatusServiceAbsent, kerf_text::kFileReading, 0);
}

TEST_F(ReaderFaults, EachShortReadChangesNothing) {
  for (int nth = 1; nth <= clean.reads; ++nth) {
    for (int count : {1, 2, 13, 255, 510, 511}) {
      box.files().ShortRead(nth, static_cast<uint16_t>(count));
      ExpectUnchanged(Run(), nth, count);
    }
  }
}

TEST_F(ReaderFaults, EveryReadShortChangesNothing) {
  for (int count : {1, 3, 100, 511}) {
    size_t reads = program.size() / count + 2;
    // Each armed fault counts down on every read: arm them one read apart.
    for (size_t nth = 1; nth <= reads; ++nth)
      box.files().ShortRead(static_cast<int>(nth), static_cast<uint16_t>(count));
    ExpectUnchanged(Run(), 0, count);
  }
}

// An empty block with status 0 in the middle of the program is not its end:
// the run must either go on or stop with a reading error, never finish as
// if the program were complete.
TEST_F(ReaderFaults, AnEmptyBlockInTheMiddleIsNotTheEnd) {
  for (int nth = 1; nth < clean.reads; ++nth) {
    box.files().ShortRead(nth, 0);
    Outcome out = Run();
    SCOPED_TRACE("read " + std::to_string(nth));
    if (out.result == 1) {
      EXPECT_EQ(out.lines, clean.lines);
    } else {
      EXPECT_TRUE(out.error);
      EXPECT_EQ(out.error_text, kerf_text::kFileReading);
    }
  }
}

}  // namespace
