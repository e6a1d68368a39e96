// A press on an event of a main editor pane that the selection tracker hands on: the body of
// a note (moved, copied or resized) and a sequence block of the sequence rows (moved in time,
// or its length dragged by its end mark).
#pragma once

#include <cstdint>

// The note at gHitEventOffset of the current track, pressed at gLastMousePoint: shift without
// option drags its length (every selected note's when it is one of several), anything else
// drags the notes. Pending note-offs are flushed and the editor and event list redrawn.
void ClickNoteBody(uint32_t modifiers);
// The sequence block at byte offset of the current track dragged horizontally as an outline;
// unless the drag was cancelled or did not move, the block starts at the snapped time under
// the outline (one undoable step).
void DragBlockEvent(int32_t offset);
// The end mark of the sequence block at byte offset dragged horizontally: the block's length
// follows to the snapped time under the outline's right edge, at least one tick (one undoable
// step; the track grows to hold the block).
void DragBlockLength(int32_t offset);
