#include "platform/timing/timer_slots.h"

#include "platform/threads/word_waits.h"

namespace {

thread_local TimerSlot* tFiringSlot = nullptr;
std::atomic<uint64_t> gArmOrder{0};

TimerSlot* Slots() {
  static TimerSlot* slots = new TimerSlot[kMaxTimeManagerTasks];  // timer threads outlive exit
  return slots;
}

}  // namespace

uint64_t NextArmOrder() { return gArmOrder.fetch_add(1) + 1; }

TimerSlot& TimerSlotAt(uint32_t index) { return Slots()[index]; }

TimerSlot* TimerSlotOfTask(TMTaskPtr task) {
  if (task == nullptr || task->tmSlot == 0 || task->tmSlot > uint32_t(kMaxTimeManagerTasks)) {
    return nullptr;
  }
  TimerSlot& slot = TimerSlotAt(task->tmSlot - 1);
  uint32_t state = slot.state.load();
  if (slot.task.load() != task || (state != kSlotIdle && state != kSlotFiring)) return nullptr;
  return &slot;
}

bool IsFiringOnThisThread(const TimerSlot& slot) { return tFiringSlot == &slot; }

bool AdoptRequestedDeadline(TimerSlot& slot) {
  uint64_t requested = slot.requested.exchange(0);
  if (requested == 0) return false;
  slot.deadline = requested;
  slot.armOrder = slot.requestOrder.load();
  slot.armed = true;
  return true;
}

bool FireTimerSlot(TimerSlot& slot) {
  TMTask* task = slot.task.load();
  slot.firingDeadline = slot.deadline;
  slot.armed = false;
  slot.rearmed = false;
  slot.armedDeadline.store(0);
  task->tmWakeUp = slot.firingDeadline;
  task->tmReserved += 1;
  TimerSlot* outer = tFiringSlot;
  tFiringSlot = &slot;
  if (task->tmAddr != nullptr) task->tmAddr(task);
  tFiringSlot = outer;
  if (slot.rearmed) {
    slot.deadline = slot.rearmDeadline;
    slot.armOrder = slot.rearmOrder;
    slot.armed = true;
  }
  uint32_t expected = kSlotFiring;
  return slot.state.compare_exchange_strong(expected, kSlotIdle);
}

void ReleaseTimerSlot(TimerSlot& slot) {
  slot.task.store(nullptr);
  slot.armed = false;
  slot.rearmed = false;
  slot.requested.store(0);
  slot.armedDeadline.store(0);
  slot.generation.fetch_add(1);
  WakeWordWaiters(slot.generation, true);
  slot.state.store(kSlotFree);
}
