// The grey outlines the note drags draw over the panes while the button is down: the frames of
// the moved notes, the frames of notes being lengthened and the velocity stems as the drag
// would leave them. They are drawn in exclusive-or, so that drawing an outline again takes it
// away and leaves the panes as they were.
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw_types.h"

// The outline on screen (null when none is).
struct DragOutline {
  RgnHandle shown = nullptr;
};

// Takes the shown outline away and draws next in its place; the outline owns next afterwards
// (null draws nothing new).
void ShowDragOutline(DragOutline* outline, RgnHandle next);
// Takes the shown outline away.
void HideDragOutline(DragOutline* outline);

// In a drum view every outline is empty: the drum rows are not pitch rows.
// The frame of one note record in the current pane.
RgnHandle NoteFrame(const uint8_t* note);
// The frames of the selected notes of the selected panes where they lie now, each inside its
// pane.
RgnHandle SelectedNoteFrames();
// The frame of note with its right edge at right (never left of its left edge), or, with
// several (the selected notes of the selected panes), every selected note's frame with its
// right edge moved by dx.
RgnHandle LengthenedNoteFrames(const uint8_t* note, bool several, int16_t right, int16_t dx);
// The velocity stem of note alone, or of every selected note of the selected panes with
// several, at the velocity + change (held to 0..127).
RgnHandle ChangedVelocityStems(const uint8_t* note, bool several, int32_t change);
