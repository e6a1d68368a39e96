// Handing every selected event of the main editor's selected panes to a procedure: the walk of
// one track's selected events inside the time selection, and the run over the panes, each
// track once.
#pragma once

#include <cstdint>

// The undo kind of the note moves, velocity and length edits (the plain Undo item text).
constexpr int32_t kNoteEditUndoKind = 0;

// A procedure over events with its argument words: first is set for the first event of a
// track's walk; setting stop ends that walk; finish (may be null) runs after each track.
struct PerEventProcedure {
  void (*proc)(uint8_t* event, PerEventProcedure* state) = nullptr;
  void (*finish)(PerEventProcedure* state) = nullptr;
  int32_t args[4] = {};
  int32_t result = 0;
  bool first = true;
  bool stop = false;
  // The walk goes past the time selection's end: a move carries notes out of the range, and
  // the notes it drags are the selected ones wherever they are now.
  bool wholeList = false;
};

// The events of the current track from its first selected event up to the time selection's
// end (the whole list while the selection is empty) that are selected and pass the edit
// filter go to the procedure. Only in a note, drum or velocity view.
void ForEachSelectedEventInRange(PerEventProcedure* state);
// ForEachSelectedEventInRange over the track of every selected pane (the current pane when
// none is), each track once; the current pane is current again afterwards.
void RunPerEventProcedure(PerEventProcedure* state);
// The tracks of the selected panes (or of the current pane) as a track selection, for the
// undoable step that changes them.
void GetSelectedPaneTracks(uint8_t* scope);
// The 14-byte record at byte offset of the current track's list (null outside the list).
uint8_t* CurrentTrackRecordAt(int32_t offset);
// True when the note is selected and passes the edit filter.
bool IsSelectedEditableEvent(const uint8_t* event);
