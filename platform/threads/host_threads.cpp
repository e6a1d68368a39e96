#include "platform/threads/host_threads.h"

#include "platform/threads/realtime_deadlines.h"

int StartHostThread(HostThread* thread, HostThreadEntry entry, void* argument) {
  // The id is written before the thread runs, so the thread may ask IsCurrentHostThread at once.
  return pthread_create(&thread->thread, nullptr, entry, argument);
}

bool IsCurrentHostThread(const HostThread& thread) {
  return pthread_equal(pthread_self(), thread.thread);
}

void CollectEndedHostThread(HostThread* thread) {
  pthread_join(thread->thread, nullptr);
  thread->thread = pthread_t{};
}

bool CollectHostThreadWithin(HostThread* thread, uint32_t timeoutMillis) {
  timespec deadline = RealtimeDeadlineIn(uint64_t(timeoutMillis) * 1000);
  if (pthread_timedjoin_np(thread->thread, nullptr, &deadline) != 0) return false;
  thread->thread = pthread_t{};
  return true;
}
