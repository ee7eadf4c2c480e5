#include "vitals/ecc_screen.h"

#include "bridge/hex_digits.h"
#include "vitals/screen_fields.h"
#include "vitals/screen_layout.h"
#include "vitals/vitals_service.h"

namespace {

const char kBlock[] =
    "\nECC Chipset diagnostic\n\nVendor ID :\nDevice ID :\nChipset supported :\nECC in System ($78) :\n"
    "ECC Mode, Multi-Bit :\nECC in Chip DIMM0 :\nECC in Chip DIMM1 :\nECC in Chip DIMM2 :\n"
    "Single-bit Error DIMM0:\nSingle-bit Error DIMM1:\nSingle-bit Error DIMM2:\n\nTemperature syst/proc :\n\n"
    "BSP processor number:\n\nSEC processor number:";

// Rows of the block (row 0 is its leading empty line).
enum : int {
  kRowVendor = 3,
  kRowDevice,
  kRowSupported,
  kRowSystem,
  kRowMultiBit,
  kRowChip,        // three rows
  kRowErrors = 11, // three rows
  kRowTemperature = 15,
};
constexpr int kValue = 24;

const char* Enabled(uint8_t flag) { return flag != 0 ? "Enabled " : "Disabled"; }

void Hex(const ScreenArea& a, int row, uint32_t value) {
  char text[8];
  TextBuffer b = MakeTextBuffer(text, sizeof text);
  TextAppendHex(&b, value, 4);
  AreaText(a, kValue, row, text);
}

// Two decimal digits, or two blanks when bit 7 says "not available".
void AppendTemperature(TextBuffer* b, uint8_t value) {
  if (value & 0x80) TextAppend(b, "  ");
  else AppendZeroPadded(b, value > 99 ? 99 : value, 2);
}

void Refresh(const ScreenArea& a, const _DGNECC* r) {
  for (int k = 0; k < 3; ++k) {
    AreaText(a, kValue, kRowChip + k, Enabled(r->dimm[k] & 0x80));
    char count[8];
    TextBuffer b = MakeTextBuffer(count, sizeof count);
    AppendZeroPadded(&b, r->dimm[k] & 0x7F, 3);
    AreaText(a, kValue, kRowErrors + k, count);
  }
  char temperatures[8];
  TextBuffer b = MakeTextBuffer(temperatures, sizeof temperatures);
  AppendTemperature(&b, r->system_temperature);
  TextAppendChar(&b, '/');
  AppendTemperature(&b, r->processor_temperature);
  AreaText(a, kValue, kRowTemperature, temperatures);
}

}  // namespace

void EccPrefix(const _DGNECC* record) {
  ScreenArea a;
  if (record == nullptr || !StrictArea(record->layout, &a) || !ServiceBind()) return;
  ClearArea(a);
  AreaText(a, 0, 0, kBlock);
  Hex(a, kRowVendor, record->vendor);
  Hex(a, kRowDevice, record->device);
  AreaText(a, kValue, kRowSupported, Enabled(record->supported));
  AreaText(a, kValue, kRowSystem, Enabled(record->enabled));
  AreaText(a, kValue, kRowMultiBit, Enabled(record->multi_bit));
  Refresh(a, record);
}

void EccData(const _DGNECC* record) {
  ScreenArea a;
  if (record == nullptr || !StrictArea(record->layout, &a) || !ServiceBind()) return;
  Refresh(a, record);
}
