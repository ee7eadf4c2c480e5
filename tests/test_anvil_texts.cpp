// Anvil's text line reader and the operations built on it: marking texts
// collected from a cutting program into the shared store, and a parameter
// table turned into program text. Each runs over a sandbox through the
// host's file services, with faults injected into every file call.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "anvil/kerf_texts.h"
#include "anvil/line_reader.h"
#include "anvil/params_convert.h"
#include "bridge/charset.h"
#include "bridge/fsp.h"
#include "tests/support/sandbox.h"

using testing_support::Sandbox;

namespace {

using namespace anvil;

// Every read of the next `reads` delivers at most `size` bytes.
void LimitReads(Sandbox& box, uint16_t size, int reads) {
  for (int i = 1; i <= reads; ++i) box.files().ShortRead(i, size);
}

std::vector<std::string> ReadAll(Sandbox& box, const char* path, bool unicode, int8_t* last,
                                 uint32_t* counted = nullptr) {
  LineReader r;
  EXPECT_EQ(LineReaderOpen(&r, path, unicode), kStatusOk);
  std::vector<std::string> lines;
  while ((*last = LineReaderNext(&r)) == kStatusOk) lines.emplace_back(r.line, r.length);
  EXPECT_EQ(LineReaderClose(&r), kStatusOk);
  EXPECT_EQ(box.files().open_handles(), 0);
  if (counted != nullptr) *counted = r.lines;
  return lines;
}

TEST(LineReader, EveryLineEndAtEveryReadSize) {
  const std::string long_line(1030, 'x'), full_line(1022, 'y');
  const std::string text = "alpha\r\n\r\nbeta\rgamma\n\ndelta\r\n" + long_line + "\n" + full_line + "\r\nend";
  const std::vector<std::string> expected = {"alpha", "", "beta", "gamma", "", "delta", std::string(1022, 'x'),
                                             std::string(8, 'x'), full_line, "end"};
  Sandbox box;
  FspInitCopy(&box.files().table());
  box.Write("c:\\t.txt", text);
  for (uint16_t size = 1; size <= kLineReaderChunk; ++size) {
    box.files().ClearFaults();
    LimitReads(box, size, static_cast<int>(text.size() / size + 2));
    int8_t last = 0;
    uint32_t counted = 0;
    ASSERT_EQ(ReadAll(box, "c:\\t.txt", false, &last, &counted), expected) << "reads of " << size << " bytes";
    EXPECT_EQ(last, kStatusEndOfFile);
    EXPECT_EQ(counted, expected.size());
  }
}

std::string Utf16(const std::u16string& s) {
  std::string out;
  for (char16_t c : s) {
    out += static_cast<char>(c & 0xFF);
    out += static_cast<char>(c >> 8);
  }
  return out;
}

TEST(LineReader, UnicodeOnlyWithTheByteOrderMark) {
  const std::u16string body = u"\u010Cas\r\n\u017Elu\u0165\u4E00\r\n";
  const std::string zorv_cas = {static_cast<char>(ZorvFromUnicode(0x010C)), 'a', 's'};
  const std::string zorv_zlut = {static_cast<char>(ZorvFromUnicode(0x017E)), 'l', 'u',
                                 static_cast<char>(ZorvFromUnicode(0x0165)), '.'};
  Sandbox box;
  FspInitCopy(&box.files().table());
  box.Write("c:\\bom.txt", "\xFF\xFE" + Utf16(body));
  box.Write("c:\\nobom.txt", Utf16(u"ab\r\n"));
  for (uint16_t size : {1, 2, 3, 5, 1023, 1024}) {
    box.files().ClearFaults();
    LimitReads(box, size, 40);
    int8_t last = 0;
    EXPECT_EQ(ReadAll(box, "c:\\bom.txt", true, &last), (std::vector<std::string>{zorv_cas, zorv_zlut}))
        << "reads of " << size;
    box.files().ClearFaults();
    LimitReads(box, size, 40);
    // Without the mark the flag is dropped: the file is read byte by byte.
    EXPECT_EQ(ReadAll(box, "c:\\nobom.txt", true, &last),
              (std::vector<std::string>{std::string("a\0b\0", 4), std::string("\0", 1), std::string("\0", 1)}))
        << "reads of " << size;
  }
}

TEST(LineReader, FailedReadIsReturnedAndEndIsOnlyStatusOneOrNoBytes) {
  Sandbox box;
  FspInitCopy(&box.files().table());
  box.Write("c:\\t.txt", "one\ntwo\n");
  LineReader r;
  ASSERT_EQ(LineReaderOpen(&r, "c:\\t.txt", false), kStatusOk);
  box.files().FailCall(kFspRead, 1, -3);
  EXPECT_EQ(LineReaderNext(&r), -3);
  LineReaderClose(&r);
  EXPECT_EQ(LineReaderOpen(&r, "c:\\none.txt", false), kStatusBadPath);
}

// --- ReadKerfTexts -------------------------------------------------------

constexpr uint32_t kGuard = 256;

struct TextStore {
  std::vector<uint8_t> shared = std::vector<uint8_t>(kKerfTextStore + kKerfTextStoreBytes + kGuard, 0xA5);
  uint32_t Index(uint32_t k) const { return shared[kKerfTextIndex + 2 * k] | shared[kKerfTextIndex + 2 * k + 1] << 8; }
  // Blocks as lists of their five lines, up to entry `count`.
  std::vector<std::vector<std::string>> Blocks(uint32_t count) const {
    std::vector<std::vector<std::string>> blocks;
    for (uint32_t k = 0; k < count; ++k) {
      std::vector<std::string> lines;
      for (uint32_t at = Index(k) - kKerfTextIndexBias; at < Index(k + 1) - kKerfTextIndexBias;) {
        const uint8_t* e = &shared[kKerfTextStore + at];
        EXPECT_EQ(e[1], '0');
        EXPECT_EQ(e[2], '1' + lines.size());
        lines.emplace_back(reinterpret_cast<const char*>(e + 3), e[0] - 2);
        at += e[0] + 1u;
      }
      blocks.push_back(lines);
    }
    return blocks;
  }
  bool Untouched(uint32_t from, uint32_t to) const {
    for (uint32_t i = from; i < to; ++i)
      if (shared[i] != 0xA5) return false;
    return true;
  }
  // Nothing outside the index and the store was written.
  bool GuardsIntact() const {
    return Untouched(0, kKerfTextIndex) && Untouched(kKerfTextStore + kKerfTextStoreBytes, shared.size());
  }
};

std::string Block(const std::vector<std::string>& lines, const char* open = "101", const char* close = "102") {
  std::string s = std::string(open) + "\r\n";
  for (const std::string& l : lines) s += l + "\r\n";
  return s + close + "\r\n";
}

std::string Ref(int n) { return "3\r\nP" + std::to_string(n) + "\r\n4\r\n"; }

TEST(KerfTexts, StoresBlocksAndWritesReferences) {
  const std::string l254(254, 'a'), l1022(1022, 'b');
  const std::vector<std::string> seven = {"1", "2", "3", "4", "5", "6", "7"};
  struct Case {
    const char* why;
    std::string program;
    uint32_t result;
    std::string copy;
    std::vector<std::vector<std::string>> blocks;
  } cases[] = {
      {"two equal blocks are stored once, both referenced as 1",
       "5\r\n" + Block({"A", "B"}) + "6\r\n" + Block({"A", "B"}, "103", "104"), 0,
       "5\r\n" + Block({"A", "B"}) + Ref(1) + "6\r\n" + Block({"A", "B"}, "103", "104") + Ref(1),
       {{"A", "B", "", "", ""}}},
      {"seven lines: five stored, seven copied", Block(seven), 0, Block(seven) + Ref(1),
       {{"1", "2", "3", "4", "5"}}},
      {"0102 does not close the block", Block({"X"}, "101", "0102") + "102\r\n", 0,
       Block({"X"}, "101", "0102") + "102\r\n" + Ref(1), {{"X", "0102", "", "", ""}}},
      {"a closing line outside a block is only copied", "102\r\n104\r\n" + Block({"T"}), 0,
       "102\r\n104\r\n" + Block({"T"}) + Ref(1), {{"T", "", "", "", ""}}},
      {"a 254-character line keeps 253 in the store; the copy keeps 900 of 1022", Block({l254, l1022}), 0,
       "101\r\n" + l254 + "\r\n" + l1022.substr(0, 900) + "\r\n102\r\n" + Ref(1),
       {{l254.substr(0, 253), l1022.substr(0, 253), "", "", ""}}},
      {"distinct blocks count up", Block({"A"}) + Block({"B"}) + Block({"A"}), 0,
       Block({"A"}) + Ref(1) + Block({"B"}) + Ref(2) + Block({"A"}) + Ref(1),
       {{"A", "", "", "", ""}, {"B", "", "", "", ""}}},
      {"a program without texts is copied as it is", "5\n+10+0\n*", 0, "5\r\n+10+0\r\n*\r\n", {}},
  };
  for (const Case& c : cases) {
    Sandbox box;
    FspInitCopy(&box.files().table());
    box.Write("c:\\p\\part.knf", c.program);
    TextStore store;
    _KERFTEXTS record{6, "c:\\p\\part.knf"};
    EXPECT_EQ(ReadKerfTextsInto(&record, store.shared.data()), c.result) << c.why;
    EXPECT_EQ(box.Read("c:\\p\\part.TMP"), c.copy) << c.why;
    EXPECT_EQ(store.Blocks(static_cast<uint32_t>(c.blocks.size())), c.blocks) << c.why;
    // The entry after the last block marks its end.
    if (!c.blocks.empty()) {
      EXPECT_EQ(store.Index(0), kKerfTextIndexBias) << c.why;
    }
    EXPECT_TRUE(store.GuardsIntact()) << c.why;
    EXPECT_TRUE(store.Untouched(kKerfTextIndex + 2 * (static_cast<uint32_t>(c.blocks.size()) + 1), kKerfTextStore))
        << c.why;
    EXPECT_EQ(box.files().open_handles(), 0) << c.why;
  }
}

// n distinct blocks of five lines of `width` characters (the last one's
// first line `last_cut` shorter).
std::string DistinctBlocks(int n, uint32_t width, uint32_t last_cut = 0) {
  std::string s;
  for (int k = 0; k < n; ++k) {
    std::vector<std::string> lines;
    for (int l = 0; l < 5; ++l) {
      std::string text = std::to_string(k) + std::string(width, 'm');
      text.resize(width - (k == n - 1 && l == 0 ? last_cut : 0));
      lines.push_back(text);
    }
    s += Block(lines);
  }
  return s;
}

TEST(KerfTexts, LimitsOfTheIndexAndTheStore) {
  // Blocks of 5 x 256 bytes: the store's reserve of 1290 bytes is reached
  // when a block starts at 7510 (five full blocks and one of 1110 bytes).
  struct Case {
    const char* why;
    std::string program;
    uint32_t result, blocks, end;
  } cases[] = {
      {"the 99th distinct block gives 100", DistinctBlocks(99, 4), 100, 99, 99 * 5 * 7},
      {"98 distinct blocks are fine", DistinctBlocks(98, 4), 0, 98, 98 * 5 * 7},
      {"a block starting at 7510 fills the store", DistinctBlocks(6, 253, 170), 101, 6, 7510},
      {"a block starting at 7509 still fits", DistinctBlocks(6, 253, 171), 0, 6, 7509},
      {"1022-character lines never write past the store", DistinctBlocks(12, 1022), 101, 6, 6 * 1280},
  };
  for (const Case& c : cases) {
    Sandbox box;
    FspInitCopy(&box.files().table());
    box.Write("c:\\p.knf", c.program);
    TextStore store;
    _KERFTEXTS record{6, "c:\\p.knf"};
    EXPECT_EQ(ReadKerfTextsInto(&record, store.shared.data()), c.result) << c.why;
    EXPECT_EQ(store.Blocks(c.blocks).size(), c.blocks) << c.why;
    EXPECT_EQ(store.Index(c.blocks), c.end + kKerfTextIndexBias) << c.why;
    EXPECT_TRUE(store.GuardsIntact()) << c.why;
    EXPECT_EQ(box.files().open_handles(), 0) << c.why;
    // The last block's reference is written only when the run goes on.
    std::string copy = box.Read("c:\\p.TMP");
    int last = static_cast<int>(c.blocks);
    EXPECT_EQ(copy.find(Ref(last)) != std::string::npos, c.result == 0) << c.why;
    EXPECT_NE(copy.find(Ref(last - 1)), std::string::npos) << c.why;
  }
}

TEST(KerfTexts, RefusesAnOutputThatIsTheProgram) {
  Sandbox box;
  FspInitCopy(&box.files().table());
  box.Write("c:\\prog.tmp", Block({"A"}));
  TextStore store;
  _KERFTEXTS record{6, "c:\\prog.tmp"};
  EXPECT_EQ(ReadKerfTextsInto(&record, store.shared.data()), kKerfTextsNoOutput);
  EXPECT_EQ(box.Read("c:\\prog.tmp"), Block({"A"}));
  EXPECT_EQ(box.files().calls(kFspWrite), 0);
  record.path = "c:\\missing.knf";
  EXPECT_EQ(ReadKerfTextsInto(&record, store.shared.data()), kKerfTextsNoProgram);
  EXPECT_FALSE(box.Exists("c:\\missing.TMP"));
  EXPECT_EQ(box.files().open_handles(), 0);
}

// Every call of one slot failing in turn, by status and by dispatch.
struct Fault {
  int slot;
  int nth;
  bool dispatch;
};
std::vector<Fault> EveryFault(const std::vector<int>& slots, int calls) {
  std::vector<Fault> faults;
  for (int slot : slots)
    for (int nth = 1; nth <= calls; ++nth)
      for (bool dispatch : {false, true}) faults.push_back({slot, nth, dispatch});
  return faults;
}
void Arm(Sandbox& box, const Fault& f) {
  if (f.dispatch) box.files().FailDispatch(f.slot, f.nth);
  else box.files().FailCall(f.slot, f.nth, -3);
}

TEST(KerfTexts, EveryFileCallFailingInTurn) {
  const std::string program = Block({"A"}) + "5\r\n" + Block({"B"}) + std::string(3000, '7') + "\r\n*\r\n";
  for (const Fault& f : EveryFault({kFspOpen, kFspRead, kFspWrite, kFspClose}, 12)) {
    Sandbox box;
    FspInitCopy(&box.files().table());
    box.Write("c:\\p.knf", program);
    TextStore store;
    Arm(box, f);
    _KERFTEXTS record{6, "c:\\p.knf"};
    uint32_t result = ReadKerfTextsInto(&record, store.shared.data());
    bool fired = box.files().calls(f.slot) >= f.nth;
    std::string why = "slot " + std::to_string(f.slot) + " call " + std::to_string(f.nth) +
                      (f.dispatch ? " (dispatch)" : " (status)");
    uint32_t expected = 0;
    if (fired) {
      switch (f.slot) {
        case kFspOpen: expected = f.nth == 1 ? kKerfTextsNoProgram : kKerfTextsNoOutput; break;
        case kFspRead: expected = kKerfTextsReadFailed; break;
        case kFspWrite: expected = kKerfTextsWriteFailed; break;
        case kFspClose: expected = f.nth == 2 ? kKerfTextsWriteFailed : kKerfTextsDone; break;
      }
    }
    EXPECT_EQ(result, expected) << why;
    EXPECT_TRUE(store.GuardsIntact()) << why;
    if (f.slot != kFspClose) {
      EXPECT_EQ(box.files().open_handles(), 0) << why;
    }
    EXPECT_EQ(box.files().calls(kFspClose), box.files().calls(kFspOpen) - (f.slot == kFspOpen && fired ? 1 : 0))
        << why;
  }
}

// --- ParamsValuesConvert --------------------------------------------------

std::string Convert(Sandbox& box, const char* header, uint32_t size, uint32_t* result, bool closes = true) {
  std::string buffer(size + 8, '#');
  _PARAMS_CONVERT record{"c:\\t.tab", header, buffer.data(), size};
  *result = ParamsConvert(&record);
  EXPECT_EQ(buffer.substr(size), std::string(8, '#')) << "written past the buffer";
  EXPECT_EQ(box.files().open_handles(), closes ? 0 : 1);
  return size == 0 ? buffer.substr(0, 8) : std::string(buffer.c_str());
}

TEST(ParamsConvert, SectionsCommentsAndTheBufferSize) {
  const std::string table = "Machine 4\r\n $PAR \r\n07:  12.5 ; feed\r\n\r\n 100 : 3 ;\"s\" x\r\n12\r\n*\r\n9:9\r\n";
  struct Case {
    const char* why;
    const char* header;
    uint32_t size, result;
    std::string text;
  } cases[] = {
      {"the section converted, the line before it a comment", "$PAR", 200, 0,
       "\"Machine 4\r\n\tR07=12.5\" feed\r\n\tR100=3\"\"s\" x\r\n\tR12=\"\r\n"},
      {"no header line: every line a comment up to the end line", "$XYZ", 200, 0,
       "\"Machine 4\r\n\" $PAR \r\n\"07:  12.5 ; feed\r\n\"\r\n\" 100 : 3 ;\"s\" x\r\n\"12\r\n"},
      {"one byte short for the last line: the lines before it", "$PAR", 54, 1,
       "\"Machine 4\r\n\tR07=12.5\" feed\r\n\tR100=3\"\"s\" x\r\n"},
      {"exactly large enough", "$PAR", 55, 0, "\"Machine 4\r\n\tR07=12.5\" feed\r\n\tR100=3\"\"s\" x\r\n\tR12=\"\r\n"},
      {"a comment cut at the buffer's end", "$PAR", 8, 1, "\"Machin"},
  };
  for (const Case& c : cases) {
    Sandbox box;
    FspInitCopy(&box.files().table());
    box.Write("c:\\t.tab", table);
    uint32_t result = 9;
    EXPECT_EQ(Convert(box, c.header, c.size, &result), c.text) << c.why;
    EXPECT_EQ(result, c.result) << c.why;
  }
}

TEST(ParamsConvert, TheExampleByteForByteAndAnEmptyBuffer) {
  Sandbox box;
  FspInitCopy(&box.files().table());
  box.Write("c:\\t.tab", "$PAR\n07:  12.5 ; feed\n");
  uint32_t result = 9;
  EXPECT_EQ(Convert(box, "$PAR", 100, &result), "\tR07=12.5\" feed\r\n");
  EXPECT_EQ(result, 0u);
  EXPECT_EQ(Convert(box, "$PAR", 0, &result), std::string(8, '#'));
  EXPECT_EQ(result, 1u);
}

TEST(ParamsConvert, EveryFileCallFailingInTurn) {
  for (const Fault& f : EveryFault({kFspOpen, kFspRead, kFspClose}, 3)) {
    Sandbox box;
    FspInitCopy(&box.files().table());
    box.Write("c:\\t.tab", "$PAR\r\n1:2\r\n" + std::string(2000, ' ') + "3:4\r\n");
    Arm(box, f);
    uint32_t result = 9;
    bool close_fails = f.slot == kFspClose && f.nth == 1;
    std::string text = Convert(box, "$PAR", 100, &result, !close_fails);
    bool fired = box.files().calls(f.slot) >= f.nth;
    bool fails = fired && f.slot != kFspClose;
    EXPECT_EQ(result, fails ? 1u : 0u) << f.slot << " " << f.nth;
    if (!fails) {
      EXPECT_EQ(text, "\tR1=2\"\r\n\tR3=4\"\r\n");
    }
  }
}

}  // namespace
