// The Internet checksum (RFC 1071): one's-complement sum of 16-bit
// big-endian words, carries folded back, complemented. A final odd byte is
// taken as the high byte of a word whose low byte is zero.
#pragma once

#include <stdint.h>

namespace tcpip {

// Adds `length` bytes to a running 32-bit sum. Sums of several pieces are
// only correct when every piece but the last has an even length.
uint32_t ChecksumAdd(uint32_t sum, const uint8_t* data, uint32_t length);
// Folds the carries and complements.
uint16_t ChecksumFinish(uint32_t sum);
// Checksum of one block.
inline uint16_t Checksum(const uint8_t* data, uint32_t length) {
  return ChecksumFinish(ChecksumAdd(0, data, length));
}
// Running sum of the TCP pseudo-header: source, destination, zero,
// protocol, TCP length.
uint32_t ChecksumPseudoHeader(const uint8_t* source, const uint8_t* destination,
                              uint8_t protocol, uint16_t length);

}  // namespace tcpip
