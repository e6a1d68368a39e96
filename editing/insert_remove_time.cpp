#include "editing/insert_remove_time.h"

#include <cstring>

#include "editing/edit_commands.h"
#include "editing/edit_context.h"
#include "editing/event_cursor.h"
#include "editing/event_filters.h"
#include "editing/paste_options.h"
#include "editing/time_range_clear.h"
#include "editors/automation/automation_points.h"
#include "platform/events/classic_events.h"
#include "platform/events/key_codes.h"
#include "platform/memory/memory.h"
#include "audio/regions/region_track_edits.h"
#include "shell/base/error_report.h"
#include "shell/windows/editor_panes.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/rack_sharing.h"
#include "song/conductor/conductor_edits.h"
#include "song/conductor/markers.h"
#include "song/events/event_lists.h"
#include "song/events/event_sort.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"
#include "song/model/songs.h"
#include "song/model/track_edit_brackets.h"
#include "song/model/track_length.h"
#include "song/model/track_sections.h"
#include "song/model/track_selection.h"
#include "song/model/track_template.h"
#include "song/model/utility_iteration.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"
#include "song/undo/undo_instruments.h"
#include "song/undo/undo_ring.h"
#include "song/undo/undo_steps.h"

namespace {

constexpr int32_t kTrackEditCloseCode = 2;
constexpr uint8_t kTempoViewMode = 8;

bool OptionKeyDown() { return (GetCurrentKeyModifiers() & optionKey) != 0; }

bool EveryTrackSelectedIn(const uint8_t* tracks) {
  for (int32_t i = 0; i < GetSongTrackCount(); ++i) {
    const uint8_t* entry = GetTrackEntryAt(i);
    if (entry && !IsSlotInSelection(tracks, entry[kTrackNumber])) return false;
  }
  return true;
}

void FillFromPanes(TrackSelectionRequest* request) {
  request->tracks[kSelectionFirstSlot] = kMaxTrackNumbers - 1;
  request->tracks[kSelectionLastSlot] = 0;
  for (int16_t k = 0; k < gEditorPaneCount; ++k) {
    const EditorPane& pane = gEditorPanes[k];
    if (pane.flags & kPaneHidden) continue;
    if (pane.kind >= kPaneKindPluginBase && pane.kind - kPaneKindPluginBase < kMaxPaneSlots) {
      int32_t slot = pane.kind - kPaneKindPluginBase;
      request->pluginPaneSlots |= 1u << slot;
      request->pluginPaneIndex[slot] = int8_t(k);
    }
    if (pane.kind == kPaneKindSpecial1 || pane.viewMode == kTempoViewMode) request->tempoView = 1;
    if (pane.kind == kPaneKindSpecial2 || pane.viewMode == kMasterViewMode) request->masterVolumeView = 1;
    if (pane.track < kMaxTrackNumbers) {
      AddSlotToScope(request->tracks, pane.track);
      if (request->paneOfTrack[pane.track] < 0) request->paneOfTrack[pane.track] = int8_t(k);
    }
  }
  if (request->tracks[kSelectionFirstSlot] > request->tracks[kSelectionLastSlot])
    request->tracks[kSelectionFirstSlot] = request->tracks[kSelectionLastSlot] = 0;
}

// What one time operation does, decided before its undo step opens.
struct TimeEdit {
  TrackSelectionRequest request;
  bool wholeSong = false;
  bool conductorOnly = false;  // a conductor context: only the conductor map moves
  bool busses = false;         // the automation of every bus and the master moves too
  int16_t undoKind = 0;
};

bool TakesTrack(const TimeEdit& edit, const uint8_t* entry) {
  return edit.wholeSong || IsSlotInSelection(edit.request.tracks, entry[kTrackNumber]);
}

// Runs step on each track the edit takes, each its own track edit.
template <typename Step>
void ForEachTrackOfEdit(TimeEdit* edit, Step step) {
  int32_t saved = GetCurrentTrackIndex();
  for (int32_t i = 0; i < GetSongTrackCount(); ++i) {
    SetCurrentTrackIndex(i);
    if (!HasValidCurrentTrack() || !TakesTrack(*edit, gCurrentTrack)) continue;
    step(edit);
  }
  SetCurrentTrackIndex(saved < GetSongTrackCount() ? saved : 0);
}

// The automation of every aux bus and the master (the instrument-table entries behind the
// instruments) opens (insert) or closes (remove) the selection's sample range.
void MoveBusAutomation(bool remove) {
  uint64_t start = gTimeSelection.start.sample;
  uint64_t end = gTimeSelection.end.sample;
  for (int32_t i = gInstrumentCount; i < gInstrumentCount + gAuxBusCount + 1; ++i) {
    const uint8_t* record = GetInstrumentRecord(i);
    Handle rack = record ? Handle(ReadU32BE(record + kInstInsertRack)) : Handle();
    Handle list = GetReferencedPointList(AutomationListRef{rack});
    if (!list) continue;
    if (remove) {
      CutPointListRange(list, start, end, true, kAllPointKinds, kNoPluginIndex);
    } else {
      ShiftPointListAt(list, start, end);
    }
    RefreshAutomationPlayback(rack);
  }
}

// The racks' states (their point lists among them) go into the step before they change; a
// step that cannot keep them ends the edit.
bool KeepRacksInStep(const TimeEdit& edit) {
  if (!edit.busses) return true;
  OSErr err = KeepInstrumentTableInUndo();
  if (err == noErr) return true;
  ReportError(err);
  return false;
}

int32_t RunInsertTime(void* arg) {
  auto* edit = static_cast<TimeEdit*>(arg);
  SetCurrentUndoKind(kUndoKindInsertTime);
  if (!KeepRacksInStep(*edit)) return 0;
  int32_t delta = int32_t(gTimeSelection.end.tick - gTimeSelection.start.tick);
  if (edit->wholeSong) {
    ShiftConductorRecords(delta);
    MoveConductorEndTick(delta);
    if (!edit->conductorOnly) {
      ShiftMarkersInSelection(delta);
      RedrawMarkerWindow();
    }
  }
  if (!edit->conductorOnly) {
    // A failed note cut was reported by the list's grow; the other tracks still move.
    ForEachTrackOfEdit(edit, [delta](TimeEdit*) {
      if (BeginTrackEdit() != noErr) return;
      InsertTimeInSong(delta);
      EndTrackEditWithCode(kTrackEditCloseCode);
    });
    UpdateSongEnd();
  }
  if (edit->busses) MoveBusAutomation(false);
  return 0;
}

int32_t RunRemoveTime(void* arg) {
  auto* edit = static_cast<TimeEdit*>(arg);
  if (edit->undoKind > 0) SetCurrentUndoKind(edit->undoKind);
  if (!KeepRacksInStep(*edit)) return 0;
  SetNoteRangeFilters();
  int32_t shift = int32_t(gTimeSelection.start.tick) - int32_t(gTimeSelection.end.tick);
  if (edit->wholeSong) {
    ShiftConductorRecords(shift);
    MoveConductorEndTick(shift);
    if (!edit->conductorOnly) ShiftMarkersInSelection(shift);
  }
  if (!edit->conductorOnly) {
    int16_t savedSlot = gCurrentPaneSlot;
    gCurrentPaneSlot = 0;
    ClearRequest request;
    request.shift = shift;
    request.flags = kClearFlagsClear;
    ForEachTrackOfEdit(edit, [&request](TimeEdit*) {
      ShiftSections(request.shift);
      ClearTrackRange(&request);
    });
    gCurrentPaneSlot = savedSlot;
    UpdateSongEnd();
  }
  if (edit->busses) MoveBusAutomation(true);
  RemoveEmptyTracks();
  return 0;
}

// The step keeps every track the edit may change, and the empty tracks a removal drops.
int32_t RunTimeStep(UndoableEdit step, TimeEdit* edit) {
  uint8_t scope[kTrackSelectionSize];
  std::memcpy(scope, edit->request.tracks, sizeof scope);
  if (edit->wholeSong || edit->busses) {
    std::memset(scope, 0xFF, sizeof scope);
    scope[kSelectionFirstSlot] = 0;
    scope[kSelectionLastSlot] = kMaxTrackNumbers - 1;
  }
  AddEmptyTracksToScope(scope);
  return RunUndoableEditKeepingTracks(scope, step, edit);
}

// A selection made in samples can be empty in ticks: such a range is refused like an empty
// selection, so that nothing moves by a tick that was never selected.
bool RequireTickRange() {
  if (!RequireTimeSelection()) return false;
  if (gTimeSelection.end.tick > gTimeSelection.start.tick) return true;
  ReportAppErrorText(kNoTimeSelectionText);
  return false;
}

void TakeOptionKey(TimeEdit* edit) {
  edit->wholeSong = true;
  edit->busses = true;
  gEditContextKind = kContextTrackWindow;
}

}  // namespace

