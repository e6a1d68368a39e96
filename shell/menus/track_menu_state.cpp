#include "shell/menus/track_menu_state.h"

#include "shell/menus/menu_bar.h"
#include "shell/menus/menu_items.h"
#include "shell/windows/app_windows.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/track_iterators.h"

namespace {

struct ScanState {
  uint8_t songMode = 0;
  TrackMenuCounts counts;
};

uint8_t CurrentSongMode() { return gCurrentSong ? SongHeaderView(gCurrentSong).SongMode() : 0; }

int32_t NoteQualifying(void* arg) {
  auto* state = static_cast<ScanState*>(arg);
  if (gCurrentTrack && TrackQualifiesForMenus(gCurrentTrack, state->songMode)) {
    state->counts.qualifies = true;
    gIterationAbort = 1;
  }
  return 0;
}

int32_t CountTrack(void* arg) {
  auto* state = static_cast<ScanState*>(arg);
  if (!gCurrentTrack) return 0;
  TrackEntryView track(gCurrentTrack);
  TrackMenuCounts& c = state->counts;
  ++c.selected;
  if (track.Flags() & kTrackFlagSilent) ++c.silent;
  if (track.ActiveRegionList()) ++c.withAudio;
  if (track.Group() != 0) ++c.grouped;
  if (TrackQualifiesForMenus(gCurrentTrack, state->songMode)) c.qualifies = true;
  return 0;
}

void ClearBit(uint32_t* mask, int16_t item) { *mask &= ~(1u << (item - 1)); }

}  // namespace

bool TrackQualifiesForMenus(const uint8_t* entry, uint8_t songMode) {
  if (!entry) return false;
  TrackEntryView track(const_cast<uint8_t*>(entry));
  if (track.Flags() & kTrackFlagSilent) return false;
  bool secondListOn = (track.OutputFlags() & kTrackOutputSecondRegions) && track.RegionList2();
  bool stepInputAudio = songMode == kSongModeStepInput && track.RegionList();
  bool recordingAudio = songMode == kSongModeRecord && track.ActiveRegionList();
  return secondListOn || stepInputAudio || recordingAudio;
}

bool ScanTracksForMenuState(bool selectedOnly) {
  if (!gCurrentSong) return false;
  ScanState state;
  state.songMode = CurrentSongMode();
  if (selectedOnly) ForEachSelectedTrackEntry(NoteQualifying, &state);
  else ForEachTrack(NoteQualifying, &state);
  gIterationAbort = 0;
  return state.counts.qualifies;
}

TrackMenuCounts CountSelectedTracksForMenus() {
  ScanState state;
  if (!gCurrentSong) return state.counts;
  state.songMode = CurrentSongMode();
  ForEachSelectedTrackEntry(CountTrack, &state);
  state.counts.grouping = gSectionMode != 0;
  return state.counts;
}

uint32_t ComputeTrackCommandsMask(const TrackMenuCounts& c) {
  uint32_t mask = (1u << kTrackCommandItems) - 1;
  if (c.silent == c.selected) ClearBit(&mask, 1);  // every selected track has the flag already
  if (c.silent == 0) ClearBit(&mask, 2);
  if (c.withAudio == 0) ClearBit(&mask, 5);
  if (c.withAudio == c.selected) ClearBit(&mask, 4);
  if (c.grouping) {
    ClearBit(&mask, 7);
    ClearBit(&mask, 8);
  } else {
    if (c.grouped == 0) ClearBit(&mask, 8);
    if (c.selected < 2) ClearBit(&mask, 7);
  }
  return mask;
}

uint32_t ComputeTransformMenuMask(const TransformMenuInputs& in) {
  if (in.markerListFront) return kTransformMarkerListItems;
  if (in.selectedTracks == 0 || in.callerFlag) return kTransformNoTrackItems;
  if (in.trackQualifies) return kTransformAudioTrackItems;
  return kTransformAllItems;
}

void UpdateTrackMenusState() {
  TrackMenuCounts counts = CountSelectedTracksForMenus();
  EnableMenuItemsByMask(GetMenuHandle(kTrackCommandsMenuId), ComputeTrackCommandsMask(counts), kTrackCommandItems);
  if (!gTransformMenu) return;
  TransformMenuInputs in;
  in.markerListFront = GetAppWindowKind(GetFrontAppWindow()) == kMarkerListKind;
  in.selectedTracks = counts.selected;
  in.trackQualifies = counts.qualifies;
  int16_t items = int16_t(CountMenuItems(gTransformMenu));
  EnableMenuItemsByMask(gTransformMenu, ComputeTransformMenuMask(in), int16_t(items - 1));
}
