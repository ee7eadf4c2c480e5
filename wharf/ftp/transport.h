// What the FTP engine needs of a TCP stack, and nothing more.
//
// The engine drives two connections, the control connection (to the
// server's port 21) and the data connection (listening for the server's
// port 20). It opens, writes, reads, closes and watches them through this
// table, so it can run over the library's own stack (transport_tcpip.cpp)
// or over a test's scripted fake.
//
// Every operation is polled and returns at once. `context` is handed back
// to each operation unchanged.
#pragma once

#include <stdint.h>

enum FtpLink : uint8_t { kFtpControl = 0, kFtpData = 1 };

// Connection states with the numbers of the stack's records.
enum FtpLinkState : uint8_t {
  kLinkClosed = 0,
  kLinkListen = 1,
  kLinkSynSent = 2,
  kLinkSynReceived = 3,
  kLinkEstablished = 4,
  kLinkFinWait1 = 5,
  kLinkFinWait2 = 6,
  kLinkCloseWait = 7,
  kLinkClosing = 8,
  kLinkLastAck = 9,
  kLinkTimeWait = 10,
};

struct FtpTransport {
  void* context;
  // Opens the link actively towards remote_port from local_port: 1 when the
  // opening segment went out, 0 when it failed (the link stays CLOSED).
  int (*open_active)(void* context, FtpLink link, uint16_t local_port, uint16_t remote_port);
  // Listens on local_port for a connection (remote_port is the expected
  // peer port, not a filter). Always succeeds.
  void (*open_passive)(void* context, FtpLink link, uint16_t local_port, uint16_t remote_port);
  // Queues n bytes for sending, all or nothing: true when they were taken.
  bool (*send)(void* context, FtpLink link, const void* bytes, uint16_t n);
  // Takes up to n received bytes; returns how many.
  uint16_t (*receive)(void* context, FtpLink link, void* buffer, uint16_t n);
  // Orderly close (FIN once everything queued has gone).
  void (*close)(void* context, FtpLink link);
  // Forces CLOSED without sending anything.
  void (*abort)(void* context, FtpLink link);
  FtpLinkState (*state)(void* context, FtpLink link);
  // Free room for send(): the largest n that send() takes now.
  uint16_t (*send_room)(void* context, FtpLink link);
  // Received bytes waiting to be taken.
  uint16_t (*receive_count)(void* context, FtpLink link);
};

// The transport over the library's own TCP/IP stack.
extern const FtpTransport g_ftp_tcpip_transport;