void FillTrackSelectionRequest(TrackSelectionRequest* request, bool fromPanes) {
  *request = TrackSelectionRequest();
  std::memset(request->paneOfTrack, -1, sizeof request->paneOfTrack);
  if (fromPanes) {
    FillFromPanes(request);
  } else {
    std::memcpy(request->tracks, gTrackSelection, kTrackSelectionSize);
  }
  bool context = gEditContextKind == kContextEditorNotes || gEditContextKind == kContextTrackWindow ||
                 gEditContextKind == kContextSongList;
  request->wholeSong = context && EveryTrackSelectedIn(gTrackSelection) && !IsNoteRangeEditActive();
}

void InsertTime(bool editorContext) {
  if (!RequireTickRange()) return;
  TimeEdit edit;
  FillTrackSelectionRequest(&edit.request, editorContext);
  edit.conductorOnly = IsConductorContext();
  edit.wholeSong = edit.conductorOnly || EveryTrackSelectedIn(gTrackSelection);
  if (OptionKeyDown()) TakeOptionKey(&edit);
  if (!RunTimeStep(RunInsertTime, &edit)) return;
  RedrawAll(0);
}

void RemoveTime(bool editorContext, bool allChannels, int16_t undoKind) {
  if (!RequireTickRange()) return;
  TimeEdit edit;
  edit.undoKind = undoKind;
  FillTrackSelectionRequest(&edit.request, editorContext);
  if (allChannels) {
    TakeOptionKey(&edit);
  } else if (IsConductorContext()) {
    edit.conductorOnly = edit.wholeSong = true;
  } else {
    edit.wholeSong = EveryTrackSelectedIn(gTrackSelection);
  }
  if (!RunTimeStep(RunRemoveTime, &edit)) return;
  RedrawAll(0);
}

