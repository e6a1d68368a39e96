#include "editing/clipboard_copy.h"

#include "editing/track_views.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "editing/event_clipboard.h"
#include "editing/edit_context.h"
#include "editing/event_cursor.h"
#include "editing/event_filters.h"
#include "editing/paste_options.h"
#include "editors/automation/automation_points.h"
#include "editors/timeline/click_state.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/system/quickdraw_random.h"
#include "shell/base/iteration_abort.h"
#include "shell/windows/editor_panes.h"
#include "song/events/event_filter_slots.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/events/utility_event_selection.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/rack_sharing.h"
#include "song/model/child_sequences.h"
#include "song/model/clipboard_record.h"
#include "song/model/song_context.h"
#include "song/model/song_copies.h"
#include "song/model/song_layout.h"
#include "song/model/track_entries.h"
#include "song/model/track_iterators.h"
#include "song/model/track_selection.h"
#include "song/model/utility_track_access.h"
#include "song/undo/undo_copies.h"

namespace {

// Events and audio taken from the current track, by context and the panes that show it.
void DecideCopiedParts(bool* events, bool* audio) {
  if (gEditContextKind != kContextEditorNotes) {
    *events = *audio = true;
    return;
  }
  GetTrackShownViews(gCurrentTrack, events, audio);
  // An instrument track's audio goes along unless the selection covers a pitch range only.
  bool wholePitchRange = gFilterLowNote == 0 && gFilterHighNote == 127;
  if (wholePitchRange && gCurrentTrack[kTrackOutputKind] == kInstrumentTrackOutputKind) *audio = true;
}

void DropTrackFromClipboardSelection(int32_t number) {
  uint8_t* record = GetClipboardRecord();
  if (!record || number < 0 || number >= kMaxTrackNumbers) return;
  uint8_t* tracks = record + kClipboardTracks;
  tracks[kSelectionMask + (number >> 3)] &= uint8_t(~(1 << (number & 7)));
  int32_t first = -1, last = 0;
  for (int32_t n = 0; n < kMaxTrackNumbers; ++n) {
    if (!IsTrackSlotSelectedIn(tracks, n)) continue;
    if (first < 0) first = n;
    last = n;
  }
  tracks[kSelectionFirstSlot] = uint8_t(first < 0 ? 0 : first);
  tracks[kSelectionLastSlot] = uint8_t(last);
}

// The clipboard song's entry for number becomes its current track (added when missing),
// holding the source's fixed part with no handles and childCount empty child cells.
bool MakeClipboardTrack(const uint8_t* fixed, int32_t number, int32_t childCount) {
  if (PushSongContext() != noErr) return false;
  SelectSong(gClipboardPart2);
  bool ok = SelectTrackWithNumber(number) || AddTrackEntry(kTrackEntrySize) == noErr;
  if (ok) {
    DisposeTrackContents(nullptr);
    ok = ResizeCurrentTrackEntry(kTrackEntrySize + kChildCellSize * childCount) == noErr;
  }
  if (ok) {
    std::memcpy(gCurrentTrack, fixed, kTrackEntrySize);
    WriteU16BE(gCurrentTrack + kTrackLength, uint16_t(kTrackEntrySize + kChildCellSize * childCount));
    gCurrentTrack[kTrackChildCount] = uint8_t(childCount);
    ClearTrackRecordHandles(gCurrentTrack);
    gCurrentTrack[kTrackNumber] = uint8_t(number);
  }
  PopSongContext();
  return ok;
}

// Runs with the clipboard song's copy of the track current; the source entry is given.
void SetClipboardTrackHandle(int32_t field, Handle h) {
  if (PushSongContext() != noErr) return;
  SelectSong(gClipboardPart2);
  WriteU32BE(gCurrentTrack + field, h.id);
  if (field == kTrackEventList) WriteU32BE(gCurrentTrack + kTrackEventBytes, uint32_t(GetHandleSize(h)));
  PopSongContext();
}

void CopyTrackParts(const std::vector<uint8_t>& source, bool events, bool audio, SongCopyContext* copy) {
  if (events) {
    bool sections = gEditContextKind >= 1 && gEditContextKind <= 3;
    if (sections) SetClipboardTrackHandle(kTrackSectionList, CopyHandleUnlessFailed(copy, Handle(ReadU32BE(&source[kTrackSectionList]))));
    SetClipboardTrackHandle(kTrackDrumData, CopyHandleUnlessFailed(copy, Handle(ReadU32BE(&source[kTrackDrumData]))));
  }
  if (audio) {
    Handle rack(ReadU32BE(&source[kTrackInsertRack]));
    Handle rackCopy;
    if (rack && !copy->failure && DuplicateRackWithSavedState(rack, &rackCopy) != noErr) NoteCopyFailure(copy, memFullErr);
    SetClipboardTrackHandle(kTrackInsertRack, rackCopy);
    SetClipboardTrackHandle(kTrackRegionList2, CopyHandleUnlessFailed(copy, Handle(ReadU32BE(&source[kTrackRegionList2]))));
  } else if (PushSongContext() == noErr) {
    SelectSong(gClipboardPart2);
    gCurrentTrack[kTrackOutputFlags] &= uint8_t(~kTrackOutputSecondRegions);
    PopSongContext();
  }
}

// Copies child n of the current (source) track into the same cell of the clipboard song's
// current track; false when the copy failed.
bool CopyChildOnce(int32_t n) {
  SongCopyContext copy;
  copy.reported = 1;
  copy.destination = gClipboardPart2;
  if (PushSongContext() != noErr) return false;
  uint8_t follow = gFollowSongLinks;
  gFollowSongLinks = 0;
  bool ok = SelectChildSequence(n);
  if (ok) {
    copy.source = gCurrentSongHandle;
    CopyChildSequenceInto(&copy);
    ok = !copy.failure;
  }
  gFollowSongLinks = follow;
  PopSongContext();
  return ok;
}

// A copied reference's child: copied once; false when it cannot be had.
bool CopyReferencedChild(const uint8_t* event, ChildCopyMask* children) {
  int32_t n = ReadU16BE(event + kEventChildIndex) / 4;
  if (n >= kMaxChildSequences) return false;
  uint64_t bit = uint64_t(1) << n;
  if (children->copied & bit) return true;
  if (children->failed & bit) return false;
  Handle list = GetCurrentTrackEventList();
  int32_t at = int32_t(gCurrentEvent - reinterpret_cast<uint8_t*>(HandleData(list)));
  bool ok = CopyChildOnce(n);
  gCurrentEvent = reinterpret_cast<uint8_t*>(HandleData(GetCurrentTrackEventList())) + at;
  (ok ? children->copied : children->failed) |= bit;
  return ok;
}

// Writes one event at *out (an event of the range, already split), cut to the range.
bool CopyRangeEvent(uint8_t** out, uint32_t t, uint32_t end, ChildCopyMask* children) {
  uint32_t length = GetSeqEventLength(gCurrentEvent);
  if (gEventCommand == kKindSequenceRef && !CopyReferencedChild(gCurrentEvent, children)) return false;
  uint8_t* e = *out;
  std::memcpy(e, gCurrentEvent, length);
  if (gEventCommand == kKindNote && SplitsNotesAtEdges() && t + GetNoteDuration(e) > end)
    SetEventDuration(e, int32_t(end - t));
  if (gEventCommand == kKindSequenceRef && t + GetEventLongDuration(e) > end)
    SetEventLongDuration(e, end - t);
  *out += length;
  return true;
}

// A copy that took less than half of the room it was given moves to a block of its size.
void FitToCopiedBytes(Handle* list, Size room) {
  if (GetHandleSize(*list) >= room / 2) return;
  Handle fitted = *list;
  if (HandToHand(&fitted) != noErr) return;
  DisposeHandle(*list);
  *list = fitted;
}

// A note before the range that sounds into it, when notes are split.
bool ReachesIntoRange(uint32_t t, uint32_t start) {
  return SplitsNotesAtEdges() && gEventCommand == kKindNote &&
         t + GetNoteDuration(gCurrentEvent) > start;
}

}  // namespace

