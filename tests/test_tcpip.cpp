// The stack with scripted frames: a recording fake of the host's frame
// services, a clock driven by the test, one injected frame per pass.
#include <stdarg.h>

#include <deque>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/services/dispatch.h"
#include "tests/test_tcpip_frames.h"
#include "wharf/config.h"
#include "wharf/tcpip/clock.h"
#include "wharf/tcpip/ethernet.h"
#include "wharf/tcpip/stack.h"
#include "wharf/tcpip/tcp.h"
#include "wharf/tcpip/tcp_api.h"

using namespace tcpip_test;
using tcpip::TcpConn;
using tcpip::TcpState;

namespace {

uint32_t g_ticks = 0;
uint32_t TestTicks() { return g_ticks; }

const Endpoints kNet = {{{0x02, 0x10, 0x20, 0x30, 0x40, 0x01}},
                        {{0x02, 0x00, 0x00, 0x00, 0x00, 0x02}},
                        {{10, 200, 0, 1}},
                        {{10, 200, 0, 2}}};
const Mac kBroadcast = {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}};
const Mac kZeroMac = {{0, 0, 0, 0, 0, 0}};

class StackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_ticks = 100000;  // 550 s: far from the load value of the ARP timer
    tcpip::ClockSetTickSource(TestTicks);
    send_handle_ = host::RegisterService("send frame", [this](int count, va_list args) {
      EXPECT_EQ(count, 2);
      const uint8_t* frame = va_arg(args, const uint8_t*);
      uint32_t length = va_arg(args, uint32_t);
      EXPECT_LE(length, 1514u);
      sent_.emplace_back(frame, frame + length);
      return send_result_;
    });
    receive_handle_ = host::RegisterService("receive frame", [this](int count, va_list args) {
      EXPECT_EQ(count, 1);
      uint8_t* buffer = va_arg(args, uint8_t*);
      if (inbox_.empty()) return 0;
      Frame f = inbox_.front();
      inbox_.pop_front();
      // The rest of the buffer holds the frame's own continuation when a
      // test truncates a frame: a stack reading past the length sees a
      // plausible packet instead of zeros.
      if (!f.empty()) memcpy(buffer, f.data(), f.size());
      if (!poison_.empty()) memcpy(buffer + f.size(), poison_.data(), poison_.size());
      return static_cast<int>(f.size());
    });
    WHARF_INIT_PARAMS p{};
    p.size = sizeof p;
    memcpy(p.own_mac, kNet.own_mac.b, 6);
    memcpy(p.own_ip, kNet.own_ip.b, 4);
    memcpy(p.server_ip, kNet.peer_ip.b, 4);
    memcpy(p.next_hop_ip, kNet.peer_ip.b, 4);
    p.dispatch = HostDispatchEntry;
    p.send_frame = send_handle_;
    p.receive_frame = receive_handle_;
    ASSERT_EQ(WharfConfigInstall(&p), 1);
    tcpip::StackReset();
    tcpip::g_stack.resolution_timer = 0;
  }
  void TearDown() override {
    tcpip::ClockSetTickSource(nullptr);
    host::UnregisterService(send_handle_);
    host::UnregisterService(receive_handle_);
  }

  void Pass() {
    tcpip::StackClockSample();
    tcpip::StackPass();
  }
  // Moves the clock on by at least `ms` milliseconds.
  void Advance(uint32_t ms) { g_ticks += ms * 2 / 11 + 1; }
  void Inject(const Frame& f) {
    inbox_.push_back(f);
    Pass();
  }
  std::vector<Frame> TakeSent() {
    std::vector<Frame> out;
    out.swap(sent_);
    return out;
  }
  // The next hop's address becomes known; the frames of the pass are dropped.
  void Resolve() {
    Inject(ArpFrame(kNet.own_mac, kNet.peer_mac, kNet.peer_ip, kNet.own_mac, kNet.own_ip, 2));
    TakeSent();
  }
  std::vector<Segment> TakeSegments() {
    std::vector<Segment> out;
    for (const Frame& f : TakeSent()) {
      Segment s = ParseTcp(f);
      EXPECT_TRUE(s.valid) << "malformed segment of " << f.size() << " bytes";
      EXPECT_EQ(0, memcmp(&f[0], kNet.peer_mac.b, 6));
      out.push_back(s);
    }
    return out;
  }
  Segment TakeOneSegment() {
    std::vector<Segment> s = TakeSegments();
    EXPECT_EQ(s.size(), 1u);
    return s.empty() ? Segment() : s[0];
  }
  Frame Peer(uint8_t flags, const std::string& data = std::string(), uint16_t window = 8192) {
    return TcpFrame(kNet, remote_port_, local_port_, peer_nxt_, our_nxt_, flags, window, data);
  }

  // Active open from local_port_ to remote_port_, answered by the peer.
  void EstablishActive(uint32_t peer_iss = 0x10000000, uint16_t window = 8192) {
    Resolve();
    ASSERT_EQ(tcpip::TcpOpenActive(conn_, local_port_, remote_port_), 1);
    Segment syn = TakeOneSegment();
    ASSERT_TRUE(syn.Has(kSyn));
    our_nxt_ = syn.seq + 1;
    peer_nxt_ = peer_iss;
    Inject(Peer(kSyn | kAck, "", window));
    peer_nxt_ = peer_iss + 1;
    ASSERT_EQ(tcpip::TcpGetState(conn_), TcpState::kEstablished);
    Segment ack = TakeOneSegment();
    ASSERT_EQ(ack.ack, peer_nxt_);
  }

  TcpConn conn_ = TcpConn::kControl;
  uint16_t local_port_ = 4000;
  uint16_t remote_port_ = 21;
  uint32_t our_nxt_ = 0;   // next sequence number the stack will use
  uint32_t peer_nxt_ = 0;  // next sequence number of the peer
  int send_result_ = 1;
  std::deque<Frame> inbox_;
  std::vector<Frame> sent_;
  Frame poison_;
  uint32_t send_handle_ = 0;
  uint32_t receive_handle_ = 0;
};

