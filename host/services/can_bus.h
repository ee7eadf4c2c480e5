// The simulator's CAN bus: two channels as the control's CAN driver offers
// them to Anvil's CAN monitor in the host's shared memory (anvil/can_view.h
// gives the offsets).
//
// A CanBus owns, for as long as it lives:
//   - the two receive rings (1000 messages of 16 bytes each); their
//     addresses are written into the shared block at construction, and
//     both offsets set to 0;
//   - each channel's source: frames of a CAN log (host/services/can_log.h)
//     replayed at their recorded pace on the host's clock, or as fast as the
//     ring takes them;
//   - the frames taken from each send mailbox.
// It writes the write offsets, the ring contents and clears the mailbox
// flags; the library writes the read offsets, the capture switches and the
// mailboxes. A channel's ring is filled only while its switch is 255, and
// never over unread messages: a full ring holds the source back (counted).
// Each message carries its recorded time: the host's clock at Start plus
// the frame's offset from the log's first frame, in milliseconds. A full
// mailbox is taken after the mailbox delay: the frame is logged, echoed into
// the ring with bit 14 (as a controller reports its own sends; dropped and
// counted when the switch is off or the ring full) and the flag cleared.
// Offsets the library left out of range are not repaired by the host; it
// then stops filling that ring (a controller would not know where to write).
#pragma once

#include <stdint.h>

#include <vector>

#include "anvil/can_view.h"
#include "host/services/can_log.h"
#include "host/services/host_memory.h"

namespace host {

class CanBus {
 public:
  explicit CanBus(HostMemory& shared);
  CanBus(const CanBus&) = delete;
  CanBus& operator=(const CanBus&) = delete;

  // Channel 1 or 2 replays `frames` (in order) from Start on.
  void SetSource(int channel, std::vector<CanLogFrame> frames);
  // false: every frame as soon as its ring has room (time stamps stay).
  void SetPaced(bool paced) { paced_ = paced; }
  void SetMailboxDelay(uint32_t ms) { mailbox_delay_ = ms; }
  void Start(uint32_t now_ms);
  // Moves what is due into the rings and takes full mailboxes.
  void Step(uint32_t now_ms);

  // One message into channel's ring now (tests); false when the switch is
  // off, the ring is full or its offsets are out of range.
  bool Push(int channel, const CanMessage& message);

  uint8_t* ring(int channel) { return rings_[Index(channel)].data(); }
  uint32_t held_back(int channel) const { return held_back_[Index(channel)]; }
  uint32_t echoes_dropped(int channel) const { return echoes_dropped_[Index(channel)]; }
  size_t delivered(int channel) const { return next_[Index(channel)]; }
  size_t pending(int channel) const { return sources_[Index(channel)].size() - next_[Index(channel)]; }
  const std::vector<CanLogFrame>& sent(int channel) const { return sent_[Index(channel)]; }
  // The host clock's origin in the logs' time: the first frame's time.
  uint64_t origin_us() const { return origin_us_; }

 private:
  static int Index(int channel) { return channel == 2 ? 1 : 0; }
  uint32_t WriteOffset(int channel) const;
  uint32_t ReadOffset(int channel) const;
  void TakeMailbox(int channel, uint32_t now_ms);

  HostMemory& shared_;
  std::vector<uint8_t> rings_[2];
  std::vector<CanLogFrame> sources_[2];
  size_t next_[2] = {0, 0};
  std::vector<CanLogFrame> sent_[2];
  uint32_t held_back_[2] = {0, 0};
  uint32_t echoes_dropped_[2] = {0, 0};
  bool mailbox_seen_[2] = {false, false};
  uint32_t mailbox_since_[2] = {0, 0};
  bool paced_ = true;
  uint32_t mailbox_delay_ = 2;
  uint32_t start_ms_ = 0;
  uint64_t origin_us_ = 0;
};

}  // namespace host
