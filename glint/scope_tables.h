// The time-base and scale tables and the steps through them.
#pragma once

#include <stdint.h>

constexpr int kTimeBaseCount = 8;
constexpr int kScaleCount = 26;
extern const uint32_t kTimeBases[kTimeBaseCount];  // ms per division, 25 .. 5000
extern const uint32_t kScales[kScaleCount];        // units per division, 1 .. 500000000

constexpr uint32_t kTimeBaseMin = 25, kTimeBaseMax = 5000;
constexpr uint32_t kScaleMin = 1, kScaleMax = 500000000;

// One step through a table from `value`, which need not be an entry: up
// takes the next entry (or the first above an off-table value), down the
// previous one (or the last below). At a table end, or when no entry
// qualifies, the value stays.
uint32_t TableStepUp(const uint32_t* table, int count, uint32_t value);
uint32_t TableStepDown(const uint32_t* table, int count, uint32_t value);

// The scale that shows values from `smallest` to `largest` within
// `half_divisions` divisions either side of the centre: the first table entry
// not below the need, or the need itself beyond the table. Computed without
// wrapping, so INT32_MIN counts as 2147483648.
uint32_t AutomaticScale(int32_t smallest, int32_t largest, uint32_t half_divisions);

uint32_t ClampU32(uint32_t value, uint32_t low, uint32_t high);
