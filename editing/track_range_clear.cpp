// The clear of whole tracks, of the selected tracks and panes as one undoable step, and the
// dispatcher that hands Clear to the window in front.
#include <cstring>

#include "editing/context_delete_hooks.h"
#include "editing/edit_context.h"
#include "editing/event_filters.h"
#include "editing/time_range_clear.h"
#include "editing/track_views.h"
#include "editors/timeline/lane_values.h"
#include "editors/automation/automation_points.h"
#include "audio/regions/region_track_edits.h"
#include "shell/base/error_report.h"
#include "shell/windows/editor_panes.h"
#include "song/conductor/conductor_edits.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/markers.h"
#include "song/events/event_sort.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/track_edit_brackets.h"
#include "song/model/track_iterators.h"
#include "song/model/track_length.h"
#include "song/model/track_selection.h"
#include "song/model/track_settings.h"
#include "song/model/track_template.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"
#include "song/undo/undo_instruments.h"
#include "song/undo/undo_ring.h"
#include "song/undo/undo_steps.h"

namespace {

constexpr int32_t kTrackEditCloseCode = 2;


// The track's audio in the selection: cut out when the rest moves up, else silenced.
void ClearTrackAudioRange(const ClearRequest& request) {
  if (SetRegionRangeAtTicks(gTimeSelection.start.tick, gTimeSelection.end.tick, request.shift != 0, false) != noErr)
    ReportError(memFullErr);
}

// Whether a visible track pane of the current track shows a view other than an audio view.
bool CurrentTrackShowsEvents() {
  bool events = false, audio = false;
  GetTrackShownViews(gCurrentTrack, &events, &audio);
  return events;
}

// A frozen track plays its rendered audio; its events still go with a clear unless it plays
// through an output of these kinds.
bool IsFrozenEventTrack() {
  static const uint8_t kAudioOutputKinds[] = {13, 14, 15, 16, 17, 19, 23, 24, 127};
  if (!IsAlternateRegionListActive()) return false;
  for (uint8_t kind : kAudioOutputKinds)
    if (gCurrentTrack[kTrackOutputKind] == kind) return false;
  return true;
}

}  // namespace

void AddSlotToScope(uint8_t* scope, int32_t slot) {
  if (slot < 0 || slot >= kMaxTrackNumbers) return;
  scope[kSelectionMask + (slot >> 3)] |= uint8_t(1 << (slot & 7));
  if (slot < scope[kSelectionFirstSlot]) scope[kSelectionFirstSlot] = uint8_t(slot);
  if (slot > scope[kSelectionLastSlot]) scope[kSelectionLastSlot] = uint8_t(slot);
}

void AddEmptyTracksToScope(uint8_t* scope) {
  for (int32_t i = 0; i < GetSongTrackCount(); ++i) {
    uint8_t* entry = GetTrackEntryAt(i);
    if (entry && IsEmptyTrack(entry)) AddSlotToScope(scope, entry[kTrackNumber]);
  }
}

bool EventsTakePartInClear() {
  if (IsFrozenEventTrack()) return true;
  return gEditContextKind != kContextEditorNotes || CurrentTrackShowsEvents();
}


