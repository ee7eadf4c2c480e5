// The file manager against a real vsftpd: Anvil and Wharf in one process,
// the host's function table holding Wharf's exports, the panel driven by
// keys. Runs under tools/vsftpd-run.sh (the server in a private network
// namespace, its set-up in the environment).
#include <gtest/gtest.h>

#include <dirent.h>
#include <pwd.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "host/runners/wharf_session.h"
#include "tests/support/file_panel.h"
#include "tests/support/ftp_server.h"

namespace {

using testing_support::Descendants;
using testing_support::Env;
using testing_support::Fnv1a;
using testing_support::Pattern;
using testing_support::ReadFile;
using testing_support::Seconds;
using testing_support::WriteFile;

using testing_support::FilePanel;

// The panel, the client and what the host's wharfCont entry does.
struct World {
  FilePanel panel{"FTP:\\"};
  host::WharfSession session;
  double start = Seconds();
  uint32_t passes = 0;
  // Stops the server's processes once this many bytes have been written
  // to local files (0: never).
  int stop_after_writes = 0;
  std::vector<pid_t> stopped;
};
World* g_world = nullptr;

// The host's wharfCont entry: one pass of the client; the panel's clock
// follows real time; a pass without a frame rests briefly.
extern "C" void HostCont() {
  World& w = *g_world;
  w.panel.ticks() = static_cast<uint32_t>((Seconds() - w.start) * 1000);
  uint64_t before = w.session.received();
  w.session.Cont();
  ++w.passes;
  if (w.session.received() == before) usleep(20);
  if (w.stop_after_writes > 0 && w.panel.box().files().calls(kFspWrite) >= w.stop_after_writes) {
    w.stop_after_writes = 0;
    w.stopped = Descendants(static_cast<pid_t>(atoi(Env("VSFTPD_PID").c_str())));
    for (pid_t p : w.stopped) kill(p, SIGSTOP);
  }
}

class FileManagerVsftpd : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (Env("FTP_ROOT").empty()) return;
    g_world = new World;
    World& w = *g_world;
    host::WharfNetOptions net;
    std::string error = "bad FTP_SERVER or FTP_CLIENT_IP";
    net.tap = Env("FTP_TAP");
    net.user = Env("FTP_USER");
    net.password = Env("FTP_PASSWORD");
    if (!host::ParseIpv4(Env("FTP_SERVER"), net.server) || !host::ParseIpv4(Env("FTP_CLIENT_IP"), net.own_ip) ||
        w.session.Open(net, w.panel.box().files(), 0, 0, 0, &error) != host::WharfOpenResult::kOpened) {
      fprintf(stderr, "set-up failed: %s\n", error.c_str());
      delete g_world;
      g_world = nullptr;
      return;
    }
    w.panel.options().system_directory = "c:\\system\\";
    w.panel.box().Write("c:\\system\\keep", "");
  }
  static void TearDownTestSuite() {
    delete g_world;
    g_world = nullptr;
  }

  void SetUp() override {
    if (Env("FTP_ROOT").empty()) GTEST_SKIP() << "run through tools/vsftpd-run.sh";
    ASSERT_NE(g_world, nullptr) << "library or TAP device could not be opened";
    root = Env("FTP_ROOT") + "/user";
  }

  FilePanel& f() { return g_world->panel; }

  // The host points the panel at another directory and starts it again.
  void Open(const std::string& path) {
    if (!loaded) {
      // Loaded on a local path, then the host's table gets Wharf's entries.
      f().options().path = "c:\\system\\";
      f().Start();
      host::AnvilHost& anvil = f().runner().anvil();
      anvil.FillWharfEntries(g_world->session.library());
      anvil.functions()[285] = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&HostCont));
      loaded = true;
    }
    f().ClearMessages();
    strncpy(f().info().path, path.c_str(), sizeof f().info().path - 1);
    f().Start();
  }
  void Mark(const std::vector<std::string>& names) {
    for (auto& n : names) {
      ASSERT_TRUE(f().CursorTo(n)) << n;
      f().Press("mark");
    }
  }

  std::string root;
  static bool loaded;
};
bool FileManagerVsftpd::loaded = false;

const size_t kSizes[] = {0, 1, 536, 100000, 5000000};

