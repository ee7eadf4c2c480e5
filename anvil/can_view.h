// The CAN bus monitor's host interface: its parameter record (_CANVIEW),
// the 16-byte CAN message and the shared-memory offsets of the two
// channels' receive rings, capture switches and send mailboxes, and the
// 31-byte packet record of a list line.
#pragma once

#include <stddef.h>
#include <stdint.h>

#pragma pack(push, 1)
struct _CANVIEW {
  uint16_t reserved;          // not read
  uint8_t key_code;           // 0 = no key; cleared by CanViewCont after handling
  uint8_t key_char;           // character of key code 1
  uint16_t left, top, right, bottom;  // the window in screen pixels
  const volatile uint32_t* ticks;     // the host's tick counter; null = a clock that stands still
  uint32_t frequency;         // ticks per second; 0 = a clock that stands still
  uint8_t counts_down;        // non-zero: the counter counts down
  uint8_t panel;              // 0: the operator panel cannot serve the monitor
};

// A CAN message as the host and the library exchange it.
struct CanMessage {
  uint16_t id;                // bits 0-13 identifier, 15 received, 14 sent by the control
  uint8_t zero;
  uint8_t length;             // 0 to 8 (more is taken as 8)
  uint8_t data[8];
  uint32_t time;              // milliseconds; 0 in messages the library sends
};

// One line of a packet list.
struct CanPacket {
  uint16_t id;                // bits 0-13
  uint8_t length;
  uint8_t data[8];
  uint32_t time;              // time stamp of the last arrival
  uint32_t period;            // time between the last two arrivals
  uint32_t period_max;
  uint32_t count;             // arrivals so far
  uint32_t entered;           // 1: composed or re-sent by the operator
};
#pragma pack(pop)

static_assert(offsetof(_CANVIEW, key_code) == 2);
static_assert(offsetof(_CANVIEW, key_char) == 3);
static_assert(offsetof(_CANVIEW, left) == 4);
static_assert(offsetof(_CANVIEW, top) == 6);
static_assert(offsetof(_CANVIEW, right) == 8);
static_assert(offsetof(_CANVIEW, bottom) == 10);
static_assert(offsetof(_CANVIEW, ticks) == 12);
static_assert(offsetof(_CANVIEW, frequency) == 16);
static_assert(offsetof(_CANVIEW, counts_down) == 20);
static_assert(offsetof(_CANVIEW, panel) == 21);
static_assert(sizeof(_CANVIEW) == 22);

static_assert(offsetof(CanMessage, id) == 0);
static_assert(offsetof(CanMessage, zero) == 2);
static_assert(offsetof(CanMessage, length) == 3);
static_assert(offsetof(CanMessage, data) == 4);
static_assert(offsetof(CanMessage, time) == 12);
static_assert(sizeof(CanMessage) == 16);

static_assert(offsetof(CanPacket, id) == 0);
static_assert(offsetof(CanPacket, length) == 2);
static_assert(offsetof(CanPacket, data) == 3);
static_assert(offsetof(CanPacket, time) == 11);
static_assert(offsetof(CanPacket, period) == 15);
static_assert(offsetof(CanPacket, period_max) == 19);
static_assert(offsetof(CanPacket, count) == 23);
static_assert(offsetof(CanPacket, entered) == 27);
static_assert(sizeof(CanPacket) == 31);

namespace anvil {

// Offsets in the host's shared memory (channel 2 first, as the host lays
// them out). The library writes only the read offsets, the capture
// switches and, when free, a mailbox and its flag.
enum CanShared : uint32_t {
  kCanWrite2 = 2799508,      // u16 channel 2 ring write offset (host)
  kCanRead2 = 2799510,       // u16 channel 2 ring read offset (library)
  kCanWrite1 = 2799512,
  kCanRead1 = 2799514,
  kCanSwitch2 = 2799516,     // u8 channel 2 capture switch: 255 on, 0 off
  kCanSwitch1 = 2799517,
  kCanRing2 = 2799518,       // u32 address of channel 2's ring
  kCanRing1 = 2799522,
  kCanMailFlag2 = 2799534,   // u8 channel 2 send mailbox: 0 free, 255 full
  kCanMailFlag1 = 2799535,
  kCanMailbox2 = 2799536,    // 16 bytes
  kCanMailbox1 = 2799552,
};
static_assert(kCanWrite2 == 0x2AB794 && kCanRead2 == 0x2AB796 && kCanWrite1 == 0x2AB798 &&
              kCanRead1 == 0x2AB79A && kCanSwitch2 == 0x2AB79C && kCanSwitch1 == 0x2AB79D &&
              kCanRing2 == 0x2AB79E && kCanRing1 == 0x2AB7A2 && kCanMailFlag2 == 0x2AB7AE &&
              kCanMailFlag1 == 0x2AB7AF && kCanMailbox2 == 0x2AB7B0 && kCanMailbox1 == 0x2AB7C0);

constexpr uint32_t kCanRingMessages = 1000;
constexpr uint32_t kCanRingBytes = kCanRingMessages * sizeof(CanMessage);  // 16000
constexpr uint16_t kCanReceived = 0x8000, kCanSent = 0x4000, kCanIdMask = 0x3FFF;
constexpr uint8_t kCanSwitchOn = 255, kCanMailFull = 255;

// Word of the control's state record holding the monitor's mode (R766).
constexpr uint32_t kCanModeWord = 766;

}  // namespace anvil
