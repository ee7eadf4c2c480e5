// The CAN peripheral screen's state and drawing, shared by its exports
// (can_periph_exports.cpp) and its painter (can_periph_screen.cpp).
#pragma once

#include <stdint.h>

#include "anvil/can_periph.h"
#include "anvil/sdo_dialog.h"

namespace anvil {

enum Io8Text : uint32_t {
  kIo8TextTitle = 200, kIo8TextPeriphery = 201, kIo8TextIdentity = 202, kIo8TextDevice = 203,
  kIo8TextData = 204, kIo8TextModules = 205, kIo8TextStatusHead = 206, kIo8TextStatus = 207,
  kIo8TextPlcHead = 208, kIo8TextPlc = 209, kIo8TextSendHead = 210, kIo8TextPacket = 211,
  kIo8TextResponseHead = 212, kIo8TextSdoTitle = 213, kIo8TextReadWrite = 214,
  kIo8TextIndex = 215, kIo8TextSubindex = 216, kIo8TextDataField = 217, kIo8TextDecimal = 218,
  kIo8TextKeyboards = 220, kIo8TextTerminal = 221,
};

// The layout a record's letter chooses.
struct Io8Layout {
  bool whole;      // 'C': both halves, with the PLC-port and SDO panels
  int32_t x0;      // 320 for the right half, else 0
};
Io8Layout Io8LayoutOf(uint8_t letter);

struct Io8Screen {
  uint8_t type = kIo8Modules;     // selected device type, 1 to 3
  uint32_t node[3] = {0, 0, 0};   // selected node of each type (the terminal's stays 0)
  uint8_t captions = 0;           // type whose data captions are shown; 0 = none
  SdoDialog sdo = {};
};

// Frame, headers and fixed captions; on the whole screen the PLC-port and
// SDO panels and the SDO dialog (drawn from `sdo`).
void Io8DrawFrame(const Io8Layout& layout, const SdoDialog& sdo);
void Io8DrawSdoFields(const SdoDialog& sdo);
void Io8DrawDataCaptions(const Io8Layout& layout, uint8_t type);
// Every value of node `index` of `type` from its record (read whole, once);
// a null record shows blanks where its values go.
void Io8DrawValues(const Io8Layout& layout, uint8_t type, uint32_t index, const uint8_t* node);

}  // namespace anvil
