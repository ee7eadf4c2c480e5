// Two stacks over the in-process link with loss, duplication, reordering
// and delay: the test's own stack opens actively and uploads, the second
// instance (a separately loaded copy) listens and downloads, and both
// directions must arrive complete and byte-identical with the FIN behind
// the last byte. Time is driven by the test's tick counter.
#include <dlfcn.h>
#include <stdarg.h>
#include <string.h>

#include <ostream>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/services/dispatch.h"
#include "host/net/net_frames.h"
#include "wharf/config.h"
#include "wharf/tcpip/clock.h"
#include "wharf/tcpip/tcp_api.h"

namespace {

using tcpip::TcpConn;
using tcpip::TcpState;

uint32_t g_ticks = 0;
uint32_t Ticks() { return g_ticks; }

struct Peer {
  int (*init)(const WHARF_INIT_PARAMS*, uint32_t (*)());
  void (*pass)();
  int (*open_passive)(int, uint16_t, uint16_t);
  uint16_t (*send)(int, const void*, uint16_t);
  uint16_t (*receive)(int, void*, uint16_t);
  void (*close)(int);
  int (*state)(int);
  uint16_t (*send_room)(int);
};

struct LinkCase {
  const char* name;
  host::LinkFaults faults;
  size_t bytes;
  // With heavy loss the listener may stay in LAST-ACK: our side's TIME-WAIT
  // (100 ms) can end before the peer's repeated FIN gets through, and a
  // closed port sends no reset. Every byte must still have arrived.
  bool peer_may_linger = false;
};

void PrintTo(const LinkCase& c, std::ostream* os) { *os << c.name; }

std::vector<uint8_t> Pattern(size_t n, uint32_t seed) {
  std::vector<uint8_t> v(n);
  std::mt19937 r(seed);
  for (auto& b : v) b = static_cast<uint8_t>(r());
  return v;
}

WHARF_INIT_PARAMS Record(uint8_t own, uint8_t other, uint32_t send, uint32_t receive) {
  WHARF_INIT_PARAMS p{};
  p.size = sizeof p;
  const uint8_t mac[6] = {0x02, 0, 0, 0, 0, own};
  memcpy(p.own_mac, mac, 6);
  const uint8_t own_ip[4] = {10, 201, 0, own}, other_ip[4] = {10, 201, 0, other};
  memcpy(p.own_ip, own_ip, 4);
  memcpy(p.server_ip, other_ip, 4);
  memcpy(p.next_hop_ip, other_ip, 4);
  p.dispatch = HostDispatchEntry;
  p.send_frame = send;
  p.receive_frame = receive;
  return p;
}

class LinkTest : public ::testing::TestWithParam<LinkCase> {
 protected:
  void SetUp() override {
    handle_ = dlopen(TCPIP_PEER_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle_, nullptr) << dlerror();
    auto bind = [this](const char* name) { return dlsym(handle_, name); };
    peer_.init = reinterpret_cast<decltype(peer_.init)>(bind("peer_init"));
    peer_.pass = reinterpret_cast<decltype(peer_.pass)>(bind("peer_pass"));
    peer_.open_passive = reinterpret_cast<decltype(peer_.open_passive)>(bind("peer_open_passive"));
    peer_.send = reinterpret_cast<decltype(peer_.send)>(bind("peer_send"));
    peer_.receive = reinterpret_cast<decltype(peer_.receive)>(bind("peer_receive"));
    peer_.close = reinterpret_cast<decltype(peer_.close)>(bind("peer_close"));
    peer_.state = reinterpret_cast<decltype(peer_.state)>(bind("peer_state"));
    peer_.send_room = reinterpret_cast<decltype(peer_.send_room)>(bind("peer_send_room"));
    ASSERT_NE(peer_.send_room, nullptr);
    g_ticks = 1000;
    tcpip::ClockSetTickSource(Ticks);
  }
  void TearDown() override {
    tcpip::ClockSetTickSource(nullptr);
    if (handle_ != nullptr) dlclose(handle_);
  }

  void RunTransfer(const LinkCase& c, uint32_t seed);

