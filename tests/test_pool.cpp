// Anvil's memory pool, inner code: layout, first fit, the whole-block
// threshold, merging on both sides, messages, and the frees the pool must
// refuse.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "anvil/memory_pool.h"
#include "tests/test_pool_model.h"

namespace {

using anvil::FreeResult;
using anvil::MemoryPool;
using pool_test::ReadPool;
using pool_test::ReadWord;
using pool_test::Snapshot;

constexpr uint8_t kGuard = 0x5A;
constexpr uint32_t kGuardBytes = 64;

class Pool : public ::testing::Test {
 protected:
  // A fresh block of `size` bytes followed by guard bytes, formatted.
  void Make(uint32_t size) {
    memory.assign(size_t{size} + kGuardBytes, 0xEE);
    std::fill(memory.end() - kGuardBytes, memory.end(), kGuard);
    pool = MemoryPool{};
    pool.message_word = &message;
    message = 0;
    block_size = size;
    ASSERT_EQ(anvil::PoolInit(&pool, base(), size, true), 1);
  }
  uint32_t base() const { return pool_test::AddressOf(memory.data()); }
  bool GuardIntact() const {
    return std::all_of(memory.end() - kGuardBytes, memory.end(), [](uint8_t b) { return b == kGuard; });
  }
  Snapshot Read() {
    Snapshot s;
    std::string fault = ReadPool(base(), &s);
    EXPECT_EQ(fault, "");
    return s;
  }
  uint32_t Alloc(uint32_t n) { return anvil::PoolAlloc(&pool, n); }
  uint32_t Off(uint32_t address) const { return address - base(); }
  std::vector<uint8_t> Bytes() const { return {memory.begin(), memory.begin() + block_size}; }

