#include "editing/event_filters.h"

#include "editing/edit_context.h"
#include "editing/event_criteria.h"
#include "editing/event_cursor.h"
#include "editing/selection_spans.h"
#include "editors/timeline/click_state.h"
#include "platform/memory/memory.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"
#include "shell/windows/track_view_modes.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/events/utility_event_selection.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_drum_map.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"

uint8_t gFilterPolyKey = 60;
uint8_t gEventCriteriaFlags = 0;

namespace {

constexpr int16_t kDrumViewMode = 1;
constexpr int16_t kDrumViewMode2 = 16;
constexpr int16_t kAudioViewMode = 9;
constexpr int16_t kCursorPointerMode3 = 3;
constexpr int16_t kCursorPointerMode4 = 4;

uint8_t CursorData1() { return gCurrentEvent ? gCurrentEvent[kEventData1] : 0; }

bool IsNoteOn() { return gEventCommand == kKindNote && gCurrentEvent != nullptr; }

bool NoteInRange(uint8_t note) { return note >= gFilterLowNote && note <= gFilterHighNote; }

bool CriteriaActive() { return gEventCriteriaFlags != 0; }

bool IsDrumView() { return gCurrentViewMode == kDrumViewMode || gCurrentViewMode == kDrumViewMode2; }

// The current track's drum map, null without one (or one too short to hold the tables).
const uint8_t* CurrentDrumMap() {
  return HasValidCurrentTrack() ? GetTrackDrumMap(gCurrentTrack) : nullptr;
}

}  // namespace

const EventFilterProc kEventFilterTable[kEventFilterTableSize] = {
    LaneEventFilter,      VelocityLaneFilter, AcceptAllEvents, NoteOnFilter,
    UnflaggedEventFilter, CriteriaCopyFilter, NoteRangeFilter,
};

int32_t AcceptAllEvents() { return 1; }
int32_t RejectAllEvents() { return 0; }
int32_t NoteOnFilter() { return IsNoteOn() ? 1 : 0; }
int32_t NoteRangeFilter() { return IsNoteOn() && NoteInRange(CursorData1()) ? 1 : 0; }

int32_t UnflaggedEventFilter() {
  return gCurrentEvent != nullptr && (gCurrentEvent[kEventFlags] & kEventMarks) == 0 ? 1 : 0;
}

int32_t SelectedNoteFilter() { return IsNoteOn() && IsCursorEventSelected() ? 1 : 0; }
int32_t SelectedEventFilter() { return IsCursorEventSelected() ? 1 : 0; }

int32_t CriteriaNoteFilter() { return NoteRangeFilter() && TestEventCriteria() ? 1 : 0; }

int32_t CriteriaCopyFilter() {
  if (IsNoteOn()) return CriteriaNoteFilter();
  return UnflaggedEventFilter();
}

int32_t DrumMapNoteFilter() {
  if (!IsNoteOn()) return 0;
  uint8_t note = CursorData1() & 0x7F;
  bool taken = NoteInRange(note);
  if (const uint8_t* map = CurrentDrumMap()) {
    if (map[kDrumMapFlags] & kDrumMapSelectsMarkedRows)
      taken = (map[kDrumMapNoteFlags + note] & kDrumNoteRowMarked) != 0;
    else
      taken = NoteInRange(map[kDrumMapRowOfNote + note]);
  }
  if (taken && CriteriaActive()) taken = TestEventCriteria() != 0;
  return taken ? 1 : 0;
}

int32_t VelocityLaneFilter() { return GetLaneViewIndex() == kLaneVelocity ? 1 : 0; }

int32_t PitchBendFilter() { return gEventCommand == kKindPitchBend ? 1 : 0; }
int32_t ChannelPressureFilter() { return gEventCommand == kKindChannelPressure ? 1 : 0; }
int32_t ProgramChangeFilter() { return gEventCommand == kKindProgram ? 1 : 0; }

int32_t LaneControllerFilter() {
  return gEventCommand == kKindController && int32_t(CursorData1()) == gLaneController ? 1 : 0;
}

