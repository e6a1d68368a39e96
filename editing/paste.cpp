#include "editing/paste.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "editing/clipboard_copy.h"
#include "editing/edit_commands.h"
#include "editing/edit_context.h"
#include "editing/event_clipboard.h"
#include "editing/insert_remove_time.h"
#include "editing/paste_events.h"
#include "editing/paste_options.h"
#include "editing/record_tracks.h"
#include "editing/event_cursor.h"
#include "editing/time_range_clear.h"
#include "platform/events/classic_events.h"
#include "platform/events/key_codes.h"
#include "platform/memory/memory.h"
#include "sequencer/transport/playback_stop.h"
#include "shell/base/error_report.h"
#include "shell/base/iteration_abort.h"
#include "editors/timeline/click_state.h"
#include "song/conductor/markers.h"
#include "song/documents/document_hooks.h"
#include "song/events/event_index.h"
#include "song/events/utility_event_selection.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/plugin_hooks.h"
#include "song/instruments/rack_automation_fields.h"
#include "song/instruments/rack_sharing.h"
#include "song/model/songs.h"
#include "song/model/child_sequences.h"
#include "song/model/clipboard_record.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_edit_brackets.h"
#include "song/model/track_entries.h"
#include "song/model/track_length.h"
#include "song/model/track_numbers.h"
#include "song/model/track_selection.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"
#include "song/undo/undo_copies.h"
#include "song/undo/undo_ring.h"
#include "song/undo/undo_steps.h"

