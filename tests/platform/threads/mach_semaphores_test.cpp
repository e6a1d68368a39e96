// Semaphores by kernel name: time-outs report 49, signals from other threads wake waiters,
// destroyed names are refused and release their waiters.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <thread>

#include "platform/system/host_time.h"
#include "platform/threads/mach_semaphores.h"

namespace {

constexpr UInt64 kMillisecond = 1000000;

mach_timespec_t Millis(uint32_t ms) {
  mach_timespec_t t;
  t.tv_sec = ms / 1000;
  t.tv_nsec = int32_t((ms % 1000) * 1000000);
  return t;
}

semaphore_t MakeSemaphore(int value) {
  semaphore_t sem = MACH_PORT_NULL;
  EXPECT_EQ(semaphore_create(mach_task_self(), &sem, SYNC_POLICY_FIFO, value), KERN_SUCCESS);
  return sem;
}

TEST(MachSemaphoresTest, TimedWaitTimesOutWith49AfterItsTime) {
  semaphore_t sem = MakeSemaphore(0);
  for (uint32_t ms : {0u, 1u, 30u}) {
    UInt64 before = HostTimeNanos();
    EXPECT_EQ(semaphore_timedwait(sem, Millis(ms)), KERN_OPERATION_TIMED_OUT);
    EXPECT_EQ(KERN_OPERATION_TIMED_OUT, 49);
    EXPECT_GE(HostTimeNanos() - before, ms * kMillisecond) << "gave up early: " << ms;
  }
  EXPECT_EQ(semaphore_destroy(mach_task_self(), sem), KERN_SUCCESS);
}

TEST(MachSemaphoresTest, SignalsFromAnotherThreadWakeTheWaiter) {
  semaphore_t sem = MakeSemaphore(0);
  semaphore_t reply = MakeSemaphore(0);
  std::atomic<int> woken{0};
  std::thread waiter([&] {
    for (int round = 0; round < 100; ++round) {
      if (semaphore_timedwait(sem, Millis(5000)) != KERN_SUCCESS) return;
      woken.fetch_add(1);
      semaphore_signal(reply);
    }
  });
  for (int round = 0; round < 100; ++round) {
    ASSERT_EQ(semaphore_signal(sem), KERN_SUCCESS);
    ASSERT_EQ(semaphore_timedwait(reply, Millis(5000)), KERN_SUCCESS) << round;
  }
  waiter.join();
  EXPECT_EQ(woken.load(), 100);
  semaphore_destroy(mach_task_self(), sem);
  semaphore_destroy(mach_task_self(), reply);
}

TEST(MachSemaphoresTest, PendingSignalsAreCountedAndDrainedByZeroWaits) {
  semaphore_t sem = MakeSemaphore(2);
  ASSERT_EQ(semaphore_signal(sem), KERN_SUCCESS);
  mach_timespec_t almostNothing{0, 10};
  int drained = 0;
  while (semaphore_timedwait(sem, almostNothing) == KERN_SUCCESS) ++drained;
  EXPECT_EQ(drained, 3);
  ASSERT_EQ(semaphore_signal(sem), KERN_SUCCESS);
  EXPECT_EQ(semaphore_wait(sem), KERN_SUCCESS);
  semaphore_destroy(mach_task_self(), sem);
}

TEST(MachSemaphoresTest, DestroyReleasesWaitersAndRetiresTheName) {
  semaphore_t sem = MakeSemaphore(0);
  std::atomic<kern_return_t> timed{-1}, untimed{-1};
  std::thread timedWaiter([&] { timed = semaphore_timedwait(sem, Millis(10000)); });
  std::thread untimedWaiter([&] { untimed = semaphore_wait(sem); });
  usleep(20000);
  UInt64 before = HostTimeNanos();
  EXPECT_EQ(semaphore_destroy(mach_task_self(), sem), KERN_SUCCESS);
  timedWaiter.join();
  untimedWaiter.join();
  EXPECT_LT(HostTimeNanos() - before, 2000 * kMillisecond);
  EXPECT_EQ(timed.load(), KERN_TERMINATED);
  EXPECT_EQ(untimed.load(), KERN_TERMINATED);

  // The old name stays dead even when its slot serves a new semaphore.
  semaphore_t next = MakeSemaphore(1);
  EXPECT_NE(next, sem);
  EXPECT_EQ(semaphore_signal(sem), KERN_INVALID_ARGUMENT);
  EXPECT_EQ(semaphore_timedwait(sem, Millis(0)), KERN_INVALID_ARGUMENT);
  EXPECT_EQ(semaphore_destroy(mach_task_self(), sem), KERN_INVALID_ARGUMENT);
  EXPECT_EQ(semaphore_timedwait(next, Millis(0)), KERN_SUCCESS);
  semaphore_destroy(mach_task_self(), next);
}

TEST(MachSemaphoresTest, BadArgumentsAreRefused) {
  semaphore_t sem = MACH_PORT_NULL;
  EXPECT_EQ(semaphore_create(mach_task_self(), &sem, SYNC_POLICY_FIFO, -1), KERN_INVALID_ARGUMENT);
  EXPECT_EQ(semaphore_create(mach_task_self(), &sem, 8, 0), KERN_INVALID_ARGUMENT);
  EXPECT_EQ(semaphore_create(mach_task_self() + 1, &sem, SYNC_POLICY_FIFO, 0),
            KERN_INVALID_ARGUMENT);
  EXPECT_EQ(semaphore_create(mach_task_self(), nullptr, SYNC_POLICY_FIFO, 0),
            KERN_INVALID_ARGUMENT);
  for (semaphore_t never : {MACH_PORT_NULL, semaphore_t(0x12345), semaphore_t(0xFFFFFFFF)}) {
    EXPECT_EQ(semaphore_signal(never), KERN_INVALID_ARGUMENT) << never;
    EXPECT_EQ(semaphore_wait(never), KERN_INVALID_ARGUMENT) << never;
  }
  sem = MakeSemaphore(0);
  EXPECT_EQ(semaphore_timedwait(sem, mach_timespec_t{0, -1}), KERN_INVALID_ARGUMENT);
  EXPECT_EQ(semaphore_timedwait(sem, mach_timespec_t{0, 1000000000}), KERN_INVALID_ARGUMENT);

  // Every slot taken: the next create is refused, and freeing one makes room again.
  semaphore_t all[kMaxMachSemaphores];
  int made = 1;
  all[0] = sem;
  while (made < kMaxMachSemaphores &&
         semaphore_create(mach_task_self(), &all[made], SYNC_POLICY_FIFO, 0) == KERN_SUCCESS) {
    ++made;
  }
  EXPECT_EQ(made, kMaxMachSemaphores);
  semaphore_t extra;
  EXPECT_EQ(semaphore_create(mach_task_self(), &extra, SYNC_POLICY_FIFO, 0),
            KERN_RESOURCE_SHORTAGE);
  EXPECT_EQ(semaphore_destroy(mach_task_self(), all[7]), KERN_SUCCESS);
  EXPECT_EQ(semaphore_create(mach_task_self(), &all[7], SYNC_POLICY_FIFO, 0), KERN_SUCCESS);
  for (int i = 0; i < made; ++i) semaphore_destroy(mach_task_self(), all[i]);
}

}  // namespace
