// The system-information panel: PREFIX_VITALS draws it whole, DATA_VITALS
// repaints one field per call in a cycle of refresh steps.
#pragma once

#include <stdint.h>

#include "vitals/vitals_records.h"

struct PanelState {
  const _VITALS* record;   // stored by PREFIX_VITALS
  uint32_t counter;        // DATA_VITALS step counter, 0 at load
  uint32_t correction;     // correction number of step 5, for steps 6 to 13
  char table_name[64];     // the last table name step 2 saw that was not "FIX."
};

// The refresh cycle: counter 1 to 21 runs that step, 22 to 199 idle, 200
// becomes 1 (idle); the counter grows after every call. The first call after
// loading is idle, the next 21 paint steps 1 to 21; later cycles are 199
// calls: steps 2 to 21, then 179 idle calls.
constexpr uint32_t kPanelSteps = 21;
constexpr uint32_t kPanelCycleEnd = 200;

void PanelPrefix(PanelState* s, const _VITALS* record);
void PanelData(PanelState* s);
// One refresh step (1 to 21), as DATA_VITALS runs it.
void PanelStep(PanelState* s, uint32_t step);