namespace {

int16_t gPasteUndoKind = 0;  // the undo kind of the paste that runs (0 none)

int32_t FirstSelectedSlot(const uint8_t* selection) {
  for (int32_t n = 0; n < kMaxTrackNumbers; ++n)
    if (IsSlotInSelection(selection, n)) return n;
  return -1;
}

// First selected destination track minus the clipboard's first track. Both come from the
// masks: a selection's bound bytes may lie wider than the tracks it holds.
int32_t PasteOffset(const uint8_t* clipboardTracks) {
  int32_t first = FirstSelectedSlot(gTrackSelection);
  int32_t source = FirstSelectedSlot(clipboardTracks);
  return first < 0 || source < 0 ? 0 : first - source;
}

// The clipboard track's fixed part (264 bytes); false when the clipboard song lacks it.
bool ReadClipboardTrack(int32_t number, std::vector<uint8_t>* entry) {
  if (!gClipboardPart2 || PushSongContext() != noErr) return false;
  SelectSong(gClipboardPart2);
  bool found = SelectTrackWithNumber(number);
  if (found) entry->assign(gCurrentTrack, gCurrentTrack + kTrackEntrySize);
  PopSongContext();
  return found;
}

// The destination track number becomes current, added when missing.
bool SelectDestinationTrack(int32_t number) {
  if (SelectTrackWithNumber(number)) return true;
  gCurrentTrackNumber = number;
  return SelectOrAddTrackForNumber() == noErr && HasValidCurrentTrack();
}

bool IsEmptyTrack() {
  Handle list = GetCurrentTrackEventList();
  bool noEvents = !list || GetHandleSize(list) <= kEndRecordSize || SeqEventTime(GetCurrentTrackEventsPtr()) == 0;
  return noEvents && ReadU32BE(gCurrentTrack + kTrackSectionList) == 0;
}

// An empty destination takes the clipboard track's name and output settings.
void TakeClipboardTrackSettings(const std::vector<uint8_t>& source) {
  std::memcpy(gCurrentTrack + kTrackName, &source[kTrackName], kTrackNameLength);
  gCurrentTrack[kTrackType] = source[kTrackType];
  gCurrentTrack[kTrackMidiOutput] = source[kTrackMidiOutput];
  gCurrentTrack[kTrackChannelCount] = source[kTrackChannelCount];
  std::memcpy(gCurrentTrack + kTrackInstruments, &source[kTrackInstruments], 2 * kTrackInstrumentSlots);
}

uint32_t ClipboardLength() {
  EventClipboardView clip(GetClipboardRecord());
  return clip.EndTick() > clip.StartTick() ? clip.EndTick() - clip.StartTick() : 0;
}

// The paste covers whole tracks: the clipboard holds its song from the start to the end, and
// it lands at the start over the whole current track.
bool IsWholeTrackPaste() {
  EventClipboardView clip(GetClipboardRecord());
  uint32_t at = gTimeSelection.start.tick;
  return clip.StartTick() <= 1 && clip.EndTick() >= clip.SongLength() && at <= 1 &&
         at + ClipboardLength() >= GetTrackLength();
}

bool ShouldReplaceTracks() {
  EventClipboardView clip(GetClipboardRecord());
  return !gPasteMerge && !(gPasteOptions & kPasteRepeated) && gEditContextKind != kContextEditorLane &&
         clip.Context() != kContextEditorLane;
}

bool AnySelectedTrackHasRack() {
  for (int32_t i = 0; i < GetSongTrackCount(); ++i) {
    const uint8_t* entry = GetTrackEntryAt(i);
    if (entry && IsTrackEntrySelected(entry) && ReadU32BE(entry + kTrackInsertRack) != 0) return true;
  }
  return false;
}

// The current (destination) track's channel takes a copy of the saved rack the clipboard
// track brings, when it has no plug-ins of its own; the plug-ins open at the end of the paste.
OSErr PasteTrackRack(Handle clipboardRack) {
  if (!clipboardRack || !HasValidCurrentTrack()) return noErr;
  return GiveRackSavedState(clipboardRack, gCurrentTrack + kTrackInsertRack, GetRackSampleRate(clipboardRack));
}

OSErr PasteConductorData() {
  gPasteSourceEvents = gClipboardPart2 ? Handle(ReadU32BE(HandleData(gClipboardPart2) + kSongConductorMap)) : Handle();
  PasteSource source;
  source.laneOrConductor = true;
  OSErr err = PasteEventsWithMode(source);
  gPasteSourceEvents = Handle();
  return err;
}

// The scope of a paste's undo step: the clipboard's tracks at their destinations.
void DestinationScope(uint8_t* scope) {
  const uint8_t* tracks = GetClipboardRecord() + kClipboardTracks;
  int32_t offset = PasteOffset(tracks);
  std::memset(scope, 0, kTrackSelectionSize);
  for (int32_t n = 0; n < kMaxTrackNumbers; ++n)
    if (IsSlotInSelection(tracks, n) && n + offset >= 0 && n + offset < kMaxTrackNumbers)
      scope[kSelectionMask + ((n + offset) >> 3)] |= uint8_t(1 << ((n + offset) & 7));
  if (HasValidCurrentTrack() && gCurrentTrack[kTrackNumber] < kMaxTrackNumbers) {
    int32_t current = gCurrentTrack[kTrackNumber];
    scope[kSelectionMask + (current >> 3)] |= uint8_t(1 << (current & 7));
  }
  RecomputeSelectionBounds(scope, false);
}

// A whole-song clipboard brings its markers over its range (unless only a pitch range was
// edited); merging keeps the markers there.
void PasteClipboardMarkers() {
  EventClipboardView clip(GetClipboardRecord());
  if (!clip.WholeSong() || gFilterLowNote != 0 || gFilterHighNote != 127 || !gClipboardPart2) return;
  Handle markers(ReadU32BE(HandleData(gClipboardPart2) + kSongMarkerList));
  if (!markers || !IsValidHandle(markers)) return;
  uint8_t range[40] = {};
  std::memcpy(range, clip.bytes() + kClipboardStart, 32);
  range[35] = gPasteMerge;
  WriteU32BE(range + 36, 1);  // the markers of the range, selected or not
  PasteMarkerList(markers, range);
}

OSErr PasteTracksAndMarkers(bool withRacks) {
  OSErr err = PasteTracks(withRacks, false, true);
  PasteClipboardMarkers();
  return err;
}

// The list windows merge every clipboard track into their own track and leave no event of it
// selected; the track list claims the track a number.
OSErr PasteIntoListTrack(uint32_t context) {
  OSErr err = PasteIntoCurrentTrack();
  if (context == 1) {
    ClaimTrackNumber();
    InvalidateTrackWindow();
  }
  if (HasValidCurrentTrack()) ClearEventSelection();
  return err;
}

OSErr PasteByContext(uint8_t kind) {
  uint32_t context = kind == kClipboardKindConductor ? kContextEditorLane
                     : kind == kClipboardKindMarkers  ? kContextMarkers
                                                      : gEditContextKind;
  switch (context) {
    case kContextEditorNotes:
    case kContextEditorLane:
    case kContextWindow15:
      return PasteTracksAndMarkers(false);
    case kContextTrackWindow:
      return PasteTracksAndMarkers(IsWholeTrackPaste());
    case 1:
    case kContextEventList:
      return PasteIntoListTrack(context);
    case kContextSongList:
      if (gPasteMerge) return PasteTracksAndMarkers(IsWholeTrackPaste());
      {
        StopIfPlaying(false);
        OSErr err = PasteAsSong();
        PasteClipboardMarkers();
        return err;
      }
    default:
      return noErr;  // the marker list pastes its own markers; other windows take nothing
  }
}

// The time selection after a paste: a position at the end of what was pasted.
void PlaceSelectionAfterPaste(uint32_t start, bool repeat) {
  uint32_t at = repeat ? gTimeSelection.end.tick : start + ClipboardLength();
  if (!repeat && gCurrentSong) at = std::min(at, std::max(ReadU32BE(gCurrentSong + kSongEndTick), start));
  SetTimeRange(at, at);
  StoreSelectionInSong();
}

struct PasteRun {
  OSErr result = noErr;
  void (*applyCallback)() = nullptr;
  // The user's track selection: the undo step holds the destination tracks selected while
  // it opens, but the paste maps the clipboard onto the user's selection.
  uint8_t selection[kTrackSelectionSize];
};

int32_t RunPaste(void* arg) {
  auto* run = static_cast<PasteRun*>(arg);
  RestoreTrackSelection(run->selection);
  if (gPasteUndoKind > 0) SetCurrentUndoKind(gPasteUndoKind);
  uint8_t kind = GetClipboardRecord()[kClipboardKind];
  uint32_t start = gTimeSelection.start.tick;
  SetSongModified();
  if (kind == kClipboardKindInstruments) {
    StopIfPlaying(false);
    run->result = PasteInstruments();
    return 1;
  }
  run->result = PasteByContext(kind);
  if (gEditContextKind != 1 && gEditContextKind != kContextEventList) {
    if (gPasteUndoKind > 0 && run->applyCallback) run->applyCallback();
    RebuildEventIndexes();
  }
  UpdateSongEnd();
  RebuildTrackNumberMap();
  RedrawAll(0);
  if (!gIterationAbort) PlaceSelectionAfterPaste(start, (gPasteOptions & kPasteRepeated) != 0);
  return 1;
}

}  // namespace

