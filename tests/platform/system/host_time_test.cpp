#include <gtest/gtest.h>

#include <cstdint>

#include "platform/system/host_time.h"

namespace {

uint64_t WideValue(const UnsignedWide& wide) { return (uint64_t(wide.hi) << 32) | wide.lo; }

TEST(HostTimeTest, ClocksNeverGoBackwards) {
  uint64_t lastNanos = HostTimeNanos();
  uint64_t lastMicros = MicrosecondsNow();
  UInt32 lastTicks = TickCount();
  for (int i = 0; i < 20000; ++i) {
    uint64_t nanos = HostTimeNanos();
    uint64_t micros = MicrosecondsNow();
    UInt32 ticks = TickCount();
    ASSERT_GE(nanos, lastNanos);
    ASSERT_GE(micros, lastMicros);
    ASSERT_LE(UInt32(ticks - lastTicks), 60u * 60u);  // forward, and not by an hour
    lastNanos = nanos;
    lastMicros = micros;
    lastTicks = ticks;
  }
}

TEST(HostTimeTest, TicksAndMicrosecondsReadTheSameClock) {
  uint64_t before = HostTimeNanos();
  UInt32 ticks = TickCount();
  UnsignedWide wide;
  Microseconds(&wide);
  uint64_t micros = MicrosecondsNow();
  uint64_t after = HostTimeNanos();

  UInt32 ticksBefore = UInt32(TicksAtNanos(before));
  UInt32 ticksAfter = UInt32(TicksAtNanos(after));
  EXPECT_LE(UInt32(ticks - ticksBefore), UInt32(ticksAfter - ticksBefore));
  EXPECT_GE(WideValue(wide), before / 1000);
  EXPECT_LE(WideValue(wide), micros);
  EXPECT_LE(micros, after / 1000);
}

TEST(HostTimeTest, TickConversionsAreExactAtEveryBoundary) {
  struct Case {
    uint64_t nanos;
    uint64_t ticks;
  };
  const Case cases[] = {
      {0, 0},
      {16666666, 0},
      {16666667, 1},
      {999999999, 59},
      {1000000000, 60},
      {1000000000000000000ull, 60000000000ull},  // 31 years: nanos * 60 would overflow
  };
  for (const Case& c : cases) EXPECT_EQ(TicksAtNanos(c.nanos), c.ticks) << c.nanos;

  for (uint64_t tick : {1ull, 59ull, 60ull, 61ull, 123456789ull, 1000000000000ull}) {
    uint64_t at = NanosAtTick(tick);
    EXPECT_EQ(TicksAtNanos(at), tick) << tick;
    EXPECT_EQ(TicksAtNanos(at - 1), tick - 1) << tick;
  }
}

TEST(HostTimeTest, DelayWaitsAtLeastTheTicksAsked) {
  for (UInt32 wait : {0u, 1u, 3u}) {
    UInt32 start = TickCount();
    uint64_t startNanos = HostTimeNanos();
    UInt32 finalTicks = 0;
    Delay(wait, &finalTicks);
    EXPECT_GE(UInt32(finalTicks - start), wait);
    EXPECT_LE(UInt32(TickCount() - finalTicks), 60u);
    EXPECT_LT(HostTimeNanos() - startNanos, 5000000000ull);  // generous: 3 ticks is 50 ms
  }
  Delay(1, nullptr);
}

}  // namespace
