// The simulator's file services: DOS paths in the sandbox, status values,
// the directory-listing stream and fault injection.
#include <gtest/gtest.h>

#include <cstring>

#include "bridge/fsp.h"
#include "tests/support/sandbox.h"

namespace {

using testing_support::Sandbox;

class HostFiles : public ::testing::Test {
 protected:
  void SetUp() override { FspInitCopy(&box.files().table()); }
  Sandbox box;
};

TEST_F(HostFiles, DosPathsMapIntoTheSandboxWithoutRegardToCase) {
  box.Write("c:\\cmos\\TempLich.tmp", "x");
  EXPECT_EQ(box.files().Resolve("C:\\CMOS\\templich.TMP"), box.root() + "/c/cmos/TempLich.tmp");
  EXPECT_EQ(box.files().Resolve("c:/cmos/new.tmp"), box.root() + "/c/cmos/new.tmp");
}

TEST_F(HostFiles, BadPathsGiveMinusFive) {
  uint32_t h, s;
  for (const char* bad : {"", "cmos\\x", "c:\\..\\escape", "c:\\a|b", "c:\\missing.knf", "c:"})
    EXPECT_EQ(FspOpen(bad, kFspOpenRead, &h, &s), -5) << bad;
  EXPECT_EQ(FspOpen("c:\\nodir\\x.knf", kFspOpenCreate, &h, &s), -5);
  EXPECT_EQ(FspDelete("c:\\missing"), -5);
}

TEST_F(HostFiles, ListingIsAStreamOfRecords) {
  box.Write("c:\\d\\a.knf", "12345");
  box.Write("c:\\d\\b.txt", "");
  ASSERT_EQ(FspMakeDir("c:\\d\\sub"), 0);
  uint32_t h = 0, n = 0;
  ASSERT_EQ(FspListOpen("c:\\d\\*.knf", &h, &n), 0);
  EXPECT_EQ(n, 1u);
  uint8_t buf[512];
  uint16_t count = 0;
  EXPECT_EQ(FspRead(h, buf, sizeof buf, &count), 1);
  uint16_t len;
  memcpy(&len, buf, 2);
  EXPECT_EQ(len, count);
  EXPECT_EQ(len, 2 + 4 + 2 + 2 + 4 + 6);
  uint32_t dir_flag, size;
  memcpy(&dir_flag, buf + 2, 4);
  memcpy(&size, buf + 10, 4);
  EXPECT_EQ(dir_flag, 0u);
  EXPECT_EQ(size, 5u);
  EXPECT_STREQ(reinterpret_cast<char*>(buf + 14), "a.knf");
  uint16_t date;
  memcpy(&date, buf + 8, 2);
  EXPECT_GE(1980 + (date >> 9), 2020);
  EXPECT_EQ(FspClose(h), 0);

  // Below the drive's root "." and ".." come first, as DOS lists them.
  ASSERT_EQ(FspListOpen("c:\\d\\*.*", &h, &n), 0);
  EXPECT_EQ(n, 5u);
  ASSERT_EQ(FspRead(h, buf, 16, &count), 0);
  EXPECT_STREQ(reinterpret_cast<char*>(buf + 14), ".");
  ASSERT_EQ(FspRead(h, buf, 17, &count), 0);
  EXPECT_STREQ(reinterpret_cast<char*>(buf + 14), "..");
  FspClose(h);
  ASSERT_EQ(FspListOpen("c:\\*.*", &h, &n), 0);
  EXPECT_EQ(n, 1u);  // the root holds d\ only
  FspClose(h);
}

TEST_F(HostFiles, RenameCopyAndDirectories) {
  box.Write("c:\\a.knf", "abc");
  EXPECT_EQ(FspCopy("c:\\a.knf", "c:\\b.knf"), 0);
  EXPECT_EQ(box.Read("c:\\b.knf"), "abc");
  EXPECT_EQ(FspRename("c:\\b.knf", "c:\\a.knf"), -4);
  EXPECT_EQ(FspRename("c:\\b.knf", "c:\\c.knf"), 0);
  EXPECT_TRUE(box.Exists("c:\\c.knf"));
  EXPECT_EQ(FspMakeDir("c:\\dir"), 0);
  box.Write("c:\\dir\\f", "1");
  EXPECT_EQ(FspRemoveDir("c:\\dir"), -6);
  EXPECT_EQ(FspDelete("c:\\dir\\f"), 0);
  EXPECT_EQ(FspRemoveDir("c:\\dir"), 0);
}

TEST_F(HostFiles, UnknownHandlesAndModes) {
  char buf[8];
  uint16_t count;
  uint32_t pos, h, s;
  EXPECT_EQ(FspRead(99, buf, 8, &count), -2);
  EXPECT_EQ(FspWrite(99, buf, 8), -2);
  EXPECT_EQ(FspSeek(99, 0, 0, &pos), -2);
  EXPECT_EQ(FspClose(99), -2);
  box.Write("c:\\a", "x");
  EXPECT_EQ(FspOpen("c:\\a", 3, &h, &s), -7);
}

TEST_F(HostFiles, FaultInjectionFailsTheNthCallOnly) {
  box.Write("c:\\a", std::string(100, 'y'));
  uint32_t h, s;
  box.files().FailCall(kFspOpen, 2, -1);
  EXPECT_EQ(FspOpen("c:\\a", 1, &h, &s), 0);
  FspClose(h);
  EXPECT_EQ(FspOpen("c:\\a", 1, &h, &s), -1);
  EXPECT_EQ(FspOpen("c:\\a", 1, &h, &s), 0);

  char buf[64];
  uint16_t count = 0;
  box.files().ShortRead(1, 10);
  EXPECT_EQ(FspRead(h, buf, 64, &count), 0);
  EXPECT_EQ(count, 10);
  box.files().FailDispatch(kFspRead, 1);
  EXPECT_EQ(FspRead(h, buf, 64, &count), -1);
  box.files().FailCall(kFspRead, 1, -8);
  EXPECT_EQ(FspRead(h, buf, 64, &count), -8);
  EXPECT_EQ(FspRead(h, buf, 64, &count), 0);
  EXPECT_EQ(count, 64);
  FspClose(h);
}

}  // namespace
