#include "wharf/tcpip/icmp.h"

#include <string.h>

#include "wharf/tcpip/checksum.h"
#include "wharf/tcpip/netif.h"
#include "wharf/tcpip/wire.h"

namespace tcpip {
namespace {
constexpr uint8_t kIcmpEchoReply = 0;
constexpr uint8_t kIcmpEchoRequest = 8;
constexpr uint16_t kIcmpHeader = 8;
}  // namespace

void IcmpInput(const Ipv4Datagram& d) {
  uint16_t icmp_length = static_cast<uint16_t>(d.total_length - d.header_length);
  if (icmp_length < kIcmpHeader) return;
  uint8_t* icmp = d.ip + d.header_length;
  if (icmp[0] != kIcmpEchoRequest) return;

  // The request becomes the reply in place.
  uint8_t swap[6];
  memcpy(swap, d.frame, 6);
  memcpy(d.frame, d.frame + 6, 6);
  memcpy(d.frame + 6, swap, 6);
  memcpy(swap, d.ip + 12, 4);
  memcpy(d.ip + 12, d.ip + 16, 4);
  memcpy(d.ip + 16, swap, 4);
  WirePut16(d.ip + 10, 0);
  WirePut16(d.ip + 10, Checksum(d.ip, d.header_length));
  icmp[0] = kIcmpEchoReply;
  icmp[1] = 0;
  WirePut16(icmp + 2, 0);
  WirePut16(icmp + 2, Checksum(icmp, icmp_length));
  NetifSend(d.frame, d.frame_length < kFrameMaxSend ? d.frame_length : kFrameMaxSend);
}

}  // namespace tcpip
