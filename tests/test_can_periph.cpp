// The CAN peripheral screen through PREFIX_IO8 and DATA_IO8 over the
// simulator's node tables: every value at its place for the three device
// types and each layout, the type and node actions, tables the host got
// wrong (no nodes, a lowered count, no table at all), the SDO dialog's keys
// and the request handed to the CAN driver, and the captions of every
// language fitting in front of their values.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "bridge/gdi.h"
#include "host/runners/can_periph_runner.h"
#include "tests/support/sandbox.h"

namespace {

using Bytes = std::vector<uint8_t>;
enum : uint8_t { kActionType = 2, kActionNode = 3, kActionSend = 5, kActionKey = 6 };

std::string Hex(uint32_t value, int digits) {
  char s[16];
  snprintf(s, sizeof s, "%0*X", digits, value);
  return s;
}

std::string Join(const std::vector<std::string>& rows) {
  std::string s;
  for (const std::string& r : rows) s += (s.empty() ? "" : "\n") + r;
  return s;
}

struct Periph {
  Periph(uint8_t layout, uint32_t modules = 3, uint32_t keyboards = 2, uint32_t language = 9)
      : runner(box.files(), screen, modules, keyboards) {
    std::string error;
    loaded = runner.Load(language, &error);
    EXPECT_TRUE(loaded) << error;
    if (!loaded) return;
    runner.Prefix(layout);
    x0 = layout == 'P' ? 320 : 0;
    // The selection lives as long as the library: start at node 1 of type 1.
    for (int i = 0; i < 3 && Data() && Type() != "1"; ++i) Data(kActionType);
    for (int i = 0; i < 256 && Node() != "1 "; ++i) Data(kActionNode);
  }
  bool Data(uint8_t action = 0, uint8_t key = 0) {
    if (!loaded) return false;
    runner.graphics().recorder().Clear();
    runner.Data(action, key);
    EXPECT_EQ(runner.record().action, 0) << "the action is cleared once handled";
    return true;
  }
  // The text last written into a box opened at (x0 + dx, y), as written.
  std::string At(int dx, int y) {
    std::string text;
    bool here = false;
    for (const host::GdiCall& c : runner.graphics().recorder().calls()) {
      if (c.slot == kGdiTextBox) here = c.x == x0 + dx && c.y == y;
      if (c.slot == kGdiWriteText && here) text = c.text;
    }
    return text;
  }
  std::string Type() { return At(200, 136); }
  std::string Node() { return At(288, 136); }
  std::string Id() { return At(288, 152); }
  int CaptionDraws() {
    int n = 0;
    for (const host::GdiCall& c : runner.graphics().recorder().calls())
      n += c.slot == kGdiTextBox && c.x == x0 + 16 && c.y == 232;
    return n;
  }
  uint8_t* Record(uint8_t type, uint32_t index) { return reinterpret_cast<uint8_t*>(runner.nodes().node(type, index)); }