int32_t PolyPressureKeyFilter() {
  return gEventCommand == kKindPolyPressure && CursorData1() == gFilterPolyKey ? 1 : 0;
}

int32_t LaneEventFilter() {
  switch (GetLaneViewIndex()) {
    case kLanePitchBend: return PitchBendFilter();
    case kLaneController: return LaneControllerFilter();
    case kLaneVelocity: return NoteRangeFilter();
    case kLaneChannelPressure: return ChannelPressureFilter();
    case kLaneProgram: return ProgramChangeFilter();
    case kLanePolyPressure: return PolyPressureKeyFilter();
    default: return 0;
  }
}

SavedEventFilters SaveEventFilters() { return {gEditFilterProc, gCopyFilterProc, gSavedCopyFilterProc}; }

void RestoreEventFilters(const SavedEventFilters& saved) {
  gEditFilterProc = saved.edit;
  gCopyFilterProc = saved.copy;
  gSavedCopyFilterProc = saved.savedCopy;
}

void SetDefaultEventFilters() {
  gEditFilterProc = CriteriaActive() ? CriteriaNoteFilter : NoteOnFilter;
  gCopyFilterProc = CriteriaActive() ? CriteriaCopyFilter : AcceptAllEvents;
}

void SetNoteRangeEditFilter() { gEditFilterProc = CriteriaActive() ? CriteriaNoteFilter : NoteRangeFilter; }

void SetLaneEditFilter() {
  if (IsDrumView()) gEditFilterProc = DrumMapNoteFilter;
  else SetNoteRangeEditFilter();
}

void SetNoteRangeFilters() {
  SetNoteRangeEditFilter();
  gCopyFilterProc = CriteriaActive() ? CriteriaCopyFilter : UnflaggedEventFilter;
}

bool IsNoteRangeEditActive() {
  if (!IsEditorWindowInFront()) return false;
  bool flag;
  const uint8_t* map = IsDrumView() ? CurrentDrumMap() : nullptr;
  if (map && (map[kDrumMapFlags] & kDrumMapSelectsMarkedRows)) flag = true;
  else if (gPointerMode == kCursorPointerMode3 || gPointerMode == kCursorPointerMode4) flag = true;
  else flag = gPointerMode == 0 && (gFilterHighNote != 127 || gFilterLowNote != 0);
  return flag && IsNoteOrDrumView();
}

bool IsWholeSongSelected() {
  if (!gCurrentSong) return false;
  return gTimeSelection.start.tick <= 1 && gTimeSelection.end.tick >= ReadU32BE(gCurrentSong + kSongEndTick);
}

void UpdateEventFilters() {
  int16_t front = GetFrontWindowKind();
  if (IsNoteRangeEditActive()) {
    SetLaneEditFilter();
    gCopyFilterProc = gEditFilterProc;
  } else if (front == kMainEditorWindowKind && !IsNoteOrDrumView() && gCurrentViewMode != kAudioViewMode) {
    gEditFilterProc = VelocityLaneFilter;
    gCopyFilterProc = LaneEventFilter;
  } else if (front == kSongListKind || (front == kTrackWindowKind && IsWholeSongSelected())) {
    SetDefaultEventFilters();
  } else {
    SetNoteRangeFilters();
  }
  gSavedCopyFilterProc = gCopyFilterProc;
}

int32_t InstallContextFilters() {
  gEditFilterProc = gCopyFilterProc = RejectAllEvents;
  gRemovedEventBytes = 0;
  switch (gEditContextKind) {
    case kContextEventList:
      SpanSelectedEvents();
      [[fallthrough]];
    case kContextEditorNotes:
    case kContextEditorLane:
    case kContextWindow15:
      gEditFilterProc = SelectedNoteFilter;
      gCopyFilterProc = SelectedEventFilter;
      break;
    case kContextConductorList: SpanSelectedConductorRecords(); break;
    case kContextRemote:
    case kContextInstruments:
    case kContextMarkers: break;
    default: {
      EventFilterProc saved = gSavedCopyFilterProc;
      UpdateEventFilters();
      gSavedCopyFilterProc = saved;
      break;
    }
  }
  return 0;
}
