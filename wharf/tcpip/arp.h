// Address resolution for the single next hop: a one-entry cache, answers to
// requests for the own address, and a broadcast request every 300 ms while
// the next hop is unresolved.
#pragma once

#include <stdint.h>

namespace tcpip {

constexpr uint16_t kArpFrameLength = 42;
constexpr uint32_t kArpRetryMs = 300;

struct ArpCache {
  uint8_t ip[4];
  uint8_t mac[6];
};

// Clears the cache entry (the resolution timer keeps its value).
void ArpReset();
// Handles a received ARP frame (Ethernet header included).
void ArpInput(uint8_t* frame, uint16_t length);
// The resolution tick of one pass.
void ArpTick();
// Whether the cache holds the next hop's hardware address.
bool ArpResolved();
// The cached hardware address (meaningful when ArpResolved()).
const uint8_t* ArpCachedMac();

}  // namespace tcpip
