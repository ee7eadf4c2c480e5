// The status and information lines of both views, read failures during a
// pass and during the selection, in Kerf's and in Anvil's build of the view:
// what the operator sees first, last and after a failure.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/services/dispatch.h"
#include "host/runners/view_runner.h"
#include "tests/support/sandbox.h"
#include "tests/support/written_texts.h"

namespace {

const std::string kBlankStatus(34, ' ');

// A program long enough for several slices when every host call takes 1 ms.
std::string LongProgram(bool iso) {
  std::string program = iso ? "%\r\n" : "";
  for (int i = 0; i < 300; ++i) program += iso ? "G1 X" + std::to_string(i) + " Y5\r\n" : "+10+5\r\n";
  return program;
}

class ViewLines : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override { setenv("HOSTSIM_LIB_DIR", TEST_LIB_DIR, 1); }
  void TearDown() override {
    host::SetDispatchObserver({});
    if (runner) runner->Stop();
    EXPECT_EQ(box.files().open_handles(), 0);
  }

  // Loads the library under test with `program` in c:\p.prg (or, for an ISO
  // program with `from_memory`, in host memory).
  void Load(const std::string& program, bool iso, bool from_memory = false) {
    if (runner) runner->Stop();
    box.Write("c:\\p.prg", program);
    host::ViewOptions options;
    options.library = GetParam();
    options.iso = iso;
    options.program_dos_path = from_memory ? "" : "c:\\p.prg";
    if (from_memory) options.iso_text = program;
    runner = std::make_unique<host::ViewRunner>(box.files(), screen, &ticks, 1000);
    std::string error;
    ASSERT_TRUE(runner->Load(options, &error)) << error;
    runner->graphics().recorder().Clear();
  }
  std::vector<std::pair<int, std::string>> Written() {
    return testing_support::WrittenTexts(runner->graphics().recorder());
  }
  void AdvanceOnEveryCall() {
    host::SetDispatchObserver([this](uint32_t, int) { ticks = ticks + 1; });
  }

  testing_support::Sandbox box;
  host::Screen screen{800, 600};
  volatile uint32_t ticks = 0;
  std::unique_ptr<host::ViewRunner> runner;
  // Tops of the two lines in the 800 x 600 window.
  static constexpr int kStatusTop = 5, kInfoTop = 599 - 21;
};

TEST_P(ViewLines, ReadFailureDuringAPassEndsTheViewInTheSameCall) {
  struct Row {
    bool iso;
    const char* program;
    int failing_read;  // counted from the first read of the view
    int8_t status;
    const char* text;
  } rows[] = {
      {true, "%\r\nX10 Y10\r\n", 2, -1, "File operation error"},  // the drawing pass's read
      {true, "%\r\nX10 Y10\r\n", 1, -2, "File HANDLE error"},
      {false, "+10+10\r\n", 2, -1, "File operation error"},  // both views behave alike
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.program) + " read " + std::to_string(row.failing_read));
    Load(row.program, row.iso);
    box.files().FailCall(kFspRead, row.failing_read, row.status);
    runner->Start();
    EXPECT_EQ(runner->Cont(), 2u);
    ASSERT_FALSE(Written().empty());
    EXPECT_EQ(Written().back(), std::make_pair(kInfoTop, std::string(row.text)));
    box.files().ClearFaults();
  }
}

TEST_P(ViewLines, FirstSliceShowsTheProgressWhenTheCounterReadsFarFromZero) {
  for (bool iso : {false, true}) {
    SCOPED_TRACE(iso ? "ISO" : "Kerf");
    Load(LongProgram(iso), iso);
    ticks = 7'000'000;
    runner->Start();
    AdvanceOnEveryCall();
    ASSERT_EQ(runner->Cont(), 1u);
    auto written = Written();
    ASSERT_EQ(written.size(), 1u);  // the status line only: the size is not known yet
    EXPECT_EQ(written[0].first, kStatusTop);
    EXPECT_NE(written[0].second.find("%      line "), std::string::npos) << written[0].second;
    host::SetDispatchObserver({});
  }
}

TEST_P(ViewLines, EmptyInformationLineIsNeverWritten) {
  for (bool iso : {false, true}) {
    SCOPED_TRACE(iso ? "ISO" : "Kerf");
    Load(LongProgram(iso), iso);
    ticks = 0;
    runner->Start();
    AdvanceOnEveryCall();
    // Counted from 0 the status line is not due in the first slice, and the
    // information line has nothing to show during the measuring pass.
    ASSERT_EQ(runner->Cont(), 1u);
    EXPECT_TRUE(Written().empty());
    while (runner->Cont() == 1) {
    }
    for (const auto& [top, text] : Written()) EXPECT_FALSE(text.empty()) << top;
    host::SetDispatchObserver({});
  }
}

TEST_P(ViewLines, SelectionReadFailureShowsTheReadersText) {
  struct Row {
    int8_t status;
    const char* text;
  } rows[] = {
      {-1, "File operation error"},
      {-2, "File HANDLE error"},
      {-8, "File reading error"},
      {-3, "File reading error"},  // any other failed read is a reading error
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.status);
    Load("+1+0\r\n6\r\n+2+0\r\n", false);
    runner->Start();
    runner->Cont();
    ASSERT_EQ(runner->Cont(), 2u);
    box.files().FailCall(kFspRead, 1, row.status);
    EXPECT_EQ(runner->ShapePartSel(), 5u);
    EXPECT_EQ(Written().back(), std::make_pair(kInfoTop, std::string(row.text)));
    box.files().ClearFaults();
  }
}

TEST_P(ViewLines, FinishedViewWritesItsBlankStatusLineOnEveryCall) {
  struct Row {
    bool iso, from_memory;
    const char* program;
  } rows[] = {
      {false, false, "+100+0\r\n+0+50\r\n"},
      {true, false, "%\r\nG1 X100 Y50\r\n"},
      {true, true, "%\r\nG1 X100 Y50\r\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.iso ? "ISO" : "Kerf") + (row.from_memory ? " memory" : ""));
    Load(row.program, row.iso, row.from_memory);
    runner->Start();
    ASSERT_EQ(runner->Cont(), 1u);  // the call that completes the drawing
    for (int call = 0; call < 3; ++call) {
      runner->graphics().recorder().Clear();
      EXPECT_EQ(runner->Cont(), 2u);
      // The status line again, the unchanged information line not.
      std::vector<std::pair<int, std::string>> expected = {{kStatusTop, kBlankStatus}};
      EXPECT_EQ(Written(), expected) << "call " << call;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Builds, ViewLines, ::testing::Values("Kerf", "Anvil"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
