#include "host/runners/wharf_session.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <chrono>
#include <sstream>

#include "host/services/dispatch.h"
#include "wharf/config.h"

namespace host {
namespace {

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

}  // namespace

const char* const kWharfOptionsUsage =
    "--server IP [--user U] [--password P] --tap NAME [--own-ip IP] [--mac MAC]\n"
    "      [--next-hop IP] [--loss P] [--reorder P] [--seed N] [--reply-timeout MS]\n"
    "      [--link loss=P,reorder=P] [--pcap FILE]";

int ParseWharfOption(const std::vector<std::string>& args, size_t* i, WharfNetOptions* o,
                     std::string* error) {
  static const char* const kNames[] = {"--server", "--own-ip", "--next-hop", "--mac", "--user",
                                       "--password", "--tap", "--link", "--loss", "--reorder",
                                       "--seed", "--reply-timeout", "--pcap"};
  const std::string& a = args[*i];
  bool known = false;
  for (const char* n : kNames) known |= a == n;
  if (!known) return 0;
  if (*i + 1 >= args.size()) {
    *error = a + " needs a value";
    return -1;
  }
  const std::string& v = args[++*i];
  auto bad = [&](const char* what) {
    *error = "bad " + std::string(what) + " for " + a + ": " + v;
    return -1;
  };
  if (a == "--server") { if (!ParseIp(v, o->server)) return bad("address"); }
  else if (a == "--own-ip") { if (!ParseIp(v, o->own_ip)) return bad("address"); }
  else if (a == "--next-hop") {
    if (!ParseIp(v, o->next_hop)) return bad("address");
    o->next_hop_set = true;
  }
  else if (a == "--mac") { if (!ParseMac(v, o->mac)) return bad("hardware address"); }
  else if (a == "--user") o->user = v;
  else if (a == "--password") o->password = v;
  else if (a == "--tap") o->tap = v;
  else if (a == "--link") {
    // loss=P[,reorder=P]: the faulty link between library and TAP device
    std::stringstream parts(v);
    std::string part;
    while (std::getline(parts, part, ',')) {
      if (part.rfind("loss=", 0) == 0) o->loss = atof(part.c_str() + 5);
      else if (part.rfind("reorder=", 0) == 0) o->reorder = atof(part.c_str() + 8);
      else return bad("part");
    }
  }
  else if (a == "--loss") o->loss = atof(v.c_str());
  else if (a == "--reorder") o->reorder = atof(v.c_str());
  else if (a == "--seed") o->seed = static_cast<uint32_t>(strtoul(v.c_str(), nullptr, 10));
  else if (a == "--reply-timeout") o->reply_time_out = static_cast<uint32_t>(strtoul(v.c_str(), nullptr, 10));
  else if (a == "--pcap") o->pcap = v;
  return 1;
}

bool CheckWharfOptions(WharfNetOptions* o, std::string* error) {
  if (o->server[0] == 0) *error = "--server is required";
  else if (o->tap.empty()) *error = "--tap is required";
  else if (o->user.size() > 16 || o->password.size() > 16)
    *error = "user name and password hold at most 16 characters";
  else {
    if (!o->next_hop_set) memcpy(o->next_hop, o->server, 4);
    return true;
  }
  return false;
}

bool WharfSession::Open(const WharfNetOptions& o, FileServices& files, uint32_t error_report,
                        uint32_t completion_report, uint32_t status_report, std::string* error) {
  if (!library_.Open(LibraryPath("Wharf"), error)) return false;
  auto fsp_init = library_.Bind<InitFn>("FSPInit");
  auto init = library_.Bind<InitFn>("wharfInit");
  auto set_time_out = library_.Bind<TimeOutFn>("wharfSetReplyTimeOut");
  cont_ = library_.Bind<ContFn>("wharfCont");
  if (!fsp_init || !init || !set_time_out || !cont_) {
    *error = "the Wharf library lacks FTP exports";
    return false;
  }
  if (!tap_.Open(o.tap, error)) return false;
  link_ = std::make_unique<FrameLink>(o.seed);
  faulty_ = o.loss > 0 || o.reorder > 0;
  LinkFaults faults;
  faults.loss = o.loss;
  faults.reorder = o.reorder;
  link_->SetFaults(faults, faults);
  FrameEndpoint* library_side = faulty_ ? &link_->a() : static_cast<FrameEndpoint*>(&tap_);
  if (!o.pcap.empty()) {
    if (!pcap_.Open(o.pcap, error)) return false;
    recorder_ = std::make_unique<PcapTap>(*library_side, pcap_);
    library_side = recorder_.get();
  }
  counting_ = std::make_unique<CountingEndpoint>(*library_side);
  frames_ = std::make_unique<FrameServices>(*counting_);

  WHARF_INIT_PARAMS p;
  memset(&p, 0, sizeof p);
  p.size = sizeof p;
  memcpy(p.own_mac, o.mac, 6);
  memcpy(p.own_ip, o.own_ip, 4);
  memcpy(p.server_ip, o.server, 4);
  memcpy(p.next_hop_ip, o.next_hop_set ? o.next_hop : o.server, 4);
  memcpy(p.user, o.user.c_str(), std::min<size_t>(o.user.size(), 16));
  memcpy(p.password, o.password.c_str(), std::min<size_t>(o.password.size(), 16));
  p.dispatch = HostDispatchEntry;
  p.error_report = error_report;
  p.completion_report = completion_report;
  p.status_report = status_report;
  p.send_frame = frames_->send_handle();
  p.receive_frame = frames_->receive_handle();
  fsp_init(const_cast<FSP_INIT_PARAMS*>(&files.table()));
  if (!init(&p)) {
    *error = "wharfInit refused the record";
    return false;
  }
  if (o.reply_time_out) set_time_out(o.reply_time_out);
  start_ = Seconds();
  return true;
}

void WharfSession::Cont() {
  if (faulty_) {
    link_->SetTime(static_cast<uint64_t>((Seconds() - start_) * 1000));
    uint8_t buffer[2048];
    size_t n;
    while ((n = link_->b().Receive(buffer, sizeof buffer)) > 0) tap_.Send(buffer, n);
    while ((n = tap_.Receive(buffer, sizeof buffer)) > 0) link_->b().Send(buffer, n);
  }
  cont_();
}

}  // namespace host