// --- ARP ---------------------------------------------------------------------

TEST_F(StackTest, ArpRequestForOwnAddressIsAnsweredInPlace) {
  Inject(ArpFrame(kBroadcast, kNet.peer_mac, kNet.peer_ip, kZeroMac, kNet.own_ip, 1));
  std::vector<Frame> sent = TakeSent();
  // The pass also broadcasts its own request (next hop unresolved).
  ASSERT_EQ(sent.size(), 2u);
  const Frame& r = sent[0];
  ASSERT_EQ(r.size(), 42u);
  EXPECT_EQ(0, memcmp(&r[0], kNet.peer_mac.b, 6));
  EXPECT_EQ(0, memcmp(&r[6], kNet.own_mac.b, 6));
  EXPECT_EQ(Get16(r, 20), 2);
  EXPECT_EQ(0, memcmp(&r[22], kNet.own_mac.b, 6));
  EXPECT_EQ(0, memcmp(&r[28], kNet.own_ip.b, 4));
  EXPECT_EQ(0, memcmp(&r[32], kNet.peer_mac.b, 6));
  EXPECT_EQ(0, memcmp(&r[38], kNet.peer_ip.b, 4));
}

TEST_F(StackTest, ArpRequestForAnotherAddressIsIgnored) {
  Resolve();
  Ip4 other = {{10, 200, 0, 77}};
  Inject(ArpFrame(kBroadcast, kNet.peer_mac, kNet.peer_ip, kZeroMac, other, 1));
  EXPECT_TRUE(TakeSent().empty());
}

TEST_F(StackTest, ResolutionRequestEvery300MsUntilAReplyArrives) {
  Pass();
  std::vector<Frame> sent = TakeSent();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(0, memcmp(&sent[0][0], kBroadcast.b, 6));
  EXPECT_EQ(Get16(sent[0], 20), 1);
  EXPECT_EQ(0, memcmp(&sent[0][38], kNet.peer_ip.b, 4));
  g_ticks += 54;  // 297 ms
  Pass();
  EXPECT_TRUE(TakeSent().empty());
  Advance(10);
  Pass();
  EXPECT_EQ(TakeSent().size(), 1u);
  Resolve();
  Advance(1000);
  Pass();
  EXPECT_TRUE(TakeSent().empty());
}

TEST_F(StackTest, ArpReplyFromAnyHostOverwritesTheSingleEntry) {
  Resolve();
  Mac other_mac = {{0x02, 0x99, 0, 0, 0, 9}};
  Ip4 other_ip = {{10, 200, 0, 9}};
  Inject(ArpFrame(kNet.own_mac, other_mac, other_ip, kNet.own_mac, kNet.own_ip, 2));
  // The next hop is unresolved again: a new request goes out.
  std::vector<Frame> sent = TakeSent();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(Get16(sent[0], 20), 1);
}

TEST_F(StackTest, SnapFrameIsHandledLikeEthernet) {
  Frame arp = ArpFrame(kBroadcast, kNet.peer_mac, kNet.peer_ip, kZeroMac, kNet.own_ip, 1);
  Frame snap(arp.begin(), arp.begin() + 12);
  const uint8_t llc[8] = {0xAA, 0xAA, 0x03, 0, 0, 0, 0x08, 0x06};
  uint16_t length = static_cast<uint16_t>(8 + 28);
  snap.push_back(static_cast<uint8_t>(length >> 8));
  snap.push_back(static_cast<uint8_t>(length));
  snap.insert(snap.end(), llc, llc + 6);
  snap.insert(snap.end(), arp.begin() + 12, arp.end());  // SNAP type then ARP body
  Resolve();
  Inject(snap);
  std::vector<Frame> sent = TakeSent();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(Get16(sent[0], 12), 0x0806);
  EXPECT_EQ(Get16(sent[0], 20), 2);
}

