// Counting semaphores by kernel name, over POSIX semaphores. Signalling and waiting never
// allocate and never take a lock, so real-time threads may use them. The waiting order of the
// policy is not kept (POSIX wakes by scheduling priority).
#pragma once

#include "platform/threads/mach_kernel.h"

constexpr int SYNC_POLICY_FIFO = 0;
constexpr int SYNC_POLICY_FIXED_PRIORITY = 1;
constexpr int SYNC_POLICY_REVERSED = 2;
constexpr int SYNC_POLICY_LIFO = SYNC_POLICY_FIFO | SYNC_POLICY_REVERSED;

// Up to this many semaphores exist at once.
constexpr int kMaxMachSemaphores = 256;

// KERN_INVALID_ARGUMENT for another task, a null result, an unknown policy or a negative value;
// KERN_RESOURCE_SHORTAGE when every slot is taken.
kern_return_t semaphore_create(task_t task, semaphore_t* semaphore, int policy, int value);
// Waiters still blocked on it return KERN_TERMINATED. The name is never valid again.
kern_return_t semaphore_destroy(task_t task, semaphore_t semaphore);
kern_return_t semaphore_signal(semaphore_t semaphore);
// Waits until signalled (or destroyed: KERN_TERMINATED).
kern_return_t semaphore_wait(semaphore_t semaphore);
// Waits at most waitTime: KERN_OPERATION_TIMED_OUT (49) when it passes without a signal.
// A zero time takes a pending signal or times out at once. tv_nsec must be 0..999,999,999.
kern_return_t semaphore_timedwait(semaphore_t semaphore, mach_timespec_t waitTime);
