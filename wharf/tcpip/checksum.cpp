#include "wharf/tcpip/checksum.h"

namespace tcpip {

uint32_t ChecksumAdd(uint32_t sum, const uint8_t* data, uint32_t length) {
  uint32_t i = 0;
  for (; i + 1 < length; i += 2) {
    sum += static_cast<uint32_t>((data[i] << 8) | data[i + 1]);
    // Fold early so long blocks cannot overflow the 32-bit sum.
    if (sum & 0x80000000u) sum = (sum & 0xFFFF) + (sum >> 16);
  }
  if (i < length) sum += static_cast<uint32_t>(data[i] << 8);
  return sum;
}

uint16_t ChecksumFinish(uint32_t sum) {
  while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<uint16_t>(~sum);
}

uint32_t ChecksumPseudoHeader(const uint8_t* source, const uint8_t* destination,
                              uint8_t protocol, uint16_t length) {
  uint32_t sum = ChecksumAdd(0, source, 4);
  sum = ChecksumAdd(sum, destination, 4);
  sum += protocol;
  sum += length;
  return sum;
}

}  // namespace tcpip
