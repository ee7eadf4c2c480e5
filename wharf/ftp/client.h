// The FTP session engine: one login with one server, driven by passes.
//
// All of the engine's state is one FtpClient record. The library keeps one
// in static storage (exports.cpp); tests build fresh ones around a fake
// transport, fake file operations and recording reports.
//
// A pass (FtpPass) reads at most one reply line from the control
// connection and runs the step of the current client state. Each step
// waits for one reply class and chooses the next state; reply time-outs are
// decided in one place (ReplyTimedOut in client.cpp) before the step runs.
#pragma once

#include <stdint.h>

#include "wharf/ftp/transport.h"
#include "wharf/services.h"

// Operation codes, as held in the record and passed to the completion.
enum FtpOperation : uint8_t {
  kOpNone = 0,      // none / end of login
  kOpNameList = 1,  // NLST into a local file
  kOpList = 2,      // LIST into a local file
  kOpPwd = 3,
  kOpRetrieve = 4,
  kOpStore = 5,
  kOpCwd = 6,
  kOpCdUp = 7,
};

// Client states. FtpStateName() gives the parallel table of names.
enum FtpState : uint8_t {
  kFtpIdle = 0,
  kFtpConnecting = 1,
  kFtpClosing = 2,
  kFtpAwaitGreeting = 3,
  kFtpAwaitUserReply = 4,
  kFtpAwaitPassReply = 5,
  kFtpUnused6 = 6,
  kFtpSendType = 7,
  kFtpAwaitTypeReply = 8,
  kFtpReady = 9,
  kFtpSendQuit = 10,
  kFtpAwaitQuitReply = 11,
  kFtpAwaitCommandReply = 12,
  kFtpAwaitPortReply = 13,
  kFtpTransferring = 14,
  kFtpFinishing = 15,
  kFtpStateCount = 16,
};

const char* FtpStateName(uint8_t state);

// Status report codes.
enum : int {
  kStatusConnecting = 1,
  kStatusUserSent = 2,
  kStatusLoggingOut = 3,
  kStatusPwdSent = 4,
  kStatusCwdSent = 5,
  kStatusCdUpSent = 6,
  kStatusPortSent = 7,
  kStatusWritten = 8,
  kStatusRead = 9,
};

// Error report codes.
enum : int {
  kErrConnect = -40,
  kErrNoGreeting = -41,
  kErrGreetingRefused = -42,
  kErrNoUserReply = -43,
  kErrUserRefused = -44,
  kErrNoPassReply = -45,
  kErrAccountNeeded = -46,
  kErrPassRefused = -47,
  kErrNoTypeReply = -48,
  kErrTypeRefused = -49,
  kErrNoQuitReply = -50,
  kErrQuitRefused = -51,
  kErrNoCommandReply = -52,
  kErrCommandRefused = -53,
  kErrNoPortReply = -54,
  kErrPortRefused = -55,
  kErrTransferStalled = -56,
  kErrTransferRefused = -57,
  kErrWrite = -60,
  kErrDestinationClose = -61,
  kErrSourceClose = -63,
  kErrCancelled = -65,
};

// Longest argument (path, file name) the record holds, and longest user
// name or password.
constexpr int kFtpArgumentMax = 68;
constexpr int kFtpLoginMax = 16;
// Characters of a reply line that are kept.
constexpr int kFtpReplyLineMax = 97;
// Default reply time-out and the idle time before the client logs out (ms).
constexpr uint32_t kFtpDefaultReplyTimeOut = 2000;
constexpr uint32_t kFtpIdleLogout = 60000;
// Local ports handed out.
constexpr uint16_t kFtpFirstPort = 2000;
constexpr uint16_t kFtpLastPort = 30999;

// Where the engine's reports go. The library routes them through
// services.h (the callbacks of an ...Ex call, else the host's services);
// tests record them.
struct FtpReportSink {
  void (*error)(int code);
  void (*completion)(int operation, const char* text);
  void (*status)(int code, void* value);
};

struct FtpClient {
  // --- Protocol part: cleared by FtpResetProtocol (wharfInit). ---
  uint8_t state;
  uint8_t operation;
  char remote[kFtpArgumentMax + 1];
  char local[kFtpArgumentMax + 1];
  const WharfFileOps* file_ops;
  uint8_t queued_operation;  // 0: nothing queued
  char queued_remote[kFtpArgumentMax + 1];
  char queued_local[kFtpArgumentMax + 2];
  const WharfFileOps* queued_file_ops;
  uint32_t operation_timer;
  uint8_t reply_class;       // 0 none waiting, 1..5 unconsumed reply
  uint16_t multi_line_code;
  uint32_t multi_line;       // 1 inside a multi-line reply
  uint32_t reply_timer;
  char reply_line[100];      // at most 97 characters and a NUL
  uint8_t reply_length;      // characters of the line read so far
  uint32_t connect_start;    // first opening of the control connection
  uint16_t data_port;        // local port of the current data connection
  bool data_connected;       // the data connection got established
  bool data_closed_by_us;    // an upload closed its data connection
  uint16_t upload_room;      // send room at the last look: more room is progress

  // --- Kept across wharfInit. ---
  uint32_t logout_request;
  uint32_t reply_time_out;
  uint32_t cancel;
  uint16_t port_counter;
  uint8_t port_first_use;

  // --- Surroundings, set by the owner. ---
  const FtpTransport* transport;
  FtpReportSink sink;
  // Written with the current operation whenever it changes, for file
  // operations that report it (may be null).
  int* shared_operation;
  uint8_t own_ip[4];
  char user[kFtpLoginMax + 1];
  char password[kFtpLoginMax + 1];
  uint32_t clock;            // sample of the current pass
  char pwd_text[100];        // text of the last PWD completion (lives on
                             // after the report, as the host may keep it)
};

// A record as after loading: everything zero, reply time-out 2000, the port
// counter not yet seeded.
void FtpClientInit(FtpClient& c);
// Clears the protocol part (wharfInit); the time-out, cancel and logout
// flags and the port counter stay.
void FtpResetProtocol(FtpClient& c, uint32_t clock);
// Sets own address and login; names longer than 16 characters are cut.
void FtpSetLogin(FtpClient& c, const uint8_t own_ip[4], const char* user, const char* password);

// Result of FtpSubmit for an argument that does not fit the record.
constexpr int kFtpRefused = -1;
// Starts (1) or queues (0) an operation. An argument longer than 68
// characters is refused (kFtpRefused) and nothing changes.
int FtpSubmit(FtpClient& c, uint8_t operation, const WharfFileOps* ops, const char* a,
              const char* b);
// One pass of the engine at the given clock.
void FtpPass(FtpClient& c, uint32_t clock);
// wharfDone: completion(0, null) at once when idle, else a logout request.
void FtpRequestLogout(FtpClient& c);
// Draws a fresh local port.
uint16_t FtpNextPort(FtpClient& c);

// Reports through the sink (a missing entry drops the report).
void FtpError(FtpClient& c, int code);
void FtpCompletion(FtpClient& c, int operation, const char* text);
void FtpStatus(FtpClient& c, int code, void* value);
