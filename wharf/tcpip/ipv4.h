// IPv4 for one own address: the input checks, the hand-over to ICMP and TCP,
// and the header of every datagram sent.
#pragma once

#include <stdint.h>

namespace tcpip {

constexpr uint16_t kIpHeader = 20;
constexpr uint8_t kIpProtocolIcmp = 1;
constexpr uint8_t kIpProtocolTcp = 6;
constexpr uint8_t kIpTimeToLive = 60;

// What the IPv4 layer hands up: the frame, where the IP header starts, and
// the lengths it has checked against the frame.
struct Ipv4Datagram {
  uint8_t* frame;
  uint16_t frame_length;
  uint8_t* ip;              // frame + 14
  uint16_t header_length;   // bytes, 20..60
  uint16_t total_length;    // bytes, header_length..frame_length - 14
};

// Checks a received frame of type 0x0800 and passes it on; drops it
// silently when any check fails.
void Ipv4Input(uint8_t* frame, uint16_t length);

// Writes a 20-byte header (don't-fragment, TTL 60, identification 0) with
// its checksum, from the own address to the server.
void Ipv4Header(uint8_t* ip, uint16_t total_length, uint8_t protocol);

}  // namespace tcpip
