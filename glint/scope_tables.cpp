#include "glint/scope_tables.h"

const uint32_t kTimeBases[kTimeBaseCount] = {25, 50, 100, 250, 500, 1000, 2500, 5000};
const uint32_t kScales[kScaleCount] = {
    1, 5, 10, 25, 50, 100, 250, 500, 1000, 2500, 5000, 10000, 25000, 50000, 100000, 250000,
    500000, 1000000, 2500000, 5000000, 10000000, 25000000, 50000000, 100000000, 250000000,
    500000000};

uint32_t TableStepUp(const uint32_t* table, int count, uint32_t value) {
  for (int i = 0; i < count; ++i) {
    if (table[i] > value) return table[i];
  }
  return value;
}

uint32_t TableStepDown(const uint32_t* table, int count, uint32_t value) {
  for (int i = count - 1; i >= 0; --i) {
    if (table[i] < value) return table[i];
  }
  return value;
}

uint32_t AutomaticScale(int32_t smallest, int32_t largest, uint32_t half_divisions) {
  int64_t low = smallest < 0 ? -static_cast<int64_t>(smallest) : 0;
  int64_t high = largest > 0 ? largest : 0;
  uint64_t reach = static_cast<uint64_t>(low > high ? low : high);
  uint64_t needed = half_divisions > 0 ? reach / half_divisions : reach;
  for (int i = 0; i < kScaleCount; ++i) {
    if (kScales[i] >= needed) return kScales[i];
  }
  return needed > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(needed);
}

uint32_t ClampU32(uint32_t value, uint32_t low, uint32_t high) {
  return value < low ? low : value > high ? high : value;
}