TEST_F(FileManagerVsftpd, FilesGoDownAndBackByteIdentical) {
  double t0 = Seconds();
  // The server writes as its "ftp" account.
  const passwd* ftp = getpwnam("ftp");
  ASSERT_NE(ftp, nullptr);
  for (const char* d : {"/sub", "/up"}) {
    mkdir((root + d).c_str(), 0755);
    ASSERT_EQ(chown((root + d).c_str(), ftp->pw_uid, ftp->pw_gid), 0);
  }
  std::vector<std::string> names;
  for (size_t n : kSizes) {
    names.push_back("f" + std::to_string(n) + ".bin");
    WriteFile(root + "/" + names.back(), Pattern(n, static_cast<uint32_t>(n)));
  }
  names.push_back("Part One.NCP");
  WriteFile(root + "/Part One.NCP", "%1 Part One\n" + Pattern(3000, 1));
  WriteFile(root + "/sub/inner.bin", Pattern(7000, 7));

  Open("FTP:\\");
  EXPECT_EQ(f().panel_message(), 0u) << f().panel_text();
  std::set<std::string> shown;
  for (auto& n : f().Names()) shown.insert(n);
  // vsftpd's columns do not fit: names only, the directory as a name too.
  EXPECT_EQ(shown, (std::set<std::string>{"f0.bin", "f1.bin", "f536.bin", "f100000.bin", "f5000000.bin",
                                          "part_one.ncp", "sub", "up"}));
  Mark({"f0.bin", "f1.bin", "f536.bin", "f100000.bin", "f5000000.bin", "part_one.ncp"});
  f().Press("clip");
  f().box().Write("c:\\dl\\keep", "");
  Open("c:\\dl\\");
  f().Press("paste");
  EXPECT_EQ(f().panel_message(), 0u) << f().panel_text();
  for (auto& n : names)
    EXPECT_EQ(Fnv1a(f().box().Read("c:\\dl\\" + n)), Fnv1a(ReadFile(root + "/" + n))) << n;

  // And back, into another server directory.
  Mark({"f0.bin", "f1.bin", "f536.bin", "f100000.bin", "f5000000.bin", "part_one.ncp"});
  f().Press("clip");
  Open("FTP:\\up\\");
  f().Press("paste");
  EXPECT_EQ(f().panel_message(), 0u) << f().panel_text();
  for (auto& n : names)
    EXPECT_EQ(Fnv1a(ReadFile(root + "/up/" + n)), Fnv1a(ReadFile(root + "/" + n))) << n;
  EXPECT_EQ(f().Names().size(), names.size());

  // A panel started on a subdirectory; ENTER copies to the system directory.
  Open("FTP:\\sub\\");
  EXPECT_EQ(f().Names(), std::vector<std::string>{"inner.bin"});
  f().Press("enter enter enter");
  EXPECT_EQ(f().panel_message(), 0u) << f().panel_text();
  EXPECT_EQ(Fnv1a(f().box().Read("c:\\system\\inner.bin")), Fnv1a(ReadFile(root + "/sub/inner.bin")));
  EXPECT_LT(Seconds() - t0, 150) << "the whole exchange stays within minutes";
}

TEST_F(FileManagerVsftpd, ExistingLocalFileKeptByNoReplacedByYes) {
  WriteFile(root + "/same.txt", "from the server");
  f().box().Write("c:\\dl2\\same.txt", "local");
  Open("FTP:\\");
  ASSERT_TRUE(f().CursorTo("same.txt"));
  f().Press("clip");
  Open("c:\\dl2\\");
  f().Press("paste enter enter");  // "Copy as...": to OK, OK; then the question
  f().Press("tab enter");         // No
  EXPECT_EQ(f().box().Read("c:\\dl2\\same.txt"), "local");
  f().Press("paste enter enter enter");  // ... Yes
  EXPECT_EQ(f().box().Read("c:\\dl2\\same.txt"), "from the server");
  EXPECT_EQ(f().panel_message(), 0u) << f().panel_text();
}

TEST_F(FileManagerVsftpd, FileRemovedAfterListingKeepsTheLocalFile) {
  WriteFile(root + "/gone.txt", "soon gone");
  f().box().Write("c:\\dl3\\gone.txt", "old local");
  Open("FTP:\\");
  ASSERT_TRUE(f().CursorTo("gone.txt"));
  f().Press("clip");
  unlink((root + "/gone.txt").c_str());
  Open("c:\\dl3\\");
  f().Press("paste enter enter enter");  // Yes to overwrite
  uint32_t m = f().panel_message();
  EXPECT_TRUE(m == 4208u || m == 4212u) << m;
  EXPECT_EQ(f().box().Read("c:\\dl3\\gone.txt"), "old local");
  EXPECT_FALSE(f().box().Exists("c:\\dl3\\~ANVCOPY.TMP"));
}

TEST_F(FileManagerVsftpd, StoppedServerEndsTheStepWithAMessage) {
  WriteFile(root + "/stall.bin", Pattern(5000000, 3));
  Open("FTP:\\");
  ASSERT_TRUE(f().CursorTo("stall.bin"));
  f().ClearMessages();
  g_world->stop_after_writes = f().box().files().calls(kFspWrite) + 30;
  double t0 = Seconds();
  f().Press("enter enter enter");  // to the system directory
  double took = Seconds() - t0;
  for (pid_t p : g_world->stopped) kill(p, SIGCONT);
  ASSERT_FALSE(g_world->stopped.empty()) << "the transfer ended before the server could be stopped";
  // The stall (code 56) or, set over it, the failed copy with its path.
  uint32_t m = f().panel_message();
  EXPECT_TRUE(m == 4208u || m == 4212u) << m;
  EXPECT_TRUE(f().panel_text() == "c:\\system\\stall.bin" ||
              f().panel_text() == "56:Data transfer error - FTP server does not answer")
      << f().panel_text();
  EXPECT_LT(took, 60);
  EXPECT_FALSE(f().box().Exists("c:\\system\\stall.bin"));
  EXPECT_FALSE(f().box().Exists("c:\\system\\~ANVCOPY.TMP"));
  EXPECT_EQ(f().box().files().open_handles(), 0);
}

}  // namespace
