#include "host/console/operation_process.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "host/services/host_error.h"

namespace host {
namespace {

void CloseFd(int* fd) {
  if (*fd >= 0) close(*fd);
  *fd = -1;
}

// In the child: the operation starts with default signal handling.
void DefaultSignals() {
  sigset_t none;
  sigemptyset(&none);
  for (int s : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) signal(s, SIG_DFL);
  sigprocmask(SIG_SETMASK, &none, nullptr);
}

// A private folder for the operation's drives.
std::string MakeFolder(const std::string& id) {
  const char* tmp = getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/hostsim-console-" + id + "-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (!mkdtemp(buffer.data())) throw HostError("cannot create a folder in " + pattern + ": " + strerror(errno));
  return buffer.data();
}

}  // namespace

std::string ChildEnd(int wait_status) {
  if (WIFSIGNALED(wait_status)) {
    const int s = WTERMSIG(wait_status);
    return "crashed: signal " + std::to_string(s) + " (" + strsignal(s) + ")";
  }
  if (WIFEXITED(wait_status) && WEXITSTATUS(wait_status) != 0)
    return "crashed: exit status " + std::to_string(WEXITSTATUS(wait_status));
  return "ended";
}

OperationProcess::OperationProcess(const std::string& worker, const Operation& operation,
                                   const OptionValues& values, const OptionValues& shown, Report report)
    : folder_(MakeFolder(operation.id)), report_(std::move(report)) {
  std::vector<std::string> args = {worker, operation.id, folder_};
  for (const auto& [name, value] : values) args.push_back(name + "=" + value);
  for (const auto& [name, value] : shown) args.push_back("shown:" + name + "=" + value);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  int keys[2], reports[2];
  if (pipe2(keys, O_CLOEXEC) != 0) throw HostError(std::string("pipe: ") + strerror(errno));
  if (pipe2(reports, O_CLOEXEC) != 0) {
    close(keys[0]), close(keys[1]);
    throw HostError(std::string("pipe: ") + strerror(errno));
  }
  child_ = fork();
  if (child_ < 0) {
    for (int fd : {keys[0], keys[1], reports[0], reports[1]}) close(fd);
    std::filesystem::remove_all(folder_);
    throw HostError(std::string("fork: ") + strerror(errno));
  }
  if (child_ == 0) {
    // Only async-signal-safe calls from here to exec.
    DefaultSignals();
    // Each descriptor first to a number above 5, then in place: none of
    // them can land on another before it is moved.
    const int from[3] = {fcntl(keys[0], F_DUPFD, 10), fcntl(reports[1], F_DUPFD, 10), fcntl(frame_.fd(), F_DUPFD, 10)};
    for (int i = 0; i < 3; ++i)
      if (from[i] < 0 || dup2(from[i], 3 + i) < 0) _exit(127);
    // The server's sockets and files stay with the server.
    for (int fd = 6; fd < 1024; ++fd) close(fd);
    // A library that crashes leaves no core file in the operator's folder.
    const rlimit no_core{0, 0};
    setrlimit(RLIMIT_CORE, &no_core);
    execv(argv[0], argv.data());
    static const char kFailed[] = "status\tfailed cannot start hostsim-operation\n";
    if (write(4, kFailed, sizeof kFailed - 1) < 0) _exit(127);
    _exit(127);
  }
  close(keys[0]);
  close(reports[1]);
  key_fd_ = keys[1];
  report_fd_ = reports[0];
  reader_ = std::thread([this] { ReadReports(); });
}

OperationProcess::~OperationProcess() {
  CloseFd(&key_fd_);
  {
    std::lock_guard<std::mutex> lock(child_mutex_);
    if (child_ > 0) kill(child_, SIGKILL);
  }
  if (reader_.joinable()) reader_.join();
  CloseFd(&report_fd_);
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

bool OperationProcess::SendKey(int code) {
  const uint8_t byte = static_cast<uint8_t>(code);
  ssize_t n;
  do n = write(key_fd_, &byte, 1);
  while (n < 0 && errno == EINTR);
  return n == 1;
}

void OperationProcess::ReadReports() {
  std::string pending;
  char buffer[4096];
  for (;;) {
    ssize_t n = read(report_fd_, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    pending.append(buffer, static_cast<size_t>(n));
    size_t end;
    while ((end = pending.find('\n')) != std::string::npos) {
      const std::string line = pending.substr(0, end);
      pending.erase(0, end + 1);
      const size_t tab = line.find('\t');
      if (tab == std::string::npos) continue;
      const std::string kind = line.substr(0, tab);
      if (kind != "frame") {
        report_(kind, line.substr(tab + 1), nullptr);
        continue;
      }
      FrameCopy copy;
      // "NUMBER DRAWN_MS": the time goes on with whatever frame is read.
      const std::string text = line.substr(tab + 1);
      const size_t space = text.find(' ');
      if (frame_.Read(&copy)) report_(kind, space == std::string::npos ? "" : text.substr(space + 1), &copy);
    }
  }
  // Waits for the end without reaping, so that the child's number stays
  // its own (not reused) for as long as the destructor may signal it.
  siginfo_t info{};
  while (waitid(P_PID, static_cast<id_t>(child_), &info, WEXITED | WNOWAIT) < 0 && errno == EINTR) {
  }
  int status = 0;
  pid_t ended;
  {
    std::lock_guard<std::mutex> lock(child_mutex_);
    do ended = waitpid(child_, &status, 0);
    while (ended < 0 && errno == EINTR);
    child_ = -1;
  }
  // A key that still arrives finds the pipe closed instead of a signal.
  report_("status", ChildEnd(ended > 0 ? status : 0), nullptr);
}

}  // namespace host
