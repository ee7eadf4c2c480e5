// The SDO dialog of the CAN peripheral screen: four decimal entry fields
// (read/write code, index, subindex, data) edited by the keys the host
// hands over, and the number each one gives.
//
// Keys: '0'-'9' append a digit while the field has room; 63 puts a "-" in
// front or takes it away (not when the field is full); 46 empties the
// field; 1 and 2 move to the next and the previous field, wrapping. Every
// other key is ignored. A field's text never exceeds its length.
#pragma once

#include <stdint.h>

namespace anvil {

enum SdoField : uint32_t { kSdoReadWrite = 0, kSdoIndex = 1, kSdoSubindex = 2, kSdoData = 3, kSdoFields = 4 };
constexpr uint32_t kSdoLengths[kSdoFields] = {3, 5, 3, 10};
constexpr uint32_t kSdoLongest = 10;

struct SdoDialog {
  char text[kSdoFields][kSdoLongest + 1];
  uint32_t focus;
};

// Empty fields, the focus on the first.
void SdoDialogReset(SdoDialog* d);
// Handles one key; true when a field's text or the focus changed.
bool SdoDialogKey(SdoDialog* d, uint8_t key);

// The decimal number of a text: leading blanks and tabs skipped, an
// optional sign, then digits up to the first other character (none gives
// 0). A negative number comes as its two's complement; a magnitude beyond
// 32 bits is taken as 0xFFFFFFFF.
uint32_t SdoNumber(const char* text);

}  // namespace anvil
