// The CAN channels as the host offers them in its shared memory, and the
// monitor's millisecond clock.
//
// The receive rings are single-producer (host) single-consumer (library)
// queues. Nothing the host writes is trusted: a ring address of 0, or a
// read or write offset that is not a multiple of 16 below 16000, never
// leads to a read outside the ring.
#pragma once

#include <stdint.h>

#include "anvil/can_view.h"

namespace anvil {

// The millisecond clock of a _CANVIEW: counter / (frequency / 1000) from
// 1000 Hz up, counter * 1000 / frequency (in 64 bits) below, complemented
// when the counter counts down. Without a counter or with frequency 0 the
// clock stands still (`running` false, `ms` 0).
struct CanClock {
  bool running;
  uint32_t ms;
};
CanClock CanClockOf(const _CANVIEW* record);
uint32_t CanMilliseconds(uint32_t count, uint32_t frequency, bool counts_down);

// Hexadecimal digit `digit` (1 = bits 0-3) of R766.
inline uint32_t CanDigit(uint32_t r766, uint32_t digit) { return (r766 >> (4 * (digit - 1))) & 0xF; }

// Capture switch of channel 1 or 2 to 255; false (nothing written) for
// another channel or without shared memory.
bool CanOpenChannel(uint8_t* shared, uint32_t channel);
void CanCloseChannel(uint8_t* shared, uint32_t channel);

// The next message of the channel's ring into *out, advancing the read
// offset; false when the ring is empty or unusable. A bad read offset is
// reset to the write offset when that one is valid (the unreadable
// messages are dropped); a bad write offset or a ring address of 0 gives
// nothing and changes nothing.
bool CanReadMessage(uint8_t* shared, uint32_t channel, CanMessage* out);

// Hands `message` to the channel's mailbox when it is free (flag 0): the 16
// bytes, then the flag 255. False when it is full (the message is not
// sent), for another channel, or without shared memory.
bool CanSendMessage(uint8_t* shared, uint32_t channel, const CanMessage& message);

}  // namespace anvil