// --- IPv4 and ICMP -----------------------------------------------------------

TEST_F(StackTest, PingWithOddPayloadIsAnsweredWithCorrectChecksum) {
  Resolve();
  Frame ping = PingFrame(kNet, 37);
  Inject(ping);
  std::vector<Frame> sent = TakeSent();
  ASSERT_EQ(sent.size(), 1u);
  const Frame& r = sent[0];
  ASSERT_EQ(r.size(), ping.size());
  EXPECT_EQ(0, memcmp(&r[0], kNet.peer_mac.b, 6));
  EXPECT_EQ(0, memcmp(&r[30], kNet.peer_ip.b, 4));
  EXPECT_EQ(Fold(Sum16(r, 14, 20)), 0);
  EXPECT_EQ(r[34], 0);
  EXPECT_EQ(Fold(Sum16(r, 34, 8 + 37)), 0) << "ICMP checksum over an odd length";
  EXPECT_EQ(0, memcmp(&r[42], &ping[42], 37));
}

TEST_F(StackTest, DatagramsFailingAnIpCheckAreDropped) {
  Resolve();
  Frame more = PingFrame(kNet, 8);
  more[20] |= 0x20;  // more fragments, otherwise complete
  FixIpChecksum(more);
  Frame later = PingFrame(kNet, 8);
  Put16(later, 20, 0x0010);  // a later fragment (offset 16 units)
  FixIpChecksum(later);
  Frame bad_sum = PingFrame(kNet, 8);
  bad_sum[24] ^= 0x01;
  Frame other_dst = PingFrame(kNet, 8);
  other_dst[33] = 99;
  FixIpChecksum(other_dst);
  Frame version6 = PingFrame(kNet, 8);
  version6[14] = 0x65;
  FixIpChecksum(version6);
  Frame lying_length = PingFrame(kNet, 8);
  Put16(lying_length, 16, 200);  // longer than the frame
  FixIpChecksum(lying_length);
  for (const Frame* f : {&more, &later, &bad_sum, &other_dst, &version6, &lying_length}) {
    Inject(*f);
    EXPECT_TRUE(TakeSent().empty());
  }
  Inject(PingFrame(kNet, 8));
  EXPECT_EQ(TakeSent().size(), 1u) << "a sound ping is still answered";
}

// Every length from 0 to 60 bytes of several frames: nothing is answered
// and no connection moves, although the bytes after the frame's end (in
// the receive buffer) continue a valid packet.
TEST_F(StackTest, TruncatedFramesOfEveryLengthAreDropped) {
  Resolve();
  ASSERT_EQ(tcpip::TcpOpenPassive(TcpConn::kData, 2051, 20), 1);
  Frame syn = TcpFrame(kNet, 20, 2051, 5000, 0, kSyn, 8192);
  Frame ping = PingFrame(kNet, 40);
  Frame arp = ArpFrame(kBroadcast, kNet.peer_mac, kNet.peer_ip, kZeroMac, kNet.own_ip, 1);
  Frame snap_arp(arp.begin(), arp.begin() + 12);
  const uint8_t llc[8] = {0x00, 36, 0xAA, 0xAA, 0x03, 0, 0, 0};
  snap_arp.insert(snap_arp.end(), llc, llc + 8);
  snap_arp.insert(snap_arp.end(), arp.begin() + 12, arp.end());
  for (const Frame* full : {&syn, &ping, &arp, &snap_arp}) {
    for (size_t length = 0; length <= 60 && length < full->size(); ++length) {
      Frame cut(full->begin(), full->begin() + length);
      poison_.assign(full->begin() + length, full->end());
      Inject(cut);
      EXPECT_TRUE(TakeSent().empty()) << "length " << length << " of " << full->size();
      EXPECT_EQ(tcpip::TcpGetState(TcpConn::kData), TcpState::kListen);
    }
  }
}

// The same lengths handed straight to the input in buffers of exactly that
// size (a sanitizer build sees any read beyond), with random contents.
TEST_F(StackTest, RandomShortFramesNeverReadBeyondTheirLength) {
  Resolve();
  uint32_t seed = 12345;
  auto next = [&seed]() {
    seed = seed * 1103515245u + 12345u;
    return static_cast<uint8_t>(seed >> 16);
  };
  const uint16_t types[] = {0x0800, 0x0806, 0x0024};
  for (uint16_t type : types) {
    for (int round = 0; round < 20; ++round) {
      for (size_t length = 0; length <= 60; ++length) {
        std::vector<uint8_t> frame(length);
        for (auto& b : frame) b = next();
        if (length >= 14) Put16(frame, 12, type);
        if (length >= 16 && type == 0x0024) frame[14] = frame[15] = 0xAA;
        if (length >= 15 && type == 0x0800) frame[14] = 0x45;
        tcpip::EthernetInput(frame.data(), static_cast<uint16_t>(length));
      }
    }
  }
  for (const Frame& f : TakeSent()) {
    // Whatever random bytes happened to form, every reply is a well-formed
    // frame of at most the maximum size.
    EXPECT_LE(f.size(), 1514u);
  }
}

