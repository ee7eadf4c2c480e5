// The FTP session engine against a scripted fake of the transport: the test
// plays the server (replies on the control link, states of both links) and
// drives the clock; reports and local-file calls are recorded.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "tests/test_ftp_fake.h"
#include "wharf/ftp/client.h"

namespace {

using namespace ftp_fake;

// ---- Recorded reports and fake local files -----------------------------------

std::vector<std::string> g_reports;
int g_current_operation = 0;

void RecordError(int code) { g_reports.push_back("E" + std::to_string(code)); }
void RecordCompletion(int op, const char* text) {
  g_reports.push_back("C" + std::to_string(op) + (text ? std::string(":") + text : std::string()));
}
void RecordStatus(int code, void*) {
  if (code == kStatusWritten || code == kStatusRead) return;  // per block; counted elsewhere
  g_reports.push_back("S" + std::to_string(code));
}

struct FakeFiles {
  std::string source;       // content of the file an upload reads
  size_t read_offset = 0;
  int reads = 0;
  std::string written;      // content a download wrote
  bool open = false;
  bool fail_open = false;
  bool fail_write = false;
  int close_result = 0;
  std::vector<int> close_reasons;
};
FakeFiles* g_files = nullptr;

int FilesOpen(const char*) {
  if (g_files->fail_open) {
    RecordError(-5);
    return 0;
  }
  g_files->open = true;
  g_files->read_offset = 0;
  return 1;
}
uint32_t FilesRead(uint32_t n, void* buffer, int* end) {
  ++g_files->reads;
  size_t k = std::min<size_t>(n, g_files->source.size() - g_files->read_offset);
  memcpy(buffer, g_files->source.data() + g_files->read_offset, k);
  g_files->read_offset += k;
  *end = g_files->read_offset == g_files->source.size();
  return static_cast<uint32_t>(k);
}
uint32_t FilesBufferSize() { return 1024; }
int FilesWrite(uint32_t n, const void* buffer) {
  if (g_files->fail_write) return 0;
  g_files->written.append(static_cast<const char*>(buffer), n);
  return 1;
}
// Like the built-in close: reports completion of the current operation.
int FilesClose(int reason) {
  g_files->open = false;
  g_files->close_reasons.push_back(reason);
  RecordCompletion(g_current_operation, nullptr);
  return g_files->close_result;
}
const WharfFileOps kFakeOps = {FilesOpen, FilesOpen, FilesRead, FilesBufferSize, FilesWrite, FilesClose};

std::string Pattern(size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return s;
}

// ---- Fixture --------------------------------------------------------------------

class FtpEngine : public ::testing::Test {
 protected:
  void SetUp() override {
    g_reports.clear();
    g_current_operation = 0;
    g_files = &files;
    transport = FakeTransportTable(&fake);
    FtpClientInit(c);
    c.transport = &transport;
    c.sink = {RecordError, RecordCompletion, RecordStatus};
    c.shared_operation = &g_current_operation;
    const uint8_t ip[4] = {192, 168, 1, 20};
    FtpSetLogin(c, ip, "anna", "secret");
    FtpResetProtocol(c, clock);
  }
  void TearDown() override {
    EXPECT_FALSE(files.open) << "a local file was left open";
    g_files = nullptr;
  }

  FakeLink& control() { return fake.link[kFtpControl]; }
  FakeLink& data() { return fake.link[kFtpData]; }

  void Pass(uint32_t advance = 10) {
    clock += advance;
    FtpPass(c, clock);
  }
  void Passes(int n, uint32_t advance = 10) {
    for (int i = 0; i < n; ++i) Pass(advance);
  }
  // Server reply: queued on the control link and read by the next passes.
  void Reply(const std::string& text) {
    control().inbox += text;
    Pass();
  }
  // Takes what the engine sent on the control link since the last call.
  std::string Sent() {
    std::string s = control().sent;
    control().sent.clear();
    return s;
  }
  bool Reported(const std::string& what) const {
    for (auto& r : g_reports) if (r == what) return true;
    return false;
  }

