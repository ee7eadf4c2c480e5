#include "host/services/can_bus.h"

#include <string.h>

namespace host {
namespace {

struct Offsets {
  uint32_t write, read, capture, ring, mail_flag, mailbox;
};

Offsets Of(int channel) {
  if (channel == 2)
    return {anvil::kCanWrite2, anvil::kCanRead2, anvil::kCanSwitch2, anvil::kCanRing2, anvil::kCanMailFlag2,
            anvil::kCanMailbox2};
  return {anvil::kCanWrite1, anvil::kCanRead1, anvil::kCanSwitch1, anvil::kCanRing1, anvil::kCanMailFlag1,
          anvil::kCanMailbox1};
}

}  // namespace

CanBus::CanBus(HostMemory& shared) : shared_(shared) {
  for (int channel = 1; channel <= 2; ++channel) {
    rings_[Index(channel)].assign(anvil::kCanRingBytes, 0);
    Offsets o = Of(channel);
    shared_.Set<uint32_t>(o.ring, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(ring(channel))));
    shared_.Set<uint16_t>(o.write, 0);
    shared_.Set<uint16_t>(o.read, 0);
  }
}

void CanBus::SetSource(int channel, std::vector<CanLogFrame> frames) {
  sources_[Index(channel)] = std::move(frames);
  next_[Index(channel)] = 0;
}

void CanBus::Start(uint32_t now_ms) {
  start_ms_ = now_ms;
  bool any = false;
  for (const auto& source : sources_)
    if (!source.empty() && (!any || source.front().time_us < origin_us_)) {
      origin_us_ = source.front().time_us;
      any = true;
    }
}

uint32_t CanBus::WriteOffset(int channel) const { return shared_.Get<uint16_t>(Of(channel).write); }
uint32_t CanBus::ReadOffset(int channel) const { return shared_.Get<uint16_t>(Of(channel).read); }

bool CanBus::Push(int channel, const CanMessage& message) {
  Offsets o = Of(channel);
  if (shared_.Get<uint8_t>(o.capture) != anvil::kCanSwitchOn) return false;
  uint32_t write = WriteOffset(channel), read = ReadOffset(channel);
  if (write % 16 != 0 || write >= anvil::kCanRingBytes || read % 16 != 0 || read >= anvil::kCanRingBytes)
    return false;
  uint32_t next = write + 16 == anvil::kCanRingBytes ? 0 : write + 16;
  if (next == read) return false;  // full: never over unread messages
  memcpy(ring(channel) + write, &message, sizeof message);
  shared_.Set<uint16_t>(o.write, static_cast<uint16_t>(next));
  return true;
}

void CanBus::Step(uint32_t now_ms) {
  for (int channel = 1; channel <= 2; ++channel) {
    int k = Index(channel);
    TakeMailbox(channel, now_ms);
    if (shared_.Get<uint8_t>(Of(channel).capture) != anvil::kCanSwitchOn) continue;
    while (next_[k] < sources_[k].size()) {
      const CanLogFrame& f = sources_[k][next_[k]];
      uint32_t due = start_ms_ + static_cast<uint32_t>((f.time_us - origin_us_) / 1000);
      if (paced_ && static_cast<int32_t>(now_ms - due) < 0) break;
      CanMessage m{};
      m.id = static_cast<uint16_t>(f.id | (f.sent ? anvil::kCanSent : anvil::kCanReceived));
      m.length = f.length;
      memcpy(m.data, f.data, sizeof m.data);
      m.time = due;
      if (!Push(channel, m)) {
        ++held_back_[k];
        break;
      }
      ++next_[k];
    }
  }
}

void CanBus::TakeMailbox(int channel, uint32_t now_ms) {
  int k = Index(channel);
  Offsets o = Of(channel);
  if (shared_.Get<uint8_t>(o.mail_flag) == 0) {
    mailbox_seen_[k] = false;
    return;
  }
  if (!mailbox_seen_[k]) {
    mailbox_seen_[k] = true;
    mailbox_since_[k] = now_ms;
  }
  if (now_ms - mailbox_since_[k] < mailbox_delay_) return;
  CanMessage m{};
  memcpy(&m, shared_.At(o.mailbox, sizeof m), sizeof m);
  CanLogFrame f;
  f.time_us = origin_us_ + static_cast<uint64_t>(now_ms - start_ms_) * 1000;
  f.id = m.id & 0x7FF;
  f.length = m.length > 15 ? 15 : m.length;
  memcpy(f.data, m.data, sizeof f.data);
  f.sent = true;
  sent_[k].push_back(f);
  CanMessage echo = m;
  echo.id = static_cast<uint16_t>((m.id & anvil::kCanIdMask) | anvil::kCanSent);
  echo.time = now_ms;
  if (!Push(channel, echo)) ++echoes_dropped_[k];
  shared_.Set<uint8_t>(o.mail_flag, 0);
  mailbox_seen_[k] = false;
}

}  // namespace host