namespace {

void CutFocusedAutomation(const ClearRequest& request, bool audio) {
  AutomationListRef ref = GetFocusedAutomationListRef();
  Handle list = GetReferencedPointList(ref);
  if (!list) return;
  if (gEditContextKind == kContextEditorLane && gCurrentViewMode - kLaneViewModeOffset >= kFirstAutomationLane) {
    ClearLaneRange(request.shift);
  } else if (audio || IsVelocityLaneContext() || request.shift != 0) {
    CutPointListRange(list, gTimeSelection.start.sample, gTimeSelection.end.sample, request.shift != 0,
                      kAllPointKinds, kNoPluginIndex);
  } else {
    return;
  }
  RefreshAutomationPlayback(ref.rack);
}

// With a shift the track is as long as before less the removed time (or ends at the range
// start when the range reached beyond it); without one its end is recomputed.
void UpdateLengthAfterClear(int32_t shift) {
  uint32_t start = gTimeSelection.start.tick;
  uint32_t end = gTimeSelection.end.tick;
  uint32_t length = GetTrackLength();
  if (shift == 0) {
    ComputeTrackEnd();
    return;
  }
  if (start >= length) return;
  int64_t changed = int64_t(length) + shift - 1;
  if (end > length) changed += end - length;
  SortTrackEvents();
  if (changed > 1) SetTrackLength(uint32_t(changed));
}

void ForgetTrackName() { std::memset(gCurrentTrack + kTrackName, ' ', kTrackNameLength); }

struct TracksClear {
  ClearRequest* request;
  int16_t undoKind;
  bool paneContext;
};

int32_t ClearOneTrack(void* arg) {
  auto* request = static_cast<ClearRequest*>(arg);
  if (request->abort) return 0;
  ClearTrackRange(request);
  return 0;
}

void ClearVisiblePanes(ClearRequest* request) {
  int16_t savedPane = gCurrentPaneIndex;
  for (int16_t k = 0; k < gEditorPaneCount && !request->abort; ++k) {
    if (gEditorPanes[k].flags & kPaneHidden) continue;
    SelectEditorPaneIndex(k);
    SelectTrackNumber(gEditorPanes[k].track);
    ClearPaneRange(request);
  }
  if (gEditorPaneCount > 0) SelectEditorPaneIndex(savedPane);
}

bool IsWholeSongClear() {
  for (int32_t i = 0; i < GetSongTrackCount(); ++i) {
    uint8_t* entry = GetTrackEntryAt(i);
    if (entry && !IsTrackEntrySelected(entry)) return false;
  }
  return gEditContextKind == kContextEditorNotes || gEditContextKind == kContextTrackWindow ||
         gEditContextKind == kContextSongList;
}

// The tracks the step keeps: the selected ones, those the visible panes show, and every empty
// track (the clear removes empty tracks at its end).
void BuildClearScope(bool paneContext, uint8_t* scope) {
  SaveTrackSelection(scope);
  if (paneContext)
    for (int16_t k = 0; k < gEditorPaneCount; ++k)
      if (!(gEditorPanes[k].flags & kPaneHidden)) AddSlotToScope(scope, gEditorPanes[k].track);
  AddEmptyTracksToScope(scope);
}

bool IsPluginPaneVisible() {
  for (int16_t k = 0; k < gEditorPaneCount; ++k)
    if (!(gEditorPanes[k].flags & kPaneHidden) && gEditorPanes[k].kind >= kPaneKindPluginBase) return true;
  return false;
}

int32_t RunTracksClear(void* arg) {
  auto* clear = static_cast<TracksClear*>(arg);
  if (clear->undoKind > 0) SetCurrentUndoKind(clear->undoKind);
  // The racks' states (their point lists) go into the step before a plug-in pane's clear.
  if (clear->undoKind > 0 && clear->paneContext && IsPluginPaneVisible()) {
    OSErr err = KeepInstrumentTableInUndo();
    if (err != noErr) {
      ReportError(err);
      return 0;
    }
  }
  bool wholeSong = IsWholeSongClear();
  if (clear->paneContext) {
    ClearVisiblePanes(clear->request);
  } else {
    ForEachSelectedTrackBusy(ClearOneTrack, clear->request);
  }
  if (wholeSong) {
    ShiftConductorRecords(0);
    ShiftMarkersInSelection(0);
    StoreConductorEndTick();
  }
  RemoveEmptyTracks();
  return 0;
}

struct KeptTracksEdit {
  UndoableEdit edit;
  void* context;
  uint8_t selection[kTrackSelectionSize];
};

int32_t RunWithUserSelection(void* arg) {
  auto* kept = static_cast<KeptTracksEdit*>(arg);
  RestoreTrackSelection(kept->selection);
  return kept->edit(kept->context);
}

}  // namespace

int32_t RunUndoableEditKeepingTracks(const uint8_t* scope, UndoableEdit edit, void* context) {
  KeptTracksEdit kept{edit, context, {}};
  SaveTrackSelection(kept.selection);
  RestoreTrackSelection(scope);
  int32_t ran = RunUndoableEdit(RunWithUserSelection, &kept);
  RestoreTrackSelection(kept.selection);
  return ran;
}

void ClearTrackRange(ClearRequest* request) {
  ClearRequest none;
  if (!request) request = &none;
  if (!HasValidCurrentTrack()) return;
  bool opened = (request->flags & kClearOwnUndoStep) != 0;
  if (opened && BeginTrackEditChecked() != noErr) {
    request->abort = 1;
    return;
  }
  ResetEditorViewForEdit();
  bool events = EventsTakePartInClear();
  bool audio = IsAudioAreaContext();
  CutFocusedAutomation(*request, audio);
  if ((audio || events) && CurrentTrackHasAudibleRegions())
    ClearTrackAudioRange(*request);
  if (events) ClearTimeRangeInTrack(request);
  if (!(request->flags & kClearKeepLength)) UpdateLengthAfterClear(request->shift);
  if (GetTrackLength() == 0 && !(request->flags & kClearKeepName)) ForgetTrackName();
  // The track edit closes whenever it was opened above, whatever the other flags say.
  if (opened) EndTrackEditWithCode(kTrackEditCloseCode);
  MarkEditorPanesDirty();
}

void ClearSelectedTracksRange(ClearRequest* request, int16_t undoKind, bool paneContext) {
  ClearRequest own;
  if (!request) request = &own;
  *request = ClearRequest();
  request->flags = undoKind == kUndoKindClear ? kClearFlagsClear
                   : undoKind > 0             ? kClearFlagsCut
                                              : kClearFlagsNoUndoKind;
  TracksClear clear{request, undoKind, paneContext};
  if (undoKind > 0) {
    uint8_t scope[kTrackSelectionSize];
    BuildClearScope(paneContext, scope);
    RunUndoableEditKeepingTracks(scope, RunTracksClear, &clear);
  } else {
    RunTracksClear(&clear);
  }
}

void ClearInContext(ClearRequest* request, int16_t undoKind) {
  StoreConductorEndTick();
  switch (gEditContextKind) {
    case kContextEditorNotes:
    case kContextEditorLane:
      ClearSelectedTracksRange(request, undoKind, true);
      break;
    case 1:
    case kContextTrackWindow:
    case kContextEventList:
      ClearSelectedTracksRange(request, undoKind, false);
      break;
    case kContextWindow15:
      ClearSelectedTracksRange(request, undoKind, false);
      RunContextTextCommand(kTextCommandClear);
      break;
    default:
      DeleteInOtherWindow(undoKind);
      break;
  }
  if (gEditContextKind != kContextJukebox) UpdateSongEnd();
  RedrawAll(0);
}

void ClearSelection() { ClearInContext(nullptr, kUndoKindClear); }
