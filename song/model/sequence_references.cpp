#include "song/model/sequence_references.h"

#include <vector>

#include "platform/memory/memory.h"
#include "song/events/event_filter.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/model/child_sequences.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_iterators.h"
#include "song/model/track_template.h"
#include "song/model/utility_track_access.h"

uint32_t GetTrackOutputKey(const uint8_t* entry) {
  TrackEntryView track(const_cast<uint8_t*>(entry));
  uint32_t word = track.Instrument(0);
  if (track.Flags() & kTrackFlagPlaysInstrument) return word | 0x80000000u;
  return (uint32_t(track.Type() & 0x7F) << 24) | (word << 8) | entry[kTrackMidiOutput];
}

bool IsAudibleTrackWithLength(const uint8_t* entry) {
  return ReadU32BE(entry + kTrackTickLength) >= 2 && (entry[kTrackFlags] & kTrackFlagAudible);
}

uint8_t NextGroupNumber() {
  if (!gCurrentSong) return 1;
  uint8_t next = uint8_t(SongHeaderView(gCurrentSong).GroupCounter() + 1);
  return next == 0 ? 1 : next;  // 0 is "no group"
}

int32_t TakeLongestTrack(void* record, uint8_t* entry) {
  auto* longest = static_cast<LongestTrackRecord*>(record);
  uint32_t length = ReadU32BE(entry + kTrackTickLength);
  if (length > longest->length) {
    longest->length = length;
    longest->audio = entry[kTrackOutputKind] == kAudioTrackOutputKind ? 1 : 0;
  }
  return 0;
}

void GetLongestGroupLength(uint32_t* length, uint8_t* flag, bool grouped) {
  LongestTrackRecord longest;
  if (HasValidCurrentTrack()) {
    if (grouped)
      ApplyToTrackGroup(TakeLongestTrack, &longest);
    else
      TakeLongestTrack(&longest, gCurrentTrack);
  }
  if (length) *length = longest.length;
  if (flag) *flag = longest.audio;
}

int32_t ClipNoteToRangeEnd() {
  uint8_t* e = gCurrentEvent;
  if (!e || SeqEventKind(e) != kKindNote) return 0;
  uint32_t end = gTimeSelection.end.tick;
  uint32_t time = SeqEventTime(e);
  if (uint64_t(time) + GetNoteDuration(e) <= end) return 0;
  SetNoteDuration(e, uint16_t(end > time ? end - time : 1));
  return 0;
}

namespace {

// A child visited by ForEachReferencedChildInRange, with the part of it that was visited.
struct VisitedChild {
  uint32_t song;
  uint32_t start;
  uint32_t end;
};

struct ChildVisit {
  TrackCallback callback;
  void* arg;
  std::vector<VisitedChild> visited;
  int32_t result = 0;
};

bool WasVisited(const ChildVisit& visit, const VisitedChild& child) {
  for (const VisitedChild& v : visit.visited)
    if (v.song == child.song && v.start == child.start && v.end == child.end) return true;
  return false;
}

// The selection of [start, end) in parent ticks as the child plays it from reference time t.
void SelectChildPart(uint32_t t, uint32_t start, uint32_t end) {
  uint32_t childStart = start > t ? start - t + 1 : 1;
  SetTimeRange(childStart, end - t + 1);
}

void VisitChild(ChildVisit* visit, int32_t child) {
  if (PushSongContext() != noErr) return;
  if (SelectChildSequence(child)) {
    VisitedChild part{gCurrentSongHandle.id, gTimeSelection.start.tick, gTimeSelection.end.tick};
    if (!WasVisited(*visit, part)) {
      visit->visited.push_back(part);
      visit->result = ForEachEventTrack(visit->callback, visit->arg);
    }
  }
  PopSongContext();
  UpdateCurrentTrackPtr();
}

// Visits the child of the reference at offset, when it overlaps the selection.
void VisitReference(ChildVisit* visit, const uint8_t* reference, const TimeSelection& kept) {
  uint32_t t = SeqEventTime(reference);
  uint64_t end = uint64_t(t) + GetEventLongDuration(reference);
  if (end == t || end <= kept.start.tick || t >= kept.end.tick) return;
  uint32_t from = kept.start.tick > t ? kept.start.tick : t;
  uint32_t to = kept.end.tick < end ? kept.end.tick : uint32_t(end);
  SelectChildPart(t, from, to);
  VisitChild(visit, ReadU16BE(reference + kEventChildIndex) / 4);
  gTimeSelection = kept;
}

}  // namespace

int32_t ForEachReferencedChildInRange(TrackCallback callback, void* arg) {
  Handle list = GetCurrentTrackEventList();
  if (!list || !callback) return 0;
  ChildVisit visit{callback, arg, {}};
  visit.visited.reserve(size_t(GetChildCount()));
  const TimeSelection kept = gTimeSelection;
  const uint8_t savedRange[2] = {gEditNoteRange[0], gEditNoteRange[1]};
  uint8_t* savedEvent = gCurrentEvent;
  gEditNoteRange[0] = 0;
  gEditNoteRange[1] = 127;
  for (uint32_t at = 0; at + kEndRecordSize <= uint32_t(GetHandleSize(list));) {
    uint8_t* e = reinterpret_cast<uint8_t*>(HandleData(list)) + at;
    uint32_t length = SeqEventLengthWithin(e, uint32_t(GetHandleSize(list)) - at);
    if (length == 0 || SeqEventTime(e) >= kept.end.tick) break;
    if (SeqEventKind(e) == kKindSequenceRef) VisitReference(&visit, e, kept);
    at += length;
  }
  gEditNoteRange[0] = savedRange[0];
  gEditNoteRange[1] = savedRange[1];
  gCurrentEvent = savedEvent;
  return visit.result;
}
