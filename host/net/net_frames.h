// The host's frame services for Wharf: the two services "send frame" and
// "receive frame" over one of three back ends.
//
//   FrameLink   an in-process link between two endpoints, with configurable
//               loss, duplication, reordering and delay, on a clock the
//               caller drives (no sleeping);
//   TapDevice   a Linux TAP device opened through /dev/net/tun; the kernel
//               on the other side is the peer;
//   PcapTap     wraps another endpoint and records every frame in either
//               direction into a pcap file (Ethernet link type).
//
// FrameServices registers the two services over an endpoint and gives the
// handles to put into WHARF_INIT_PARAMS.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include <deque>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace host {

using Frame = std::vector<uint8_t>;

// One end of a frame transport.
class FrameEndpoint {
 public:
  virtual ~FrameEndpoint() = default;
  // Queues one frame for the other side; false when it could not be sent.
  virtual bool Send(const uint8_t* frame, size_t length) = 0;
  // Takes one waiting frame into buffer (capacity bytes); returns its
  // length, 0 when none waits. A frame longer than capacity is dropped.
  virtual size_t Receive(uint8_t* buffer, size_t capacity) = 0;
};

// Faults of one direction of a FrameLink. Probabilities are 0..1.
struct LinkFaults {
  double loss = 0;        // frame dropped
  double duplicate = 0;   // frame delivered twice
  double reorder = 0;     // frame overtaken by the next one
  uint32_t delay_ms = 0;  // every frame is held this long
};

// Counters of one direction.
struct LinkCounters {
  uint64_t sent = 0, delivered = 0, lost = 0, duplicated = 0, reordered = 0;
};

class FrameLink {
 public:
  explicit FrameLink(uint32_t seed = 1);
  FrameLink(const FrameLink&) = delete;
  FrameLink& operator=(const FrameLink&) = delete;

  FrameEndpoint& a() { return *ends_[0]; }
  FrameEndpoint& b() { return *ends_[1]; }

  // Faults of the direction from a to b, and from b to a.
  void SetFaults(const LinkFaults& a_to_b, const LinkFaults& b_to_a);
  // The link's clock in milliseconds; frames become deliverable when it
  // has passed their delay.
  void SetTime(uint64_t now_ms) { now_ms_ = now_ms; }
  uint64_t time() const { return now_ms_; }

  const LinkCounters& counters_a_to_b() const { return dir_[0].counters; }
  const LinkCounters& counters_b_to_a() const { return dir_[1].counters; }

 private:
  struct Pending {
    uint64_t due_ms;
    Frame frame;
  };
  struct Direction {
    LinkFaults faults;
    std::deque<Pending> queue;
    LinkCounters counters;
  };
  class End;

  bool Send(int direction, const uint8_t* frame, size_t length);
  size_t Receive(int direction, uint8_t* buffer, size_t capacity);
  bool Chance(double p);

  Direction dir_[2];
  std::unique_ptr<FrameEndpoint> ends_[2];
  std::mt19937 random_;
  uint64_t now_ms_ = 0;
};

// Writes frames in the classic pcap format (microsecond time stamps,
// link type 1 = Ethernet).
class PcapWriter {
 public:
  PcapWriter() = default;
  ~PcapWriter();
  PcapWriter(const PcapWriter&) = delete;
  PcapWriter& operator=(const PcapWriter&) = delete;

  bool Open(const std::string& path, std::string* error);
  void Close();
  bool is_open() const { return file_ != nullptr; }
  // Time stamp: microseconds of the caller's clock.
  void Write(const uint8_t* frame, size_t length, uint64_t time_us);
  uint64_t frames() const { return frames_; }

 private:
  FILE* file_ = nullptr;
  uint64_t frames_ = 0;
};

// An endpoint that records into a pcap file every frame passing through
// another endpoint, in both directions. Time stamps come from `clock_us`
// (wall-clock microseconds by default).
class PcapTap : public FrameEndpoint {
 public:
  PcapTap(FrameEndpoint& inner, PcapWriter& writer,
          std::function<uint64_t()> clock_us = nullptr);
  bool Send(const uint8_t* frame, size_t length) override;
  size_t Receive(uint8_t* buffer, size_t capacity) override;

 private:
  FrameEndpoint& inner_;
  PcapWriter& writer_;
  std::function<uint64_t()> clock_us_;
};

// A Linux TAP device: frames written go to the kernel, frames the kernel
// sends are read back. Non-blocking; needs CAP_NET_ADMIN.
class TapDevice : public FrameEndpoint {
 public:
  TapDevice() = default;
  ~TapDevice() override;
  TapDevice(const TapDevice&) = delete;
  TapDevice& operator=(const TapDevice&) = delete;

  // Creates (or attaches to) the TAP interface `name`.
  bool Open(const std::string& name, std::string* error);
  void Close();
  bool is_open() const { return fd_ >= 0; }
  const std::string& name() const { return name_; }
  // The descriptor, for poll(); -1 while closed.
  int fd() const { return fd_; }

  bool Send(const uint8_t* frame, size_t length) override;
  size_t Receive(uint8_t* buffer, size_t capacity) override;

 private:
  int fd_ = -1;
  std::string name_;
};

// The two host services over an endpoint, registered with the dispatch
// registry for as long as the object lives.
//   send frame    (buffer, length) -> 1 when sent, 0 otherwise
//   receive frame (buffer of 1520 bytes) -> length, 0 when none
class FrameServices {
 public:
  explicit FrameServices(FrameEndpoint& endpoint);
  ~FrameServices();
  FrameServices(const FrameServices&) = delete;
  FrameServices& operator=(const FrameServices&) = delete;

  uint32_t send_handle() const { return send_; }
  uint32_t receive_handle() const { return receive_; }

 private:
  uint32_t send_ = 0;
  uint32_t receive_ = 0;
};

}  // namespace host
