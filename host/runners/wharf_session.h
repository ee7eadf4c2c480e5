// The FTP client as the control's main program sets it up: Wharf loaded,
// its frames on a TAP device (optionally through an in-process link that
// loses and reorders frames, optionally recorded to pcap), FSPInit with the
// host's file services and wharfInit with the network and login settings.
// `hostsim ftp` and `hostsim files` share it.
#pragma once

#include <stdint.h>

#include <memory>
#include <string>
#include <vector>

#include "host/net/net_frames.h"
#include "host/services/file_services.h"
#include "host/services/loader.h"

namespace host {

struct WharfNetOptions {
  uint8_t own_ip[4] = {10, 77, 0, 2};
  uint8_t server[4] = {0, 0, 0, 0};
  uint8_t next_hop[4] = {0, 0, 0, 0};
  bool next_hop_set = false;
  uint8_t mac[6] = {0x02, 0x00, 0x00, 0x77, 0x00, 0x02};
  std::string user = "anonymous", password = "hostsim@";
  std::string tap;
  double loss = 0, reorder = 0;
  uint32_t seed = 1;
  uint32_t reply_time_out = 0;  // 0: the library's own
  std::string pcap;
};

// The option lines of the usage text for the options below.
extern const char* const kWharfOptionsUsage;

// Takes the FTP option at args[*i] (--server, --user, --password, --tap,
// --own-ip, --mac, --next-hop, --link, --loss, --reorder, --seed,
// --reply-timeout, --pcap) with its value. Returns 1 when taken (*i on its
// value), 0 when args[*i] is no FTP option, -1 on a bad value (*error says
// which option and why).
int ParseWharfOption(const std::vector<std::string>& args, size_t* i, WharfNetOptions* o,
                     std::string* error);
// Checks the options as a whole (server and TAP given, login lengths).
bool CheckWharfOptions(WharfNetOptions* o, std::string* error);

class WharfSession {
 public:
  typedef int (*InitFn)(void*);
  typedef void (*ContFn)();
  typedef int (*TimeOutFn)(uint32_t);

  WharfSession() = default;
  WharfSession(const WharfSession&) = delete;
  WharfSession& operator=(const WharfSession&) = delete;

  // Loads Wharf, opens the frame path and calls FSPInit and wharfInit with
  // the given report service handles (0: none). False with *error set.
  bool Open(const WharfNetOptions& o, FileServices& files, uint32_t error_report,
            uint32_t completion_report, uint32_t status_report, std::string* error);

  Library& library() { return library_; }
  // One wharfCont, with the faulty link's far side pumped to the TAP device.
  void Cont();
  // Frames the library has taken so far.
  uint64_t received() const { return counting_ ? counting_->received : 0; }
  bool faulty() const { return faulty_; }
  FrameLink& link() { return *link_; }

 private:
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

  Library library_;
  ContFn cont_ = nullptr;
  TapDevice tap_;
  std::unique_ptr<FrameLink> link_;
  bool faulty_ = false;
  PcapWriter pcap_;
  std::unique_ptr<PcapTap> recorder_;
  std::unique_ptr<CountingEndpoint> counting_;
  std::unique_ptr<FrameServices> frames_;
  double start_ = 0;
};

}  // namespace host
