// TCP inside the stack: the connection record, the context of one received
// segment, segment building, input and the timer step. The FTP engine sees
// only tcp_api.h.
#pragma once

#include <stdint.h>

#include "wharf/tcpip/ipv4.h"
#include "wharf/tcpip/ring.h"
#include "wharf/tcpip/tcp_api.h"

namespace tcpip {

constexpr uint16_t kTcpMss = 536;          // sent as the MSS option of every SYN
constexpr uint16_t kTcpHeader = 20;
constexpr uint16_t kTcpSynHeader = 24;     // with the MSS option
constexpr uint32_t kTcpResendMs = 60;
constexpr uint32_t kTcpProbeMs = 500;
constexpr uint32_t kTcpTimeWaitMs = 100;

static_assert(kTcpRingCapacity == kRingStorage, "rings hold exactly their storage");
static_assert(2 * kTcpMss == kTcpRingCapacity, "a ring holds two full segments");
static_assert(14 + kIpHeader + kTcpSynHeader + kTcpMss <= 1514, "a segment fits one frame");

enum TcpFlag : uint8_t {
  kTcpFin = 0x01, kTcpSyn = 0x02, kTcpRst = 0x04, kTcpPsh = 0x08, kTcpAck = 0x10,
};

// Which bytes a segment carries: none at SND.NXT, new bytes from the send
// ring at SND.NXT, or the oldest unacknowledged bytes at SND.UNA.
enum class TcpKind : uint8_t { kControl, kData, kResend };

// One connection. A CLOSED record has no meaning beyond its state; open
// clears the whole record first. SND.UNA <= SND.NXT on the circle, and
// SND.NXT - SND.UNA = resend ring count + SYN outstanding + FIN outstanding.
struct TcpRecord {
  uint16_t local_port;
  uint16_t remote_port;
  TcpState state;
  uint32_t time_wait_start;
  uint32_t close_requested;
  uint32_t snd_una, snd_nxt;
  uint32_t snd_wl1, snd_wl2;  // sequence and ack number of the last window update
  uint16_t snd_wnd;           // the window last advertised by the peer
  uint32_t iss;
  uint32_t syn_seq, syn_outstanding;
  uint32_t fin_seq, fin_outstanding;
  uint32_t rcv_nxt;
  uint16_t rcv_wnd;           // free room of the receive ring
  uint32_t irs;
  ByteRing send;              // given by the engine, not yet sent
  ByteRing receive;           // received, not yet taken by the engine
  ByteRing resend;            // sent, not yet acknowledged
  uint32_t last_transmission;  // any segment; the idle probe counts from here
  uint16_t last_advertised;
  // Start of the resend time-out: the last segment that carried data, SYN
  // or FIN (or was a resend), or the last acknowledgment of new bytes. Pure
  // acknowledgments do not restart it, so a peer that keeps sending cannot
  // starve our resends.
  uint32_t resend_start;
};

// A received segment, checked against the datagram's lengths.
struct TcpSegment {
  uint16_t source_port;
  uint16_t destination_port;
  uint32_t seq;
  uint32_t ack;
  uint8_t flags;
  uint16_t window;
  const uint8_t* data;
  uint16_t length;            // data bytes (SYN and FIN not counted)
};

TcpRecord* TcpRecordOf(TcpConn conn);

// Builds one segment and hands it to the send-frame service; returns the
// service's result (success while the next hop is unresolved: the segment
// is accounted as sent and left to the resend timer).
int TcpOutput(TcpRecord* r, TcpKind kind, uint8_t flags);
// A reset (RST only) with the given sequence number, to the given port.
int TcpOutputReset(TcpRecord* r, uint32_t seq, uint16_t remote_port);

// Handles a TCP datagram that IPv4 accepted.
void TcpInput(const Ipv4Datagram& d);
// Handles a checked segment addressed to record r (exposed for tests).
void TcpProcess(TcpRecord* r, const TcpSegment& seg);

// The timer step of one record.
void TcpTimerStep(TcpRecord* r);

}  // namespace tcpip
