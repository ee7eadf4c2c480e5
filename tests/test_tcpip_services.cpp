// Wharf's host services: the configuration record's copy rules, the routing
// of the three reports, the six built-in file operations over the host's
// file services, and the frame services as the loaded library uses them.
#include <stdarg.h>
#include <string.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bridge/fsp.h"
#include "host/services/dispatch.h"
#include "host/services/loader.h"
#include "host/net/net_frames.h"
#include "tests/support/sandbox.h"
#include "tests/test_tcpip_frames.h"
#include "wharf/config.h"
#include "wharf/services.h"

namespace {

struct Call {
  std::string service;
  int code;
  const void* pointer;
  int count;
};
std::vector<Call> g_calls;

void OnError(int code) { g_calls.push_back({"error callback", code, nullptr, 1}); }
void OnCompletion(int op, const char* text) {
  g_calls.push_back({"completion callback", op, text, 2});
}
void OnStatus(int code, void* value) { g_calls.push_back({"status callback", code, value, 2}); }

// Registers the three report services and installs a configuration.
class ServicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_calls.clear();
    error_ = host::RegisterService("error report", [](int count, va_list a) {
      g_calls.push_back({"error report", va_arg(a, int), nullptr, count});
      return 1;
    });
    completion_ = host::RegisterService("completion report", [](int count, va_list a) {
      int op = va_arg(a, int);
      const char* text = va_arg(a, const char*);
      g_calls.push_back({"completion report", op, text, count});
      return 1;
    });
    status_ = host::RegisterService("status report", [](int count, va_list a) {
      int code = va_arg(a, int);
      void* value = va_arg(a, void*);
      g_calls.push_back({"status report", code, value, count});
      return 1;
    });
    WHARF_INIT_PARAMS p{};
    p.size = sizeof p;
    p.dispatch = HostDispatchEntry;
    p.error_report = error_;
    p.completion_report = completion_;
    p.status_report = status_;
    ASSERT_EQ(WharfConfigInstall(&p), 1);
    WharfSetCallbacks(nullptr, nullptr, nullptr);
    FspInitCopy(&sandbox_.files().table());
    g_wharf_file_state = {};
  }
  void TearDown() override {
    host::UnregisterService(error_);
    host::UnregisterService(completion_);
    host::UnregisterService(status_);
    EXPECT_EQ(sandbox_.files().open_handles(), 0) << "a file was left open";
  }

  testing_support::Sandbox sandbox_;
  uint32_t error_ = 0, completion_ = 0, status_ = 0;
};

TEST_F(ServicesTest, RecordCopyFollowsTheSizeWord) {
  WHARF_INIT_PARAMS p;
  memset(&p, 0x11, sizeof p);
  p.size = 40;
  ASSERT_EQ(WharfConfigInstall(&p), 1);
  EXPECT_EQ(g_wharf_config.password[2], 0x11);  // offset 39: copied
  EXPECT_EQ(g_wharf_config.password[3], 0);     // offset 40: cleared
  EXPECT_EQ(g_wharf_config.dispatch, nullptr);
  EXPECT_EQ(g_wharf_config.send_frame, 0u);
  EXPECT_EQ(g_wharf_config.own_ip[0], 0x11);
  // Larger than the record: 78 bytes are taken, and the strings end.
  p.size = 500;
  ASSERT_EQ(WharfConfigInstall(&p), 1);
  EXPECT_EQ(g_wharf_config.receive_frame, 0x11111111u);
  EXPECT_EQ(strlen(g_wharf_config.user), 16u);
  EXPECT_EQ(strlen(g_wharf_config.password), 16u);
  // A null record keeps the earlier copy.
  EXPECT_EQ(WharfConfigInstall(nullptr), 0);
  EXPECT_EQ(g_wharf_config.receive_frame, 0x11111111u);
}

