// The "shift" dialog (Transform item 7: a bar/beat/tick length and a direction) and the
// "nudge" dialog (Options item 14: the nudge amount, in ticks or one screen pixel, and the
// key step of the velocity keys). Main thread.
#pragma once

#include <cstdint>

// Field and view ids of "shift".
enum : int32_t {
  kShiftBarField = 3,
  kShiftBeatField = 4,
  kShiftTickField = 5,
  kShiftForwardRadio = 6,
  kShiftBackwardRadio = 7,
  kShiftArrows = 8,
};
// Field and view ids of "nudge".
enum : int32_t {
  kNudgeAmountField = 3,
  kNudgeTicksRadio = 4,
  kNudgePixelRadio = 5,
  kNudgeKeyStepField = 6,
  kNudgeAmountArrows = 7,
  kNudgeKeyStepArrows = 8,
};

// OpenShiftDialog (declared with the Transform menu): with a time selection the dialog, and on
// OK the shift by the typed length, remembered.
// The length the shift dialog shows for an amount: |amount| + 1 as bar, beat and tick from 0.
void SplitShiftAmount(int32_t amount, int32_t* bar, int32_t* beat, int32_t* tick);
// The signed amount of a typed length: BarBeatTickToTick(bar, beat, tick) - 1, negative backward.
int32_t ShiftAmountFromFields(int32_t bar, int32_t beat, int32_t tick, bool backward);
// RunNudgeDialog (declared with the editing commands): on OK the nudge word and the key step.
