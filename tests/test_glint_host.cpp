// The scope's host in the simulator: the CSV recordings and key scripts a
// user writes, and what the real library puts on the screen through it.
#include <gtest/gtest.h>

#include "host/runners/scope_runner.h"
#include "host/runners/scope_script.h"
#include "host/commands/key_script.h"
#include "host/runners/scope_signals.h"
#include "tests/support/sandbox.h"

namespace {

TEST(ScopeCsv, RecordingsAsUsersWriteThem) {
  struct Case {
    const char* why;
    const char* text;
    size_t rows;
    int columns;
    bool trigger;
    int32_t first_value, last_value;  // channel 0 of the first row, last channel of the last row
  } cases[] = {
      {"commas", "1,2,3\n4,5,6\n", 2, 3, false, 1, 6},
      {"semicolons, CRLF, a header", "a;b\r\n-7;8\r\n9;10\r\n", 2, 2, false, -7, 10},
      {"tabs and padded cells", " 1\t 2 \n3\t4", 2, 2, false, 1, 4},
      {"a trigger column named in the header", "x,y,Trigger\n5,6,0\n7,8,1\n", 2, 2, true, 5, 8},
      {"eleven columns: the last is the trigger", "0,1,2,3,4,5,6,7,8,9,1\n", 1, 10, true, 0, 9},
      {"blank lines and the 32-bit ends", "\n-2147483648\n\n2147483647\n", 2, 1, false, INT32_MIN,
       INT32_MAX},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    host::Recording r;
    std::string error;
    ASSERT_TRUE(host::ParseCsvRecording(c.text, &r, &error)) << error;
    ASSERT_EQ(r.rows.size(), c.rows);
    EXPECT_EQ(r.columns, c.columns);
    EXPECT_EQ(r.has_trigger, c.trigger);
    EXPECT_EQ(r.rows.front().values[0], c.first_value);
    EXPECT_EQ(r.rows.back().values[c.columns - 1], c.last_value);
    if (c.trigger) {
      EXPECT_EQ(r.rows.back().trigger, 1);
    }
  }
}

TEST(ScopeCsv, BadCellsNamedByLineAndColumn) {
  struct Case {
    const char* text;
    const char* error;
  } cases[] = {
      {"1,2\n3,x\n", "line 2, column 2: \"x\" is not a whole number"},
      {"h1,h2\n1,2\n3\n", "line 3, column 2: expected 2 cells, found 1"},
      {"1,2.5\n", "line 1, column 2: \"2.5\" is not a whole number"},
      {"2147483648\n", "line 1, column 1: 2147483648 does not fit 32 bits"},
      {"1,2,3,4,5,6,7,8,9,10,11,12\n", "line 1, column 12: more than 10 channels and a trigger column"},
      {"a,b\n", "no data rows"},
      {"", "no data rows"},
  };
  for (const Case& c : cases) {
    host::Recording r;
    std::string error;
    EXPECT_FALSE(host::ParseCsvRecording(c.text, &r, &error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
}

TEST(ScopeScript, KeyNamesAndHostSteps) {
  std::vector<host::KeyStep> steps;
  ASSERT_EQ(host::ParseKeyScript("select,mark,auto,tb+,back,export,30, wait 100 ,run,png x.png,layout P",
                                 host::kScopeKeys, &steps), "");
  std::vector<int> codes;
  for (auto& s : steps) codes.push_back(s.kind == host::KeyStep::kKey ? s.code : -1);
  EXPECT_EQ(codes, (std::vector<int>{11, 12, 14, 23, 24, 30, 30, -1, host::kScopeStepRun, -1, -1}));
  EXPECT_EQ(steps[7].wait_ms, 100u);
  EXPECT_EQ(steps[9].argument, "x.png");
  EXPECT_EQ(steps[10].argument, "P");
  EXPECT_NE(host::ParseKeyScript("zoom", host::kScopeKeys, &steps), "");
  EXPECT_NE(host::ParseKeyScript("256", host::kScopeKeys, &steps), "") << "run and stop have names only";
}

// The dash patterns as they land in the picture: the trigger mark's
// 0xF0F0 (red) and 0x0F0F (dark blue) halves, the grid's 0x8888 dots.
TEST(ScopeScreen, TriggerMarkAndGridPatternsInThePicture) {
  setenv("HOSTSIM_LIB_DIR", TEST_LIB_DIR, 1);
  testing_support::Sandbox box;
  host::Screen screen(640, 480);
  host::DisplayServices display(screen, host::TextStyle::kScreen);
  host::ScopeRunner runner(box.files(), display);
  std::string error;
  ASSERT_TRUE(runner.Load(&error)) << error;
  host::SignalShape none[kGlintChannels];
  host::ScopeHostOptions options;
  runner.Setup(options, host::GenerateRecording(none, 400, 140));
  runner.FillStopped();
  runner.Prefix();
  // 399 rows at 1 ms per pixel: the trigger at row 140 is sample 140.
  const int left = 126, top = 139, height = 250, x = left + 140;
  const uint8_t red = display.block()[33], blue = display.block()[22];
  const uint8_t grid = display.block()[20], fill = display.block()[29];
  for (int i = 0; i <= height; ++i)
    ASSERT_EQ(screen.Pixel(x, top + i), i % 8 < 4 ? red : blue) << "pixel " << i << " of the mark";
  // The dotted line one division below the centre, between two verticals.
  for (int i = 1; i < 25; ++i)
    ASSERT_EQ(screen.Pixel(left + i, 264 + 25), i % 4 == 0 ? grid : fill) << "pixel " << i;
}

}  // namespace
