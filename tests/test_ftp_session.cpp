// Submissions as the exports make them: the callbacks of the ...Ex calls,
// the routing of the three reports (callbacks, else the host's services)
// and the built-in file operations over a sandbox, with the engine running
// over the scripted fake transport.
#include <gtest/gtest.h>

#include <stdarg.h>

#include <string>
#include <vector>

#include "bridge/fsp.h"
#include "host/services/dispatch.h"
#include "host/services/loader.h"
#include "support/sandbox.h"
#include "tests/test_ftp_fake.h"
#include "wharf/config.h"
#include "wharf/ftp/session.h"

namespace {

using namespace ftp_fake;

std::vector<std::string> g_log;

void Log(const std::string& who, const std::string& what) { g_log.push_back(who + ":" + what); }
std::string Completion(int op, const char* text) {
  return "C" + std::to_string(op) + (text ? std::string("=") + text : std::string());
}

void ErrorA(int code) { Log("A", "E" + std::to_string(code)); }
void CompletionA(int op, const char* text) { Log("A", Completion(op, text)); }
void StatusA(int code, void*) { Log("A", "S" + std::to_string(code)); }
void ErrorB(int code) { Log("B", "E" + std::to_string(code)); }
void CompletionB(int op, const char* text) { Log("B", Completion(op, text)); }
void StatusB(int code, void*) { Log("B", "S" + std::to_string(code)); }

const WharfExCallbacks kCallbacksA = {ErrorA, CompletionA, StatusA};
const WharfExCallbacks kCallbacksB = {ErrorB, CompletionB, StatusB};

class FtpSession : public ::testing::Test {
 protected:
  void SetUp() override {
    g_log.clear();
    FspInitCopy(&sandbox.files().table());
    error_service = host::RegisterService("ftp error", [](int, va_list a) {
      Log("host", "E" + std::to_string(va_arg(a, int)));
      return 1;
    });
    completion_service = host::RegisterService("ftp completion", [](int, va_list a) {
      int op = va_arg(a, int);
      const char* text = va_arg(a, const char*);
      Log("host", Completion(op, text));
      return 1;
    });
    status_service = host::RegisterService("ftp status", [this](int, va_list a) {
      int code = va_arg(a, int);
      uintptr_t value = reinterpret_cast<uintptr_t>(va_arg(a, void*));
      if (code == 8 || code == 9) last_counter = value;
      else Log("host", "S" + std::to_string(code));
      return 1;
    });
    WHARF_INIT_PARAMS p = {};
    p.size = sizeof p;
    const uint8_t ip[4] = {192, 168, 1, 20};
    memcpy(p.own_ip, ip, 4);
    strcpy(p.user, "anna");
    strcpy(p.password, "secret");
    p.dispatch = HostDispatchEntry;
    p.error_report = error_service;
    p.completion_report = completion_service;
    p.status_report = status_service;
    WharfConfigInstall(&p);
    WharfSetCallbacks(nullptr, nullptr, nullptr);

    transport = FakeTransportTable(&fake);
    FtpClientInit(c);
    c.transport = &transport;
    c.sink = {WharfReportError, WharfReportCompletion, WharfReportStatus};
    c.shared_operation = &g_wharf_file_state.current_operation;
    FtpSetLogin(c, p.own_ip, p.user, p.password);
    FtpResetProtocol(c, clock);
  }
  void TearDown() override {
    WharfSetCallbacks(nullptr, nullptr, nullptr);
    host::UnregisterService(error_service);
    host::UnregisterService(completion_service);
    host::UnregisterService(status_service);
    WHARF_INIT_PARAMS none = {};
    WharfConfigInstall(&none);
  }

  FakeLink& control() { return fake.link[kFtpControl]; }
  FakeLink& data() { return fake.link[kFtpData]; }
  void Pass() { FtpPass(c, clock += 10); }
  void Reply(const std::string& text) {
    control().inbox += text;
    Pass();
  }
  void Login() {
    Pass();
    control().state = kLinkEstablished;
    Pass();
    Reply("220 ready\r\n");
    Reply("230 in\r\n");
    Pass();
    Reply("200 binary\r\n");
    ASSERT_EQ(c.state, kFtpReady);
  }
  // Ready with a transfer current -> data flowing.
  void Transfer() {
    Pass();
    Reply("200 PORT ok\r\n");
    ASSERT_EQ(c.state, kFtpTransferring);
    data().state = kLinkEstablished;
  }
  std::vector<std::string> Without(const std::string& prefix) const {
    std::vector<std::string> kept;
    for (auto& e : g_log) if (e.rfind(prefix, 0) != 0) kept.push_back(e);
    return kept;
  }

