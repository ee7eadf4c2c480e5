// The panel test screen: for each module of the operator panel (five in a
// half, eight in the whole area) its input and output bytes in the rows
// address, D0 to D7, status, count/error, version, system error, down.
#pragma once

#include "vitals/io_records.h"

constexpr int kPanelRows = 14;

void PanelTestPrefix(const _DGNPAN* record);
void PanelTestData(const _DGNPAN* record);
