// The bodies of the play and sync fires and the two tick routines, which advance the song
// position by one tick and the time code by one tick's worth of subframes, then run the tick
// scheduler.
#pragma once

#include <cstdint>

// Most missed fires made up on one internal-clock fire, after its own tick.
constexpr int32_t kMaxExtraTicksPerFire = 2;
// Tick debt limits of the slaved clock before the source counts as stalled (error 47).
constexpr int32_t kSyncDebtLimit = 100;
constexpr int32_t kSyncDebtLimitSysEx = 30000;

void PlayClockFire();
void SyncClockFire();

void AdvanceClockTick();
void AdvanceClockTickDropFrame();
// Stores the drop-frame routine when gSmpteRateCode is 2, else the plain one.
void SelectTickRoutine();

// Adds subframes (16.16) to the real-time position and the frame accumulator and advances the
// time code by every whole frame they make; dropFrame skips frames 0 and 1 of minutes that
// are not multiples of 10.
void AdvanceTimeCode(uint32_t increment, bool dropFrame);

// Set while a system-exclusive dump is sent (raises the sync debt limit).
extern uint8_t gSendingSysExDump;
