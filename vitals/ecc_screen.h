// The ECC (memory) diagnostic of the main board: chipset ids and flags,
// the three DIMMs and the two temperatures, all from the record.
#pragma once

#include "vitals/drive_records.h"

void EccPrefix(const _DGNECC* record);
void EccData(const _DGNECC* record);