// --- TCP: LISTEN -------------------------------------------------------------

TEST_F(StackTest, ListenAcceptsSynFromAnyPortAndTakesItsPort) {
  Resolve();
  ASSERT_EQ(tcpip::TcpOpenPassive(TcpConn::kData, 2051, 20), 1);
  Inject(TcpFrame(kNet, 3333, 2051, 7000, 0, kSyn, 4096));
  EXPECT_EQ(tcpip::TcpGetState(TcpConn::kData), TcpState::kSynReceived);
  Segment s = TakeOneSegment();
  EXPECT_TRUE(s.Has(kSyn) && s.Has(kAck));
  EXPECT_EQ(s.dport, 3333);
  EXPECT_EQ(s.sport, 2051);
  EXPECT_EQ(s.ack, 7001u);
  EXPECT_EQ(s.mss, 536);
  EXPECT_EQ(s.window, 1072);
  Inject(TcpFrame(kNet, 3333, 2051, 7001, s.seq + 1, kAck, 4096));
  EXPECT_EQ(tcpip::TcpGetState(TcpConn::kData), TcpState::kEstablished);
}

TEST_F(StackTest, AckToListenIsAnsweredByResetWithItsAckNumber) {
  Resolve();
  ASSERT_EQ(tcpip::TcpOpenPassive(TcpConn::kData, 2051, 20), 1);
  Inject(TcpFrame(kNet, 4444, 2051, 9000, 0xCAFEBABE, kAck, 4096));
  Segment s = TakeOneSegment();
  EXPECT_TRUE(s.Has(kRst));
  EXPECT_FALSE(s.Has(kAck));
  EXPECT_EQ(s.seq, 0xCAFEBABEu);
  EXPECT_EQ(s.dport, 4444) << "the reset goes to the port that sent the ACK";
  EXPECT_EQ(tcpip::TcpGetState(TcpConn::kData), TcpState::kListen);
}

TEST_F(StackTest, SegmentsForPortsWithoutRecordGetNoReset) {
  Resolve();
  Inject(TcpFrame(kNet, 20, 5555, 1, 2, kSyn, 1000));
  EXPECT_TRUE(TakeSent().empty());
}

// --- TCP: SYN-SENT -----------------------------------------------------------

TEST_F(StackTest, ActiveOpenSendsSynWithMssAndResendsItWithoutAck) {
  Resolve();
  ASSERT_EQ(tcpip::TcpOpenActive(conn_, local_port_, remote_port_), 1);
  Segment syn = TakeOneSegment();
  EXPECT_EQ(syn.flags, kSyn | kPsh);
  EXPECT_EQ(syn.mss, 536);
  EXPECT_EQ(syn.seq, tcpip::StackClockNow()) << "ISS is the clock";
  Advance(30);
  Pass();
  EXPECT_TRUE(TakeSent().empty());
  Advance(40);
  Pass();
  Segment again = TakeOneSegment();
  EXPECT_EQ(again.flags, kSyn | kPsh);
  EXPECT_EQ(again.seq, syn.seq);
}

TEST_F(StackTest, ActiveOpenFailsWhenTheFrameCannotBeSent) {
  Resolve();
  send_result_ = 0;
  EXPECT_EQ(tcpip::TcpOpenActive(conn_, local_port_, remote_port_), 0);
  EXPECT_EQ(tcpip::TcpGetState(conn_), TcpState::kClosed);
}

TEST_F(StackTest, SynAckWithWrongAckIsReset) {
  Resolve();
  ASSERT_EQ(tcpip::TcpOpenActive(conn_, local_port_, remote_port_), 1);
  Segment syn = TakeOneSegment();
  Inject(TcpFrame(kNet, 21, 4000, 100, syn.seq + 50, kSyn | kAck, 1000));
  Segment rst = TakeOneSegment();
  EXPECT_TRUE(rst.Has(kRst));
  EXPECT_EQ(rst.seq, syn.seq + 50);
  EXPECT_EQ(tcpip::TcpGetState(conn_), TcpState::kSynSent);
  Inject(TcpFrame(kNet, 21, 4000, 100, syn.seq + 1, kRst | kAck, 0));
  EXPECT_EQ(tcpip::TcpGetState(conn_), TcpState::kClosed);
}

