// The SLM drive diagnostic: one digital drive channel at a time, its
// control and status values, and one of its two PID parameter sets.
#pragma once

#include <stdint.h>

#include "vitals/drive_records.h"

struct SlmState {
  uint32_t channel;   // 1 to 16
  char set;           // 'a' or 'b'
};

constexpr uint32_t kSlmChannelCount = 16;
constexpr uint32_t kSlmErrorChannels = 8;   // channels with an error byte and a speed

void SlmPrefix(SlmState* s, const _DGSLM* record);
void SlmData(SlmState* s, _DGSLM* record);
