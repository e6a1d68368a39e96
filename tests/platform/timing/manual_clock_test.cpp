// The Time Manager's manual clock: tasks fire only when a test asks, in deadline order, with
// the exact periods and fractions their procedures ask for.
#include <gtest/gtest.h>

#include <unistd.h>

#include <vector>

#include "platform/timing/time_manager.h"

namespace {

constexpr UInt64 kMicrosecond = 1000;
constexpr UInt64 kMillisecond = 1000000;

class ManualClockTest : public ::testing::Test {
 protected:
  void SetUp() override { UseManualTimeManagerClock(true); }
  void TearDown() override { UseManualTimeManagerClock(false); }
};

struct Fire {
  int task;
  UInt64 deadline;
  UInt64 clockAtFire;
};

std::vector<Fire>* gLog = nullptr;

// Re-arms itself the way a tempo clock does: whole microseconds plus a 16-bit fraction whose
// carry adds one microsecond.
struct FractionalOwner {
  TMTask task;
  int index = 0;
  UInt32 micros = 0;
  UInt16 fraction = 0;
  UInt16 accumulator = 0;
};

void FractionalFire(TMTaskPtr task) {
  auto* owner = static_cast<FractionalOwner*>(task->tmRefCon);
  UInt32 sum = UInt32(owner->accumulator) + owner->fraction;
  owner->accumulator = UInt16(sum);
  PrimeTime(task, -SInt32(owner->micros + (sum >> 16)));
  gLog->push_back({owner->index, task->tmWakeUp, TimeManagerNowNanos()});
}

TEST_F(ManualClockTest, FiresInDeadlineOrderWithExactFractionalPeriods) {
  struct Case {
    UInt32 micros;
    UInt16 fraction;
  };
  // 2604 + 1/2 alternates 2604 and 2605; 1041 + 2/3 is 480 ticks a beat at 120 beats a minute.
  const Case cases[] = {{2604, 0x8000}, {1041, 0xAAAA}, {1000, 0}, {250, 0x0001}};
  constexpr int kCases = int(std::size(cases));
  std::vector<Fire> log;
  gLog = &log;
  FractionalOwner owners[kCases];
  UInt64 start = TimeManagerNowNanos();
  for (int i = 0; i < kCases; ++i) {
    owners[i].index = i;
    owners[i].micros = cases[i].micros;
    owners[i].fraction = cases[i].fraction;
    owners[i].task.tmAddr = FractionalFire;
    owners[i].task.tmRefCon = &owners[i];
    ASSERT_EQ(InsXTime(&owners[i].task), noErr);
    ASSERT_EQ(PrimeTime(&owners[i].task, -SInt32(cases[i].micros)), noErr);
  }
  usleep(3000);
  EXPECT_EQ(FireTimeManagerTasksUntil(start), 0u);  // nothing is due yet, however long we wait
  EXPECT_TRUE(log.empty());

  UInt64 until = start + 3000 * kMillisecond;
  UInt32 fires = FireTimeManagerTasksUntil(until);
  EXPECT_EQ(fires, log.size());
  EXPECT_EQ(TimeManagerNowNanos(), until);

  std::vector<UInt64> fireCount(kCases, 0);
  UInt64 previous = 0;
  for (const Fire& fire : log) {
    ASSERT_GE(fire.clockAtFire, previous) << "out of deadline order";
    previous = fire.clockAtFire;
    // The procedure logs after re-priming, so tmWakeUp is the next deadline; the clock shows
    // the deadline of the fire that runs.
    UInt64 k = ++fireCount[fire.task];
    const Case& c = cases[fire.task];
    UInt64 runningDeadline = start + (k * c.micros + (k - 1) * c.fraction / 65536) * kMicrosecond;
    ASSERT_EQ(fire.clockAtFire, runningDeadline) << "task " << fire.task << " fire " << k;
    UInt64 nextDeadline = start + ((k + 1) * c.micros + k * c.fraction / 65536) * kMicrosecond;
    ASSERT_EQ(fire.deadline, nextDeadline) << "task " << fire.task << " fire " << k;
  }
  for (int i = 0; i < kCases; ++i) {
    // Fire k is due at k * (micros + fraction / 65536) microseconds (less under one microsecond):
    // the count over three seconds shows that the fraction is really used.
    double period = cases[i].micros + cases[i].fraction / 65536.0;
    EXPECT_NEAR(double(fireCount[i]), 3000000.0 / period, 1.0) << i;
    EXPECT_EQ(RmvTime(&owners[i].task), noErr);
  }
  gLog = nullptr;
}

struct ChainOwner {
  TMTask task;
  TMTask* other = nullptr;
  std::vector<int>* order = nullptr;
  int name = 0;
  bool primeSelfWithZero = false;
};

void ChainFire(TMTaskPtr task) {
  auto* owner = static_cast<ChainOwner*>(task->tmRefCon);
  if (owner->order != nullptr) owner->order->push_back(owner->name);
  if (owner->other != nullptr) PrimeTime(owner->other, -500);  // another task: counts from now
  if (owner->primeSelfWithZero) PrimeTime(task, 0);
}

TEST_F(ManualClockTest, PrimingFromOutsideCountsFromNowAndReplacesThePendingFire) {
  std::vector<int> order;
  ChainOwner a, b, c;
  for (ChainOwner* owner : {&a, &b, &c}) {
    owner->task.tmAddr = ChainFire;
    owner->task.tmRefCon = owner;
    owner->order = &order;
    ASSERT_EQ(InsXTime(&owner->task), noErr);
  }
  a.name = 1;
  b.name = 2;
  c.name = 3;
  a.other = &c.task;  // a's fire arms c half a millisecond after a's own deadline

  UInt64 start = TimeManagerNowNanos();
  ASSERT_EQ(PrimeTime(&b.task, 10), noErr);
  ASSERT_EQ(PrimeTime(&b.task, 2), noErr);  // replaces the 10 ms fire
  ASSERT_EQ(PrimeTime(&a.task, 2), noErr);  // same deadline, armed later: fires after b
  EXPECT_EQ(a.task.tmWakeUp, start + 2 * kMillisecond);

  EXPECT_EQ(FireTimeManagerTasksUntil(start + 2 * kMillisecond + 499 * kMicrosecond), 2u);
  EXPECT_EQ(FireTimeManagerTasksUntil(start + 2 * kMillisecond + 500 * kMicrosecond), 1u);
  EXPECT_EQ(FireTimeManagerTasksUntil(start + 20 * kMillisecond), 0u);  // the 10 ms fire is gone
  EXPECT_EQ(order, (std::vector<int>{2, 1, 3}));

  // Long after its last fire, priming a task from outside counts from now, not from its old
  // deadline (which would make it fire at once).
  FireTimeManagerTasksUntil(start + 100 * kMillisecond);
  ASSERT_EQ(PrimeTime(&b.task, -1500), noErr);
  EXPECT_EQ(b.task.tmWakeUp, start + 100 * kMillisecond + 1500 * kMicrosecond);
  EXPECT_EQ(FireTimeManagerTasksUntil(start + 101 * kMillisecond), 0u);
  EXPECT_EQ(FireTimeManagerTasksUntil(start + 102 * kMillisecond), 1u);

  for (ChainOwner* owner : {&a, &b, &c}) EXPECT_EQ(RmvTime(&owner->task), noErr);
}

TEST_F(ManualClockTest, RemovedTasksNeverFireAndRunawayTasksAreBounded) {
  ChainOwner pending, runaway;
  for (ChainOwner* owner : {&pending, &runaway}) {
    owner->task.tmAddr = ChainFire;
    owner->task.tmRefCon = owner;
    ASSERT_EQ(InsXTime(&owner->task), noErr);
  }
  UInt64 start = TimeManagerNowNanos();
  ASSERT_EQ(PrimeTime(&pending.task, 1), noErr);
  ASSERT_EQ(RmvTime(&pending.task), noErr);
  EXPECT_EQ(pending.task.tmCount, -1000);
  EXPECT_EQ(FireTimeManagerTasksUntil(start + 10 * kMillisecond), 0u);

  // A procedure that re-arms itself with no delay would fire for ever at one instant.
  runaway.primeSelfWithZero = true;
  ASSERT_EQ(PrimeTime(&runaway.task, 1), noErr);
  EXPECT_EQ(FireTimeManagerTasksUntil(start + 20 * kMillisecond), kMaxManualFires);
  EXPECT_EQ(runaway.task.tmReserved, kMaxManualFires);
  EXPECT_EQ(RmvTime(&runaway.task), noErr);
  EXPECT_EQ(FireTimeManagerTasksUntil(start + 30 * kMillisecond), 0u);
}

}  // namespace
