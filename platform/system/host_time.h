// Host time: the monotonic clock in nanoseconds, and the tick (1/60 s) and microsecond counts
// built on it. All three count from the same origin (the system's start), so they agree.
#pragma once

#include "platform/memory/mac_types.h"

// A 64-bit unsigned count as two 32-bit halves, high half first.
struct UnsignedWide {
  UInt32 hi = 0;
  UInt32 lo = 0;
};

constexpr UInt32 kTicksPerSecond = 60;
// The longest wait Delay makes, in ticks (one minute); longer requests are cut to this.
constexpr UInt32 kMaxDelayTicks = 60 * kTicksPerSecond;

// CLOCK_MONOTONIC in nanoseconds.
uint64_t HostTimeNanos();
// Whole microseconds of the same clock.
uint64_t MicrosecondsNow();
// The same count as two halves.
void Microseconds(UnsignedWide* microTickCount);
// Whole ticks (1/60 s) of the same clock; wraps after about 828 days.
UInt32 TickCount();

// Conversions between host nanoseconds and ticks: a tick count is reached at
// NanosAtTick(ticks), the first nanosecond for which TicksAtNanos gives at least ticks.
uint64_t TicksAtNanos(uint64_t nanos);
uint64_t NanosAtTick(uint64_t ticks);

// Sleeps until TickCount has advanced by numTicks (at most kMaxDelayTicks) and returns the
// tick count at waking in *finalTicks (which may be null).
void Delay(UInt32 numTicks, UInt32* finalTicks);
