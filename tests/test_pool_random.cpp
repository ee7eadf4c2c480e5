// Anvil's memory pool against a reference model: thousands of random
// sequences of allocations, frees and wrong frees, the block's lists read
// and checked after every step.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "anvil/memory_pool.h"
#include "tests/support/scale.h"
#include "tests/test_pool_model.h"

namespace {

using pool_test::Model;
using pool_test::Snapshot;

struct Live {
  uint32_t data;  // data address
  uint32_t n;     // bytes asked for
  uint8_t fill;   // every data byte holds this
};

class PoolModel : public ::testing::Test {
 protected:
  // Size of one request: mostly small, some medium, now and then larger than
  // what is left, or near 4 GiB.
  uint32_t RequestSize(uint32_t pool_size) {
    switch (rng() % 10) {
      case 0: return 0;
      case 1: return static_cast<uint32_t>(rng() % 30);  // around the thresholds
      case 2: return static_cast<uint32_t>(rng() % (pool_size / 3 + 1));
      case 3: return rng() % 50 ? static_cast<uint32_t>(rng() % (pool_size + 50)) : 0xFFFFFFF0u + rng() % 16;
      default: return static_cast<uint32_t>(rng() % 200);
    }
  }

  void RunSequence(uint32_t pool_size, int steps) {
    std::vector<uint8_t> block(size_t{pool_size} + 16, 0);
    const uint32_t base = pool_test::AddressOf(block.data());
    uint16_t message = 0;
    anvil::MemoryPool pool;
    pool.message_word = &message;
    ASSERT_EQ(anvil::PoolInit(&pool, base, pool_size, true), 1);
    Model model;
    model.Format(pool_size);
    std::vector<Live> live;
    std::vector<uint32_t> freed;  // data addresses given back, for repeated frees

    for (int step = 0; step < steps; ++step) {
      SCOPED_TRACE(::testing::Message() << "pool " << pool_size << " step " << step);
      message = 0;
      int op = static_cast<int>(rng() % 20);
      if (op < 10 || live.empty()) {
        uint32_t n = RequestSize(pool_size);
        bool low = false;
        uint32_t expected = model.Alloc(n, &low);
        uint32_t got = anvil::PoolAlloc(&pool, n);
        ASSERT_EQ(got, expected ? base + expected : 0u) << "request " << n;
        if (got != 0) {
          EXPECT_EQ(message, low ? anvil::kMessageLowMemory : 0);
          uint8_t fill = static_cast<uint8_t>(rng());
          memset(reinterpret_cast<void*>(static_cast<uintptr_t>(got)), fill, n);
          live.push_back({got, n, fill});
        } else {
          EXPECT_EQ(message, anvil::kMessageOutOfMemory);
        }
      } else if (op < 18) {
        size_t i = rng() % live.size();
        Live l = live[i];
        const uint8_t* p = reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(l.data));
        for (uint32_t k = 0; k < l.n; ++k)
          ASSERT_EQ(p[k], l.fill) << "data of a live block overwritten at byte " << k;
        model.Free(l.data - base);
        ASSERT_EQ(anvil::PoolFree(&pool, l.data), anvil::FreeResult::kFreed);
        live.erase(live.begin() + static_cast<long>(i));
        freed.push_back(l.data);
      } else {
        // A free the pool must refuse: 0, a repeated free, an address inside a
        // live block, or any address in or around the block.
        uint32_t wrong;
        switch (rng() % 4) {
          case 0: wrong = 0; break;
          case 1: wrong = freed.empty() ? 0 : freed[rng() % freed.size()]; break;
          case 2: wrong = live.empty() ? 0 : live[rng() % live.size()].data + 1 + static_cast<uint32_t>(rng() % 8); break;
          default: wrong = base - 64 + static_cast<uint32_t>(rng() % (pool_size + 128)); break;
        }
        bool is_live = false;
        for (const Live& l : live) is_live |= l.data == wrong;
        if (is_live) continue;
        EXPECT_NE(anvil::PoolFree(&pool, wrong), anvil::FreeResult::kFreed) << wrong - base;
        EXPECT_EQ(message, 0);
      }
      Snapshot s;
      ASSERT_EQ(pool_test::ReadPool(base, &s), "");
      ASSERT_EQ(model.Compare(s, pool.free_space), "");
      ASSERT_EQ(anvil::PoolLargestFree(&pool), model.LargestFree());
    }
  }

  std::mt19937 rng{20261208};
};

TEST_F(PoolModel, SmallPoolsStayConsistentStepByStep) {
  for (int sequence = 0; sequence < testing_support::Scaled(2500); ++sequence) {
    uint32_t size = 13 + static_cast<uint32_t>(rng() % 3000);
    RunSequence(size, 120);
    if (HasFatalFailure()) return;
  }
}

// Pools around the low-memory level, so that 4198 comes and goes.
TEST_F(PoolModel, PoolsAroundTheLowMemoryLevelStayConsistent) {
  for (int sequence = 0; sequence < testing_support::Scaled(60); ++sequence) {
    uint32_t size = 1000000 + static_cast<uint32_t>(rng() % 20000);
    RunSequence(size, 300);
    if (HasFatalFailure()) return;
  }
}

}  // namespace
