// Reads of host values at byte offsets of a host block; a null block reads
// as zero, so an absent value shows as a zero string.
#pragma once

#include <stdint.h>

#include "bridge/host_api.h"
#include "vitals/vitals_records.h"
#include "vitals/vitals_service.h"

template <typename T>
inline T HostValue(const uint8_t* block, uint32_t offset) {
  return block != nullptr ? RecordGet<T>(block, offset) : T{};
}

// The host memory block of the system-information record, read now (null
// before INIT_VITALS).
inline const uint8_t* ServiceHostMemory() {
  if (g_service.record == nullptr) return nullptr;
  return RecordGet<const uint8_t*>(g_service.record, offsetof(_VITALS, host_memory));
}
