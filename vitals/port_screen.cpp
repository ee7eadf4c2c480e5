#include "vitals/port_screen.h"

#include "bridge/hex_digits.h"
#include "bridge/localization.h"
#include "vitals/host_layout.h"
#include "bridge/gdi.h"
#include "vitals/host_read.h"
#include "vitals/screen_fields.h"
#include "vitals/screen_layout.h"

namespace {

const char kHeader[] = "port: 7......0 HEX port: 7......0 HX";
constexpr int kSecondColumn = 19;   // where the second list of a pair starts
constexpr int kPairWidth = 320;     // pixels from one pair to the next (whole area)
constexpr int kBits = 6, kRowWidth = 17;
constexpr int kLegendRow = 15;

void Name(PortRow* row, const char* prefix, uint32_t number, const char* suffix) {
  char text[16];
  TextBuffer b = MakeTextBuffer(text, sizeof text);
  TextAppend(&b, prefix);
  TextAppendUnsigned(&b, number);
  TextAppend(&b, suffix);
  // Names have five characters: short ones are right-aligned, long ones cut.
  uint32_t pad = b.length < 5 ? 5 - b.length : 0;
  for (uint32_t i = 0; i < 5; ++i) row->name[i] = i < pad ? ' ' : text[i - pad];
  row->name[5] = '\0';
}

void Add(PortList* list, const char* prefix, uint32_t number, const char* suffix, uint32_t offset, bool group) {
  if (list->count >= kPortListRows) return;
  PortRow* row = &list->rows[list->count++];
  Name(row, prefix, number, suffix);
  row->offset = offset;
  row->group = group;
}

// Outputs: eight or seven port rows, then five group rows of three bytes.
PortList OutputList(int index) {
  PortList list{};
  const uint32_t first[4] = {0, 8, 15, 23}, last[4] = {7, 14, 22, 29};
  for (uint32_t n = first[index]; n <= last[index]; ++n) Add(&list, "P", n, "OUT", kPortOutputs + n, false);
  uint32_t group_first = index < 2 ? 0 : 15;
  for (uint32_t g = 0; g < 5; ++g) {
    uint32_t n = group_first + 3 * g;
    if (index % 2 == 0) Add(&list, "C", n, "OUT", kPortGroupsC + n, true);
    else Add(&list, "VI", n, n < 10 ? "OU" : "U", kPortGroupsVI + n, true);
  }
  return list;
}

PortList PanelList(int index) {
  PortList list{};
  if (index > 1) return list;
  uint32_t base = index == 0 ? kPortPanel1 : kPortPanel2;
  for (uint32_t n = 0; n < 8; ++n) Add(&list, "P", n, index == 0 ? "MAT" : "MT2", base + n, false);
  Add(&list, index == 0 ? "TOUTM" : "TOTM2", 0, "", base + 8, false);
  // "TOUTM0" cut to five characters.
  return list;
}

// The pair of lists shown at pair position `pair` (0 first, 1 the second
// pair of the whole area): 1+2, or 3+4 first when the column-order flag is
// set; the panel has only 1+2.
int FirstListOfPair(PortScreen screen, int pair, bool order_flag) {
  if (screen == PortScreen::kPanel) return pair == 0 ? 0 : -1;
  bool three_first = order_flag;
  return (pair == 0) != three_first ? 0 : 2;
}

int Pairs(const ScreenArea& a) { return a.whole ? 2 : 1; }

int ColumnLeft(const ScreenArea& a, int pair, int side) {
  return a.text_x + kPairWidth * pair + kCharWidth * kSecondColumn * side;
}

void Text(int x, int row, uint32_t fg, uint32_t bg, const char* text, int columns) {
  DisplayTextScreen(PackPoint(x, RowY(row)), DisplayExtent(columns, 1), fg, bg, 2);
  DisplayWriteText(text);
}

uint32_t MarkZero() { return Colour(BARVA_RUDA); }
uint32_t MarkOne() { return Colour(BARVA_ZLUTA); }

void PaintRow(const uint8_t* memory, const PortRow& row, int x, int line, bool alternative, bool manual) {
  uint8_t value = HostValue<uint8_t>(memory, row.offset);
  char text[24];
  TextBuffer b = MakeTextBuffer(text, sizeof text);
  if (row.group && alternative) {
    for (uint32_t k = 0; k < 3; ++k) {
      TextAppendHex(&b, HostValue<uint8_t>(memory, row.offset + k), 2);
      TextAppendChar(&b, ' ');
    }
  } else {
    AppendBits(&b, value, 8);
    TextAppendChar(&b, ' ');
    TextAppendHex(&b, value, 2);
  }
  while (b.length < kRowWidth - kBits) TextAppendChar(&b, ' ');
  Text(x + kCharWidth * kBits, line, AreaInk(), AreaPaper(), text, kRowWidth - kBits);
  if (!manual || (row.group && alternative)) return;
  uint8_t marks = HostValue<uint8_t>(memory, row.offset + kPortMarksA) | HostValue<uint8_t>(memory, row.offset + kPortMarksB);
  for (int bit = 7; bit >= 0; --bit) {
    if (!(marks >> bit & 1)) continue;
    bool one = value >> bit & 1;
    char c[2] = {one ? '1' : '0', 0};
    Text(x + kCharWidth * (kBits + 7 - bit), line, one ? MarkOne() : MarkZero(), AreaPaper(), c, 1);
  }
}

// Column (from 0) of the first `digit` in line `line` of a text, or -1.
int DigitColumn(const char* text, int line, char digit) {
  int l = 0, column = 0;
  for (const char* p = text; p != nullptr && *p != '\0'; ++p) {
    if (*p == '\n') {
      ++l;
      column = 0;
      continue;
    }
    if (l == line && *p == digit) return column;
    ++column;
  }
  return -1;
}

}  // namespace