TEST_F(StackTest, SegmentsWaitUntilTheNextHopIsResolved) {
  ASSERT_EQ(tcpip::TcpOpenActive(conn_, local_port_, remote_port_), 1);
  // Only the ARP request reaches the wire; the SYN counts as sent.
  for (const Frame& f : TakeSent()) EXPECT_EQ(Get16(f, 12), 0x0806);
  EXPECT_EQ(tcpip::TcpGetState(conn_), TcpState::kSynSent);
  Inject(ArpFrame(kNet.own_mac, kNet.peer_mac, kNet.peer_ip, kNet.own_mac, kNet.own_ip, 2));
  TakeSent();
  Advance(70);
  Pass();
  Segment syn = TakeOneSegment();
  EXPECT_TRUE(syn.Has(kSyn));
}

// --- TCP: data ---------------------------------------------------------------

TEST_F(StackTest, ResentSegmentDeliversOnlyItsNewBytes) {
  EstablishActive();
  Inject(Peer(kAck, "hello"));
  Segment ack = TakeOneSegment();
  EXPECT_EQ(ack.ack, peer_nxt_ + 5);
  Inject(Peer(kAck, "hello, world"));  // starts before RCV.NXT
  ack = TakeOneSegment();
  EXPECT_EQ(ack.ack, peer_nxt_ + 12);
  char buffer[64] = {};
  EXPECT_EQ(tcpip::TcpReceive(conn_, buffer, sizeof buffer), 12);
  EXPECT_EQ(std::string(buffer, 12), "hello, world");
}

TEST_F(StackTest, OutOfOrderSegmentOnlyTriggersAnAck) {
  EstablishActive();
  peer_nxt_ += 10;
  Inject(Peer(kAck, "later"));
  Segment ack = TakeOneSegment();
  EXPECT_EQ(ack.ack, peer_nxt_ - 10);
  EXPECT_TRUE(ack.data.empty());
  EXPECT_EQ(tcpip::TcpReceiveCount(conn_), 0);
}

TEST_F(StackTest, AdvertisedWindowIsTheFreeReceiveRoomAndReopens) {
  EstablishActive();
  std::string block(536, 'x');
  Inject(Peer(kAck, block));
  EXPECT_EQ(TakeOneSegment().window, 1072 - 536);
  peer_nxt_ += 536;
  Inject(Peer(kAck, block));
  EXPECT_EQ(TakeOneSegment().window, 0);
  peer_nxt_ += 536;
  Inject(Peer(kAck, "z"));  // no room: acknowledged, not taken
  Segment s = TakeOneSegment();
  EXPECT_EQ(s.ack, peer_nxt_);
  EXPECT_EQ(tcpip::TcpReceiveCount(conn_), 1072);
  char buffer[1072];
  EXPECT_EQ(tcpip::TcpReceive(conn_, buffer, 600), 600);  // count 472 < 536: update
  EXPECT_EQ(TakeOneSegment().window, 600);
  EXPECT_EQ(tcpip::TcpReceive(conn_, buffer, 100), 100);  // nothing new to announce
  EXPECT_TRUE(TakeSent().empty());
}

TEST_F(StackTest, SendGoesOutAtOnceAndResendsAfter60Ms) {
  EstablishActive();
  ASSERT_EQ(tcpip::TcpSend(conn_, "USER anonymous\r\n", 16), 16);
  Segment s = TakeOneSegment();
  EXPECT_EQ(s.data, "USER anonymous\r\n");
  EXPECT_EQ(s.seq, our_nxt_);
  EXPECT_TRUE(s.Has(kPsh) && s.Has(kAck));
  Advance(70);
  Pass();
  Segment again = TakeOneSegment();
  EXPECT_EQ(again.seq, our_nxt_);
  EXPECT_EQ(again.data, s.data);
  our_nxt_ += 16;
  Inject(Peer(kAck));
  TakeSent();
  Advance(600);
  Pass();
  EXPECT_TRUE(TakeSent().empty()) << "nothing outstanding, nothing to probe";
}

TEST_F(StackTest, SendIsAllOrNothing) {
  EstablishActive(0x10000000, 0);  // the peer's window is closed
  std::vector<uint8_t> bytes(1000, 0x55);
  EXPECT_EQ(tcpip::TcpSend(conn_, bytes.data(), 1000), 1000);
  EXPECT_EQ(tcpip::TcpSendRoom(conn_), 72);
  EXPECT_EQ(tcpip::TcpSend(conn_, bytes.data(), 100), 0);
  EXPECT_EQ(tcpip::TcpSendCount(conn_), 1000);
  EXPECT_EQ(tcpip::TcpSendCapacity(conn_), 1072);
}

// A window that reopens with a repeated acknowledgment number lets the
// waiting bytes go.
TEST_F(StackTest, WindowUpdateWithoutNewAckIsTaken) {
  EstablishActive(0x10000000, 0);
  ASSERT_EQ(tcpip::TcpSend(conn_, "RETR a\r\n", 8), 8);
  for (const Segment& s : TakeSegments()) EXPECT_TRUE(s.data.empty());
  Inject(Peer(kAck, "", 4096));
  Segment s = TakeOneSegment();
  EXPECT_EQ(s.data, "RETR a\r\n");
}

