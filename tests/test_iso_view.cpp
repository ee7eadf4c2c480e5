// The ISO program view: the word layer (blocks, numbers, modal state) and
// the memory line reader directly, and the view through the loaded library
// as the host drives it. Most cases draw a program twice, once written the
// way under test and once written plainly, and compare the recorded calls.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "host/services/dispatch.h"
#include "host/screen/text.h"
#include "host/runners/view_runner.h"
#include "kerf/iso_block.h"
#include "kerf/iso_view.h"
#include "tests/support/sandbox.h"
#include "tests/support/written_texts.h"

namespace {

using testing_support::Sandbox;

// ---------------------------------------------------------------------------
// Word layer.

std::string Normalized(std::string block) {
  NormalizeIsoBlock(block.data());
  return block.c_str();
}

TEST(IsoBlockText, BlanksTabsAndQuotedCommentsAreRemoved) {
  EXPECT_EQ(Normalized(" G1\tX10  Y2 "), "G1X10Y2");
  EXPECT_EQ(Normalized("G1 \"G0 X5\" X10 \"a\"Y3"), "G1X10Y3");
  EXPECT_EQ(Normalized("X1 \"never closed Y5"), "X1");
}

double Number(const char* text, bool* ok = nullptr, size_t* used = nullptr) {
  const char* p = text;
  double value = -12345;
  bool good = ReadIsoNumber(&p, &value);
  if (ok) *ok = good;
  if (used) *used = static_cast<size_t>(p - text);
  return value;
}

TEST(IsoNumber, SignDigitsAndOnePointAreRead) {
  EXPECT_DOUBLE_EQ(Number("12.5"), 12.5);
  EXPECT_DOUBLE_EQ(Number("-0.25"), -0.25);
  EXPECT_DOUBLE_EQ(Number("+7"), 7);
  EXPECT_DOUBLE_EQ(Number(".5"), 0.5);
  EXPECT_DOUBLE_EQ(Number("3."), 3);
  EXPECT_EQ(Number("0.1"), 0.1);  // the nearest double, as the C library reads it
}

TEST(IsoNumber, MalformedNumbersAreZeroAndConsumedWhole) {
  bool ok = true;
  size_t used = 0;
  EXPECT_EQ(Number("1.2.3Y4", &ok, &used), 0);
  EXPECT_FALSE(ok);
  EXPECT_EQ(used, 5u);  // the next word starts at Y
  EXPECT_EQ(Number("5-3", &ok), 0);
  EXPECT_FALSE(ok);
  EXPECT_EQ(Number("--1", &ok), 0);
  EXPECT_FALSE(ok);
  EXPECT_EQ(Number("Y", &ok, &used), 0);  // empty number
  EXPECT_TRUE(ok);
  EXPECT_EQ(used, 0u);
  std::string huge(400, '9');
  EXPECT_EQ(Number(huge.c_str(), &ok), 0);
  EXPECT_FALSE(ok);
}

class IsoBlocks : public ::testing::Test {
 protected:
  IsoMove Block(const char* text) {
    std::string b = text;
    NormalizeIsoBlock(b.data());
    IsoMove m = InterpretIsoBlock(b.c_str(), settings, &modal, x, y);
    x += m.dx;
    y += m.dy;
    return m;
  }
  IsoSettings settings{{'X', 'Y'}, false, false, false};
  IsoModal modal{};
  double x = 0, y = 0;
};

TEST_F(IsoBlocks, NothingCountsBeforeThePercentSign) {
  EXPECT_EQ(Block("G91 G0 X5 Y5").kind, IsoMoveKind::kNone);
  EXPECT_FALSE(modal.incremental);
  IsoMove m = Block("% X7 Y3");  // words after the sign in its block count
  EXPECT_EQ(m.kind, IsoMoveKind::kLinear);
  EXPECT_EQ(m.dx, 7);
  EXPECT_EQ(m.dy, 3);
}

TEST_F(IsoBlocks, LowerCaseLettersAndLeadingZerosOfGWords) {
  Block("%");
  EXPECT_EQ(Block("g00 x10 y0").kind, IsoMoveKind::kRapid);
  EXPECT_EQ(Block("g02 x20 y0 i5 j0").kind, IsoMoveKind::kClockwise);
  EXPECT_EQ(Block("G03 X30 Y0 I5").kind, IsoMoveKind::kCounterClockwise);
  EXPECT_EQ(Block("G17 G40 N5 F100 M3 X40 Y0").kind, IsoMoveKind::kCounterClockwise);
}

TEST_F(IsoBlocks, GWordActsOnItsWholeBlock) {
  Block("% G1 X10 Y10");
  IsoMove m = Block("X5 G91 Y5");
  EXPECT_EQ(m.dx, 5);
  EXPECT_EQ(m.dy, 5);
}

TEST_F(IsoBlocks, ArcLackingAnAxisIsStraightAndItsModeStays) {
  Block("%");
  EXPECT_EQ(Block("G2 X10 I5").kind, IsoMoveKind::kLinear);
  EXPECT_EQ(modal.motion, IsoMotion::kClockwise);
  EXPECT_EQ(Block("X20 Y0 I5 J0").kind, IsoMoveKind::kClockwise);
}

TEST_F(IsoBlocks, BlockWithoutAxisWordsMovesNowhere) {
  Block("% G1 X10 Y10");
  EXPECT_EQ(Block("G90 F500").kind, IsoMoveKind::kNone);
  EXPECT_EQ(modal.last[0], 10);
}

TEST_F(IsoBlocks, OptionsSwapArcsCentresAndHalveDiameters) {
  settings = {{'X', 'Z'}, true, true, true};
  Block("%");
  IsoMove m = Block("G2 X40 Z10 I3 K4 J5");
  EXPECT_EQ(m.kind, IsoMoveKind::kCounterClockwise);
  EXPECT_EQ(m.dx, 20);   // diameter 40
  EXPECT_EQ(m.dy, 10);
  EXPECT_EQ(m.cx, 5);    // J (the last of J and K) goes to the first axis
  EXPECT_EQ(m.cy, 3);    // I to the second
  EXPECT_EQ(Block("G3 X40 Z20").kind, IsoMoveKind::kClockwise);
  EXPECT_EQ(Block("Y99 Z30").dx, 0);  // Y is not an axis here
}

TEST_F(IsoBlocks, IncrementalMovesKeepTheAbsolutePositionForLaterG90) {
  Block("% G91 G1 X10 Y10");
  Block("X5");
  IsoMove m = Block("G90 X30");  // Y stays where the tool is: 10
  EXPECT_EQ(m.dx, 15);
  EXPECT_EQ(m.dy, 0);
}

// ---------------------------------------------------------------------------
// Memory line reader.

std::vector<std::string> MemoryLines(const char* text, uint32_t length, uint32_t* lines = nullptr) {
  ProgramReader r{};
  MemoryText m{text, length, 0, 0};
  std::vector<std::string> out;
  while (ReadMemoryLine(&r, &m) == 0) out.push_back(r.line);
  if (lines) *lines = r.line_count;
  return out;
}

TEST(IsoMemoryReader, CrLfAndCrLfEndLines) {
  std::string text = "A1\rB2\nC3\r\nD4";
  std::vector<std::string> expected = {"A1", "B2", "C3", "D4"};
  EXPECT_EQ(MemoryLines(text.data(), static_cast<uint32_t>(text.size())), expected);
}

TEST(IsoMemoryReader, TwoLineEndsInARowAreOneAndAThirdStartsAnEmptyLine) {
  std::string text = "A\n\nB\n\r\nC";
  std::vector<std::string> expected = {"A", "B", "", "C"};
  EXPECT_EQ(MemoryLines(text.data(), static_cast<uint32_t>(text.size())), expected);
}

TEST(IsoMemoryReader, LongLineComesInPiecesWithoutLosingACharacter) {
  std::string text = std::string(998, 'a') + "bc\n";
  auto lines = MemoryLines(text.data(), static_cast<uint32_t>(text.size()));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], std::string(998, 'a'));
  EXPECT_EQ(lines[1], "bc");
}

