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
#include <string.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/commands/command.h"
#include "host/commands/file_args.h"
#include "host/services/sandbox_folder.h"
#include "host/services/dispatch.h"
#include "host/services/file_services.h"
#include "host/services/loader.h"
#include "host/net/net_frames.h"
#include "wharf/config.h"

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

// Counts the frames the library takes, so an idle loop can rest a little.
class CountingEndpoint : public FrameEndpoint {
 public:
  explicit CountingEndpoint(FrameEndpoint& inner) : inner_(inner) {}
  bool Send(const uint8_t* frame, size_t length) override { return inner_.Send(frame, length); }
  size_t Receive(uint8_t* buffer, size_t capacity) override {
    size_t n = inner_.Receive(buffer, capacity);
    if (n) ++received;
    return n;
  }
  uint64_t received = 0;

 private:
  FrameEndpoint& inner_;
};

bool ParseIp(const std::string& text, uint8_t out[4]) {
  unsigned a, b, c, d;
  char extra;
  if (sscanf(text.c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &extra) != 4) return false;
  if (a > 255 || b > 255 || c > 255 || d > 255) return false;
  out[0] = static_cast<uint8_t>(a), out[1] = static_cast<uint8_t>(b);
  out[2] = static_cast<uint8_t>(c), out[3] = static_cast<uint8_t>(d);
  return true;
}

bool ParseMac(const std::string& text, uint8_t out[6]) {
  unsigned v[6];
  char extra;
  if (sscanf(text.c_str(), "%x:%x:%x:%x:%x:%x%c", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &extra) != 6)
    return false;
  for (int i = 0; i < 6; ++i) {
    if (v[i] > 255) return false;
    out[i] = static_cast<uint8_t>(v[i]);
  }
  return true;
}

double Seconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
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

typedef int (*InitFn)(void*);
typedef int (*VoidFn)();
typedef int (*OneFn)(const char*);
typedef int (*TwoFn)(const char*, const char*);
typedef int (*TimeOutFn)(uint32_t);

struct Wharf {
  InitFn fsp_init, init;
  VoidFn cont, done, cancel, pwd, cdup;
  OneFn list, list_w, cwd;
  TwoFn retr, stor;
  TimeOutFn set_time_out;
};

struct Options {
  uint8_t own_ip[4] = {10, 77, 0, 2};
  uint8_t server[4] = {0, 0, 0, 0};
  uint8_t next_hop[4] = {0, 0, 0, 0};
  bool next_hop_set = false;
  uint8_t mac[6] = {0x02, 0x00, 0x00, 0x77, 0x00, 0x02};
  std::string user = "anonymous", password = "hostsim@";
  std::string tap;
  double loss = 0, reorder = 0;
  uint32_t seed = 1;
  uint32_t reply_time_out = 0;
  double deadline = 600;
  std::string pcap;
  bool spin = false;  // call wharfCont back to back, never resting
  std::vector<std::string> operations;
};

std::string CheckIp(const std::string& value) {
  uint8_t ip[4];
  return ParseIp(value, ip) ? "" : "expected an IPv4 address such as 10.77.0.1";
}

std::string CheckMac(const std::string& value) {
  uint8_t mac[6];
  return ParseMac(value, mac) ? "" : "expected a hardware address such as 02:00:00:77:00:02";
}

std::string CheckLogin(const std::string& value) {
  return value.size() <= 16 ? "" : "at most 16 characters";
}

// loss=P[,reorder=P], each P a probability from 0 to 1.
bool ParseLink(const std::string& value, double* loss, double* reorder) {
  std::stringstream parts(value);
  std::string part;
  bool any = false;
  while (std::getline(parts, part, ',')) {
    size_t eq = part.find('=');
    std::string name = part.substr(0, eq), number = eq == std::string::npos ? "" : part.substr(eq + 1);
    char* end = nullptr;
    double p = strtod(number.c_str(), &end);
    if (number.empty() || *end != '\0' || !(p >= 0 && p <= 1)) return false;
    if (name == "loss") *loss = p;
    else if (name == "reorder") *reorder = p;
    else return false;
    any = true;
  }
  return any;
}

