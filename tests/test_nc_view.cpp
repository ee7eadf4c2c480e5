// The NC program viewer: its block index and search against plain
// references on random programs, and the viewer through NcViewInit,
// NcViewStart and NcViewCont in the host simulator (what each row shows,
// in which colours, after keys and followed blocks).
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "anvil/nc_index.h"
#include "anvil/nc_lines.h"
#include "bridge/gdi.h"
#include "host/runners/nc_view_runner.h"

namespace {

using anvil::NcBlock;

// ---------------------------------------------------------------------------
// The index against the blocks a generator wrote.

struct Generated {
  std::string text;
  std::vector<NcBlock> blocks;  // in text order, ends filled
};

// A header, then lines of words; block words "N<k>" with blanks, signs and
// zeros, "N" inside quotes and "N" without a number, which are no blocks.
Generated RandomProgram(std::mt19937& rng, int lines) {
  Generated g;
  auto pick = [&](int n) { return static_cast<int>(rng() % n); };
  g.text = pick(2) ? "; lead-in N7\n%" : "%";
  g.text += pick(2) ? "  12 PART\r\n" : "1\n";
  const char* fillers[] = {"G1 X10 Y-5", "\"N5 in a text\"", "M3", "\tF1500", "N X1", "n", "(C9)"};
  bool open = false;  // the last block has no end yet
  for (int l = 0; l < lines; ++l) {
    int words = pick(3);
    for (int w = 0; w < words; ++w) {
      if (pick(3) == 0) {
        int number = pick(4) == 0 ? 0 : pick(40) - 5;
        uint32_t at = static_cast<uint32_t>(g.text.size());
        if (open) g.blocks.back().end = at - 1;
        open = number != 0;
        if (open) g.blocks.push_back(NcBlock{at, number, 0});
        g.text += pick(2) ? "N" : "n";
        g.text += pick(3) == 0 ? " \t" : "";
        g.text += (number >= 0 && pick(2)) ? "+" + std::to_string(number) : std::to_string(number);
      }
      g.text += " ";
      g.text += fillers[pick(7)];
    }
    g.text += pick(4) == 0 ? "\r\n" : "\n";
  }
  if (open) g.blocks.back().end = static_cast<uint32_t>(g.text.size() - 1);
  if (pick(2)) g.text += "* after the end N99\n";
  return g;
}

int32_t LastEqual(const std::vector<NcBlock>& sorted, int32_t n) {
  int32_t found = -1;
  for (size_t i = 0; i < sorted.size(); ++i)
    if (sorted[i].number == n) found = static_cast<int32_t>(i);
  return found;
}

TEST(NcIndex, ScanSortAndSearchAgreeWithPlainReferences) {
  std::mt19937 rng(20);
  for (int round = 0; round < 300; ++round) {
    Generated g = RandomProgram(rng, 1 + round % 60);
    anvil::NcScan count;
    anvil::NcScanBlocks(g.text.data(), static_cast<uint32_t>(g.text.size()), &count);
    ASSERT_EQ(count.found, g.blocks.size()) << g.text;
    std::vector<NcBlock> entries(count.found + 1), scratch(count.found);
    anvil::NcScan scan;
    scan.entries = entries.data();
    scan.capacity = count.found;
    anvil::NcScanBlocks(g.text.data(), static_cast<uint32_t>(g.text.size()), &scan);
    for (size_t i = 0; i < g.blocks.size(); ++i) {
      ASSERT_EQ(entries[i].start, g.blocks[i].start) << i << "\n" << g.text;
      ASSERT_EQ(entries[i].number, g.blocks[i].number);
      ASSERT_EQ(entries[i].end, g.blocks[i].end) << "block " << i << " ends before the next N\n" << g.text;
    }
    std::vector<NcBlock> expected = g.blocks;
    std::stable_sort(expected.begin(), expected.end(),
                     [](const NcBlock& a, const NcBlock& b) { return a.number < b.number; });
    std::vector<NcBlock> in_place(entries.begin(), entries.begin() + scan.count);
    // Every third round without scratch: the rotating merge.
    if (round % 3 == 0) anvil::NcSortBlocks(entries.data(), scan.count, nullptr, 0);
    else anvil::NcSortBlocks(entries.data(), scan.count, scratch.data(), static_cast<uint32_t>(scratch.size()));
    anvil::NcSortBlocks(in_place.data(), scan.count, nullptr, 0);
    for (size_t i = 0; i < expected.size(); ++i) {
      ASSERT_EQ(entries[i].start, expected[i].start) << "equal numbers keep their text order";
      ASSERT_EQ(in_place[i].start, expected[i].start);
    }
    for (int32_t n = -7; n < 38; ++n)
      ASSERT_EQ(anvil::NcFindBlock(entries.data(), scan.count, n), LastEqual(expected, n)) << n;
  }
  EXPECT_EQ(anvil::NcFindBlock(nullptr, 0, 5), -1) << "no entries: not found, nothing read";
}

TEST(NcLines, PreviousLineUndoesNextLine) {
  std::mt19937 rng(7);
  const char parts[] = {'a', 'b', ' ', '\r', '\n'};
  for (int round = 0; round < 2000; ++round) {
    std::string t;
    for (int i = static_cast<int>(rng() % 12); i > 0; --i) t += parts[rng() % 5];
    uint32_t n = static_cast<uint32_t>(t.size());
    std::vector<uint32_t> starts = {0};
    while (anvil::NcNextLine(t.data(), n, starts.back()) < n) starts.push_back(anvil::NcNextLine(t.data(), n, starts.back()));
    for (size_t i = 1; i < starts.size(); ++i)
      ASSERT_EQ(anvil::NcPreviousLine(t.data(), n, starts[i]), starts[i - 1]) << '"' << t << '"' << i;
    if (n > 0 && anvil::NcNextLine(t.data(), n, starts.back()) == n && !anvil::NcIsLineEnd(t[n - 1])) {
      ASSERT_EQ(anvil::NcPreviousLine(t.data(), n, n), starts.back());
    }
  }
}

// ---------------------------------------------------------------------------
// The viewer through its exports.

struct Cell {
  char c = ' ';
  int fg = -1, bg = -1;
};

// What the rows of text show, rebuilt from the recorded text boxes.
class Rows {
 public:
  Rows(const host::CallRecorder& recorder, int x0) {
    int x = 0, y = 0, columns = 0, fg = 0, bg = 0, at = 0;
    for (const host::GdiCall& call : recorder.calls()) {
      if (call.slot == kGdiTextBox) {
        x = call.x, y = call.y, columns = call.columns, fg = call.fg, bg = call.bg, at = 0;
      } else if (call.slot == kGdiWriteText) {
        for (char c : call.text) Put(y, (x - x0) / 8 + at++, Cell{c, fg, bg});
      } else if (call.slot == kGdiTextBlank) {
        for (; at < columns; ++at) Put(y, (x - x0) / 8 + at, Cell{' ', fg, bg});
      }
    }
  }
  // The row at y, trailing blanks cut.
  std::string Text(int y) const {
    auto it = rows_.find(y);
    if (it == rows_.end()) return "<none>";
    std::string s;
    for (const Cell& c : it->second) s += c.c;
    return s.substr(0, s.find_last_not_of(' ') + 1);
  }
  Cell At(int y, int column) const {
    auto it = rows_.find(y);
    return it == rows_.end() || column >= static_cast<int>(it->second.size()) ? Cell{} : it->second[column];
  }

