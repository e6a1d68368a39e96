// Insert time opens a gap the length of the time selection at its start; Remove time takes
// the selected time out and closes the gap, across events, regions, automation, sections,
// the conductor map and the markers.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"
#include "song/model/song_layout.h"

constexpr int32_t kMaxPaneSlots = 32;

// The tracks a time operation acts on, and what the editor panes show.
struct TrackSelectionRequest {
  uint8_t tracks[kTrackSelectionSize] = {};  // first, last, mask over the track numbers
  uint8_t wholeSong = 0;
  uint32_t pluginPaneSlots = 0;             // bit n: a visible pane shows plug-in slot n
  int8_t pluginPaneIndex[kMaxPaneSlots] = {};  // the pane showing slot n
  uint8_t tempoView = 0;                    // a visible pane shows the tempo view (8)
  uint8_t masterVolumeView = 0;             // a visible pane shows master volume (15)
  int8_t paneOfTrack[kMaxTrackNumbers] = {};   // the pane showing each track, -1 none
};

// From the visible editor panes (fromPanes) or from the track selection; whole song when
// every track is selected in context 0, 2 or 3 and the note range does not limit the edit.
void FillTrackSelectionRequest(TrackSelectionRequest* request, bool fromPanes);
void InsertTime(bool editorContext);
void RemoveTime(bool editorContext, bool allChannels, int16_t undoKind);
// Inserts delta ticks at the selection start into the current track; the memory error when a
// note could not be cut at the insertion point.
OSErr InsertTimeInSong(int32_t delta);
