#include "wharf/services.h"

#include "bridge/fsp.h"
#include "wharf/config.h"

WharfFileState g_wharf_file_state;

namespace {

struct Callbacks {
  WharfErrorCallback error;
  WharfCompletionCallback completion;
  WharfStatusCallback status;
};
Callbacks g_callbacks;

// Calls a report service of the configuration when it is present.
bool HasService(uint32_t handle) {
  return g_wharf_config.dispatch != nullptr && handle != 0;
}

constexpr uint32_t kBuiltinBufferSize = 1024;
constexpr int kStatusBytesWritten = 8;
constexpr int kStatusBytesRead = 9;

void* CounterValue() {
  return reinterpret_cast<void*>(static_cast<uintptr_t>(g_wharf_file_state.byte_counter));
}

int OpenWith(const char* name, uint32_t mode) {
  g_wharf_file_state.byte_counter = 0;
  uint32_t size = 0;
  int8_t r = FspOpen(name, mode, &g_wharf_file_state.handle, &size);
  if (r < 0) WharfReportError(r);
  return r == 0 ? 1 : 0;
}

int BuiltinOpenRead(const char* name) { return OpenWith(name, kFspOpenRead); }
int BuiltinOpenWrite(const char* name) { return OpenWith(name, kFspOpenCreate); }

uint32_t BuiltinRead(uint32_t n, void* buffer, int* end) {
  // The host's read block carries a 16-bit length.
  uint16_t length = n > 0xFFFF ? 0xFFFF : static_cast<uint16_t>(n);
  uint16_t count = 0;
  int8_t r = FspRead(g_wharf_file_state.handle, buffer, length, &count);
  uint32_t got = 0;
  if (r == kStatusOk) {
    *end = 0;
    got = count;
  } else if (r == kStatusEndOfFile) {
    *end = 1;
    got = count;
  } else {
    if (r < 0) WharfReportError(r);
    *end = 1;
  }
  if (got > length) got = length;  // a host may not claim more than it was asked
  g_wharf_file_state.byte_counter += got;
  WharfReportStatus(kStatusBytesRead, CounterValue());
  return got;
}

uint32_t BuiltinBufferSize() { return kBuiltinBufferSize; }

int BuiltinWrite(uint32_t n, const void* buffer) {
  // Larger blocks go out in pieces the 16-bit length can carry.
  const uint8_t* p = static_cast<const uint8_t*>(buffer);
  int8_t r = kStatusOk;
  uint32_t left = n;
  do {
    uint16_t piece = left > 0xFFFF ? 0xFFFF : static_cast<uint16_t>(left);
    r = FspWrite(g_wharf_file_state.handle, p, piece);
    p += piece;
    left -= piece;
  } while (r >= 0 && left > 0);
  g_wharf_file_state.byte_counter += n;
  WharfReportStatus(kStatusBytesWritten, CounterValue());
  if (r < 0) {
    WharfReportError(r);
    return 0;
  }
  return 1;
}

int BuiltinClose(int /*reason*/) {
  int8_t r = FspClose(g_wharf_file_state.handle, 0, 0);
  if (r >= 0) {
    WharfReportCompletion(g_wharf_file_state.current_operation, nullptr);
  } else {
    WharfReportError(r);
  }
  return 0;
}

}  // namespace

const WharfFileOps g_wharf_file_ops = {
    BuiltinOpenRead, BuiltinOpenWrite, BuiltinRead, BuiltinBufferSize, BuiltinWrite, BuiltinClose,
};

void WharfSetCallbacks(WharfErrorCallback error, WharfCompletionCallback completion,
                       WharfStatusCallback status) {
  g_callbacks = {error, completion, status};
}

bool WharfCallbacksInstalled() {
  return g_callbacks.error != nullptr || g_callbacks.completion != nullptr ||
         g_callbacks.status != nullptr;
}

void WharfReportError(int code) {
  if (g_callbacks.error != nullptr) {
    g_callbacks.error(code);
  } else if (HasService(g_wharf_config.error_report)) {
    g_wharf_config.dispatch(g_wharf_config.error_report, 1, code);
  }
}

void WharfReportCompletion(int operation, const char* text) {
  if (g_callbacks.completion != nullptr) {
    g_callbacks.completion(operation, text);
  } else if (HasService(g_wharf_config.completion_report)) {
    // The service's argument count word is 3; the third argument is passed
    // as null so a host reading three arguments reads a defined value.
    g_wharf_config.dispatch(g_wharf_config.completion_report, 3, operation, text,
                            static_cast<void*>(nullptr));
  }
  g_callbacks = {};
}

void WharfReportStatus(int code, void* value) {
  if (g_callbacks.status != nullptr) {
    g_callbacks.status(code, value);
  } else if (HasService(g_wharf_config.status_report)) {
    g_wharf_config.dispatch(g_wharf_config.status_report, 2, code, value);
  }
}
