// Wharf's reports and its built-in local-file operations.
//
// Reports go to the callbacks that an ...Ex call installed, else to the
// host's report services of the configuration (dropped when absent).
// A completion report clears all three installed callbacks afterwards, so a
// callback set lasts until the next completion.
//
// The six file operations are a table, so the FTP engine can be given
// another table (a test's fake); the built-in one works over the host's file
// services (FspOpen, FspRead, FspWrite, FspClose).
#pragma once

#include <stdint.h>

extern "C" {
typedef void (*WharfErrorCallback)(int code);
typedef void (*WharfCompletionCallback)(int operation, const char* text);
typedef void (*WharfStatusCallback)(int code, void* value);
}

// Installs the callbacks of an ...Ex call (nulls included).
void WharfSetCallbacks(WharfErrorCallback error, WharfCompletionCallback completion,
                       WharfStatusCallback status);
// Whether any callback is installed (for tests and the engine's queueing).
bool WharfCallbacksInstalled();

void WharfReportError(int code);
void WharfReportCompletion(int operation, const char* text);
void WharfReportStatus(int code, void* value);

// Table of the local-file operations of one transfer, in this order.
struct WharfFileOps {
  // Open for reading / writing (file name) -> 1 on success, 0 on failure.
  int (*open_read)(const char* name);
  int (*open_write)(const char* name);
  // Reads up to n bytes; *end set to 1 at the end or on failure.
  uint32_t (*read)(uint32_t n, void* buffer, int* end);
  // Preferred block size of the transfer.
  uint32_t (*buffer_size)();
  // Writes n bytes -> 1 or 0.
  int (*write)(uint32_t n, const void* buffer);
  // Closes the file (reason code, unused by the built-in table) -> 0, or 2
  // when a table reports a failed close.
  int (*close)(int reason);
};

// The built-in operations over the host's file services.
extern const WharfFileOps g_wharf_file_ops;

// State shared by the built-in operations and the engine: the bytes moved
// through the local file in the current transfer, the handle of that file,
// and the operation code that the close reports as completed.
struct WharfFileState {
  uint32_t byte_counter;
  uint32_t handle;
  int current_operation;
};
extern WharfFileState g_wharf_file_state;
