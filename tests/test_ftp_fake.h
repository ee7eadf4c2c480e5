// A scripted fake of the FTP engine's transport: the test sets the states
// of the two links, queues what the server sends, and reads what the engine
// queued for sending.
#pragma once

#include <string.h>

#include <algorithm>
#include <string>

#include "wharf/ftp/transport.h"

namespace ftp_fake {

struct FakeLink {
  FtpLinkState state = kLinkClosed;
  std::string inbox;   // bytes the server sent, not yet taken
  std::string sent;    // everything the engine queued
  uint16_t room = 1072;
  int active_opens = 0;
  int passive_opens = 0;
  int closes = 0;
  int aborts = 0;
  uint16_t local_port = 0;
  uint16_t remote_port = 0;
  bool refuse = false;  // active opens fail at once
};

struct FakeTransport {
  FakeLink link[2];
};

inline FakeLink& L(void* ctx, FtpLink link) { return static_cast<FakeTransport*>(ctx)->link[link]; }

inline int FakeOpenActive(void* ctx, FtpLink link, uint16_t local, uint16_t remote) {
  FakeLink& l = L(ctx, link);
  ++l.active_opens;
  l.local_port = local;
  l.remote_port = remote;
  l.state = l.refuse ? kLinkClosed : kLinkSynSent;
  return l.refuse ? 0 : 1;
}
inline void FakeOpenPassive(void* ctx, FtpLink link, uint16_t local, uint16_t remote) {
  FakeLink& l = L(ctx, link);
  ++l.passive_opens;
  l.local_port = local;
  l.remote_port = remote;
  l.state = kLinkListen;
  l.inbox.clear();
}
inline bool FakeSend(void* ctx, FtpLink link, const void* bytes, uint16_t n) {
  FakeLink& l = L(ctx, link);
  if (l.state == kLinkClosed || n > l.room) return false;
  l.sent.append(static_cast<const char*>(bytes), n);
  return true;
}
inline uint16_t FakeReceive(void* ctx, FtpLink link, void* buffer, uint16_t n) {
  FakeLink& l = L(ctx, link);
  uint16_t k = static_cast<uint16_t>(std::min<size_t>(n, l.inbox.size()));
  memcpy(buffer, l.inbox.data(), k);
  l.inbox.erase(0, k);
  return k;
}
inline void FakeClose(void* ctx, FtpLink link) {
  FakeLink& l = L(ctx, link);
  ++l.closes;
  if (l.state == kLinkListen || l.state == kLinkSynSent) l.state = kLinkClosed;
  else if (l.state == kLinkEstablished) l.state = kLinkFinWait1;
  else if (l.state == kLinkCloseWait) l.state = kLinkLastAck;
}
inline void FakeAbort(void* ctx, FtpLink link) {
  ++L(ctx, link).aborts;
  L(ctx, link).state = kLinkClosed;
}
inline FtpLinkState FakeState(void* ctx, FtpLink link) { return L(ctx, link).state; }
inline uint16_t FakeSendRoom(void* ctx, FtpLink link) { return L(ctx, link).room; }
inline uint16_t FakeReceiveCount(void* ctx, FtpLink link) {
  return static_cast<uint16_t>(L(ctx, link).inbox.size());
}

inline FtpTransport FakeTransportTable(FakeTransport* fake) {
  return {fake, FakeOpenActive, FakeOpenPassive, FakeSend, FakeReceive, FakeClose,
          FakeAbort, FakeState, FakeSendRoom, FakeReceiveCount};
}

}  // namespace ftp_fake