  testing_support::Sandbox box;
  host::Screen screen{800, 600};
  host::CanPeriphRunner runner;
  bool loaded = false;
  int x0 = 0;
};

// What the screen must show for a node record, read at the byte offsets the
// host's driver uses (not through the library's structure).
struct Expected {
  int dx, y;
  std::string text;
};
std::vector<Expected> ExpectedValues(uint8_t type, uint32_t index, const uint8_t* b, bool whole) {
  auto h2 = [&](int k) { return Hex(b[k], 2); };
  auto u16 = [&](int k) { return static_cast<uint32_t>(b[k] | b[k + 1] << 8); };
  auto u32 = [&](int k) { return u16(k) | u16(k + 2) << 16; };
  auto chars = [&](int k) {
    std::string s;
    for (int i = 0; i < 4; ++i)
      if (b[k + i] != 0) s += static_cast<char>(b[k + i]);
    return std::string(4 - s.size(), ' ') + s;
  };
  auto dec = [&](int k) {
    std::string s = std::to_string(b[k]);
    return s + std::string(3 - s.size(), ' ');
  };
  std::string vendor = Hex(u32(4), 4);
  vendor += std::string(vendor.size() < 6 ? 6 - vendor.size() : 0, ' ');
  const uint32_t id = index + (type == 1 ? 33 : type == 2 ? 65 : 69);
  std::vector<Expected> e = {
      {88, 136, "CAN2"}, {200, 136, std::to_string(type)}, {288, 136, std::to_string(index + 1) + " "},
      {88, 152, dec(2)}, {200, 152, dec(3)}, {288, 152, Hex(id, 2)},
      {112, 176, vendor}, {272, 176, chars(8)}, {112, 192, chars(12)}, {272, 192, chars(16)},
      {56, 232, type == 3 ? Join({h2(102), h2(103), h2(106), h2(108)}) : Join({h2(20), h2(21), h2(22), h2(23)})},
      {128, 232, Join({h2(24), h2(25), h2(26)})},
      {208, 232, type == 2 ? Join({h2(102), h2(103), h2(104), h2(105)}) : Join({h2(28), h2(29), h2(30), h2(31)})},
      {288, 232, type == 2 ? Join({h2(106), h2(107), h2(108), h2(109)}) : Join({h2(32), h2(33), h2(34), h2(35)})},
      {104, 320, Join({h2(38), Hex(u16(72), 4), h2(36), h2(37), (b[38] & 2) ? "1" : "0"})},
      {248, 320, Join({h2(39), Hex(u16(74), 4), h2(45), h2(46), h2(47)})},
  };
  if (whole) {
    const uint32_t n = u16(76), m = u16(78);
    auto port = [](uint32_t p, const char* kind) { return "P" + std::to_string(p) + kind; };
    e.push_back({400, 136, type != 1 ? "" : port(n, "IN,  ") + port(n + 1, "IN,  ") + port(n + 2, "IN,  ") + port(n + 3, "IN")});
    e.push_back({400, 152, type != 1 ? "" : port(m, "OUT, ") + port(m + 1, "OUT, ") + port(m + 2, "OUT")});
    std::string request, response;
    for (int k = 0; k < 8; ++k) {
      request += (k > 0 ? " " : "") + h2(52 + k);
      response += (k > 0 ? " " : "") + h2(64 + k);
    }
    e.push_back({400, 192, request});
    e.push_back({400, 232, response});
  }
  return e;
}

// Each byte of a record from a pattern of its own (names printable, the
// time-out bit set for one seed and clear for another); the record size
// stays the host's.
void FillPattern(uint8_t* record, int seed) {
  for (int k = 2; k < host::CanNodes::kRecordSize; ++k) record[k] = static_cast<uint8_t>(k * 7 + seed);
  for (int k = 8; k < 20; ++k) record[k] = static_cast<uint8_t>('A' + (k * 5 + seed) % 26);
  record[10] = 0;  // a name with a NUL inside: the rest pushed right
}

TEST(CanPeriph, EveryValueAtItsPlaceForEachTypeAndLayout) {
  for (uint8_t layout : {'C', 'L', 'P'}) {
    for (uint8_t type = 1; type <= 3; ++type) {
      SCOPED_TRACE(std::string("layout ") + static_cast<char>(layout) + ", type " + std::to_string(type));
      Periph p(layout);
      ASSERT_TRUE(p.loaded);
      const uint32_t index = type == 3 ? 0 : 1;  // node 2 sits a record size (112) after node 1
      uint8_t* record = p.Record(type, index);
      FillPattern(record, type + 2);
      for (uint8_t t = 1; t < type; ++t) p.Data(kActionType);
      if (index == 1) p.Data(kActionNode);
      p.Data();
      for (const Expected& e : ExpectedValues(type, index, record, layout == 'C'))
        EXPECT_EQ(p.At(e.dx, e.y), e.text) << "value at (" << p.x0 + e.dx << ", " << e.y << ")";
      // Nothing a half screen writes reaches into the other half.
      if (layout != 'C') {
        int x = 0;
        for (const host::GdiCall& c : p.runner.graphics().recorder().calls()) {
          if (c.slot == kGdiTextBox) x = c.x;
          if (c.slot != kGdiWriteText) continue;
          size_t widest = 0, row = 0;
          for (char ch : c.text) row = ch == '\n' ? 0 : row + 1, widest = std::max(widest, row);
          EXPECT_GE(x, p.x0) << c.text;
          EXPECT_LE(x + 8 * static_cast<int>(widest), p.x0 + 320) << c.text;
        }
      }
    }
  }
}

TEST(CanPeriph, TypeAndNodeActions) {
  struct Row {
    uint32_t modules, keyboards;
    std::vector<uint8_t> actions;
    std::string type, node, id;
    int caption_draws;  // data captions drawn by the actions' calls
    const char* why;
  } rows[] = {
      {3, 2, {kActionType, kActionType, kActionType}, "1", "1 ", "21", 3, "three types round; captions at every change"},
      {3, 2, {kActionType, kActionType, kActionNode}, "3", "1 ", "45", 2, "the terminal has one node: action 3 changes nothing"},
      {2, 2, {kActionNode}, "1", "2 ", "22", 0, "the next module"},
      {2, 2, {kActionNode, kActionNode}, "1", "1 ", "21", 0, "two modules: twice returns to node 1"},
      {3, 3, {kActionType, kActionNode, kActionNode, kActionNode}, "2", "1 ", "41", 1, "keyboards wrap at their count"},
      {3, 2, {kActionType, kActionNode, kActionType, kActionType, kActionType}, "2", "2 ", "42", 4,
       "each type keeps its node"},
      {3, 2, {1, 4, 7, 255}, "1", "1 ", "21", 0, "other actions change nothing"},
      {0, 2, {kActionNode, kActionNode, kActionNode}, "1", "1 ", "21", 0, "no modules: node 1 stays"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.why);
    Periph p('L', r.modules, r.keyboards);
    ASSERT_TRUE(p.loaded);
    int draws = 0;
    for (uint8_t a : r.actions) {
      p.Data(a);
      draws += p.CaptionDraws();
    }
    EXPECT_EQ(p.Type(), r.type);
    EXPECT_EQ(p.Node(), r.node);
    EXPECT_EQ(p.Id(), r.id);
    EXPECT_EQ(draws, r.caption_draws);
  }
}

// Two pages, the second inaccessible; node 0 ends right at the boundary.
struct GuardedTable {
  GuardedTable() {
    page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    void* m = mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    EXPECT_NE(m, MAP_FAILED);
    base = static_cast<uint8_t*>(m);
    EXPECT_EQ(mprotect(base + page, page, PROT_NONE), 0);
    node = base + page - host::CanNodes::kRecordSize;
    node[0] = host::CanNodes::kRecordSize;
    node[2] = 7;  // present
  }
  ~GuardedTable() { munmap(base, 2 * page); }
  uint32_t address() const { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(node)); }
  size_t page = 0;
  uint8_t* base = nullptr;
  uint8_t* node = nullptr;
};

