#include "platform/system/host_time.h"

#include <algorithm>
#include <cerrno>
#include <ctime>

namespace {

constexpr uint64_t kNanosPerSecond = 1000000000;

}  // namespace

uint64_t HostTimeNanos() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return uint64_t(now.tv_sec) * kNanosPerSecond + uint64_t(now.tv_nsec);
}

uint64_t MicrosecondsNow() { return HostTimeNanos() / 1000; }

void Microseconds(UnsignedWide* microTickCount) {
  if (microTickCount == nullptr) return;
  uint64_t micros = MicrosecondsNow();
  microTickCount->hi = UInt32(micros >> 32);
  microTickCount->lo = UInt32(micros);
}

// Split at whole seconds so that nothing overflows however long the system has run.
uint64_t TicksAtNanos(uint64_t nanos) {
  return (nanos / kNanosPerSecond) * kTicksPerSecond +
         (nanos % kNanosPerSecond) * kTicksPerSecond / kNanosPerSecond;
}

uint64_t NanosAtTick(uint64_t ticks) {
  uint64_t partTicks = ticks % kTicksPerSecond;
  return (ticks / kTicksPerSecond) * kNanosPerSecond +
         (partTicks * kNanosPerSecond + kTicksPerSecond - 1) / kTicksPerSecond;
}

UInt32 TickCount() { return UInt32(TicksAtNanos(HostTimeNanos())); }

void Delay(UInt32 numTicks, UInt32* finalTicks) {
  uint64_t target = TicksAtNanos(HostTimeNanos()) + std::min(numTicks, kMaxDelayTicks);
  uint64_t deadline = NanosAtTick(target);
  timespec until{};
  until.tv_sec = time_t(deadline / kNanosPerSecond);
  until.tv_nsec = long(deadline % kNanosPerSecond);
  // An absolute deadline: a signal that interrupts the sleep does not lengthen the wait.
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
  }
  if (finalTicks != nullptr) *finalTicks = TickCount();
}
