// ICMP: echo requests are answered, everything else is dropped.
#pragma once

#include "wharf/tcpip/ipv4.h"

namespace tcpip {

void IcmpInput(const Ipv4Datagram& d);

}  // namespace tcpip
