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

// "10.77.0.1" into four bytes; false for anything else.
bool ParseIpv4(const std::string& text, uint8_t out[4]);
// "02:00:00:77:00:02" into six bytes; false for anything else.
bool ParseHardwareAddress(const std::string& text, uint8_t out[6]);

// How opening a session ended: the host's part (library file, TAP device,
// capture file) or the library's (missing exports, wharfInit refused).
enum class WharfOpenResult { kOpened, kHostFailure, kLibraryFailure };

class WharfSession {
 public:
  typedef int (*InitFn)(void*);
  typedef void (*ContFn)();
  typedef int (*TimeOutFn)(uint32_t);

  WharfSession() = default;
  WharfSession(const WharfSession&) = delete;
  WharfSession& operator=(const WharfSession&) = delete;

  // Loads Wharf, opens the frame path and calls FSPInit and wharfInit with
  // the given report service handles (0: none); sets the reply time-out
  // when one is given. A TAP name that does not exist is refused (opening
  // it would create a new, unconnected device). *error says what failed.
  WharfOpenResult Open(const WharfNetOptions& o, FileServices& files, uint32_t error_report,
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
  uint64_t start_us_ = 0;
};

}  // namespace host