  testing_support::Sandbox sandbox;
  uint32_t error_service = 0, completion_service = 0, status_service = 0;
  uintptr_t last_counter = 0;
  FakeTransport fake;
  FtpTransport transport;
  FtpClient c;
  uint32_t clock = 5000;
};

TEST_F(FtpSession, RetrieveExWhileBusyKeepsTheRunningCallbacks) {
  EXPECT_EQ(WharfSubmit(c, kOpRetrieve, "first", "c:\\FIRST.BIN", &kCallbacksA), 1);
  Login();
  Transfer();
  data().inbox = "first data";
  Pass();
  EXPECT_EQ(WharfSubmit(c, kOpRetrieve, "second", "c:\\SECOND.BIN", &kCallbacksB), 0);
  data().state = kLinkCloseWait;
  Reply("226 done\r\n");
  Pass();
  // The first transfer ends with its own completion; then the callbacks
  // are cleared and the queued retrieve reports to the host's services.
  EXPECT_FALSE(WharfCallbacksInstalled());
  EXPECT_EQ(g_log.back(), "A:C4");
  data().state = kLinkClosed;
  Pass();
  EXPECT_EQ(std::string(c.remote), "second");
  Reply("200 PORT ok\r\n");
  data().state = kLinkEstablished;
  data().inbox = "second data";
  Pass();
  data().state = kLinkCloseWait;
  Reply("226 done\r\n");
  Pass();
  EXPECT_EQ(g_log.back(), "host:C4");
  for (auto& e : g_log) EXPECT_NE(e.substr(0, 2), "B:") << e;
  EXPECT_EQ(sandbox.Read("c:\\FIRST.BIN"), "first data");
  EXPECT_EQ(sandbox.Read("c:\\SECOND.BIN"), "second data");
}

TEST_F(FtpSession, ExWhenIdleReplacesTheCallbacksNullsIncluded) {
  WharfSetCallbacks(ErrorA, CompletionA, StatusA);
  WharfExCallbacks only_completion = {nullptr, CompletionB, nullptr};
  EXPECT_EQ(WharfSubmit(c, kOpCwd, "/nowhere", nullptr, &only_completion), 1);
  Login();
  Pass();
  Reply("550 no such directory\r\n");
  EXPECT_EQ(Without("host:S"), std::vector<std::string>{"host:E-53"});
}

TEST_F(FtpSession, PwdCompletionTextReachesTheCallback) {
  WharfSubmit(c, kOpPwd, nullptr, nullptr, &kCallbacksA);
  Login();
  Pass();
  Reply("257 \"/data/programs\" is current\r\n");
  EXPECT_EQ(g_log.back(), "A:C3=\"/data/programs\"");
  EXPECT_FALSE(WharfCallbacksInstalled());
}

TEST_F(FtpSession, OverlongArgumentIsRefusedWithBadPath) {
  std::string too_long(kFtpArgumentMax + 1, 'x');
  EXPECT_EQ(WharfSubmit(c, kOpRetrieve, too_long.c_str(), "c:\\X", &kCallbacksA), 0);
  EXPECT_EQ(g_log, std::vector<std::string>{"A:E-5"});
  EXPECT_FALSE(WharfCallbacksInstalled());
  EXPECT_EQ(c.operation, kOpNone);
  EXPECT_EQ(WharfSubmit(c, kOpCwd, too_long.c_str(), nullptr, nullptr), 0);
  EXPECT_EQ(g_log.back(), "host:E-5");
  Pass();
  EXPECT_EQ(c.state, kFtpIdle);  // nothing was started
}

TEST_F(FtpSession, StoreReadsTheSandboxFileAndCountsItsBytes) {
  std::string content(3000, 'q');
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 13);
  sandbox.Write("c:\\UP.BIN", content);
  WharfSubmit(c, kOpStore, "up.bin", "c:\\UP.BIN", nullptr);
  Login();
  Transfer();
  for (int i = 0; i < 6; ++i) Pass();
  EXPECT_EQ(data().sent, content);
  EXPECT_EQ(last_counter, content.size());
  Reply("226 stored\r\n");
  data().state = kLinkClosed;
  Pass();
  EXPECT_EQ(g_log.back(), "host:C5");
}

