// Velocities of the main editor's notes: a drag of a note's velocity handle, and the offset
// the up and down arrow keys give every selected note.
#pragma once

#include <cstdint>

// A velocity handle drag moves the velocity by this much per pixel.
constexpr int32_t kVelocityPerPixel = 4;
constexpr int16_t kVelocityDragCursor = 504;

// velocity = (velocity & 127) + offset held in 0..127; bit 7 is kept.
void OffsetNoteVelocity(uint8_t* note, int32_t offset);
// OffsetNoteVelocity over the selected notes of every selected pane; the event list and the
// readout are redrawn and the song marked modified. Runs inside the caller's undoable step.
void OffsetSelectedVelocities(int32_t offset);
// The velocity drag of the note at gHitEventOffset of the current track (the hit test's):
// every pixel up adds 4, down takes 4 away, applied on release to that note alone, or to every
// selected note when it is one of several selected. One undoable step; false when nothing
// changed.
bool DragNoteVelocity();
// The arrow keys' velocity step as one undoable step over the selected notes.
void StepSelectedVelocities(int32_t offset);
