// The stack against a real peer: the Linux kernel, reached through a TAP
// device whose other side lives in a private network namespace that the
// test creates (tools/netns-up.sh) and removes again (tools/netns-down.sh).
// Every frame of the run is recorded in a pcap file, which tshark then
// checks for malformed packets and bad checksums.
//
// Needs root (CAP_NET_ADMIN). Without it the tests fail and say why: CI
// runs as root, so a missing namespace is an error, not a reason to skip.
#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sched.h>
#include <stdio.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "host/services/dispatch.h"
#include "host/net/net_frames.h"
#include "wharf/config.h"
#include "wharf/tcpip/tcp_api.h"

namespace {

using Clock = std::chrono::steady_clock;
using tcpip::TcpConn;
using tcpip::TcpState;

const char kKernelAddress[] = "10.200.77.1";
const char kStackAddress[] = "10.200.77.2";
const uint8_t kStackIp[4] = {10, 200, 77, 2};
const uint8_t kKernelIp[4] = {10, 200, 77, 1};
const uint8_t kStackMac[6] = {0x02, 0x57, 0x48, 0x52, 0x46, 0x02};
constexpr size_t kTransferBytes = 1 << 20;

std::string Shell(const std::string& command, int* status) {
  std::string out;
  FILE* p = popen((command + " 2>&1").c_str(), "r");
  if (p == nullptr) {
    *status = -1;
    return "cannot run: " + command;
  }
  char buffer[512];
  while (fgets(buffer, sizeof buffer, p) != nullptr) {
    // tshark's note about running as root is not part of any answer.
    if (strncmp(buffer, "Running as user", 15) == 0) continue;
    out += buffer;
  }
  int rc = pclose(p);
  *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  return out;
}

// One namespace, TAP device and pcap recording for the whole run.
class KernelPeer : public ::testing::Environment {
 public:
  void SetUp() override {
    std::string pid = std::to_string(getpid());
    ns_ = "wharf-tcpip-" + pid;
    std::string tap_name = "wtap" + pid;
    if (tap_name.size() > 15) tap_name.resize(15);
    if (!tap_.Open(tap_name, &error_)) {
      error_ = "cannot create a TAP device (needs root or CAP_NET_ADMIN): " + error_;
      return;
    }
    int status = 0;
    std::string out = Shell(std::string(TEST_SOURCE_DIR) + "/tools/netns-up.sh " + ns_ + " " +
                                tap_.name() + " " + kKernelAddress + "/24",
                            &status);
    if (status != 0) {
      error_ = "cannot create the private network namespace " + ns_ + ": " + out;
      tap_.Close();
      return;
    }
    namespace_up_ = true;
    pcap_path_ = "tcpip_tap.pcap";  // one run at a time (RESOURCE_LOCK)
    if (!pcap_.Open(pcap_path_, &error_)) return;
    recorder_ = std::make_unique<host::PcapTap>(tap_, pcap_);
    services_ = std::make_unique<host::FrameServices>(*recorder_);
    ready_ = true;
  }
  void TearDown() override {
    services_.reset();
    recorder_.reset();
    pcap_.Close();
    if (namespace_up_) {
      int status = 0;
      Shell(std::string(TEST_SOURCE_DIR) + "/tools/netns-down.sh " + ns_, &status);
    }
    tap_.Close();
  }

  // Runs fn on a thread that has entered the namespace: sockets it creates
  // belong to the namespace and may be used from any thread afterwards.
  int InNamespace(const std::function<int()>& fn) {
    int result = -1;
    std::thread t([&] {
      int nsfd = open(("/run/netns/" + ns_).c_str(), O_RDONLY | O_CLOEXEC);
      if (nsfd < 0 || setns(nsfd, CLONE_NEWNET) != 0) {
        if (nsfd >= 0) close(nsfd);
        return;
      }
      close(nsfd);
      result = fn();
    });
    t.join();
    return result;
  }

  bool ready() const { return ready_; }
  const std::string& error() const { return error_; }
  const std::string& ns() const { return ns_; }
  const std::string& pcap_path() const { return pcap_path_; }
  int tap_fd() const { return tap_.fd(); }
  host::FrameServices& services() { return *services_; }