// An acknowledgment from a peer whose own bytes are outstanding carries a
// sequence number beyond RCV.NXT: it is taken, not answered (answering it
// starts an endless exchange of acknowledgments when both sides lost a
// segment).
TEST_F(StackTest, PureAckFromBeyondRcvNxtIsTakenWithoutAnswer) {
  EstablishActive();
  ASSERT_EQ(tcpip::TcpSend(conn_, "PWD\r\n", 5), 5);
  TakeSent();
  peer_nxt_ += 300;  // the peer's 300 bytes went missing
  our_nxt_ += 5;
  Inject(Peer(kAck));
  EXPECT_TRUE(TakeSent().empty());
  Advance(600);
  Pass();
  EXPECT_TRUE(TakeSent().empty()) << "our bytes were acknowledged: nothing to resend";
}

// A peer that keeps sending makes us acknowledge every few milliseconds;
// our own unacknowledged bytes are still resent after 60 ms.
TEST_F(StackTest, AcknowledgingIncomingDataDoesNotPostponeResends) {
  EstablishActive();
  ASSERT_EQ(tcpip::TcpSend(conn_, "STOR x\r\n", 8), 8);
  Segment first = TakeOneSegment();
  bool resent = false;
  for (int i = 0; i < 8 && !resent; ++i) {
    g_ticks += 2;  // 11 ms
    Inject(Peer(kAck, "150 ok"));  // acknowledges nothing of ours
    peer_nxt_ += 6;
    char sink[16];
    tcpip::TcpReceive(conn_, sink, sizeof sink);
    for (const Segment& s : TakeSegments()) {
      if (s.seq == first.seq && s.data == first.data) resent = true;
    }
  }
  EXPECT_TRUE(resent);
}

// After the peer's FIN the connection still sends: bytes waiting in the
// send ring go out when the peer's window opens, and the idle probe
// carries them when no acknowledgment comes.
TEST_F(StackTest, CloseWaitKeepsSendingWaitingBytes) {
  EstablishActive(0x10000000, 0);
  std::string block(536, 'c');
  ASSERT_EQ(tcpip::TcpSend(conn_, block.data(), 536), 536);
  ASSERT_EQ(tcpip::TcpSend(conn_, block.data(), 536), 536);
  Inject(Peer(kFin | kAck, "", 0));
  ASSERT_EQ(tcpip::TcpGetState(conn_), TcpState::kCloseWait);
  peer_nxt_ += 1;
  TakeSent();
  Inject(Peer(kAck, "", 4096));
  Segment s = TakeOneSegment();
  EXPECT_EQ(s.data.size(), 536u);
  our_nxt_ += 536;
  Inject(Peer(kAck, "", 4096));  // acknowledged; the next block follows
  s = TakeOneSegment();
  EXPECT_EQ(s.data.size(), 536u);
  EXPECT_EQ(s.seq, our_nxt_);
}

TEST_F(StackTest, IdleProbeCarriesWaitingBytes) {
  EstablishActive(0x10000000, 0);
  ASSERT_EQ(tcpip::TcpSend(conn_, "LIST\r\n", 6), 6);
  TakeSent();
  // The window opens, but the update is lost; the probe finds out.
  tcpip::TcpRecordOf(conn_)->snd_wnd = 4096;
  Advance(510);
  Pass();
  Segment s = TakeOneSegment();
  EXPECT_EQ(s.data, "LIST\r\n");
}

// --- TCP: close --------------------------------------------------------------

TEST_F(StackTest, CloseWaitLastAckTimeWaitClosed) {
  conn_ = TcpConn::kData;
  local_port_ = 2051;
  remote_port_ = 20;
  Resolve();
  ASSERT_EQ(tcpip::TcpOpenPassive(conn_, local_port_, remote_port_), 1);
  peer_nxt_ = 800;
  Inject(TcpFrame(kNet, 20, 2051, peer_nxt_, 0, kSyn, 8192));
  Segment synack = TakeOneSegment();
  our_nxt_ = synack.seq + 1;
  peer_nxt_ += 1;
  Inject(Peer(kAck, "listing"));
  TakeSent();
  peer_nxt_ += 7;
  Inject(Peer(kFin | kAck));
  EXPECT_EQ(tcpip::TcpGetState(conn_), TcpState::kCloseWait);
  EXPECT_EQ(TakeOneSegment().ack, peer_nxt_ + 1);
  peer_nxt_ += 1;
  char buffer[16];
  EXPECT_EQ(tcpip::TcpReceive(conn_, buffer, sizeof buffer), 7);
  TakeSent();
  tcpip::TcpClose(conn_);
  Pass();
  Segment fin = TakeOneSegment();
  EXPECT_TRUE(fin.Has(kFin));
  EXPECT_EQ(fin.seq, our_nxt_);
  EXPECT_EQ(tcpip::TcpGetState(conn_), TcpState::kLastAck);
  our_nxt_ += 1;
  Inject(Peer(kAck));
  EXPECT_EQ(tcpip::TcpGetState(conn_), TcpState::kTimeWait);
  g_ticks += 10;  // 55 ms
  Pass();
  EXPECT_EQ(tcpip::TcpGetState(conn_), TcpState::kTimeWait);
  Advance(60);
  Pass();
  EXPECT_EQ(tcpip::TcpGetState(conn_), TcpState::kClosed);
}

