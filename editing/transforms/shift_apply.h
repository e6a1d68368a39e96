// Moving the selected material in time: the shift by a typed length, the nudge by the
// remembered amount, and the time selection moving along with them. Events, the tracks' audio
// regions and the selection move together as one undoable step. Main thread.
#pragma once

#include <cstdint>

// What a shift moves: the events by ticks; in an audio view the regions and the selection by
// samples when samples is non-zero; with automation the focused plug-in's points instead of
// the tracks.
struct ShiftRequest {
  int32_t ticks = 0;
  int64_t samples = 0;
  bool automation = false;
};

// The last typed shift, its sign the direction (0 at start).
extern int32_t gLastShiftAmount;
// The first new tick of the last shift (0: nothing moved).
extern uint32_t gShiftAnchorTick;

// One undoable step: on every selected track its audio regions and the events that start
// inside the time selection and that the copy filter accepts move by the amount (never before
// tick 1); events that end after the selection move with their start. Then the selection
// moves. 1 when the step ran, 0 when it could not be kept (nothing changed).
int32_t ApplyShift(const ShiftRequest& request);
// The time selection by ticks (each end at least 1) or, with samples, by samples (at least 0).
void ShiftTimeSelection(int32_t ticks, int64_t samples);
// Transform item 0 (NudgeSelection, declared with the Transform menu) with the option key as
// given: direction +1 later, -1 earlier. With option the selection alone moves by its own
// length; in the tempo and master-volume views the conductor records of the range move;
// otherwise ApplyShift by the nudge amount; without a selection only the selection moves.
void NudgeSelectionWith(int32_t direction, bool option);
// The nudge amount in samples at the audio zoom levels -5..-1 (pixels x samples per pixel),
// else 0.
int64_t NudgeSamplesAtZoom(int32_t pixels);
