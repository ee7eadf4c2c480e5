// The Wharf library against a real vsftpd, in active mode, through a TAP
// device. Runs under tools/vsftpd-run.sh, which starts the server in a
// private network namespace and passes its set-up in the environment; the
// tests poll the library with bounded deadlines.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <signal.h>
#include <stdarg.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "host/services/dispatch.h"
#include "host/services/loader.h"
#include "host/net/net_frames.h"
#include "tests/support/ftp_server.h"
#include "support/sandbox.h"
#include "wharf/config.h"

namespace {

using testing_support::Descendants;
using testing_support::Env;
using testing_support::Fnv1a;
using testing_support::Pattern;
using testing_support::ReadFile;
using testing_support::Seconds;
using testing_support::WriteFile;

struct Event {
  char kind;  // 'E' error, 'C' completion, 'S' status
  int code;
  std::string text;
};

typedef int (*InitFn)(void*);
typedef int (*VoidFn)();
typedef int (*OneFn)(const char*);
typedef int (*TwoFn)(const char*, const char*);
typedef int (*TimeOutFn)(uint32_t);

// The library, the TAP device and the host's services: one set for the
// whole run (the library keeps one client).
struct World {
  host::Library lib;
  InitFn fsp_init = nullptr, init = nullptr;
  VoidFn cont = nullptr, done = nullptr, cancel = nullptr, pwd = nullptr, cdup = nullptr;
  OneFn list = nullptr, list_w = nullptr, cwd = nullptr;
  TwoFn retr = nullptr, stor = nullptr;
  TimeOutFn set_time_out = nullptr;

  host::TapDevice tap;
  host::FrameLink link{7};
  bool faulty = false;
  std::unique_ptr<host::FrameServices> frames;
  testing_support::Sandbox sandbox;
  uint32_t error_h = 0, completion_h = 0, status_h = 0;
  std::vector<Event> events;
  uint32_t bytes = 0;
  uint64_t calls = 0;
  double start = Seconds();

  // Library side: the TAP device directly, or the faulty link's near end.
  struct Switch : host::FrameEndpoint {
    World* w;
    uint64_t received = 0;
    bool Send(const uint8_t* f, size_t n) override {
      return w->faulty ? w->link.a().Send(f, n) : w->tap.Send(f, n);
    }
    size_t Receive(uint8_t* b, size_t cap) override {
      size_t n = w->faulty ? w->link.a().Receive(b, cap) : w->tap.Receive(b, cap);
      if (n) ++received;
      return n;
    }
  } side;

  std::string error;

  bool Open() {
    side.w = this;
    if (!lib.Open(testing_support::LibraryFile("Wharf"), &error)) return false;
    fsp_init = lib.Bind<InitFn>("FSPInit");
    init = lib.Bind<InitFn>("wharfInit");
    cont = lib.Bind<VoidFn>("wharfCont");
    done = lib.Bind<VoidFn>("wharfDone");
    cancel = lib.Bind<VoidFn>("wharfCancel");
    pwd = lib.Bind<VoidFn>("wharfPWD");
    cdup = lib.Bind<VoidFn>("wharfCdUp");
    list = lib.Bind<OneFn>("wharfList");
    list_w = lib.Bind<OneFn>("wharfListW");
    cwd = lib.Bind<OneFn>("wharfCWD");
    retr = lib.Bind<TwoFn>("wharfRetr");
    stor = lib.Bind<TwoFn>("wharfStor");
    set_time_out = lib.Bind<TimeOutFn>("wharfSetReplyTimeOut");
    if (!tap.Open(Env("FTP_TAP"), &error)) return false;
    frames = std::make_unique<host::FrameServices>(side);
    error_h = host::RegisterService("ftp error", [this](int, va_list a) {
      events.push_back({'E', va_arg(a, int), ""});
      return 1;
    });
    completion_h = host::RegisterService("ftp completion", [this](int, va_list a) {
      int op = va_arg(a, int);
      const char* text = va_arg(a, const char*);
      events.push_back({'C', op, text ? text : ""});
      return 1;
    });
    status_h = host::RegisterService("ftp status", [this](int, va_list a) {
      int code = va_arg(a, int);
      uintptr_t value = reinterpret_cast<uintptr_t>(va_arg(a, void*));
      if (code == 8 || code == 9) bytes = static_cast<uint32_t>(value);
      else events.push_back({'S', code, ""});
      return 1;
    });
    return true;
  }

