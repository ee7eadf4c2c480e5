// Inputs the reply fuzzer (fuzz/ftp_replies_fuzz.cpp) found to break the FTP
// engine, kept as regression tests. DISABLED_ ones wait for their fix in
// wharf/ftp/ (see the comment of each).
#include <gtest/gtest.h>

#include "tests/test_ftp_fake.h"
#include "wharf/ftp/client.h"

namespace {

using namespace ftp_fake;

int OpenFile(const char*) { return 1; }
uint32_t ReadFile(uint32_t, void*, int* end) {
  *end = 1;
  return 0;
}
uint32_t BufferSize() { return 512; }
int WriteFile(uint32_t, const void*) { return 1; }
int CloseFile(int) { return 0; }
const WharfFileOps kFiles = {OpenFile, OpenFile, ReadFile, BufferSize, WriteFile, CloseFile};

class FtpRegression : public ::testing::Test {
 protected:
  void SetUp() override {
    transport = FakeTransportTable(&fake);
    FtpClientInit(c);
    c.transport = &transport;
    const uint8_t ip[4] = {192, 168, 1, 20};
    FtpSetLogin(c, ip, "anna", "secret");
    FtpResetProtocol(c, 100000);
  }
  FakeTransport fake;
  FtpTransport transport;
  FtpClient c;
};

// A file name holding CR or LF went into the command line as it stood, so
// "a\r\nDELE b" sent a second command of its own on the control connection.
// Such a name must be refused like one that is too long.
TEST_F(FtpRegression, NameWithALineEndIsRefused) {
  EXPECT_EQ(FtpSubmit(c, kOpRetrieve, &kFiles, "a\r\nDELE b", "c:\\x.knf"), kFtpRefused);
  EXPECT_EQ(FtpSubmit(c, kOpCwd, &kFiles, "dir\n", nullptr), kFtpRefused);
  EXPECT_EQ(FtpSubmit(c, kOpStore, &kFiles, "c:\\x.knf", "b\rc"), kFtpRefused);
  EXPECT_EQ(c.operation, kOpNone);
  EXPECT_EQ(c.queued_operation, kOpNone);
  // A plain name is still taken.
  EXPECT_EQ(FtpSubmit(c, kOpRetrieve, &kFiles, "a.knf", "c:\\x.knf"), 1);
}

TEST_F(FtpRegression, LoginNamesEndAtALineEnd) {
  const uint8_t ip[4] = {192, 168, 1, 20};
  FtpSetLogin(c, ip, "anna\r\nDELE x", "pw\nQUIT");
  EXPECT_STREQ(c.user, "anna");
  EXPECT_STREQ(c.password, "pw");
}

}  // namespace
