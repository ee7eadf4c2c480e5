#include "vitals/servo_screen.h"

#include "bridge/gdi.h"
#include "bridge/hex_digits.h"
#include "bridge/localization.h"
#include "vitals/host_read.h"
#include "vitals/screen_fields.h"
#include "vitals/screen_layout.h"

namespace {

const char kLabels[] = "Stat:    Lnk:    Dif:\r\nEnter:           Pos:";
constexpr int kBlocksTop = 120, kLabelColumn = 3, kColumnWidth = 320;
constexpr int kStat = 5, kLink = 13, kDifference = 21, kEnter = 6, kPosition = 21;

int Channels(const ScreenArea& a) { return a.whole ? kServoChannels : kServoChannels / 2; }

// Top-left of channel k's block (k from 0).
int BlockX(const ScreenArea& a, int k) { return a.text_x + (k >= 8 ? kColumnWidth : 0); }
int BlockY(int k) { return kBlocksTop + kServoBlockHeight * (k % 8); }

void Text(int x, int y, uint32_t fg, uint32_t bg, const char* text, int columns, int rows = 1) {
  DisplayTextScreen(PackPoint(x, y), DisplayExtent(columns, rows), fg, bg, 2);
  DisplayWriteText(text);
}

void Thousandths(int x, int y, int32_t value) {
  char text[16];
  TextBuffer b = MakeTextBuffer(text, sizeof text);
  AppendThousandths(&b, value);
  Text(x, y, AreaInk(), AreaPaper(), text, kThousandthsWidth);
}

}  // namespace

void ServoPrefix(const _DGSERVO* record) {
  if (record == nullptr || !ServiceBind()) return;
  ScreenArea a = LooseArea(record->layout);
  ClearArea(a);
  if (record->available == 0) {
    AreaCaption(a, LocText(292));
    return;
  }
  AreaCaption(a, LocText(293));
  for (int k = 0; k < Channels(a); ++k) {
    char number[3] = {static_cast<char>('0' + (k + 1) / 10), static_cast<char>('0' + (k + 1) % 10), 0};
    Text(BlockX(a, k), BlockY(k), Colour(BARVA_T13), AreaPaper(), number, 2);
    Text(BlockX(a, k) + kCharWidth * kLabelColumn, BlockY(k), AreaInk(), AreaPaper(), kLabels, 21, 2);
  }
}

void ServoData(const _DGSERVO* record) {
  if (record == nullptr || record->available == 0 || !ServiceBind()) return;
  ScreenArea a = LooseArea(record->layout);
  SERVO_POINTERS p{};
  if (record->pointers != nullptr) p = *record->pointers;
  uint16_t mask = HostValue<uint16_t>(reinterpret_cast<const uint8_t*>(p.enable_mask), 0);
  for (int k = 0; k < Channels(a); ++k) {
    int x = BlockX(a, k) + kCharWidth * kLabelColumn, y = BlockY(k);
    uint32_t c = static_cast<uint32_t>(k);
    if (mask >> k & 1) Text(x + kCharWidth * kStat, y, Colour(BARVA_RUDA), Colour(BARVA_VYPLN), "On ", 3);
    else Text(x + kCharWidth * kStat, y, Colour(BARVA_TMAVSI), AreaPaper(), "Off", 3);
    char link[4];
    TextBuffer b = MakeTextBuffer(link, sizeof link);
    TextAppendHex(&b, HostValue<uint8_t>(p.links, 2 * c), 2);
    Text(x + kCharWidth * kLink, y, AreaInk(), AreaPaper(), link, 2);
    auto value = [c](const int32_t* values) {
      return HostValue<int32_t>(reinterpret_cast<const uint8_t*>(values), 4 * c);
    };
    Thousandths(x + kCharWidth * kDifference, y, value(p.differences));
    Thousandths(x + kCharWidth * kEnter, y + kRowStep, value(p.entries));
    Thousandths(x + kCharWidth * kPosition, y + kRowStep, value(p.positions));
  }
}