 private:
  host::TapDevice tap_;
  host::PcapWriter pcap_;
  std::unique_ptr<host::PcapTap> recorder_;
  std::unique_ptr<host::FrameServices> services_;
  std::string ns_;
  std::string pcap_path_;
  std::string error_;
  bool namespace_up_ = false;
  bool ready_ = false;
};

KernelPeer* g_peer = nullptr;

std::vector<uint8_t> Pattern(uint32_t seed) {
  std::vector<uint8_t> bytes(kTransferBytes);
  std::mt19937 random(seed);
  for (auto& b : bytes) b = static_cast<uint8_t>(random());
  return bytes;
}

class TapTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(g_peer->ready()) << g_peer->error();
    WHARF_INIT_PARAMS p{};
    p.size = sizeof p;
    memcpy(p.own_mac, kStackMac, 6);
    memcpy(p.own_ip, kStackIp, 4);
    memcpy(p.server_ip, kKernelIp, 4);
    memcpy(p.next_hop_ip, kKernelIp, 4);
    p.dispatch = HostDispatchEntry;
    p.send_frame = g_peer->services().send_handle();
    p.receive_frame = g_peer->services().receive_handle();
    ASSERT_EQ(WharfConfigInstall(&p), 1);
    tcpip::StackReset();
  }
  void TearDown() override {
    for (int fd : fds_) close(fd);
  }

  // One pass of the stack, after waiting at most 1 ms for a frame or for
  // one of the extra descriptors.
  void Pump(int extra_fd = -1, short extra_events = 0) {
    pollfd p[2] = {{g_peer->tap_fd(), POLLIN, 0}, {extra_fd, extra_events, 0}};
    poll(p, extra_fd >= 0 ? 2 : 1, 1);
    tcpip::StackClockSample();
    tcpip::StackPass();
  }

  int Keep(int fd) {
    if (fd >= 0) fds_.push_back(fd);
    return fd;
  }

  // Both directions at once until every byte has arrived and both sides
  // have closed; bounded by a deadline.
  void Exchange(TcpConn conn, int fd) {
    const std::vector<uint8_t> up = Pattern(1);    // stack -> kernel
    const std::vector<uint8_t> down = Pattern(2);  // kernel -> stack
    std::vector<uint8_t> stack_got, kernel_got;
    stack_got.reserve(kTransferBytes);
    kernel_got.reserve(kTransferBytes);
    size_t stack_sent = 0, kernel_sent = 0;
    bool stack_closed = false, kernel_shut = false, kernel_eof = false;
    std::vector<uint8_t> buffer(65536);
    auto start = Clock::now();
    auto deadline = start + std::chrono::seconds(240);
    while (Clock::now() < deadline) {
      Pump(fd, static_cast<short>(POLLIN | (kernel_sent < kTransferBytes ? POLLOUT : 0)));
      // The stack's side.
      while (stack_sent < up.size()) {
        size_t room = tcpip::TcpSendRoom(conn);
        size_t n = std::min<size_t>({room, up.size() - stack_sent, 1072});
        if (n == 0 || tcpip::TcpSend(conn, &up[stack_sent], static_cast<uint16_t>(n)) == 0) break;
        stack_sent += n;
      }
      if (stack_sent == up.size() && !stack_closed) {
        tcpip::TcpClose(conn);
        stack_closed = true;
      }
      uint16_t got = tcpip::TcpReceive(conn, buffer.data(), 1072);
      stack_got.insert(stack_got.end(), buffer.begin(), buffer.begin() + got);
      // The kernel's side.
      if (kernel_sent < down.size()) {
        ssize_t n = send(fd, &down[kernel_sent], std::min<size_t>(65536, down.size() - kernel_sent),
                         MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n > 0) kernel_sent += static_cast<size_t>(n);
      } else if (!kernel_shut) {
        shutdown(fd, SHUT_WR);
        kernel_shut = true;
      }
      ssize_t r = recv(fd, buffer.data(), buffer.size(), MSG_DONTWAIT);
      if (r > 0) kernel_got.insert(kernel_got.end(), buffer.begin(), buffer.begin() + r);
      if (r == 0) kernel_eof = true;
      if (kernel_eof && kernel_shut && stack_got.size() == down.size() &&
          tcpip::TcpGetState(conn) == TcpState::kClosed) {
        break;
      }
    }
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    printf("1 MB each way in %.2f s\n", seconds);
    EXPECT_EQ(kernel_got.size(), up.size());
    EXPECT_TRUE(kernel_got == up) << "bytes from the stack differ";
    EXPECT_EQ(stack_got.size(), down.size());
    EXPECT_TRUE(stack_got == down) << "bytes from the kernel differ";
    EXPECT_TRUE(kernel_eof) << "the stack's FIN did not reach the kernel";
    EXPECT_EQ(tcpip::TcpGetState(conn), TcpState::kClosed);
  }

  std::vector<int> fds_;
};

TEST_F(TapTest, KernelPingIsAnswered) {
  std::atomic<bool> done{false};
  int status = -1;
  std::string out;
  std::thread ping([&] {
    out = Shell("ip netns exec " + g_peer->ns() + " ping -c 3 -i 0.2 -W 2 " + kStackAddress,
                &status);
    done = true;
  });
  auto deadline = Clock::now() + std::chrono::seconds(30);
  while (!done && Clock::now() < deadline) Pump();
  ping.join();
  EXPECT_EQ(status, 0) << out;
  EXPECT_NE(out.find("3 received"), std::string::npos) << out;
}