void CopyConductorToClipboard() {
  SongCopyContext copy;
  DisposeSnapshotSong(&gClipboardPart2);
  gClipboardPart2 = NewSnapshotHandle();
  if (!gClipboardPart2) {
    gIterationAbort = 1;
    return;
  }
  CopySongIntoUndo(&copy, gCurrentSongHandle, gClipboardPart2);
  // A live song holds no packed position (only the undo's kept copies do).
  WriteU32BE(HandleData(gClipboardPart2) + kSongPackedPosition, 0);
  if (copy.failure) gIterationAbort = 1;
}

namespace {

// A lane copy from a plug-in pane keeps, in the rack table's copy of the pane slot's rack,
// only the points of the current lane.
void KeepPaneLaneInRackTable() {
  uint8_t* record = GetClipboardRecord();
  if (!record || gEditContextKind != kContextEditorLane || gCurrentPaneSlot < 1) return;
  Handle rack = GetClipboardSlotRack(gCurrentPaneSlot);
  if (!GetReferencedPointList(AutomationListRef{rack})) return;
  Handle whole;
  if (KeepLanePointsOnly(rack, kPanePluginIndex, &whole) != noErr) gIterationAbort = 1;
  if (whole) DisposeHandle(whole);
}

}  // namespace

Handle GetClipboardSlotRack(int32_t slot) {
  uint8_t* record = GetClipboardRecord();
  if (!record || slot < 1) return Handle();
  EventClipboardView clip(record);
  Handle table = clip.RackTable();
  int32_t entry = int32_t(clip.InstrumentCount()) + slot - 1;
  if (!table || !IsValidHandle(table) || (entry + 1) * kInstrumentSize > GetHandleSize(table)) return Handle();
  return Handle(ReadU32BE(reinterpret_cast<uint8_t*>(HandleData(table)) + entry * kInstrumentSize + kInstInsertRack));
}