  void* handle_ = nullptr;
  Peer peer_{};
};

TEST_P(LinkTest, UploadAndDownloadArriveWholeAndInOrder) {
  for (uint32_t seed = 1; seed <= 8; ++seed) {
    SCOPED_TRACE("link seed " + std::to_string(seed));
    RunTransfer(GetParam(), seed);
  }
}

void LinkTest::RunTransfer(const LinkCase& c, uint32_t seed) {
  host::FrameLink link(seed);
  link.SetFaults(c.faults, c.faults);
  host::FrameServices ours(link.a());
  host::FrameServices theirs(link.b());
  WHARF_INIT_PARAMS a = Record(2, 1, ours.send_handle(), ours.receive_handle());
  WHARF_INIT_PARAMS b = Record(1, 2, theirs.send_handle(), theirs.receive_handle());
  ASSERT_EQ(WharfConfigInstall(&a), 1);
  tcpip::StackReset();
  ASSERT_EQ(peer_.init(&b, Ticks), 1);
  ASSERT_EQ(peer_.open_passive(1, 2051, 20), 1);
  ASSERT_EQ(tcpip::TcpOpenActive(TcpConn::kControl, 3001, 2051), 1);

  const std::vector<uint8_t> up = Pattern(c.bytes, 11), down = Pattern(c.bytes, 12);
  std::vector<uint8_t> got_up, got_down;
  size_t sent_up = 0, sent_down = 0;
  bool a_closed = false, b_closed = false;
  bool fin_before_last_byte = false;
  uint8_t buffer[1072];
  int steps = 0;
  for (; steps < 2000000; ++steps) {
    g_ticks += 1;
    link.SetTime(tcpip::ClockFromTicks(g_ticks));
    for (int i = 0; i < 3; ++i) {
      tcpip::StackClockSample();
      tcpip::StackPass();
      peer_.pass();
    }
    // Ours: upload, then close; read the download.
    TcpState sa = tcpip::TcpGetState(TcpConn::kControl);
    if (sa == TcpState::kEstablished || sa == TcpState::kCloseWait) {
      while (sent_up < up.size()) {
        uint16_t n = static_cast<uint16_t>(std::min<size_t>(
            {tcpip::TcpSendRoom(TcpConn::kControl), up.size() - sent_up, 700}));
        if (n == 0 || tcpip::TcpSend(TcpConn::kControl, &up[sent_up], n) == 0) break;
        sent_up += n;
      }
      if (sent_up == up.size() && !a_closed) {
        tcpip::TcpClose(TcpConn::kControl);
        a_closed = true;
      }
    }
    uint16_t r = tcpip::TcpReceive(TcpConn::kControl, buffer, sizeof buffer);
    got_down.insert(got_down.end(), buffer, buffer + r);
    // Theirs: download, and once our FIN has arrived, finish and close.
    int sb = peer_.state(1);
    if (sb == static_cast<int>(TcpState::kEstablished) ||
        sb == static_cast<int>(TcpState::kCloseWait)) {
      while (sent_down < down.size()) {
        uint16_t n = static_cast<uint16_t>(
            std::min<size_t>({peer_.send_room(1), down.size() - sent_down, 900}));
        if (n == 0 || peer_.send(1, &down[sent_down], n) == 0) break;
        sent_down += n;
      }
    }
    r = peer_.receive(1, buffer, sizeof buffer);
    got_up.insert(got_up.end(), buffer, buffer + r);
    if (peer_.state(1) == static_cast<int>(TcpState::kCloseWait)) {
      if (got_up.size() < up.size()) fin_before_last_byte = true;
      if (sent_down == down.size() && !b_closed) {
        peer_.close(1);
        b_closed = true;
      }
    }
    if (tcpip::TcpGetState(TcpConn::kControl) == TcpState::kClosed &&
        (peer_.state(1) == static_cast<int>(TcpState::kClosed) ||
         (c.peer_may_linger && peer_.state(1) == static_cast<int>(TcpState::kLastAck) &&
          got_up.size() == up.size()))) {
      break;
    }
  }
  EXPECT_FALSE(fin_before_last_byte) << "the peer saw the end of the stream too early";
  EXPECT_EQ(got_up.size(), up.size());
  EXPECT_TRUE(got_up == up);
  EXPECT_EQ(got_down.size(), down.size());
  EXPECT_TRUE(got_down == down);
  EXPECT_EQ(tcpip::TcpGetState(TcpConn::kControl), TcpState::kClosed);
  if (!c.peer_may_linger || peer_.state(1) != static_cast<int>(TcpState::kLastAck)) {
    EXPECT_EQ(peer_.state(1), static_cast<int>(TcpState::kClosed));
  }
  const host::LinkCounters& k = link.counters_a_to_b();
  if (seed > 1) return;
  printf("%s: %d steps (%.1f s of clock), a->b sent %llu lost %llu duplicated %llu "
         "reordered %llu\n",
         c.name, steps, steps * 5.5 / 1000, static_cast<unsigned long long>(k.sent),
         static_cast<unsigned long long>(k.lost), static_cast<unsigned long long>(k.duplicated),
         static_cast<unsigned long long>(k.reordered));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, LinkTest,
    ::testing::Values(LinkCase{"clean", {0, 0, 0, 0}, 100000},
                      LinkCase{"lossy", {0.10, 0, 0, 0}, 60000},
                      LinkCase{"duplicating", {0, 0.2, 0, 0}, 60000},
                      LinkCase{"reordering", {0, 0, 0.2, 0}, 60000},
                      LinkCase{"delayed", {0, 0, 0, 20}, 60000},
                      LinkCase{"everything", {0.05, 0.05, 0.1, 10}, 60000},
                      LinkCase{"harsh", {0.3, 0.1, 0.3, 15}, 60000, true}),
    [](const ::testing::TestParamInfo<LinkCase>& info) { return std::string(info.param.name); });

}  // namespace