TEST_F(ServicesTest, ReportsGoToServicesUnlessCallbacksAreInstalled) {
  WharfReportError(-40);
  WharfReportStatus(1, nullptr);
  WharfReportCompletion(3, "\"/data\"");
  ASSERT_EQ(g_calls.size(), 3u);
  EXPECT_EQ(g_calls[0].service, "error report");
  EXPECT_EQ(g_calls[0].code, -40);
  EXPECT_EQ(g_calls[0].count, 1);
  EXPECT_EQ(g_calls[1].service, "status report");
  EXPECT_EQ(g_calls[1].count, 2);
  EXPECT_EQ(g_calls[2].service, "completion report");
  EXPECT_EQ(g_calls[2].count, 3);
  EXPECT_STREQ(static_cast<const char*>(g_calls[2].pointer), "\"/data\"");

  g_calls.clear();
  WharfSetCallbacks(OnError, OnCompletion, OnStatus);
  WharfReportError(-57);
  WharfReportStatus(8, reinterpret_cast<void*>(1234));
  WharfReportCompletion(4, nullptr);  // clears the callbacks afterwards
  WharfReportError(-60);
  ASSERT_EQ(g_calls.size(), 4u);
  EXPECT_EQ(g_calls[0].service, "error callback");
  EXPECT_EQ(g_calls[1].service, "status callback");
  EXPECT_EQ(g_calls[1].pointer, reinterpret_cast<void*>(1234));
  EXPECT_EQ(g_calls[2].service, "completion callback");
  EXPECT_EQ(g_calls[3].service, "error report");
  EXPECT_FALSE(WharfCallbacksInstalled());
}

TEST_F(ServicesTest, AbsentServicesDropReports) {
  WHARF_INIT_PARAMS p{};
  p.size = sizeof p;
  p.error_report = error_;  // but no dispatch entry
  WharfConfigInstall(&p);
  WharfReportError(-41);
  WharfReportCompletion(0, nullptr);
  EXPECT_TRUE(g_calls.empty());
}

TEST_F(ServicesTest, WharfKeepsNoSeekSlot) {
  EXPECT_EQ(g_fsp.size, 58);
  uint32_t position = 0;
  EXPECT_EQ(FspSeek(1, 0, kFspSeekStart, &position), kStatusServiceAbsent);
}

TEST_F(ServicesTest, ReadOperationCountsAndReportsEveryBlock) {
  sandbox_.Write("c:\\up.bin", std::string(1500, 'u'));
  const WharfFileOps& ops = g_wharf_file_ops;
  EXPECT_EQ(ops.buffer_size(), 1024u);
  ASSERT_EQ(ops.open_read("c:\\up.bin"), 1);
  uint8_t buffer[1024];
  int end = -1;
  EXPECT_EQ(ops.read(1024, buffer, &end), 1024u);
  EXPECT_EQ(end, 0);
  uint32_t total = 1024;
  while (end == 0) total += ops.read(1024, buffer, &end);
  EXPECT_EQ(total, 1500u);
  EXPECT_EQ(g_wharf_file_state.byte_counter, 1500u);
  ASSERT_FALSE(g_calls.empty());
  EXPECT_EQ(g_calls.back().service, "status report");
  EXPECT_EQ(g_calls.back().code, 9);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(g_calls.back().pointer), 1500u);
  g_calls.clear();
  g_wharf_file_state.current_operation = 5;
  EXPECT_EQ(ops.close(0), 0);
  ASSERT_EQ(g_calls.size(), 1u);
  EXPECT_EQ(g_calls[0].service, "completion report");
  EXPECT_EQ(g_calls[0].code, 5);
}

TEST_F(ServicesTest, WriteOperationStoresAndReports) {
  const WharfFileOps& ops = g_wharf_file_ops;
  ASSERT_EQ(ops.open_write("c:\\down.bin"), 1);
  EXPECT_EQ(ops.write(5, "hello"), 1);
  EXPECT_EQ(ops.write(6, " world"), 1);
  EXPECT_EQ(g_calls.back().code, 8);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(g_calls.back().pointer), 11u);
  ops.close(0);
  EXPECT_EQ(sandbox_.Read("c:\\down.bin"), "hello world");
}

TEST_F(ServicesTest, FailedOpenReportsTheHostStatus) {
  EXPECT_EQ(g_wharf_file_ops.open_read("c:\\missing.bin"), 0);
  ASSERT_EQ(g_calls.size(), 1u);
  EXPECT_EQ(g_calls[0].service, "error report");
  EXPECT_LT(g_calls[0].code, 0);
}

