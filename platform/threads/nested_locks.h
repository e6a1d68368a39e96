// A lock that its holder may take again (each take needs its release), taken with a bounded
// wait. The owner word lets the holding thread re-enter without touching the mutex.
#pragma once

#include <pthread.h>

#include <atomic>
#include <cstdint>

struct NestedLock {
  std::atomic<pthread_t> owner{};
  std::atomic<bool> owned{false};
  uint32_t depth = 0;
  pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
};

// Takes the lock, waiting at most timeoutMicros when another thread holds it; false when it
// did not come free in time. At once when the calling thread holds it already.
bool AcquireNestedLock(NestedLock* lock, uint32_t timeoutMicros);
// Gives back one take; the last one frees the lock. Nothing on a thread that does not hold it.
void ReleaseNestedLock(NestedLock* lock);
// True when the calling thread holds the lock.
bool HoldsNestedLock(const NestedLock* lock);
