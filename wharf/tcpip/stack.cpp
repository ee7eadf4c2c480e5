// One pass of the stack and its reset.
#include <string.h>

#include "wharf/tcpip/arp.h"
#include "wharf/tcpip/clock.h"
#include "wharf/tcpip/ethernet.h"
#include "wharf/tcpip/netif.h"
#include "wharf/tcpip/stack.h"
#include "wharf/tcpip/tcp_api.h"

namespace tcpip {

StackContext g_stack;

void StackReset() {
  memset(g_stack.conn, 0, sizeof g_stack.conn);
  ArpReset();
}

uint32_t StackClockSample() {
  g_stack.clock = ClockRead();
  return g_stack.clock;
}

uint32_t StackClockNow() { return g_stack.clock; }

void StackPass() {
  uint8_t frame[kFrameMaxReceive];
  uint16_t length = NetifReceive(frame);
  if (length > 0) EthernetInput(frame, length);
  ArpTick();
  TcpTimerStep(&g_stack.conn[0]);
  TcpTimerStep(&g_stack.conn[1]);
}

}  // namespace tcpip
