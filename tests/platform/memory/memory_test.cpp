#include <gtest/gtest.h>

#include <cstring>

#include "platform/memory/memory.h"

namespace {

// Restores the budget and the move switch that a test changes.
class MemoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    budget_ = GetMemoryBudget();
    move_ = GetHandleMoveDebug();
  }
  void TearDown() override {
    SetMemoryBudget(budget_);
    SetHandleMoveDebug(move_);
  }
  uint64_t budget_ = 0;
  bool move_ = false;
};

TEST_F(MemoryTest, NewHandleClearIsZeroedAndSized) {
  Handle h = NewHandleClear(100);
  ASSERT_TRUE(h);
  EXPECT_EQ(MemError(), noErr);
  EXPECT_EQ(GetHandleSize(h), 100);
  for (int i = 0; i < 100; ++i) EXPECT_EQ((*h)[i], 0);
  DisposeHandle(h);
}

TEST_F(MemoryTest, GrowthKeepsContentsAndShrinkNeverFails) {
  Handle h = NewHandle(4);
  std::memcpy(*h, "abcd", 4);
  SetHandleSize(h, 10000);
  ASSERT_EQ(MemError(), noErr);
  EXPECT_EQ(std::memcmp(*h, "abcd", 4), 0);
  SetHandleSize(h, 2);
  EXPECT_EQ(MemError(), noErr);
  EXPECT_EQ(GetHandleSize(h), 2);
  EXPECT_EQ(std::memcmp(*h, "ab", 2), 0);
  DisposeHandle(h);
}

TEST_F(MemoryTest, LockedBlockNeverMovesAndRefusesGrowthPastCapacity) {
  SetHandleMoveDebug(true);
  Handle h = NewHandle(16);
  HLock(h);
  char* before = *h;
  SetHandleSize(h, 8);  // inside the block: fine
  EXPECT_EQ(MemError(), noErr);
  SetHandleSize(h, 1 << 20);
  EXPECT_EQ(MemError(), memFullErr);
  EXPECT_EQ(GetHandleSize(h), 8);
  MoveHHi(h);
  EXPECT_EQ(*h, before);
  HUnlock(h);
  DisposeHandle(h);
}

TEST_F(MemoryTest, DebugModeMovesUnlockedBlocksOnEveryGrowth) {
  SetHandleMoveDebug(true);
  Handle h = NewHandle(8);
  std::memcpy(*h, "12345678", 8);
  char* before = *h;
  SetHandleSize(h, 9);  // fits the capacity, still moves
  EXPECT_NE(*h, before);
  EXPECT_EQ(std::memcmp(*h, "12345678", 8), 0);
  before = *h;
  MoveHHi(h);
  EXPECT_NE(*h, before);
  DisposeHandle(h);
}

TEST_F(MemoryTest, DisposedAndUnknownHandlesAreCaught) {
  Handle h = NewHandle(8);
  DisposeHandle(h);
  EXPECT_FALSE(IsValidHandle(h));
  EXPECT_EQ(HandleData(h), nullptr);
  EXPECT_EQ(MemError(), memWZErr);
  EXPECT_EQ(GetHandleSize(h), 0);
  DisposeHandle(h);  // twice: reported, nothing freed
  EXPECT_EQ(MemError(), memWZErr);
  // A new handle in the reused slot does not revive the old id.
  Handle again = NewHandle(8);
  EXPECT_FALSE(IsValidHandle(h));
  EXPECT_TRUE(IsValidHandle(again));
  EXPECT_EQ(HandleData(Handle(0x00FFFFF0u)), nullptr);
  EXPECT_EQ(HandleData(Handle()), nullptr);
  EXPECT_EQ(MemError(), nilHandleErr);
  DisposeHandle(again);
}

TEST_F(MemoryTest, StateRoundTrips) {
  Handle h = NewHandle(8);
  int8_t state = HGetState(h);
  HLock(h);
  HPurge(h);
  EXPECT_TRUE(IsHandleLocked(h));
  HSetState(h, state);
  EXPECT_EQ(HGetState(h), state);
  EXPECT_FALSE(IsHandleLocked(h));
  DisposeHandle(h);
}

TEST_F(MemoryTest, BudgetGovernsMaxBlockAndRefusals) {
  SetMemoryBudget(GetMemoryInUse() + 4096);
  EXPECT_EQ(MaxBlock(), 4096);
  EXPECT_EQ(FreeMem(), 4096);
  Handle big = NewHandle(8192);
  EXPECT_FALSE(big);
  EXPECT_EQ(MemError(), memFullErr);
  Handle h = NewHandle(1024);
  ASSERT_TRUE(h);
  EXPECT_EQ(MaxBlock(), 4096 - 1024);
  SetHandleSize(h, 100000);
  EXPECT_EQ(MemError(), memFullErr);
  EXPECT_EQ(GetHandleSize(h), 1024);
  DisposeHandle(h);
  EXPECT_EQ(MaxBlock(), 4096);
}

TEST_F(MemoryTest, HandToHandCopiesAndPtrSizes) {
  Handle h = NewHandle(5);
  std::memcpy(*h, "hello", 5);
  Handle copy = h;
  ASSERT_EQ(HandToHand(&copy), noErr);
  EXPECT_NE(copy, h);
  EXPECT_EQ(std::memcmp(*copy, "hello", 5), 0);
  Ptr p = NewPtrClear(33);
  EXPECT_EQ(GetPtrSize(p), 33);
  DisposePtr(p);
  DisposeHandle(copy);
  DisposeHandle(h);
}

TEST_F(MemoryTest, MungerInsertsAndDeletes) {
  Handle h = NewHandle(6);
  std::memcpy(*h, "abcdef", 6);
  Munger(h, 2, nullptr, 2, "XYZ", 3);  // replace "cd" by "XYZ"
  ASSERT_EQ(GetHandleSize(h), 7);
  EXPECT_EQ(std::memcmp(*h, "abXYZef", 7), 0);
  Munger(h, 0, nullptr, 3, "", 0);
  ASSERT_EQ(GetHandleSize(h), 4);
  EXPECT_EQ(std::memcmp(*h, "YZef", 4), 0);
  DisposeHandle(h);
}

TEST_F(MemoryTest, EmptiedHandleStaysValidWithNoBlock) {
  Handle h = NewHandle(10);
  EmptyHandle(h);
  EXPECT_TRUE(IsValidHandle(h));
  EXPECT_EQ(*h, nullptr);
  ReallocateHandle(h, 20);
  EXPECT_NE(*h, nullptr);
  EXPECT_EQ(GetHandleSize(h), 20);
  DisposeHandle(h);
}

}  // namespace
