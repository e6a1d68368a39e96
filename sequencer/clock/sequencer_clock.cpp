#include "sequencer/clock/sequencer_clock.h"

#include "platform/threads/thread_pauses.h"
#include "platform/timing/time_manager.h"
#include "sequencer/clock/clock_interim_services.h"
#include "sequencer/clock/note_off_queue.h"
#include "sequencer/clock/tick_routines.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/arp_engine.h"
#include "song/conductor/tempo_tables.h"

TransportClock gTransportClock;
uint64_t gRealTimePosition = 0;

namespace {
TransportClock& C() { return gTransportClock; }
}  // namespace

void InitSequencerClock() {
  ResetNoteOffPool();
  EnsureTempoTables();
  SelectTickRoutine();
  SetTempoFromTable(C().tempo);
}

OSErr InstallClockTimer(TimerUPP proc, uint32_t tick) {
  RemoveClockTimer();
  C().task.tmAddr = proc;
  C().task.tmRefCon = &gTransportClock;
  C().installedProc.store(proc);
  OSErr err = InsXTime(&C().task);
  if (err != noErr) {
    C().installedProc.store(nullptr);
    return err;
  }
  C().songTick = tick;
  ArpRestartAll(tick);
  C().fractionAccumulator = 0;
  const uint32_t period = C().periodMicroseconds;
  return PrimeTime(&C().task, -SInt32(period ? period : 1));
}

void RemoveClockTimer() {
  if (C().task.tmSlot != 0) RmvTime(&C().task);
  C().installedProc.store(nullptr);
}

bool IsClockTaskPlaying() {
  TimerUPP p = C().installedProc.load();
  return p == ClockTimerPlayProc || p == ClockTimerSyncProc;
}

int32_t TryLockClock(int32_t owner) {
  uint32_t expected = 0;
  if (C().lock.compare_exchange_strong(expected, uint32_t(owner))) return 0;
  if (owner == kClockOwnerStop) return 1;
  for (int32_t i = 0; i < kClockLockRetries; ++i) {
    PauseThreadMicros(kClockLockRetryMicroseconds);
    expected = 0;
    if (C().lock.compare_exchange_strong(expected, uint32_t(owner))) return 0;
  }
  return -1;
}

int32_t UnlockClock(int32_t code) {
  if (code == 0) C().lock.store(0, std::memory_order_release);
  return code;
}

bool HoldClock(bool on) {
  if (!on) {
    uint8_t n = C().holdCount.load();
    while (n > 0 && !C().holdCount.compare_exchange_weak(n, uint8_t(n - 1))) {
    }
    return true;
  }
  for (int32_t attempt = 0; attempt < kHoldClockAttempts; ++attempt) {
    if (TryLockClock(kClockOwnerHolder) == 0) {
      C().holdCount.fetch_add(1);
      UnlockClock(0);
      return true;
    }
    PauseThreadMicros(kHoldClockSleepMicroseconds);
  }
  // The clock never let go: count the holder anyway (the count is atomic) and go on.
  C().holdCount.fetch_add(1);
  return false;
}

void HaltSequencerTicks() { C().flags.fetch_or(kClockFlagHalted); }

void SetTempoFromTable(int32_t tempo) {
  EnsureTempoTables();
  if (tempo < kTempoTableFirst) tempo = kTempoTableFirst;
  if (tempo > kTempoTableLast) tempo = kTempoTableLast;
  uint32_t entry = gTempoPeriodTable[tempo - kTempoTableFirst];
  uint32_t whole = entry >> 16;
  uint16_t fraction = uint16_t(entry);
  if (whole == 65535) GetExactTickPeriod(tempo, &whole, &fraction);
  C().periodMicroseconds = whole;
  C().periodFraction = fraction;
  C().subframeIncrement = gTempoIncrementTable[tempo - kTempoTableFirst];
}