 private:
  void Put(int y, int column, Cell cell) {
    if (column < 0) return;
    auto& row = rows_[y];
    if (row.size() <= static_cast<size_t>(column)) row.resize(column + 1);
    row[column] = cell;
  }
  std::map<int, std::vector<Cell>> rows_;
};

// Window 0,0-799,199: text from x 8, rows at y 26, 42, ...; 9 lines a page.
constexpr int kRowY0 = 26;
int RowY(int k) { return kRowY0 + 16 * k; }

class NcViewer : public ::testing::Test {
 protected:
  NcViewer() : screen_(800, 600), runner_(screen_) {}
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(runner_.Load(9, &error)) << error;
    runner_.SetWindow(0, 0, 799, 199);
    runner_.record().title = "T";
    runner_.record().status = "S";
  }
  void Open(const std::string& text) {
    runner_.Init(text);
    runner_.Start();
    runner_.graphics().recorder().Clear();
    ASSERT_LT(runner_.PaintPage(), host::NcViewRunner::kMaxCallsPerPage);
  }
  // The page as painted since the last call.
  Rows Take() {
    Rows rows(runner_.graphics().recorder(), 8);
    runner_.graphics().recorder().Clear();
    return rows;
  }
  host::Screen screen_;
  host::NcViewRunner runner_;
};

const char kProgram[] =
    "%1 HEAD\n"
    "N10 G1 X5\n"
    "N20 G71 \"N5 T\"\n"
    "N10 M3 G70\r\n"
    "abc\td\n"
    "\n"
    "X1 N30 Y2\n";

