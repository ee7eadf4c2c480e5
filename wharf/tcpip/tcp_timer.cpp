// The timer step of one connection: the deferred FIN of a close, resends
// after 60 ms without acknowledgment, the idle probe after 500 ms, and the
// end of TIME-WAIT.
#include "wharf/tcpip/stack.h"
#include "wharf/tcpip/tcp.h"

namespace tcpip {
namespace {

// The oldest unacknowledged bytes again, with SYN and FIN as outstanding
// (TcpOutput keeps the FIN off a resend that cannot carry every byte).
void Resend(TcpRecord* r) {
  uint8_t flags = 0;
  if (r->syn_outstanding) flags |= kTcpSyn;
  if (r->fin_outstanding) flags |= kTcpFin;
  if (!(r->syn_outstanding && r->state == TcpState::kSynSent)) flags |= kTcpAck;
  TcpOutput(r, TcpKind::kResend, flags);
}

}  // namespace

void TcpTimerStep(TcpRecord* r) {
  if (r->state == TcpState::kClosed) return;
  uint32_t now = g_stack.clock;

  // A requested close sends its FIN once every byte given has been sent.
  if ((r->state == TcpState::kEstablished || r->state == TcpState::kCloseWait) &&
      r->close_requested && r->send.count == 0) {
    TcpOutput(r, TcpKind::kControl, kTcpFin | kTcpAck);
    r->state = r->state == TcpState::kEstablished ? TcpState::kFinWait1 : TcpState::kLastAck;
    return;
  }

  uint32_t idle = now - r->last_transmission;
  if (now - r->resend_start > kTcpResendMs &&
      (r->syn_outstanding || r->fin_outstanding || r->resend.count > 0)) {
    Resend(r);
    return;
  }
  if (idle > kTcpProbeMs && (r->send.count > 0 || r->receive.count > 0)) {
    // Idle: with nothing outstanding but bytes waiting in an established
    // connection, the probe carries those bytes (as much as the window
    // takes); otherwise the oldest unacknowledged bytes again, or an empty
    // window probe and update.
    bool sending = r->state == TcpState::kEstablished || r->state == TcpState::kCloseWait;
    if (sending && r->resend.count == 0 && r->send.count > 0) {
      TcpOutput(r, TcpKind::kData, kTcpAck);
    } else {
      Resend(r);
    }
    return;
  }
  if (r->state == TcpState::kTimeWait && now - r->time_wait_start > kTcpTimeWaitMs) {
    r->state = TcpState::kClosed;
  }
}

}  // namespace tcpip
