// The event log's two files, written through the host's file services:
// EVENTS.TXT, the ring exported oldest first (mode 4, from the start), and
// EVCRITIC.TXT, to which every event marked critical is appended (mode 2,
// an existing file, then a seek to its end).
//
// Nothing is lost on a failure: an export reports any failed call,
// the close included, in the result byte; a critical mark is cleared only
// once its line is written and the file closed without error (a failed
// close may leave a line in the file twice, never not at all).
#pragma once

#include <stdint.h>

#include "vitals/vitals_records.h"

// What survives between calls (for the life of the loaded library).
struct EventFileState {
  bool date_written;  // the date line of EVCRITIC.TXT since loading
};

// Directory + name, a missing final "\" added. False when it does not fit.
constexpr uint32_t kEventPathBytes = 260;
bool EventPath(const char* directory, const char* name, char* out);

// Exports the ring to EVENTS.TXT; returns the result byte (0 success).
uint8_t ExportEvents(const _DGEVENT* record);
// Appends the pending critical events to EVCRITIC.TXT; returns the result byte.
uint8_t AppendCriticalEvents(EventFileState* state, const _DGEVENT* record);