  void Pass() {
    if (faulty) {
      link.SetTime(static_cast<uint64_t>((Seconds() - start) * 1000));
      uint8_t buffer[2048];
      size_t n;
      while ((n = link.b().Receive(buffer, sizeof buffer)) > 0) tap.Send(buffer, n);
      while ((n = tap.Receive(buffer, sizeof buffer)) > 0) link.b().Send(buffer, n);
    }
    uint64_t before = side.received;
    cont();
    ++calls;
    if (side.received == before) usleep(20);
  }
};

World* g_world = nullptr;

class Vsftpd : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (Env("FTP_ROOT").empty()) return;
    g_world = new World;
    if (!g_world->Open()) {
      fprintf(stderr, "set-up failed: %s\n", g_world->error.c_str());
      delete g_world;
      g_world = nullptr;
    }
  }
  static void TearDownTestSuite() {
    if (g_world) {
      host::UnregisterService(g_world->error_h);
      host::UnregisterService(g_world->completion_h);
      host::UnregisterService(g_world->status_h);
    }
    delete g_world;
    g_world = nullptr;
  }

  void SetUp() override {
    if (Env("FTP_ROOT").empty()) GTEST_SKIP() << "run through tools/vsftpd-run.sh";
    ASSERT_NE(g_world, nullptr) << "library or TAP device could not be opened";
    w = g_world;
    w->faulty = false;
    root = Env("FTP_ROOT");
    Init(Env("FTP_USER"), Env("FTP_PASSWORD"));
  }
  void TearDown() override {
    if (!w) return;
    w->faulty = false;
    Logout();
  }

  void Init(const std::string& user, const std::string& password) {
    WHARF_INIT_PARAMS p = {};
    p.size = sizeof p;
    const uint8_t mac[6] = {0x02, 0x00, 0x00, 0x77, 0x00, 0x02};
    memcpy(p.own_mac, mac, 6);
    ASSERT_EQ(sscanf(Env("FTP_CLIENT_IP").c_str(), "%hhu.%hhu.%hhu.%hhu", &p.own_ip[0], &p.own_ip[1],
                     &p.own_ip[2], &p.own_ip[3]), 4);
    ASSERT_EQ(sscanf(Env("FTP_SERVER").c_str(), "%hhu.%hhu.%hhu.%hhu", &p.server_ip[0],
                     &p.server_ip[1], &p.server_ip[2], &p.server_ip[3]), 4);
    memcpy(p.next_hop_ip, p.server_ip, 4);
    strncpy(p.user, user.c_str(), 16);
    strncpy(p.password, password.c_str(), 16);
    p.dispatch = HostDispatchEntry;
    p.error_report = w->error_h;
    p.completion_report = w->completion_h;
    p.status_report = w->status_h;
    p.send_frame = w->frames->send_handle();
    p.receive_frame = w->frames->receive_handle();
    ASSERT_EQ(w->fsp_init(const_cast<FSP_INIT_PARAMS*>(&w->sandbox.files().table())), 1);
    ASSERT_EQ(w->init(&p), 1);
    ASSERT_EQ(w->set_time_out(2000), 1);
  }

  // Runs passes until a completion or an error arrives (the end of an
  // operation as the file manager sees it); a few more passes then collect
  // what follows at once. False on the deadline.
  bool Wait(double deadline_s, uint32_t cancel_at = 0,
            std::function<void()> at_bytes = nullptr, uint32_t at = 0) {
    double end = Seconds() + deadline_s;
    bool fired = false;
    for (;;) {
      for (auto& e : w->events)
        if (e.kind == 'C' || e.kind == 'E') {
          for (int i = 0; i < 20; ++i) w->Pass();
          return true;
        }
      if (Seconds() > end) return false;
      w->Pass();
      if (!fired && w->bytes >= (cancel_at ? cancel_at : at) && (cancel_at || at_bytes)) {
        fired = true;
        if (cancel_at) w->cancel();
        if (at_bytes) at_bytes();
      }
    }
  }
  // Submits and waits; returns the reports of the operation.
  std::vector<Event> Run(const std::function<int()>& submit, double deadline_s = 30) {
    w->events.clear();
    w->bytes = 0;
    EXPECT_EQ(submit(), 1);
    EXPECT_TRUE(Wait(deadline_s)) << "no completion within " << deadline_s << " s";
    return w->events;
  }
  void Logout() {
    w->events.clear();
    w->done();
    Wait(10);
  }
  static bool Has(const std::vector<Event>& ev, char kind, int code) {
    for (auto& e : ev) if (e.kind == kind && e.code == code) return true;
    return false;
  }
  static bool NoErrors(const std::vector<Event>& ev) {
    for (auto& e : ev) if (e.kind == 'E') return false;
    return true;
  }
  // The reports of a run, for the message of a failed check.
  static std::string Reports(const std::vector<Event>& ev) {
    std::string out;
    for (auto& e : ev)
      if (e.kind != 'S') out += std::string(1, e.kind) + std::to_string(e.code) + " " + e.text + "; ";
    return out;
  }
  std::string Local(const std::string& dos) const { return w->sandbox.Read(dos); }

  World* w = nullptr;
  std::string root;
};