namespace {

// A note that starts before the insertion point and ends behind it is cut there: its first
// part keeps its start, its second part starts behind the inserted time.
OSErr CutNoteAtInsertion(uint32_t offset, uint32_t start, int32_t delta) {
  OSErr err = GrowEventList(kLongEventSize);
  if (err != noErr) return err;
  uint8_t* note = GetCurrentTrackEventsPtr() + offset;
  ShiftEventsUp(note, kLongEventSize);
  std::memcpy(note + kLongEventSize, note, kLongEventSize);
  uint32_t t = SeqEventTime(note);
  uint32_t end = t + GetNoteDuration(note);
  SetEventDuration(note, int32_t(start - t));
  uint8_t* second = note + kLongEventSize;
  SetSeqEventTime(second, start + uint32_t(delta));
  SetEventDuration(second, int32_t(end - start));
  return noErr;
}

// Moves the events at or after start by delta and cuts the notes across start. Returns the
// memory error of a failed cut (the events already moved stay moved).
OSErr OpenEventsAt(uint32_t start, int32_t delta, bool* resort) {
  bool split = SplitsNotesAtEdges();
  uint32_t offset = 0;
  // The list is looked up again only after a cut note, which grows it.
  Handle list = GetCurrentTrackEventList();
  uint8_t* base = reinterpret_cast<uint8_t*>(HandleData(list));
  uint32_t size = uint32_t(GetHandleSize(list));
  for (;;) {
    if (offset >= size) return noErr;
    uint8_t* e = base + offset;
    uint32_t t = SeqEventTime(e);
    uint32_t length = t == 0 ? 0 : SeqEventLengthWithin(e, size - offset);
    if (length == 0) return noErr;
    if (t >= start) {
      if (e[kEventFlags] & kEventMarks) {
        *resort = true;
      } else {
        SetSeqEventTime(e, uint32_t(int64_t(t) + delta));
      }
    } else if (split && SeqEventKind(e) == kKindNote && t + GetNoteDuration(e) > start) {
      OSErr err = CutNoteAtInsertion(offset, start, delta);
      if (err != noErr) return err;
      *resort = true;
      length += kLongEventSize;  // the second part already stands where it belongs in time
      list = GetCurrentTrackEventList();
      base = reinterpret_cast<uint8_t*>(HandleData(list));
      size = uint32_t(GetHandleSize(list));
    }
    offset += length;
  }
}

// The points of the track's own rack at or after the selection's sample start move by the
// selection's sample length.
void OpenTrackAutomation() {
  Handle rack = GetTrackInsertRack();
  Handle list = GetReferencedPointList(AutomationListRef{rack});
  if (!list) return;
  ShiftPointListAt(list, gTimeSelection.start.sample, gTimeSelection.end.sample);
  RefreshAutomationPlayback(rack);
}

}  // namespace

OSErr InsertTimeInSong(int32_t delta) {
  if (!HasValidCurrentTrack() || delta <= 0) return noErr;
  uint32_t start = gTimeSelection.start.tick;
  bool events = EventsTakePartInClear();
  if (IsAudioAreaContext() || (events && gCurrentTrack[kTrackOutputKind] == kInstrumentTrackOutputKind))
    OpenTrackAutomation();
  OSErr err = noErr;
  if (CurrentTrackHasAudibleRegions()) err = InsertSilenceAtTicks(start, start + uint32_t(delta));
  if (events && GetCurrentTrackEventList()) {
    bool resort = false;
    err = OpenEventsAt(start, delta, &resort);
    if (resort) SortTrackEvents();
    if (err == noErr) ShiftSections(delta);
  }
  uint32_t length = GetTrackLength();
  if (err == noErr && length > 0) SetTrackLength(length + uint32_t(delta) - 1);
  SetSongModified();
  return err;
}
