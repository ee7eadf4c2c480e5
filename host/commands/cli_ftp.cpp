// hostsim ftp --server IP [options] OPERATION...
//
// Runs a sequence of FTP operations through the real Wharf library, the way
// the control's main program drives it: FSPInit and wharfInit once, then
// each operation followed by wharfCont calls until its completion. The
// library's frames go to a TAP device (--tap NAME), optionally through an
// in-process link that drops and reorders frames (--loss, --reorder).
// Reports are printed as they arrive; transfers show their progress.
//
// Local files are exchanged through a private folder that the library sees
// as drive c: (the file services of the simulator), so any host path can
// be given.
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/commands/command.h"
#include "host/commands/file_args.h"
#include "host/commands/wharf_options.h"
#include "host/runners/wharf_session.h"
#include "host/services/dispatch.h"
#include "host/services/file_services.h"
#include "host/services/sandbox_folder.h"
#include "host/services/tick_clock.h"

namespace host {
namespace {

namespace fs = std::filesystem;

const char* ErrorText(int code) {
  switch (code) {
    case -40: return "Can not connect to FTP server";
    case -41: return "Connectiong to FTP server failed - server does not answer";
    case -42: return "FTP server does not allowed loging";
    case -43: return "Loging to FTP server failed - server does not answer";
    case -44: return "FTP server does not accept user name";
    case -45: return "Password check failed - server does not answer";
    case -46: return "Loging to FTP server failed - ACCT not implemented";
    case -47: return "FTP server does not accept password";
    case -48: return "Can not set binary transfer mode - server does not react";
    case -49: return "FTP server does not accept binary transfer mode";
    case -50: return "Logout from FTP server failed - server does not answer";
    case -51: return "FTP server disabled logouting";
    case -52: return "Command executing error - FTP server does not answer";
    case -53: return "FTP server does not accept command";
    case -54: return "PORT command error - FTP server does not answer";
    case -55: return "FTP server does not accept command PORT";
    case -56: return "Data transfer error - FTP server does not answer";
    case -57: return "Data transfer error";
    case -60: return "Writing data error";
    case -61: return "Destinatin closing error";
    case -63: return "Source closing error";
    case -65: return "Transfer canceled";
    default: return "local file service error";
  }
}

double Seconds() { return static_cast<double>(MonotonicMicroseconds()) / 1e6; }

// Processor time of this process (user and system). With --spin the
// process never blocks, so the wall-clock time beyond it is time it waited
// for a processor: the share a loaded machine takes from a transfer.
double ProcessorSeconds() {
  rusage u;
  if (getrusage(RUSAGE_SELF, &u) != 0) return 0;
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The reports of the running operation.
struct Reports {
  bool completed = false;
  int completion_op = -1;
  bool failed_locally = false;  // a local-file error (no completion follows)
  std::vector<int> errors;
  uint32_t bytes = 0;
  double last_progress = 0;
  bool progress_shown = false;
};
Reports* g_reports = nullptr;

void EndProgressLine() {
  if (g_reports && g_reports->progress_shown) {
    fprintf(stderr, "\n");
    g_reports->progress_shown = false;
  }
}

typedef int (*VoidFn)();
typedef int (*OneFn)(const char*);
typedef int (*TwoFn)(const char*, const char*);

// The exports of the operations (FSPInit, wharfInit and wharfCont are the
// session's).
struct WharfOperations {
  VoidFn done, cancel, pwd, cdup;
  OneFn list, list_w, cwd;
  TwoFn retr, stor;
};

// The operations, checked before anything is sent: each name and the
// number of its arguments.
void CheckOperations(const std::vector<std::string>& ops) {
  if (ops.empty()) throw UsageError("no operation given");
  for (size_t i = 0; i < ops.size(); ++i) {
    const std::string& op = ops[i];
    size_t arguments = op == "cd" ? 1 : op == "get" || op == "put" || op == "cancel-get" ? 2 : 0;
    if (arguments == 0 && op != "ls" && op != "dir" && op != "pwd" && op != "up")
      throw UsageError("unknown operation \"" + op + "\"; operations: ls, dir, pwd, cd PATH, up, "
                       "get REMOTE LOCAL, put LOCAL REMOTE, cancel-get REMOTE BYTES");
    if (i + arguments >= ops.size()) throw UsageError(op + " needs " + std::to_string(arguments) + " argument(s)");
    if (op == "cancel-get") {
      const std::string& bytes = ops[i + 2];
      char* end = nullptr;
      unsigned long n = strtoul(bytes.c_str(), &end, 10);
      if (bytes.empty() || *end != '\0' || bytes[0] == '-' || n < 1 || n > 0x7FFFFFFF)
        throw UsageError("cancel-get: \"" + bytes + "\" is no byte count from 1 to 2147483647");
    }
    i += arguments;
  }
}

int Ftp(const ParsedArgs& args) {
  WharfNetOptions net = WharfNetOptionsOf(args);
  double deadline = args.Real("--deadline");
  bool spin = args.Has("--spin");
  const std::vector<std::string>& operations = args.All("OPERATION");
  CheckOperations(operations);

  // Local files: a private folder seen as drive c:.
  SandboxFolder sandbox("ftp");
  fs::path root = sandbox.root();
  sandbox.MakeDir("c/xfer");
  FileServices files(root.string());

  Reports reports;
  g_reports = &reports;
  uint32_t error_h = RegisterService("wharf error", [](int, va_list a) {
    int code = va_arg(a, int);
    EndProgressLine();
    printf("error %d: %s\n", code, ErrorText(code));
    fflush(stdout);
    g_reports->errors.push_back(code);
    if (code > -40 || code < -65) g_reports->failed_locally = true;
    return 1;
  });
  uint32_t completion_h = RegisterService("wharf completion", [](int, va_list a) {
    int op = va_arg(a, int);
    const char* text = va_arg(a, const char*);
    EndProgressLine();
    printf("completion %d%s%s\n", op, text ? " " : "", text ? text : "");
    fflush(stdout);
    g_reports->completed = true;
    g_reports->completion_op = op;
    return 1;
  });
  uint32_t status_h = RegisterService("wharf status", [](int, va_list a) {
    int code = va_arg(a, int);
    uintptr_t value = reinterpret_cast<uintptr_t>(va_arg(a, void*));
    if (code == 8 || code == 9) {
      g_reports->bytes = static_cast<uint32_t>(value);
      double now = Seconds();
      if (now - g_reports->last_progress > 0.2) {
        fprintf(stderr, "\r%s %u bytes", code == 8 ? "received" : "sent", g_reports->bytes);
        g_reports->progress_shown = true;
        g_reports->last_progress = now;
      }
    } else {
      EndProgressLine();
      printf("status %d\n", code);
      fflush(stdout);
    }
    return 1;
  });

  // The report services and g_reports go whatever way the command ends.
  struct ReportServices {
    uint32_t handles[3];
    ~ReportServices() {
      for (uint32_t h : handles) UnregisterService(h);
      g_reports = nullptr;
    }
  } report_services{{error_h, completion_h, status_h}};

  WharfSession session;
  std::string error;
  switch (session.Open(net, files, error_h, completion_h, status_h, &error)) {
    case WharfOpenResult::kOpened: break;
    case WharfOpenResult::kHostFailure: throw HostError(error);
    case WharfOpenResult::kLibraryFailure: return LibraryFailure(error);
  }
  Library& lib = session.library();
  WharfOperations w;
  w.done = lib.Bind<VoidFn>("wharfDone");
  w.cancel = lib.Bind<VoidFn>("wharfCancel");
  w.pwd = lib.Bind<VoidFn>("wharfPWD");
  w.cdup = lib.Bind<VoidFn>("wharfCdUp");
  w.list = lib.Bind<OneFn>("wharfList");
  w.list_w = lib.Bind<OneFn>("wharfListW");
  w.cwd = lib.Bind<OneFn>("wharfCWD");
  w.retr = lib.Bind<TwoFn>("wharfRetr");
  w.stor = lib.Bind<TwoFn>("wharfStor");
  if (!w.done || !w.cancel || !w.pwd || !w.cdup || !w.list || !w.list_w || !w.cwd || !w.retr || !w.stor)
    return LibraryFailure("the Wharf library lacks FTP exports");

  double start = Seconds();
  uint64_t calls = 0;
  // One pass of the client, resting briefly when no frame came in.
  auto pass = [&]() {
    uint64_t before = session.received();
    session.Cont();
    ++calls;
    if (!spin && session.received() == before) usleep(50);  // nothing arrived: rest briefly
  };
  // Runs passes until the current operation has ended. `cancel_at` > 0
  // cancels once that many bytes have moved.
  auto wait = [&](uint32_t cancel_at) {
    bool cancelled = false;
    while (!reports.completed && !reports.failed_locally) {
      if (Seconds() - start > deadline) {
        EndProgressLine();
        fprintf(stderr, "hostsim: deadline of %.0f s passed\n", deadline);
        return false;
      }
      pass();
      if (cancel_at && !cancelled && reports.bytes >= cancel_at) {
        w.cancel();
        cancelled = true;
      }
    }
    return true;
  };
  auto begin = [&]() {
    reports = Reports();
    g_reports = &reports;
  };
  const std::string kLocal = "c:\\xfer\\DATA.BIN";
  const fs::path local_host = root / "c" / "xfer" / "DATA.BIN";

  int status = kExitOk;
  size_t i = 0;
  for (; i < operations.size() && status == 0; ++i) {
    const std::string& op = operations[i];
    begin();
    double t0 = Seconds();
    double cpu0 = ProcessorSeconds();
    uint64_t calls0 = calls;
    uint64_t frames0 = session.received();
    if (op == "ls" || op == "dir") {
      (op == "ls" ? w.list : w.list_w)(kLocal.c_str());
      if (!wait(0)) { status = 1; break; }
      std::ifstream in(local_host, std::ios::binary);
      std::stringstream text;
      text << in.rdbuf();
      fwrite(text.str().data(), 1, text.str().size(), stdout);
    } else if (op == "pwd") {
      w.pwd();
      if (!wait(0)) { status = 1; break; }
    } else if (op == "cd") {
      w.cwd(operations[++i].c_str());
      if (!wait(0)) { status = 1; break; }
    } else if (op == "up") {
      w.cdup();
      if (!wait(0)) { status = 1; break; }
    } else if (op == "get" || op == "cancel-get") {
      std::string remote = operations[++i];
      std::string target = operations[++i];
      uint32_t cancel_at = 0;
      if (op == "cancel-get") {
        cancel_at = static_cast<uint32_t>(strtoul(target.c_str(), nullptr, 10));
        if (cancel_at == 0) cancel_at = 1;
      }
      std::error_code ec;
      fs::remove(local_host, ec);
      w.retr(remote.c_str(), kLocal.c_str());
      if (!wait(cancel_at)) { status = 1; break; }
      // A cancelled download ends with -65 right after its completion.
      for (int k = 0; k < 20 && cancel_at; ++k) pass();
      if (!cancel_at && reports.completion_op == 4 && reports.errors.empty()) {
        try {
          CopyToOutput(local_host.string(), target);
        } catch (const HostError& e) {
          EndProgressLine();
          fprintf(stderr, "hostsim ftp: %s\n", e.what());
          status = kExitHostFailure;
        }
      }
    } else if (op == "put") {
      std::string source = operations[++i];
      std::string remote = operations[++i];
      try {
        CopyFromInput(source, local_host.string());
      } catch (const HostError& e) {
        fprintf(stderr, "hostsim ftp: %s\n", e.what());
        status = kExitHostFailure;
        break;
      }
      w.stor(kLocal.c_str(), remote.c_str());
      if (!wait(0)) { status = 1; break; }
    }
    double seconds = Seconds() - t0;
    double cpu = ProcessorSeconds() - cpu0;
    if (reports.bytes > 0) {
      uint64_t n = calls - calls0;
      // The library takes at most one frame per call: calls that took one
      // are those with a frame waiting.
      uint64_t framed = session.received() - frames0;
      printf("moved %u bytes in %.3f s (%.2f MB/s), %llu wharfCont calls (%.1f bytes per call), "
             "%llu with a frame (%.1f bytes per call with a frame), %.3f s on a processor\n",
             reports.bytes, seconds, seconds > 0 ? reports.bytes / seconds / 1e6 : 0.0,
             static_cast<unsigned long long>(n), n ? static_cast<double>(reports.bytes) / n : 0.0,
             static_cast<unsigned long long>(framed),
             framed ? static_cast<double>(reports.bytes) / framed : 0.0, cpu);
    }
    // The library reported an error (printed above as it arrived).
    if (!reports.errors.empty() && status == kExitOk) status = kExitLibraryFailure;
  }
  // Log out and wait for the end of the login.
  begin();
  w.done();
  wait(0);
  printf("wharfCont calls: %llu, frames received: %llu\n", static_cast<unsigned long long>(calls),
         static_cast<unsigned long long>(session.received()));
  if (session.faulty()) {
    const FrameLink& link = session.link();
    printf("link: %llu/%llu frames lost towards the server, %llu/%llu towards the library\n",
           static_cast<unsigned long long>(link.counters_a_to_b().lost),
           static_cast<unsigned long long>(link.counters_a_to_b().sent),
           static_cast<unsigned long long>(link.counters_b_to_a().lost),
           static_cast<unsigned long long>(link.counters_b_to_a().sent));
  }
  return status;
}

CommandRegistration ftp_command({"ftp", "runs FTP operations through the Wharf library over a TAP device",
    Joined(WharfOptionDeclarations(true), {
    Real("--deadline", 0.1, 86400, "600", "seconds after which hostsim gives up on an operation"),
    Flag("--spin", "calls wharfCont back to back, never resting"),
    Positional("OPERATION", "ls | dir | pwd | cd PATH | up | get REMOTE LOCAL | put LOCAL REMOTE | "
               "cancel-get REMOTE BYTES, run in order").Rest(),
}), Ftp});

}  // namespace
}  // namespace host