TEST_F(NcViewer, RowsColoursKeysAndFollowedBlocks) {
  Open(kProgram);
  Rows page = Take();
  EXPECT_EQ(page.Text(RowY(0)), "%1 HEAD");
  EXPECT_EQ(page.Text(RowY(3)), "N10 M3 G70") << "CR LF is one line end";
  EXPECT_EQ(page.Text(RowY(4)), "abc  d") << "a tab at column 3 is two blanks";
  EXPECT_EQ(page.Text(RowY(5)), "X1 N30 Y2") << "the empty line between two LF is not shown";
  EXPECT_EQ(page.Text(RowY(6)), "") << "rows after the text are blanked";
  EXPECT_EQ(page.At(RowY(0), 3).fg, CLR_GREEN) << "a letter of the header is 14";
  EXPECT_EQ(page.At(RowY(1), 0).fg, CLR_RED) << "a letter is 13";
  EXPECT_EQ(page.At(RowY(1), 1).fg, CLR_BLACK) << "a digit is 0";
  EXPECT_EQ(page.At(RowY(2), 9).fg, CLR_GREEN) << "the quote itself is 14";
  EXPECT_EQ(page.At(RowY(2), 10).fg, CLR_GREEN) << "a letter inside quotes is 14, not 13";
  EXPECT_EQ(page.At(RowY(1), 0).bg, CLR_WHITE);

  struct Step {
    const char* what;
    int key;          // key character, or 0 to follow `block`
    int block;
    bool repaints;
    const char* first_row;  // "" = not checked
  } steps[] = {
      {"follow 10: the later block 10, one line above its line", 0, 10, true, "N20 G71 \"N5 T\""},
      {"the same block again: no repaint", 0, 10, false, ""},
      {"N5 inside quotes is no block: selection cleared, no repaint", 0, 5, false, ""},
      {"follow 20 (starts its line at the top: the line above)", 0, 20, true, "N10 G1 X5"},
      {"a block inside its line: the page starts with that line", 0, 30, true, "X1 N30 Y2"},
      {"line up", 1, 0, true, "abc  d"},
      {"home", 6, 0, true, "%1 HEAD"},
      {"up at the top: no line there", 1, 0, false, ""},
      {"down", 3, 0, true, "N10 G1 X5"},
      {"page down goes as far as the last line", 9, 0, true, "X1 N30 Y2"},
      {"down at the last line", 3, 0, false, ""},
      {"end: the text's end, then a page up", 8, 0, true, "%1 HEAD"},
      {"page up at the top", 7, 0, false, ""},
      {"page down", 9, 0, true, "X1 N30 Y2"},
      {"page up", 7, 0, true, "%1 HEAD"},
      {"offset + 1", 2, 0, true, "1 HEAD"},
      {"offset - 1", 4, 0, true, "%1 HEAD"},
      {"offset below 0", 4, 0, false, ""},
      {"an unknown key", 5, 0, false, ""},
  };
  for (const Step& s : steps) {
    uint32_t calls = s.key != 0 ? runner_.Key(static_cast<uint8_t>(s.key)) : runner_.Follow(s.block);
    Rows rows = Take();
    EXPECT_EQ(calls != 0, s.repaints) << s.what;
    if (*s.first_row != '\0') {
      EXPECT_EQ(rows.Text(RowY(0)), s.first_row) << s.what;
    }
  }
  // Following 10 marks the second block 10 from its N to the character
  // before the next N; its G70 writes the hint line again.
  runner_.Follow(10);
  Rows rows = Take();
  EXPECT_EQ(rows.Text(RowY(1)), "N10 M3 G70");
  EXPECT_EQ(rows.At(RowY(1), 0).bg, CLR_P2);
  EXPECT_EQ(rows.At(RowY(2), 5).bg, CLR_P2) << "the block runs on over the next line";
  EXPECT_EQ(rows.At(RowY(3), 2).bg, CLR_P2) << "up to the character before N30";
  EXPECT_EQ(rows.At(RowY(3), 3).bg, CLR_WHITE);
  EXPECT_EQ(rows.At(RowY(0), 0).bg, CLR_WHITE) << "block 20 is not selected";
  // Block 20's G71 writes "N20" ending at R - 5 in the hint line.
  runner_.Follow(20);
  bool at_right = false;
  for (const host::GdiCall& c : runner_.graphics().recorder().calls()) {
    if (c.slot == kGdiTextBox && c.x == 799 - 5 - 24 && c.y == 199 - 21) at_right = true;
  }
  EXPECT_TRUE(at_right);
  runner_.graphics().recorder().Clear();
  runner_.Follow(10);
  bool hint = false;
  for (const host::GdiCall& c : runner_.graphics().recorder().calls())
    hint |= c.slot == kGdiWriteText && c.text == "For listing hold N and press arrow";
  EXPECT_TRUE(hint) << "G70 writes the hint again";
}