TEST_F(TapTest, StackConnectsToKernelAndCarriesOneMegabyteEachWay) {
  int listener = Keep(g_peer->InNamespace([] {
    int s = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    int one = 1;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(5021);
    inet_pton(AF_INET, kKernelAddress, &a.sin_addr);
    if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(s, 1) != 0) {
      close(s);
      return -1;
    }
    return s;
  }));
  ASSERT_GE(listener, 0) << "no listening socket in the namespace";
  ASSERT_EQ(tcpip::TcpOpenActive(TcpConn::kControl, 40123, 5021), 1);
  int fd = -1;
  auto deadline = Clock::now() + std::chrono::seconds(60);
  while (Clock::now() < deadline &&
         (fd < 0 || tcpip::TcpGetState(TcpConn::kControl) != TcpState::kEstablished)) {
    Pump(listener, POLLIN);
    if (fd < 0) fd = Keep(accept4(listener, nullptr, nullptr, SOCK_NONBLOCK));
  }
  ASSERT_GE(fd, 0) << "the kernel accepted no connection";
  ASSERT_EQ(tcpip::TcpGetState(TcpConn::kControl), TcpState::kEstablished);
  Exchange(TcpConn::kControl, fd);
}

TEST_F(TapTest, KernelConnectsToStackAndCarriesOneMegabyteEachWay) {
  ASSERT_EQ(tcpip::TcpOpenPassive(TcpConn::kData, 2051, 20), 1);
  int fd = Keep(g_peer->InNamespace([] {
    int s = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(2051);
    inet_pton(AF_INET, kStackAddress, &a.sin_addr);
    int r = connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    if (r != 0 && errno != EINPROGRESS) {
      close(s);
      return -1;
    }
    return s;
  }));
  ASSERT_GE(fd, 0) << "no socket in the namespace";
  auto deadline = Clock::now() + std::chrono::seconds(60);
  while (Clock::now() < deadline && tcpip::TcpGetState(TcpConn::kData) != TcpState::kEstablished) {
    Pump(fd, POLLOUT);
  }
  ASSERT_EQ(tcpip::TcpGetState(TcpConn::kData), TcpState::kEstablished);
  int error = 0;
  socklen_t length = sizeof error;
  // The kernel's side completes once our SYN-ACK was acknowledged.
  while (Clock::now() < deadline) {
    pollfd p{fd, POLLOUT, 0};
    if (poll(&p, 1, 1) > 0) break;
    Pump();
  }
  ASSERT_EQ(getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length), 0);
  ASSERT_EQ(error, 0) << strerror(error);
  Exchange(TcpConn::kData, fd);
}

// Runs last: the recording of every test above.
TEST_F(TapTest, PcapShowsNoMalformedPacketAndNoBadChecksum) {
  int status = 0;
  std::string file = g_peer->pcap_path();
  std::string base = "tshark -n -r " + file +
                     " -o ip.check_checksum:TRUE -o tcp.check_checksum:TRUE";
  std::string total = Shell(base + " -T fields -e frame.number | wc -l", &status);
  ASSERT_EQ(status, 0) << total;
  EXPECT_GT(std::stoi(total), 1000) << "the recording holds the transfers";
  std::string verified =
      Shell(base + " -Y 'tcp.checksum.status == 1' -T fields -e frame.number | wc -l", &status);
  EXPECT_GT(std::stoi(verified), 1000) << "tshark verified the TCP checksums";
  // A bad TCP checksum or an error-level note on a frame is a fault, except
  // the kernel's own ACKs whose incrementally updated checksum reads 0xFFFF
  // instead of 0x0000: the same value in one's complement, which receivers
  // accept, but tshark marks it bad. The stack computes its checksums afresh
  // and never writes 0xFFFF: its frames (from its address) get no exception.
  const std::string kernel_ffff =
      "(tcp.checksum.ffff && ip.src != " + std::string(kStackAddress) + ")";
  std::string bad = Shell(base +
                              " -Y '_ws.malformed || ip.checksum.status == 0 || "
                              "icmp.checksum.status == 0 || ((tcp.checksum.status == 0 || "
                              "_ws.expert.severity == error) && !" +
                              kernel_ffff + ")' -T fields -e frame.number -e _ws.col.Info",
                          &status);
  EXPECT_EQ(status, 0) << bad;
  EXPECT_EQ(bad, "") << "malformed or wrongly checksummed frames in " << file;
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  g_peer = new KernelPeer;
  ::testing::AddGlobalTestEnvironment(g_peer);
  return RUN_ALL_TESTS();
}
