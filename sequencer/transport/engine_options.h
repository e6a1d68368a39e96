// The sequencer engine's options: its options dialog and the loop repeats (the number the
// loop window shows).
#pragma once

#include <cstdint>

// Options item 11. Interim: the dialog is not built yet; nothing is shown.
void RunSequencerOptionDialog(int16_t item);

// The loop window's count: the repeats asked for and the passes played so far.
extern int32_t gLoopRepeatTarget;
extern int32_t gLoopPassesPlayed;
// Repeats still to play: target - passes, within 0..INT32_MAX.
int32_t GetLoopWindowNumber();
