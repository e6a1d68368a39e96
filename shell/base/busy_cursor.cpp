#include "shell/base/busy_cursor.h"

#include "platform/quickdraw/cursors.h"
#include "platform/system/host_time.h"
#include "platform/system/quickdraw_random.h"

namespace {

// The id of the cursor shown last (its resource may be missing: the cursor then stays).
int16_t gCursorId = kArrowCursorId;
uint32_t gBusyCursorNextTick = 0;
uint16_t gBusyCursorFrame = 0;

}  // namespace

void SetCursorResource(int16_t id) {
  gCursorId = id;
  if (id == kArrowCursorId) SetCursor(&qd.arrow);
  else SetCursorFromResource(id);
}

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
