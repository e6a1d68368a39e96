#include "editing/track_commands.h"

#include "editing/edit_context.h"
#include "editing/event_clipboard.h"
#include "editing/paste.h"
#include "editing/record_tracks.h"
#include "editing/time_range_clear.h"
#include "editors/views/track_switches.h"
#include "platform/memory/memory.h"
#include "shell/base/iteration_abort.h"
#include "song/documents/playback_reset.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/plugin_hooks.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/track_entries.h"
#include "song/model/track_length.h"
#include "song/model/track_numbers.h"
#include "song/model/track_selection.h"
#include "song/model/track_settings.h"
#include "song/model/track_template.h"
#include "song/model/transport_hooks.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"
#include "song/undo/undo_copies.h"
#include "song/undo/undo_ring.h"
#include "song/undo/undo_steps.h"

namespace {

constexpr int32_t kCopyRackMode = 2;

// Empties the current track in place: its children and handles go, its entry stays.
void EmptyCurrentTrack() {
  DisposeTrackContents(nullptr);
  WriteU32BE(gCurrentTrack + kTrackEventBytes, 0);
}

struct TrackDeletion {
  uint8_t selection[kTrackSelectionBytes];  // the tracks to delete
  int32_t current = 0;                      // the track number current before
  int32_t removed = 0;
};

void RemoveSelectedTrackEntries(TrackDeletion* deletion) {
  for (int32_t i = GetSongTrackCount() - 1; i >= 0; --i) {
    SetCurrentTrackIndex(i);
    if (!HasValidCurrentTrack() || !IsTrackEntrySelected(gCurrentTrack)) continue;
    if ((gCurrentTrack[kTrackModeFlags] & kTrackModeSection) && IsCurrentSongPlaying()) ResetPlaybackState(0);
    if (GetSongTrackCount() <= 1) {
      EmptyCurrentTrack();  // the song keeps one track
      continue;
    }
    DisposeOwnedTrackContents();  // the undo step keeps its own hold on the plug-ins
    RemoveCurrentTrack();
    ++deletion->removed;
  }
}

// The track that was current when it is still there, else the first.
void ReselectCurrentTrack(int32_t number) {
  RebuildTrackNumberMap();
  SelectTrackNumber(number);
  if (!HasValidCurrentTrack() || gCurrentTrack[kTrackNumber] != number) {
    SetCurrentTrackIndex(0);
    if (HasValidCurrentTrack()) gCurrentTrackNumber = gCurrentTrack[kTrackNumber];
  }
}

void SettleAfterTrackRemoval(const TrackDeletion& deletion) {
  ReselectCurrentTrack(deletion.current);
  RecheckTrackModes();
  RebuildDeviceTable();
  RebuildInstrumentState();
  RemoveEmptyTracks();
  ReselectCurrentTrack(deletion.current);
  if (deletion.removed > 0) UpdateRecordTracks();
  UpdateSongEnd();
}

// The step keeps every track (empty tracks removed afterwards come back on Undo too); the
// deletion itself works on the user's selection.
int32_t DeleteTracksStep(void* context) {
  auto* deletion = static_cast<TrackDeletion*>(context);
  RestoreTrackSelection(deletion->selection);
  RemoveSelectedTrackEntries(deletion);
  SettleAfterTrackRemoval(*deletion);
  return 0;
}

// The frozen flag of the new track: its second region list is dropped.
void UnfreezeCurrentTrack() {
  if (!IsAlternateRegionListActive()) return;
  Handle list(ReadU32BE(gCurrentTrack + kTrackRegionList2));
  WriteU32BE(gCurrentTrack + kTrackRegionList2, 0);
  if (list && !IsHandleInUndoRing(list)) DisposeHandle(list);
  gCurrentTrack[kTrackOutputFlags] &= uint8_t(~kTrackOutputSecondRegions);
}

void MergeIntoFreeTrack() {
  int32_t previous = HasValidCurrentTrack() ? gCurrentTrack[kTrackNumber] : gCurrentTrackNumber;
  int32_t number = FindFreeTrackNumber();
  if (number < 0) return;
  ClearTrackSelectionMask();
  SelectTrackSlot(number);
  RecomputeSelectionBounds(gTrackSelection, true);
  InvalidateTrackWindow();
  PasteFromClipboard(0, 1, kUndoKindMerge, nullptr);
  RebuildTrackNumberMap();
  int32_t index = 0;
  if (!FindTrackWithNumber(number, &index)) {
    SelectTrackNumber(previous);  // nothing was pasted: no new track
    return;
  }
  SelectTrackNumber(number);
  UnfreezeCurrentTrack();
}

}  // namespace

void DeleteSelectedTracks() {
  TrackDeletion deletion;
  SaveTrackSelection(deletion.selection);
  deletion.current = HasValidCurrentTrack() ? gCurrentTrack[kTrackNumber] : gCurrentTrackNumber;
  SetTrackSelectionBounds(0, kMaxTrackNumbers - 1);
  SetAllTrackSelectionBits();
  int32_t ran = BeginUndoableStep(&deletion, DeleteTracksStep, 1);
  RestoreTrackSelection(deletion.selection);
  if (!ran) return;
  SetCurrentUndoKind(kUndoKindDeleteTracks);
  RedrawAll(0);
  SetSongModified();
}

void CopySelectionToNewTrack(bool move) {
  ClipboardState userClipboard;
  SaveClipboardState(&userClipboard);
  gIterationAbort = 0;
  CopyToClipboard(0, kCopyRackMode);
  if (!gIterationAbort) {
    if (move) {
      ClearRequest request;
      ClearInContext(&request, kUndoKindMerge);
    }
    MergeIntoFreeTrack();
  }
  ClipboardCommand(true, true);
  RestoreClipboardState(&userClipboard, false);
}
