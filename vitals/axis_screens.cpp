#include "vitals/axis_screens.h"

#include "bridge/localization.h"
#include "vitals/host_layout.h"
#include "vitals/host_read.h"
#include "vitals/screen_fields.h"
#include "vitals/screen_layout.h"

namespace {

// Rows and columns of the transformation screen.
constexpr int kRowHeading = 1, kRowAxes = 2, kRowKinds = 9, kRowAngles = 11;
constexpr int kLetter = 2, kFictive = 5, kReal = 23, kAngleValue = 6;
const char* const kKinds[3] = {" 2D(1) ", " 2D(2) ", " 3D(1) "};
const char* const kAngleRows[3] = {"\xAA a1:", "\xAB a2:", "\xAC a3:"};

void Thousandths(const ScreenArea& a, int column, int row, int32_t value) {
  char text[16];
  TextBuffer b = MakeTextBuffer(text, sizeof text);
  AppendThousandths(&b, value);
  AreaText(a, column, row, text);
}

}  // namespace

char AxisLetter(uint32_t code) {
  if (code >= 1 && code <= 3) return static_cast<char>('A' + code - 1);
  if (code >= 33 && code <= 38) return static_cast<char>('U' + code - 33);
  return '-';
}

void TransPrefix(const _TRANS* record) {
  if (record == nullptr || !ServiceBind()) return;
  ScreenArea a = LooseArea(record->layout);
  ClearArea(a);
  AreaCaption(a, LocText(281));
  AreaText(a, 0, kRowHeading, LocText(282));
  for (int k = 0; k < 3; ++k) AreaText(a, 0, kRowAngles + k, kAngleRows[k]);
  TransData(record);
}

void TransData(const _TRANS* record) {
  if (record == nullptr || !ServiceBind()) return;
  ScreenArea a = LooseArea(record->layout);
  const uint8_t* memory = ServiceHostMemory();
  const uint8_t* codes = reinterpret_cast<const uint8_t*>(record->axis_codes);
  for (uint32_t k = 0; k < kTransAxes; ++k) {
    int row = kRowAxes + static_cast<int>(k);
    char letter[2] = {AxisLetter(HostValue<uint32_t>(codes, 4 * k)), 0};
    if (codes == nullptr) letter[0] = '-';
    AreaText(a, kLetter, row, letter);
    Thousandths(a, kFictive, row, HostValue<int32_t>(memory, kTransFictive + 4 * k));
    Thousandths(a, kReal, row, HostValue<int32_t>(memory, kTransReal + 4 * k));
  }
  for (uint32_t k = 0; k < 3; ++k) {
    bool active = HostValue<uint8_t>(memory, kTransKinds + k) != 0;
    AreaTextIn(a, 8 * static_cast<int>(k), kRowKinds, AreaInk(),
               active ? Colour(BARVA_ZLUTA) : AreaPaper(), kKinds[k]);
    Thousandths(a, kAngleValue, kRowAngles + static_cast<int>(k), HostValue<int32_t>(memory, kTransAngles + 4 * k));
  }
}

void NkorPrefix(const _NKOR* record) {
  if (record == nullptr || !ServiceBind()) return;
  ScreenArea a = LooseArea(record->layout);
  ClearArea(a);
  AreaCaption(a, LocText(309));
  AreaText(a, 0, 1, "Info:  NK_x:NELKOR,2,3, TB_x:TABLE  ");
  AreaText(a, 0, 3, "NK  :\nNK_2:\nTB_2:\nNK_3:\nTB_3:");
}

void Su4Prefix(const _SU4* record) {
  if (record == nullptr || !ServiceBind()) return;
  ScreenArea a = LooseArea(record->layout);
  ClearArea(a);
  AreaCaption(a, LocText(294));
  AreaText(a, 0, 1, "Popis: COUNT/STAT, UOUT, SU_CHECK_NI");
  AreaText(a, 0, 3, "Popis chyb stat:");
  AreaText(a, 0, 4, "1=IRC 2=ANL 4=WRITE 8=BOARD 10h=HWVER");
}
