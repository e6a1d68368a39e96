// The busy cursor: eight 'CURS' frames (1256-1263) shown in turn, one step per 10 ticks.
//
// The cursor is shown on the screen's window when there is one; the id of the cursor asked for
// last is kept and can be read back (GetCursorResourceId).
#pragma once

#include <cstdint>

constexpr int16_t kArrowCursorId = 0;
constexpr int16_t kBusyCursorFirstId = 1256;
constexpr int16_t kBusyCursorFrames = 8;
constexpr uint32_t kBusyCursorStepTicks = 10;

// Shows 'CURS' id (kArrowCursorId: the arrow).
void SetCursorResource(int16_t id);
int16_t GetCursorResourceId();
// Shows frame (counter mod 8), advances the counter and schedules the next step 10 ticks on.
void SpinBusyCursor();
// SpinBusyCursor only when TickCount has passed the scheduled tick; cheap to call per step.
void SpinBusyCursorIfDue();
// Back to the arrow.
void RestoreArrowCursor();
