// The file manager's side of the FTP client: Wharf's exports reached
// through the host's table of function entries, each operation driven to
// its end by a wait loop inside one panel step.
//
// Every helper returns true on success. A failure has already been
// reported as the panel's message 4212 with the client's code and text.
// The wait loop ends when the client reports the end of the operation, or
// after 30 s of the panel's clock without any report from the client (a
// bounded number of passes where the panel has no clock): then it fails
// with code -56. A table entry of 0 fails with code -93 without a call.
// A listing or transfer counts as done only when the client takes the
// next command (a PWD) at once: one that stalled reports its completion
// before the stall, and the stall itself does not reach this library.
#pragma once

#include <stdint.h>

namespace anvil {

// Progress of a transfer in bytes, offered at most every 200 ms.
using FtpProgress = void (*)(uint32_t bytes);

bool FtpList(bool long_form, const char* local_file);
bool FtpPwd(char* answer, uint32_t capacity);
bool FtpCwd(const char* server_path);
bool FtpRetrieve(const char* remote, const char* local, FtpProgress progress);
bool FtpStore(const char* local, const char* remote, FtpProgress progress);

// Text id of a client error code (121 "Unknown FTP error" for others).
uint32_t FtpErrorTextId(int code);

// Passes without a report after which a wait without a clock gives up.
constexpr uint32_t kFtpPassBound = 2000000;
constexpr uint32_t kFtpSilenceMs = 30000;

}  // namespace anvil