TEST(CanPeriph, TablesTheHostGotWrong) {
  {
    SCOPED_TRACE("no modules, the table ending at unmapped memory: action 3 stays on node 1");
    GuardedTable table;
    Periph p('C', 3, 2);
    ASSERT_TRUE(p.loaded);
    p.runner.memory().Set<uint32_t>(anvil::kIo8TableModules, table.address());
    p.runner.nodes().SetCount(1, 0);
    for (int i = 0; i < 5; ++i) p.Data(kActionNode);
    EXPECT_EQ(p.Node(), "1 ");
    EXPECT_EQ(p.Id(), "21");
    EXPECT_EQ(p.At(88, 152), "7  ");
  }
  {
    SCOPED_TRACE("the host lowers the count below the selection: node 1 is shown and stays");
    Periph p('L', 3, 2);
    ASSERT_TRUE(p.loaded);
    p.Data(kActionNode);
    p.Data(kActionNode);
    ASSERT_EQ(p.Node(), "3 ");
    p.runner.nodes().SetCount(1, 2);
    p.Data();
    EXPECT_EQ(p.Node(), "1 ");
    EXPECT_EQ(p.Id(), "21");
    p.runner.nodes().SetCount(1, 3);
    p.Data();
    EXPECT_EQ(p.Node(), "1 ");
  }
  for (bool no_memory : {false, true}) {
    SCOPED_TRACE(no_memory ? "no shared memory: blanks" : "no table: blanks where its values go");
    Periph p('C', 3, 2);
    ASSERT_TRUE(p.loaded);
    if (no_memory) p.runner.record().shared_memory = 0;
    else p.runner.memory().Set<uint32_t>(anvil::kIo8TableModules, 0);
    p.Data(kActionSend);
    p.Data();
    EXPECT_EQ(p.At(88, 136), "CAN2");
    EXPECT_EQ(p.Id(), "21");
    EXPECT_EQ(p.At(88, 152), "   ");
    EXPECT_EQ(p.At(112, 176), "      ");
    EXPECT_EQ(p.At(272, 176), "    ");
    EXPECT_EQ(p.At(56, 232), "  \n  \n  \n  ");
    EXPECT_EQ(p.At(104, 320), "  \n    \n  \n  \n ");
    EXPECT_EQ(p.At(400, 136), "");
    EXPECT_EQ(p.At(400, 192), std::string(23, ' '));
  }
}

