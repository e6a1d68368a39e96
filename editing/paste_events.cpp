#include "editing/paste_events.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "editing/edit_context.h"
#include "editing/event_clipboard.h"
#include "editing/event_cursor.h"
#include "editing/event_filters.h"
#include "editing/lane_paste.h"
#include "editing/paste_options.h"
#include "editing/time_range_clear.h"
#include "editors/timeline/click_state.h"
#include "platform/memory/memory.h"
#include "shell/base/error_report.h"
#include "shell/base/iteration_abort.h"
#include "shell/base/random_numbers.h"
#include "shell/windows/editor_panes.h"
#include "song/events/event_lists.h"
#include "song/events/event_sort.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/events/utility_event_selection.h"
#include "song/model/clipboard_record.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_length.h"
#include "song/model/utility_track_access.h"

Handle gPasteSourceEvents;

namespace {

constexpr uint16_t kReferencePasted = 0x8000;  // bit 15 of a reference word

uint8_t* ListBytes(Handle h) { return reinterpret_cast<uint8_t*>(HandleData(h)); }

struct ByteRun {
  uint32_t offset;
  uint32_t length;
};

// The source's records sourceStart <= t < sourceEnd, as runs of bytes of the source list.
std::vector<ByteRun> SourceRuns(uint32_t sourceStart, uint32_t sourceEnd) {
  std::vector<ByteRun> runs;
  if (!gPasteSourceEvents || !IsValidHandle(gPasteSourceEvents)) return runs;
  uint8_t* base = ListBytes(gPasteSourceEvents);
  uint8_t* e = base;
  uint32_t left = uint32_t(GetHandleSize(gPasteSourceEvents));
  uint8_t* run = e;  // the taken records in front of e not yet in a run start here
  auto take = [&](const uint8_t* stop) {
    if (stop > run) runs.push_back(ByteRun{uint32_t(run - base), uint32_t(stop - run)});
  };
  while (left > 0) {
    uint32_t length = SeqEventLengthWithin(e, left);
    if (length == 0) break;
    uint32_t t = SeqEventTime(e);
    if (t >= sourceEnd) break;
    if (t < sourceStart) {
      take(e);
      run = e + length;
    }
    e += length;
    left -= length;
  }
  take(e);
  return runs;
}

uint32_t RunBytes(const std::vector<ByteRun>& runs) {
  uint32_t n = 0;
  for (const ByteRun& r : runs) n += r.length;
  return n;
}

// The runs' bytes gathered in one buffer.
std::vector<uint8_t> GatherRuns(const std::vector<ByteRun>& runs) {
  std::vector<uint8_t> bytes;
  bytes.reserve(RunBytes(runs));
  const uint8_t* base = ListBytes(gPasteSourceEvents);
  for (const ByteRun& r : runs) bytes.insert(bytes.end(), base + r.offset, base + r.offset + r.length);
  return bytes;
}

bool SourceHasEvents() {
  if (!gPasteSourceEvents || !IsValidHandle(gPasteSourceEvents)) return false;
  return GetHandleSize(gPasteSourceEvents) > kEndRecordSize && SeqEventTime(ListBytes(gPasteSourceEvents)) != 0;
}

// The editors clear what is selected: the events of the destination range are selected
// first, with the front window's filters, so that the clear takes the whole range and not
// only what the user had selected there.
void SelectDestinationEvents() {
  SavedEventFilters kept = SaveEventFilters();
  UpdateEventFilters();
  SelectEventsInRange();
  RestoreEventFilters(kept);
}

// The destination range S .. S + length emptied with the clipboard's note range in force.
void ClearDestination(uint32_t length, uint32_t noteRangeWord) {
  TimeSelection kept = gTimeSelection;
  uint8_t low = gFilterLowNote, high = gFilterHighNote;
  if (noteRangeWord & kNoteRangeWordSet) {
    gFilterLowNote = uint8_t(noteRangeWord & 0x7F);
    gFilterHighNote = uint8_t((noteRangeWord >> 8) & 0x7F);
  }
  SetTimeRange(kept.start.tick, kept.start.tick + length);
  if (IsEditorContext()) SelectDestinationEvents();
  ClearTimeRangeInTrack(nullptr);
  gTimeSelection = kept;
  gFilterLowNote = low;
  gFilterHighNote = high;
}

// Time moved by d, the notes through the per-note step, references marked; the latest end.
uint32_t AdjustInsertedEvents(uint8_t* e, int32_t n, int32_t d, uint32_t destinationEnd, bool perNote) {
  uint32_t latest = 0;
  for (uint8_t* end = e + n; e < end; e += GetSeqEventLength(e)) {
    uint32_t t = uint32_t(int64_t(SeqEventTime(e)) + d);
    SetSeqEventTime(e, t < 1 ? 1 : t);
    uint8_t kind = SeqEventKind(e);
    uint32_t eventEnd = SeqEventTime(e);
    if (kind == kKindNote) {
      if (perNote) PasteNoteStep(e, destinationEnd);
      eventEnd += GetNoteDuration(e);
    } else if (kind == kKindSequenceRef) {
      WriteU16BE(e + kEventChildIndex, uint16_t(ReadU16BE(e + kEventChildIndex) | kReferencePasted));
      eventEnd += GetEventLongDuration(e);
    }
    latest = std::max(latest, eventEnd);
  }
  return latest;
}

bool ChildExists(int32_t n) {
  if (n >= gCurrentTrack[kTrackChildCount]) return false;
  return ReadU32BE(gCurrentTrack + kTrackChildTable + kChildCellSize * n) != 0;
}

bool OverlapsOtherReference(const uint8_t* list, const uint8_t* ref) {
  uint16_t child = ReadU16BE(ref + kEventChildIndex) & uint16_t(~kReferencePasted);
  uint32_t t = SeqEventTime(ref), end = t + GetEventLongDuration(ref);
  for (const uint8_t* e = list; SeqEventTime(e) != 0; e += GetSeqEventLength(e)) {
    if (e == ref || SeqEventKind(e) != kKindSequenceRef) continue;
    if ((ReadU16BE(e + kEventChildIndex) & uint16_t(~kReferencePasted)) != child) continue;
    uint32_t s = SeqEventTime(e);
    if (s < end && t < s + GetEventLongDuration(e)) return true;
  }
  return false;
}

// Each pasted reference kept only when its child exists and its span overlaps no other
// reference to the same child; true when one was dropped.
bool CheckPastedReferences() {
  bool dropped = false;
  Handle list = GetCurrentTrackEventList();
  uint8_t* e = ListBytes(list);
  while (SeqEventTime(e) != 0) {
    uint16_t word = SeqEventKind(e) == kKindSequenceRef ? ReadU16BE(e + kEventChildIndex) : 0;
    if (!(word & kReferencePasted)) {
      e += GetSeqEventLength(e);
      continue;
    }
    if (!ChildExists((word & ~kReferencePasted) / 4) || OverlapsOtherReference(ListBytes(list), e)) {
      int32_t at = int32_t(e - ListBytes(list));
      RemoveCursorEvent(e);
      e = ListBytes(GetCurrentTrackEventList()) + at;
      dropped = true;
      continue;
    }
    WriteU16BE(e + kEventChildIndex, uint16_t(word & ~kReferencePasted));
    e += GetSeqEventLength(e);
  }
  return dropped;
}

int32_t TranspositionInterval() {
  return int32_t(gRepeatTransposition.targetNote) - int32_t(gRepeatTransposition.sourceNote);
}

// The destination end of a repeated paste by the repeat mode; false pastes nothing.
bool RepeatEnd(uint32_t start, uint32_t length, uint32_t* end) {
  switch (PasteRepeatMode()) {
    case 0:
      *end = uint32_t(std::min<uint64_t>(start + uint64_t(length) * gPasteRepeatCount, 0x7ffffffe));
      return true;
    case 1:
      *end = gTimeSelection.end.tick;
      return true;
    case 2:
      *end = gCurrentSong ? ReadU32BE(gCurrentSong + kSongEndTick) : start;
      SetTimeRange(start, *end);
      return true;
    default:
      return false;
  }
}

}  // namespace