OSErr PasteIntoCurrentTrack() {
  const uint8_t* tracks = GetClipboardRecord() + kClipboardTracks;
  OSErr first = noErr;
  for (int32_t n = 0; n < kMaxTrackNumbers && !gIterationAbort; ++n) {
    std::vector<uint8_t> entry;
    if (!IsSlotInSelection(tracks, n) || !ReadClipboardTrack(n, &entry)) continue;
    gPasteSourceEvents = Handle(ReadU32BE(&entry[kTrackEventList]));
    OSErr err = PasteEventsWithMode(PasteSource());
    if (first == noErr) first = err;
  }
  gPasteSourceEvents = Handle();
  RebuildEventIndexes();
  return first;
}

OSErr PasteFromClipboard(int32_t repeat, int32_t merge, int16_t undoKind, void (*applyCallback)()) {
  gPasteMerge = merge ? 1 : 0;
  gPasteOptions = uint8_t(repeat ? gPasteOptions | kPasteRepeated : gPasteOptions & ~kPasteRepeated);
  if (!GetClipboardRecord() || !gClipboardPart2) return noErr;
  gIterationAbort = 0;
  PasteRun run;
  run.applyCallback = applyCallback;
  SaveTrackSelection(run.selection);
  int16_t keptKind = gPasteUndoKind;
  gPasteUndoKind = undoKind;
  if (undoKind > 0) {
    uint8_t scope[kTrackSelectionSize];
    DestinationScope(scope);
    RunUndoableEditInScope(RunPaste, scope, &run);
  } else {
    RunPaste(&run);
  }
  gPasteUndoKind = keptKind;
  gPasteMerge = 0;
  return run.result;
}

