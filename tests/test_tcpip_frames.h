// Frames as a peer on the wire builds and reads them, for the stack's tests:
// independent of the stack's own code (own checksum, own byte order).
#pragma once

#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

namespace tcpip_test {

using Frame = std::vector<uint8_t>;

struct Mac { uint8_t b[6]; };
struct Ip4 { uint8_t b[4]; };

inline void Put16(Frame& f, size_t at, uint16_t v) {
  f[at] = static_cast<uint8_t>(v >> 8);
  f[at + 1] = static_cast<uint8_t>(v);
}
inline void Put32(Frame& f, size_t at, uint32_t v) {
  Put16(f, at, static_cast<uint16_t>(v >> 16));
  Put16(f, at + 2, static_cast<uint16_t>(v));
}
inline uint16_t Get16(const Frame& f, size_t at) {
  return static_cast<uint16_t>((f[at] << 8) | f[at + 1]);
}
inline uint32_t Get32(const Frame& f, size_t at) {
  return (static_cast<uint32_t>(Get16(f, at)) << 16) | Get16(f, at + 2);
}

// Plain RFC 1071 sum over bytes [at, at + n), odd byte padded.
inline uint32_t Sum16(const Frame& f, size_t at, size_t n, uint32_t sum = 0) {
  for (size_t i = 0; i < n; i += 2) {
    uint32_t hi = f[at + i];
    uint32_t lo = i + 1 < n ? f[at + i + 1] : 0;
    sum += (hi << 8) | lo;
  }
  return sum;
}
inline uint16_t Fold(uint32_t sum) {
  while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<uint16_t>(~sum & 0xFFFF);
}

enum : uint8_t { kFin = 0x01, kSyn = 0x02, kRst = 0x04, kPsh = 0x08, kAck = 0x10 };

struct Endpoints {
  Mac peer_mac;
  Mac own_mac;
  Ip4 peer_ip;
  Ip4 own_ip;
};

inline Frame EthernetFrame(const Mac& dst, const Mac& src, uint16_t type, size_t payload) {
  Frame f(14 + payload, 0);
  memcpy(&f[0], dst.b, 6);
  memcpy(&f[6], src.b, 6);
  Put16(f, 12, type);
  return f;
}

// IPv4 datagram from the peer to the own address; `payload` bytes follow.
inline Frame IpFrame(const Endpoints& e, uint8_t protocol, size_t payload) {
  Frame f = EthernetFrame(e.own_mac, e.peer_mac, 0x0800, 20 + payload);
  f[14] = 0x45;
  Put16(f, 16, static_cast<uint16_t>(20 + payload));
  Put16(f, 18, 0x1234);  // identification
  f[20] = 0x40;          // don't fragment
  f[22] = 64;            // time to live
  f[23] = protocol;
  memcpy(&f[26], e.peer_ip.b, 4);
  memcpy(&f[30], e.own_ip.b, 4);
  return f;
}
inline void FixIpChecksum(Frame& f) {
  Put16(f, 24, 0);
  Put16(f, 24, Fold(Sum16(f, 14, (f[14] & 0x0F) * 4u)));
}

inline Frame TcpFrame(const Endpoints& e, uint16_t sport, uint16_t dport, uint32_t seq,
                      uint32_t ack, uint8_t flags, uint16_t window,
                      const std::string& data = std::string()) {
  Frame f = IpFrame(e, 6, 20 + data.size());
  size_t t = 34;
  Put16(f, t, sport);
  Put16(f, t + 2, dport);
  Put32(f, t + 4, seq);
  Put32(f, t + 8, ack);
  f[t + 12] = 5 << 4;
  f[t + 13] = flags;
  Put16(f, t + 14, window);
  memcpy(&f[t + 20], data.data(), data.size());
  FixIpChecksum(f);
  uint16_t len = static_cast<uint16_t>(20 + data.size());
  uint32_t sum = Sum16(f, 26, 8) + 6 + len;
  Put16(f, t + 16, Fold(Sum16(f, t, len, sum)));
  return f;
}

inline Frame PingFrame(const Endpoints& e, size_t payload_bytes, uint16_t id = 7) {
  Frame f = IpFrame(e, 1, 8 + payload_bytes);
  size_t i = 34;
  f[i] = 8;
  Put16(f, i + 4, id);
  Put16(f, i + 6, 1);
  for (size_t k = 0; k < payload_bytes; ++k) f[i + 8 + k] = static_cast<uint8_t>(0xA0 + k);
  FixIpChecksum(f);
  Put16(f, i + 2, Fold(Sum16(f, i, 8 + payload_bytes)));
  return f;
}

inline Frame ArpFrame(const Mac& eth_dst, const Mac& sender_mac, const Ip4& sender_ip,
                      const Mac& target_mac, const Ip4& target_ip, uint16_t op) {
  Frame f = EthernetFrame(eth_dst, sender_mac, 0x0806, 28);
  Put16(f, 14, 1);
  Put16(f, 16, 0x0800);
  f[18] = 6;
  f[19] = 4;
  Put16(f, 20, op);
  memcpy(&f[22], sender_mac.b, 6);
  memcpy(&f[28], sender_ip.b, 4);
  memcpy(&f[32], target_mac.b, 6);
  memcpy(&f[38], target_ip.b, 4);
  return f;
}

// A TCP segment read from a frame the stack sent; `valid` is false when any
// header or checksum is wrong.
struct Segment {
  bool valid = false;
  uint16_t sport = 0, dport = 0;
  uint32_t seq = 0, ack = 0;
  uint8_t flags = 0;
  uint16_t window = 0;
  uint16_t mss = 0;  // 0 without the option
  std::string data;
  bool Has(uint8_t flag) const { return (flags & flag) != 0; }
};

inline Segment ParseTcp(const Frame& f) {
  Segment s;
  if (f.size() < 54 || Get16(f, 12) != 0x0800) return s;
  if (f[14] != 0x45 || f[23] != 6) return s;
  uint16_t total = Get16(f, 16);
  if (total + 14u != f.size()) return s;
  if (Fold(Sum16(f, 14, 20)) != 0) return s;
  size_t t = 34;
  uint16_t len = static_cast<uint16_t>(total - 20);
  uint32_t sum = Sum16(f, 26, 8) + 6 + len;
  if (Fold(Sum16(f, t, len, sum)) != 0) return s;
  size_t header = (f[t + 12] >> 4) * 4u;
  if (header < 20 || header > len) return s;
  s.sport = Get16(f, t);
  s.dport = Get16(f, t + 2);
  s.seq = Get32(f, t + 4);
  s.ack = Get32(f, t + 8);
  s.flags = f[t + 13];
  s.window = Get16(f, t + 14);
  if (header >= 24 && f[t + 20] == 2 && f[t + 21] == 4) s.mss = Get16(f, t + 22);
  s.data.assign(reinterpret_cast<const char*>(&f[t + header]), len - header);
  s.valid = true;
  return s;
}

}  // namespace tcpip_test
