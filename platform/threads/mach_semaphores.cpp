#include "platform/threads/mach_semaphores.h"

#include <semaphore.h>

#include <atomic>
#include <cerrno>
#include <ctime>

#include "platform/system/host_time.h"

namespace {

// A name is (generation << 9) | (slot index + 1), so a destroyed name never matches a later
// semaphore in the same slot.
constexpr uint32_t kIndexBits = 9;
constexpr uint32_t kIndexMask = (1u << kIndexBits) - 1;
constexpr uint32_t kGenerationLimit = 1u << (32 - kIndexBits);
static_assert(kMaxMachSemaphores < int(kIndexMask));

// How long semaphore_destroy keeps waking waiters that are still inside a wait.
constexpr uint64_t kDestroyWakeNanos = 1000000000;
constexpr timespec kDestroyPause{0, 100000};

struct SemaphoreSlot {
  sem_t sem;
  std::atomic<bool> claimed{false};
  std::atomic<uint32_t> name{0};   // the live name; 0 while free or being destroyed
  std::atomic<uint32_t> users{0};  // calls inside this slot's sem_t right now
  uint32_t generation = 0;
};

SemaphoreSlot& Slot(uint32_t index) {
  static SemaphoreSlot* slots = new SemaphoreSlot[kMaxMachSemaphores];  // outlives every thread
  return slots[index];
}

// Enters the slot of a live name; the caller must call Leave when done with its sem_t.
SemaphoreSlot* Enter(semaphore_t semaphore) {
  uint32_t index = semaphore & kIndexMask;
  if (index == 0 || index > uint32_t(kMaxMachSemaphores)) return nullptr;
  SemaphoreSlot& slot = Slot(index - 1);
  slot.users.fetch_add(1);
  if (slot.name.load() != semaphore) {
    slot.users.fetch_sub(1);
    return nullptr;
  }
  return &slot;
}

void Leave(SemaphoreSlot* slot) { slot->users.fetch_sub(1); }

// After a wait: a slot whose name changed meanwhile was destroyed under the waiter.
kern_return_t LeaveAfterWait(SemaphoreSlot* slot, semaphore_t semaphore, kern_return_t result) {
  if (slot->name.load() != semaphore) result = KERN_TERMINATED;
  Leave(slot);
  return result;
}

timespec HostTimespec(uint64_t nanos) {
  timespec at{};
  at.tv_sec = time_t(nanos / 1000000000u);
  at.tv_nsec = long(nanos % 1000000000u);
  return at;
}

void WakeRemainingUsers(SemaphoreSlot& slot) {
  uint64_t giveUp = HostTimeNanos() + kDestroyWakeNanos;
  while (slot.users.load() != 0 && HostTimeNanos() < giveUp) {
    sem_post(&slot.sem);
    nanosleep(&kDestroyPause, nullptr);
  }
}

}  // namespace

kern_return_t semaphore_create(task_t task, semaphore_t* semaphore, int policy, int value) {
  if (task != mach_task_self() || semaphore == nullptr || value < 0) return KERN_INVALID_ARGUMENT;
  if ((policy & ~SYNC_POLICY_LIFO) != 0) return KERN_INVALID_ARGUMENT;
  for (uint32_t index = 0; index < uint32_t(kMaxMachSemaphores); ++index) {
    SemaphoreSlot& slot = Slot(index);
    bool expected = false;
    if (!slot.claimed.compare_exchange_strong(expected, true)) continue;
    if (sem_init(&slot.sem, 0, unsigned(value)) != 0) {
      slot.claimed.store(false);
      return KERN_INVALID_ARGUMENT;  // value above SEM_VALUE_MAX
    }
    slot.generation = slot.generation + 1 == kGenerationLimit ? 1 : slot.generation + 1;
    *semaphore = (slot.generation << kIndexBits) | (index + 1);
    slot.name.store(*semaphore);
    return KERN_SUCCESS;
  }
  return KERN_RESOURCE_SHORTAGE;
}

kern_return_t semaphore_destroy(task_t task, semaphore_t semaphore) {
  if (task != mach_task_self()) return KERN_INVALID_ARGUMENT;
  uint32_t index = semaphore & kIndexMask;
  if (index == 0 || index > uint32_t(kMaxMachSemaphores)) return KERN_INVALID_ARGUMENT;
  SemaphoreSlot& slot = Slot(index - 1);
  uint32_t expected = semaphore;
  if (!slot.name.compare_exchange_strong(expected, 0)) return KERN_INVALID_ARGUMENT;
  WakeRemainingUsers(slot);
  // A waiter stuck past the bound keeps the slot: it is never reused rather than destroyed
  // under it.
  if (slot.users.load() != 0) return KERN_SUCCESS;
  sem_destroy(&slot.sem);
  slot.claimed.store(false);
  return KERN_SUCCESS;
}

kern_return_t semaphore_signal(semaphore_t semaphore) {
  SemaphoreSlot* slot = Enter(semaphore);
  if (slot == nullptr) return KERN_INVALID_ARGUMENT;
  sem_post(&slot->sem);
  Leave(slot);
  return KERN_SUCCESS;
}

kern_return_t semaphore_wait(semaphore_t semaphore) {
  SemaphoreSlot* slot = Enter(semaphore);
  if (slot == nullptr) return KERN_INVALID_ARGUMENT;
  while (sem_wait(&slot->sem) != 0 && errno == EINTR) {
  }
  return LeaveAfterWait(slot, semaphore, KERN_SUCCESS);
}

kern_return_t semaphore_timedwait(semaphore_t semaphore, mach_timespec_t waitTime) {
  if (waitTime.tv_nsec < 0 || waitTime.tv_nsec >= 1000000000) return KERN_INVALID_ARGUMENT;
  SemaphoreSlot* slot = Enter(semaphore);
  if (slot == nullptr) return KERN_INVALID_ARGUMENT;
  uint64_t deadline =
      HostTimeNanos() + uint64_t(waitTime.tv_sec) * 1000000000u + uint64_t(waitTime.tv_nsec);
  timespec until = HostTimespec(deadline);
  int result;
  while ((result = sem_clockwait(&slot->sem, CLOCK_MONOTONIC, &until)) != 0 && errno == EINTR) {
  }
  return LeaveAfterWait(slot, semaphore, result == 0 ? KERN_SUCCESS : KERN_OPERATION_TIMED_OUT);
}
