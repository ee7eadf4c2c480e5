// Fuzz target: received Ethernet frames into the TCP/IP stack, with the
// control and the data connection driven through every state.
//
// The input is a sequence of operations; the first byte of each picks it:
//   0 raw frame        u16 length (big-endian, at most 1600), the bytes
//   1 TCP segment      conn, flags, i16 seq offset from RCV.NXT, i16 ack
//                      offset from SND.NXT, u16 window, data length, data,
//                      corrupt byte (0: none, else the frame byte n-1 is
//                      flipped after the checksums are set)
//   2 ARP from peer    op (1 request, 2 reply)
//   3 open active      conn, u16 local port, u16 remote port
//   4 open passive     conn, u16 local port, u16 remote port
//   5 send             conn, length, bytes
//   6 receive          conn, length
//   7 close            conn
//   8 abort            conn
//   9 time passes      milliseconds / 4, then one pass of the stack
// Frames go in at exactly their length, so a read beyond it is caught.
// After every operation the records must keep their invariants and every
// frame the stack sent must be well formed.
#include "fuzz/fuzz_check.h"
#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "host/services/dispatch.h"
#include "tests/test_tcpip_frames.h"
#include "wharf/config.h"
#include "wharf/tcpip/clock.h"
#include "wharf/tcpip/ethernet.h"
#include "wharf/tcpip/netif.h"
#include "wharf/tcpip/stack.h"
#include "wharf/tcpip/tcp.h"
#include "wharf/tcpip/tcp_api.h"

using namespace tcpip_test;
using tcpip::TcpConn;
using tcpip::TcpState;

