// The Time Manager: tasks that fire once per priming, each on its own real-time timer thread,
// at absolute deadlines on the host clock (CLOCK_MONOTONIC nanoseconds).
//
// A task's procedure runs on its timer thread, never re-entered and never on two threads at
// once. Calling PrimeTime from inside the procedure re-arms the task relative to the deadline of
// the fire that is running, not to the moment of the call, so a task that re-primes itself with
// a fixed period keeps an exact schedule however late a single fire runs. Periods are used
// exactly as given (whole microseconds, or nanoseconds through PrimeTimeNanos): there is no
// timer quantum. A fire that runs late is followed at once by the fires whose deadlines have
// passed, so the schedule catches up rather than drifting.
//
// Timer threads run under SCHED_FIFO when the system allows it (see thread_policy.h); they
// never allocate while firing.
//
// For tests, a manual clock: with UseManualTimeManagerClock(true), tasks installed afterwards
// get no thread and fire only inside FireTimeManagerTasksUntil, in deadline order, on the
// calling thread.
#pragma once

#include "platform/memory/mac_types.h"

struct TMTask;
using TMTaskPtr = TMTask*;
using TimerProcPtr = void (*)(TMTaskPtr tmTaskPtr);
using TimerUPP = TimerProcPtr;

// The task record, owned by the caller; it must stay in place from InsXTime until RmvTime.
struct TMTask {
  TimerUPP tmAddr = nullptr;  // the procedure, called with this record
  // Set by RmvTime: the time that was left before the pending fire, in negative microseconds
  // (0 when the task was not armed or already due).
  SInt32 tmCount = 0;
  // The deadline of the pending fire, or inside the procedure the deadline of the fire that is
  // running, in host nanoseconds; 0 until primed. Cleared by InsXTime.
  UInt64 tmWakeUp = 0;
  // Fires since InsXTime. Cleared by InsXTime.
  UInt32 tmReserved = 0;
  // The owner's word: the procedure finds its owner through it.
  void* tmRefCon = nullptr;
  // Which timer slot runs the task (0: not installed). Set by InsXTime, cleared by RmvTime.
  UInt32 tmSlot = 0;
};

// Result of the calls below for a task that is not installed, installed twice, or when all
// kMaxTimeManagerTasks slots are in use.
enum : OSErr { qErr = -1 };

constexpr int kMaxTimeManagerTasks = 64;

TimerUPP NewTimerUPP(TimerProcPtr userRoutine);
void DisposeTimerUPP(TimerUPP userUPP);
void InvokeTimerUPP(TMTaskPtr tmTaskPtr, TimerUPP userUPP);

// Installs the task (unarmed) and starts its timer thread; clears tmWakeUp, tmReserved and
// tmCount. memFullErr when no thread can be started.
OSErr InsXTime(TMTaskPtr tmTaskPtr);
// Arms the task to fire once after count: milliseconds when positive, microseconds when
// negative, as soon as possible when 0. From inside the task's own procedure the delay counts
// from the deadline of the running fire; from anywhere else, from now, replacing a pending fire
// (a new deadline earlier than a pending one less than 2 ms away is met only after that one).
// Read tmWakeUp inside the procedure, or while the task cannot fire: a timer thread writes it.
OSErr PrimeTime(TMTaskPtr tmTaskPtr, SInt32 count);
OSErr PrimeTimeNanos(TMTaskPtr tmTaskPtr, UInt64 delayNanos);
// Removes the task. When RmvTime returns, the task will not fire again and its procedure is not
// running (unless RmvTime is called from that procedure, which may then finish), so the record
// may be reused or freed. A fire in progress is waited for at most kRemoveWaitNanos; past that
// a note goes to the console and the procedure is left to finish on its own (it still never
// fires again).
OSErr RmvTime(TMTaskPtr tmTaskPtr);

constexpr UInt64 kRemoveWaitNanos = 2000000000;

// The manual clock. Switching applies to tasks installed afterwards. The manual time starts at
// the host time of the switch and advances only in FireTimeManagerTasksUntil.
void UseManualTimeManagerClock(Boolean manual);
Boolean TimeManagerClockIsManual();
// The manual time when the manual clock is on, else HostTimeNanos().
UInt64 TimeManagerNowNanos();
// Fires every manual task whose deadline is at or before untilNanos, earliest first (equal
// deadlines in the order they were armed), including fires that the procedures arm meanwhile;
// the manual time is each fire's deadline while it runs, and untilNanos afterwards (it never
// goes back). At most kMaxManualFires fires per call. Returns the number of fires.
UInt32 FireTimeManagerTasksUntil(UInt64 untilNanos);

constexpr UInt32 kMaxManualFires = 1000000;
