// The PLC interface screens: the CNC-to-PLC command bits (PB) and the
// PLC-to-CNC backward signals (BZH), 32 named bits a screen.
#pragma once

#include "vitals/io_records.h"

enum class InterfaceScreen { kPb1, kPb2, kBz1, kBz2 };

constexpr int kInterfaceBits = 32;
// The signal name of a bit (0 to 63) of either block.
const char* InterfaceSignal(bool backward, int bit);

void InterfacePrefix(InterfaceScreen screen, const _PB_BZH* record);
void InterfaceData(InterfaceScreen screen, const _PB_BZH* record);
