#include "wharf/tcpip/netif.h"

#include "wharf/config.h"

namespace tcpip {

int NetifSend(const uint8_t* frame, uint16_t length) {
  const WHARF_INIT_PARAMS& c = g_wharf_config;
  if (c.dispatch == nullptr || c.send_frame == 0) return 0;
  return c.dispatch(c.send_frame, 2, frame, static_cast<uint32_t>(length)) != 0;
}

uint16_t NetifReceive(uint8_t* buffer) {
  const WHARF_INIT_PARAMS& c = g_wharf_config;
  if (c.dispatch == nullptr || c.receive_frame == 0) return 0;
  int length = c.dispatch(c.receive_frame, 1, buffer) & 0xFFFF;
  if (length > kFrameMaxReceive) return 0;
  return static_cast<uint16_t>(length);
}

}  // namespace tcpip
