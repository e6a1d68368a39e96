// Locks for short sections that ordinary threads share (the main thread and the disk thread
// reading the same file, say). A holder keeps the lock only for its short section, so a wait
// for it lasts at most that long; real-time threads never take one. A lock needs no set-up:
// a static ThreadLock is ready before the program's first statement runs.
#pragma once

#include <mutex>

struct ThreadLock {
  std::mutex mutex;
};

// Waits until the lock is free and takes it. Not re-entrant.
void AcquireThreadLock(ThreadLock* lock);
void ReleaseThreadLock(ThreadLock* lock);
