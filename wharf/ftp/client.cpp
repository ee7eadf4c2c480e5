// The FTP session engine. See client.h for the shape of a pass.
#include "wharf/ftp/client.h"

#include <string.h>

namespace {

const char* const kStateNames[kFtpStateCount] = {
    "Idle",          "Connecting",       "Closing",         "AwaitGreeting",
    "AwaitUserReply", "AwaitPassReply",  "Unused6",         "SendType",
    "AwaitTypeReply", "Ready",           "SendQuit",        "AwaitQuitReply",
    "AwaitCommandReply", "AwaitPortReply", "Transferring",  "Finishing",
};

constexpr uint16_t kControlPort = 21;
constexpr uint16_t kDataPort = 20;
// Largest block of file data handled in one pass: out (an upload fills at
// most the send ring) and in (a download writes at most this much).
constexpr uint16_t kUploadBlock = 1072;
constexpr uint16_t kDownloadBlock = 1024;
// Room of a cancelled download: the data is read and dropped.
constexpr uint16_t kCancelledRoom = 1000;

// ---- Small helpers -----------------------------------------------------------

FtpLinkState LinkState(const FtpClient& c, FtpLink link) {
  return c.transport->state(c.transport->context, link);
}

void LinkClose(const FtpClient& c, FtpLink link) { c.transport->close(c.transport->context, link); }

void Restart(FtpClient& c) { c.reply_timer = c.clock; }
void Consume(FtpClient& c) { c.reply_class = 0; }

// The one place where time-outs are decided: strictly more than `limit`
// milliseconds since `start`, in wrapping 32-bit arithmetic.
bool Expired(const FtpClient& c, uint32_t start, uint32_t limit) { return c.clock - start > limit; }
bool ReplyTimedOut(const FtpClient& c) { return Expired(c, c.reply_timer, c.reply_time_out); }

void SetOperation(FtpClient& c, uint8_t operation) {
  c.operation = operation;
  if (c.shared_operation) *c.shared_operation = operation;
}

// Copies a string that is known to fit (checked at submission).
void CopyArgument(char* to, size_t size, const char* from) {
  size_t n = from ? strnlen(from, size - 1) : 0;
  memcpy(to, from ? from : "", n);
  to[n] = '\0';
}

// Appends `text` to a command being built, never past `size`.
void Append(char* command, size_t size, size_t* length, const char* text) {
  size_t n = strnlen(text, size);
  if (*length + n >= size) n = size - 1 - *length;
  memcpy(command + *length, text, n);
  *length += n;
  command[*length] = '\0';
}

void AppendNumber(char* command, size_t size, size_t* length, unsigned value) {
  char digits[12];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  char text[12];
  for (int i = 0; i < n; ++i) text[i] = digits[n - 1 - i];
  text[n] = '\0';
  Append(command, size, length, text);
}

// Sends "<verb>[ <argument>]\r\n" on the control connection in one piece;
// a command that does not fit the send ring's room is not sent.
void SendCommand(FtpClient& c, const char* verb, const char* argument) {
  char command[kFtpArgumentMax + 32];
  size_t length = 0;
  command[0] = '\0';
  Append(command, sizeof command, &length, verb);
  if (argument) {
    Append(command, sizeof command, &length, " ");
    Append(command, sizeof command, &length, argument);
  }
  Append(command, sizeof command, &length, "\r\n");
  c.transport->send(c.transport->context, kFtpControl, command, static_cast<uint16_t>(length));
}

void SendPort(FtpClient& c) {
  char command[40];
  size_t length = 0;
  command[0] = '\0';
  Append(command, sizeof command, &length, "PORT ");
  for (int i = 0; i < 4; ++i) {
    AppendNumber(command, sizeof command, &length, c.own_ip[i]);
    Append(command, sizeof command, &length, ",");
  }
  AppendNumber(command, sizeof command, &length, c.data_port >> 8);
  Append(command, sizeof command, &length, ",");
  AppendNumber(command, sizeof command, &length, c.data_port & 0xFF);
  Append(command, sizeof command, &length, "\r\n");
  c.transport->send(c.transport->context, kFtpControl, command, static_cast<uint16_t>(length));
}

// Closes the local file of the current transfer; returns the close
// operation's answer (2 means the close failed).
int CloseLocalFile(FtpClient& c, int reason) {
  if (!c.file_ops || !c.file_ops->close) return 0;
  return c.file_ops->close(reason);
}

void BeginLogout(FtpClient& c) { c.state = kFtpClosing; LinkClose(c, kFtpControl); }

// ---- Reply reader ------------------------------------------------------------

// Interprets a complete line held in reply_line.
void InterpretLine(FtpClient& c) {
  const char* line = c.reply_line;
  if (line[0] < '0' || line[0] > '9') return;  // not a reply line
  uint16_t code = static_cast<uint16_t>((line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0'));
  uint8_t reply_class = static_cast<uint8_t>(line[0] - '0');
  bool continued = line[3] == '-';
  if (c.multi_line) {
    if (continued || code != c.multi_line_code) return;
    c.multi_line = 0;
  } else if (continued) {
    c.multi_line = 1;
    c.multi_line_code = code;
    return;
  } else {
    c.multi_line_code = code;
  }
  c.reply_class = reply_class <= 5 ? reply_class : 0;
}

// Reads at most one reply line. A line is complete when its line feed has
// been taken or 97 characters are stored (the rest of a longer line then
// reads as a line of its own); a line whose end has not yet arrived stays
// in the buffer and is continued on later passes.
void ReadReply(FtpClient& c) {
  if (c.reply_class != 0) return;
  if (LinkState(c, kFtpControl) == kLinkClosed) return;
  const FtpTransport& t = *c.transport;
  if (t.receive_count(t.context, kFtpControl) == 0) return;
  bool complete = false;
  while (c.reply_length < kFtpReplyLineMax) {
    char ch;
    if (t.receive(t.context, kFtpControl, &ch, 1) != 1) break;
    c.reply_line[c.reply_length++] = ch;
    if (ch == '\n') {
      complete = true;
      break;
    }
  }
  if (c.reply_length >= kFtpReplyLineMax) complete = true;
  c.reply_line[c.reply_length] = '\0';
  if (!complete) return;
  InterpretLine(c);
  c.reply_length = 0;
}

// ---- Transfers -----------------------------------------------------------------

// Ends a transfer whose local file write failed: -60, operation 0, data
// connection and file closed, back to Ready.
void FailWrite(FtpClient& c) {
  FtpError(c, kErrWrite);
  SetOperation(c, kOpNone);
  LinkClose(c, kFtpData);
  CloseLocalFile(c, kErrWrite);
  Restart(c);
  c.state = kFtpReady;
}

// Moves one block from the data connection to the local file (dropped when
// cancelled). Returns false when the write failed and the transfer ended.
bool MoveDownloadBlock(FtpClient& c) {
  uint32_t room = c.cancel ? kCancelledRoom : c.file_ops->buffer_size();
  if (room == 0) return true;
  if (room > kDownloadBlock) room = kDownloadBlock;
  uint8_t block[kDownloadBlock];
  uint16_t n = c.transport->receive(c.transport->context, kFtpData, block, static_cast<uint16_t>(room));
  if (!c.cancel && !c.file_ops->write(n, block)) {
    FailWrite(c);
    return false;
  }
  return true;
}

// One block of an upload: as much of the file as the send ring takes. Once
// the file has ended or the transfer was cancelled, the data connection is
// closed and no more of the file is read.
void MoveUploadBlock(FtpClient& c) {
  const FtpTransport& t = *c.transport;
  if (c.data_closed_by_us) return;
  if (c.cancel) {
    LinkClose(c, kFtpData);
    c.data_closed_by_us = true;
    Restart(c);
    return;
  }
  uint16_t room = t.send_room(t.context, kFtpData);
  if (room == 0) return;
  uint16_t n = room < kUploadBlock ? room : kUploadBlock;
  uint8_t block[kUploadBlock];
  int end = 0;
  uint32_t got = c.file_ops->read(n, block, &end);
  if (got > n) got = n;  // a table that answers more than asked is cut
  if (got > 0) t.send(t.context, kFtpData, block, static_cast<uint16_t>(got));
  c.upload_room = t.send_room(t.context, kFtpData);
  if (LinkState(c, kFtpData) == kLinkEstablished && (end || c.cancel)) {
    LinkClose(c, kFtpData);
    c.data_closed_by_us = true;
  }
  Restart(c);
}

bool IsListingOrRetrieve(uint8_t op) {
  return op == kOpNameList || op == kOpList || op == kOpRetrieve;
}

// ---- State steps ---------------------------------------------------------------
// Each step handles the reply class waiting (if any) and, where it waits,
// the reply time-out.

void StepIdle(FtpClient& c) {
  if (c.operation == kOpNone) return;
  c.connect_start = c.clock;
  c.transport->open_active(c.transport->context, kFtpControl, FtpNextPort(c), kControlPort);
  Restart(c);
  c.state = kFtpConnecting;
  FtpStatus(c, kStatusConnecting, nullptr);
}

// The time-out runs from the first opening, so a server that refuses at
// once (or a frame service that fails) cannot keep the client here.
void StepConnecting(FtpClient& c) {
  FtpLinkState s = LinkState(c, kFtpControl);
  if (s == kLinkEstablished) {
    Restart(c);
    c.state = kFtpAwaitGreeting;
  } else if (Expired(c, c.connect_start, c.reply_time_out)) {
    FtpError(c, kErrConnect);
    BeginLogout(c);
    Restart(c);
  } else if (s == kLinkClosed) {
    c.transport->open_active(c.transport->context, kFtpControl, FtpNextPort(c), kControlPort);
  }
}

void StepClosing(FtpClient& c) {
  FtpLinkState s = LinkState(c, kFtpControl);
  if (s != kLinkClosed && !ReplyTimedOut(c)) return;
  if (s != kLinkClosed) c.transport->abort(c.transport->context, kFtpControl);
  SetOperation(c, kOpNone);
  Consume(c);
  c.state = kFtpIdle;
  c.logout_request = 0;
  FtpCompletion(c, kOpNone, nullptr);
}

void StepAwaitGreeting(FtpClient& c) {
  switch (c.reply_class) {
    case 0:
      if (!ReplyTimedOut(c)) return;
      FtpError(c, kErrNoGreeting);
      BeginLogout(c);
      break;
    case 1:
      break;
    case 2:
      SendCommand(c, "USER", c.user);
      c.state = kFtpAwaitUserReply;
      FtpStatus(c, kStatusUserSent, nullptr);
      break;
    default:
      FtpError(c, kErrGreetingRefused);
      BeginLogout(c);
      break;
  }
  Restart(c);
  Consume(c);
}

void StepAwaitUserReply(FtpClient& c) {
  switch (c.reply_class) {
    case 0:
      if (ReplyTimedOut(c)) {
        FtpError(c, kErrNoUserReply);
        c.state = kFtpSendQuit;
      }
      break;
    case 2:  // logged in without a password
      c.state = kFtpSendType;
      break;
    case 3:
      SendCommand(c, "PASS", c.password);
      Restart(c);
      c.state = kFtpAwaitPassReply;
      break;
    default:
      FtpError(c, kErrUserRefused);
      c.state = kFtpSendQuit;
      break;
  }
  Consume(c);
}

void StepAwaitPassReply(FtpClient& c) {
  switch (c.reply_class) {
    case 0:
      if (ReplyTimedOut(c)) {
        FtpError(c, kErrNoPassReply);
        c.state = kFtpSendQuit;
      }
      break;
    case 2:
      c.state = kFtpSendType;
      break;
    case 3:  // an account is asked for; ACCT is not offered
      FtpError(c, kErrAccountNeeded);
      c.state = kFtpSendQuit;
      break;
    default:
      FtpError(c, kErrPassRefused);
      c.state = kFtpSendQuit;
      break;
  }
  Consume(c);
}

void StepSendType(FtpClient& c) {
  SendCommand(c, "TYPE", "I");
  Restart(c);
  c.state = kFtpAwaitTypeReply;
}

void StepAwaitTypeReply(FtpClient& c) {
  switch (c.reply_class) {
    case 0:
      if (ReplyTimedOut(c)) {
        FtpError(c, kErrNoTypeReply);
        c.state = kFtpSendQuit;
      }
      break;
    case 2:
      c.state = kFtpReady;
      break;
    default:
      FtpError(c, kErrTypeRefused);
      c.state = kFtpSendQuit;
      break;
  }
  Consume(c);
}

// Starts the current operation from Ready. Returns false when its local
// file could not be opened (the operation is dropped).
bool StartOperation(FtpClient& c) {
  switch (c.operation) {
    case kOpPwd:
      c.state = kFtpAwaitCommandReply;
      SendCommand(c, "PWD", nullptr);
      FtpStatus(c, kStatusPwdSent, nullptr);
      break;
    case kOpCwd:
      c.state = kFtpAwaitCommandReply;
      SendCommand(c, "CWD", c.remote);
      FtpStatus(c, kStatusCwdSent, nullptr);
      break;
    case kOpCdUp:
      c.state = kFtpAwaitCommandReply;
      SendCommand(c, "CDUP", nullptr);
      FtpStatus(c, kStatusCdUpSent, nullptr);
      break;
    default: {
      const WharfFileOps* ops = c.file_ops;
      int opened = 0;
      if (ops) opened = c.operation == kOpStore ? ops->open_read(c.local) : ops->open_write(c.local);
      if (!opened) {
        SetOperation(c, kOpNone);  // the file operation reported the error
        return false;
      }
      c.data_port = FtpNextPort(c);
      c.data_connected = false;
      c.data_closed_by_us = false;
      c.upload_room = 0;
      c.transport->open_passive(c.transport->context, kFtpData, c.data_port, kDataPort);
      c.state = kFtpAwaitPortReply;
      SendPort(c);
      FtpStatus(c, kStatusPortSent, nullptr);
      break;
    }
  }
  Restart(c);
  return true;
}

void StepReady(FtpClient& c) {
  if (c.reply_class == 4) {  // unsolicited, such as a service-closing notice
    BeginLogout(c);           // not consumed; the sub-steps below still run
  }
  if (c.operation != kOpNone) {
    StartOperation(c);
    return;
  }
  if (c.logout_request || Expired(c, c.operation_timer, kFtpIdleLogout)) {
    c.state = kFtpSendQuit;
    FtpStatus(c, kStatusLoggingOut, nullptr);
  } else if (LinkState(c, kFtpControl) == kLinkCloseWait) {
    BeginLogout(c);
  }
}

void StepSendQuit(FtpClient& c) {
  SendCommand(c, "QUIT", nullptr);
  Restart(c);
  c.state = kFtpAwaitQuitReply;
}

void StepAwaitQuitReply(FtpClient& c) {
  if (c.reply_class == 0) {
    if (!ReplyTimedOut(c)) return;
    FtpError(c, kErrNoQuitReply);
  } else if (c.reply_class == 2) {
    FtpStatus(c, kStatusLoggingOut, nullptr);
  } else {
    FtpError(c, kErrQuitRefused);
  }
  Restart(c);
  BeginLogout(c);
  Consume(c);
}

// The PWD text: from the first double quote up to and including the next
// one (to the end of the line when it is missing). A reply without any
// double quote reports an empty text.
const char* PwdText(FtpClient& c) {
  const char* open = static_cast<const char*>(memchr(c.reply_line, '"', strnlen(c.reply_line, sizeof c.reply_line)));
  size_t n = 0;
  if (open) {
    const char* end = c.reply_line + strnlen(c.reply_line, sizeof c.reply_line);
    const char* close = static_cast<const char*>(memchr(open + 1, '"', static_cast<size_t>(end - open - 1)));
    if (close) {
      n = static_cast<size_t>(close - open + 1);
    } else {
      n = static_cast<size_t>(end - open);
      while (n > 1 && (open[n - 1] == '\n' || open[n - 1] == '\r')) --n;
    }
    if (n >= sizeof c.pwd_text) n = sizeof c.pwd_text - 1;
    memcpy(c.pwd_text, open, n);
  }
  c.pwd_text[n] = '\0';
  return c.pwd_text;
}

void StepAwaitCommandReply(FtpClient& c) {
  switch (c.reply_class) {
    case 0:
      if (ReplyTimedOut(c)) {
        FtpError(c, kErrNoCommandReply);
        c.state = kFtpSendQuit;
      }
      return;
    case 2: {
      uint8_t op = c.operation;
      SetOperation(c, kOpNone);
      c.state = kFtpReady;
      Consume(c);
      FtpCompletion(c, op, op == kOpPwd ? PwdText(c) : nullptr);
      return;
    }
    default:
      FtpError(c, kErrCommandRefused);
      break;
  }
  SetOperation(c, kOpNone);
  c.state = kFtpReady;
  Consume(c);
}

void StepAwaitPortReply(FtpClient& c) {
  switch (c.reply_class) {
    case 0:
      if (!ReplyTimedOut(c)) return;
      // The listening data connection is closed too: a queued operation
      // waits for it to be CLOSED and would otherwise never start.
      FtpError(c, kErrNoPortReply);
      Consume(c);
      CloseLocalFile(c, kErrNoPortReply);
      LinkClose(c, kFtpData);
      c.state = kFtpSendQuit;
      return;
    case 2:
      Consume(c);
      switch (c.operation) {
        case kOpNameList: SendCommand(c, "NLST", nullptr); break;
        case kOpList: SendCommand(c, "LIST", nullptr); break;
        case kOpRetrieve: SendCommand(c, "RETR", c.remote); break;
        default: SendCommand(c, "STOR", c.remote); break;
      }
      Restart(c);
      c.state = kFtpTransferring;
      return;
    default:
      FtpError(c, kErrPortRefused);
      Consume(c);
      CloseLocalFile(c, kErrPortRefused);
      LinkClose(c, kFtpData);
      SetOperation(c, kOpNone);
      c.state = kFtpReady;
      return;
  }
}

void StepTransferring(FtpClient& c) {
  FtpLinkState data = LinkState(c, kFtpData);
  if (data >= kLinkEstablished) c.data_connected = true;
  if (data == kLinkClosed && !c.data_connected) {
    // Not yet connected (or reset before connecting): listen again.
    c.transport->open_passive(c.transport->context, kFtpData, c.data_port, kDataPort);
    Restart(c);
    return;
  }
  // A data connection that was established and is CLOSED again has
  // finished; the transfer waits for the server's reply.
  if (c.reply_class != 0) {
    if (c.reply_class == 2) {
      c.state = kFtpFinishing;
    } else if (c.reply_class >= 3) {
      FtpError(c, kErrTransferRefused);
      SetOperation(c, kOpNone);
      LinkClose(c, kFtpData);
      CloseLocalFile(c, kErrTransferRefused);
      c.state = kFtpReady;
    }
    Restart(c);
    Consume(c);
    return;
  }
  if (c.operation == kOpStore) {
    // Bytes the server acknowledged free send room, also after the upload
    // closed its side: a slow link that still moves the upload is not a
    // stalled transfer.
    uint16_t room = c.transport->send_room(c.transport->context, kFtpData);
    if (room > c.upload_room) Restart(c);
    c.upload_room = room;
  }
  if (data == kLinkEstablished) {
    if (c.operation == kOpStore) {
      MoveUploadBlock(c);
    } else if (c.transport->receive_count(c.transport->context, kFtpData) > 0) {
      if (!MoveDownloadBlock(c)) return;
      Restart(c);
    }
  }
  if (ReplyTimedOut(c)) {
    LinkClose(c, kFtpData);
    CloseLocalFile(c, kErrTransferStalled);
    c.state = kFtpSendQuit;
    FtpError(c, kErrTransferStalled);
  }
}

void StepFinishing(FtpClient& c) {
  const FtpTransport& t = *c.transport;
  if (IsListingOrRetrieve(c.operation) && t.receive_count(t.context, kFtpData) > 0) {
    if (!MoveDownloadBlock(c)) return;
    Restart(c);
    return;
  }
  FtpLinkState data = LinkState(c, kFtpData);
  if (data != kLinkClosed && data != kLinkCloseWait) {
    if (!ReplyTimedOut(c)) return;
    FtpError(c, kErrTransferStalled);
    LinkClose(c, kFtpData);
    CloseLocalFile(c, kErrTransferStalled);
    c.state = kFtpSendQuit;
    return;
  }
  bool cancelled_by_caller = c.cancel && c.queued_operation == kOpNone;
  int closed = CloseLocalFile(c, cancelled_by_caller ? kErrCancelled : 0);
  if (cancelled_by_caller) FtpError(c, kErrCancelled);
  Restart(c);
  if (closed == 2) FtpError(c, c.operation == kOpStore ? kErrSourceClose : kErrDestinationClose);
  if (data == kLinkCloseWait) LinkClose(c, kFtpData);
  SetOperation(c, kOpNone);
  c.state = kFtpReady;
}

void PromoteQueued(FtpClient& c) {
  if (c.operation != kOpNone || c.queued_operation == kOpNone) return;
  if (LinkState(c, kFtpData) != kLinkClosed) return;
  c.cancel = 0;
  SetOperation(c, c.queued_operation);
  c.operation_timer = c.clock;
  c.file_ops = c.queued_file_ops;
  memcpy(c.remote, c.queued_remote, sizeof c.remote);
  c.remote[kFtpArgumentMax] = '\0';
  memcpy(c.local, c.queued_local, sizeof c.local);
  c.local[kFtpArgumentMax] = '\0';
  c.queued_operation = kOpNone;
  c.queued_file_ops = nullptr;
  c.queued_remote[0] = c.queued_local[0] = '\0';
}

// An argument fits when it is short enough for the record and holds no
// line end: a CR or LF would end the command early and let the rest of the
// name pass for a command of its own on the control connection.
bool ArgumentFits(const char* text) {
  if (text == nullptr) return true;
  size_t length = strnlen(text, kFtpArgumentMax + 1);
  if (length > kFtpArgumentMax) return false;
  return memchr(text, '\r', length) == nullptr && memchr(text, '\n', length) == nullptr;
}

}  // namespace

const char* FtpStateName(uint8_t state) {
  return state < kFtpStateCount ? kStateNames[state] : "?";
}

void FtpClientInit(FtpClient& c) {
  memset(&c, 0, sizeof c);
  c.reply_time_out = kFtpDefaultReplyTimeOut;
  c.port_first_use = 1;
}

void FtpResetProtocol(FtpClient& c, uint32_t clock) {
  c.clock = clock;
  c.state = kFtpIdle;
  SetOperation(c, kOpNone);
  memset(c.remote, 0, sizeof c.remote);
  memset(c.local, 0, sizeof c.local);
  c.file_ops = nullptr;
  c.queued_operation = kOpNone;
  memset(c.queued_remote, 0, sizeof c.queued_remote);
  memset(c.queued_local, 0, sizeof c.queued_local);
  c.queued_file_ops = nullptr;
  c.operation_timer = 0;
  c.reply_class = 0;
  c.multi_line_code = 0;
  c.multi_line = 0;
  c.reply_timer = 0;
  memset(c.reply_line, 0, sizeof c.reply_line);
  c.reply_length = 0;
  c.connect_start = 0;
  c.data_port = 0;
  c.data_connected = false;
  c.data_closed_by_us = false;
}

void FtpSetLogin(FtpClient& c, const uint8_t own_ip[4], const char* user, const char* password) {
  memcpy(c.own_ip, own_ip, 4);
  CopyArgument(c.user, sizeof c.user, user);
  CopyArgument(c.password, sizeof c.password, password);
  // A line end would split USER or PASS into two commands: the name ends there.
  char* fields[2] = {c.user, c.password};
  for (char* field : fields)
    for (char* p = field; *p != '\0'; ++p)
      if (*p == '\r' || *p == '\n') {
        *p = '\0';
        break;
      }
}

// Ports run 2000..30999 and wrap to 2000. The first counter comes from the
// clock; the remainder is taken non-negative, so a clock value below 1999
// also lands in the range (ports below 1024 are refused by servers).
uint16_t FtpNextPort(FtpClient& c) {
  constexpr int32_t kSpan = kFtpLastPort - kFtpFirstPort + 1;  // 29000
  if (c.port_first_use) {
    c.port_counter = static_cast<uint16_t>(c.clock & 0xFFFF);
    c.port_first_use = 0;
  }
  int32_t offset = (static_cast<int32_t>(c.port_counter) - (kFtpFirstPort - 1)) % kSpan;
  if (offset < 0) offset += kSpan;
  c.port_counter = static_cast<uint16_t>(offset + kFtpFirstPort);
  return c.port_counter;
}

int FtpSubmit(FtpClient& c, uint8_t operation, const WharfFileOps* ops, const char* a, const char* b) {
  if (!ArgumentFits(a) || !ArgumentFits(b)) return kFtpRefused;
  if (c.operation != kOpNone) {
    c.cancel = 1;
    c.queued_operation = operation;
    c.queued_file_ops = ops;
    CopyArgument(c.queued_remote, sizeof c.queued_remote, a);
    CopyArgument(c.queued_local, sizeof c.queued_local, b);
    return 0;
  }
  c.cancel = 0;
  SetOperation(c, operation);
  c.operation_timer = c.clock;
  c.file_ops = ops;
  CopyArgument(c.remote, sizeof c.remote, a);
  CopyArgument(c.local, sizeof c.local, b);
  return 1;
}

void FtpRequestLogout(FtpClient& c) {
  if (c.state == kFtpIdle && c.operation == kOpNone) {
    FtpCompletion(c, kOpNone, nullptr);
  } else {
    c.logout_request = 1;
  }
}

void FtpPass(FtpClient& c, uint32_t clock) {
  c.clock = clock;
  PromoteQueued(c);
  ReadReply(c);
  if (c.operation != kOpNone) c.operation_timer = c.clock;
  switch (c.state) {
    case kFtpIdle: StepIdle(c); break;
    case kFtpConnecting: StepConnecting(c); break;
    case kFtpClosing: StepClosing(c); break;
    case kFtpAwaitGreeting: StepAwaitGreeting(c); break;
    case kFtpAwaitUserReply: StepAwaitUserReply(c); break;
    case kFtpAwaitPassReply: StepAwaitPassReply(c); break;
    case kFtpSendType: StepSendType(c); break;
    case kFtpAwaitTypeReply: StepAwaitTypeReply(c); break;
    case kFtpReady: StepReady(c); break;
    case kFtpSendQuit: StepSendQuit(c); break;
    case kFtpAwaitQuitReply: StepAwaitQuitReply(c); break;
    case kFtpAwaitCommandReply: StepAwaitCommandReply(c); break;
    case kFtpAwaitPortReply: StepAwaitPortReply(c); break;
    case kFtpTransferring: StepTransferring(c); break;
    case kFtpFinishing: StepFinishing(c); break;
    default: c.state = kFtpIdle; break;  // state 6 is never entered
  }
}

void FtpError(FtpClient& c, int code) {
  if (c.sink.error) c.sink.error(code);
}

void FtpCompletion(FtpClient& c, int operation, const char* text) {
  if (c.sink.completion) c.sink.completion(operation, text);
}

void FtpStatus(FtpClient& c, int code, void* value) {
  if (c.sink.status) c.sink.status(code, value);
}
