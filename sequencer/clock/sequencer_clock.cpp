#include "sequencer/clock/sequencer_clock.h"

#include "platform/system/host_time.h"
#include "platform/threads/thread_pauses.h"
#include "platform/timing/time_manager.h"
#include "sequencer/clock/clock_interim_services.h"
#include "sequencer/clock/note_off_queue.h"
#include "sequencer/clock/tempo_tables.h"
#include "sequencer/clock/tick_routines.h"
#include "sequencer/clock/transport_clock.h"

TransportClock gTransportClock;
uint64_t gRealTimePosition = 0;

namespace {
TransportClock& C() { return gTransportClock; }
thread_local uint64_t gClockFireNanos = 0;

// Runs one fire of a task procedure: the fire's deadline is kept for the sends it makes.
struct ClockFireScope {
  explicit ClockFireScope(TMTaskPtr task) { gClockFireNanos = task->tmWakeUp; }
  ~ClockFireScope() { gClockFireNanos = 0; }
};
}  // namespace

uint64_t ClockDueNanos() {
  uint64_t due = TimeManagerClockIsManual() ? 0 : gClockFireNanos;
  return due != 0 ? due : HostTimeNanos();
}

void InitSequencerClock() {
  ResetNoteOffPool();
  EnsureTempoTables();
  SelectTickRoutine();
  SetTempoFromTable(C().tempo);
}

uint32_t NextPlayDelay() {
  uint32_t sum = uint32_t(C().fractionAccumulator) + C().periodFraction;
  C().fractionAccumulator = uint16_t(sum);
  // The carry lengthens this fire's delay only; the stored period never changes.
  return C().periodMicroseconds + (sum >> 16);
}

uint32_t NextIdleDelay() {
  uint32_t delay = C().periodMicroseconds;
  bool needsRate = (gNoteInputFlags & 0x200) != 0 || IsArpeggiatorServiceActive() ||
                   HasPendingNoteOffs();
  if (delay < kIdleClockMicroseconds && !needsRate) delay = kIdleClockMicroseconds;
  return delay;
}

static void Prime(TMTaskPtr task, uint32_t micros) {
  if (micros > 0x7FFFFFFFu) micros = 0x7FFFFFFFu;
  PrimeTime(task, -SInt32(micros == 0 ? 1 : micros));
}

void ClockTimerIdleProc(TMTaskPtr task) {
  ClockFireScope fire(task);
  Prime(task, NextIdleDelay());
  IdleClockFire();
  if (C().pollKeys) PollKeyboardFromClock();
}

void ClockTimerPlayProc(TMTaskPtr task) {
  ClockFireScope fire(task);
  Prime(task, NextPlayDelay());
  PlayClockFire();
  if (C().pollKeys) PollKeyboardFromClock();
}

void ClockTimerSyncProc(TMTaskPtr task) {
  ClockFireScope fire(task);
  Prime(task, NextPlayDelay());
  SyncClockFire();
  if (C().pollKeys) PollKeyboardFromClock();
}

void IdleClockFire() {
  ++C().songTick;
  if (C().noteOffBlock & 0x02) return;
  uint32_t expected = 0;
  if (!C().lock.compare_exchange_strong(expected, kClockOwnerHolder)) return;
  AdvanceNoteOffQueue();
  if (IsArpeggiatorServiceActive() && C().holdCount.load() == 0) RunArpeggiatorService();
  C().lock.store(0, std::memory_order_release);
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
  RestartArpeggiatorSlots(tick);
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
