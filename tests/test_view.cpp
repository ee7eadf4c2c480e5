// The program view through the loaded library, as the host drives it:
// start delay, slices, passes, status and information lines, fitting,
// failures and shape-part selection.
#include <gtest/gtest.h>
#include <math.h>

#include <string>
#include <vector>

#include "host/services/dispatch.h"
#include "host/screen/text.h"
#include "host/runners/view_runner.h"
#include "kerf/view.h"
#include "tests/support/sandbox.h"
#include "tests/support/written_texts.h"

namespace {

using testing_support::Sandbox;

class ProgramView : public ::testing::Test {
 protected:
  void SetUp() override { setenv("HOSTSIM_LIB_DIR", TEST_LIB_DIR, 1); }
  void TearDown() override {
    host::SetDispatchObserver({});
    if (runner) runner->Stop();
    EXPECT_EQ(box.files().open_handles(), 0);
  }

  // Loads the library with `program` as c:\p.knf; the tick counter counts
  // milliseconds (frequency 1000) and moves only when the test says so.
  void Load(const std::string& program, host::ViewOptions options = {}) {
    box.Write("c:\\p.knf", program);
    if (options.program_dos_path.empty()) options.program_dos_path = "c:\\p.knf";
    options.copy_dos_path = "c:\\parts.knf";
    runner = std::make_unique<host::ViewRunner>(box.files(), screen, &ticks, 1000);
    std::string error;
    ASSERT_TRUE(runner->Load(options, &error)) << error;
    recorder().Clear();
  }
  host::CallRecorder& recorder() { return runner->graphics().recorder(); }
  std::vector<host::GdiCall> Calls(int slot) {
    std::vector<host::GdiCall> out;
    for (const auto& c : recorder().calls())
      if (c.slot == slot) out.push_back(c);
    return out;
  }
  // The last text of the information line (its box's top 21 pixels above
  // the window's bottom); a finished view writes its status line after it.
  std::string InfoText() { return testing_support::LastTextAt(recorder(), 599 - 21); }
  // Texts written so far, in order, as UTF-8.
  std::vector<std::string> Texts() {
    std::vector<std::string> out;
    for (const auto& c : Calls(kGdiWriteText)) out.push_back(host::ZorvToUtf8(c.text));
    return out;
  }
  // Advances the tick counter by `ms` on every host service call, so the
  // view's slices end after a known amount of work.
  void AdvanceOnEveryCall(uint32_t ms) {
    host::SetDispatchObserver([this, ms](uint32_t, int) { ticks = ticks + ms; });
  }