  // Opens the control connection; ends awaiting the greeting.
  void Connect() {
    Pass();
    ASSERT_EQ(c.state, kFtpConnecting);
    control().state = kLinkEstablished;
    Pass();
    ASSERT_EQ(c.state, kFtpAwaitGreeting);
  }
  // Connects and logs in with user and password; ends Ready with the
  // operation that opened the login still current.
  void Login() {
    Connect();
    Reply("220 ready\r\n");
    ASSERT_EQ(Sent(), "USER anna\r\n");
    Reply("331 password\r\n");
    ASSERT_EQ(Sent(), "PASS secret\r\n");
    Reply("230 in\r\n");
    Pass();  // SendType
    ASSERT_EQ(Sent(), "TYPE I\r\n");
    Reply("200 binary\r\n");
    ASSERT_EQ(c.state, kFtpReady);
  }
  // From Ready with a transfer current: PORT accepted, transfer command out.
  void StartTransfer(const char* expected_command) {
    Pass();
    ASSERT_EQ(c.state, kFtpAwaitPortReply);
    ASSERT_EQ(Sent().substr(0, 5), "PORT ");
    Reply("200 PORT ok\r\n");
    ASSERT_EQ(c.state, kFtpTransferring);
    ASSERT_EQ(Sent(), expected_command);
    Reply("150 opening\r\n");
    data().state = kLinkEstablished;
  }

