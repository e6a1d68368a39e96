// Clearing a time range: what lies in the time selection leaves a track, and with a shift
// everything behind it moves (Remove time). Clear, the second half of Cut, the destination
// clear of Paste and the per-track step of Remove time come down to it.
#pragma once

#include <cstdint>

#include "editing/event_filters.h"

constexpr uint8_t kClearKeepLength = 0x01;  // leave the track length alone
constexpr uint8_t kClearOwnUndoStep = 0x02; // each track in its own track-edit step
constexpr uint8_t kClearKeepName = 0x04;    // keep the name of a track that becomes empty

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
// Every note-on in the range gets the velocity (clamped to 0..127).
void SetVelocityInRange(uint32_t start, uint32_t end, int32_t velocity);
