#include "host/runners/wharf_session.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <filesystem>

#include "host/services/dispatch.h"
#include "host/services/tick_clock.h"
#include "wharf/config.h"

namespace host {

bool ParseIpv4(const std::string& text, uint8_t out[4]) {
  unsigned a, b, c, d;
  char extra;
  if (sscanf(text.c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &extra) != 4) return false;
  if (a > 255 || b > 255 || c > 255 || d > 255) return false;
  out[0] = static_cast<uint8_t>(a), out[1] = static_cast<uint8_t>(b);
  out[2] = static_cast<uint8_t>(c), out[3] = static_cast<uint8_t>(d);
  return true;
}

bool ParseHardwareAddress(const std::string& text, uint8_t out[6]) {
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

WharfOpenResult WharfSession::Open(const WharfNetOptions& o, FileServices& files, uint32_t error_report,
                                   uint32_t completion_report, uint32_t status_report, std::string* error) {
  const WharfOpenResult kHost = WharfOpenResult::kHostFailure;
  if (!library_.Open(LibraryPath("Wharf"), error)) return kHost;
  auto fsp_init = library_.Bind<InitFn>("FSPInit");
  auto init = library_.Bind<InitFn>("wharfInit");
  auto set_time_out = library_.Bind<TimeOutFn>("wharfSetReplyTimeOut");
  cont_ = library_.Bind<ContFn>("wharfCont");
  if (!fsp_init || !init || !set_time_out || !cont_) {
    *error = "the Wharf library lacks FTP exports";
    return WharfOpenResult::kLibraryFailure;
  }
  std::error_code ec;
  if (!std::filesystem::exists("/sys/class/net/" + o.tap, ec)) {
    *error = "no network device " + o.tap + " (tools/netns-up.sh sets one up)";
    return kHost;
  }
  if (!tap_.Open(o.tap, error)) return kHost;
  link_ = std::make_unique<FrameLink>(o.seed);
  faulty_ = o.loss > 0 || o.reorder > 0;
  LinkFaults faults;
  faults.loss = o.loss;
  faults.reorder = o.reorder;
  link_->SetFaults(faults, faults);
  FrameEndpoint* library_side = faulty_ ? &link_->a() : static_cast<FrameEndpoint*>(&tap_);
  if (!o.pcap.empty()) {
    if (!pcap_.Open(o.pcap, error)) return kHost;
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
    return WharfOpenResult::kLibraryFailure;
  }
  if (o.reply_time_out) set_time_out(o.reply_time_out);
  start_us_ = MonotonicMicroseconds();
  return WharfOpenResult::kOpened;
}

void WharfSession::Cont() {
  if (faulty_) {
    link_->SetTime((MonotonicMicroseconds() - start_us_) / 1000);
    uint8_t buffer[2048];
    size_t n;
    while ((n = link_->b().Receive(buffer, sizeof buffer)) > 0) tap_.Send(buffer, n);
    while ((n = tap_.Receive(buffer, sizeof buffer)) > 0) link_->b().Send(buffer, n);
  }
  cont_();
}

}  // namespace host
