// The stack's building blocks: byte ring, checksum, sequence comparisons,
// the clock.
#include <string.h>

#include <deque>

#include <gtest/gtest.h>

#include "wharf/tcpip/checksum.h"
#include "wharf/tcpip/clock.h"
#include "wharf/tcpip/ring.h"
#include "wharf/tcpip/seq.h"

namespace {

using tcpip::ByteRing;

class RingTest : public ::testing::Test {
 protected:
  void SetUp() override { tcpip::RingInit(&ring_, 1072); }
  ByteRing ring_;
};

TEST_F(RingTest, AppendIsAllOrNothing) {
  uint8_t bytes[1072];
  memset(bytes, 7, sizeof bytes);
  EXPECT_TRUE(tcpip::RingAppend(&ring_, bytes, 1000));
  EXPECT_FALSE(tcpip::RingAppend(&ring_, bytes, 73));
  EXPECT_EQ(ring_.count, 1000);
  EXPECT_TRUE(tcpip::RingAppend(&ring_, bytes, 72));
  EXPECT_EQ(tcpip::RingFree(&ring_), 0);
}

// Against a plain FIFO model through many wraps of the head.
TEST_F(RingTest, MatchesAFifoModelAcrossWraps) {
  std::deque<uint8_t> model;
  uint32_t seed = 99;
  uint8_t next_byte = 0;
  for (int step = 0; step < 20000; ++step) {
    seed = seed * 1664525u + 1013904223u;
    uint16_t n = static_cast<uint16_t>((seed >> 8) % 700);
    switch ((seed >> 24) % 3) {
      case 0: {
        uint8_t in[700];
        for (uint16_t i = 0; i < n; ++i) in[i] = next_byte++;
        bool fits = model.size() + n <= 1072;
        ASSERT_EQ(tcpip::RingAppend(&ring_, in, n), fits);
        if (fits) model.insert(model.end(), in, in + n);
        else next_byte = static_cast<uint8_t>(next_byte - n);
        break;
      }
      case 1: {
        uint8_t out[700];
        bool remove = (seed & 1) != 0;
        uint16_t got = tcpip::RingTake(&ring_, out, n, remove);
        ASSERT_EQ(got, std::min<size_t>(n, model.size()));
        for (uint16_t i = 0; i < got; ++i) ASSERT_EQ(out[i], model[i]);
        if (remove) model.erase(model.begin(), model.begin() + got);
        break;
      }
      default: {
        uint16_t dropped = tcpip::RingDrop(&ring_, n);
        ASSERT_EQ(dropped, std::min<size_t>(n, model.size()));
        model.erase(model.begin(), model.begin() + dropped);
        break;
      }
    }
    ASSERT_EQ(ring_.count, model.size());
  }
}

TEST(ChecksumTest, KnownBlockAndOddLength) {
  // RFC 1071's example: the words sum to 0xDDF2, the checksum is ~0xDDF2.
  const uint8_t block[] = {0x00, 0x01, 0xF2, 0x03, 0xF4, 0xF5, 0xF6, 0xF7};
  EXPECT_EQ(tcpip::Checksum(block, sizeof block), 0x220D);
  // An odd final byte counts as the high byte of a word.
  const uint8_t odd[] = {0x12, 0x34, 0x56};
  EXPECT_EQ(tcpip::Checksum(odd, 3), static_cast<uint16_t>(~(0x1234 + 0x5600)));
  // A block with its checksum inserted sums to zero.
  uint8_t with[10] = {0x45, 0x00, 0x00, 0x1C, 0xAB};
  uint16_t c = tcpip::Checksum(with, sizeof with);
  with[8] = static_cast<uint8_t>(c >> 8);
  with[9] = static_cast<uint8_t>(c);
  EXPECT_EQ(tcpip::Checksum(with, sizeof with), 0);
}

TEST(ChecksumTest, LongBlockOfOnesDoesNotOverflow) {
  static uint8_t ones[65536];
  memset(ones, 0xFF, sizeof ones);
  EXPECT_EQ(tcpip::Checksum(ones, sizeof ones), 0);
}

TEST(SequenceTest, ComparisonsWorkAcrossTheWrap) {
  EXPECT_TRUE(tcpip::SeqBefore(0xFFFFFFF0u, 0x10u));
  EXPECT_FALSE(tcpip::SeqBefore(0x10u, 0xFFFFFFF0u));
  EXPECT_TRUE(tcpip::SeqBeforeOrEqual(5, 5));
  EXPECT_TRUE(tcpip::SeqInRange(0x2, 0xFFFFFFFEu, 0x5));
  EXPECT_FALSE(tcpip::SeqInRange(0x6, 0xFFFFFFFEu, 0x5));
  EXPECT_TRUE(tcpip::SeqInRange(7, 7, 7));
  EXPECT_FALSE(tcpip::SeqInRange(6, 7, 9));
}

TEST(ClockTest, TicksCountFiveAndAHalfMilliseconds) {
  for (uint32_t t : {0u, 1u, 2u, 11u, 1000u, 78090314u}) {
    EXPECT_EQ(tcpip::ClockFromTicks(t), static_cast<uint32_t>(uint64_t{t} * 55 / 10)) << t;
  }
}

// Past the tick count whose x 55 overflows 32 bits the clock runs on by
// 5 or 6 ms per tick instead of jumping back.
TEST(ClockTest, RunsOnWhereTheProductWouldOverflow) {
  uint32_t edge = 0xFFFFFFFFu / 55;
  for (uint32_t t = edge - 5; t < edge + 5; ++t) {
    uint32_t step = tcpip::ClockFromTicks(t + 1) - tcpip::ClockFromTicks(t);
    EXPECT_TRUE(step == 5 || step == 6) << t;
  }
}

uint32_t g_fake_ticks = 0;
uint32_t FakeTicks() { return g_fake_ticks; }

TEST(ClockTest, TestsDriveTheTickSource) {
  tcpip::ClockSetTickSource(FakeTicks);
  g_fake_ticks = 200;
  EXPECT_EQ(tcpip::ClockRead(), 1100u);
  tcpip::ClockSetTickSource(nullptr);
  // The platform's monotonic counter never runs backwards.
  uint32_t a = tcpip::ClockRead();
  uint32_t b = tcpip::ClockRead();
  EXPECT_LE(a, b);
}

}  // namespace