TEST_F(NcViewer, OffsetStopsAt200AndColouringOff) {
  runner_.SetWindow(0, 0, 799, 71);  // one line a page
  runner_.record().colouring = 0;
  Open("%1\nN1 X\n");
  Take();
  int repaints = 0;
  for (int k = 0; k < 201; ++k) repaints += runner_.Key(2) != 0;
  EXPECT_EQ(repaints, 200) << "the 201st right shift changes nothing";
  runner_.Key(6);
  runner_.Key(4);
  Rows rows = Take();
  EXPECT_EQ(rows.At(kRowY0, 0).c, ' ') << "offset 199 shows blanks";
  for (int k = 0; k < 199; ++k) runner_.Key(4);
  rows = Take();
  EXPECT_EQ(rows.Text(kRowY0), "%1");
  EXPECT_EQ(rows.At(kRowY0, 0).fg, CLR_BLACK) << "colouring off";
}

TEST_F(NcViewer, BadInputPaintsNothingOutsideAndNeverCrashes) {
  // Null pointers are empty texts; no program still paints an empty page.
  runner_.record().title = nullptr;
  runner_.record().status = nullptr;
  runner_.record().text = nullptr;
  runner_.record().length = 5000;
  runner_.InitRaw();
  runner_.Start();
  EXPECT_EQ(runner_.PaintPage(), 9u);
  EXPECT_EQ(runner_.Follow(1), 0u) << "0 entries: nothing found";
  // Viewer numbers above 3 paint nothing.
  runner_.graphics().recorder().Clear();
  runner_.record().viewer = 4;
  runner_.Start();
  EXPECT_EQ(runner_.PaintPage(), host::NcViewRunner::kMaxCallsPerPage);
  EXPECT_TRUE(runner_.graphics().recorder().calls().empty());
  runner_.record().viewer = 3;
  // Small and inverted windows: a page of 0 lines completes at once and no
  // pixel outside the window changes.
  struct Case { int l, t, r, b; } cases[] = {{100, 100, 140, 130}, {300, 300, 200, 200}, {50, 400, 60, 400}};
  for (const Case& c : cases) {
    screen_.Clear(0);
    runner_.SetWindow(c.l, c.t, c.r, c.b);
    runner_.Init(kProgram);
    runner_.Start();
    EXPECT_EQ(runner_.PaintPage(), 1u) << c.l;
    runner_.Key(3);
    runner_.Follow(10);
    for (int y = 0; y < screen_.height(); ++y)
      for (int x = 0; x < screen_.width(); ++x)
        if (x < c.l || x > c.r || y < c.t || y > c.b) {
          ASSERT_EQ(screen_.Pixel(x, y), 0) << x << "," << y;
        }
  }
}

// A program of 499 900 bytes with the most blocks it holds.
std::string LargestProgram(int* last) {
  std::string text = "%1\n";
  int n = 1;
  while (text.size() + 8 < anvil::kNcTextLimit) text += "N" + std::to_string(n++) + "\n";
  text.resize(anvil::kNcTextLimit, ' ');
  *last = n - 1;
  return text;
}

TEST(NcViewerLarge, LastBlockOfTheLargestProgramIsFollowed) {
  int last = 0;
  std::string text = LargestProgram(&last);
  ASSERT_GT(last, 60000);
  host::Screen screen(800, 600);
  struct Pool { uint32_t size; bool last_found; const char* why; } pools[] = {
      {4u << 20, true, "the index gets its own room beside the text"},
      {600000, false, "the pool gives only 500000 bytes: the index holds what fits"},
  };
  for (const Pool& p : pools) {
    host::NcViewRunner runner(screen, p.size);
    std::string error;
    ASSERT_TRUE(runner.Load(9, &error)) << error;
    runner.SetWindow(0, 0, 799, 199);
    runner.Init(text + "N999999 beyond the limit\n");
    runner.Start();
    runner.PaintPage();
    EXPECT_EQ(runner.Follow(last) != 0, p.last_found) << p.why;
    EXPECT_EQ(runner.Follow(999999), 0u) << "text past 499900 bytes is cut";
    EXPECT_NE(runner.Follow(1), 0u) << p.why;
    EXPECT_TRUE(runner.anvil().PoolGuardIntact());
  }
}

TEST(NcViewerLarge, NoBufferShowsTheMemoryText) {
  host::Screen screen(800, 600);
  host::NcViewRunner runner(screen, 100000);
  std::string error;
  ASSERT_TRUE(runner.Load(9, &error)) << error;
  runner.SetWindow(0, 0, 799, 199);
  runner.Init(kProgram);
  runner.graphics().recorder().Clear();
  runner.Start();
  bool memory_text = false;
  for (const host::GdiCall& c : runner.graphics().recorder().calls())
    memory_text |= c.slot == kGdiWriteText && c.text == "Memory allocation error";
  EXPECT_TRUE(memory_text);
  runner.graphics().recorder().Clear();
  EXPECT_EQ(runner.PaintPage(), host::NcViewRunner::kMaxCallsPerPage) << "no page is painted";
  for (const host::GdiCall& c : runner.graphics().recorder().calls())
    EXPECT_NE(c.y, kRowY0) << "nothing in the text rows";
}

}  // namespace
