// The axis screens: the axis-transformation read-out, and the captions
// and labels of the nonlinear-correction and axis-card diagnostics (whose
// values have no source the host describes, so their DATA shows nothing).
#pragma once

#include <stdint.h>

#include "vitals/drive_records.h"

constexpr int kTransAxes = 6;

// The letter of a host axis code: 1 A, 2 B, 3 C, 33 U ... 38 Z, else '-'.
char AxisLetter(uint32_t code);

void TransPrefix(const _TRANS* record);
void TransData(const _TRANS* record);
void NkorPrefix(const _NKOR* record);
void Su4Prefix(const _SU4* record);