  std::vector<uint8_t> memory;
  uint32_t block_size = 0;
  MemoryPool pool;
  uint16_t message = 0;
};

TEST_F(Pool, FormatWritesHeaderAndOneFreeBlock) {
  Make(1000);
  EXPECT_EQ(ReadWord(base()), 1000u);
  EXPECT_EQ(ReadWord(base() + 4), base() + 12);
  EXPECT_EQ(ReadWord(base() + 8), 0u);
  Snapshot s = Read();
  EXPECT_EQ(s.free, (std::map<uint32_t, uint32_t>{{12, 988}}));
  EXPECT_EQ(pool.free_space, 987u);
  EXPECT_EQ(anvil::PoolLargestFree(&pool), 976u);
}

TEST_F(Pool, RefusedInitialisationKeepsThePool) {
  Make(500);
  uint32_t a = Alloc(10);
  ASSERT_NE(a, 0u);
  MemoryPool before = pool;
  std::vector<uint8_t> other(100);
  EXPECT_EQ(anvil::PoolInit(&pool, 0, 1000, true), 0);
  EXPECT_EQ(anvil::PoolInit(&pool, pool_test::AddressOf(other.data()), 12, true), 0);
  EXPECT_EQ(anvil::PoolInit(&pool, 0xFFFFFF00u, 0x200, true), 0);  // wraps the address space
  EXPECT_EQ(pool.base, before.base);
  EXPECT_EQ(pool.free_space, before.free_space);
  EXPECT_EQ(anvil::PoolFree(&pool, a), FreeResult::kFreed);
}

// A block of 13 to 23 bytes has room for the pool header but not for a free
// block's header: it is laid out with an empty free list and nothing past
// its end is written.
TEST_F(Pool, PoolsOf13To23BytesNeverWritePastTheBlock) {
  for (uint32_t size = 13; size < 24; ++size) {
    SCOPED_TRACE(size);
    Make(size);
    EXPECT_TRUE(GuardIntact());
    EXPECT_EQ(ReadWord(base()), size);
    EXPECT_EQ(ReadWord(base() + 4), 0u);
    EXPECT_EQ(ReadWord(base() + 8), 0u);
    EXPECT_EQ(anvil::PoolLargestFree(&pool), 0u);
    EXPECT_EQ(Alloc(0), 0u);
    EXPECT_EQ(message, anvil::kMessageOutOfMemory);
    EXPECT_TRUE(GuardIntact());
  }
}

TEST_F(Pool, TwentyFourBytesHoldOneEmptyBlock) {
  Make(24);
  uint32_t a = Alloc(0);
  ASSERT_EQ(Off(a), 24u);
  EXPECT_EQ(Read().free.size(), 0u);
  EXPECT_EQ(Alloc(0), 0u);
  EXPECT_EQ(message, anvil::kMessageOutOfMemory);
  EXPECT_EQ(anvil::PoolFree(&pool, a), FreeResult::kFreed);
  EXPECT_EQ(Read().free, (std::map<uint32_t, uint32_t>{{12, 12}}));
  EXPECT_TRUE(GuardIntact());
}

TEST_F(Pool, ExactFitEmptiesTheFreeListAndTheNextRequestFails) {
  Make(1000);
  uint32_t a = Alloc(976);
  ASSERT_NE(a, 0u);
  Snapshot s = Read();
  EXPECT_TRUE(s.free.empty());
  EXPECT_EQ(s.used.at(12), 988u);
  message = 0;
  EXPECT_EQ(Alloc(0), 0u);
  EXPECT_EQ(message, anvil::kMessageOutOfMemory);
  EXPECT_EQ(Alloc(977), 0u);
}

TEST_F(Pool, RemainderOf12IsHandedOutWhole) {
  Make(1000);
  uint32_t a = Alloc(976 - 12);  // need = 976, block 988: 12 bytes would be left
  ASSERT_NE(a, 0u);
  Snapshot s = Read();
  EXPECT_TRUE(s.free.empty());
  EXPECT_EQ(s.used.at(Off(a) - 12), 988u);  // the size stays the whole block's
}

TEST_F(Pool, RemainderOf13IsSplitOff) {
  Make(1000);
  uint32_t a = Alloc(976 - 13);  // need = 975: 13 bytes left
  ASSERT_NE(a, 0u);
  Snapshot s = Read();
  EXPECT_EQ(s.used.at(12), 975u);
  EXPECT_EQ(s.free, (std::map<uint32_t, uint32_t>{{12 + 975, 13}}));
  EXPECT_EQ(anvil::PoolLargestFree(&pool), 1u);
  uint32_t b = Alloc(1);  // the 13-byte block still serves one byte
  EXPECT_EQ(Off(b), 12u + 975 + 12);
}

TEST_F(Pool, FirstFitTakesTheLowestBlockThatIsLargeEnough) {
  Make(2000);
  uint32_t a = Alloc(50), gap1 = Alloc(10), b = Alloc(200), gap2 = Alloc(10);
  ASSERT_TRUE(a && gap1 && b && gap2);
  anvil::PoolFree(&pool, a);
  anvil::PoolFree(&pool, b);
  EXPECT_EQ(Alloc(100), b);  // a's block (62 bytes) is too small
  EXPECT_EQ(Alloc(30), a);
}

TEST_F(Pool, NewBlocksArePushedAtTheHeadOfTheUsedList) {
  Make(1000);
  uint32_t a = Alloc(1), b = Alloc(2), c = Alloc(3);
  EXPECT_EQ(Read().used_order, (std::vector<uint32_t>{Off(c) - 12, Off(b) - 12, Off(a) - 12}));
  anvil::PoolFree(&pool, b);
  EXPECT_EQ(Read().used_order, (std::vector<uint32_t>{Off(c) - 12, Off(a) - 12}));
}

// Three neighbours, a fourth block keeping them apart from the free rest;
// every order of freeing them ends with one free block spanning all three.
TEST_F(Pool, ThreeNeighboursMergeIntoOneBlockInEveryOrder) {
  std::vector<int> order = {0, 1, 2};
  do {
    SCOPED_TRACE(::testing::Message() << order[0] << order[1] << order[2]);
    Make(1000);
    uint32_t blocks[3] = {Alloc(20), Alloc(30), Alloc(40)};
    uint32_t fence = Alloc(5);
    ASSERT_TRUE(blocks[0] && blocks[1] && blocks[2] && fence);
    uint32_t counter = pool.free_space;
    for (int i : order) EXPECT_EQ(anvil::PoolFree(&pool, blocks[i]), FreeResult::kFreed);
    Snapshot s = Read();
    ASSERT_EQ(s.free.size(), 2u);
    EXPECT_EQ(s.free.begin()->first, 12u);
    EXPECT_EQ(s.free.begin()->second, 32u + 42 + 52);
    EXPECT_EQ(pool.free_space, counter + 32 + 42 + 52);
  } while (std::next_permutation(order.begin(), order.end()));
}

TEST_F(Pool, FreeingTheLastUsedBlockRestoresTheWholePool) {
  Make(3000);
  std::vector<uint32_t> got;
  for (uint32_t n : {5u, 100u, 0u, 33u, 7u, 400u}) got.push_back(Alloc(n));
  for (uint32_t i : {3u, 0u, 5u, 1u, 4u, 2u}) anvil::PoolFree(&pool, got[i]);
  Snapshot s = Read();
  EXPECT_EQ(s.free, (std::map<uint32_t, uint32_t>{{12, 2988}}));
  EXPECT_TRUE(s.used.empty());
  EXPECT_EQ(pool.free_space, 2987u);
}

TEST_F(Pool, FreeOfZeroChangesNothing) {
  Make(1000);
  Alloc(100);
  std::vector<uint8_t> before = Bytes();
  uint32_t counter = pool.free_space;
  message = 0;
  EXPECT_EQ(anvil::PoolFree(&pool, 0), FreeResult::kNull);
  EXPECT_EQ(Bytes(), before);
  EXPECT_EQ(pool.free_space, counter);
  EXPECT_EQ(message, 0);
}

// Addresses that are not the data address of a live block are refused
// without touching the block's bytes or the counter.
TEST_F(Pool, WrongFreesLeaveThePoolUntouched) {
  Make(1000);
  uint32_t a = Alloc(100), b = Alloc(50);
  ASSERT_TRUE(a && b);
  ASSERT_EQ(anvil::PoolFree(&pool, b), FreeResult::kFreed);
  std::vector<uint8_t> before = Bytes();
  uint32_t counter = pool.free_space;
  std::vector<uint8_t> elsewhere(64);
  struct Case {
    uint32_t address;
    FreeResult expected;
  } cases[] = {
      {base(), FreeResult::kOutsidePool},
      {base() + 12, FreeResult::kOutsidePool},  // would put a block on the pool header
      {base() + 1001, FreeResult::kOutsidePool},
      {pool_test::AddressOf(elsewhere.data()) + 12, FreeResult::kOutsidePool},
      {0xFFFFFFF0u, FreeResult::kOutsidePool},
      {a + 1, FreeResult::kNotHandedOut},   // inside a live block
      {a + 40, FreeResult::kNotHandedOut},
      {b, FreeResult::kNotHandedOut},       // already free
      {base() + 600, FreeResult::kNotHandedOut},  // in the free rest, never handed out
  };
  for (const Case& c : cases) {
    EXPECT_EQ(anvil::PoolFree(&pool, c.address), c.expected) << std::hex << c.address;
    EXPECT_EQ(Bytes(), before);
    EXPECT_EQ(pool.free_space, counter);
  }
  EXPECT_EQ(anvil::PoolFree(&pool, a), FreeResult::kFreed);
  EXPECT_EQ(Read().free, (std::map<uint32_t, uint32_t>{{12, 988}}));
}

TEST_F(Pool, UninitialisedPoolAllocatesNothingAndRaisesNothing) {
  MemoryPool empty;
  empty.message_word = &message;
  empty.free_space = 77;
  EXPECT_EQ(anvil::PoolAlloc(&empty, 1), 0u);
  EXPECT_EQ(message, 0);
  EXPECT_EQ(empty.free_space, 77u);
  EXPECT_EQ(anvil::PoolFree(&empty, 0x1000), FreeResult::kNoPool);
  EXPECT_EQ(anvil::PoolLargestFree(&empty), 0u);
}

TEST_F(Pool, RequestsNearFourGigabytesFailInsteadOfWrapping) {
  Make(1000);
  std::vector<uint8_t> before = Bytes();
  for (uint32_t n : {0xFFFFFFFFu, 0xFFFFFFF4u, 0xFFFFFFE8u, 0xFFFFFFE7u}) {
    message = 0;
    EXPECT_EQ(Alloc(n), 0u) << n;
    EXPECT_EQ(message, anvil::kMessageOutOfMemory);
  }
  EXPECT_EQ(Bytes(), before);
}

TEST_F(Pool, LowMemoryIsRaisedOnEveryAllocationBelowTheLevel) {
  Make(1000100);  // counter starts at 1000087
  EXPECT_NE(Alloc(60), 0u);  // 72 bytes: counter 1000015
  EXPECT_EQ(message, 0);
  EXPECT_NE(Alloc(3), 0u);   // 15 bytes: counter exactly 1000000
  EXPECT_EQ(message, 0);
  EXPECT_NE(Alloc(0), 0u);   // counter 999988
  EXPECT_EQ(message, anvil::kMessageLowMemory);
  for (int i = 0; i < 5; ++i) {
    message = 0;
    EXPECT_NE(Alloc(100), 0u);
    EXPECT_EQ(message, anvil::kMessageLowMemory) << i;
  }
}

// With every byte handed out the counter (one below the free bytes) wraps to
// 0xFFFFFFFF; that is the lowest memory can get and is reported as such.
TEST_F(Pool, WhollyHandedOutPoolReportsLowMemory) {
  Make(3000000);
  EXPECT_NE(Alloc(1000000), 0u);
  EXPECT_EQ(message, 0);
  EXPECT_NE(Alloc(3000000 - 12 - 1000012 - 12), 0u);
  EXPECT_EQ(pool.free_space, 0xFFFFFFFFu);
  EXPECT_EQ(message, anvil::kMessageLowMemory);
}

TEST_F(Pool, LargestFreeFollowsSplitsAndMerges) {
  Make(1000);
  uint32_t a = Alloc(100), b = Alloc(300), c = Alloc(100);
  ASSERT_TRUE(a && b && c);
  EXPECT_EQ(anvil::PoolLargestFree(&pool), 1000u - 12 - 112 - 312 - 112 - 12);
  anvil::PoolFree(&pool, b);
  EXPECT_EQ(anvil::PoolLargestFree(&pool), 440u);
  Alloc(1000 - 12 - 112 - 312 - 112 - 24);  // takes the tail whole
  EXPECT_EQ(anvil::PoolLargestFree(&pool), 300u);
  anvil::PoolFree(&pool, a);
  EXPECT_EQ(anvil::PoolLargestFree(&pool), 412u);
}

TEST_F(Pool, ReformattingForgetsEarlierAllocations) {
  Make(1000);
  uint32_t a = Alloc(100);
  ASSERT_EQ(anvil::PoolInit(&pool, base(), 1000, true), 1);
  Snapshot s = Read();
  EXPECT_TRUE(s.used.empty());
  EXPECT_EQ(s.free, (std::map<uint32_t, uint32_t>{{12, 988}}));
  EXPECT_EQ(anvil::PoolFree(&pool, a), FreeResult::kNotHandedOut);
  EXPECT_EQ(Read().free, (std::map<uint32_t, uint32_t>{{12, 988}}));
}

TEST_F(Pool, AdoptingALaidOutBlockKeepsItsLists) {
  Make(1000);
  uint32_t a = Alloc(100), b = Alloc(50);
  MemoryPool adopter;
  ASSERT_EQ(anvil::PoolInit(&adopter, base(), 1000, false), 1);
  EXPECT_EQ(anvil::PoolFree(&adopter, a), FreeResult::kFreed);
  EXPECT_EQ(anvil::PoolAlloc(&adopter, 100), a);
  EXPECT_EQ(Read().used.size(), 2u);
  EXPECT_EQ(anvil::PoolFree(&adopter, b), FreeResult::kFreed);
}

}  // namespace