TEST_F(Vsftpd, AnonymousLoginListsAndReads) {
  Logout();
  Init("anonymous", "wharf@");
  WriteFile(root + "/anon/notes.txt", "anonymous content\n");
  auto ev = Run([&] { return w->pwd(); });
  ASSERT_TRUE(NoErrors(ev));
  EXPECT_EQ(ev.back().text, "\"/\"");
  ev = Run([&] { return w->list("c:\\NAMES.TXT"); });
  EXPECT_TRUE(NoErrors(ev));
  EXPECT_NE(Local("c:\\NAMES.TXT").find("notes.txt"), std::string::npos);
  ev = Run([&] { return w->retr("notes.txt", "c:\\NOTES.TXT"); });
  EXPECT_TRUE(NoErrors(ev));
  EXPECT_EQ(Local("c:\\NOTES.TXT"), "anonymous content\n");
}

TEST_F(Vsftpd, UserLoginWalksDirectories) {
  mkdir((root + "/user/programs").c_str(), 0755);
  WriteFile(root + "/user/programs/part1.knf", "x");
  WriteFile(root + "/user/programs/part2.knf", "y");
  auto ev = Run([&] { return w->cwd("programs"); });
  EXPECT_TRUE(NoErrors(ev));
  EXPECT_TRUE(Has(ev, 'C', 6));
  ev = Run([&] { return w->pwd(); });
  EXPECT_EQ(ev.back().text, "\"/programs\"");
  ev = Run([&] { return w->list("c:\\NLST.TXT"); });
  std::string names = Local("c:\\NLST.TXT");
  EXPECT_NE(names.find("part1.knf"), std::string::npos);
  EXPECT_NE(names.find("part2.knf"), std::string::npos);
  ev = Run([&] { return w->list_w("c:\\LIST.TXT"); });
  EXPECT_TRUE(Has(ev, 'C', 2));
  EXPECT_NE(Local("c:\\LIST.TXT").find("-rw-r--r--"), std::string::npos);
  ev = Run([&] { return w->cdup(); });
  EXPECT_TRUE(Has(ev, 'C', 7));
  ev = Run([&] { return w->pwd(); });
  EXPECT_EQ(ev.back().text, "\"/\"");
  ev = Run([&] { return w->cwd("no-such-dir"); }, 10);
  EXPECT_TRUE(Has(ev, 'E', -53));
}

