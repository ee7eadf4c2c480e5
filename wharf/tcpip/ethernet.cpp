#include "wharf/tcpip/ethernet.h"

#include <string.h>

#include "wharf/tcpip/arp.h"
#include "wharf/tcpip/ipv4.h"
#include "wharf/tcpip/wire.h"

namespace tcpip {

void EthernetInput(uint8_t* frame, uint16_t length) {
  if (length < kEthHeader) return;
  // IEEE 802.2 with SNAP: the length field is below 1500 and the LLC header
  // is AA AA 03; the SNAP type at offset 20 becomes the Ethernet type.
  if (WireGet16(frame + kEthOffsetType) < 1500 && length >= 16 && frame[14] == 0xAA &&
      frame[15] == 0xAA) {
    if (length < 22) return;
    memmove(frame + 12, frame + 20, length - 20u);
    length = static_cast<uint16_t>(length - 8);
  }
  switch (WireGet16(frame + kEthOffsetType)) {
    case kEthTypeArp: ArpInput(frame, length); break;
    case kEthTypeIpv4: Ipv4Input(frame, length); break;
    default: break;  // other protocols are not ours
  }
}

void EthernetHeader(uint8_t* frame, const uint8_t* destination, const uint8_t* source,
                    uint16_t type) {
  memcpy(frame, destination, 6);
  memcpy(frame + 6, source, 6);
  WirePut16(frame + 12, type);
}

}  // namespace tcpip
