// Segment building.
#include <string.h>

#include "wharf/config.h"
#include "wharf/tcpip/arp.h"
#include "wharf/tcpip/checksum.h"
#include "wharf/tcpip/ethernet.h"
#include "wharf/tcpip/netif.h"
#include "wharf/tcpip/stack.h"
#include "wharf/tcpip/tcp.h"
#include "wharf/tcpip/wire.h"

namespace tcpip {
namespace {

int Emit(TcpRecord* r, TcpKind kind, uint8_t flags, uint32_t seq_override, bool use_override,
         uint16_t remote_port) {
  uint8_t frame[kFrameMaxSend];
  uint8_t* ip = frame + kEthHeader;
  bool syn = (flags & kTcpSyn) != 0;
  uint16_t tcp_header = syn ? kTcpSynHeader : kTcpHeader;
  uint8_t* tcp = ip + kIpHeader;
  uint8_t* payload = tcp + tcp_header;

  uint16_t base = r->snd_wnd < kTcpMss ? r->snd_wnd : kTcpMss;
  uint16_t n = 0;
  uint32_t seq = r->snd_nxt;
  switch (kind) {
    case TcpKind::kControl:  // no data, at SND.NXT
      break;
    case TcpKind::kData: {   // new bytes move from the send ring to the resend ring
      n = base;
      if (r->send.count < n) n = r->send.count;
      if (RingFree(&r->resend) < n) n = RingFree(&r->resend);
      RingTake(&r->send, payload, n, true);
      RingAppend(&r->resend, payload, n);
      r->snd_nxt += n;
      break;
    }
    case TcpKind::kResend: { // the oldest unacknowledged bytes, kept for later
      seq = r->snd_una;
      n = base;
      if (r->resend.count < n) n = r->resend.count;
      RingTake(&r->resend, payload, n, false);
      // The FIN sits after the last outstanding byte: it may ride along
      // only when this segment carries every outstanding byte, else the
      // peer would end the stream in the middle of the data.
      if (n != r->resend.count) flags = static_cast<uint8_t>(flags & ~kTcpFin);
      break;
    }
  }
  if (use_override) seq = seq_override;

  if (kind != TcpKind::kResend) {
    if (syn) {
      r->syn_seq = r->snd_nxt;
      r->syn_outstanding = 1;
    } else if (flags & kTcpFin) {
      r->fin_seq = r->snd_nxt;
      r->fin_outstanding = 1;
    }
    if (flags & (kTcpSyn | kTcpFin)) r->snd_nxt += 1;
  }
  r->last_advertised = r->rcv_wnd;

  const WHARF_INIT_PARAMS& c = g_wharf_config;
  EthernetHeader(frame, ArpCachedMac(), c.own_mac, kEthTypeIpv4);
  uint16_t tcp_length = static_cast<uint16_t>(tcp_header + n);
  uint16_t total = static_cast<uint16_t>(kIpHeader + tcp_length);
  Ipv4Header(ip, total, kIpProtocolTcp);

  WirePut16(tcp + 0, r->local_port);
  WirePut16(tcp + 2, remote_port);
  WirePut32(tcp + 4, seq);
  WirePut32(tcp + 8, r->rcv_nxt);
  tcp[12] = static_cast<uint8_t>((tcp_header / 4) << 4);
  tcp[13] = static_cast<uint8_t>((flags & (kTcpFin | kTcpSyn | kTcpRst | kTcpAck)) | kTcpPsh);
  WirePut16(tcp + 14, r->rcv_wnd);
  WirePut16(tcp + 16, 0);
  WirePut16(tcp + 18, 0);
  if (syn) {
    tcp[20] = 2;   // maximum segment size
    tcp[21] = 4;
    WirePut16(tcp + 22, kTcpMss);
  }
  uint32_t sum = ChecksumPseudoHeader(ip + 12, ip + 16, kIpProtocolTcp, tcp_length);
  WirePut16(tcp + 16, ChecksumFinish(ChecksumAdd(sum, tcp, tcp_length)));

  r->last_transmission = g_stack.clock;
  if (kind == TcpKind::kResend || n > 0 || (flags & (kTcpSyn | kTcpFin))) {
    r->resend_start = g_stack.clock;
  }
  if (!ArpResolved()) return 1;
  return NetifSend(frame, static_cast<uint16_t>(total + kEthHeader));
}

}  // namespace

int TcpOutput(TcpRecord* r, TcpKind kind, uint8_t flags) {
  return Emit(r, kind, flags, 0, false, r->remote_port);
}

int TcpOutputReset(TcpRecord* r, uint32_t seq, uint16_t remote_port) {
  return Emit(r, TcpKind::kControl, kTcpRst, seq, true, remote_port);
}

}  // namespace tcpip
