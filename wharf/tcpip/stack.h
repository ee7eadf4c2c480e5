// The stack's state: one instance in static storage.
#pragma once

#include <stdint.h>

#include "wharf/tcpip/arp.h"
#include "wharf/tcpip/tcp.h"

namespace tcpip {

struct StackContext {
  uint32_t clock;              // sampled once per pass
  ArpCache cache;              // the single address-cache entry
  uint32_t resolution_timer;   // clock of the last ARP request (0 at load)
  TcpRecord conn[2];           // control, data
};

extern StackContext g_stack;

}  // namespace tcpip
