#include "host/services/sandbox_folder.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "host/services/host_error.h"

namespace host {
namespace {

// Folders to remove when a signal ends the process. Fixed storage: the
// handler may not allocate.
constexpr int kSlots = 8;
constexpr size_t kPathMax = 4096;
char g_paths[kSlots][kPathMax];
volatile sig_atomic_t g_used[kSlots];

struct LinuxDirent64 {
  uint64_t ino;
  int64_t off;
  unsigned short reclen;
  unsigned char type;
  char name[1];
};

// Removes everything below the open folder `dir` with system calls only
// (safe inside a signal handler). Depth is bounded by the sandbox layout.
void RemoveContents(int dir, int depth) {
  if (depth > 16) return;
  alignas(8) char buffer[4096];
  for (;;) {
    long n = syscall(SYS_getdents64, dir, buffer, sizeof buffer);
    if (n <= 0) return;
    for (long at = 0; at < n;) {
      auto* entry = reinterpret_cast<LinuxDirent64*>(buffer + at);
      at += entry->reclen;
      const char* name = entry->name;
      if (strcmp(name, ".") == 0 || strcmp(name, "..") == 0) continue;
      if (unlinkat(dir, name, 0) == 0) continue;
      int sub = openat(dir, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
      if (sub < 0) continue;
      RemoveContents(sub, depth + 1);
      close(sub);
      unlinkat(dir, name, AT_REMOVEDIR);
    }
    lseek(dir, 0, SEEK_SET);  // entries removed meanwhile: read the rest afresh
  }
}

void OnSignal(int signal_number) {
  for (int i = 0; i < kSlots; ++i) {
    if (!g_used[i]) continue;
    int dir = open(g_paths[i], O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    if (dir >= 0) {
      RemoveContents(dir, 0);
      close(dir);
    }
    rmdir(g_paths[i]);
  }
  signal(signal_number, SIG_DFL);
  raise(signal_number);
}

void InstallHandlers() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  for (int s : {SIGINT, SIGTERM, SIGHUP}) signal(s, OnSignal);
}

}  // namespace

std::string TemporaryDirectory() {
  const char* tmp = getenv("TMPDIR");
  return tmp && *tmp ? tmp : "/tmp";
}

SandboxFolder::SandboxFolder(const std::string& purpose) {
  std::string pattern = TemporaryDirectory() + "/hostsim-" + purpose + "-XXXXXX";
  if (!mkdtemp(pattern.data()))
    throw HostError("cannot create a work folder in " + TemporaryDirectory() + ": " + strerror(errno));
  root_ = pattern;
  if (root_.size() < kPathMax) {
    for (int i = 0; i < kSlots; ++i) {
      if (g_used[i]) continue;
      memcpy(g_paths[i], root_.c_str(), root_.size() + 1);
      g_used[i] = 1;
      slot_ = i;
      break;
    }
  }
  InstallHandlers();
}

SandboxFolder::~SandboxFolder() {
  if (slot_ >= 0) g_used[slot_] = 0;
  std::error_code ec;
  std::filesystem::remove_all(root_, ec);
}

std::string SandboxFolder::MakeDir(const std::string& relative) const {
  std::string path = root_ + "/" + relative;
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  if (ec) throw HostError("cannot create " + path + ": " + ec.message());
  return path;
}

}  // namespace host
