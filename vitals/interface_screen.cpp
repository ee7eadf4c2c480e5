#include "vitals/interface_screen.h"

#include "bridge/gdi.h"
#include "vitals/host_read.h"
#include "vitals/screen_fields.h"
#include "vitals/screen_layout.h"

namespace {

const char* const kCommandNames[64] = {
    "VLEC",   "PLYNM",  "END_BL", "INPOS",  "M_FUN",  "S_FUN",  "T_FUN",  "H_FUN",  "START",  "STOP",
    "RESET",  "FEEDH",  "AUTO",   "MDI",    "MANUAL", "REF",    "ZERO",   "SBLK",   "DRYRUN", "BLKDEL",
    "OPSTOP", "PRGEND", "ALARM",  "EMERG",  "SPNDL",  "SPNCW",  "SPNCCW", "COOL",   "TORCH",  "IGNIT",
    "HEIGHT", "PIERCE", "AX1EN",  "AX2EN",  "AX3EN",  "AX4EN",  "AX5EN",  "AX6EN",  "AX1REF", "AX2REF",
    "AX3REF", "AX4REF", "AX5REF", "AX6REF", "JOG+",   "JOG-",   "RAPID",  "OVRFD",  "OVRSP",  "TAB1",
    "TAB2",   "PAL1",   "PAL2",   "LUBE",   "FUME",   "ROTAT",  "BEVEL",  "MARK",   "PUNCH",  "DRILL",
    "OXY",    "PLASMA", "PREHT",  "CUTOX"};
const char* const kSignalNames[64] = {
    "MANREQ", "READY",  "FEEDOK", "SPNOK",  "MFIN",   "SFIN",   "TFIN",   "HFIN",   "CYCST",  "CYCSP",
    "ESTOP",  "DOOR",   "AIRPR",  "GASPR",  "ARCOK",  "IHSOK",  "THCUP",  "THCDN",  "COLL",   "LIMX+",
    "LIMX-",  "LIMY+",  "LIMY-",  "LIMZ+",  "LIMZ-",  "REFX",   "REFY",   "REFZ",   "OVRD",   "FHOLD",
    "SKIP",   "WAIT",   "AX1RDY", "AX2RDY", "AX3RDY", "AX4RDY", "AX5RDY", "AX6RDY", "AX1FLT", "AX2FLT",
    "AX3FLT", "AX4FLT", "AX5FLT", "AX6FLT", "TAB1OK", "TAB2OK", "PAL1OK", "PAL2OK", "LUBEOK", "FUMEOK",
    "OXYOK",  "PLSOK",  "PREHOK", "MARKOK", "PNCHOK", "DRLOK",  "BEVOK",  "ROTOK",  "KEYLCK", "SERV1",
    "SERV2",  "SERV3",  "SERV4",  "SERV5"};

constexpr int kPerLine = 5, kCellChars = 7, kPrefixChars = 4, kLinesPerGroup = 3;

bool Backward(InterfaceScreen s) { return s == InterfaceScreen::kBz1 || s == InterfaceScreen::kBz2; }
int FirstBit(InterfaceScreen s) { return s == InterfaceScreen::kPb2 || s == InterfaceScreen::kBz2 ? 32 : 0; }

// Cells are seven characters; the whole area spaces them 16 pixels more.
int CellX(const ScreenArea& a, int k) {
  int pitch = kCharWidth * kCellChars + (a.whole ? 16 : 0);
  return a.text_x + kCharWidth * kPrefixChars + pitch * k;
}

void Cell(const ScreenArea& a, int k, int row, uint32_t fg, uint32_t bg, const char* text) {
  DisplayTextScreen(PackPoint(CellX(a, k), RowY(row)), DisplayExtent(kCellChars, 1), fg, bg, 2);
  DisplayWriteText(text);
}

}  // namespace

const char* InterfaceSignal(bool backward, int bit) {
  if (bit < 0 || bit >= 64) return "";
  return backward ? kSignalNames[bit] : kCommandNames[bit];
}

void InterfacePrefix(InterfaceScreen screen, const _PB_BZH* record) {
  ScreenArea a;
  if (record == nullptr || !StrictArea(record->layout, &a) || !ServiceBind()) return;
  ClearArea(a);
  bool backward = Backward(screen);
  for (int i = 0; i < kInterfaceBits; ++i) {
    int bit = FirstBit(screen) + i, group = i / kPerLine, k = i % kPerLine;
    int row = kLinesPerGroup * group;
    if (k == 0) {
      AreaText(a, 0, row, "bit");
      AreaText(a, 0, row + 2, "val");
    }
    char name[8];
    TextBuffer b = MakeTextBuffer(name, sizeof name);
    TextAppend(&b, backward ? "BZH" : "PB");
    AppendZeroPadded(&b, static_cast<uint32_t>(bit), 2);
    Cell(a, k, row, Colour(BARVA_T13), AreaPaper(), name);
    Cell(a, k, row + 1, AreaInk(), AreaPaper(), InterfaceSignal(backward, bit));
  }
}

void InterfaceData(InterfaceScreen screen, const _PB_BZH* record) {
  ScreenArea a;
  if (record == nullptr || !StrictArea(record->layout, &a) || !ServiceBind()) return;
  const uint8_t* block = Backward(screen) ? record->signals : record->commands;
  for (int i = 0; i < kInterfaceBits; ++i) {
    uint32_t bit = static_cast<uint32_t>(FirstBit(screen) + i);
    bool set = HostValue<uint8_t>(block, bit / 8) >> (bit % 8) & 1;
    int row = kLinesPerGroup * (i / kPerLine) + 2;
    Cell(a, i % kPerLine, row, AreaInk(), set ? Colour(BARVA_ZLUTA) : AreaPaper(),
         set ? "1      " : "0      ");
  }
}
