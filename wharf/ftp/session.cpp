#include "wharf/ftp/session.h"

#include <string.h>

namespace {

bool Fits(const char* text) {
  return text == nullptr || strnlen(text, kFtpArgumentMax + 1) <= kFtpArgumentMax;
}

const WharfFileOps* OpsFor(uint8_t operation) {
  switch (operation) {
    case kOpNameList:
    case kOpList:
    case kOpRetrieve:
    case kOpStore:
      return &g_wharf_file_ops;
    default:
      return nullptr;
  }
}

}  // namespace

int WharfSubmit(FtpClient& c, uint8_t operation, const char* a, const char* b,
                const WharfExCallbacks* ex) {
  if (!Fits(a) || !Fits(b)) {
    if (ex == nullptr) WharfReportError(kWharfArgumentTooLong);
    else if (ex->error != nullptr) ex->error(kWharfArgumentTooLong);
    return 0;
  }
  if (ex != nullptr && c.operation == kOpNone) WharfSetCallbacks(ex->error, ex->completion, ex->status);
  int r = FtpSubmit(c, operation, OpsFor(operation), a, b);
  return r == 1 ? 1 : 0;
}

FtpClient& WharfClient() {
  static FtpClient client;
  static bool loaded = false;
  if (!loaded) {
    FtpClientInit(client);
    client.sink = {WharfReportError, WharfReportCompletion, WharfReportStatus};
    client.shared_operation = &g_wharf_file_state.current_operation;
    client.transport = &g_ftp_tcpip_transport;
    loaded = true;
  }
  return client;
}
