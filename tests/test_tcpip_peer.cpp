// A second, independent instance of the stack for the link tests: built as
// a shared library with everything hidden but these entry points, so a
// test process holds two stacks (its own, linked in, and this one) and can
// connect them through an in-process link.
#include "wharf/config.h"
#include "wharf/tcpip/clock.h"
#include "wharf/tcpip/tcp_api.h"

#define PEER_API extern "C" __attribute__((visibility("default")))

namespace {
tcpip::TcpConn Conn(int conn) { return conn == 0 ? tcpip::TcpConn::kControl : tcpip::TcpConn::kData; }
}  // namespace

PEER_API int peer_init(const WHARF_INIT_PARAMS* params, uint32_t (*ticks)()) {
  tcpip::ClockSetTickSource(ticks);
  if (!WharfConfigInstall(params)) return 0;
  tcpip::StackReset();
  tcpip::StackClockSample();
  return 1;
}
PEER_API void peer_pass() {
  tcpip::StackClockSample();
  tcpip::StackPass();
}
PEER_API int peer_open_active(int conn, uint16_t local_port, uint16_t remote_port) {
  return tcpip::TcpOpenActive(Conn(conn), local_port, remote_port);
}
PEER_API int peer_open_passive(int conn, uint16_t local_port, uint16_t remote_port) {
  return tcpip::TcpOpenPassive(Conn(conn), local_port, remote_port);
}
PEER_API uint16_t peer_send(int conn, const void* bytes, uint16_t n) {
  return tcpip::TcpSend(Conn(conn), bytes, n);
}
PEER_API uint16_t peer_receive(int conn, void* buffer, uint16_t n) {
  return tcpip::TcpReceive(Conn(conn), buffer, n);
}
PEER_API void peer_close(int conn) { tcpip::TcpClose(Conn(conn)); }
PEER_API int peer_state(int conn) { return static_cast<int>(tcpip::TcpGetState(Conn(conn))); }
PEER_API uint16_t peer_send_room(int conn) { return tcpip::TcpSendRoom(Conn(conn)); }