  Sandbox box;
  host::Screen screen{800, 600};
  volatile uint32_t ticks = 0;
  std::unique_ptr<host::ViewRunner> runner;
};

TEST_F(ProgramView, StartDelayHoldsBackTheFile) {
  host::ViewOptions options;
  options.start_delay_ms = 500;
  Load("+10+10\r\n", options);
  EXPECT_EQ(runner->Start(), 0u);
  for (uint32_t t : {0u, 100u, 499u}) {
    ticks = t;
    EXPECT_EQ(runner->Cont(), 1u);
  }
  EXPECT_EQ(box.files().calls(kFspOpen), 0);
  ticks = 500;
  EXPECT_EQ(runner->Cont(), 1u);  // opens, draws, completes
  EXPECT_GT(box.files().calls(kFspOpen), 0);
  EXPECT_EQ(runner->Cont(), 2u);
}

TEST_F(ProgramView, CountingDownCounterIsInverted) {
  host::ViewOptions options;
  options.start_delay_ms = 50;
  Load("+10+10\r\n", options);
  runner->info().counts_down = 1;
  ticks = 1000;
  runner->Start();
  ticks = 960;  // 40 ms later on a falling counter
  EXPECT_EQ(runner->Cont(), 1u);
  EXPECT_EQ(box.files().calls(kFspOpen), 0);
  ticks = 940;
  runner->Cont();
  EXPECT_GT(box.files().calls(kFspOpen), 0);
}

TEST_F(ProgramView, MissingFileShowsThePathError) {
  host::ViewOptions options;
  options.program_dos_path = "c:\\missing.knf";
  Load("", options);
  runner->Start();
  EXPECT_EQ(runner->Cont(), 2u);
  ASSERT_FALSE(Texts().empty());
  EXPECT_EQ(Texts().back(), "File path error");
  EXPECT_EQ(runner->ShapePartSel(), 5u);
}

TEST_F(ProgramView, OtherOpenFailuresShowAnOperationError) {
  Load("+1+1\r\n");
  box.files().FailCall(kFspOpen, 1, -30);
  runner->Start();
  EXPECT_EQ(runner->Cont(), 2u);
  EXPECT_EQ(Texts().back(), "File operation error");
}

TEST_F(ProgramView, LastLineReturnsOneThenTwo) {
  Load("+100+0\r\n+0+50\r\n");
  runner->Start();
  EXPECT_EQ(runner->Cont(), 1u);  // time stands still: both passes in one call
  EXPECT_EQ(runner->Cont(), 2u);
  EXPECT_EQ(runner->Cont(), 2u);
}

TEST_F(ProgramView, FittedCoordinatesFollowTheFormulas) {
  Load("+100+0\r\n+0+50\r\n");
  runner->Start();
    recorder().Clear();  // the frame
  runner->Cont();
  // Drawing area of the window (0, 0)-(799, 599).
  double left = 5, top = 25, w = 794 - 5, h = 573 - 25;
  double s = 0.95 * std::min(w / 100, h / 50);
  int ox = static_cast<int>(left - 0 + 394 - s * 100 / 2);
  int oy = static_cast<int>(top + s * 50 + 274 - s * 50 / 2);
  auto round = [](double v) { return static_cast<int>(v + 0.5); };
  auto lines = Calls(kGdiLine);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].x, round(ox + 0.0));
  EXPECT_EQ(lines[0].y, round(oy - 0.0));
  EXPECT_EQ(lines[0].x2, round(ox + s * 100));
  EXPECT_EQ(lines[0].y2, round(oy - 0.0));
  EXPECT_EQ(lines[1].x2, round(ox + s * 100));
  EXPECT_EQ(lines[1].y2, round(oy - s * 50));
  // Centred: equal margins left and right of the drawing.
  int margin_left = lines[0].x - 5, margin_right = 794 - lines[0].x2;
  EXPECT_LE(abs(margin_left - margin_right), 2);
}

TEST_F(ProgramView, OrientationsTurnTheDrawing) {
  for (uint8_t o : {uint8_t('<'), uint8_t('F')}) {
    host::ViewOptions options;
    options.orientation = o;
    Load("+100+0\r\n", options);
    runner->Start();
    recorder().Clear();  // the frame
    runner->Cont();
    auto lines = Calls(kGdiLine);
    ASSERT_EQ(lines.size(), 1u);
    // A move along program x is drawn upwards on the screen.
    EXPECT_NEAR(lines[0].x, lines[0].x2, 1);
    EXPECT_GT(lines[0].y, lines[0].y2);
    runner->Stop();
  }
}

TEST_F(ProgramView, ZeroExtentsAreDrawnCentredWithoutNaN) {
  for (const char* program : {"5\r\n6\r\n", "+100+0\r\n+50+0\r\n", "+0-80\r\n", ""}) {
    Load(program);
    runner->Start();
    recorder().Clear();  // the frame
    runner->Cont();
    EXPECT_EQ(runner->Cont(), 2u) << program;
    for (const auto& l : Calls(kGdiLine)) {
      EXPECT_GE(l.x, 5);
      EXPECT_LE(l.x2, 794);
      EXPECT_GE(std::min(l.y, l.y2), 25);
      EXPECT_LE(std::max(l.y, l.y2), 573);
      // Centred on the axis without extent.
      if (l.y == l.y2) {
        EXPECT_NEAR(l.y, 25 + 274, 1);
      }
      if (l.x == l.x2) {
        EXPECT_NEAR(l.x, 5 + 394, 1);
      }
    }
    runner->Stop();
  }
}

