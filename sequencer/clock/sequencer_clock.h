// The sequencer clock: one Time Manager task that fires once per tick while a song plays
// (period and fraction from the tempo tables) and at an idle rate while stopped, and the
// clock's try-lock word.
//
// Every fire re-arms the task first (relative to the fire's own deadline, so re-arming never
// drifts), then runs its body under the lock: the play body (PlayClockFire), the sync body
// (SyncClockFire) or the idle body (IdleClockFire).
//
// The lock word is taken only by compare-and-swap. The clock task never waits for it (a busy
// lock becomes tick debt). The main thread and the MIDI thread retry 15 times at 50 us; the
// stop path (owner 3) never waits; HoldClock gives up after a bounded time. A caller that did
// not get the lock never writes the word, so no path can leave it taken.
//
// The fires, which run on the clock thread, are in clock_thread_fires.cpp; installing the
// task and setting the tempo (main thread) and the lock (any thread) are in sequencer_clock.cpp.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"
#include "platform/timing/time_manager.h"

// Retries of TryLockClock for owners other than the stop path, and the sleep between them.
constexpr int32_t kClockLockRetries = 15;
constexpr int32_t kClockLockRetryMicroseconds = 50;
// HoldClock: sleep between attempts and the most attempts before it goes on without the lock.
constexpr int32_t kHoldClockSleepMicroseconds = 1000;
constexpr int32_t kHoldClockAttempts = 200;
// Idle delay while nothing needs the tick rate.
constexpr uint32_t kIdleClockMicroseconds = 10000;

// Start-up: the note-off pool, the tick routine, the tempo tables and the clock's period.
void InitSequencerClock();

// The three task procedures.
void ClockTimerIdleProc(TMTaskPtr task);
void ClockTimerPlayProc(TMTaskPtr task);
void ClockTimerSyncProc(TMTaskPtr task);

// Removes the task if installed, installs proc, sets songTick to tick and primes the task with
// one period. Returns the Time Manager's result.
OSErr InstallClockTimer(TimerUPP proc, uint32_t tick);
// Removes the task (waits for a running fire, with the Time Manager's bound).
void RemoveClockTimer();
// True while the play or sync procedure is installed.
bool IsClockTaskPlaying();

// Lock: 0 taken; -1 busy after the retries; 1 when the stop path (owner 3) found it busy.
int32_t TryLockClock(int32_t owner);
// Pass back what TryLockClock returned: 0 releases the lock; anything else leaves it alone
// (the caller never held it). Returns the code.
int32_t UnlockClock(int32_t code);
// on: takes the lock (bounded, see above), counts one holder and releases; returns whether the
// lock was had. off: drops one holder.
bool HoldClock(bool on);

// Stops the ticks: the next play or sync fire stops playback.
void HaltSequencerTicks();

// Sets the clock's period, fraction and subframe increment for a tempo (clamped to 120..4500)
// from the tables; the clock's tempo field is left alone.
void SetTempoFromTable(int32_t tempo);

// When what runs now is due: on the thread of a clock fire, the fire's host-time deadline
// (what a fire sends is due then, not at the moment it is sent); the host time now on other
// threads, between fires and under the manual test clock (which keeps its own time).
uint64_t ClockDueNanos();

// The idle body: counts the tick and advances the note-offs when the lock is free.
void IdleClockFire();

// The delay of this fire's re-arm, in microseconds: the period plus the carry of the fraction
// (play and sync), or the idle delay.
uint32_t NextPlayDelay();
uint32_t NextIdleDelay();