OSErr PasteTracks(bool /*withRacks*/, bool noTrackUndo, bool /*insertAllowed*/) {
  uint8_t savedSelection[kTrackSelectionSize];
  SaveTrackSelection(savedSelection);
  gPasteTrackOffset = PasteOffset(GetClipboardRecord() + kClipboardTracks);
  OSErr result = noErr;
  if (GetClipboardRecord()[kClipboardKind] == kClipboardKindConductor) {
    StopIfPlaying(false);
    result = PasteConductorData();
  } else {
    bool replace = gEditContextKind == kContextTrackWindow && IsWholeTrackPaste() &&
                   !AnySelectedTrackHasRack() && ShouldReplaceTracks();
    if (replace) StopIfPlaying(false);
    int32_t current = HasValidCurrentTrack() ? gCurrentTrack[kTrackNumber] : -1;
    for (int32_t n = 0; n < kMaxTrackNumbers && !gIterationAbort; ++n) {
      if (!IsSlotInSelection(GetClipboardRecord() + kClipboardTracks, n)) continue;
      OSErr err = replace ? ReplaceTrackFromClipboard(n) : PasteIntoTrack(n);
      (void)noTrackUndo;
      if (result == noErr) result = err;
    }
    if (current >= 0) SelectTrackWithNumber(current);
    // The channels that took a copied rack open its plug-ins afresh.
    InstantiatePendingInsertRacks();
    if (replace) RebuildDeviceTable();
  }
  gPasteTrackOffset = 0;
  UpdateRecordTracks();  // a replaced track brings its own record arming
  RestoreTrackSelection(savedSelection);
  return result;
}

OSErr PasteIntoTrack(int32_t number) {
  std::vector<uint8_t> entry;
  if (!ReadClipboardTrack(number, &entry)) return noErr;
  int32_t destination = number + gPasteTrackOffset;
  if (destination < 0 || destination >= kMaxTrackNumbers) return noErr;
  if (!SelectDestinationTrack(destination)) return memFullErr;
  BeginTrackEdit();
  uint32_t length = ClipboardLength();
  if (gPasteUndoKind > 0 && (GetCurrentKeyModifiers() & optionKey) && length > 0) {
    SetTimeRange(gTimeSelection.start.tick, gTimeSelection.start.tick + length);
    InsertTimeInSong(int32_t(length));
  }
  if (IsEmptyTrack()) TakeClipboardTrackSettings(entry);
  PasteSource source;
  source.drumData = Handle(ReadU32BE(&entry[kTrackDrumData]));
  source.audio = Handle(ReadU32BE(&entry[kTrackInsertRack]));
  source.outputKind = entry[kTrackOutputKind];
  gPasteSourceEvents = Handle(ReadU32BE(&entry[kTrackEventList]));
  OSErr err = PasteEventsWithMode(source);
  gPasteSourceEvents = Handle();
  OSErr rackErr = PasteTrackRack(source.audio);
  if (rackErr != noErr) ReportError(rackErr);  // the events stay pasted without the rack
  EndTrackEditWithCode(3);
  return err;
}

