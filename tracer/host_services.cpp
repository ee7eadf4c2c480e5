#include "tracer/host_services.h"

ServiceResult CallService0(const STRUCT_TRACER* record, uint32_t handle) {
  if (record == nullptr || record->dispatch == nullptr || handle == 0) return {false, 0};
  return {true, record->dispatch(handle, 0)};
}

ServiceResult CallService1(const STRUCT_TRACER* record, uint32_t handle, uint32_t arg) {
  if (record == nullptr || record->dispatch == nullptr || handle == 0) return {false, 0};
  return {true, record->dispatch(handle, 1, arg)};
}

ServiceResult CallService3(const STRUCT_TRACER* record, uint32_t handle, uint32_t a, uint32_t b,
                           uint32_t c) {
  if (record == nullptr || record->dispatch == nullptr || handle == 0) return {false, 0};
  return {true, record->dispatch(handle, 3, a, b, c)};
}
