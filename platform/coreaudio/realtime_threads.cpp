#include <pthread.h>
#include <sched.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "platform/coreaudio/audio_internal.h"
#include "platform/system/host_time.h"

namespace {

constexpr UInt64 kNanosPerSecond = 1000000000ull;
std::atomic<bool> gRealtimeNoteShown{false};

}  // namespace

void PromoteToRealtime(int priority) {
  sched_param param{};
  int lowest = sched_get_priority_min(SCHED_FIFO);
  int highest = sched_get_priority_max(SCHED_FIFO);
  param.sched_priority = priority < lowest ? lowest : (priority > highest ? highest : priority);
  int err = pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
  if (err != 0 && !gRealtimeNoteShown.exchange(true)) {
    std::fprintf(stderr, "Zarin: real-time scheduling is not allowed here; audio threads run at normal priority\n");
  }
}

void SleepUntilNanos(UInt64 deadline) {
  timespec until{};
  until.tv_sec = time_t(deadline / kNanosPerSecond);
  until.tv_nsec = long(deadline % kNanosPerSecond);
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
  }
}

UInt64 NanosForFrames(UInt64 frames, Float64 rate) {
  UInt64 whole = rate >= 1.0 ? UInt64(std::llround(rate)) : 1;
  return frames / whole * kNanosPerSecond + (frames % whole) * kNanosPerSecond / whole;
}