namespace {

const Endpoints kNet = {{{0x02, 0x10, 0x20, 0x30, 0x40, 0x01}},
                        {{0x02, 0x00, 0x00, 0x00, 0x00, 0x02}},
                        {{10, 200, 0, 1}},
                        {{10, 200, 0, 2}}};

uint32_t g_ticks = 0;
uint32_t Ticks() { return g_ticks; }
uint32_t g_send = 0, g_receive = 0;
std::vector<Frame> g_sent;

// Reads the input front to back; past its end every value is 0.
struct Input {
  const uint8_t* data;
  size_t size;
  size_t at = 0;
  bool more() const { return at < size; }
  uint8_t u8() { return at < size ? data[at++] : 0; }
  uint16_t u16() { return static_cast<uint16_t>(u8() << 8 | u8()); }
  std::string bytes(size_t n) {
    n = std::min(n, size - at);
    std::string s(reinterpret_cast<const char*>(data + at), n);
    at += n;
    return s;
  }
};

void Setup() {
  static bool done = false;
  if (done) return;
  done = true;
  g_send = host::RegisterService("fuzz.send", [](int count, va_list args) {
    FUZZ_CHECK(count == 2);
    const uint8_t* frame = va_arg(args, const uint8_t*);
    uint32_t length = va_arg(args, uint32_t);
    FUZZ_CHECK(length <= tcpip::kFrameMaxSend);
    g_sent.emplace_back(frame, frame + length);
    return 1;
  });
  g_receive = host::RegisterService("fuzz.receive", [](int, va_list) { return 0; });
}

// Every frame the stack sent: ARP, or a TCP segment / ICMP reply to the
// peer whose headers and checksums are right.
void CheckSent() {
  for (const Frame& f : g_sent) {
    FUZZ_CHECK(f.size() >= 14);
    uint16_t type = Get16(f, 12);
    FUZZ_CHECK(type == 0x0806 || type == 0x0800);
    if (type == 0x0800 && f.size() > 23 && f[23] == 6) FUZZ_CHECK(ParseTcp(f).valid);
  }
  g_sent.clear();
}

// SND.NXT - SND.UNA counts the unacknowledged bytes, SYN and FIN; rings
// never hold more than they can.
void CheckRecords() {
  for (const tcpip::TcpRecord& r : tcpip::g_stack.conn) {
    FUZZ_CHECK(static_cast<uint8_t>(r.state) <= static_cast<uint8_t>(TcpState::kTimeWait));
    for (const tcpip::ByteRing* ring : {&r.send, &r.receive, &r.resend}) {
      FUZZ_CHECK(ring->capacity <= tcpip::kRingStorage && ring->count <= ring->capacity);
      FUZZ_CHECK(ring->capacity == 0 ? ring->head == 0 : ring->head < ring->capacity);
    }
    if (r.state == TcpState::kClosed || r.state == TcpState::kListen) continue;
    FUZZ_CHECK(r.snd_nxt - r.snd_una ==
               r.resend.count + r.syn_outstanding + r.fin_outstanding);
  }
}

// With FUZZ_TRACE set (replaying one input), each operation and the
// records after it are printed.
void Trace(int op) {
  static const bool on = getenv("FUZZ_TRACE") != nullptr;
  if (!on) return;
  fprintf(stderr, "op %d:", op);
  for (const tcpip::TcpRecord& r : tcpip::g_stack.conn)
    fprintf(stderr, "  [state %d una %u nxt %u resend %u syn %u fin %u rcv %u]",
            static_cast<int>(r.state), r.snd_una, r.snd_nxt, r.resend.count, r.syn_outstanding,
            r.fin_outstanding, r.rcv_nxt);
  fprintf(stderr, "\n");
}

void Inject(const Frame& f) {
  // An exact-size copy: the stack may rewrite the frame in place.
  std::vector<uint8_t> copy(f);
  tcpip::StackClockSample();
  tcpip::EthernetInput(copy.empty() ? nullptr : copy.data(), static_cast<uint16_t>(copy.size()));
}

TcpConn ConnOf(uint8_t b) { return (b & 1) ? TcpConn::kData : TcpConn::kControl; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Setup();
  g_ticks = 100000;
  tcpip::ClockSetTickSource(Ticks);
  WHARF_INIT_PARAMS p{};
  p.size = sizeof p;
  memcpy(p.own_mac, kNet.own_mac.b, 6);
  memcpy(p.own_ip, kNet.own_ip.b, 4);
  memcpy(p.server_ip, kNet.peer_ip.b, 4);
  memcpy(p.next_hop_ip, kNet.peer_ip.b, 4);
  p.dispatch = HostDispatchEntry;
  p.send_frame = g_send;
  p.receive_frame = g_receive;
  FUZZ_CHECK(WharfConfigInstall(&p) == 1);
  tcpip::StackReset();
  tcpip::g_stack.resolution_timer = 0;
  g_sent.clear();

  Input in{data, size};
  for (int ops = 0; in.more() && ops < 200; ++ops) {
    int op = in.u8() % 10;
    switch (op) {
      case 0: {
        uint16_t n = in.u16() % 1601;
        std::string b = in.bytes(n);
        Inject(Frame(b.begin(), b.end()));
        break;
      }
      case 1: {
        uint8_t c = in.u8();
        const tcpip::TcpRecord& r = tcpip::g_stack.conn[c & 1];
        uint8_t flags = in.u8();
        int16_t seq_off = static_cast<int16_t>(in.u16());
        int16_t ack_off = static_cast<int16_t>(in.u16());
        uint16_t window = in.u16();
        std::string body = in.bytes(in.u8());
        uint8_t corrupt = in.u8();
        // Bit 1 of the conn byte: from some other port than the record's peer.
        uint16_t sport = (c & 2) ? static_cast<uint16_t>(r.remote_port + 1 + (c >> 2)) : r.remote_port;
        Frame f = TcpFrame(kNet, sport, r.local_port, r.rcv_nxt + static_cast<uint32_t>(seq_off),
                           r.snd_nxt + static_cast<uint32_t>(ack_off), flags, window, body);
        if (corrupt != 0) f[(corrupt - 1u) % f.size()] ^= 0x5A;
        Inject(f);
        break;
      }
      case 2:
        Inject(ArpFrame(kNet.own_mac, kNet.peer_mac, kNet.peer_ip, kNet.own_mac, kNet.own_ip,
                        (in.u8() & 1) ? 1 : 2));
        break;
      case 3: {
        TcpConn c = ConnOf(in.u8());
        uint16_t local = in.u16(), remote = in.u16();
        tcpip::StackClockSample();
        tcpip::TcpOpenActive(c, local, remote);
        break;
      }
      case 4: {
        TcpConn c = ConnOf(in.u8());
        uint16_t local = in.u16(), remote = in.u16();
        tcpip::TcpOpenPassive(c, local, remote);
        break;
      }
      case 5: {
        TcpConn c = ConnOf(in.u8());
        uint16_t n = static_cast<uint16_t>(in.u8() * 8);
        std::vector<uint8_t> bytes(n, 0x33);
        uint16_t room = tcpip::TcpSendRoom(c);
        uint16_t taken = tcpip::TcpSend(c, bytes.data(), n);
        FUZZ_CHECK(taken == 0 || taken == n);
        if (n <= room && n > 0) FUZZ_CHECK(taken == n);
        break;
      }
      case 6: {
        TcpConn c = ConnOf(in.u8());
        uint16_t n = static_cast<uint16_t>(in.u8() * 8);
        std::vector<uint8_t> buffer(n);
        uint16_t waiting = tcpip::TcpReceiveCount(c);
        uint16_t got = tcpip::TcpReceive(c, buffer.data(), n);
        FUZZ_CHECK(got <= n && got <= waiting);
        break;
      }
      case 7:
        tcpip::TcpClose(ConnOf(in.u8()));
        break;
      case 8:
        tcpip::TcpAbort(ConnOf(in.u8()));
        break;
      case 9:
        g_ticks += in.u8() * 4u * 2 / 11 + 1;
        tcpip::StackClockSample();
        tcpip::StackPass();
        break;
    }
    Trace(op);
    CheckRecords();
    CheckSent();
  }
  tcpip::ClockSetTickSource(nullptr);
  return 0;
}
