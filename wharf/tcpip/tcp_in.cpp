// TCP input: checks, the record lookup, and one handler per state group.
#include "wharf/config.h"
#include "wharf/tcpip/checksum.h"
#include "wharf/tcpip/seq.h"
#include "wharf/tcpip/stack.h"
#include "wharf/tcpip/tcp.h"
#include "wharf/tcpip/wire.h"

namespace tcpip {
namespace {

bool Has(const TcpSegment& seg, uint8_t flag) { return (seg.flags & flag) != 0; }

// The record a segment belongs to: an open record whose local port is the
// destination and whose remote port is the source (any source while
// LISTEN). Ports without a record get no reset.
TcpRecord* FindRecord(const TcpSegment& seg) {
  for (TcpRecord& r : g_stack.conn) {
    if (r.state == TcpState::kClosed) continue;
    if (seg.destination_port != r.local_port) continue;
    if (seg.source_port == r.remote_port || r.state == TcpState::kListen) return &r;
  }
  return nullptr;
}

// Takes the window of a segment as the send window.
void UpdateWindow(TcpRecord* r, const TcpSegment& seg) {
  r->snd_wnd = seg.window;
  r->snd_wl1 = seg.seq;
  r->snd_wl2 = seg.ack;
}

// LISTEN: only a SYN opens the connection; an ACK gets a reset.
void ListenInput(TcpRecord* r, const TcpSegment& seg) {
  if (Has(seg, kTcpRst)) return;
  if (Has(seg, kTcpAck)) {
    TcpOutputReset(r, seg.ack, seg.source_port);
    return;
  }
  if (!Has(seg, kTcpSyn)) return;
  r->irs = seg.seq;
  r->rcv_nxt = seg.seq + 1;
  r->iss = r->snd_una = r->snd_nxt = g_stack.clock;
  r->remote_port = seg.source_port;
  r->state = TcpState::kSynReceived;
  TcpOutput(r, TcpKind::kControl, kTcpSyn | kTcpAck);
}

// SYN-SENT: waiting for the peer's SYN (with or without our SYN's ACK).
void SynSentInput(TcpRecord* r, const TcpSegment& seg) {
  bool acceptable = false;
  if (Has(seg, kTcpAck)) {
    if (!SeqInRange(seg.ack, r->iss + 1, r->snd_nxt)) {
      if (!Has(seg, kTcpRst)) TcpOutputReset(r, seg.ack, seg.source_port);
      return;
    }
    acceptable = SeqInRange(seg.ack, r->snd_una, r->snd_nxt);
    if (acceptable && r->syn_outstanding && SeqBefore(r->syn_seq, seg.ack)) {
      r->syn_outstanding = 0;
      r->snd_una += 1;
    }
  }
  if (Has(seg, kTcpRst)) {
    if (acceptable) r->state = TcpState::kClosed;
    return;
  }
  if (!Has(seg, kTcpSyn)) return;
  r->irs = seg.seq;
  r->rcv_nxt = seg.seq + 1;
  if (acceptable) r->snd_una = seg.ack;
  if (SeqBefore(r->iss, r->snd_una)) {
    r->state = TcpState::kEstablished;
    UpdateWindow(r, seg);
    TcpOutput(r, TcpKind::kData, kTcpAck);
  } else {
    // Simultaneous open: our SYN again, now with the ACK.
    r->state = TcpState::kSynReceived;
    r->snd_nxt = r->iss;
    TcpOutput(r, TcpKind::kControl, kTcpSyn | kTcpAck);
  }
}

// A segment without data is taken anywhere in the window: a peer with bytes
// outstanding acknowledges from beyond RCV.NXT, and answering each such
// acknowledgment with one of ours would start an endless exchange of
// acknowledgments whenever both sides have lost a segment.
bool Acceptable(const TcpRecord* r, const TcpSegment& seg) {
  if (seg.length == 0) {
    if (r->rcv_wnd == 0) return seg.seq == r->rcv_nxt;
    return SeqInRange(seg.seq, r->rcv_nxt, r->rcv_nxt + r->rcv_wnd - 1);
  }
  if (r->rcv_wnd == 0) return false;
  uint32_t last = seg.seq + seg.length - 1;
  return SeqBeforeOrEqual(seg.seq, r->rcv_nxt) &&
         SeqInRange(last, r->rcv_nxt, r->rcv_nxt + r->rcv_wnd);
}

// An acknowledgment in a synchronised state. Returns false when the segment
// is finished with.
bool HandleAck(TcpRecord* r, const TcpSegment& seg) {
  switch (r->state) {
    case TcpState::kSynReceived:  // our SYN acknowledged: established
      if (!SeqInRange(seg.ack, r->snd_una, r->snd_nxt)) {
        TcpOutputReset(r, seg.ack, seg.source_port);
        return false;
      }
      r->state = TcpState::kEstablished;
      UpdateWindow(r, seg);
      if (r->syn_outstanding && SeqBefore(r->syn_seq, seg.ack)) {
        r->syn_outstanding = 0;
        r->snd_una += 1;
      }
      return true;
    case TcpState::kClosing:      // our FIN acknowledged: closed
      if (r->fin_outstanding && SeqBefore(r->fin_seq, seg.ack)) {
        r->state = TcpState::kClosed;
        return false;
      }
      return true;
    case TcpState::kTimeWait:
      // Only the peer's FIN, sent again, is acknowledged again (and the
      // wait restarted). Answering plain acknowledgments would make two
      // records in TIME-WAIT acknowledge each other for ever, and neither
      // would ever close.
      if (Has(seg, kTcpFin)) {
        TcpOutput(r, TcpKind::kData, kTcpAck);
        r->time_wait_start = g_stack.clock;
      }
      return false;
    default:
      break;
  }
  // ESTABLISHED, FIN-WAIT-1, FIN-WAIT-2, CLOSE-WAIT, LAST-ACK.
  // New bytes acknowledged: SND.UNA < ack <= SND.NXT. (Written as two
  // comparisons: with nothing outstanding the interval [SND.UNA + 1,
  // SND.NXT] is empty, while a wrapping range test would take it for the
  // whole circle.)
  if (SeqBefore(r->snd_una, seg.ack) && SeqBeforeOrEqual(seg.ack, r->snd_nxt)) {
    uint16_t acked = static_cast<uint16_t>(seg.ack - r->snd_una);
    r->snd_una = seg.ack;
    if (r->syn_outstanding && SeqBefore(r->syn_seq, seg.ack)) {
      r->syn_outstanding = 0;
      acked -= 1;
    }
    if (r->fin_outstanding && SeqBefore(r->fin_seq, seg.ack)) {
      r->fin_outstanding = 0;
      acked -= 1;
    }
    if (acked > 0) {
      RingDrop(&r->resend, acked);
      r->last_transmission = g_stack.clock;
      r->resend_start = g_stack.clock;
    }
  }
  // A window update counts also when it acknowledges nothing new: the peer
  // reopens a closed window with a repeated acknowledgment number.
  if (SeqInRange(seg.ack, r->snd_una, r->snd_nxt) &&
      (SeqBefore(r->snd_wl1, seg.seq) ||
       (r->snd_wl1 == seg.seq && SeqBeforeOrEqual(r->snd_wl2, seg.ack)))) {
    UpdateWindow(r, seg);
  }
  // Our FIN must be acknowledged before the close moves on; until then the
  // resend timer keeps the outstanding bytes and the FIN going.
  if (!r->fin_outstanding) {
    if (r->state == TcpState::kFinWait1) {
      r->state = TcpState::kFinWait2;
    } else if (r->state == TcpState::kLastAck) {
      r->state = TcpState::kTimeWait;
      r->time_wait_start = g_stack.clock;
    }
  }
  return true;
}

// New data of an acceptable segment. Returns false when the segment is
// dropped (its bytes did not fit the receive ring).
bool HandleData(TcpRecord* r, const TcpSegment& seg) {
  uint16_t offset = static_cast<uint16_t>(r->rcv_nxt - seg.seq);
  if (offset < seg.length) {
    uint16_t fresh = static_cast<uint16_t>(seg.length - offset);
    if (!RingAppend(&r->receive, seg.data + offset, fresh)) {
      TcpOutput(r, TcpKind::kData, kTcpAck);
      return false;
    }
    r->rcv_wnd = RingFree(&r->receive);
    r->rcv_nxt += fresh;
    TcpOutput(r, TcpKind::kData, kTcpAck);
  } else if (r->send.count > 0 && RingFree(&r->resend) > 0) {
    // Nothing new: an acknowledgment that lets the next bytes go.
    TcpOutput(r, TcpKind::kData, kTcpAck);
  }
  return true;
}

void HandleFin(TcpRecord* r) {
  r->rcv_nxt += 1;
  TcpOutput(r, TcpKind::kData, kTcpAck);
  switch (r->state) {
    case TcpState::kSynReceived:
    case TcpState::kEstablished:
      r->state = TcpState::kCloseWait;
      break;
    case TcpState::kFinWait1:
      if (r->snd_nxt == r->snd_una) {
        r->state = TcpState::kTimeWait;
        r->time_wait_start = g_stack.clock;
      } else {
        r->state = TcpState::kLastAck;
      }
      break;
    case TcpState::kFinWait2:
      r->state = TcpState::kTimeWait;
      r->time_wait_start = g_stack.clock;
      break;
    case TcpState::kTimeWait:
      r->time_wait_start = g_stack.clock;
      break;
    default:
      break;
  }
}

// SYN-RECEIVED and every later state.
void SynchronizedInput(TcpRecord* r, const TcpSegment& seg) {
  if (!Acceptable(r, seg)) {
    if (!Has(seg, kTcpRst)) TcpOutput(r, TcpKind::kData, kTcpAck);
    return;
  }
  if (Has(seg, kTcpRst) || Has(seg, kTcpSyn)) {
    r->state = TcpState::kClosed;
    return;
  }
  if (!Has(seg, kTcpAck)) return;

  TcpState arrival = r->state;
  if (!HandleAck(r, seg)) return;

  // Data is taken in the states that still receive; the ACK that completes
  // the handshake may already carry data.
  bool receiving = arrival == TcpState::kEstablished || arrival == TcpState::kFinWait1 ||
                   arrival == TcpState::kFinWait2 ||
                   (arrival == TcpState::kSynReceived && r->state == TcpState::kEstablished);
  if (receiving && !HandleData(r, seg)) return;
  // CLOSE-WAIT still sends: an acknowledgment lets the waiting bytes go,
  // as in ESTABLISHED, or they would wait in the send ring for good.
  if (!receiving && r->state == TcpState::kCloseWait && r->send.count > 0 &&
      RingFree(&r->resend) > 0) {
    TcpOutput(r, TcpKind::kData, kTcpAck);
  }

  // The FIN counts only when every byte before it has been received;
  // otherwise the peer sends it again with the missing bytes.
  if (Has(seg, kTcpFin) && r->state != TcpState::kClosed && r->state != TcpState::kListen &&
      r->state != TcpState::kSynSent && seg.seq + seg.length == r->rcv_nxt) {
    HandleFin(r);
  }
}

}  // namespace

void TcpInput(const Ipv4Datagram& d) {
  const uint8_t* tcp = d.ip + d.header_length;
  uint16_t tcp_length = static_cast<uint16_t>(d.total_length - d.header_length);
  if (tcp_length < kTcpHeader) return;
  uint16_t header = static_cast<uint16_t>((tcp[12] >> 4) * 4);
  if (header < kTcpHeader || header > tcp_length) return;
  uint32_t sum = ChecksumPseudoHeader(d.ip + 12, d.ip + 16, kIpProtocolTcp, tcp_length);
  if (ChecksumFinish(ChecksumAdd(sum, tcp, tcp_length)) != 0) return;

  TcpSegment seg;
  seg.source_port = WireGet16(tcp + 0);
  seg.destination_port = WireGet16(tcp + 2);
  seg.seq = WireGet32(tcp + 4);
  seg.ack = WireGet32(tcp + 8);
  seg.flags = tcp[13];
  seg.window = WireGet16(tcp + 14);
  seg.data = tcp + header;
  seg.length = static_cast<uint16_t>(tcp_length - header);

  TcpRecord* r = FindRecord(seg);
  if (r == nullptr) return;
  TcpProcess(r, seg);
}

void TcpProcess(TcpRecord* r, const TcpSegment& seg) {
  switch (r->state) {
    case TcpState::kClosed:   // nothing to do for a closed record
      return;
    case TcpState::kListen:
      ListenInput(r, seg);
      return;
    case TcpState::kSynSent:
      SynSentInput(r, seg);
      return;
    default:
      SynchronizedInput(r, seg);
      return;
  }
}

}  // namespace tcpip