void PasteNoteStep(uint8_t* note, uint32_t destinationEnd) {
  uint32_t t = SeqEventTime(note);
  if (t + GetNoteDuration(note) > destinationEnd && destinationEnd > t)
    SetEventDuration(note, int32_t(destinationEnd - t));
  if (gPasteOptions & kPasteTranspose)
    note[kEventData1] = uint8_t(FoldNoteToMidiRange(note[kEventData1] + TranspositionInterval()));
  if (gPasteOptions & kPasteRandomVelocity) {
    int32_t w = gVelocityRandomWidth > 0 ? gVelocityRandomWidth : 1;
    int32_t change = int32_t(RandomBelow(uint32_t(2 * w - 1))) - (w - 1);
    note[kEventData2] = uint8_t(std::clamp(note[kEventData2] + change, 0, 127));
  }
}

OSErr MergeEventsIntoTrack(uint32_t sourceStart, uint32_t sourceEnd, bool replace,
                           uint32_t noteRangeWord, uint32_t destinationEnd, bool perNote) {
  uint32_t start = gTimeSelection.start.tick;
  if (replace) ClearDestination(sourceEnd - sourceStart, noteRangeWord);
  std::vector<ByteRun> runs = SourceRuns(sourceStart, sourceEnd);
  int32_t n = int32_t(RunBytes(runs));
  if (n == 0) return noErr;
  // One run moves straight from the source list (which the grow below does not move);
  // several runs, or a source that is the list itself, are gathered first.
  std::vector<uint8_t> gathered;
  if (runs.size() > 1 || gPasteSourceEvents == GetCurrentTrackEventList()) gathered = GatherRuns(runs);
  OSErr err = EnsureTrackEventList();
  if (err == noErr) err = GrowEventList(n);
  if (err != noErr) return err;
  const uint8_t* bytes = gathered.empty() ? ListBytes(gPasteSourceEvents) + runs[0].offset : gathered.data();
  InsertEventBytes(start, bytes, n);
  uint8_t* inserted = ListBytes(GetCurrentTrackEventList()) + gEventInsertOffset;
  int32_t d = int32_t(int64_t(start) - int64_t(sourceStart));
  uint32_t latest = AdjustInsertedEvents(inserted, n, d, destinationEnd, perNote);
  err = SortTrackEvents();
  if (err == noErr && CheckPastedReferences()) err = kDroppedReferencesError;
  if (latest > 0) UpdateTrackEnd(latest);
  SetSongModified();
  return err;
}

