// Clearing a time range: what lies in the time selection leaves a track, and with a shift
// everything behind it moves (Remove time). Clear, the second half of Cut, the destination
// clear of Paste and the per-track step of Remove time come down to it.
//
// The event-list walks run on the current track with the editing cursor (event_cursor.h):
// time_range_clear.cpp holds the range clear of one list, event_run_delete.cpp the deletes at
// the cursor and the child sequences they free, lane_clear.cpp the lane and pane clears, and
// track_range_clear.cpp the track walks and the context dispatcher.
#pragma once

#include <cstdint>

#include "editing/event_filters.h"
#include "song/undo/undo_steps.h"

constexpr uint8_t kClearKeepLength = 0x01;  // leave the track length alone
constexpr uint8_t kClearOwnUndoStep = 0x02; // each track in its own track-edit step
constexpr uint8_t kClearKeepName = 0x04;    // keep the name of a track that becomes empty

// The flags by caller.
constexpr uint8_t kClearFlagsClear = kClearOwnUndoStep | kClearKeepName;         // 6
constexpr uint8_t kClearFlagsCut = kClearOwnUndoStep;                            // 2
constexpr uint8_t kClearFlagsNoUndoKind = kClearKeepLength | kClearOwnUndoStep;  // 3

// gEventCriteriaFlags bit 4: a run delete takes one event per step.
constexpr uint8_t kCriteriaOneEventPerStep = 0x10;
// The reference word a deleted sequence reference is overwritten with.
constexpr uint16_t kDeletedReference = 0xFFFF;

struct ClearRequest {
  int32_t shift = 0;   // ticks by which events at or after the selection end move
  uint8_t flags = 0;
  uint8_t abort = 0;   // set by a step that fails; the walk stops
};

// The event-list clear on the current track (request may be null: shift 0).
void ClearTimeRangeInTrack(ClearRequest* request);
// One track: automation, alternate regions, audio regions, events, length and name.
void ClearTrackRange(ClearRequest* request);
// One editor pane, by its view.
void ClearPaneRange(ClearRequest* request);
// One data lane of the current pane.
void ClearLaneRange(int32_t shift);
// The clear of the track contexts.
void ClearSelectedTracksRange(ClearRequest* request, int16_t undoKind, bool paneContext);
// The context dispatcher; ClearSelection calls it with the Clear undo kind.
void ClearInContext(ClearRequest* request, int16_t undoKind);
void ClearSelection();
// Removes the events in start..end that filter accepts (in-place compaction).
void DeleteMatchingEventsInRange(uint32_t start, uint32_t end, EventFilterProc filter);
// The lane deletes: DeleteMatchingEventsInRange with the lane's filter.
void DeletePitchBendInRange(uint32_t start, uint32_t end);
void DeleteChannelPressureInRange(uint32_t start, uint32_t end);
void DeleteProgramChangesInRange(uint32_t start, uint32_t end);
void DeleteLaneControllerInRange(uint32_t start, uint32_t end);
void DeletePolyPressureInRange(uint32_t start, uint32_t end);
// Every note-on in the range gets the velocity (clamped to 0..127).
void SetVelocityInRange(uint32_t start, uint32_t end, int32_t velocity);

// From the cursor, removes the run of events in the time selection that the copy filter
// takes (see event_run_delete.cpp); the cursor stays at the run's start. Returns the bytes
// removed (added to gRemovedEventBytes; the list is shrunk by the caller).
uint32_t DeleteEventRunAtCursor();
// Removes the event at the cursor (its real length counted in gRemovedEventBytes); with
// disposeChild, a sequence reference's child goes when no other reference carries it.
void DeleteCursorEvent(bool disposeChild);
// True when a sequence reference of the current track's list carries reference.
bool IsChildSequenceReferenced(uint16_t reference);
// Removes child sequence reference / 4 of the current track from the song.
void DetachChildSequence(uint16_t reference);

// Whether a clear of the current track takes in its events and its audio (by context, the
// panes showing the track and the track's frozen state).
bool EventsTakePartInClear();
// Adds track number slot to a 16-byte scope (mask bit and bounds).
void AddSlotToScope(uint8_t* scope, int32_t slot);
// Adds every empty track of the current song to scope: steps that end by removing empty
// tracks keep them, so that Undo brings them back.
void AddEmptyTracksToScope(uint8_t* scope);
// One undoable step that keeps the tracks of scope (16 bytes) while edit still sees the user's
// track selection; the song's stored selection is left as it was.
int32_t RunUndoableEditKeepingTracks(const uint8_t* scope, UndoableEdit edit, void* context);
