// The host's two frame services, reached through the configuration's
// dispatch entry. A service whose handle (or the dispatch entry) is 0 is
// absent: a send then fails and a receive yields no frame.
#pragma once

#include <stdint.h>

namespace tcpip {

constexpr uint16_t kFrameMaxSend = 1514;
constexpr uint16_t kFrameMaxReceive = 1520;

// Hands `length` bytes to the send-frame service; non-zero when sent.
int NetifSend(const uint8_t* frame, uint16_t length);
// Asks for one frame into a buffer of kFrameMaxReceive bytes. Returns its
// length, 0 when none waits. A length above the buffer (a faulty host) is
// treated as no frame, so nothing beyond the buffer is ever read.
uint16_t NetifReceive(uint8_t* buffer);

}  // namespace tcpip
