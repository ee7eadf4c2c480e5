#include "vitals/panel_test_screen.h"

#include "bridge/hex_digits.h"
#include "bridge/localization.h"
#include "vitals/host_layout.h"
#include "vitals/host_read.h"
#include "vitals/screen_fields.h"
#include "vitals/screen_layout.h"

namespace {

constexpr int kRowLegend = 1, kRowHeading = 2, kRowFirst = 3;
constexpr int kLabelWidth = 8;
// Byte of a module half for each row (D0 to D7 share the data byte).
constexpr uint32_t kRowByte[kPanelRows] = {0, 1, 1, 1, 1, 1, 1, 1, 1, 2, 3, 4, 5, 6};

int PanelIndex(const _DGNPAN* r) { return r->panel == 2 ? 1 : 0; }
int Modules(const ScreenArea& a) { return a.whole ? 8 : 5; }

int Length(const char* text) {
  int n = 0;
  while (text != nullptr && text[n] != '\0') ++n;
  return n;
}

// The first part and, in the whole area, its continuation right after it.
void TwoParts(const ScreenArea& a, int row, uint32_t first, uint32_t second) {
  const char* text = LocText(first);
  AreaText(a, 0, row, text);
  if (a.whole) AreaText(a, Length(text), row, LocText(second));
}

void AppendCell(TextBuffer* b, uint8_t in, uint8_t out, int row) {
  if (row >= 1 && row <= 8) {
    uint32_t bit = static_cast<uint32_t>(row - 1);
    TextAppend(b, " ");
    TextAppendChar(b, (in >> bit & 1) ? '1' : '0');
    TextAppendChar(b, '/');
    TextAppendChar(b, (out >> bit & 1) ? '1' : '0');
    TextAppend(b, "  ");
    return;
  }
  TextAppendHex(b, in, 2);
  TextAppendChar(b, '/');
  TextAppendHex(b, out, 2);
  TextAppendChar(b, ' ');
}

}  // namespace

void PanelTestPrefix(const _DGNPAN* record) {
  if (record == nullptr || !ServiceBind()) return;
  ScreenArea a = LooseArea(record->layout);
  ClearArea(a);
  const char* caption = LocText(311);
  AreaCaption(a, caption);
  char number[2] = {static_cast<char>('1' + PanelIndex(record)), 0};
  AreaTextIn(a, Length(caption), 0, AreaPaper(), Colour(BARVA_T13), number);
  bool second = PanelIndex(record) == 1;
  TwoParts(a, kRowLegend, second ? 314 : 312, second ? 315 : 313);
  TwoParts(a, kRowHeading, 316, 317);
  AreaText(a, 0, kRowFirst, LocText(318));
}

void PanelTestData(const _DGNPAN* record) {
  if (record == nullptr || !ServiceBind()) return;
  ScreenArea a = LooseArea(record->layout);
  const uint8_t* memory = ServiceHostMemory();
  uint32_t panel = kPanelModules + 0x100u * static_cast<uint32_t>(PanelIndex(record));
  for (int row = 0; row < kPanelRows; ++row) {
    char text[80];
    TextBuffer b = MakeTextBuffer(text, sizeof text);
    for (int m = 0; m < Modules(a); ++m) {
      uint32_t module = panel + kPanelModuleBytes * static_cast<uint32_t>(m) + kRowByte[row];
      AppendCell(&b, HostValue<uint8_t>(memory, module), HostValue<uint8_t>(memory, module + kPanelOutputHalf), row);
    }
    AreaText(a, kLabelWidth, kRowFirst + row, text);
  }
}
