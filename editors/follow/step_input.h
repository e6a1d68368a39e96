// MIDI step input: notes played on a MIDI keyboard while the main editor is in front are
// entered at the insertion point (the time selection's start); when every key of the chord
// is up, the insertion point advances by the note value. The last step can be taken back.
#pragma once

#include <cstdint>

// Where step input takes the length of a step and of its notes. Filled by the note values'
// owner; while it is not, a step and its notes are a quarter note.
struct StepInputHooks {
  int32_t (*noteValueTicks)() = nullptr;
  // The step from tick to the next swung step of the note value.
  int32_t (*swungStepTicks)(int32_t tick) = nullptr;
  // The length of a note entered at tick: the swung step times the note length percentage.
  int32_t (*enteredNoteLength)(int32_t tick) = nullptr;
};
extern StepInputHooks gStepInputHooks;

// Step records kept per step: the 14-byte note with the step number in byte 11's place.
constexpr int32_t kStepRecordSize = 14;
constexpr int32_t kStepRecordStep = 11;

extern uint8_t gStepChordPending;
extern uint16_t gStepCounter;

int32_t StepNoteValueTicks();
// The step from tick to the next insertion point, and the length of a note entered at tick;
// both at least 1.
int32_t StepTicksAt(int32_t tick);
int32_t StepNoteLengthAt(int32_t tick);
// Reads the notes the processors hold and enters them at the insertion point (EndStepChord
// first). Answers the number of notes entered.
int32_t PollStepInput();
// When a chord was entered and no key is held any more, the insertion point advances once.
void EndStepChord();
// The insertion point moves on to the next swung step of the note value and the step counter
// counts the step.
void StepInputAdvance();
// Takes the notes of the last step out of the track; the insertion point goes back to them.
void UndoLastStep();
// Drops pending input, the chord state and the held-key counts.
void ResetStepInput();
