#include "platform/threads/nested_locks.h"

#include "platform/threads/realtime_deadlines.h"

bool HoldsNestedLock(const NestedLock* lock) {
  return lock->owned.load(std::memory_order_acquire) &&
         pthread_equal(lock->owner.load(std::memory_order_relaxed), pthread_self());
}

bool AcquireNestedLock(NestedLock* lock, uint32_t timeoutMicros) {
  if (HoldsNestedLock(lock)) {
    ++lock->depth;
    return true;
  }
  timespec deadline = RealtimeDeadlineIn(timeoutMicros);
  if (pthread_mutex_timedlock(&lock->mutex, &deadline) != 0) return false;
  lock->owner.store(pthread_self(), std::memory_order_relaxed);
  lock->owned.store(true, std::memory_order_release);
  lock->depth = 1;
  return true;
}

void ReleaseNestedLock(NestedLock* lock) {
  if (!HoldsNestedLock(lock)) return;
  if (--lock->depth > 0) return;
  lock->owned.store(false, std::memory_order_release);
  pthread_mutex_unlock(&lock->mutex);
}
