// The Time Manager on the real clock: self-priming tasks keep an absolute schedule, removal
// is final, and the calls refuse tasks that are not installed.
#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <atomic>
#include <memory>

#include "platform/system/host_time.h"
#include "platform/timing/time_manager.h"

namespace {

constexpr UInt64 kMillisecond = 1000000;

// Waits, with a bound, for a condition that a timer thread makes true.
template <typename Condition>
bool EventuallyTrue(Condition condition, UInt64 boundNanos = 10000 * kMillisecond) {
  UInt64 giveUp = HostTimeNanos() + boundNanos;
  while (!condition()) {
    if (HostTimeNanos() > giveUp) return false;
    usleep(200);
  }
  return true;
}

struct PeriodicOwner {
  TMTask task;
  int firesWanted = 0;
  std::array<UInt64, 256> deadlines{};
  std::array<UInt64, 256> firedAt{};
  std::atomic<int> fires{0};
};

void PeriodicFire(TMTaskPtr task) {
  auto* owner = static_cast<PeriodicOwner*>(task->tmRefCon);
  UInt64 now = HostTimeNanos();
  int fire = owner->fires.load();
  owner->deadlines[fire] = task->tmWakeUp;
  owner->firedAt[fire] = now;
  if (fire + 1 < owner->firesWanted) PrimeTime(task, -1000);
  owner->fires.store(fire + 1);
}

TEST(TimeManagerTest, SelfPrimingTaskKeepsAnAbsoluteSchedule) {
  PeriodicOwner owner;
  owner.firesWanted = 200;
  owner.task.tmAddr = NewTimerUPP(PeriodicFire);
  owner.task.tmRefCon = &owner;
  owner.task.tmWakeUp = 12345;  // stale values from an earlier use are cleared on install
  owner.task.tmReserved = 9;
  ASSERT_EQ(InsXTime(&owner.task), noErr);
  EXPECT_EQ(owner.task.tmWakeUp, 0u);
  EXPECT_EQ(owner.task.tmReserved, 0u);

  UInt64 before = HostTimeNanos();
  ASSERT_EQ(PrimeTime(&owner.task, -1000), noErr);
  UInt64 after = HostTimeNanos();
  ASSERT_TRUE(EventuallyTrue([&] { return owner.fires.load() == 200; }));
  usleep(5000);  // the last fire does not re-prime: nothing more may come
  EXPECT_EQ(RmvTime(&owner.task), noErr);

  EXPECT_EQ(owner.fires.load(), 200);
  EXPECT_EQ(owner.task.tmReserved, 200u);
  EXPECT_EQ(owner.task.tmCount, 0);  // nothing was armed at removal
  // The first deadline counts from the PrimeTime call; every later one from the one before.
  UInt64 start = owner.deadlines[0] - kMillisecond;
  EXPECT_GE(start, before);
  EXPECT_LE(start, after);
  for (int fire = 0; fire < 200; ++fire) {
    ASSERT_EQ(owner.deadlines[fire], start + UInt64(fire + 1) * kMillisecond) << fire;
    ASSERT_GE(owner.firedAt[fire], owner.deadlines[fire]) << "fired early: " << fire;
  }
  EXPECT_EQ(owner.deadlines[199], start + 200 * kMillisecond);
}

// A procedure that takes a while, re-arming itself every 1 ms: it is very likely to be in the
// middle of a fire whenever the main thread removes it.
struct SlowOwner {
  TMTask task;
  std::atomic<int> fires{0};
  std::atomic<bool> inside{false};
  std::atomic<bool> overlapped{false};
  bool removeFromInside = false;
};

void SlowFire(TMTaskPtr task) {
  auto* owner = static_cast<SlowOwner*>(task->tmRefCon);
  if (owner->inside.exchange(true)) owner->overlapped.store(true);
  PrimeTime(task, -1000);
  usleep(3000);
  owner->fires.fetch_add(1);
  if (owner->removeFromInside && owner->fires.load() == 3) RmvTime(task);
  owner->inside.store(false);
}

TEST(TimeManagerTest, RemovalIsFinalWhereverTheTaskStands) {
  enum Moment { kWhileFiring, kWhileArmed, kFromInside, kNeverPrimed };
  for (Moment moment : {kWhileFiring, kWhileArmed, kFromInside, kNeverPrimed}) {
    SCOPED_TRACE(moment);
    // On the heap, freed right after removal: a timer thread that touched it later would be
    // caught by the address sanitizer.
    auto owner = std::make_unique<SlowOwner>();
    owner->task.tmAddr = SlowFire;
    owner->task.tmRefCon = owner.get();
    owner->removeFromInside = moment == kFromInside;
    ASSERT_EQ(InsXTime(&owner->task), noErr);
    if (moment != kNeverPrimed) {
      ASSERT_EQ(PrimeTime(&owner->task, -1000), noErr);
    }

    if (moment == kWhileFiring) {
      ASSERT_TRUE(EventuallyTrue([&] { return owner->inside.load(); }));
    } else if (moment == kWhileArmed) {
      ASSERT_TRUE(EventuallyTrue([&] { return owner->fires.load() >= 2; }));
    } else if (moment == kFromInside) {
      ASSERT_TRUE(EventuallyTrue([&] { return owner->fires.load() >= 3 && !owner->inside; }));
    }
    OSErr removed = RmvTime(&owner->task);
    EXPECT_EQ(removed, moment == kFromInside ? OSErr(qErr) : OSErr(noErr));
    EXPECT_FALSE(owner->inside.load()) << "RmvTime returned while the procedure ran";
    EXPECT_EQ(owner->task.tmSlot, 0u);
    int firesAtRemoval = owner->fires.load();
    usleep(30000);
    EXPECT_EQ(owner->fires.load(), firesAtRemoval) << "fired after removal";
    EXPECT_FALSE(owner->overlapped.load()) << "the procedure was re-entered";
    if (moment == kFromInside) {
      EXPECT_EQ(firesAtRemoval, 3);
    }
    if (moment == kNeverPrimed) {
      EXPECT_EQ(firesAtRemoval, 0);
    }
    owner.reset();
  }
}

TEST(TimeManagerTest, RemovingAnArmedTaskReportsTheTimeLeft) {
  TMTask task;
  task.tmAddr = [](TMTaskPtr) {};
  ASSERT_EQ(InsXTime(&task), noErr);
  ASSERT_EQ(PrimeTime(&task, 5000), noErr);  // five seconds
  ASSERT_EQ(RmvTime(&task), noErr);
  EXPECT_LT(task.tmCount, -4000000);
  EXPECT_GE(task.tmCount, -5000000);
  EXPECT_EQ(task.tmReserved, 0u);
}

TEST(TimeManagerTest, PrimingAnArmedTaskFromOutsideReplacesItsDeadline) {
  struct Counter {
    TMTask task;
    std::atomic<int> fires{0};
  } counter;
  counter.task.tmRefCon = &counter;
  counter.task.tmAddr = [](TMTaskPtr task) {
    static_cast<Counter*>(task->tmRefCon)->fires.fetch_add(1);
  };
  ASSERT_EQ(InsXTime(&counter.task), noErr);
  ASSERT_EQ(PrimeTime(&counter.task, 10000), noErr);  // ten seconds away
  usleep(5000);                                       // its thread is waiting for it by now
  ASSERT_EQ(PrimeTime(&counter.task, -1000), noErr);
  EXPECT_TRUE(EventuallyTrue([&] { return counter.fires.load() == 1; }, 5000 * kMillisecond));
  usleep(30000);
  EXPECT_EQ(RmvTime(&counter.task), noErr);
  EXPECT_EQ(counter.fires.load(), 1);  // the ten-second fire was replaced, not added
}

TEST(TimeManagerTest, CallsRefuseTasksThatAreNotInstalled) {
  TMTask task;
  task.tmAddr = [](TMTaskPtr) {};
  EXPECT_EQ(PrimeTime(&task, -1000), qErr);
  EXPECT_EQ(RmvTime(&task), qErr);
  EXPECT_EQ(InsXTime(nullptr), paramErr);
  EXPECT_EQ(PrimeTime(nullptr, 1), qErr);

  ASSERT_EQ(InsXTime(&task), noErr);
  EXPECT_EQ(InsXTime(&task), qErr);  // installed once only
  EXPECT_EQ(RmvTime(&task), noErr);
  EXPECT_EQ(RmvTime(&task), qErr);
  EXPECT_EQ(PrimeTime(&task, -1000), qErr);

  // Installing again after removal works, and many install/remove rounds reuse the slots.
  for (int round = 0; round < 3 * kMaxTimeManagerTasks; ++round) {
    ASSERT_EQ(InsXTime(&task), noErr) << round;
    ASSERT_EQ(RmvTime(&task), noErr) << round;
  }
}

}  // namespace
