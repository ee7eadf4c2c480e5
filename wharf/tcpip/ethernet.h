// Ethernet framing: the 14-byte header, IEEE 802.2 frames with a SNAP
// header, and the hand-over to ARP and IPv4.
#pragma once

#include <stdint.h>

namespace tcpip {

constexpr uint16_t kEthHeader = 14;
constexpr uint16_t kEthTypeIpv4 = 0x0800;
constexpr uint16_t kEthTypeArp = 0x0806;
constexpr uint16_t kEthOffsetType = 12;

// Handles one received frame of `length` bytes (at most kFrameMaxReceive),
// in place: a SNAP frame is shortened to an Ethernet II frame first.
void EthernetInput(uint8_t* frame, uint16_t length);

// Writes the 14-byte header: destination, source, type.
void EthernetHeader(uint8_t* frame, const uint8_t* destination, const uint8_t* source,
                    uint16_t type);

}  // namespace tcpip