TEST(CanPeriph, SdoDialogKeys) {
  struct Row {
    std::vector<uint8_t> keys;
    std::vector<std::string> fields;
    int focus;
    const char* why;
  } rows[] = {
      {{'1', '2', '3', '4'}, {"123", "", "", ""}, 0, "digits within the field's length"},
      {{'5', 63}, {"-5", "", "", ""}, 0, "63 puts a minus in front"},
      {{'5', 63, 63}, {"5", "", "", ""}, 0, "and takes it away"},
      {{'1', '2', '3', 63}, {"123", "", "", ""}, 0, "no minus in a full field"},
      {{63, '1', '2', '3'}, {"-12", "", "", ""}, 0, "the minus takes a place"},
      {{'9', 46}, {"", "", "", ""}, 0, "46 empties the field"},
      {{1, '6', '5', '5', '3', '6', '7'}, {"", "65536", "", ""}, 1, "the index takes five digits"},
      {{2, '1', '2', '3', '4', '5', '6', '7', '8', '9', '0', '1'}, {"", "", "", "1234567890"}, 3,
       "2 from the first field wraps to the data"},
      {{1, 1, 1, 1, '4'}, {"4", "", "", ""}, 0, "1 wraps after the data"},
      {{'A', '+', '.', 3, 255, '7'}, {"7", "", "", ""}, 0, "other keys are ignored"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.why);
    Periph p('C');
    ASSERT_TRUE(p.loaded);
    for (uint8_t k : r.keys) {
      p.Data(kActionKey, k);
      EXPECT_EQ(p.runner.record().key, 0) << "the key is cleared once handed over";
    }
    // The fields as drawn: column 350, rows 18 pixels apart; the focused
    // one white on black.
    p.runner.graphics().recorder().Clear();
    p.runner.Prefix('C');
    for (uint8_t k : r.keys) p.runner.Data(kActionKey, k);
    for (int i = 0; i < 4; ++i) {
      std::string text;
      int fg = -1;
      bool here = false;
      for (const host::GdiCall& c : p.runner.graphics().recorder().calls()) {
        if (c.slot == kGdiTextBox) {
          here = c.x == 350 && c.y == 290 + 18 * i;
          if (here) fg = c.fg;
        }
        if (c.slot == kGdiWriteText && here) text = c.text;
      }
      EXPECT_EQ(text, r.fields[i]) << "field " << i;
      EXPECT_EQ(fg == CLR_WHITE, i == r.focus) << "field " << i;
    }
  }
  {
    SCOPED_TRACE("half screens have no dialog: the key stays for the host");
    Periph p('P');
    ASSERT_TRUE(p.loaded);
    p.Data(kActionKey, '5');
    EXPECT_EQ(p.runner.record().key, '5');
  }
}

