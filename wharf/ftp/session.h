// What the exports add to the engine: submitting on behalf of a caller,
// with the report callbacks of the ...Ex calls, and the module-wide client.
#pragma once

#include "wharf/ftp/client.h"

// The three callbacks an ...Ex call brings.
struct WharfExCallbacks {
  WharfErrorCallback error;
  WharfCompletionCallback completion;
  WharfStatusCallback status;
};

// Error reported when an argument does not fit the client record (longer
// than 68 characters): the host's "bad path" status.
constexpr int kWharfArgumentTooLong = -5;

// Submits for a caller. With `ex` (an ...Ex call): when no operation is
// current its callbacks replace the installed ones; when one is current the
// installed callbacks stay. Returns 1 (started) or 0 (queued). An argument
// longer than 68 characters is refused: 0, nothing changes, and error -5
// goes to the caller's error callback (the ...Ex form) or the error report.
int WharfSubmit(FtpClient& c, uint8_t operation, const char* a, const char* b,
                const WharfExCallbacks* ex);

// The library's one client: set up on first use as after loading.
FtpClient& WharfClient();
