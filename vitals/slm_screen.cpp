#include "vitals/slm_screen.h"

#include "bridge/hex_digits.h"
#include "bridge/localization.h"
#include "vitals/host_layout.h"
#include "vitals/host_read.h"
#include "vitals/screen_fields.h"
#include "vitals/screen_layout.h"

namespace {

const char kControlRows[] =
    "Detected:         SLM active:\n"
    "Action:           Error:\n"
    "Zero flag:        Index offset:\n"
    "Position:         Req.speed:\n";
const char kParameterRows[] =
    "PID(1):           PID(2):\n"
    "PID(3):           PID(4):\n"
    "PID(5):           PID(6):\n"
    "Filter:\n"
    "Current rating:\n"
    "Drive type:\n"
    "Max speed:\n"
    "Current scaling:\n"
    "I2t treshold:\n"
    "SLM SW version:\n"
    "Ref.switch pos.:       Ref.sw:\n";
const char* const kWordRows[3] = {"Drive stat:", "Drive cmd:", "Drive fault:"};

const char* const kStatusBits[16] = {
    "Axis enabled", "Axis healthy", "DriveI2t warning", "Drive torque.", "Test mode.", "Fan fail",
    "Braking I2t warn.", "Braking I2t trip", "Select PID bit0", "Select PID bit1", "Version ID bit2",
    "Version ID bit3", "Encoder warning", "Motor I2t warn.", "0", "0"};
const char* const kFaultBits[16] = {
    "Heatsink temp.", "Bad thermistor", "Axis Link err.", "Under-voltage", "Supply Phase fault",
    "Over-voltage", "Vce trip -IGBT", "+5V,?15V fault", "Axis I2t warn.", "Axis I2t trip", "Over current",
    "Offset limit", "1", "0", "1", "0"};

// Rows of the screen (row 0 is the caption).
enum : int {
  kRowControl = 1,
  kRowDetected = 2,
  kRowAction = 3,
  kRowZero = 4,
  kRowPosition = 5,
  kRowParameters = 6,
  kRowPid = 7,        // three rows of two
  kRowDrive = 10,     // filter, rating, type, max speed, scaling, I2t
  kRowVersion = 16,
  kRowReference = 17,
  kRowWords = 18,     // status, command, fault
};
constexpr int kLeftValue = 11, kRightValue = 32, kPidLeft = 8, kPidRight = 26, kDriveValue = 17;
constexpr int kSwitchValue = 31, kWordValue = 13, kLegendColumn = 40;

// One legend cell: a name padded to 18 characters; the constant bits
// ("0", "1") are set in by three.
void AppendLegendCell(TextBuffer* b, const char* name, bool last) {
  uint32_t start = b->length;
  if (name[1] == '\0') TextAppend(b, "   ");
  TextAppend(b, name);
  if (!last) TextAppendRepeat(b, ' ', 18 - (b->length - start));
}

// "Bit0 Axis enabled      Heatsink temp.\n" ... "Bit15    0                 0\n\n",
// then the two drive-command lines.
void BuildLegend(TextBuffer* b) {
  for (uint32_t bit = 0; bit < 16; ++bit) {
    TextAppend(b, "Bit");
    TextAppendUnsigned(b, bit);
    TextAppendChar(b, ' ');
    AppendLegendCell(b, kStatusBits[bit], false);
    AppendLegendCell(b, kFaultBits[bit], true);
    TextAppendChar(b, '\n');
  }
  TextAppend(b, "\nDriveCmd Bit 0: Enable/Disable (PLC)\nDriveCmd Bit 8,9: PID param.selector\n");
}

const char* Flag(bool set) { return set ? "1" : "0"; }

void Number(const ScreenArea& a, int column, int row, uint32_t value, uint32_t width) {
  char text[16];
  TextBuffer b = MakeTextBuffer(text, sizeof text);
  AppendZeroPadded(&b, value, width);
  AreaText(a, column, row, text);
}

void Signed(const ScreenArea& a, int column, int row, int32_t value) {
  char text[16];
  TextBuffer b = MakeTextBuffer(text, sizeof text);
  AppendSignedPadded(&b, value, 5);
  AreaText(a, column, row, text);
}

void Bits(const ScreenArea& a, int row, uint32_t value) {
  char text[20];
  TextBuffer b = MakeTextBuffer(text, sizeof text);
  AppendBits(&b, value, 16);
  AreaText(a, kWordValue, row, text);
}

}  // namespace