TEST_F(ProgramView, ArcWithUnreachableCentreIsDrawn) {
  // The centre lies on the chord: the corrected radius is half the chord.
  Load("+0+0+100+0+\r\n+3+0+1+0+\r\n");
  runner->Start();
  runner->Cont();
  EXPECT_EQ(runner->Cont(), 2u);
  EXPECT_FALSE(Calls(kGdiLine).empty());
  std::string info = InfoText();
  EXPECT_EQ(info.find("nan"), std::string::npos);
  EXPECT_EQ(info, "20x20    ");
}

TEST_F(ProgramView, StatusLineShowsProgressWhileRunning) {
  std::string program;
  for (int i = 0; i < 400; ++i) program += "+10+0\r\n+0+10\r\n";
  Load(program);
  runner->Start();
  AdvanceOnEveryCall(150);  // every read takes 150 ms
  uint32_t calls = 0;
  while (runner->Cont() == 1) ++calls;
  EXPECT_GT(calls, 4u);
  std::vector<std::string> status;
  for (const auto& t : Texts())
    if (t.find("%      line ") != std::string::npos) status.push_back(t);
  ASSERT_FALSE(status.empty());
  EXPECT_EQ(status.front().substr(status.front().size() - 34), std::string(34, ' '));
  // The last status text is blank: the view has finished.
  bool blank_seen = false;
  for (const auto& t : Texts()) blank_seen |= t == std::string(34, ' ');
  EXPECT_TRUE(blank_seen);
  auto texts = Texts();
  EXPECT_NE(std::find(texts.begin(), texts.end(), "400x400    "), texts.end());
}

TEST_F(ProgramView, MalformedLineStopsTheViewButNotInsideASkippedSection) {
  Load("101\r\nMARKING TEXT\r\n102\r\n+10+10\r\n");
  runner->Start();
  runner->Cont();
  EXPECT_EQ(runner->Cont(), 2u);
  EXPECT_EQ(InfoText(), "1x1    ");
  runner->Stop();
  Load("+10+10\r\n+10 +10\r\n");
  runner->Start();
  EXPECT_EQ(runner->Cont(), 2u);  // a failure ends the view in the call that finds it
  EXPECT_EQ(Texts().back(), "Error: line does'nt include just signs and numbers");
}

TEST_F(ProgramView, ReadFailureEndsTheViewWithItsText) {
  Load("+10+10\r\n");
  box.files().FailCall(kFspRead, 1, -8);
  runner->Start();
  runner->Cont();
  EXPECT_EQ(runner->Cont(), 2u);
  EXPECT_EQ(InfoText(), "File reading error");
}

TEST_F(ProgramView, RapidMovesAreDashed) {
  Load("5\r\n+10+0\r\n6\r\n+0+10\r\n");
  runner->Start();
  recorder().Clear();
  runner->Cont();
  auto lines = Calls(kGdiLine);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].pattern, 0xF0F0);
  EXPECT_EQ(lines[1].pattern, 0xFFFF);
}

TEST_F(ProgramView, ShapePartSelectionBeforeTheEndReturnsTwo) {
  Load("+10+10\r\n");
  runner->Start();
  EXPECT_EQ(runner->ShapePartSel(), 2u);
}

TEST_F(ProgramView, CopyModeAppendsSuccessivePartsAndEmptiesOnlyAtTheStart) {
  host::ViewOptions options;
  options.part_mode = 3;
  Load("+1+0\r\n+2+0\r\n5\r\n+3+0\r\n6\r\n+4+0\r\n5\r\n+5+0\r\n", options);
  box.Write("c:\\parts.knf", "old contents\r\n");
  runner->Start();
  runner->Cont();
  ASSERT_EQ(runner->Cont(), 2u);
  EXPECT_EQ(box.Read("c:\\parts.knf"), "old contents\r\n");
  EXPECT_EQ(runner->ShapePartSel(), 1u);
  EXPECT_EQ(box.Read("c:\\parts.knf"), "+1+0\r\n+2+0\r\n");
  EXPECT_EQ(runner->ShapePartSel(), 1u);
  EXPECT_EQ(box.Read("c:\\parts.knf"), "+1+0\r\n+2+0\r\n+3+0\r\n6\r\n+4+0\r\n");
  EXPECT_EQ(runner->ShapePartSel(), 2u);  // the end
  EXPECT_EQ(box.Read("c:\\parts.knf"), "+1+0\r\n+2+0\r\n+3+0\r\n6\r\n+4+0\r\n+5+0\r\n");
  // Selected parts are drawn in red.
  bool red = false;
  for (const auto& c : Calls(kGdiSetColors)) red |= c.fg == CLR_RED;
  EXPECT_TRUE(red);
}

