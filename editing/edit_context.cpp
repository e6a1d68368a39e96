#include "editing/edit_context.h"

#include "editing/edit_window_hooks.h"
#include "editing/event_filters.h"
#include "editing/track_views.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"
#include "shell/windows/track_view_modes.h"
#include "song/events/time_selection.h"
#include "song/model/child_sequences.h"
#include "song/model/linked_song_sync.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_numbers.h"
#include "song/model/track_selection.h"
#include "song/model/transport_hooks.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"

uint32_t gEditContextKind = kContextEditorNotes;

namespace {

constexpr int16_t kTempoLane = 6;
constexpr int16_t kMasterVolumeLane = 13;
constexpr int16_t kVelocityLaneViewMode = 12;

struct WindowContext {
  int16_t kind;
  uint32_t context;
};

constexpr WindowContext kWindowContexts[] = {
    {kSongListKind, kContextSongList},          {kTrackWindowKind, kContextTrackWindow},
    {kInstrumentWindowKindId, kContextInstruments}, {kEventListKind, kContextEventList},
    {kConductorListKind, kContextConductorList}, {kRemoteControlKind, kContextRemote},
    {kNotepadKind, kContextNotepad},            {kMarkerListKind, kContextMarkers},
    {kMixerKind, kContextWindow14},             {kPluginWindowKind, kContextWindow15},
    {kSecondPluginWindowKind, kContextWindow16}, {kDialogAppWindowKind, kContextWindow21},
    {kJukeboxKind, kContextJukebox},
};

// The views the edit commands treat as notes: the note view, the drum views and the audio view.
bool IsDrumOrNoteContextMode(int16_t mode) { return mode == 0 || mode == 1 || mode == 9 || mode == 16; }

// Calls visit with the view mode of every shown track row of the current track.
template <typename Visit>
void ForEachVisibleRowOfCurrentTrack(Visit visit) {
  if (!HasValidCurrentTrack()) return;
  uint8_t number = gCurrentTrack[kTrackNumber];
  for (int16_t i = 0; i < gEditorPaneCount && i < kMaxEditorPanes; ++i) {
    const EditorPane& pane = gEditorPanes[i];
    if (pane.kind < 1 && !(pane.flags & kPaneHidden) && pane.track == number) visit(pane.viewMode);
  }
}

// The song list edits all tracks of its song over the whole song: a child sequence opened
// from it hands its edits on and the song of the list becomes current again.
void PrepareSongListContext() {
  if (IsChildSequenceSelected()) {
    SyncSongEditedDuringPlayback();
    ActivateSelectedSong();
  }
  SelectAllTracks();
  if (gCurrentSong) SetTimeRange(1, ReadU32BE(gCurrentSong + kSongEndTick));
}

uint32_t ContextOfWindow(int16_t kind) {
  for (const WindowContext& entry : kWindowContexts)
    if (entry.kind == kind) return entry.context;
  return IsDrumOrNoteContextMode(gCurrentViewMode) ? kContextEditorNotes : kContextEditorLane;
}

}  // namespace

int32_t SetEditContextKind() {
  gEditContextKind = ContextOfWindow(GetFrontWindowKind());
  if (gEditContextKind == kContextSongList) PrepareSongListContext();
  if (!IsEditorContext()) gCurrentPaneSlot = 0;
  return InstallContextFilters();
}

bool IsEditorContext() { return gEditContextKind == kContextEditorNotes || gEditContextKind == kContextEditorLane; }

bool IsConductorContext() {
  if (gEditContextKind == kContextConductorList) return true;
  if (gEditContextKind != kContextEditorLane) return false;
  int16_t lane = GetLaneViewIndex();
  return lane == kTempoLane || lane == kMasterVolumeLane;
}

bool IsPluginPaneContext() { return gEditContextKind == kContextEditorLane && gCurrentPaneSlot >= 1; }

bool IsAudioAreaContext() {
  if (gEditContextKind == kContextTrackWindow || gEditContextKind == kContextSongList) return true;
  if (gEditContextKind != kContextEditorNotes || !HasValidCurrentTrack()) return false;
  bool events = false, audio = false;
  GetTrackShownViews(gCurrentTrack, &events, &audio);
  return audio;
}

bool IsVelocityLaneContext() {
  return gEditContextKind == kContextEditorNotes && gCurrentViewMode == kVelocityLaneViewMode;
}

void ResetEditorViewForEdit() {
  if (!IsEditorContext()) return;
  int32_t lowest = -1;
  ForEachVisibleRowOfCurrentTrack([&](uint8_t mode) {
    if (lowest < 0 || mode < lowest) lowest = mode;
  });
  if (lowest == 0 || lowest == 1 || lowest == 16) {
    gEditContextKind = kContextEditorNotes;
    gCurrentViewMode = int16_t(lowest);
  }
}

void FinishEditCommand() {
  MarkEditorPanesDirty();
  if (IsCurrentSongPlaying()) ResetTransportAfterEdit(false, false, true);
  RebuildTrackNumberMap();
}