OSErr ReplaceTrackFromClipboard(int32_t number) {
  int32_t destination = number + gPasteTrackOffset;
  if (destination < 0 || destination >= kMaxTrackNumbers) return noErr;
  if (!SelectDestinationTrack(destination)) return memFullErr;
  SongCopyContext copy;
  copy.destination = gCurrentSongHandle;
  copy.trackIndex = GetCurrentTrackIndex();
  copy.source = gClipboardPart2;
  if (PushSongContext() != noErr) return kContextStackFull;
  SelectSong(gClipboardPart2);
  if (SelectTrackWithNumber(number)) CopyTrackWithHandles(&copy);
  PopSongContext();
  if (HasValidCurrentTrack()) gCurrentTrack[kTrackNumber] = uint8_t(destination);
  if (copy.failure) {
    gIterationAbort = 1;
    return memFullErr;
  }
  return noErr;
}

OSErr PasteAsSong() {
  EventClipboardView clip(GetClipboardRecord());
  if (clip.Context() != kContextSongList || !gCurrentSong) return noErr;
  bool link = (gCurrentSong[kSongFlags] & kSongFlagLinked) != 0;
  uint16_t id = ReadU16BE(gCurrentSong + kSongId);
  CopySongHeaderInto(gClipboardPart2, gCurrentSongHandle);
  RefreshCurrentSongPtr();
  gCurrentSong[kSongFlags] &= uint8_t(~kSongFlagLinked);
  WriteU32BE(gCurrentSong + kSongEndTick, 0);
  WriteU32BE(gCurrentSong + kSongPackedPosition, 0);
  if (!link) WriteU16BE(gCurrentSong + kSongId, id);
  return PasteTracks(true, false, true);
}

namespace {

int32_t RunDuplicate(void*) {
  TimeSelection range = gTimeSelection;
  uint32_t start = range.start.tick, end = range.end.tick;
  ClipboardState kept;
  SaveClipboardState(&kept);
  CopyToClipboard(0, 2);
  OSErr err = noErr;
  if (GetClipboardRecord()) {
    SetTimeRange(end, end);
    err = PasteFromClipboard(0, 0, 0, nullptr);
    SetTimeRange(end, end + (end - start));
    StoreSelectionInSong();
  }
  ClipboardCommand(true, true);
  RestoreClipboardState(&kept, true);
  if (err != noErr) ReportError(err);
  return 1;
}

}  // namespace

void DuplicateSelection() {
  if (!RequireTimeSelection()) return;
  if (RunUndoableEdit(RunDuplicate)) SetCurrentUndoKind(kUndoKindDuplicate);
}

namespace {

struct TrackRangeMove {
  uint32_t fromStart, fromEnd;
  bool copyOnly;
};

int32_t CutTrackRange(void* arg) {
  auto* move = static_cast<TrackRangeMove*>(arg);
  SetCurrentUndoKind(kUndoKindTrackMove);
  SetTimeRange(move->fromStart, move->fromEnd);
  CopyToClipboard(0, 2);
  if (!move->copyOnly && GetClipboardRecord()) ClearSelection();
  return 1;
}

}  // namespace

void TrackRangeClipboardOp(int32_t first, int32_t last, uint32_t fromStart, uint32_t fromEnd,
                           uint32_t to, bool copyOnly) {
  if (first > kMaxTrackNumbers - 1) first = 0;
  if (last > kMaxTrackNumbers - 1) last = kMaxTrackNumbers - 1;
  ClearTrackSelectionMask();
  SelectTrackSlotRange(first, last);
  RecomputeSelectionBounds(gTrackSelection, true);
  uint8_t selection[kTrackSelectionSize];
  SaveTrackSelection(selection);
  ClipboardState kept;
  SaveClipboardState(&kept);
  TrackRangeMove move{fromStart, fromEnd, copyOnly};
  if (copyOnly) CutTrackRange(&move);
  else RunUndoableEdit(CutTrackRange, &move);
  if (GetClipboardRecord()) {
    RestoreTrackSelection(selection);
    SetTimeRange(to, to + (fromEnd - fromStart));
    PasteFromClipboard(0, 0, 0, nullptr);
  }
  ClipboardCommand(true, true);
  RestoreClipboardState(&kept, true);
}