TEST_F(ServicesTest, FailedWriteAndReadReportTheHostStatus) {
  const WharfFileOps& ops = g_wharf_file_ops;
  ASSERT_EQ(ops.open_write("c:\\w.bin"), 1);
  sandbox_.files().FailCall(kFspWrite, 1, host::kHostIoError);
  EXPECT_EQ(ops.write(3, "abc"), 0);
  EXPECT_EQ(g_calls.back().service, "error report");
  EXPECT_EQ(g_calls.back().code, host::kHostIoError);
  ops.close(0);
  sandbox_.Write("c:\\r.bin", "data");
  ASSERT_EQ(ops.open_read("c:\\r.bin"), 1);
  sandbox_.files().FailCall(kFspRead, 1, host::kHostIoError);
  int end = 0;
  EXPECT_EQ(ops.read(100, g_calls.data(), &end), 0u);
  EXPECT_EQ(end, 1);
  ops.close(0);
}

// --- The loaded library ------------------------------------------------------

using tcpip_test::Frame;

class WharfLibraryTest : public ::testing::Test {
 protected:
  using InitFn = int (*)(WHARF_INIT_PARAMS*);
  using ContFn = int (*)();
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(lib_.Open(testing_support::LibraryFile("Wharf"), &error)) << error;
    init_ = lib_.Bind<InitFn>("wharfInit");
    cont_ = lib_.Bind<ContFn>("wharfCont");
    ASSERT_NE(init_, nullptr);
    ASSERT_NE(cont_, nullptr);
    ASSERT_NE(lib_.Symbol("FSPInit"), nullptr);
  }
  WHARF_INIT_PARAMS Record() {
    WHARF_INIT_PARAMS p{};
    p.size = sizeof p;
    const uint8_t mac[6] = {0x02, 0, 0, 0, 0, 0x02};
    const uint8_t own[4] = {10, 200, 0, 2}, peer[4] = {10, 200, 0, 1};
    memcpy(p.own_mac, mac, 6);
    memcpy(p.own_ip, own, 4);
    memcpy(p.server_ip, peer, 4);
    memcpy(p.next_hop_ip, peer, 4);
    p.dispatch = HostDispatchEntry;
    p.send_frame = services_.send_handle();
    p.receive_frame = services_.receive_handle();
    return p;
  }
  // Runs the library until a frame arrives at the test's end of the link.
  Frame NextFrame() {
    uint8_t buffer[1520];
    for (int i = 0; i < 10; ++i) {
      cont_();
      size_t n = link_.b().Receive(buffer, sizeof buffer);
      if (n > 0) return Frame(buffer, buffer + n);
    }
    return Frame();
  }

  host::Library lib_;
  InitFn init_ = nullptr;
  ContFn cont_ = nullptr;
  host::FrameLink link_;
  host::FrameServices services_{link_.a()};
};

TEST_F(WharfLibraryTest, NullRecordIsRefused) { EXPECT_EQ(init_(nullptr), 0); }

TEST_F(WharfLibraryTest, ShortRecordLeavesTheFrameServicesOut) {
  WHARF_INIT_PARAMS p = Record();
  p.size = 40;
  ASSERT_EQ(init_(&p), 1);
  EXPECT_TRUE(NextFrame().empty());
  EXPECT_EQ(link_.counters_a_to_b().sent, 0u);
}

TEST_F(WharfLibraryTest, ResolvesTheNextHopAndAnswersPing) {
  WHARF_INIT_PARAMS p = Record();
  ASSERT_EQ(init_(&p), 1);
  Frame request = NextFrame();
  ASSERT_EQ(request.size(), 42u);
  EXPECT_EQ(tcpip_test::Get16(request, 12), 0x0806);
  EXPECT_EQ(tcpip_test::Get16(request, 20), 1);

  tcpip_test::Endpoints net = {{{0x02, 0, 0, 0, 0, 0x01}},
                               {{0x02, 0, 0, 0, 0, 0x02}},
                               {{10, 200, 0, 1}},
                               {{10, 200, 0, 2}}};
  Frame reply = tcpip_test::ArpFrame(net.own_mac, net.peer_mac, net.peer_ip, net.own_mac,
                                     net.own_ip, 2);
  link_.b().Send(reply.data(), reply.size());
  cont_();
  Frame ping = tcpip_test::PingFrame(net, 21);
  link_.b().Send(ping.data(), ping.size());
  Frame pong = NextFrame();
  ASSERT_EQ(pong.size(), ping.size());
  EXPECT_EQ(pong[34], 0);
  EXPECT_EQ(tcpip_test::Fold(tcpip_test::Sum16(pong, 34, 8 + 21)), 0);
}

}  // namespace
