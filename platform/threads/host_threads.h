// Threads of the program's own (the engine's workers): starting one, knowing whether the
// caller is it, and collecting it when it ends, with a bounded wait.
#pragma once

#include <pthread.h>

#include <cstdint>

struct HostThread {
  pthread_t thread{};
};
using HostThreadEntry = void* (*)(void* argument);

// 0 when the thread runs entry(argument); otherwise the system's error.
int StartHostThread(HostThread* thread, HostThreadEntry entry, void* argument);
// True when the calling thread is this one.
bool IsCurrentHostThread(const HostThread& thread);
// Collects a thread whose entry has returned or is returning (its loop said so): waits for
// the last steps of its exit, then the record is empty again.
void CollectEndedHostThread(HostThread* thread);
// Waits at most timeoutMillis for the thread to end and collects it; false when it did not end
// in time (the record is unchanged).
bool CollectHostThreadWithin(HostThread* thread, uint32_t timeoutMillis);