void CopyTracksToClipboard() {
  CopyConductorToClipboard();  // one empty track and the source song's settings
  if (gIterationAbort) return;
  uint8_t* record = GetClipboardRecord();
  if (PushSongContext() == noErr) {
    SelectSong(gClipboardPart2);
    if (record) SelectTrackWithNumber(record[kClipboardTracks + kSelectionFirstSlot]);
    PopSongContext();
  }
  if (gEditContextKind != kContextMarkers) {
    int32_t current = GetCurrentTrackIndex();
    ForEachSelectedTrackEntry(CopyTrackToClipboard, nullptr);
    SetCurrentTrackIndex(current);
  }
  KeepPaneLaneInRackTable();
  gClipboardOwned = 1;
}

int32_t CopyTrackToClipboard(void*) {
  if (gIterationAbort || !HasValidCurrentTrack()) return 0;
  int32_t number = gCurrentTrack[kTrackNumber];
  bool events = false, audio = false;
  DecideCopiedParts(&events, &audio);
  if (!events && !audio) {
    DropTrackFromClipboardSelection(number);
    return 0;
  }
  Handle list;
  Size bound = 0;
  if (events && GetCurrentTrackEventList()) {
    // Room for every record the walk passes, so that the copy needs no count first; with
    // too little memory for that, the bytes are counted.
    bound = Size(CopyBytesBound());
    list = NewHandle(bound);
    if (!list) list = NewHandle(bound = Size(CountCopyBytes()));
    if (!list) {
      gIterationAbort = 1;
      return 0;
    }
  }
  std::vector<uint8_t> source(gCurrentTrack, gCurrentTrack + kTrackEntrySize);
  if (!MakeClipboardTrack(source.data(), number, gCurrentTrack[kTrackChildCount])) {
    if (list) DisposeHandle(list);
    gIterationAbort = 1;
    return 0;
  }
  SongCopyContext copy;
  copy.reported = 1;
  CopyTrackParts(source, events, audio, &copy);
  if (list) {
    ChildCopyMask children;
    CopyTrackEvents(list, &children);
    FitToCopiedBytes(&list, bound);
    SetClipboardTrackHandle(kTrackEventList, list);
  }
  if (copy.failure) gIterationAbort = 1;
  return 0;
}

bool CopyTrackAudioToClipboard(const uint8_t* entry) {
  std::vector<uint8_t> source(entry, entry + kTrackEntrySize);
  int32_t number = entry[kTrackNumber] < kMaxTrackNumbers ? entry[kTrackNumber] : 0;
  source[kTrackNumber] = uint8_t(number);
  if (!MakeClipboardTrack(source.data(), number, 0)) return false;
  SongCopyContext copy;
  copy.reported = 1;
  CopyTrackParts(source, false, true, &copy);
  uint8_t* record = GetClipboardRecord();
  if (record) {
    uint8_t* tracks = record + kClipboardTracks;
    std::memset(tracks, 0, kTrackSelectionSize);
    tracks[kSelectionFirstSlot] = tracks[kSelectionLastSlot] = uint8_t(number);
    tracks[kSelectionMask + (number >> 3)] = uint8_t(1 << (number & 7));
  }
  return !copy.failure;
}

uint32_t CountCopyBytes() {
  // A filter may draw random numbers: the copy that follows must see the same ones.
  SInt32 seed = GetQDGlobalsRandomSeed();
  uint32_t bytes = kEndRecordSize;
  uint32_t start = gTimeSelection.start.tick, end = gTimeSelection.end.tick;
  for (SeekEditStart(); gCurrentEvent != nullptr; NextEvent()) {
    uint32_t t = SplitCursorEvent();
    if (t == 0 || t >= end) break;
    if (!RunEventFilter(gCopyFilterProc)) continue;
    if (t >= start) bytes += GetSeqEventLength(gCurrentEvent);
    else if (ReachesIntoRange(t, start)) bytes += kLongEventSize;
  }
  SetQDGlobalsRandomSeed(seed);
  return bytes;
}

