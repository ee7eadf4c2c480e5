// The exports of the FTP client. wharfInit and wharfCont (wharf_library.cpp)
// reach the engine through WharfEngineReset and WharfEnginePass; the
// operations below submit to it. Every export returns 0 and does nothing
// before wharfInit has succeeded.
#include "bridge/host_api.h"
#include "wharf/config.h"
#include "wharf/engine.h"
#include "wharf/ftp/session.h"
#include "wharf/tcpip/tcp_api.h"

void WharfEngineReset() {
  FtpClient& c = WharfClient();
  FtpSetLogin(c, g_wharf_config.own_ip, g_wharf_config.user, g_wharf_config.password);
  FtpResetProtocol(c, tcpip::StackClockNow());
}

void WharfEnginePass() { FtpPass(WharfClient(), tcpip::StackClockNow()); }

namespace {

int Submit(uint8_t operation, const char* a, const char* b, const WharfExCallbacks* ex = nullptr) {
  if (!WharfInitialised()) return 0;
  return WharfSubmit(WharfClient(), operation, a, b, ex);
}

}  // namespace

LIB_EXPORT int wharfDone() {
  if (!WharfInitialised()) return 0;
  FtpRequestLogout(WharfClient());
  return 1;
}

LIB_EXPORT int wharfCancel() {
  if (!WharfInitialised()) return 0;
  WharfClient().cancel = 1;
  return 1;
}

LIB_EXPORT int wharfSetReplyTimeOut(uint32_t limit) {
  if (!WharfInitialised()) return 0;
  WharfClient().reply_time_out = limit;
  return 1;
}

LIB_EXPORT int wharfList(const char* local_file) { return Submit(kOpNameList, local_file, local_file); }
LIB_EXPORT int wharfListW(const char* local_file) { return Submit(kOpList, local_file, local_file); }
LIB_EXPORT int wharfPWD() { return Submit(kOpPwd, nullptr, nullptr); }
LIB_EXPORT int wharfCWD(const char* path) { return Submit(kOpCwd, path, nullptr); }
LIB_EXPORT int wharfCdUp() { return Submit(kOpCdUp, nullptr, nullptr); }
LIB_EXPORT int wharfRetr(const char* remote_file, const char* local_file) {
  return Submit(kOpRetrieve, remote_file, local_file);
}
// The source comes first: the local file, then the remote name.
LIB_EXPORT int wharfStor(const char* local_file, const char* remote_file) {
  return Submit(kOpStore, remote_file, local_file);
}

LIB_EXPORT int wharfListEx(const char* local_file, WharfErrorCallback e, WharfCompletionCallback c,
                           WharfStatusCallback s) {
  WharfExCallbacks ex = {e, c, s};
  return Submit(kOpNameList, local_file, local_file, &ex);
}
LIB_EXPORT int wharfListWEx(const char* local_file, WharfErrorCallback e, WharfCompletionCallback c,
                            WharfStatusCallback s) {
  WharfExCallbacks ex = {e, c, s};
  return Submit(kOpList, local_file, local_file, &ex);
}
LIB_EXPORT int wharfPWDEx(WharfErrorCallback e, WharfCompletionCallback c, WharfStatusCallback s) {
  WharfExCallbacks ex = {e, c, s};
  return Submit(kOpPwd, nullptr, nullptr, &ex);
}
LIB_EXPORT int wharfCWDEx(const char* path, WharfErrorCallback e, WharfCompletionCallback c,
                          WharfStatusCallback s) {
  WharfExCallbacks ex = {e, c, s};
  return Submit(kOpCwd, path, nullptr, &ex);
}
LIB_EXPORT int wharfCdUpEx(WharfErrorCallback e, WharfCompletionCallback c, WharfStatusCallback s) {
  WharfExCallbacks ex = {e, c, s};
  return Submit(kOpCdUp, nullptr, nullptr, &ex);
}
LIB_EXPORT int wharfRetrEx(const char* remote_file, const char* local_file, WharfErrorCallback e,
                           WharfCompletionCallback c, WharfStatusCallback s) {
  WharfExCallbacks ex = {e, c, s};
  return Submit(kOpRetrieve, remote_file, local_file, &ex);
}
LIB_EXPORT int wharfStorEx(const char* local_file, const char* remote_file, WharfErrorCallback e,
                           WharfCompletionCallback c, WharfStatusCallback s) {
  WharfExCallbacks ex = {e, c, s};
  return Submit(kOpStore, remote_file, local_file, &ex);
}
