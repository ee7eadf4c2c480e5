#include "wharf/tcpip/ipv4.h"

#include <string.h>

#include "wharf/config.h"
#include "wharf/tcpip/checksum.h"
#include "wharf/tcpip/ethernet.h"
#include "wharf/tcpip/icmp.h"
#include "wharf/tcpip/tcp.h"
#include "wharf/tcpip/wire.h"

namespace tcpip {

void Ipv4Input(uint8_t* frame, uint16_t length) {
  // Tests in order; the first failing one drops the frame. Besides the
  // protocol's own checks, every length is checked against the frame, so a
  // short or lying datagram is never read beyond the bytes received.
  if (length <= 32) return;
  if (length < kEthHeader + kIpHeader) return;
  uint8_t* ip = frame + kEthHeader;
  uint16_t header_length = static_cast<uint16_t>((ip[0] & 0x0F) * 4);
  if (header_length <= 16) return;            // at least 5 words
  if ((ip[0] >> 4) != 4) return;
  uint16_t total_length = WireGet16(ip + 2);
  if (total_length <= 32) return;
  if (total_length > length - kEthHeader) return;  // truncated datagram
  if (header_length > total_length) return;
  // Fragments are not reassembled: more-fragments set, or a later fragment
  // (non-zero offset), is dropped.
  if (ip[6] & 0x20) return;
  if ((WireGet16(ip + 6) & 0x1FFF) != 0) return;
  if (Checksum(ip, header_length) != 0) return;
  if (memcmp(ip + 16, g_wharf_config.own_ip, 4) != 0) return;

  Ipv4Datagram d = {frame, length, ip, header_length, total_length};
  switch (ip[9]) {
    case kIpProtocolIcmp: IcmpInput(d); break;
    case kIpProtocolTcp: TcpInput(d); break;
    default: break;
  }
}

void Ipv4Header(uint8_t* ip, uint16_t total_length, uint8_t protocol) {
  ip[0] = 0x45;
  ip[1] = 0;
  WirePut16(ip + 2, total_length);
  WirePut16(ip + 4, 0);       // identification
  ip[6] = 0x40;               // don't fragment
  ip[7] = 0;
  ip[8] = kIpTimeToLive;
  ip[9] = protocol;
  WirePut16(ip + 10, 0);
  memcpy(ip + 12, g_wharf_config.own_ip, 4);
  memcpy(ip + 16, g_wharf_config.server_ip, 4);
  WirePut16(ip + 10, Checksum(ip, kIpHeader));
}

}  // namespace tcpip
