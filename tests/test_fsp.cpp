// The file-service wrappers: copy rules of FSPInit, absent services,
// failed dispatch, and the status each wrapper hands back.
#include <gtest/gtest.h>
#include <stdarg.h>

#include <vector>

#include "bridge/fsp.h"
#include "tests/support/sandbox.h"

namespace {

struct RecordedCall {
  uint32_t handle;
  int count;
  std::vector<uint32_t> args;
};
std::vector<RecordedCall> g_calls;
int g_dispatch_result = 1;
uint32_t g_status_to_write = 0;

// A dispatch entry that records its arguments and writes a chosen status
// into the last argument (the status cell) of 3..5-argument services.
extern "C" int RecordingDispatch(uint32_t handle, int count, ...) {
  RecordedCall call{handle, count, {}};
  va_list ap;
  va_start(ap, count);
  for (int i = 0; i < count; ++i) call.args.push_back(va_arg(ap, uint32_t));
  va_end(ap);
  g_calls.push_back(call);
  if (g_dispatch_result != 0 && count >= 3) {
    // Close passes its status cell third; every other service passes it last.
    uint32_t cell = handle == 101 ? call.args[2] : call.args.back();
    *reinterpret_cast<uint32_t*>(cell) = g_status_to_write;
  }
  return g_dispatch_result;
}

FSP_INIT_PARAMS RecordingTable(uint16_t size) {
  FSP_INIT_PARAMS t{};
  t.size = size;
  t.dispatch = RecordingDispatch;
  for (int k = 0; k < 14; ++k) t.handles[k] = 101 + k;
  return t;
}

class FspWrappers : public ::testing::Test {
 protected:
  void SetUp() override {
    g_calls.clear();
    g_dispatch_result = 1;
    g_status_to_write = 0;
  }
};

TEST_F(FspWrappers, CopyKeepsAtMost62BytesAndStores62AsSize) {
  FSP_INIT_PARAMS host = RecordingTable(200);
  EXPECT_EQ(FspInitCopy(&host), 1);
  EXPECT_EQ(g_fsp.size, 62);
  EXPECT_EQ(g_fsp.handles[13], 114u);
}

TEST_F(FspWrappers, ShortRecordLeavesLaterSlotsAbsent) {
  FSP_INIT_PARAMS host = RecordingTable(6 + 4 * 5);  // slots 0..4 only
  FspInitCopy(&host);
  EXPECT_EQ(g_fsp.size, 62);
  uint32_t h = 0, size = 0;
  EXPECT_EQ(FspOpen("c:\\x", kFspOpenRead, &h, &size), 0);  // slot 4 present
  EXPECT_EQ(FspDelete("c:\\x"), -128);                    // slot 5 absent
  EXPECT_EQ(FspSeek(1, 0, 0, &size), -128);
  EXPECT_EQ(g_calls.size(), 1u);  // absent slots call nothing
}

TEST_F(FspWrappers, NullDispatchOrNullRecordMeansEveryServiceAbsent) {
  FSP_INIT_PARAMS host = RecordingTable(62);
  host.dispatch = nullptr;
  FspInitCopy(&host);
  EXPECT_EQ(FspClose(1), -128);
  FspInitCopy(nullptr);
  EXPECT_EQ(g_fsp.size, 62);
  EXPECT_EQ(FspMakeDir("c:\\d"), -128);
  EXPECT_TRUE(g_calls.empty());
}

TEST_F(FspWrappers, FailedDispatchGivesMinusOneAndLeavesCountAlone) {
  FSP_INIT_PARAMS host = RecordingTable(62);
  FspInitCopy(&host);
  g_dispatch_result = 0;
  uint16_t count = 777;
  char buf[4];
  EXPECT_EQ(FspRead(1, buf, 4, &count), -1);
  EXPECT_EQ(count, 777);
  EXPECT_EQ(FspRename("a", "b"), -1);
  EXPECT_EQ(FspWrite(1, buf, 4), -1);
}

TEST_F(FspWrappers, OnlyTheLowByteOfTheStatusCellCounts) {
  FSP_INIT_PARAMS host = RecordingTable(62);
  FspInitCopy(&host);
  g_status_to_write = 0x1234FF05;
  EXPECT_EQ(FspMakeDir("c:\\d"), 5);
  g_status_to_write = 0xFB;  // -5
  uint32_t h, s;
  EXPECT_EQ(FspOpen("c:\\d", 1, &h, &s), -5);
}

TEST_F(FspWrappers, ArgumentOrderAndCountsMatchTheTable) {
  FSP_INIT_PARAMS host = RecordingTable(62);
  FspInitCopy(&host);
  uint32_t h = 0, size = 0, extra = 0;
  FspClose(7, 0, 0);
  FspOpen("p", 6, &h, &size);
  FspListOpen("c:\\*.*", &h, &extra);
  FspSeek(9, -3, 2, &size);
  ASSERT_EQ(g_calls.size(), 4u);
  EXPECT_EQ(g_calls[0].handle, 101u);
  EXPECT_EQ(g_calls[0].count, 5);
  EXPECT_EQ(g_calls[0].args[0], 7u);
  EXPECT_EQ(g_calls[1].handle, 105u);
  EXPECT_EQ(g_calls[1].args[1], 6u);
  EXPECT_EQ(g_calls[1].args[2], reinterpret_cast<uint32_t>(&h));
  EXPECT_EQ(g_calls[2].args[2], reinterpret_cast<uint32_t>(&h));
  EXPECT_EQ(g_calls[2].args[3], reinterpret_cast<uint32_t>(&extra));
  EXPECT_EQ(g_calls[3].count, 5);
  EXPECT_EQ(static_cast<int32_t>(g_calls[3].args[1]), -3);
  EXPECT_EQ(g_calls[3].args[2], 2u);
}

// Against the simulator's real file services.
TEST(FspAgainstHost, ReadAtTheEndReturnsOneWithTheSmallerCount) {
  testing_support::Sandbox box;
  box.Write("c:\\a.txt", std::string(700, 'x'));
  FspInitCopy(&box.files().table());
  uint32_t h = 0, size = 0;
  ASSERT_EQ(FspOpen("c:\\a.txt", kFspOpenRead, &h, &size), 0);
  EXPECT_EQ(size, 700u);
  char buf[512];
  uint16_t count = 0;
  EXPECT_EQ(FspRead(h, buf, 512, &count), 0);
  EXPECT_EQ(count, 512);
  EXPECT_EQ(FspRead(h, buf, 512, &count), 1);
  EXPECT_EQ(count, 188);
  EXPECT_EQ(FspClose(h), 0);
}

TEST(FspAgainstHost, WriteSeekAndAppend) {
  testing_support::Sandbox box;
  FspInitCopy(&box.files().table());
  uint32_t h = 0, size = 0, pos = 0;
  ASSERT_EQ(FspOpen("c:\\out.knf", kFspOpenCreate, &h, &size), 0);
  EXPECT_EQ(FspWrite(h, "abc", 3), 0);
  EXPECT_EQ(FspClose(h), 0);
  ASSERT_EQ(FspOpen("c:\\out.knf", kFspOpenAppend, &h, &size), 0);
  EXPECT_EQ(FspSeek(h, 0, kFspSeekEnd, &pos), 0);
  EXPECT_EQ(pos, 3u);
  EXPECT_EQ(FspWrite(h, "de", 2), 0);
  EXPECT_EQ(FspClose(h), 0);
  EXPECT_EQ(box.Read("c:\\out.knf"), "abcde");
  EXPECT_EQ(box.files().open_handles(), 0);
}

}  // namespace
