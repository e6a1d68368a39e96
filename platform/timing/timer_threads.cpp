#include <pthread.h>

#include <ctime>

#include "platform/system/host_time.h"
#include "platform/threads/thread_policy.h"
#include "platform/threads/word_waits.h"
#include "platform/timing/timer_slots.h"

namespace {

// An unarmed thread waits on its slot's wake word, and so does an armed one until the last
// stretch before its deadline, so that a removal or a new deadline from outside wakes it at
// once; the last stretch is one absolute sleep to the deadline (seen from outside only after it).
constexpr uint64_t kIdleWaitNanos = 100000000;
constexpr uint64_t kFinalSleepNanos = 2000000;

void SleepUntil(uint64_t hostNanos) {
  timespec until{};
  until.tv_sec = time_t(hostNanos / 1000000000u);
  until.tv_nsec = long(hostNanos % 1000000000u);
  clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr);
}

// One turn of the timer loop; false when the task was removed and the thread should end.
bool RunTimerTurn(TimerSlot& slot) {
  if (slot.state.load() == kSlotRemoved) return false;
  uint32_t seen = slot.wakeWord.load();
  AdoptRequestedDeadline(slot);
  uint64_t now = HostTimeNanos();
  if (!slot.armed) {
    WaitOnWordUntil(slot.wakeWord, seen, now + kIdleWaitNanos);
    return true;
  }
  if (now + kFinalSleepNanos < slot.deadline) {
    WaitOnWordUntil(slot.wakeWord, seen, slot.deadline - kFinalSleepNanos);
    return true;
  }
  if (now < slot.deadline) {
    SleepUntil(slot.deadline);
    return true;
  }
  uint32_t expected = kSlotIdle;
  if (!slot.state.compare_exchange_strong(expected, kSlotFiring)) return true;
  return FireTimerSlot(slot);
}

void* RunTimerThread(void* argument) {
  TimerSlot& slot = *static_cast<TimerSlot*>(argument);
  SetThreadFifoPriority(pthread_self(), kTimerTaskFifoPriority);
  while (RunTimerTurn(slot)) {
  }
  ReleaseTimerSlot(slot);
  return nullptr;
}

}  // namespace

bool StartTimerThread(TimerSlot& slot) {
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
  pthread_t thread;
  int error = pthread_create(&thread, &attributes, RunTimerThread, &slot);
  pthread_attr_destroy(&attributes);
  if (error != 0) return false;
  pthread_setname_np(thread, "zarin-timer");
  return true;
}
