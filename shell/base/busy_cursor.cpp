#include "shell/base/busy_cursor.h"

#include "platform/system/host_time.h"

namespace {

// Interim: the id stands for the cursor until the screen draws one.
int16_t gCursorId = kArrowCursorId;
uint32_t gBusyCursorNextTick = 0;
uint16_t gBusyCursorFrame = 0;

}  // namespace

void SetCursorResource(int16_t id) { gCursorId = id; }

int16_t GetCursorResourceId() { return gCursorId; }

void SpinBusyCursor() {
  SetCursorResource(int16_t(kBusyCursorFirstId + gBusyCursorFrame % kBusyCursorFrames));
  ++gBusyCursorFrame;
  gBusyCursorNextTick = TickCount() + kBusyCursorStepTicks;
}

void SpinBusyCursorIfDue() {
  // Signed difference, so that the tick count wrapping does not stop the cursor.
  if (int32_t(TickCount() - gBusyCursorNextTick) > 0) SpinBusyCursor();
}

void RestoreArrowCursor() { SetCursorResource(kArrowCursorId); }
