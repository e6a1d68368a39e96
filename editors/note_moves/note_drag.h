// Dragging notes of the main editor in time and pitch: the clicked note alone, or every
// selected note with it, snapped to the grid, locked to the axis of the first movement when
// asked, and copied instead of moved with option.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw_types.h"
#include "song/events/seq_event.h"

// The axis of a drag (the readout mode word): 5 undecided, 1 time only, 2 pitch only, 0 free.
enum NoteDragAxis : int16_t {
  kDragAxisFree = 0,
  kDragAxisTime = 1,
  kDragAxisPitch = 2,
  kDragAxisUndecided = 5,
};
// How the move applies: the note alone, or every selected note (2: keeping each note's
// place within the note value).
enum NoteMoveMode : int16_t {
  kMoveSingleNote = 0,
  kMoveSelection = 1,
  kMoveSelectionOnGrid = 2,
};
constexpr int16_t kNoteMoveCursor = 502;
constexpr int16_t kDragReleasedOutside = -337;
constexpr int16_t kNoFeedbackProc = -50;
// The first movement beyond this many pixels decides an undecided axis.
constexpr int16_t kAxisDecisionSlop = 1;

// When on, a drag starts locked to the axis of its first movement; shift inverts it.
extern uint8_t gAxisLockPreference;

struct NoteDragState {
  uint8_t note[kLongEventSize];  // the clicked note as it was at the press
  int32_t noteTime = 0;
  int16_t notePitch = 0;
  int16_t mode = kMoveSingleNote;
  Point click{};
  int16_t offsetH = 0;           // the press less the note's origin
  int16_t offsetV = 0;
  int32_t gridOffset = 0;        // the note's start within the note value
  Rect limit{};
  int32_t dt = 0;                // the move applied so far
  int16_t dpitch = 0;
  int32_t minDt = 0;             // the room of the moved notes: never before tick 1,
  int16_t minPitch = 0;          // never out of 0..127
  int16_t maxPitch = 0;
  bool moved = false;
};
using NoteDragFeedback = void (*)(NoteDragState* state, Point where);

// The drag offsets from the press to the note's origin (view 1: 3 left and 5 up less; view
// 16: one more to the right, none vertically).
void SetDragOffsets(NoteDragState* state, const Rect& noteRect);
// Moves the notes by dt and dpitch more: the single note (rewritten from the template, the
// list re-sorted around it), or every selected note of the selected panes, each list
// re-sorted; the pitch range of the selection follows the selection's move.
void MoveNotesBy(int16_t mode, NoteDragState* state, int32_t dt, int32_t dpitch, bool audition, bool single);
// The pointer's time and pitch at where, limited by the axis and the notes' room, applied as
// the change since the last step.
void ApplyNoteDragDelta(NoteDragState* state, Point where, int16_t axis);
// Follows the mouse: 0 when released inside the limit, -337 outside it (or cancelled), -50
// without a feedback procedure. *axis is the axis word (decided by the first movement).
int16_t TrackNoteDrag(int16_t mode, NoteDragState* state, Rect limit, int16_t* axis, NoteDragFeedback feedback);
// The drag of the note at gHitEventOffset of the current track (the hit test's) from the
// press at gLastMousePoint with the modifiers of the press: one undoable step, undone when
// the drag is cancelled. Answers true when the song changed.
bool MoveSelectedNotes(uint32_t modifiers);
