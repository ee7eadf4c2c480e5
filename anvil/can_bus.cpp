// The CAN channels in the host's shared memory: switches, rings, mailboxes.
#include "anvil/can_bus.h"

#include "bridge/host_api.h"

namespace anvil {
namespace {

struct ChannelOffsets {
  uint32_t write, read, capture, ring, mail_flag, mailbox;
};

bool Offsets(uint32_t channel, ChannelOffsets* o) {
  if (channel == 1) *o = {kCanWrite1, kCanRead1, kCanSwitch1, kCanRing1, kCanMailFlag1, kCanMailbox1};
  else if (channel == 2) *o = {kCanWrite2, kCanRead2, kCanSwitch2, kCanRing2, kCanMailFlag2, kCanMailbox2};
  else return false;
  return true;
}

bool ValidOffset(uint16_t offset) { return offset % sizeof(CanMessage) == 0 && offset < kCanRingBytes; }

}  // namespace

uint32_t CanMilliseconds(uint32_t count, uint32_t frequency, bool counts_down) {
  if (frequency == 0) return 0;
  uint32_t ms = frequency >= 1000 ? count / (frequency / 1000)
                                  : static_cast<uint32_t>(static_cast<uint64_t>(count) * 1000 / frequency);
  return counts_down ? ~ms : ms;
}

CanClock CanClockOf(const _CANVIEW* r) {
  const volatile uint32_t* ticks = RecordGet<const volatile uint32_t*>(r, offsetof(_CANVIEW, ticks));
  uint32_t frequency = RecordGet<uint32_t>(r, offsetof(_CANVIEW, frequency));
  if (ticks == nullptr || frequency == 0) return CanClock{false, 0};
  bool down = RecordGet<uint8_t>(r, offsetof(_CANVIEW, counts_down)) != 0;
  return CanClock{true, CanMilliseconds(*ticks, frequency, down)};
}

bool CanOpenChannel(uint8_t* shared, uint32_t channel) {
  ChannelOffsets o;
  if (shared == nullptr || !Offsets(channel, &o)) return false;
  shared[o.capture] = kCanSwitchOn;
  return true;
}

void CanCloseChannel(uint8_t* shared, uint32_t channel) {
  ChannelOffsets o;
  if (shared != nullptr && Offsets(channel, &o)) shared[o.capture] = 0;
}

bool CanReadMessage(uint8_t* shared, uint32_t channel, CanMessage* out) {
  ChannelOffsets o;
  if (shared == nullptr || !Offsets(channel, &o)) return false;
  uint32_t ring = RecordGet<uint32_t>(shared, o.ring);
  uint16_t write = RecordGet<uint16_t>(shared, o.write);
  uint16_t read = RecordGet<uint16_t>(shared, o.read);
  if (ring == 0 || !ValidOffset(write)) return false;
  if (!ValidOffset(read)) {
    RecordSet<uint16_t>(shared, o.read, write);
    return false;
  }
  if (read == write) return false;
  __builtin_memcpy(out, reinterpret_cast<const void*>(static_cast<uintptr_t>(ring) + read), sizeof *out);
  read = static_cast<uint16_t>(read + sizeof(CanMessage));
  if (read >= kCanRingBytes) read = 0;
  RecordSet<uint16_t>(shared, o.read, read);
  return true;
}

bool CanSendMessage(uint8_t* shared, uint32_t channel, const CanMessage& message) {
  ChannelOffsets o;
  if (shared == nullptr || !Offsets(channel, &o) || shared[o.mail_flag] != 0) return false;
  __builtin_memcpy(shared + o.mailbox, &message, sizeof message);
  shared[o.mail_flag] = kCanMailFull;
  return true;
}

}  // namespace anvil