TEST(CanPeriph, SdoRequestSentAndAnswered) {
  struct Row {
    uint8_t layout;
    const char* typed;  // r/w, index, subindex, data, separated by key 1
    bool sent;
    Bytes request;      // bytes 52 to 59 after the send
    const char* why;
  } rows[] = {
      {'C', "64\x01" "24576\x01" "1\x01", true, {64, 0x00, 0x60, 1, 0, 0, 0, 0}, "index 24576 goes as 00 60"},
      {'C', "47\x01" "25088\x01" "2\x01" "\x3f" "2", true, {47, 0x00, 0x62, 2, 0xFE, 0xFF, 0xFF, 0xFF},
       "a negative number as its two's complement"},
      {'C', "\x01\x01\x01" "4294967295", true, {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}, "empty fields read 0"},
      {'C', "\x01\x01\x01" "9999999999", true, {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}, "a number past 32 bits"},
      {'L', "64", false, {0, 0, 0, 0, 0, 0, 0, 0}, "half screens send nothing"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.why);
    Periph p(r.layout);
    ASSERT_TRUE(p.loaded);
    Io8Node* node = p.runner.nodes().node(1, 0);
    node->response_index = 0x1234;
    node->response_subindex = 9;
    for (const char* c = r.typed; *c != '\0'; ++c) p.Data(kActionKey, static_cast<uint8_t>(*c));
    p.Data(kActionSend);
    const uint8_t* record = reinterpret_cast<const uint8_t*>(node);
    EXPECT_EQ(Bytes(record + 52, record + 60), r.request);
    EXPECT_EQ(node->sdo_request_flag, r.sent ? 1 : 0);
    EXPECT_EQ(node->response_index, r.sent ? node->request_index : 0x1234) << "the index goes into the response";
    EXPECT_EQ(node->response_subindex, r.sent ? node->request_subindex : 9);
    if (!r.sent) continue;
    std::string shown;
    for (int k = 0; k < 8; ++k) shown += (k > 0 ? " " : "") + Hex(r.request[k], 2);
    EXPECT_EQ(p.At(400, 192), shown);
    // The driver answers; the next call shows the response.
    std::vector<host::SdoExchange> answered = p.runner.nodes().Step();
    ASSERT_EQ(answered.size(), 1u);
    EXPECT_EQ(node->sdo_request_flag, 0);
    p.Data();
    std::string response;
    for (int k = 0; k < 8; ++k) response += (k > 0 ? " " : "") + Hex(record[64 + k], 2);
    EXPECT_EQ(p.At(400, 232), response);
  }
}

// Every caption row ends before its values' columns (one blank between),
// in every language; headers and labels fit their boxes.
TEST(CanPeriph, CaptionsFitInEveryLanguage) {
  struct Value { int column, width; };
  using Rows = std::vector<std::vector<Value>>;
  const std::vector<Value> data = {{5, 2}, {14, 2}, {24, 2}, {34, 2}};
  const Rows identity = {{{9, 4}, {23, 1}, {34, 4}}, {{9, 3}, {23, 3}, {34, 2}}};
  const Rows device = {{{12, 6}, {32, 4}}, {{12, 4}, {32, 4}}};
  const Rows status = {{{11, 2}, {29, 2}}, {{11, 4}, {29, 4}}, {{11, 2}, {29, 2}}, {{11, 2}, {29, 2}}, {{11, 1}, {29, 2}}};
  const struct { uint32_t id; Rows rows; } panels[] = {
      {202, identity}, {203, device}, {205, {data, data, data, data}}, {220, {data, data, data, data}},
      {221, {data, data, data, data}}, {207, status}, {209, {{{8, 29}}, {{8, 29}}}}, {211, {{{8, 23}}}},
  };
  const struct { uint32_t id; size_t columns; } labels[] = {
      {200, 38}, {201, 12}, {204, 7}, {206, 9}, {208, 12}, {210, 12}, {212, 15}, {213, 22},
      {214, 9}, {215, 9}, {216, 9}, {217, 9}, {218, 21},  // the dialog ends at 520
  };
  for (uint32_t language : {5, 7, 9, 12, 14, 21, 25, 36}) {
    Periph p('C', 1, 1, language);
    ASSERT_TRUE(p.loaded);
    auto text = p.runner.library().Bind<const char* (*)(uint32_t)>("GetLocString");
    ASSERT_NE(text, nullptr);
    for (const auto& panel : panels) {
      std::vector<std::string> rows(1);
      for (const char* c = text(panel.id); *c != '\0'; ++c) {
        if (*c == '\n') rows.emplace_back();
        else rows.back() += *c;
      }
      EXPECT_EQ(rows.size(), panel.rows.size()) << "language " << language << ", text " << panel.id;
      for (size_t r = 0; r < rows.size() && r < panel.rows.size(); ++r) {
        EXPECT_LE(rows[r].size(), 36u) << "language " << language << ", text " << panel.id;
        for (const Value& v : panel.rows[r])
          for (int col = v.column - 1; col < v.column + v.width && col < static_cast<int>(rows[r].size()); ++col)
            EXPECT_EQ(rows[r][col], ' ') << "language " << language << ", text " << panel.id << " row " << r
                                         << ": \"" << rows[r] << "\" reaches column " << col;
      }
    }
    for (const auto& label : labels) {
      EXPECT_GT(strlen(text(label.id)), 0u) << "language " << language << ", text " << label.id;
      EXPECT_LE(strlen(text(label.id)), label.columns) << "language " << language << ", text " << label.id;
    }
  }
}

}  // namespace