TEST_F(FtpSession, MissingSourceFileReportsTheHostErrorOnly) {
  WharfSubmit(c, kOpStore, "x", "c:\\MISSING.BIN", &kCallbacksA);
  Login();
  g_log.clear();
  Pass();
  EXPECT_EQ(g_log, std::vector<std::string>{"A:E-5"});
  EXPECT_EQ(c.operation, kOpNone);
  EXPECT_EQ(c.state, kFtpReady);
}

TEST_F(FtpSession, DoneWhenIdleReportsToTheHost) {
  FtpRequestLogout(c);
  EXPECT_EQ(g_log, std::vector<std::string>{"host:C0"});
}

}  // namespace

// ---- The exports of the built library ------------------------------------------

namespace {

std::vector<std::string> g_export_log;

class WharfExports : public ::testing::Test {
 protected:
  void SetUp() override {
    g_export_log.clear();
    std::string error;
    ASSERT_TRUE(lib.Open(testing_support::LibraryFile("Wharf"), &error)) << error;
    completion = host::RegisterService("exports completion", [](int, va_list a) {
      int op = va_arg(a, int);
      g_export_log.push_back("C" + std::to_string(op));
      return 1;
    });
    error_service = host::RegisterService("exports error", [](int, va_list a) {
      g_export_log.push_back("E" + std::to_string(va_arg(a, int)));
      return 1;
    });
  }
  void TearDown() override {
    host::UnregisterService(completion);
    host::UnregisterService(error_service);
  }
  int Init(uint16_t size = sizeof(WHARF_INIT_PARAMS)) {
    WHARF_INIT_PARAMS p = {};
    p.size = size;
    p.dispatch = HostDispatchEntry;
    p.error_report = error_service;
    p.completion_report = completion;
    return lib.Bind<int (*)(void*)>("wharfInit")(&p);
  }

  host::Library lib;
  uint32_t completion = 0, error_service = 0;
};

// Declared first: the library is loaded once per process and this test
// needs it before any wharfInit.
TEST_F(WharfExports, EverythingIsInertBeforeInit) {
  EXPECT_EQ(lib.Bind<int (*)(uint32_t)>("wharfSetReplyTimeOut")(10), 0);
  EXPECT_EQ(lib.Bind<int (*)()>("wharfDone")(), 0);
  EXPECT_EQ(lib.Bind<int (*)()>("wharfCancel")(), 0);
  EXPECT_EQ(lib.Bind<int (*)()>("wharfPWD")(), 0);
  EXPECT_EQ(lib.Bind<int (*)(const char*, const char*)>("wharfRetr")("a", "c:\\A"), 0);
  EXPECT_EQ(lib.Bind<int (*)(void*)>("wharfInit")(nullptr), 0);
  EXPECT_TRUE(g_export_log.empty());
}

TEST_F(WharfExports, DoneRightAfterInitCompletesAtOnce) {
  ASSERT_EQ(Init(), 1);
  EXPECT_EQ(lib.Bind<int (*)()>("wharfDone")(), 1);
  EXPECT_EQ(g_export_log, std::vector<std::string>{"C0"});
}

TEST_F(WharfExports, OperationsStartAndQueue) {
  ASSERT_EQ(Init(), 1);
  EXPECT_EQ(lib.Bind<int (*)(const char*)>("wharfCWD")("/a"), 1);
  EXPECT_EQ(lib.Bind<int (*)()>("wharfCdUp")(), 0);  // queued behind the CWD
  std::string too_long(kFtpArgumentMax + 1, 'p');
  EXPECT_EQ(lib.Bind<int (*)(const char*)>("wharfCWD")(too_long.c_str()), 0);
  EXPECT_EQ(g_export_log, std::vector<std::string>{"E-5"});
  EXPECT_EQ(lib.Bind<int (*)(uint32_t)>("wharfSetReplyTimeOut")(500), 1);
}

TEST_F(WharfExports, ShortRecordLeavesTheServicesOut) {
  ASSERT_EQ(Init(40), 1);
  EXPECT_EQ(lib.Bind<int (*)()>("wharfDone")(), 1);
  EXPECT_TRUE(g_export_log.empty());  // no report service in the first 40 bytes
}

}  // namespace