TEST_F(Vsftpd, WrongPasswordIsRefused) {
  Logout();
  Init(Env("FTP_USER"), "wrong");
  w->events.clear();
  ASSERT_EQ(w->pwd(), 1);
  ASSERT_TRUE(Wait(20));
  EXPECT_TRUE(Has(w->events, 'E', -47));
  double end = Seconds() + 10;
  while (!Has(w->events, 'C', 0) && Seconds() < end) w->Pass();
  EXPECT_TRUE(Has(w->events, 'C', 0));  // the login ended with QUIT
}

TEST_F(Vsftpd, RetrieveAndStoreAreByteIdentical) {
  const size_t sizes[] = {0, 1, 535, 536, 537, 1072, 100000, 5000000};
  for (size_t n : sizes) {
    SCOPED_TRACE("size " + std::to_string(n));
    std::string content = Pattern(n, static_cast<uint32_t>(n));
    std::string name = "r" + std::to_string(n) + ".bin";
    WriteFile(root + "/user/" + name, content);
    auto ev = Run([&] { return w->retr(name.c_str(), "c:\\GOT.BIN"); }, 120);
    EXPECT_TRUE(NoErrors(ev));
    EXPECT_TRUE(Has(ev, 'C', 4));
    std::string got = Local("c:\\GOT.BIN");
    EXPECT_EQ(got.size(), n);
    EXPECT_EQ(Fnv1a(got), Fnv1a(content));

    std::string up = Pattern(n, static_cast<uint32_t>(n) + 99);
    w->sandbox.Write("c:\\PUT.BIN", up);
    std::string remote = "s" + std::to_string(n) + ".bin";
    ev = Run([&] { return w->stor("c:\\PUT.BIN", remote.c_str()); }, 120);
    EXPECT_TRUE(NoErrors(ev));
    EXPECT_TRUE(Has(ev, 'C', 5));
    std::string stored = ReadFile(root + "/user/" + remote);
    EXPECT_EQ(stored.size(), n);
    EXPECT_EQ(Fnv1a(stored), Fnv1a(up));
  }
}

TEST_F(Vsftpd, MissingFileReportsMinus57AndTheLoginStaysUsable) {
  auto ev = Run([&] { return w->retr("missing.bin", "c:\\MISSING.BIN"); });
  EXPECT_TRUE(Has(ev, 'E', -57));
  WriteFile(root + "/user/after.txt", "still here");
  ev = Run([&] { return w->retr("after.txt", "c:\\AFTER.TXT"); });
  EXPECT_TRUE(NoErrors(ev));
  EXPECT_EQ(Local("c:\\AFTER.TXT"), "still here");
  // Only one login: no second greeting, no connection status.
  EXPECT_FALSE(Has(ev, 'S', 1));
}

TEST_F(Vsftpd, CancelDuringDownloadCompletesThenReportsMinus65) {
  WriteFile(root + "/user/big.bin", Pattern(5000000, 5));
  w->events.clear();
  w->bytes = 0;
  ASSERT_EQ(w->retr("big.bin", "c:\\BIG.BIN"), 1);
  ASSERT_TRUE(Wait(120, 200000));
  for (int i = 0; i < 50; ++i) w->Pass();
  ASSERT_GE(w->events.size(), 2u);
  size_t c = 0;
  while (c < w->events.size() && !(w->events[c].kind == 'C' && w->events[c].code == 4)) ++c;
  ASSERT_LT(c + 1, w->events.size());
  EXPECT_EQ(w->events[c + 1].kind, 'E');
  EXPECT_EQ(w->events[c + 1].code, -65);
  EXPECT_LT(Local("c:\\BIG.BIN").size(), 5000000u);
}

