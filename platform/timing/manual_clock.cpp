#include <atomic>

#include "platform/system/host_time.h"
#include "platform/timing/timer_slots.h"

namespace {

std::atomic<bool> gManualClock{false};
std::atomic<uint64_t> gManualNanos{0};

void AdvanceManualClock(uint64_t nanos) {
  uint64_t now = gManualNanos.load();
  while (now < nanos && !gManualNanos.compare_exchange_weak(now, nanos)) {
  }
}

// Takes every manual slot's outside request, then picks the earliest fire due by untilNanos.
TimerSlot* NextDueManualSlot(uint64_t untilNanos) {
  TimerSlot* next = nullptr;
  for (uint32_t i = 0; i < uint32_t(kMaxTimeManagerTasks); ++i) {
    TimerSlot& slot = TimerSlotAt(i);
    if (!slot.manual || slot.state.load() != kSlotIdle) continue;
    AdoptRequestedDeadline(slot);
    if (!slot.armed || slot.deadline > untilNanos) continue;
    if (next == nullptr || slot.deadline < next->deadline ||
        (slot.deadline == next->deadline && slot.armOrder < next->armOrder)) {
      next = &slot;
    }
  }
  return next;
}

}  // namespace

void UseManualTimeManagerClock(Boolean manual) {
  if (manual && !gManualClock.load()) gManualNanos.store(HostTimeNanos());
  gManualClock.store(manual);
}

Boolean TimeManagerClockIsManual() { return gManualClock.load(); }

uint64_t ManualClockNanos() { return gManualNanos.load(); }

UInt64 TimeManagerNowNanos() {
  return TimeManagerClockIsManual() ? ManualClockNanos() : HostTimeNanos();
}

UInt32 FireTimeManagerTasksUntil(UInt64 untilNanos) {
  UInt32 fires = 0;
  while (fires < kMaxManualFires) {
    TimerSlot* slot = NextDueManualSlot(untilNanos);
    if (slot == nullptr) break;
    uint32_t expected = kSlotIdle;
    if (!slot->state.compare_exchange_strong(expected, kSlotFiring)) continue;
    AdvanceManualClock(slot->deadline);
    if (!FireTimerSlot(*slot)) ReleaseTimerSlot(*slot);
    ++fires;
  }
  AdvanceManualClock(untilNanos);
  return fires;
}
