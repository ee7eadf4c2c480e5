// The engine's transport over the library's own TCP/IP stack: each link is
// one of the stack's two connection records.
#include "wharf/ftp/transport.h"
#include "wharf/tcpip/tcp_api.h"

namespace {

using tcpip::TcpConn;

TcpConn Conn(FtpLink link) { return link == kFtpControl ? TcpConn::kControl : TcpConn::kData; }

int OpenActive(void*, FtpLink link, uint16_t local_port, uint16_t remote_port) {
  return tcpip::TcpOpenActive(Conn(link), local_port, remote_port);
}

void OpenPassive(void*, FtpLink link, uint16_t local_port, uint16_t remote_port) {
  tcpip::TcpOpenPassive(Conn(link), local_port, remote_port);
}

bool Send(void*, FtpLink link, const void* bytes, uint16_t n) {
  return tcpip::TcpSend(Conn(link), bytes, n) == n;
}

uint16_t Receive(void*, FtpLink link, void* buffer, uint16_t n) {
  return tcpip::TcpReceive(Conn(link), buffer, n);
}

void Close(void*, FtpLink link) { tcpip::TcpClose(Conn(link)); }
void Abort(void*, FtpLink link) { tcpip::TcpAbort(Conn(link)); }

FtpLinkState State(void*, FtpLink link) {
  return static_cast<FtpLinkState>(tcpip::TcpGetState(Conn(link)));
}

uint16_t SendRoom(void*, FtpLink link) { return tcpip::TcpSendRoom(Conn(link)); }
uint16_t ReceiveCount(void*, FtpLink link) { return tcpip::TcpReceiveCount(Conn(link)); }

static_assert(static_cast<int>(tcpip::TcpState::kTimeWait) == kLinkTimeWait);
static_assert(static_cast<int>(tcpip::TcpState::kCloseWait) == kLinkCloseWait);
static_assert(static_cast<int>(tcpip::TcpState::kEstablished) == kLinkEstablished);

}  // namespace

const FtpTransport g_ftp_tcpip_transport = {
    nullptr, OpenActive, OpenPassive, Send, Receive, Close, Abort, State, SendRoom, ReceiveCount,
};
