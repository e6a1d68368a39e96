// The events of the current track drawn into the current pane: straight, repeated over the
// song for a pattern track, or in the ghost style inside the track's sections.
#pragma once

#include <cstdint>

// Ends every repeat walk, so that a very short pattern at a far zoom cannot spin.
constexpr int32_t kMaxRepeatPasses = 16384;

// Walks from the event the pane remembered (while its cache still holds: an offset, the same
// list size and track, and no redraw asked for), stepped back over the notes that may sound
// into the view when the view moved left; else from the list head. So a redraw after a scroll
// walks the events of the distance scrolled, not those of the song before the view.
void DrawTrackNotes();
// A pattern track of length L + 1 (L at least 1) repeated every L ticks up to the draw end;
// every pass but one starting at tick 1 in the ghost style.
void DrawLoopedTrackNotes();
// Events inside one of the track's sections in the ghost style, the others plain.
void DrawSectionedTrackNotes();
// The tick the repeat walks stop at: the song end (no end when the longest track loops), but
// never past the right edge.
int32_t GetNoteDrawEnd();
