#include "sequencer/clock/sequencer_clock.h"

#include "platform/system/host_time.h"
#include "platform/timing/time_manager.h"
#include "sequencer/clock/clock_interim_services.h"
#include "sequencer/clock/note_off_queue.h"
#include "sequencer/clock/tick_routines.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/arp_engine.h"

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
  if (IsArpeggiatorServiceActive() && C().holdCount.load() == 0) ArpServiceAll();
  C().lock.store(0, std::memory_order_release);
}