TEST_F(Vsftpd, StoppedServerGivesMinus56AfterTheReplyTimeOut) {
  WriteFile(root + "/user/stall.bin", Pattern(5000000, 9));
  pid_t server = static_cast<pid_t>(atoi(Env("VSFTPD_PID").c_str()));
  ASSERT_GT(server, 0);
  std::vector<pid_t> stopped;
  double stopped_at = 0;
  w->events.clear();
  w->bytes = 0;
  ASSERT_EQ(w->retr("stall.bin", "c:\\STALL.BIN"), 1);
  Wait(60, 0, [&] {
    stopped = Descendants(server);
    for (pid_t p : stopped) kill(p, SIGSTOP);
    stopped_at = Seconds();
  }, 300000);
  double elapsed = Seconds() - stopped_at;
  for (pid_t p : stopped) kill(p, SIGCONT);
  ASSERT_FALSE(stopped.empty());
  EXPECT_TRUE(Has(w->events, 'E', -56));
  EXPECT_GE(elapsed, 2.0);
  // The login ends (QUIT goes unanswered or is answered late).
  double end = Seconds() + 15;
  while (!Has(w->events, 'C', 0) && Seconds() < end) w->Pass();
  EXPECT_TRUE(Has(w->events, 'C', 0));
}

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define WHARF_SANITIZER_BUILD 1
#endif
#endif

TEST_F(Vsftpd, LossyLinkStillMovesOneMegabyteIntact) {
#ifdef WHARF_SANITIZER_BUILD
  // Minutes of retransmission against the server's back-off: the plain
  // build runs it; under the sanitizers its timing measures the sanitizer.
  GTEST_SKIP() << "runs in the plain build";
#endif
  host::LinkFaults faults;
  faults.loss = 0.05;
  faults.reorder = 0.05;
  w->link.SetFaults(faults, faults);
  w->faulty = true;
  // The server's retransmissions back off exponentially (up to two minutes
  // apart) and only two segments are ever in flight, so every loss costs
  // the server a time-out of its own: a silence of a minute is a run of bad
  // luck here, not a dead server. The time-out only has to catch a stall.
  ASSERT_EQ(w->set_time_out(150000), 1);
  std::string content = Pattern(1000000, 31);
  WriteFile(root + "/user/lossy.bin", content);
  auto counters = [&] {
    auto& ab = w->link.counters_a_to_b();
    auto& ba = w->link.counters_b_to_a();
    return " after " + std::to_string(static_cast<int>(Seconds() - w->start)) + " s; lost " +
           std::to_string(ab.lost) + "/" + std::to_string(ba.lost) + ", reordered " +
           std::to_string(ab.reordered) + "/" + std::to_string(ba.reordered);
  };
  auto ev = Run([&] { return w->retr("lossy.bin", "c:\\LOSSY.BIN"); }, 600);
  EXPECT_TRUE(NoErrors(ev)) << Reports(ev) << counters();
  EXPECT_EQ(Fnv1a(Local("c:\\LOSSY.BIN")), Fnv1a(content));
  std::string up = Pattern(1000000, 32);
  w->sandbox.Write("c:\\LOSSYUP.BIN", up);
  ev = Run([&] { return w->stor("c:\\LOSSYUP.BIN", "lossy-up.bin"); }, 600);
  EXPECT_TRUE(NoErrors(ev)) << Reports(ev) << counters();
  EXPECT_EQ(Fnv1a(ReadFile(root + "/user/lossy-up.bin")), Fnv1a(up));
  EXPECT_GT(w->link.counters_a_to_b().lost, 0u);
  EXPECT_GT(w->link.counters_b_to_a().lost, 0u);
  EXPECT_GT(w->link.counters_a_to_b().reordered + w->link.counters_b_to_a().reordered, 0u);
}

}  // namespace
