// The host services named in STRUCT_TRACER, reached through its dispatch
// entry as dispatch(handle, count, args...). A service is absent when the
// entry or its handle is 0; then nothing is called.
#pragma once

#include <stdint.h>

#include "tracer/tracer_record.h"

struct ServiceResult {
  bool called;     // false: the service is absent
  int32_t value;   // what dispatch returned (0 when absent)
};

ServiceResult CallService0(const STRUCT_TRACER* record, uint32_t handle);
ServiceResult CallService1(const STRUCT_TRACER* record, uint32_t handle, uint32_t arg);
ServiceResult CallService3(const STRUCT_TRACER* record, uint32_t handle, uint32_t a, uint32_t b,
                           uint32_t c);

// Host pointer fields: a null pointer reads as `fallback` and swallows writes.
template <typename T>
inline T ReadHost(const T* p, T fallback = T{}) {
  return p != nullptr ? *p : fallback;
}
template <typename T>
inline void WriteHost(T* p, T value) {
  if (p != nullptr) *p = value;
}

// A 32-bit word of a host block at a byte offset (0 for a null block).
inline uint32_t BlockWord(const uint8_t* block, uint32_t offset) {
  return block != nullptr ? RecordGet<uint32_t>(block, offset) : 0;
}
