// The operations the FTP engine calls.
#include <string.h>

#include "wharf/tcpip/stack.h"
#include "wharf/tcpip/tcp.h"
#include "wharf/tcpip/tcp_api.h"

namespace tcpip {
namespace {

constexpr uint16_t kWindowUpdateSmall = 200;

void Reopen(TcpRecord* r, uint16_t local_port, uint16_t remote_port) {
  memset(r, 0, sizeof *r);
  RingInit(&r->send, kTcpRingCapacity);
  RingInit(&r->receive, kTcpRingCapacity);
  RingInit(&r->resend, kTcpRingCapacity);
  r->local_port = local_port;
  r->remote_port = remote_port;
  r->iss = r->snd_una = r->snd_nxt = g_stack.clock;
  r->rcv_wnd = kTcpRingCapacity;
  r->state = TcpState::kClosed;
}

int OpenActive(TcpRecord* r, uint16_t local_port, uint16_t remote_port) {
  Reopen(r, local_port, remote_port);
  if (!TcpOutput(r, TcpKind::kControl, kTcpSyn)) {
    r->state = TcpState::kClosed;
    return 0;
  }
  r->state = TcpState::kSynSent;
  return 1;
}

bool MaySend(TcpState s) {
  return s == TcpState::kListen || s == TcpState::kSynSent || s == TcpState::kSynReceived ||
         s == TcpState::kEstablished || s == TcpState::kCloseWait;
}

// Received bytes stay readable after the peer's FIN until the record
// closes, so nothing that arrived is lost to the engine.
bool MayReceive(TcpState s) {
  return s == TcpState::kEstablished || s == TcpState::kFinWait1 ||
         s == TcpState::kFinWait2 || s == TcpState::kCloseWait || s == TcpState::kLastAck ||
         s == TcpState::kClosing || s == TcpState::kTimeWait;
}

bool SendsWindowUpdates(TcpState s) {
  return s == TcpState::kEstablished || s == TcpState::kFinWait1 ||
         s == TcpState::kFinWait2 || s == TcpState::kCloseWait;
}

}  // namespace

TcpRecord* TcpRecordOf(TcpConn conn) {
  return &g_stack.conn[conn == TcpConn::kControl ? 0 : 1];
}

int TcpOpenActive(TcpConn conn, uint16_t local_port, uint16_t remote_port) {
  return OpenActive(TcpRecordOf(conn), local_port, remote_port);
}

int TcpOpenPassive(TcpConn conn, uint16_t local_port, uint16_t remote_port) {
  TcpRecord* r = TcpRecordOf(conn);
  Reopen(r, local_port, remote_port);
  r->state = TcpState::kListen;
  return 1;
}

uint16_t TcpSend(TcpConn conn, const void* bytes, uint16_t n) {
  TcpRecord* r = TcpRecordOf(conn);
  const uint8_t* b = static_cast<const uint8_t*>(bytes);
  switch (r->state) {
    case TcpState::kListen:       // sending turns a listener into a caller
      if (!OpenActive(r, r->local_port, r->remote_port)) return 0;
      return RingAppend(&r->send, b, n) ? n : 0;
    case TcpState::kSynSent:
    case TcpState::kSynReceived:  // kept until the connection is established
      return RingAppend(&r->send, b, n) ? n : 0;
    case TcpState::kEstablished:
    case TcpState::kCloseWait:    // out at once while the resend ring has room
      if (!RingAppend(&r->send, b, n)) return 0;
      if (RingFree(&r->resend) > 0) TcpOutput(r, TcpKind::kData, kTcpAck);
      return n;
    default:
      return 0;
  }
}

uint16_t TcpReceive(TcpConn conn, void* buffer, uint16_t n) {
  TcpRecord* r = TcpRecordOf(conn);
  if (!MayReceive(r->state)) return 0;
  uint16_t taken = RingTake(&r->receive, static_cast<uint8_t*>(buffer), n, true);
  r->rcv_wnd = RingFree(&r->receive);
  uint16_t count = r->receive.count;
  uint16_t capacity = r->receive.capacity;
  if (SendsWindowUpdates(r->state) &&
      ((count < kWindowUpdateSmall && r->last_advertised < capacity - kWindowUpdateSmall) ||
       (count < kTcpMss && r->last_advertised < capacity - kTcpMss))) {
    TcpOutput(r, TcpKind::kData, kTcpAck);
  }
  return taken;
}

void TcpClose(TcpConn conn) {
  TcpRecord* r = TcpRecordOf(conn);
  switch (r->state) {
    case TcpState::kListen:
    case TcpState::kSynSent:
      r->state = TcpState::kClosed;
      break;
    case TcpState::kSynReceived:
    case TcpState::kEstablished:
    case TcpState::kCloseWait:
      r->close_requested = 1;
      break;
    default:
      break;
  }
}

void TcpAbort(TcpConn conn) { TcpRecordOf(conn)->state = TcpState::kClosed; }

TcpState TcpGetState(TcpConn conn) { return TcpRecordOf(conn)->state; }
uint16_t TcpSendCount(TcpConn conn) { return TcpRecordOf(conn)->send.count; }
uint16_t TcpSendCapacity(TcpConn conn) { return TcpRecordOf(conn)->send.capacity; }
uint16_t TcpSendRoom(TcpConn conn) {
  TcpRecord* r = TcpRecordOf(conn);
  return MaySend(r->state) ? RingFree(&r->send) : 0;
}
uint16_t TcpReceiveCount(TcpConn conn) { return TcpRecordOf(conn)->receive.count; }
uint16_t TcpLocalPort(TcpConn conn) { return TcpRecordOf(conn)->local_port; }

}  // namespace tcpip
