// Calling conventions shared by every library and the host.
//
// Every host service is reached through the host's dispatch entry:
//   dispatch(service handle, argument count, arguments...)
// cdecl with a variable argument list, the caller removing the arguments.
// It returns non-zero when the service ran and zero when the call failed.
// A handle or dispatch entry of 0 means the service is absent.
#pragma once

#include <stddef.h>
#include <stdint.h>

static_assert(sizeof(void*) == 4, "the host's records are laid out for 32-bit x86");

extern "C" {
typedef int (*HostDispatch)(uint32_t handle, int count, ...);
}

// Marks a plain C export of a deliverable library.
#define LIB_EXPORT extern "C" __attribute__((visibility("default")))
// Marks a namespaced C++ export (Kerf::ViewStart, ISO::ViewCont, ...).
#define LIB_EXPORT_CPP __attribute__((visibility("default")))

// Wrapper status values (signed 8-bit) shared by every service wrapper.
enum : int8_t {
  kStatusOk = 0,
  kStatusEndOfFile = 1,
  kStatusDispatchFailed = -1,
  kStatusBadPath = -5,
  kStatusServiceAbsent = -128,
};

// Reads a field of a packed host record at a byte offset.
template <typename T>
inline T RecordGet(const void* record, size_t offset) {
  T value;
  __builtin_memcpy(&value, static_cast<const uint8_t*>(record) + offset, sizeof value);
  return value;
}

template <typename T>
inline void RecordSet(void* record, size_t offset, T value) {
  __builtin_memcpy(static_cast<uint8_t*>(record) + offset, &value, sizeof value);
}