uint32_t CopyBytesBound() {
  Handle list = GetCurrentTrackEventList();
  uint8_t* from = SeekEditStart();
  if (!list || !from) return kEndRecordSize;
  return uint32_t(GetHandleSize(list) - (from - reinterpret_cast<uint8_t*>(HandleData(list)))) + kEndRecordSize;
}

namespace {

// The copy walk: where the copies go, and the run of records taken as they stand whose
// bytes are not copied yet (copied with one move when the run ends).
struct CopyWalk {
  uint8_t* at;
  uint8_t* limit;  // the destination's end, less its end record
  uint8_t* run = nullptr;
  uint32_t start;
  uint32_t end;
  bool split;
  ChildCopyMask* children;
};

// Copies the pending run that ends at e; false when it does not fit.
bool FlushRun(CopyWalk* w, const uint8_t* e) {
  if (!w->run) return true;
  size_t n = size_t(e - w->run);
  if (w->at + n > w->limit) return false;
  std::memcpy(w->at, w->run, n);
  w->at += n;
  w->run = nullptr;
  return true;
}

// Whether the copy filter takes the record at e (the cursor on it, split, for a filter that
// reads the cursor).
bool CopyFilterTakes(uint8_t* e, bool selectionOnly) {
  if (selectionOnly) return IsEventSelected(e);
  gCurrentEvent = e;
  SplitEventStatus(e);
  return RunEventFilter(gCopyFilterProc);
}

// A taken record in the range that cannot go as it stands (a reference, a note cut at the
// range end), or a note before the range that sounds into it; false stops the walk. The
// cursor stays on the record (a reference's child copy may move the list).
bool CopyTakenRecord(CopyWalk* w, uint32_t t) {
  SplitCursorEvent();
  if (t >= w->start) {
    if (w->at + GetSeqEventLength(gCurrentEvent) > w->limit) return false;
    CopyRangeEvent(&w->at, t, w->end, w->children);
  } else if (ReachesIntoRange(t, w->start) && w->at + kLongEventSize <= w->limit) {
    uint32_t noteEnd = std::min(t + GetNoteDuration(gCurrentEvent), w->end);
    std::memcpy(w->at, gCurrentEvent, kLongEventSize);
    SetSeqEventTime(w->at, w->start);
    SetEventDuration(w->at, int32_t(noteEnd - w->start));
    w->at += kLongEventSize;
  }
  return true;
}

// A taken record of the range that is copied byte for byte.
bool CopiedAsItStands(const CopyWalk& w, const uint8_t* e, uint32_t t) {
  uint8_t kind = SeqEventKind(e);
  if (t < w.start || kind == kKindSequenceRef) return false;
  return !(w.split && kind == kKindNote && t + GetNoteDuration(e) > w.end);
}

}  // namespace

void CopyTrackEvents(Handle destination, ChildCopyMask* children) {
  // Filled in place, locked: copying a referenced child makes other handles meanwhile.
  int8_t state = HGetState(destination);
  HLock(destination);
  uint8_t* first = reinterpret_cast<uint8_t*>(HandleData(destination));
  CopyWalk w{first, first + GetHandleSize(destination) - kEndRecordSize, nullptr,
             gTimeSelection.start.tick, gTimeSelection.end.tick, SplitsNotesAtEdges(), children};
  bool selectionOnly = IsSelectionFilter(gCopyFilterProc);
  uint8_t* e = SeekEditStart();
  while (e != nullptr) {
    uint32_t t = SeqEventTime(e);
    if (t == 0 || t >= w.end) break;
    bool taken = CopyFilterTakes(e, selectionOnly);
    if (taken && CopiedAsItStands(w, e, t)) {
      if (!w.run) w.run = e;
    } else if (!FlushRun(&w, e)) {
      break;
    } else if (taken) {
      gCurrentEvent = e;
      if (!CopyTakenRecord(&w, t)) break;
      e = gCurrentEvent;
    }
    e += GetSeqEventLength(e);
  }
  FlushRun(&w, e);
  // The cursor ends where the walk stopped, as a walk by the cursor leaves it.
  gCurrentEvent = e;
  SplitCursorEvent();
  std::memset(w.at, 0, kEndRecordSize);
  HSetState(destination, state);
  SetHandleSize(destination, Size(w.at - first) + kEndRecordSize);
}