// With more than one segment's worth outstanding, the timer's resend starts
// at SND.UNA with 536 bytes: the FIN may not ride on it, or the peer would
// end the stream in the middle.
TEST_F(StackTest, ResendCarriesFinOnlyWithEveryOutstandingByte) {
  EstablishActive();
  std::string data(1000, 'd');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>('a' + i % 26);
  ASSERT_EQ(tcpip::TcpSend(conn_, data.data(), 536), 536);
  ASSERT_EQ(tcpip::TcpSend(conn_, data.data() + 536, 464), 464);
  TakeSent();
  tcpip::TcpClose(conn_);
  Pass();
  Segment fin = TakeOneSegment();
  EXPECT_TRUE(fin.Has(kFin));
  EXPECT_EQ(fin.seq, our_nxt_ + 1000);
  Advance(70);
  Pass();
  Segment resend = TakeOneSegment();
  EXPECT_EQ(resend.seq, our_nxt_);
  EXPECT_EQ(resend.data.size(), 536u);
  EXPECT_FALSE(resend.Has(kFin));
  our_nxt_ += 536;
  Inject(Peer(kAck));  // acknowledges the first 536 only
  EXPECT_EQ(tcpip::TcpGetState(conn_), TcpState::kFinWait1)
      << "FIN-WAIT-2 only once our FIN is acknowledged";
  TakeSent();
  Advance(70);
  Pass();
  Segment last = TakeOneSegment();
  EXPECT_EQ(last.seq, our_nxt_);
  EXPECT_EQ(last.data, data.substr(536));
  EXPECT_TRUE(last.Has(kFin));
  our_nxt_ += 464 + 1;
  Inject(Peer(kAck));
  EXPECT_EQ(tcpip::TcpGetState(conn_), TcpState::kFinWait2);
}

// The peer's FIN before our data and FIN are acknowledged: the record waits
// in LAST-ACK, resending, instead of closing with bytes outstanding.
TEST_F(StackTest, PeerFinWhileOurBytesAreOutstandingWaitsForTheirAck) {
  EstablishActive();
  ASSERT_EQ(tcpip::TcpSend(conn_, "0123456789", 10), 10);
  tcpip::TcpClose(conn_);
  Pass();
  TakeSent();
  Inject(Peer(kFin | kAck));  // acknowledges nothing of ours
  EXPECT_EQ(tcpip::TcpGetState(conn_), TcpState::kLastAck);
  TakeSent();
  Advance(70);
  Pass();
  Segment resend = TakeOneSegment();
  EXPECT_EQ(resend.data, "0123456789");
  EXPECT_TRUE(resend.Has(kFin));
  peer_nxt_ += 1;
  our_nxt_ += 11;
  Inject(Peer(kAck));
  EXPECT_EQ(tcpip::TcpGetState(conn_), TcpState::kTimeWait);
  Advance(110);
  Pass();
  EXPECT_EQ(tcpip::TcpGetState(conn_), TcpState::kClosed);
}

// Data and FIN in the ACK that completes the handshake: the bytes are
// delivered and the FIN is counted after them.
TEST_F(StackTest, DataAndFinOnTheHandshakeAckAreBothTaken) {
  Resolve();
  ASSERT_EQ(tcpip::TcpOpenPassive(TcpConn::kData, 2051, 20), 1);
  Inject(TcpFrame(kNet, 20, 2051, 50, 0, kSyn, 8192));
  Segment synack = TakeOneSegment();
  Inject(TcpFrame(kNet, 20, 2051, 51, synack.seq + 1, kAck | kFin, 8192, "file"));
  EXPECT_EQ(tcpip::TcpGetState(TcpConn::kData), TcpState::kCloseWait);
  EXPECT_EQ(tcpip::TcpReceiveCount(TcpConn::kData), 4);
  std::vector<Segment> s = TakeSegments();
  ASSERT_FALSE(s.empty());
  EXPECT_EQ(s.back().ack, 51u + 4 + 1);
}

