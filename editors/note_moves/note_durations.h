// Lengths of the main editor's notes: the durations of the selected notes changed by a delta
// (the command-arrow keys, a length drag over several notes) and the length drag itself.
#pragma once

#include <cstdint>

constexpr uint16_t kLongNoteDuration = 0;  // a note whose duration word is 0 lasts on: never resized
constexpr int32_t kMaxNoteLength = 0xFFFF;

// duration + delta held in 1..65535; a long note is left and the readout says "Long note!".
// Answers the note's end (its old end for a long note).
uint32_t ChangeNoteDuration(uint8_t* note, int32_t delta);
// ChangeNoteDuration over the selected notes of every selected pane, inside the caller's
// undoable step; with show the first note's new end is shown in the readout. The tracks grow
// to hold the notes; answers the latest note end (0 when no note changed).
uint32_t ChangeSelectedDurations(int32_t delta, bool show);
// The command-arrow keys: the selected durations change by the nudge amount with the
// direction's sign, as one undoable step.
void NudgeSelectedDurations(int16_t direction);
// Follows a horizontal drag of the clicked note's end (the note at gHitEventOffset of the
// current track); *length becomes the snapped time at the release less the note's start, at
// least 1. Answers 1 when several notes are selected (the clicked one among them), 0 for one
// note, -1 when the drag was cancelled.
int16_t DragNoteLength(bool snap, int32_t* length);
