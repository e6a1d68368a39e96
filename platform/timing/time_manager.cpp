#include "platform/timing/time_manager.h"

#include <unistd.h>

#include <cstdio>

#include "platform/system/host_time.h"
#include "platform/threads/word_waits.h"
#include "platform/timing/timer_slots.h"

namespace {

constexpr uint64_t kNanosPerMicrosecond = 1000;
constexpr uint64_t kNanosPerMillisecond = 1000000;

uint64_t DelayNanosOfCount(SInt32 count) {
  if (count >= 0) return uint64_t(count) * kNanosPerMillisecond;
  return uint64_t(-int64_t(count)) * kNanosPerMicrosecond;
}

// A removed task's thread frees its slot when it next wakes (at once when it was idle, within
// one sleep slice when armed), so a burst of removals and installs waits a little for slots.
constexpr int kClaimAttempts = 200;
constexpr useconds_t kClaimPauseMicros = 500;

TimerSlot* TryClaimFreeSlot(uint32_t* index, bool* someRemoved) {
  for (uint32_t i = 0; i < uint32_t(kMaxTimeManagerTasks); ++i) {
    uint32_t expected = kSlotFree;
    if (TimerSlotAt(i).state.compare_exchange_strong(expected, kSlotInstalling)) {
      *index = i;
      return &TimerSlotAt(i);
    }
    if (expected == kSlotRemoved) *someRemoved = true;
  }
  return nullptr;
}

TimerSlot* ClaimFreeSlot(uint32_t* index) {
  for (int attempt = 0; attempt < kClaimAttempts; ++attempt) {
    bool someRemoved = false;
    if (TimerSlot* slot = TryClaimFreeSlot(index, &someRemoved)) return slot;
    if (!someRemoved) break;
    usleep(kClaimPauseMicros);
  }
  return nullptr;
}

// Moves an installed slot to removed; false when it is not installed.
bool MarkRemoved(TimerSlot& slot, uint32_t* previous) {
  uint32_t state = slot.state.load();
  do {
    if (state != kSlotIdle && state != kSlotFiring) return false;
  } while (!slot.state.compare_exchange_weak(state, kSlotRemoved));
  *previous = state;
  return true;
}

// Waits, with a bound, until the firing thread lets go of the slot.
void AwaitRelease(TimerSlot& slot, uint32_t generation) {
  uint64_t giveUp = HostTimeNanos() + kRemoveWaitNanos;
  while (slot.generation.load() == generation) {
    uint64_t now = HostTimeNanos();
    if (now >= giveUp) {
      std::fprintf(stderr, "zarin: a Time Manager task still runs after %llu ms; left to finish\n",
                   (unsigned long long)(kRemoveWaitNanos / kNanosPerMillisecond));
      return;
    }
    WaitOnWordUntil(slot.generation, generation, giveUp);
  }
}

SInt32 MicrosecondsLeft(uint64_t deadline, uint64_t now) {
  if (deadline == 0 || deadline <= now) return 0;
  uint64_t micros = (deadline - now + kNanosPerMicrosecond - 1) / kNanosPerMicrosecond;
  return micros > 0x7FFFFFFFu ? SInt32(-0x7FFFFFFF) : -SInt32(micros);
}

}  // namespace

TimerUPP NewTimerUPP(TimerProcPtr userRoutine) { return userRoutine; }

void DisposeTimerUPP(TimerUPP) {}

void InvokeTimerUPP(TMTaskPtr tmTaskPtr, TimerUPP userUPP) {
  if (userUPP != nullptr) userUPP(tmTaskPtr);
}

OSErr InsXTime(TMTaskPtr tmTaskPtr) {
  if (tmTaskPtr == nullptr) return paramErr;
  if (TimerSlotOfTask(tmTaskPtr) != nullptr) return qErr;
  uint32_t index = 0;
  TimerSlot* slot = ClaimFreeSlot(&index);
  if (slot == nullptr) return qErr;
  slot->task.store(tmTaskPtr);
  slot->manual = TimeManagerClockIsManual();
  slot->deadline = 0;
  slot->armed = false;
  slot->rearmed = false;
  slot->requested.store(0);
  slot->armedDeadline.store(0);
  tmTaskPtr->tmWakeUp = 0;
  tmTaskPtr->tmReserved = 0;
  tmTaskPtr->tmCount = 0;
  tmTaskPtr->tmSlot = index + 1;
  slot->state.store(kSlotIdle);
  if (!slot->manual && !StartTimerThread(*slot)) {
    tmTaskPtr->tmSlot = 0;
    ReleaseTimerSlot(*slot);
    return memFullErr;
  }
  return noErr;
}

OSErr PrimeTime(TMTaskPtr tmTaskPtr, SInt32 count) {
  return PrimeTimeNanos(tmTaskPtr, DelayNanosOfCount(count));
}

OSErr PrimeTimeNanos(TMTaskPtr tmTaskPtr, UInt64 delayNanos) {
  TimerSlot* slot = TimerSlotOfTask(tmTaskPtr);
  if (slot == nullptr) return qErr;
  if (IsFiringOnThisThread(*slot)) {
    slot->rearmDeadline = slot->firingDeadline + delayNanos;
    slot->rearmOrder = NextArmOrder();
    slot->rearmed = true;
    tmTaskPtr->tmWakeUp = slot->rearmDeadline;
    slot->armedDeadline.store(slot->rearmDeadline);
    return noErr;
  }
  uint64_t now = slot->manual ? ManualClockNanos() : HostTimeNanos();
  uint64_t deadline = now + delayNanos;
  tmTaskPtr->tmWakeUp = deadline;
  slot->armedDeadline.store(deadline);
  slot->requestOrder.store(NextArmOrder());
  slot->requested.store(deadline);
  slot->wakeWord.fetch_add(1);
  WakeWordWaiters(slot->wakeWord, true);
  return noErr;
}

OSErr RmvTime(TMTaskPtr tmTaskPtr) {
  TimerSlot* slot = TimerSlotOfTask(tmTaskPtr);
  if (slot == nullptr) return qErr;
  uint32_t generation = slot->generation.load();
  uint32_t previous = kSlotIdle;
  if (!MarkRemoved(*slot, &previous)) return qErr;
  uint64_t now = slot->manual ? ManualClockNanos() : HostTimeNanos();
  SInt32 left = MicrosecondsLeft(slot->armedDeadline.load(), now);
  bool firingHere = IsFiringOnThisThread(*slot);
  if (slot->manual) {
    // The manual clock's caller frees a slot it is firing when the procedure returns.
    if (previous != kSlotFiring) ReleaseTimerSlot(*slot);
  } else {
    slot->wakeWord.fetch_add(1);
    WakeWordWaiters(slot->wakeWord, true);
    if (previous == kSlotFiring && !firingHere) AwaitRelease(*slot, generation);
  }
  tmTaskPtr->tmCount = left;
  tmTaskPtr->tmSlot = 0;
  return noErr;
}