// A FIN is counted only when every byte before it has arrived.
TEST_F(StackTest, FinBehindBytesThatDidNotFitIsNotCounted) {
  EstablishActive();
  std::string block(1072, 'q');
  Inject(Peer(kAck, block.substr(0, 536)));
  peer_nxt_ += 536;
  Inject(Peer(kAck, block.substr(0, 536)));
  peer_nxt_ += 536;
  TakeSent();
  Inject(Peer(kAck | kFin, "tail"));  // window closed: neither bytes nor FIN
  EXPECT_EQ(tcpip::TcpGetState(conn_), TcpState::kEstablished);
  char buffer[1072];
  EXPECT_EQ(tcpip::TcpReceive(conn_, buffer, sizeof buffer), 1072);
  TakeSent();
  Inject(Peer(kAck | kFin, "tail"));
  EXPECT_EQ(tcpip::TcpGetState(conn_), TcpState::kCloseWait);
  EXPECT_EQ(tcpip::TcpReceive(conn_, buffer, sizeof buffer), 4);
}

TEST_F(StackTest, ResetInSynchronisedStateCloses) {
  EstablishActive();
  Inject(Peer(kRst));
  EXPECT_EQ(tcpip::TcpGetState(conn_), TcpState::kClosed);
  EXPECT_TRUE(TakeSent().empty());
}

TEST_F(StackTest, CloseInListenOrSynSentIsImmediateAndAbortSendsNothing) {
  Resolve();
  tcpip::TcpOpenPassive(TcpConn::kData, 2051, 20);
  tcpip::TcpClose(TcpConn::kData);
  EXPECT_EQ(tcpip::TcpGetState(TcpConn::kData), TcpState::kClosed);
  EstablishActive();
  tcpip::TcpAbort(conn_);
  EXPECT_EQ(tcpip::TcpGetState(conn_), TcpState::kClosed);
  Advance(1000);
  Pass();
  EXPECT_TRUE(TakeSent().empty());
}

// TIME-WAIT acknowledges a repeated FIN but not a plain acknowledgment,
// so two records that both wait cannot keep each other waiting.
TEST_F(StackTest, TimeWaitAnswersARepeatedFinOnly) {
  EstablishActive();
  tcpip::TcpClose(conn_);
  Pass();
  TakeSent();
  our_nxt_ += 1;
  Inject(Peer(kFin | kAck));
  ASSERT_EQ(tcpip::TcpGetState(conn_), TcpState::kTimeWait);
  TakeSent();
  peer_nxt_ += 1;
  for (int i = 0; i < 30; ++i) {
    g_ticks += 1;
    Inject(Peer(kAck));
  }
  EXPECT_TRUE(TakeSent().empty());
  EXPECT_EQ(tcpip::TcpGetState(conn_), TcpState::kClosed);
  EstablishActive(0x20000000);
  tcpip::TcpClose(conn_);
  Pass();
  our_nxt_ += 1;
  Inject(Peer(kFin | kAck));
  peer_nxt_ += 1;
  TakeSent();
  peer_nxt_ -= 1;
  Inject(Peer(kFin | kAck));  // our ACK of the FIN was lost: the FIN again
  Segment s = TakeOneSegment();
  EXPECT_EQ(s.ack, peer_nxt_ + 1);
}

// --- Sequence numbers around 2^32 --------------------------------------------

TEST_F(StackTest, PeerSequenceWrapKeepsWindowUpdates) {
  EstablishActive(0xFFFFFD00u);
  std::string block(536, 'w');
  Inject(Peer(kAck, block));
  peer_nxt_ += 536;
  Inject(Peer(kAck, block));  // crosses 2^32
  peer_nxt_ += 536;
  char buffer[1072];
  EXPECT_EQ(tcpip::TcpReceive(conn_, buffer, sizeof buffer), 1072);
  TakeSent();
  Inject(Peer(kAck, "", 0));  // sequence now past 2^32: window closes
  ASSERT_EQ(tcpip::TcpSend(conn_, "NOOP\r\n", 6), 6);
  for (const Segment& s : TakeSegments()) EXPECT_TRUE(s.data.empty());
  Inject(Peer(kAck, "", 2000));
  EXPECT_EQ(TakeOneSegment().data, "NOOP\r\n");
}

TEST_F(StackTest, OwnSequenceWrapDeliversAndCloses) {
  // ISS = the clock; 780903144 ticks are 0xFFFFFFFC ms.
  g_ticks = 780903144u;
  EstablishActive();
  EXPECT_EQ(our_nxt_, 0xFFFFFFFDu);
  std::string data(1000, 'k');
  ASSERT_EQ(tcpip::TcpSend(conn_, data.data(), 536), 536);
  ASSERT_EQ(tcpip::TcpSend(conn_, data.data(), 464), 464);
  tcpip::TcpClose(conn_);
  Pass();
  TakeSent();
  our_nxt_ += 1001;
  Inject(Peer(kAck));
  EXPECT_EQ(tcpip::TcpGetState(conn_), TcpState::kFinWait2);
  Inject(Peer(kAck | kFin));
  EXPECT_EQ(tcpip::TcpGetState(conn_), TcpState::kTimeWait);
}

}  // namespace
