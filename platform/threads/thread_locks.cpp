#include "platform/threads/thread_locks.h"

void AcquireThreadLock(ThreadLock* lock) { lock->mutex.lock(); }

void ReleaseThreadLock(ThreadLock* lock) { lock->mutex.unlock(); }
