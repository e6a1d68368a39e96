// Atomic words: results and bit numbering as callers expect them, and no lost updates under
// contention.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/threads/atomic_operations.h"

namespace {

TEST(AtomicOperationsTest, CompareAndSwapStoresOnlyOverTheExpectedValue) {
  struct Case {
    UInt32 word, oldValue, newValue;
    bool swapped;
    UInt32 after;
  };
  const Case cases[] = {
      {0, 0, 1, true, 1},                     // a free lock taken
      {1, 0, 3, false, 1},                    // a held lock left alone
      {3, 3, 0, true, 0},                     // released by its holder
      {0xFFFFFFFF, 0xFFFFFFFF, 7, true, 7},
      {0x80000000, 0, 0x80000000, false, 0x80000000},
  };
  for (const Case& c : cases) {
    UInt32 word = c.word;
    EXPECT_EQ(CompareAndSwap(c.oldValue, c.newValue, &word), c.swapped) << c.word;
    EXPECT_EQ(word, c.after) << c.word;
  }
  EXPECT_FALSE(CompareAndSwap(0, 1, nullptr));
}

TEST(AtomicOperationsTest, ArithmeticReturnsTheValueBeforeAndWraps) {
  struct Case {
    SInt32 start;
    SInt32 amount;  // 1 and -1 go through Increment and Decrement
    SInt32 returned, after;
  };
  const Case cases[] = {
      {0, 1, 0, 1},
      {1, -1, 1, 0},
      {0, -1, 0, -1},
      {INT32_MAX, 1, INT32_MAX, INT32_MIN},
      {INT32_MIN, -1, INT32_MIN, INT32_MAX},
      {10, 32, 10, 42},
      {10, -20, 10, -10},
  };
  for (const Case& c : cases) {
    SInt32 word = c.start;
    SInt32 returned = c.amount == 1    ? IncrementAtomic(&word)
                      : c.amount == -1 ? DecrementAtomic(&word)
                                       : AddAtomic(c.amount, &word);
    EXPECT_EQ(returned, c.returned) << c.start << " + " << c.amount;
    EXPECT_EQ(word, c.after) << c.start << " + " << c.amount;
  }
  UInt32 bits = 0xF0F0;
  EXPECT_EQ(BitOrAtomic(0x000F, &bits), 0xF0F0u);
  EXPECT_EQ(BitAndAtomic(0x0FFF, &bits), 0xF0FFu);
  EXPECT_EQ(BitXorAtomic(0x00FF, &bits), 0x00FFu);
  EXPECT_EQ(bits, 0x0000u);
}

TEST(AtomicOperationsTest, BitZeroIsTheHighBitOfTheFirstByte) {
  struct Case {
    UInt32 bit;
    int byte;
    UInt8 mask;
  };
  const Case cases[] = {{0, 0, 0x80}, {1, 0, 0x40}, {7, 0, 0x01},  {8, 1, 0x80},
                        {13, 1, 0x04}, {31, 3, 0x01}, {33, 4, 0x40}};
  for (const Case& c : cases) {
    UInt8 bytes[5] = {};
    EXPECT_FALSE(TestAndSet(c.bit, bytes)) << c.bit;
    UInt8 expected[5] = {};
    expected[c.byte] = c.mask;
    EXPECT_EQ(0, memcmp(bytes, expected, 5)) << c.bit;
    EXPECT_TRUE(TestAndSet(c.bit, bytes)) << c.bit;  // already set: reported, unchanged
    EXPECT_EQ(0, memcmp(bytes, expected, 5)) << c.bit;

    UInt8 full[5] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_TRUE(TestAndClear(c.bit, full)) << c.bit;
    EXPECT_EQ(full[c.byte], UInt8(~c.mask)) << c.bit;
    EXPECT_FALSE(TestAndClear(c.bit, full)) << c.bit;
  }
}

TEST(AtomicOperationsTest, ContendedUpdatesAreNeverLost) {
  constexpr int kThreads = 4;
  constexpr int kRounds = 100000;
  SInt32 counter = 0;
  UInt32 lock = 0;
  int guarded = 0;  // changed only under the CompareAndSwap lock
  UInt8 flags[kThreads / 8 + 1] = {};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kRounds; ++i) {
        IncrementAtomic(&counter);
        while (!CompareAndSwap(0, UInt32(t + 1), &lock)) {
        }
        ++guarded;
        CompareAndSwap(UInt32(t + 1), 0, &lock);
      }
      TestAndSet(UInt32(t), flags);
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(counter, kThreads * kRounds);
  EXPECT_EQ(guarded, kThreads * kRounds);
  EXPECT_EQ(flags[0], 0xF0);
}

}  // namespace
