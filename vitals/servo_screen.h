// The servo-control diagnostic: state, link byte, position difference,
// entry and position value of up to sixteen servo channels (eight in a
// half of the screen).
#pragma once

#include "vitals/drive_records.h"

constexpr int kServoChannels = 16;
constexpr int kServoBlockHeight = 36;   // pixels between two channel blocks

void ServoPrefix(const _DGSERVO* record);
void ServoData(const _DGSERVO* record);
