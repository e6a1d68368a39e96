// The Time Manager's task slots, shared by the calls, the timer threads and the manual clock.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/timing/time_manager.h"

enum TimerSlotState : uint32_t {
  kSlotFree,        // no task
  kSlotInstalling,  // claimed by InsXTime, not yet set up
  kSlotIdle,        // installed, armed or not, not firing
  kSlotFiring,      // the procedure is running
  kSlotRemoved,     // removed; the slot's firer frees it when it lets go
};

struct TimerSlot {
  std::atomic<uint32_t> state{kSlotFree};
  std::atomic<uint32_t> wakeWord{0};       // changed when a deadline is asked for or on removal
  std::atomic<uint32_t> generation{0};     // changed when the slot is freed
  std::atomic<uint64_t> requested{0};      // a deadline asked for from outside the procedure
  std::atomic<uint64_t> requestOrder{0};   // when it was asked for (see NextArmOrder)
  std::atomic<uint64_t> armedDeadline{0};  // the pending deadline as RmvTime sees it; 0: none
  std::atomic<TMTask*> task{nullptr};
  bool manual = false;

  // Owned by the slot's firer: its timer thread, or the caller of the manual clock.
  uint64_t deadline = 0;
  bool armed = false;
  uint64_t armOrder = 0;  // manual clock: equal deadlines fire in arming order
  uint64_t firingDeadline = 0;
  bool rearmed = false;
  uint64_t rearmDeadline = 0;
  uint64_t rearmOrder = 0;
};

// A count that orders every arming of every task, so that equal deadlines fire first-armed first.
uint64_t NextArmOrder();

TimerSlot& TimerSlotAt(uint32_t index);
// The slot of an installed task, or null.
TimerSlot* TimerSlotOfTask(TMTaskPtr task);

// Whether the calling thread is inside the slot's procedure.
bool IsFiringOnThisThread(const TimerSlot& slot);
// Takes a deadline asked for from outside the procedure, when there is one (true then).
bool AdoptRequestedDeadline(TimerSlot& slot);
// Runs one fire of a slot that the caller has just moved from idle to firing. Returns false
// when the task was removed meanwhile: the caller must then free the slot.
bool FireTimerSlot(TimerSlot& slot);
// Gives the slot back for reuse and wakes whoever waits for that.
void ReleaseTimerSlot(TimerSlot& slot);

// Starts the timer thread of a real-clock slot; false when no thread can be made.
bool StartTimerThread(TimerSlot& slot);

// The manual clock's time (only meaningful for manual slots).
uint64_t ManualClockNanos();