OSErr PasteEventsWithMode(const PasteSource& source) {
  uint8_t* record = GetClipboardRecord();
  if (!record) return noErr;
  EventClipboardView clip(record);
  RepeatTransposition keptTransposition = gRepeatTransposition;
  TimeSelection keptSelection = gTimeSelection;
  int16_t keptViewMode = gCurrentViewMode;
  ResetEditorViewForEdit();
  uint32_t start = gTimeSelection.start.tick;
  uint32_t length = clip.EndTick() > clip.StartTick() ? clip.EndTick() - clip.StartTick() : 0;
  uint32_t end = start + length;
  bool repeat = (gPasteOptions & kPasteRepeated) != 0;
  bool pastes = !repeat || RepeatEnd(start, length, &end);
  if (!pastes || (end <= start && length > 0)) {
    gCurrentViewMode = keptViewMode;
    return noErr;
  }
  uint32_t noteRange = kNoteRangeWordSet | clip.LowNote() | (uint32_t(clip.HighNote()) << 8);
  bool events = !source.laneOrConductor && clip.Kind() != kClipboardKindConductor &&
                !IsConductorContext() && gEditContextKind != kContextEditorLane;
  // A clipboard track that brings only audio leaves the destination's events alone.
  bool clears = SourceHasEvents() || !source.audio;
  OSErr first = noErr;
  // The loop counts ticks: it always advances by a whole copy, and stops after one copy of
  // an empty clipboard range.
  do {
    uint32_t copy = std::min(length, end - start);
    gTimeSelection.start.tick = start;
    bool replace = length > 0 && !gPasteMerge && clears;
    OSErr err = events ? MergeEventsIntoTrack(clip.StartTick(), clip.StartTick() + copy, replace,
                                              noteRange, end, repeat)
                       : PasteLaneOrConductor(clip.StartTick(), clip.StartTick() + copy, replace);
    if (err != noErr) {
      if (first == noErr) first = err;
      ReportError(err);
      if (err != 49) gIterationAbort = 1;
    }
    if (length == 0) break;
    start += length;
    record = GetClipboardRecord();
  } while (start < end && !gIterationAbort);
  gTimeSelection.start = keptSelection.start;
  if (!(repeat && PasteRepeatMode() == 2)) gTimeSelection.end = keptSelection.end;
  gRepeatTransposition = keptTransposition;
  gCurrentViewMode = keptViewMode;
  return first;
}

void TransposeCursorEvent(int32_t options, uint32_t tick, int32_t delta) {
  if (gCurrentEvent == nullptr) return;
  SetSeqEventTime(gCurrentEvent, tick < 1 ? 1 : tick);
  if (SeqEventKind(gCurrentEvent) != kKindNote) return;
  int32_t note = gCurrentEvent[kEventData1] + delta;
  if (options & 1) note = ((note % 128) + 128) % 128;
  else note = FoldNoteToMidiRange(note);
  gCurrentEvent[kEventData1] = uint8_t(note);
  if (options & 2) gCurrentEvent[kEventFlags] &= uint8_t(~kEventSelected);
}

OSErr AppendTransposedEvent(TransposeRequest* request) {
  if (gCurrentEvent == nullptr) return noErr;
  uint8_t* kept = gCurrentEvent;
  if (gPasteSourceEvents && IsValidHandle(gPasteSourceEvents)) {
    uint32_t length = GetSeqEventLength(gCurrentEvent);
    std::vector<uint8_t> event(gCurrentEvent, gCurrentEvent + length);
    Size size = GetHandleSize(gPasteSourceEvents);
    SetHandleSize(gPasteSourceEvents, size + Size(length));
    if (MemError() != noErr) return MemError();
    uint8_t* at = ListBytes(gPasteSourceEvents) + size - kEndRecordSize;
    std::memcpy(at, event.data(), length);
    std::memset(at + length, 0, kEndRecordSize);
    gCurrentEvent = at;
  }
  TransposeCursorEvent(request->options, request->tick, request->delta);
  uint32_t end = SeqEventTime(gCurrentEvent) +
                 (SeqEventKind(gCurrentEvent) == kKindNote ? GetNoteDuration(gCurrentEvent) : 0);
  request->latestEnd = std::max(request->latestEnd, end);
  gCurrentEvent = kept;
  return noErr;
}
