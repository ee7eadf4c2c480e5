#include "wharf/tcpip/arp.h"

#include <string.h>

#include "wharf/config.h"
#include "wharf/tcpip/ethernet.h"
#include "wharf/tcpip/netif.h"
#include "wharf/tcpip/stack.h"
#include "wharf/tcpip/wire.h"

namespace tcpip {
namespace {

// Offsets in the frame (Ethernet header included).
enum : uint16_t {
  kArpHardwareType = 14, kArpProtocolType = 16, kArpHardwareLength = 18,
  kArpProtocolLength = 19, kArpOperation = 20, kArpSenderMac = 22, kArpSenderIp = 28,
  kArpTargetMac = 32, kArpTargetIp = 38,
};
static_assert(kArpTargetIp + 4 == kArpFrameLength);

constexpr uint16_t kArpRequest = 1;
constexpr uint16_t kArpReply = 2;

const uint8_t kBroadcast[6] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

}  // namespace

void ArpReset() { memset(&g_stack.cache, 0, sizeof g_stack.cache); }

bool ArpResolved() { return memcmp(g_stack.cache.ip, g_wharf_config.next_hop_ip, 4) == 0; }

const uint8_t* ArpCachedMac() { return g_stack.cache.mac; }

void ArpInput(uint8_t* frame, uint16_t length) {
  if (length < kArpFrameLength) return;
  const WHARF_INIT_PARAMS& c = g_wharf_config;
  switch (WireGet16(frame + kArpOperation)) {
    case kArpRequest:
      // Only requests for the own address are answered, in place.
      if (memcmp(frame + kArpTargetIp, c.own_ip, 4) != 0) return;
      memcpy(frame + kArpTargetMac, frame + kArpSenderMac, 6);
      memcpy(frame + kArpTargetIp, frame + kArpSenderIp, 4);
      memcpy(frame + kArpSenderMac, c.own_mac, 6);
      memcpy(frame + kArpSenderIp, c.own_ip, 4);
      WirePut16(frame + kArpOperation, kArpReply);
      EthernetHeader(frame, frame + kArpTargetMac, c.own_mac, kEthTypeArp);
      NetifSend(frame, kArpFrameLength);
      return;
    case kArpReply:
      // The single entry takes whatever the reply announces.
      memcpy(g_stack.cache.ip, frame + kArpSenderIp, 4);
      memcpy(g_stack.cache.mac, frame + kArpSenderMac, 6);
      return;
    default:
      return;
  }
}

void ArpTick() {
  if (ArpResolved()) return;
  if (g_stack.clock - g_stack.resolution_timer <= kArpRetryMs) return;
  const WHARF_INIT_PARAMS& c = g_wharf_config;
  uint8_t frame[kArpFrameLength];
  EthernetHeader(frame, kBroadcast, c.own_mac, kEthTypeArp);
  WirePut16(frame + kArpHardwareType, 1);
  WirePut16(frame + kArpProtocolType, kEthTypeIpv4);
  frame[kArpHardwareLength] = 6;
  frame[kArpProtocolLength] = 4;
  WirePut16(frame + kArpOperation, kArpRequest);
  memcpy(frame + kArpSenderMac, c.own_mac, 6);
  memcpy(frame + kArpSenderIp, c.own_ip, 4);
  memset(frame + kArpTargetMac, 0, 6);
  memcpy(frame + kArpTargetIp, c.next_hop_ip, 4);
  NetifSend(frame, kArpFrameLength);
  g_stack.resolution_timer = g_stack.clock;
}

}  // namespace tcpip
