// What the FTP engine sees of the TCP/IP stack: two connections (control and
// data), each driven through the calls below, and one pass that moves the
// stack forward.
//
// The stack owns both connection records; the engine names them by TcpConn.
// Every datagram goes to the server address of the configuration
// (WHARF_INIT_PARAMS), so a connection is identified by its ports alone.
//
// Time: the stack reads the clock sampled by StackClockSample() (one sample
// per wharfCont), so every timer in one pass sees the same value. The engine
// reads the same sample with StackClockNow().
//
// Nothing here blocks. Calls on a connection whose state does not allow them
// return 0 and change nothing.
#pragma once

#include <stdint.h>

namespace tcpip {

// The two connection records.
enum class TcpConn : uint8_t { kControl = 0, kData = 1 };

// Connection states; the numbers are those of the connection record.
enum class TcpState : uint8_t {
  kClosed = 0,
  kListen = 1,
  kSynSent = 2,
  kSynReceived = 3,
  kEstablished = 4,
  kFinWait1 = 5,
  kFinWait2 = 6,
  kCloseWait = 7,
  kClosing = 8,    // closing after our FIN; never entered
  kLastAck = 9,    // also the simultaneous-close state
  kTimeWait = 10,
};

// Capacity of each of the three byte rings of a connection.
constexpr uint16_t kTcpRingCapacity = 1072;

// --- Lifetime ---------------------------------------------------------------

// Clears both connection records (CLOSED) and the address cache; wharfInit
// calls it after installing the configuration.
void StackReset();

// Samples the clock (milliseconds from the platform's tick counter) and keeps
// the sample for the pass; returns it.
uint32_t StackClockSample();
// The sample taken by the last StackClockSample().
uint32_t StackClockNow();

// One pass of the stack: handles at most one received frame, the address
// resolution tick, then the timers of the control and the data connection.
void StackPass();

// --- Connections ------------------------------------------------------------

// Opens `conn` actively: clears it, sends a SYN from local_port to
// remote_port on the server. Returns 1 (state SYN-SENT), or 0 when the frame
// could not be sent (state stays CLOSED).
int TcpOpenActive(TcpConn conn, uint16_t local_port, uint16_t remote_port);

// Opens `conn` passively: clears it and listens on local_port. A SYN from
// any remote port is accepted; remote_port is only the expected one. Returns 1.
int TcpOpenPassive(TcpConn conn, uint16_t local_port, uint16_t remote_port);

// Appends n bytes to the send ring, all or nothing. Returns n when the bytes
// were taken, 0 when they do not fit or the state does not allow sending
// (anything but LISTEN, SYN-SENT, SYN-RECEIVED, ESTABLISHED, CLOSE-WAIT).
// In ESTABLISHED and CLOSE-WAIT a segment goes out at once.
uint16_t TcpSend(TcpConn conn, const void* bytes, uint16_t n);

// Takes up to n received bytes into `buffer`; returns how many. Only in
// ESTABLISHED, FIN-WAIT-1, FIN-WAIT-2 and CLOSE-WAIT, else 0. Opens the
// advertised window again when enough room was freed.
uint16_t TcpReceive(TcpConn conn, void* buffer, uint16_t n);

// Orderly close: LISTEN and SYN-SENT become CLOSED at once; SYN-RECEIVED,
// ESTABLISHED and CLOSE-WAIT send their FIN once the send ring is empty.
void TcpClose(TcpConn conn);

// Forces the record to CLOSED without sending anything (the engine's
// give-up path after a time-out).
void TcpAbort(TcpConn conn);

// --- Queries ----------------------------------------------------------------

TcpState TcpGetState(TcpConn conn);
// Bytes waiting in the send ring (not yet sent) and its capacity.
uint16_t TcpSendCount(TcpConn conn);
uint16_t TcpSendCapacity(TcpConn conn);
// Free room of the send ring: the largest TcpSend that succeeds now (0 in a
// state that does not allow sending).
uint16_t TcpSendRoom(TcpConn conn);
// Bytes received and not yet taken.
uint16_t TcpReceiveCount(TcpConn conn);
// Local port of the record (0 while CLOSED and never opened).
uint16_t TcpLocalPort(TcpConn conn);

}  // namespace tcpip
