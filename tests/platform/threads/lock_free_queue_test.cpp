#include "platform/threads/lock_free_queue.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(LockFreeRing, RunTimeCapacityFifoAcrossTheWrap) {
  std::vector<LockFreeCell<int>> cells(8);
  LockFreeRing<int> ring;
  EXPECT_FALSE(ring.Attach(cells.data(), 6));
  EXPECT_FALSE(ring.Attach(cells.data(), 1));
  ASSERT_TRUE(ring.Attach(cells.data(), 8));
  EXPECT_EQ(ring.Capacity(), 8u);
  int next = 0, expected = 0, value = -1;
  for (int round = 0; round < 5; ++round) {  // 40 values through 8 cells
    while (ring.TryPush(next)) ++next;
    EXPECT_EQ(ring.Count(), 8u);
    for (int i = 0; i < 8; ++i) {
      ASSERT_TRUE(ring.TryPop(&value));
      EXPECT_EQ(value, expected++);
    }
    EXPECT_FALSE(ring.TryPop(&value));
    EXPECT_EQ(ring.Count(), 0u);
  }
  LockFreeQueue<int, 4> fixed;
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(fixed.TryPush(i));
  EXPECT_FALSE(fixed.TryPush(4));
  ASSERT_TRUE(fixed.TryPop(&value));
  EXPECT_EQ(value, 0);
  EXPECT_TRUE(fixed.TryPush(4));
}

}  // namespace