std::string CheckLink(const std::string& value) {
  double loss = 0, reorder = 0;
  return ParseLink(value, &loss, &reorder) ? "" : "expected loss=P,reorder=P with each P from 0 to 1";
}

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
  Options o;
  ParseIp(args.Text("--server"), o.server);
  ParseIp(args.Text("--own-ip"), o.own_ip);
  if (args.Has("--next-hop")) {
    ParseIp(args.Text("--next-hop"), o.next_hop);
    o.next_hop_set = true;
  }
  ParseMac(args.Text("--mac"), o.mac);
  o.user = args.Text("--user");
  o.password = args.Text("--password");
  o.tap = args.Text("--tap");
  o.loss = args.Real("--loss");
  o.reorder = args.Real("--reorder");
  if (args.Has("--link")) ParseLink(args.Text("--link"), &o.loss, &o.reorder);
  o.seed = static_cast<uint32_t>(args.Int("--seed"));
  o.reply_time_out = static_cast<uint32_t>(args.Int("--reply-timeout"));
  o.deadline = args.Real("--deadline");
  o.pcap = args.Text("--pcap");
  o.spin = args.Has("--spin");
  o.operations = args.All("OPERATION");
  if (!o.next_hop_set) memcpy(o.next_hop, o.server, 4);
  CheckOperations(o.operations);
  // Opening a TAP name that does not exist would create a new, unconnected
  // device: refuse it instead.
  std::error_code ec;
  if (!fs::exists("/sys/class/net/" + o.tap, ec))
    throw HostError("no network device " + o.tap + " (tools/netns-up.sh sets one up)");

  // The library.
  Library lib;
  std::string error;
  if (!lib.Open(LibraryPath("Wharf"), &error)) throw HostError(error);
  Wharf w;
  w.fsp_init = lib.Bind<InitFn>("FSPInit");
  w.init = lib.Bind<InitFn>("wharfInit");
  w.cont = lib.Bind<VoidFn>("wharfCont");
  w.done = lib.Bind<VoidFn>("wharfDone");
  w.cancel = lib.Bind<VoidFn>("wharfCancel");
  w.pwd = lib.Bind<VoidFn>("wharfPWD");
  w.cdup = lib.Bind<VoidFn>("wharfCdUp");
  w.list = lib.Bind<OneFn>("wharfList");
  w.list_w = lib.Bind<OneFn>("wharfListW");
  w.cwd = lib.Bind<OneFn>("wharfCWD");
  w.retr = lib.Bind<TwoFn>("wharfRetr");
  w.stor = lib.Bind<TwoFn>("wharfStor");
  w.set_time_out = lib.Bind<TimeOutFn>("wharfSetReplyTimeOut");
  if (!w.fsp_init || !w.init || !w.cont || !w.done || !w.cancel || !w.pwd || !w.cdup || !w.list ||
      !w.list_w || !w.cwd || !w.retr || !w.stor || !w.set_time_out)
    return LibraryFailure("the Wharf library lacks FTP exports");

  // Frames: TAP, optionally behind a faulty link, optionally recorded.
  TapDevice tap;
  if (!tap.Open(o.tap, &error)) throw HostError(error);
  FrameLink link(o.seed);
  bool faulty = o.loss > 0 || o.reorder > 0;
  LinkFaults faults;
  faults.loss = o.loss;
  faults.reorder = o.reorder;
  link.SetFaults(faults, faults);
  FrameEndpoint* library_side = faulty ? &link.a() : static_cast<FrameEndpoint*>(&tap);
  PcapWriter pcap;
  std::unique_ptr<PcapTap> recorder;
  if (!o.pcap.empty()) {
    if (!pcap.Open(o.pcap, &error)) throw HostError(error);
    recorder = std::make_unique<PcapTap>(*library_side, pcap);
    library_side = recorder.get();
  }
  CountingEndpoint counting(*library_side);
  FrameServices frames(counting);

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

  WHARF_INIT_PARAMS p;
  memset(&p, 0, sizeof p);
  p.size = sizeof p;
  memcpy(p.own_mac, o.mac, 6);
  memcpy(p.own_ip, o.own_ip, 4);
  memcpy(p.server_ip, o.server, 4);
  memcpy(p.next_hop_ip, o.next_hop, 4);
  memcpy(p.user, o.user.c_str(), o.user.size());
  memcpy(p.password, o.password.c_str(), o.password.size());
  p.dispatch = HostDispatchEntry;
  p.error_report = error_h;
  p.completion_report = completion_h;
  p.status_report = status_h;
  p.send_frame = frames.send_handle();
  p.receive_frame = frames.receive_handle();
  w.fsp_init(const_cast<FSP_INIT_PARAMS*>(&files.table()));
  if (!w.init(&p)) return LibraryFailure("wharfInit refused the record");
  if (o.reply_time_out) w.set_time_out(o.reply_time_out);

  double start = Seconds();
  uint64_t calls = 0;
  // One wharfCont, with the faulty link's far side pumped to the TAP device.
  auto pass = [&]() {
    if (faulty) {
      link.SetTime(static_cast<uint64_t>((Seconds() - start) * 1000));
      uint8_t buffer[2048];
      size_t n;
      while ((n = link.b().Receive(buffer, sizeof buffer)) > 0) tap.Send(buffer, n);
      while ((n = tap.Receive(buffer, sizeof buffer)) > 0) link.b().Send(buffer, n);
    }
    uint64_t before = counting.received;
    w.cont();
    ++calls;
    if (!o.spin && counting.received == before) usleep(50);  // nothing arrived: rest briefly
  };
  // Runs passes until the current operation has ended. `cancel_at` > 0
  // cancels once that many bytes have moved.
  auto wait = [&](uint32_t cancel_at) {
    bool cancelled = false;
    while (!reports.completed && !reports.failed_locally) {
      if (Seconds() - start > o.deadline) {
        EndProgressLine();
        fprintf(stderr, "hostsim: deadline of %.0f s passed\n", o.deadline);
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
  for (; i < o.operations.size() && status == 0; ++i) {
    const std::string& op = o.operations[i];
    begin();
    double t0 = Seconds();
    uint64_t calls0 = calls;
    uint64_t frames0 = counting.received;
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
      w.cwd(o.operations[++i].c_str());
      if (!wait(0)) { status = 1; break; }
    } else if (op == "up") {
      w.cdup();
      if (!wait(0)) { status = 1; break; }
    } else if (op == "get" || op == "cancel-get") {
      std::string remote = o.operations[++i];
      std::string target = o.operations[++i];
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
      std::string source = o.operations[++i];
      std::string remote = o.operations[++i];
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
    if (reports.bytes > 0) {
      uint64_t n = calls - calls0;
      // The library takes at most one frame per call: calls that took one
      // are those with a frame waiting.
      uint64_t framed = counting.received - frames0;
      printf("moved %u bytes in %.3f s (%.2f MB/s), %llu wharfCont calls (%.1f bytes per call), "
             "%llu with a frame (%.1f bytes per call with a frame)\n",
             reports.bytes, seconds, seconds > 0 ? reports.bytes / seconds / 1e6 : 0.0,
             static_cast<unsigned long long>(n), n ? static_cast<double>(reports.bytes) / n : 0.0,
             static_cast<unsigned long long>(framed),
             framed ? static_cast<double>(reports.bytes) / framed : 0.0);
    }
    // The library reported an error (printed above as it arrived).
    if (!reports.errors.empty() && status == kExitOk) status = kExitLibraryFailure;
  }
  // Log out and wait for the end of the login.
  begin();
  w.done();
  wait(0);
  printf("wharfCont calls: %llu, frames received: %llu\n", static_cast<unsigned long long>(calls),
         static_cast<unsigned long long>(counting.received));
  if (faulty) {
    printf("link: %llu/%llu frames lost towards the server, %llu/%llu towards the library\n",
           static_cast<unsigned long long>(link.counters_a_to_b().lost),
           static_cast<unsigned long long>(link.counters_a_to_b().sent),
           static_cast<unsigned long long>(link.counters_b_to_a().lost),
           static_cast<unsigned long long>(link.counters_b_to_a().sent));
  }
  return status;
}

CommandRegistration ftp_command({"ftp", "runs FTP operations through the Wharf library over a TAP device", {
    Text("--server", "IP", "the FTP server's address").Required().Checked(CheckIp, "an IPv4 address"),
    Text("--tap", "NAME", "the TAP device the frames go through (must exist)").Required(),
    Text("--user", "NAME", "login name", "anonymous").Checked(CheckLogin, "at most 16 characters"),
    Text("--password", "TEXT", "password", "hostsim@").Checked(CheckLogin, "at most 16 characters"),
    Text("--own-ip", "IP", "the library's own address", "10.77.0.2").Checked(CheckIp, "an IPv4 address"),
    Text("--mac", "MAC", "the library's hardware address", "02:00:00:77:00:02")
        .Checked(CheckMac, "six hexadecimal bytes joined by colons"),
    Text("--next-hop", "IP", "the router for the server (default: the server itself)")
        .Checked(CheckIp, "an IPv4 address"),
    Real("--loss", 0, 1, "0", "probability that the in-process link drops a frame (each way)"),
    Real("--reorder", 0, 1, "0", "probability that the link delays a frame behind the next one"),
    Text("--link", "loss=P,reorder=P", "--loss and --reorder in one option").Checked(CheckLink, "loss=P,reorder=P"),
    Int("--seed", 0, 4294967295.0, "1", "seed of the link's random faults"),
    Int("--reply-timeout", 1, 600000, "", "the library's reply time-out in milliseconds (default: its own)"),
    Real("--deadline", 0.1, 86400, "600", "seconds after which hostsim gives up on an operation"),
    Text("--pcap", "FILE", "records the library's frames as a capture file"),
    Flag("--spin", "calls wharfCont back to back, never resting"),
    Positional("OPERATION", "ls | dir | pwd | cd PATH | up | get REMOTE LOCAL | put LOCAL REMOTE | "
               "cancel-get REMOTE BYTES, run in order").Rest(),
}, Ftp});

}  // namespace
}  // namespace host
