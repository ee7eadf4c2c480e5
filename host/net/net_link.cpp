#include "host/net/net_frames.h"

#include <string.h>

namespace host {

class FrameLink::End : public FrameEndpoint {
 public:
  End(FrameLink* link, int out, int in) : link_(link), out_(out), in_(in) {}
  bool Send(const uint8_t* frame, size_t length) override {
    return link_->Send(out_, frame, length);
  }
  size_t Receive(uint8_t* buffer, size_t capacity) override {
    return link_->Receive(in_, buffer, capacity);
  }

 private:
  FrameLink* link_;
  int out_;
  int in_;
};

FrameLink::FrameLink(uint32_t seed) : random_(seed) {
  ends_[0] = std::make_unique<End>(this, 0, 1);
  ends_[1] = std::make_unique<End>(this, 1, 0);
}

void FrameLink::SetFaults(const LinkFaults& a_to_b, const LinkFaults& b_to_a) {
  dir_[0].faults = a_to_b;
  dir_[1].faults = b_to_a;
}

bool FrameLink::Chance(double p) {
  if (p <= 0) return false;
  return std::uniform_real_distribution<double>(0.0, 1.0)(random_) < p;
}

bool FrameLink::Send(int direction, const uint8_t* frame, size_t length) {
  Direction& d = dir_[direction];
  d.counters.sent++;
  if (Chance(d.faults.loss)) {
    d.counters.lost++;
    return true;  // the sender cannot tell a frame lost on the wire
  }
  Pending p{now_ms_ + d.faults.delay_ms, Frame(frame, frame + length)};
  int copies = 1;
  if (Chance(d.faults.duplicate)) {
    copies = 2;
    d.counters.duplicated++;
  }
  for (int i = 0; i < copies; ++i) {
    if (!d.queue.empty() && Chance(d.faults.reorder)) {
      // Overtake the last queued frame.
      d.queue.insert(d.queue.end() - 1, p);
      d.counters.reordered++;
    } else {
      d.queue.push_back(p);
    }
  }
  return true;
}

size_t FrameLink::Receive(int direction, uint8_t* buffer, size_t capacity) {
  Direction& d = dir_[direction];
  while (!d.queue.empty() && d.queue.front().due_ms <= now_ms_) {
    Frame frame = std::move(d.queue.front().frame);
    d.queue.pop_front();
    if (frame.size() > capacity) continue;  // cannot be handed over: dropped
    memcpy(buffer, frame.data(), frame.size());
    d.counters.delivered++;
    return frame.size();
  }
  return 0;
}

}  // namespace host
