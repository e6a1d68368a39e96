// Applying a note map to the notes of the time selection on the selected tracks, as one
// undoable step: the transpose dialog, the shift by semitones (Transform item 12) and the
// inversion/retrograde step. Poly-pressure events follow their notes through the
// note-follow table. Main thread.
#pragma once

#include <cstdint>

constexpr int16_t kNothingMappedText = 39;

// gNoteMap over the selection of every selected track with data (nested sequences too);
// kTransposeRefused in gRepeatTransposition.flags when a track had no event list (text 39 is
// shown). 1 when the step ran, 0 when it could not be kept (nothing changed).
int32_t ApplyTranspose();
// ShiftNotesBySemitones (Transform item 12, declared with the Transform menu): every selected
// note moves down by n semitones (up for a negative n); in a note or drum view of a track with
// a drum map its row moves by +n instead. The first changed note is shown in the note readout.
// The inversion/retrograde step: with gInversionChoice's invert bit the notes mirror around
// the centre note (chromatic with flag 0x0100, else through the source scale), with its
// retrograde bit the selection is reversed in time. One undoable step; the flags are kept.
int32_t RunInversionRetrograde();
// The first note the last apply changed: its tick, pitch and velocity (tick 0: none).
struct ChangedNote {
  uint32_t tick = 0;
  int32_t note = 0;
  int32_t velocity = 0;
};
extern ChangedNote gFirstChangedNote;