void SlmPrefix(SlmState* s, const _DGSLM* record) {
  s->channel = 1;
  s->set = 'a';
  if (record == nullptr || !ServiceBind()) return;
  ScreenArea a = LooseArea(record->layout);
  ClearArea(a);
  if (record->available == 0) {
    AreaCaption(a, LocText(291));
    return;
  }
  AreaCaption(a, LocText(290));
  AreaText(a, 0, kRowControl, " Drive control: ");
  AreaText(a, 0, kRowDetected, kControlRows);
  AreaText(a, 0, kRowParameters, " Drive parameters: ");
  AreaText(a, 0, kRowPid, kParameterRows);
  for (int i = 0; i < 3; ++i) AreaText(a, 0, kRowWords + i, kWordRows[i]);
  if (!a.whole) return;
  char legend[1024];
  TextBuffer b = MakeTextBuffer(legend, sizeof legend);
  BuildLegend(&b);
  AreaText(a, kLegendColumn, kRowDetected, legend);
}

void SlmData(SlmState* s, _DGSLM* record) {
  if (record == nullptr || record->available == 0) return;
  uint8_t key = record->key;
  record->key = 0;
  if (s->channel < 1 || s->channel > kSlmChannelCount) s->channel = 1;
  if (key == 1) s->channel = s->channel % kSlmChannelCount + 1;
  if (key == 2) s->set = s->set == 'a' ? 'b' : 'a';
  if (!ServiceBind()) return;
  ScreenArea a = LooseArea(record->layout);
  const uint8_t* base = record->base;
  uint32_t c = s->channel - 1, group = c / 4, bit = c % 4;
  uint32_t block = kSlmChannels + kSlmChannelBytes * c;
  bool first_eight = c < kSlmErrorChannels;

  char channel[4] = {static_cast<char>('0' + s->channel / 10), static_cast<char>('0' + s->channel % 10), s->set, 0};
  const char* caption = LocText(290);
  int caption_end = 0;
  while (caption != nullptr && caption[caption_end] != '\0') ++caption_end;
  AreaTextIn(a, caption_end + 1, 0, AreaPaper(), Colour(BARVA_T13), channel);

  AreaText(a, kLeftValue, kRowDetected, Flag(HostValue<uint8_t>(base, kSlmDetected + group) >> bit & 1));
  Number(a, kRightValue, kRowDetected, HostValue<uint8_t>(base, kSlmActive + c), 3);
  AreaText(a, kLeftValue, kRowAction, Flag(HostValue<uint8_t>(base, kSlmAction + c) != 0));
  Number(a, kRightValue, kRowAction, first_eight ? HostValue<uint8_t>(record->errors, c) : 0, 3);
  AreaText(a, kLeftValue, kRowZero, Flag(HostValue<uint8_t>(base, kSlmZeroFlag + group) >> bit & 1));
  Number(a, kRightValue, kRowZero, HostValue<uint8_t>(base, kSlmIndexOffset + c), 3);
  Number(a, kLeftValue, kRowPosition, HostValue<uint16_t>(base, kSlmPosition + 2 * c), 5);
  Signed(a, kRightValue, kRowPosition, first_eight ? HostValue<int16_t>(base, kSlmSpeed + 2 * c) : 0);

  uint32_t set_offset = s->set == 'a' ? 0 : 12;
  for (int k = 0; k < 6; ++k)
    Signed(a, k % 2 == 0 ? kPidLeft : kPidRight, kRowPid + k / 2,
           HostValue<int16_t>(base, block + set_offset + 2 * static_cast<uint32_t>(k)));
  const uint32_t kDriveOffsets[6] = {36, 144, 146, 148, 150, 152};
  for (int k = 0; k < 6; ++k)
    Number(a, kDriveValue, kRowDrive + k, HostValue<uint16_t>(base, block + kDriveOffsets[k]), 5);
  char version[8];
  TextBuffer vb = MakeTextBuffer(version, sizeof version);
  TextAppendHex(&vb, HostValue<uint16_t>(base, block + 158), 4);
  AreaText(a, kDriveValue, kRowVersion, version);
  Number(a, kDriveValue, kRowReference, HostValue<uint16_t>(base, kSlmReference + 2 * c), 5);
  AreaText(a, kSwitchValue, kRowReference, Flag(HostValue<uint8_t>(base, kSlmReferenceSwitch + c) != 0));
  Bits(a, kRowWords, HostValue<uint16_t>(base, kSlmStatus + 2 * c));
  Bits(a, kRowWords + 1, HostValue<uint16_t>(reinterpret_cast<const uint8_t*>(record->drive_command), 0));
  Bits(a, kRowWords + 2, HostValue<uint16_t>(base, kSlmFault + 2 * c));
}