PortList PortListOf(PortScreen screen, int index) {
  if (index < 0 || index > 3) return PortList{};
  if (screen == PortScreen::kOutputs) return OutputList(index);
  if (screen == PortScreen::kPanel) return PanelList(index);
  PortList list{};
  for (uint32_t r = 1; r <= 10; ++r) {
    uint32_t n = 10 * static_cast<uint32_t>(index) + r;
    Add(&list, "P", n, "IN", kPortInputs + n - 1, false);
  }
  return list;
}

void PortPrefix(PortScreen screen, const _INOUT* record) {
  ScreenArea a;
  if (record == nullptr || !StrictArea(record->layout, &a) || !ServiceBind()) return;
  const uint8_t* memory = ServiceHostMemory();
  bool order = HostValue<uint8_t>(memory, kPortColumnOrder) != 0;
  ClearArea(a);
  for (int pair = 0; pair < Pairs(a); ++pair) {
    int first = FirstListOfPair(screen, pair, order);
    if (first < 0) continue;
    Text(ColumnLeft(a, pair, 0), 0, Colour(BARVA_T13), AreaPaper(), kHeader, sizeof kHeader - 1);
    for (int side = 0; side < 2; ++side) {
      PortList list = PortListOf(screen, first + side);
      for (int r = 0; r < list.count; ++r)
        Text(ColumnLeft(a, pair, side), 1 + r, AreaInk(), AreaPaper(), list.rows[r].name, 5);
    }
  }
  const char* legend = LocText(303);
  AreaText(a, 0, kLegendRow, legend);
  int zero = DigitColumn(legend, 0, '0'), one = DigitColumn(legend, 1, '1');
  if (zero >= 0) AreaTextIn(a, zero, kLegendRow, MarkZero(), AreaPaper(), "0");
  if (one >= 0) AreaTextIn(a, one, kLegendRow + 1, MarkOne(), AreaPaper(), "1");
}

void PortData(PortScreen screen, const _INOUT* record) {
  ScreenArea a;
  if (record == nullptr || !StrictArea(record->layout, &a) || !ServiceBind()) return;
  const uint8_t* memory = ServiceHostMemory();
  bool order = HostValue<uint8_t>(memory, kPortColumnOrder) != 0;
  bool manual = HostValue<uint8_t>(memory, kPortManualControl) != 0;
  bool alternative = screen == PortScreen::kOutputs && record->output_format != 0;
  for (int pair = 0; pair < Pairs(a); ++pair) {
    int first = FirstListOfPair(screen, pair, order);
    if (first < 0) continue;
    for (int side = 0; side < 2; ++side) {
      PortList list = PortListOf(screen, first + side);
      for (int r = 0; r < list.count; ++r)
        PaintRow(memory, list.rows[r], ColumnLeft(a, pair, side), 1 + r, alternative, manual);
    }
  }
}