TEST(IsoMemoryReader, ProgressCountsBlocksLikeAFile) {
  std::string text(1300, 'x');
  for (size_t i = 99; i < text.size(); i += 100) text[i] = '\n';
  ProgramReader r{};
  r.weight = ProgressWeight::kMeasuring;
  MemoryText m{text.data(), static_cast<uint32_t>(text.size()), 0, 0};
  ASSERT_EQ(ReadMemoryLine(&r, &m), 0);
  EXPECT_EQ(r.consumed, static_cast<uint32_t>(512 * 0.3));
  while (ReadMemoryLine(&r, &m) == 0) {
  }
  uint32_t expected = static_cast<uint32_t>(512 * 0.3) * 2 + static_cast<uint32_t>(276 * 0.3);
  EXPECT_EQ(r.consumed, expected);
}

// A text that ends at the last byte of a readable page, followed by one that
// may not be touched: reading one byte too far ends the test process.
class GuardedText {
 public:
  explicit GuardedText(const std::string& text) {
    page_ = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    base_ = static_cast<char*>(
        mmap(nullptr, 2 * page_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    mprotect(base_ + page_, page_, PROT_NONE);
    data_ = base_ + page_ - text.size();
    memcpy(data_, text.data(), text.size());
    length_ = static_cast<uint32_t>(text.size());
  }
  ~GuardedText() { munmap(base_, 2 * page_); }
  const char* data() const { return data_; }
  uint32_t length() const { return length_; }

 private:
  size_t page_;
  char* base_;
  char* data_;
  uint32_t length_;
};

TEST(IsoMemoryReader, NeverReadsPastTheGivenLength) {
  for (const char* text : {"A\r", "A\r\n", "A\n", "AB", "A\n\n"}) {
    GuardedText g(text);
    auto lines = MemoryLines(g.data(), g.length());
    ASSERT_FALSE(lines.empty()) << text;
    EXPECT_EQ(lines[0], std::string(text, text[1] == 'B' ? 2 : 1));
  }
  // The length ends the text even where a NUL does not.
  std::string text = "A\nB\nC\n";
  EXPECT_EQ(MemoryLines(text.data(), 4).size(), 2u);
}

// ---------------------------------------------------------------------------
// The view through the loaded library.

class IsoProgramView : public ::testing::Test {
 protected:
  void SetUp() override { setenv("HOSTSIM_LIB_DIR", TEST_LIB_DIR, 1); }
  void TearDown() override {
    host::SetDispatchObserver({});
    if (runner) runner->Stop();
    EXPECT_EQ(box.files().open_handles(), 0);
  }

  // Loads the library for `program`, from the file c:\p.nc or, with
  // `from_memory`, as a text in host memory. The tick counter counts
  // milliseconds and moves only when the test says so.
  void Load(const std::string& program, bool from_memory = false,
            host::ViewOptions options = {}) {
    box.Write("c:\\p.nc", program);
    options.iso = true;
    if (from_memory) {
      options.iso_text = program;
      options.program_dos_path.clear();
    } else if (options.program_dos_path.empty()) {
      options.program_dos_path = "c:\\p.nc";
    }
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
  std::vector<std::string> Texts() {
    std::vector<std::string> out;
    for (const auto& c : Calls(kGdiWriteText)) out.push_back(host::ZorvToUtf8(c.text));
    return out;
  }
  // Runs the view to its end; returns every call it made, described.
  std::vector<std::string> Run() {
    ticks = 0;
    host::ViewRun run = runner->RunToEnd();
    EXPECT_EQ(run.last_result, 2u);
    runner->Stop();
    return recorder().Descriptions();
  }
  std::vector<std::string> Draw(const std::string& program, bool from_memory = false,
                                host::ViewOptions options = {}) {
    Load(program, from_memory, options);
    return Run();
  }
  // Advances the tick counter by `ms` on every graphics call, so a slice
  // ends after a known amount of drawing (file calls leave time alone, so
  // that a file and a memory text take the same slices).
  void AdvanceOnEveryCall(uint32_t ms) {
    host::SetDispatchObserver([this, ms](uint32_t handle, int) {
      if (host::ServiceName(handle).rfind("Gdi", 0) == 0) ticks = ticks + ms;
    });
  }

  Sandbox box;
  host::Screen screen{800, 600};
  volatile uint32_t ticks = 0;
  std::unique_ptr<host::ViewRunner> runner;
};

TEST_F(IsoProgramView, BlocksBeforeThePercentSignAreIgnored) {
  auto plain = Draw("%\nG1 X10 Y0\nX10 Y10\n");
  EXPECT_EQ(Draw("G0 X500 Y-500\nG91\n%\nG1 X10 Y0\nX10 Y10\n"), plain);
  EXPECT_EQ(InfoText(), "10x10    ");
}

TEST_F(IsoProgramView, IncrementalBlockWithOneAxisMovesAlongItOnly) {
  EXPECT_EQ(Draw("%\nG91\nG1 X10\nY20\nX-5\n"), Draw("%\nG1 X10 Y0\nX10 Y20\nX5 Y20\n"));
}

TEST_F(IsoProgramView, AbsoluteBlockWithOneAxisKeepsTheOther) {
  EXPECT_EQ(Draw("%\nG1 X10 Y20\nX30\nY5\n"), Draw("%\nG1 X10 Y20\nX30 Y20\nX30 Y5\n"));
}

TEST_F(IsoProgramView, ArcWithoutSecondAxisIsStraightAndTheNextBlockIsAnArc) {
  auto calls = Draw("%\nG2 X20 I10 J0\nX40 Y0 I10 J0\n");
  EXPECT_EQ(calls, Draw("%\nG1 X20 Y0\nG2 X40 Y0 I10 J0\n"));
  // The straight block is one line; the arc is many chords.
  EXPECT_GT(Calls(kGdiLine).size(), 5u);
  EXPECT_NE(calls, Draw("%\nG1 X20 Y0\nX40 Y0\n"));
}

TEST_F(IsoProgramView, WordWithTwoDecimalPointsCountsAsZero) {
  EXPECT_EQ(Draw("%\nG1 X1.2.3 Y10\nX10\n"), Draw("%\nG1 X0 Y10\nX10 Y10\n"));
}

TEST_F(IsoProgramView, QuotedWordsAreIgnored) {
  EXPECT_EQ(Draw("%\nG1 X10 Y10 \"G0 G91 X99\"\nX20 Y0\n"), Draw("%\nG1 X10 Y10\nX20 Y0\n"));
}

TEST_F(IsoProgramView, RapidMovesAreDashedAndOthersSolid) {
  Draw("%\nG0 X10 Y0\nG1 X10 Y10\nG0 X0 Y10\nG3 X0 Y0 I0 J-5\n");
  auto lines = Calls(kGdiLine);
  std::vector<int> patterns;
  for (const auto& c : lines)
    if (patterns.empty() || patterns.back() != c.pattern) patterns.push_back(c.pattern);
  // The frame, then the program: rapid, cut, rapid, arc.
  std::vector<int> expected = {kPatternSolid, kPatternDashed, kPatternSolid, kPatternDashed,
                               kPatternSolid};
  EXPECT_EQ(patterns, expected);
}

TEST_F(IsoProgramView, OptionsMatchTheirPlainEquivalents) {
  host::ViewOptions swapped;
  swapped.iso_options = kIsoOptionSwapArcs | kIsoOptionSwapCentres;
  EXPECT_EQ(Draw("%\nG1 X10 Y0\nG2 X30 Y0 I0 J10\n", false, swapped),
            Draw("%\nG1 X10 Y0\nG3 X30 Y0 I10 J0\n"));
  host::ViewOptions lathe;
  lathe.iso_axes = "xz";
  lathe.iso_diameter = true;
  EXPECT_EQ(Draw("%\nG1 X40 Z0\nZ-30\nG2 X80 Z-50 I0 K-20\n", false, lathe),
            Draw("%\nG1 X20 Y0\nY-30\nG2 X40 Y-50 I0 J-20\n"));
}

TEST_F(IsoProgramView, InformationLineShowsTheSizeUndivided) {
  Draw("%\nG1 X123 Y45.6\n");
  EXPECT_EQ(InfoText(), "123x46    ");
}

const char kProgram[] =
    "\"part\"\n%\nG90 G0 X10 Y10\nG1 X110\nG3 X110 Y70 I0 J30\nG1 X10\nG2 Y10 I0 J-30\n"
    "G91 G0 X20 Y20\nG2 X0 Y0 I10 J0\nM30\n";

// A program long enough for the status line to show its progress when
// every graphics call takes a millisecond.
std::string LongProgram() {
  std::string program = "%\n";
  for (int i = 0; i < 300; ++i)
    program += "G1 X" + std::to_string(i % 7) + " Y" + std::to_string(i) + "\n";
  return program;
}

bool ShowsProgress(const std::vector<std::string>& texts) {
  for (const auto& t : texts)
    if (t.find('%') != std::string::npos) return true;
  return false;
}

TEST_F(IsoProgramView, FileAndMemoryDrawTheSameCalls) {
  EXPECT_EQ(Draw(kProgram, true), Draw(kProgram));
  // Sliced, with the progress and line counter in the status line on the way.
  AdvanceOnEveryCall(1);
  auto from_file = Draw(LongProgram());
  EXPECT_TRUE(ShowsProgress(Texts()));
  EXPECT_EQ(Draw(LongProgram(), true), from_file);
}

TEST_F(IsoProgramView, MemoryWithEveryLineEndDrawsAsTheFile) {
  auto from_file = Draw(kProgram);
  std::string text = kProgram;
  std::string mixed;
  int n = 0;
  for (char c : text) {
    if (c != '\n') {
      mixed += c;
      continue;
    }
    const char* ends[] = {"\r", "\n", "\r\n"};
    mixed += ends[n++ % 3];
  }
  EXPECT_EQ(Draw(mixed, true), from_file);
}

TEST_F(IsoProgramView, MemoryTextIsReadOnlyToItsLength) {
  auto plain = Draw("%\nG1 X10 Y0\nX10 Y10\n", true);
  std::string text = "%\nG1 X10 Y0\nX10 Y10";
  GuardedText g(text);
  Load("", true);
  runner->info().text = g.data();
  runner->info().text_length = g.length();
  EXPECT_EQ(Run(), plain);
}

TEST_F(IsoProgramView, SlicesEndAfterTwoMillisecondsAndTheLastDrawingCallReturnsOne) {
  AdvanceOnEveryCall(1);
  Load(kProgram, true);
  runner->Start();
  std::vector<uint32_t> results;
  for (int i = 0; i < 1000; ++i) {
    results.push_back(runner->Cont());
    if (results.back() == 2) break;
  }
  ASSERT_GT(results.size(), 3u);
  EXPECT_EQ(results.back(), 2u);
  EXPECT_EQ(results[results.size() - 2], 1u);
}

TEST_F(IsoProgramView, StartDelayHoldsBackTheMemoryText) {
  host::ViewOptions options;
  options.start_delay_ms = 100;
  Load("%\nG1 X10 Y10\n", true, options);
  runner->Start();
  recorder().Clear();
  ticks = 99;
  EXPECT_EQ(runner->Cont(), 1u);
  EXPECT_TRUE(recorder().calls().empty());
  ticks = 100;
  EXPECT_EQ(runner->Cont(), 1u);
  EXPECT_FALSE(Calls(kGdiLine).empty());
  EXPECT_EQ(runner->Cont(), 2u);
}

TEST_F(IsoProgramView, FinishedMemoryViewBlanksItsProgressAtOnce) {
  AdvanceOnEveryCall(1);
  Load(LongProgram(), true);
  Run();
  auto texts = Texts();
  EXPECT_TRUE(ShowsProgress(texts));
  EXPECT_EQ(texts.back(), std::string(34, ' '));
}

TEST_F(IsoProgramView, MissingProgramsShowThePathError) {
  host::ViewOptions options;
  options.program_dos_path = "c:\\missing.nc";
  Load("", false, options);
  runner->Start();
  EXPECT_EQ(runner->Cont(), 2u);
  EXPECT_EQ(Texts().back(), "File path error");

  Load("", true);
  runner->info().text = nullptr;
  runner->Start();
  EXPECT_EQ(runner->Cont(), 2u);
  EXPECT_EQ(Texts().back(), "File path error");
}

TEST_F(IsoProgramView, ReadFailureEndsTheViewWithItsText) {
  Load(kProgram);
  box.files().FailCall(kFspRead, 1, -1);
  runner->Start();
  EXPECT_EQ(runner->Cont(), 2u);  // a failed view has finished
  EXPECT_EQ(InfoText(), "File operation error");
}

TEST_F(IsoProgramView, PreprocessExportsDoNothing) {
  Load("%\n");
  for (const char* name : {"PreprocessStart", "PreprocessCont", "PreprocessStop",
                           "ISO::PreprocessStart", "ISO::PreprocessCont", "ISO::PreprocessStop"}) {
    auto fn = runner->library().Bind<uint32_t (*)(void*)>(name);
    ASSERT_NE(fn, nullptr) << name;
    EXPECT_EQ(fn(nullptr), 0u) << name;
  }
  EXPECT_TRUE(recorder().calls().empty());
  EXPECT_EQ(box.files().calls(kFspOpen), 0);
}

}  // namespace