OSErr ExpandSequenceReference(int32_t child, uint32_t tick, uint32_t length) {
  ClipboardState kept;
  SaveClipboardState(&kept);
  TimeSelection range = gTimeSelection;
  uint8_t selection[kTrackSelectionSize];
  SaveTrackSelection(selection);
  uint8_t options = gPasteOptions;
  OSErr err = NewClipboard(kClipboardKindTracks, kClipboardRecordSize, 2);
  if (err == noErr && PushSongContext() == noErr) {
    uint8_t follow = gFollowSongLinks;
    gFollowSongLinks = 1;
    if (SelectChildSequence(child)) {
      SelectAllTracks();
      SetTimeRange(1, length + 1);
      FillClipboardHeader(0);
      CopyTracksToClipboard();
    }
    gFollowSongLinks = follow;
    PopSongContext();
    RestoreTrackSelection(selection);
    gPasteOptions = uint8_t((options | kPasteAllConductor) & ~kPasteRepeated);
    gPasteMerge = 1;
    SetTimeRange(tick, tick);
    if (!gIterationAbort) err = PasteIntoCurrentTrack();
    gPasteMerge = 0;
  }
  gPasteOptions = options;
  gTimeSelection = range;
  ClipboardCommand(true, true);
  RestoreClipboardState(&kept, false);
  return err;
}

namespace {

int32_t RunExpandReferences(void*) {
  SetCurrentUndoKind(35);
  uint32_t end = gTimeSelection.end.tick;
  OSErr first = noErr;
  for (TargetCurrentTrack(); gCurrentEvent != nullptr;) {
    uint32_t t = SeqEventTime(gCurrentEvent);
    if (t == 0 || t >= end) break;
    Handle list = GetCurrentTrackEventList();
    int32_t at = int32_t(gCurrentEvent - reinterpret_cast<uint8_t*>(HandleData(list)));
    uint32_t length = GetSeqEventLength(gCurrentEvent);
    if (SeqEventKind(gCurrentEvent) == kKindSequenceRef) {
      int32_t child = ReadU16BE(gCurrentEvent + kEventChildIndex) / 4;
      OSErr err = ExpandSequenceReference(child, t, GetEventLongDuration(gCurrentEvent));
      if (first == noErr) first = err;
      // The merged events may lie before the reference; find it again by its time.
      uint8_t* e = reinterpret_cast<uint8_t*>(HandleData(GetCurrentTrackEventList()));
      while (SeqEventTime(e) != 0 && !(SeqEventTime(e) == t && SeqEventKind(e) == kKindSequenceRef &&
                                       ReadU16BE(e + kEventChildIndex) / 4 == child))
        e += GetSeqEventLength(e);
      if (SeqEventTime(e) == 0) break;
      at = int32_t(e - reinterpret_cast<uint8_t*>(HandleData(GetCurrentTrackEventList())));
    }
    SetCurrentEvent(reinterpret_cast<uint8_t*>(HandleData(GetCurrentTrackEventList())) + at + length);
  }
  UpdateSongEnd();
  RedrawAll(0);
  if (first != noErr) ReportError(first);
  return 1;
}

}  // namespace

void ExpandReferencesInSelection() {
  if (!RequireTimeSelection()) return;
  RunUndoableEdit(RunExpandReferences);
}

OSErr PasteMediaRange(const uint8_t* trackData, uint64_t length, uint32_t destination) {
  ClipboardState kept;
  SaveClipboardState(&kept);
  TimeSelection range = gTimeSelection;
  OSErr err = NewClipboard(kClipboardKindTracks, kClipboardRecordSize, 2);
  if (err == noErr) {
    SetTimeRangeFromSamples(0, length, 0.0f);
    FillClipboardHeader(0);
    CopyConductorToClipboard();
    if (!gIterationAbort && CopyTrackAudioToClipboard(trackData)) {
      SetTimeRange(destination, destination);
      err = PasteFromClipboard(0, 0, 0, nullptr);
    }
  }
  gTimeSelection = range;
  ClipboardCommand(true, true);
  RestoreClipboardState(&kept, true);
  return err;
}