  FakeTransport fake;
  FtpTransport transport;
  FakeFiles files;
  FtpClient c;
  uint32_t clock = 100000;
};

// ---- Login --------------------------------------------------------------------

TEST_F(FtpEngine, LoginSendsUserPassTypeAndServesTheOperation) {
  EXPECT_EQ(FtpSubmit(c, kOpPwd, nullptr, nullptr, nullptr), 1);
  Login();
  EXPECT_EQ(control().remote_port, 21);
  Pass();
  EXPECT_EQ(Sent(), "PWD\r\n");
  EXPECT_TRUE(Reported("S1"));
  EXPECT_TRUE(Reported("S2"));
  EXPECT_TRUE(Reported("S4"));
}

TEST_F(FtpEngine, MultiLineGreetingEndsOnlyOnItsOwnCode) {
  FtpSubmit(c, kOpPwd, nullptr, nullptr, nullptr);
  Connect();
  control().inbox = "220-Welcome\r\nno code here\r\n230 other code\r\n220-still inside\r\n";
  Passes(6);
  EXPECT_EQ(c.state, kFtpAwaitGreeting);
  EXPECT_EQ(Sent(), "");
  Reply("220 ready\r\n");
  EXPECT_EQ(Sent(), "USER anna\r\n");
  EXPECT_EQ(c.state, kFtpAwaitUserReply);
}

TEST_F(FtpEngine, MultiLineReplyClosedWithAnotherCodeTimesOut) {
  FtpSubmit(c, kOpPwd, nullptr, nullptr, nullptr);
  Connect();
  control().inbox = "220-Welcome\r\n221 bye\r\n";
  Passes(5);
  EXPECT_EQ(Sent(), "");
  Pass(kFtpDefaultReplyTimeOut);
  EXPECT_TRUE(Reported("E-41"));
  EXPECT_EQ(c.state, kFtpClosing);
  EXPECT_EQ(control().sent, "");  // no QUIT without a greeting
}

TEST_F(FtpEngine, Reply230ToUserSkipsThePassword) {
  FtpSubmit(c, kOpCdUp, nullptr, nullptr, nullptr);
  Connect();
  Reply("220 ready\r\n");
  Sent();
  Reply("230 no password needed\r\n");
  EXPECT_EQ(c.state, kFtpSendType);
  Pass();
  EXPECT_EQ(Sent(), "TYPE I\r\n");
}

TEST_F(FtpEngine, Reply332ToPassEndsTheLoginWithQuit) {
  FtpSubmit(c, kOpCdUp, nullptr, nullptr, nullptr);
  Connect();
  Reply("220 ready\r\n");
  Reply("331 password\r\n");
  Sent();
  Reply("332 account please\r\n");
  EXPECT_TRUE(Reported("E-46"));
  Pass();
  EXPECT_EQ(Sent(), "QUIT\r\n");
  Reply("221 bye\r\n");
  EXPECT_EQ(c.state, kFtpClosing);
  control().state = kLinkClosed;
  Pass();
  EXPECT_EQ(c.state, kFtpIdle);
  EXPECT_EQ(g_reports.back(), "C0");  // the login failed: the operation is dropped
  EXPECT_EQ(c.operation, kOpNone);
}

TEST_F(FtpEngine, GreetingRefusedClosesWithoutQuit) {
  FtpSubmit(c, kOpCdUp, nullptr, nullptr, nullptr);
  Connect();
  Reply("421 too many users\r\n");
  EXPECT_TRUE(Reported("E-42"));
  EXPECT_EQ(control().closes, 1);
  EXPECT_EQ(Sent(), "");
}

// A server that refuses the connection at once (or a frame service that
// fails) must not keep the client reopening forever: -40 after the reply
// time-out counted from the first opening.
TEST_F(FtpEngine, ConnectTimeOutHoldsAcrossRetries) {
  control().refuse = true;
  FtpSubmit(c, kOpPwd, nullptr, nullptr, nullptr);
  for (int i = 0; i < 400 && !Reported("E-40"); ++i) Pass();
  EXPECT_TRUE(Reported("E-40"));
  EXPECT_GT(control().active_opens, 2);
  EXPECT_LE(c.clock - 100000, kFtpDefaultReplyTimeOut + 20);
  Pass();
  EXPECT_EQ(c.state, kFtpIdle);
  EXPECT_EQ(g_reports.back(), "C0");
}

TEST_F(FtpEngine, ClosingGivesUpAfterTheTimeOutAndForcesTheConnectionClosed) {
  FtpSubmit(c, kOpPwd, nullptr, nullptr, nullptr);
  Pass();
  Pass(kFtpDefaultReplyTimeOut + 1);  // never established
  EXPECT_TRUE(Reported("E-40"));
  control().state = kLinkFinWait1;    // pretend the close hangs
  Pass();
  EXPECT_EQ(c.state, kFtpClosing);
  Pass(kFtpDefaultReplyTimeOut + 1);
  EXPECT_EQ(c.state, kFtpIdle);
  EXPECT_EQ(control().aborts, 1);
}

// ---- Commands -------------------------------------------------------------------

TEST_F(FtpEngine, PwdReportsThePathWithBothQuotes) {
  FtpSubmit(c, kOpPwd, nullptr, nullptr, nullptr);
  Login();
  Pass();
  Sent();
  Reply("257 \"/data/programs\" is the current directory\r\n");
  EXPECT_EQ(g_reports.back(), "C3:\"/data/programs\"");
  EXPECT_EQ(c.state, kFtpReady);
  EXPECT_EQ(c.operation, kOpNone);
}

TEST_F(FtpEngine, PwdWithoutQuotesReportsAnEmptyText) {
  FtpSubmit(c, kOpPwd, nullptr, nullptr, nullptr);
  Login();
  Pass();
  Reply("257 /data\r\n");
  EXPECT_EQ(g_reports.back(), "C3:");
}

TEST_F(FtpEngine, CwdRefusedReportsMinus53AndStaysLoggedIn) {
  FtpSubmit(c, kOpCwd, nullptr, "/missing", nullptr);
  Login();
  Pass();
  EXPECT_EQ(Sent(), "CWD /missing\r\n");
  Reply("550 no such directory\r\n");
  EXPECT_TRUE(Reported("E-53"));
  EXPECT_EQ(c.state, kFtpReady);
  EXPECT_EQ(FtpSubmit(c, kOpCdUp, nullptr, nullptr, nullptr), 1);
  Pass();
  EXPECT_EQ(Sent(), "CDUP\r\n");
  Reply("250 ok\r\n");
  EXPECT_EQ(g_reports.back(), "C7");
}

TEST_F(FtpEngine, UnansweredCommandLogsOut) {
  FtpSubmit(c, kOpCdUp, nullptr, nullptr, nullptr);
  Login();
  Pass();
  Sent();
  Pass(kFtpDefaultReplyTimeOut);
  EXPECT_FALSE(Reported("E-52"));  // exactly the limit is not yet a time-out
  Pass(1);
  EXPECT_TRUE(Reported("E-52"));
  Pass();
  EXPECT_EQ(Sent(), "QUIT\r\n");
}

TEST_F(FtpEngine, PortCommandCarriesOwnAddressAndDataPort) {
  FtpSubmit(c, kOpRetrieve, &kFakeOps, "a.bin", "A.BIN");
  Login();
  c.port_counter = 2050;  // the data connection gets port 2051
  Pass();
  EXPECT_EQ(Sent(), "PORT 192,168,1,20,8,3\r\n");
  EXPECT_EQ(data().state, kLinkListen);
  EXPECT_EQ(data().local_port, 2051);
  EXPECT_EQ(data().remote_port, 20);
  EXPECT_TRUE(Reported("S7"));
  Reply("200 ok\r\n");
  EXPECT_EQ(Sent(), "RETR a.bin\r\n");
  Reply("550 no such file\r\n");
  EXPECT_TRUE(Reported("E-57"));
  EXPECT_EQ(g_reports.back(), "C0");  // -57 clears the operation before the close
  EXPECT_EQ(c.state, kFtpReady);
}

TEST_F(FtpEngine, PortRefusedClosesFileAndData) {
  FtpSubmit(c, kOpList, &kFakeOps, "L.TXT", "L.TXT");
  Login();
  Pass();
  Reply("500 no PORT here\r\n");
  EXPECT_TRUE(Reported("E-55"));
  EXPECT_EQ(g_reports.back(), "C2");
  EXPECT_EQ(data().state, kLinkClosed);
  EXPECT_EQ(c.state, kFtpReady);
}

// An unanswered PORT ends the login; the operation queued meanwhile must
// still run on a new login (it waits for the data connection to close).
TEST_F(FtpEngine, UnansweredPortLogsOutAndTheQueuedOperationStillRuns) {
  FtpSubmit(c, kOpList, &kFakeOps, "L.TXT", "L.TXT");
  Login();
  Pass();
  EXPECT_EQ(FtpSubmit(c, kOpPwd, nullptr, nullptr, nullptr), 0);
  Pass(kFtpDefaultReplyTimeOut + 1);
  EXPECT_TRUE(Reported("E-54"));
  EXPECT_EQ(g_reports.back(), "C2");
  EXPECT_EQ(data().state, kLinkClosed);
  Pass();
  Sent();
  Reply("221 bye\r\n");
  control().state = kLinkClosed;
  Pass();
  EXPECT_EQ(g_reports.back(), "C0");
  EXPECT_EQ(c.state, kFtpIdle);
  Pass();
  EXPECT_EQ(c.operation, kOpPwd);
  EXPECT_EQ(c.state, kFtpConnecting);
}

TEST_F(FtpEngine, ServerClosingTheControlConnectionEndsTheLogin) {
  FtpSubmit(c, kOpCdUp, nullptr, nullptr, nullptr);
  Login();
  Pass();
  Reply("250 ok\r\n");
  control().state = kLinkCloseWait;
  Pass();
  EXPECT_EQ(c.state, kFtpClosing);
  EXPECT_EQ(control().state, kLinkLastAck);
  control().state = kLinkClosed;
  Pass();
  EXPECT_EQ(g_reports.back(), "C0");
  EXPECT_EQ(c.state, kFtpIdle);
}

TEST_F(FtpEngine, LocalFileThatCannotBeOpenedDropsTheOperationWithoutCompletion) {
  files.fail_open = true;
  FtpSubmit(c, kOpRetrieve, &kFakeOps, "a", "A");
  Login();
  g_reports.clear();
  Pass();
  EXPECT_EQ(g_reports, std::vector<std::string>{"E-5"});
  EXPECT_EQ(c.operation, kOpNone);
  EXPECT_EQ(c.state, kFtpReady);
  EXPECT_EQ(Sent(), "");
}

// ---- Logout -------------------------------------------------------------------

TEST_F(FtpEngine, IdleLoginLogsOutAfterSixtySeconds) {
  FtpSubmit(c, kOpCdUp, nullptr, nullptr, nullptr);
  Login();
  Pass();
  Reply("250 ok\r\n");
  uint32_t ended = clock;
  Sent();
  while (clock - ended < kFtpIdleLogout) Pass(1000);
  ASSERT_EQ(clock - ended, kFtpIdleLogout);
  EXPECT_EQ(c.state, kFtpReady);
  Pass(1);
  EXPECT_EQ(c.state, kFtpSendQuit);
  EXPECT_EQ(g_reports.back(), "S3");
  Pass();
  EXPECT_EQ(Sent(), "QUIT\r\n");
  Reply("221 bye\r\n");
  control().state = kLinkClosed;
  Pass();
  EXPECT_EQ(c.state, kFtpIdle);
  EXPECT_EQ(g_reports.back(), "C0");
}

TEST_F(FtpEngine, DoneWhileReadyLogsOutAtTheNextPass) {
  FtpSubmit(c, kOpCdUp, nullptr, nullptr, nullptr);
  Login();
  Pass();
  Reply("250 ok\r\n");
  Sent();
  g_reports.clear();
  FtpRequestLogout(c);
  EXPECT_TRUE(g_reports.empty());
  Pass();
  Pass();
  EXPECT_EQ(Sent(), "QUIT\r\n");
  Reply("221 bye\r\n");
  control().state = kLinkClosed;
  Pass();
  EXPECT_EQ(g_reports, (std::vector<std::string>{"S3", "S3", "C0"}));
  EXPECT_EQ(c.logout_request, 0u);
}

TEST_F(FtpEngine, DoneWhenIdleCompletesAtOnce) {
  FtpRequestLogout(c);
  EXPECT_EQ(g_reports, std::vector<std::string>{"C0"});
  EXPECT_EQ(c.logout_request, 0u);
}

TEST_F(FtpEngine, ServiceClosingNoticeInReadyCloses) {
  FtpSubmit(c, kOpCdUp, nullptr, nullptr, nullptr);
  Login();
  Pass();
  Reply("250 ok\r\n");
  Reply("421 timeout\r\n");
  EXPECT_EQ(c.state, kFtpClosing);
  control().state = kLinkClosed;
  Pass();
  EXPECT_EQ(c.state, kFtpIdle);
}

// ---- Transfers -------------------------------------------------------------------

TEST_F(FtpEngine, DownloadCopiesEveryByte) {
  const std::string content = Pattern(5000);
  FtpSubmit(c, kOpRetrieve, &kFakeOps, "big.bin", "BIG.BIN");
  Login();
  StartTransfer("RETR big.bin\r\n");
  data().inbox = content;
  Passes(10);
  data().state = kLinkCloseWait;
  Reply("226 done\r\n");
  Passes(3);
  EXPECT_EQ(files.written, content);
  EXPECT_EQ(g_reports.back(), "C4");
  EXPECT_EQ(data().state, kLinkLastAck);  // our close follows the server's
  EXPECT_EQ(c.state, kFtpReady);
}

TEST_F(FtpEngine, DataClosedBeforeTheReplyIsDrainedInFinishing) {
  const std::string content = Pattern(4000);
  FtpSubmit(c, kOpRetrieve, &kFakeOps, "f", "F");
  Login();
  StartTransfer("RETR f\r\n");
  data().state = kLinkCloseWait;  // everything arrived and the server closed
  data().inbox = content;
  Passes(3);
  EXPECT_EQ(files.written, "");   // Transferring reads only while ESTABLISHED
  Reply("226 done\r\n");
  EXPECT_EQ(c.state, kFtpFinishing);
  Passes(6);
  EXPECT_EQ(files.written, content);
  EXPECT_EQ(g_reports.back(), "C4");
  EXPECT_EQ(c.state, kFtpReady);
}

TEST_F(FtpEngine, UploadSendsTheWholeFile) {
  files.source = Pattern(3000);
  FtpSubmit(c, kOpStore, &kFakeOps, "up.bin", "UP.BIN");
  Login();
  StartTransfer("STOR up.bin\r\n");
  Passes(5);
  EXPECT_EQ(data().sent, files.source);
  EXPECT_EQ(data().state, kLinkFinWait1);
  Reply("226 stored\r\n");
  data().state = kLinkClosed;
  Pass();
  EXPECT_EQ(g_reports.back(), "C5");
}

TEST_F(FtpEngine, EmptyStoreClosesDataOnceEstablished) {
  FtpSubmit(c, kOpStore, &kFakeOps, "empty", "EMPTY");
  Login();
  StartTransfer("STOR empty\r\n");
  Pass();
  EXPECT_EQ(data().sent, "");
  EXPECT_EQ(data().closes, 1);
  Reply("226 stored\r\n");
  data().state = kLinkClosed;
  Pass();
  EXPECT_EQ(g_reports.back(), "C5");
  EXPECT_EQ(c.state, kFtpReady);
}

// The class-2 reply may come long after the data connection has passed
// TIME-WAIT to CLOSED; that connection has finished and must not be
// listened on again.
TEST_F(FtpEngine, StoreReplyAfterDataConnectionClosedStillFinishes) {
  files.source = Pattern(700);
  FtpSubmit(c, kOpStore, &kFakeOps, "late", "LATE");
  Login();
  StartTransfer("STOR late\r\n");
  Pass();
  data().state = kLinkClosed;  // FIN acknowledged, TIME-WAIT over
  Passes(30);                  // 300 ms, well within the reply time-out
  EXPECT_EQ(data().passive_opens, 1);
  Reply("226 stored\r\n");
  Pass();
  EXPECT_EQ(data().sent, files.source);
  EXPECT_EQ(g_reports.back(), "C5");
  EXPECT_FALSE(Reported("E-56"));
  EXPECT_EQ(c.state, kFtpReady);
}

TEST_F(FtpEngine, StalledTransferReportsMinus56AndLogsOut) {
  FtpSubmit(c, kOpRetrieve, &kFakeOps, "f", "F");
  Login();
  StartTransfer("RETR f\r\n");
  Pass(kFtpDefaultReplyTimeOut + 1);
  EXPECT_TRUE(Reported("E-56"));
  EXPECT_TRUE(Reported("C4"));
  EXPECT_EQ(c.state, kFtpSendQuit);
}

// An upload over a slow link: the whole file is handed to the data
// connection and closed, and its last bytes take most of the reply time-out
// at a time to be acknowledged. Every acknowledgment is progress, so the
// transfer is not stalled; without acknowledgments the time-out still ends it.
TEST_F(FtpEngine, UploadThatKeepsGettingAcknowledgedIsNotStalled) {
  files.source = Pattern(1000);
  data().room = 1072;
  FtpSubmit(c, kOpStore, &kFakeOps, "slow", "SLOW");
  Login();
  StartTransfer("STOR slow\r\n");
  Passes(2);
  ASSERT_EQ(data().sent, files.source);
  for (int round = 0; round < 4; ++round) {
    data().room = static_cast<uint16_t>(100 * round);  // unacknowledged bytes fill the ring
    Pass(kFtpDefaultReplyTimeOut - 100);
    data().room = static_cast<uint16_t>(100 * round + 50);  // some were acknowledged
    Pass();
  }
  EXPECT_FALSE(Reported("E-56"));
  EXPECT_EQ(c.state, kFtpTransferring);
  Pass(kFtpDefaultReplyTimeOut + 1);  // no more acknowledgments
  EXPECT_TRUE(Reported("E-56"));
}

TEST_F(FtpEngine, FailedWriteEndsTheTransferWithMinus60) {
  files.fail_write = true;
  FtpSubmit(c, kOpRetrieve, &kFakeOps, "f", "F");
  Login();
  StartTransfer("RETR f\r\n");
  data().inbox = "abc";
  Pass();
  EXPECT_TRUE(Reported("E-60"));
  EXPECT_EQ(g_reports.back(), "C0");
  EXPECT_EQ(c.state, kFtpReady);
}

TEST_F(FtpEngine, FailedCloseAfterRetrieveReportsMinus61) {
  files.close_result = 2;
  FtpSubmit(c, kOpRetrieve, &kFakeOps, "f", "F");
  Login();
  StartTransfer("RETR f\r\n");
  data().state = kLinkCloseWait;
  Reply("226 done\r\n");
  Pass();
  EXPECT_EQ(g_reports.back(), "E-61");
}

TEST_F(FtpEngine, CancelledDownloadDrainsDropsAndReportsMinus65AfterCompletion) {
  FtpSubmit(c, kOpRetrieve, &kFakeOps, "f", "F");
  Login();
  StartTransfer("RETR f\r\n");
  data().inbox = Pattern(900);
  Pass();
  c.cancel = 1;  // wharfCancel
  data().inbox += Pattern(3000);
  Passes(5);
  EXPECT_EQ(files.written.size(), 900u);
  EXPECT_TRUE(data().inbox.empty());
  data().state = kLinkCloseWait;
  Reply("226 done\r\n");
  Pass();
  ASSERT_GE(g_reports.size(), 2u);
  EXPECT_EQ(g_reports[g_reports.size() - 2], "C4");
  EXPECT_EQ(g_reports.back(), "E-65");
  EXPECT_EQ(files.close_reasons.back(), kErrCancelled);
}

// After a cancel no more of the file is read: what was queued may go.
TEST_F(FtpEngine, CancelledUploadStopsReadingTheFile) {
  files.source = Pattern(100000);
  data().room = 536;
  FtpSubmit(c, kOpStore, &kFakeOps, "big", "BIG");
  Login();
  StartTransfer("STOR big\r\n");
  Passes(2);
  size_t sent_before = data().sent.size();
  int reads_before = files.reads;
  c.cancel = 1;
  Passes(5);
  EXPECT_EQ(files.reads, reads_before);
  EXPECT_EQ(data().sent.size(), sent_before);
  EXPECT_EQ(data().state, kLinkFinWait1);
  Reply("226 closed\r\n");
  data().state = kLinkClosed;
  Pass();
  EXPECT_EQ(g_reports[g_reports.size() - 2], "C5");
  EXPECT_EQ(g_reports.back(), "E-65");
}

TEST_F(FtpEngine, SecondSubmissionCancelsTheTransferAndRunsAfterwards) {
  FtpSubmit(c, kOpRetrieve, &kFakeOps, "first", "FIRST");
  Login();
  StartTransfer("RETR first\r\n");
  data().inbox = Pattern(500);
  Pass();
  EXPECT_EQ(FtpSubmit(c, kOpCwd, nullptr, "/next", nullptr), 0);
  EXPECT_EQ(c.cancel, 1u);
  data().inbox = Pattern(2000);
  data().state = kLinkCloseWait;
  Reply("226 done\r\n");
  Passes(4);
  EXPECT_EQ(files.written.size(), 500u);
  EXPECT_TRUE(Reported("C4"));
  EXPECT_FALSE(Reported("E-65"));
  EXPECT_EQ(c.operation, kOpNone);   // waits for the data connection
  EXPECT_EQ(c.queued_operation, kOpCwd);
  data().state = kLinkClosed;
  Pass();
  EXPECT_EQ(c.cancel, 0u);
  EXPECT_EQ(Sent(), "CWD /next\r\n");
}

// ---- Ports -----------------------------------------------------------------------

TEST(FtpPorts, EveryPortLiesInRangeWhateverTheFirstClock) {
  FtpClient c;
  for (uint32_t start = 0; start < 0x10000; ++start) {
    FtpClientInit(c);
    c.clock = start | 0x12340000u;
    uint16_t previous = 0;
    for (int i = 0; i < 3; ++i) {
      uint16_t port = FtpNextPort(c);
      ASSERT_GE(port, kFtpFirstPort) << "clock " << start;
      ASSERT_LE(port, kFtpLastPort) << "clock " << start;
      if (i > 0) {
        ASSERT_EQ(port, previous == kFtpLastPort ? kFtpFirstPort : previous + 1);
      }
      previous = port;
    }
  }
}

TEST(FtpPorts, RunsUpAndWrapsToTheFirst) {
  FtpClient c;
  FtpClientInit(c);
  c.port_first_use = 0;
  c.port_counter = 30998;
  EXPECT_EQ(FtpNextPort(c), 30999);
  EXPECT_EQ(FtpNextPort(c), 2000);
  EXPECT_EQ(FtpNextPort(c), 2001);
}

// ---- Bounds ----------------------------------------------------------------------

TEST_F(FtpEngine, OverlongArgumentIsRefusedAndChangesNothing) {
  std::string longest(kFtpArgumentMax, 'a');
  std::string too_long(kFtpArgumentMax + 1, 'b');
  EXPECT_EQ(FtpSubmit(c, kOpCwd, nullptr, too_long.c_str(), nullptr), kFtpRefused);
  EXPECT_EQ(c.operation, kOpNone);
  EXPECT_EQ(FtpSubmit(c, kOpRetrieve, &kFakeOps, "x", too_long.c_str()), kFtpRefused);
  EXPECT_EQ(c.operation, kOpNone);
  EXPECT_EQ(FtpSubmit(c, kOpCwd, nullptr, longest.c_str(), nullptr), 1);
  EXPECT_EQ(std::string(c.remote), longest);
  EXPECT_EQ(FtpSubmit(c, kOpCwd, nullptr, too_long.c_str(), nullptr), kFtpRefused);
  EXPECT_EQ(c.queued_operation, kOpNone);
  EXPECT_EQ(c.cancel, 0u);
}

TEST_F(FtpEngine, OverlongLoginNamesAreCut) {
  const uint8_t ip[4] = {10, 0, 0, 1};
  std::string user(40, 'u');
  FtpSetLogin(c, ip, user.c_str(), "p");
  EXPECT_EQ(std::string(c.user), std::string(kFtpLoginMax, 'u'));
  FtpSubmit(c, kOpCdUp, nullptr, nullptr, nullptr);
  Connect();
  Reply("220 ready\r\n");
  EXPECT_EQ(Sent(), "USER " + std::string(kFtpLoginMax, 'u') + "\r\n");
}

TEST_F(FtpEngine, LongReplyLineIsCutAndItsRestReadAsAnotherLine) {
  FtpSubmit(c, kOpPwd, nullptr, nullptr, nullptr);
  Login();
  Pass();
  // 300 characters: the rest begins with a digit-free text and is ignored.
  std::string line = "257 \"" + std::string(290, 'd') + "\" x\r\n";
  Reply(line);
  const std::string& last = g_reports.back();
  ASSERT_EQ(last.substr(0, 3), "C3:");
  EXPECT_EQ(last.size(), 3 + (kFtpReplyLineMax - 4));  // quote to the cut
  EXPECT_LT(strlen(c.reply_line), sizeof c.reply_line);
  Passes(5);
  EXPECT_EQ(c.state, kFtpReady);
  EXPECT_EQ(c.reply_class, 0);
}

TEST_F(FtpEngine, ReplySplitAcrossSegmentsIsReadWhole) {
  FtpSubmit(c, kOpCdUp, nullptr, nullptr, nullptr);
  Connect();
  control().inbox = "22";
  Pass();
  control().inbox += "0 welcome\r\n";
  Pass();
  EXPECT_EQ(Sent(), "USER anna\r\n");
}

TEST_F(FtpEngine, ReplyClassAboveFiveIsDiscarded) {
  FtpSubmit(c, kOpCdUp, nullptr, nullptr, nullptr);
  Connect();
  Reply("699 odd\r\n");
  EXPECT_EQ(c.state, kFtpAwaitGreeting);
  EXPECT_EQ(c.reply_class, 0);
}

TEST(FtpStateNames, EveryStateHasAName) {
  for (int s = 0; s < kFtpStateCount; ++s) EXPECT_STRNE(FtpStateName(static_cast<uint8_t>(s)), "?");
  EXPECT_STREQ(FtpStateName(kFtpTransferring), "Transferring");
  EXPECT_STREQ(FtpStateName(200), "?");
}

}  // namespace