TEST_F(ProgramView, CopyWriteFailureReturnsFive) {
  host::ViewOptions options;
  options.part_mode = 3;
  Load("+1+0\r\n5\r\n", options);
  runner->Start();
  runner->Cont();
  runner->Cont();
  box.files().FailCall(kFspWrite, 1, -3);
  EXPECT_EQ(runner->ShapePartSel(), 5u);
  EXPECT_EQ(Texts().back(), "File operation error");
}

TEST_F(ProgramView, SelectionWithoutCopyEndsPartsAtCuttingCode) {
  Load("5\r\n+1+0\r\n6\r\n+2+0\r\n5\r\n+3+0\r\n6\r\n+4+0\r\n");
  runner->Start();
  runner->Cont();
  runner->Cont();
  recorder().Clear();
  EXPECT_EQ(runner->ShapePartSel(), 1u);
  EXPECT_EQ(Calls(kGdiLine).size(), 1u);
  EXPECT_EQ(runner->ShapePartSel(), 1u);
  EXPECT_EQ(runner->ShapePartSel(), 2u);
  // After the end a new selection starts over from the first part.
  EXPECT_EQ(runner->ShapePartSel(), 1u);
}

TEST_F(ProgramView, TextsFollowTheLanguage) {
  host::ViewOptions options;
  options.language = 5;
  options.program_dos_path = "c:\\missing.knf";
  Load("", options);
  runner->Start();
  runner->Cont();
  EXPECT_EQ(Texts().back(), "Chyba cesty k souboru");
}

TEST(Fit, BothAxesZeroDrawsAtScaleOne) {
  ViewExtents e = {0, 0, 0, 0};
  GdiRectI area = {5, 25, 794, 573};
  ViewFit fit = FitProgram(e, area, 0);
  EXPECT_EQ(fit.scale, 1);
  EXPECT_EQ(fit.origin_x, 5 + 394);
  EXPECT_EQ(fit.origin_y, 25 + 274);
}

TEST(ViewSliceClock, EndsExactlyWhenTheMillisecondsSayTheSliceIsOver) {
  // The direct rule: ElapsedMs of ViewMilliseconds at the start and now.
  // Frequencies that divide 2^32 and that do not, counters near wrapping,
  // both directions, slices of 0 to 3 ms.
  const uint32_t frequencies[] = {1000, 1193182, 3579545, 999, 0, 1000000};
  const uint32_t starts[] = {0, 1, 2386, 7'000'000, 0x7FFFFFFF, 0xFFFFFFFF - 5000, 0xFFFFFFFF};
  const int32_t steps[] = {0, 1, 1193, 2386, 3579, 5000, 7158, 10000, -1, -2386, -5000, 0x10000};
  int over = 0, running = 0;
  for (uint32_t frequency : frequencies)
    for (uint32_t start : starts)
      for (bool down : {false, true})
        for (uint32_t slice_ms = 0; slice_ms <= 3; ++slice_ms)
          for (int32_t step : steps) {
            volatile uint32_t ticks = start;
            uint32_t begun = ViewMilliseconds(&ticks, frequency, down);
            ViewSlice slice = BeginViewSlice(&ticks, frequency, slice_ms);
            ticks = start + static_cast<uint32_t>(step);
            bool want = ElapsedMs(ViewMilliseconds(&ticks, frequency, down), begun) >= slice_ms;
            ASSERT_EQ(ViewSliceOver(slice), want)
                << "frequency " << frequency << " start " << start << " step " << step
                << (down ? " down" : " up") << " slice " << slice_ms;
            (want ? over : running)++;
          }
  EXPECT_GT(over, 0);
  EXPECT_GT(running, 0);
  // Without a counter the milliseconds stay 0: no slice ends by time.
  EXPECT_FALSE(ViewSliceOver(BeginViewSlice(nullptr, 1000, 2)));
}

}  // namespace
