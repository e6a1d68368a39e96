// Expanding a track's sequence references into plain events of its song (track command 1).
#include <cstring>
#include <vector>

#include "shell/base/busy_cursor.h"
#include "shell/base/error_report.h"
#include "shell/base/progress_hooks.h"
#include "song/conductor/markers.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/model/child_sequences.h"
#include "song/model/clipboard_access_hooks.h"
#include "song/model/sequence_references.h"
#include "song/model/song_context.h"
#include "song/model/song_iterators.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/track_entries.h"
#include "song/model/track_event_replacement.h"
#include "song/model/track_iterators.h"
#include "song/model/track_length.h"
#include "song/model/track_numbers.h"
#include "song/model/track_template.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"
#include "song/undo/undo_exchange.h"
#include "song/undo/undo_ring.h"
#include "song/undo/undo_steps.h"

namespace {

constexpr int32_t kMaxGroups = kMaxTrackNumbers;
constexpr uint8_t kSongNameMax = 31;  // characters of the name at header +63

// A track of a child: what it plays, its settings and its events.
struct ChildTrack {
  uint32_t key = 0;
  uint8_t settings[kTrackEntrySize] = {};
  std::vector<uint8_t> records;
};

struct ChildContent {
  bool present = false;
  uint32_t length = 0;  // the child's longest track
  Str255 name = {};
  std::vector<ChildTrack> tracks;
};

struct Reference {
  uint8_t record[kLongEventSize];
  uint32_t time = 0;
  uint32_t length = 0;
  int32_t child = 0;
};

struct Expansion {
  int32_t source = 0;  // entry index of the track expanded
  std::vector<ChildContent> children;
  // Groups of the children's tracks and the groups of the song their tracks were given.
  uint8_t groupFrom[kMaxGroups] = {};
  uint8_t groupTo[kMaxGroups] = {};
  int32_t groups = 0;
  OSErr err = noErr;
  bool cancelled = false;
};

// --- reading the children -------------------------------------------------------------

void ReadChildTracks(ChildContent* content) {
  LongestTrackRecord longest;
  SearchSongTracks(TakeLongestTrack, &longest);
  content->length = longest.length;
  const uint8_t* name = gCurrentSong + kSongName;
  uint8_t n = name[0] < kSongNameMax ? name[0] : kSongNameMax;
  content->name[0] = n;
  std::memcpy(content->name + 1, name + 1, size_t(n));
  for (int32_t i = 0; i < GetSongTrackCount(); ++i) {
    const uint8_t* entry = GetTrackEntryAt(i);
    if (!entry) break;
    Handle list(ReadU32BE(entry + kTrackEventList));
    if (!list || !IsAudibleTrackWithLength(entry)) continue;
    ChildTrack track;
    track.key = GetTrackOutputKey(entry);
    std::memcpy(track.settings, entry, kTrackEntrySize);
    track.records = CopyListRecords(list);
    content->tracks.push_back(std::move(track));
  }
}

// Every child of the current track, read while the song is still as it was.
void ReadChildren(Expansion* x) {
  uint8_t savedFollow = gFollowSongLinks;
  gFollowSongLinks = 1;  // a link child plays the song it links to
  for (int32_t n = 0; n < GetChildCount(); ++n) {
    ChildContent content;
    if (PushSongContext() != noErr) break;
    if (SelectChildSequence(n) && gCurrentSong) {
      content.present = true;
      ReadChildTracks(&content);
    }
    PopSongContext();
    UpdateCurrentTrackPtr();
    x->children.push_back(std::move(content));
  }
  gFollowSongLinks = savedFollow;
}

// --- tracks of the song for the children's outputs --------------------------------------

uint8_t MapGroup(Expansion* x, uint8_t group) {
  if (group == 0) return 0;
  for (int32_t i = 0; i < x->groups; ++i)
    if (x->groupFrom[i] == group) return x->groupTo[i];
  uint8_t next = NextGroupNumber();
  SongHeaderView(gCurrentSong).SetGroupCounter(next);
  if (x->groups < kMaxGroups) {
    x->groupFrom[x->groups] = group;
    x->groupTo[x->groups++] = next;
  }
  return next;
}

// The current track takes a child track's settings; its number, children, lists and length
// stay its own, and a group becomes a group of this song.
void TakeChildTrackSettings(Expansion* x, const uint8_t* settings) {
  uint8_t kept[kTrackEntrySize];
  std::memcpy(kept, gCurrentTrack, kTrackEntrySize);
  std::memcpy(gCurrentTrack, settings, kTrackEventList);
  std::memcpy(gCurrentTrack, kept, kTrackFlags);  // length, child count, number, bytes 4..12
  const int32_t ownFields[] = {kTrackEventBytes, kTrackTickLength, kTrackFirstEventOffset,
                               kTrackPlayCursorStart};
  for (int32_t field : ownFields) std::memcpy(gCurrentTrack + field, kept + field, 4);
  gCurrentTrack[kTrackGroup] = MapGroup(x, settings[kTrackGroup]);
}

int32_t FindTrackWithKey(uint32_t key) {
  for (int32_t i = 0; i < GetSongTrackCount(); ++i) {
    const uint8_t* entry = GetTrackEntryAt(i);
    if (!entry) break;
    if (GetTrackOutputKey(entry) == key) return i;
  }
  return -1;
}

// A track of the song plays every output the children's tracks play; false when no track
// could be made (gIterationAbort is set, the tracks made stay).
bool AddTracksForChildOutputs(Expansion* x) {
  for (const ChildContent& child : x->children) {
    for (const ChildTrack& track : child.tracks) {
      if (FindTrackWithKey(track.key) >= 0) continue;
      if (FindFreeTrackNumber() < 0) {
        gIterationAbort = 1;
        return false;
      }
      if (!AddTrackEntryChecked(kTrackEntrySize)) return false;
      ClaimTrackNumber();
      TakeChildTrackSettings(x, track.settings);
    }
  }
  return true;
}

// --- copying a child into the song -------------------------------------------------------

// The events of one child track as the reference plays them: the child from its tick 1 at
// the reference's time, again and again while it is shorter than the reference, notes that
// run past the reference's end ending there.
std::vector<uint8_t> RepeatChildEvents(const ChildTrack& track, uint32_t childLength,
                                       const Reference& ref) {
  std::vector<uint8_t> out;
  uint8_t* savedEvent = gCurrentEvent;
  const uint64_t end = uint64_t(ref.time) + ref.length;
  for (uint64_t offset = ref.time - 1; offset + 1 < end; offset += childLength) {
    for (size_t at = 0; uint32_t n = RecordLengthAt(track.records, at); at += n) {
      const uint8_t* e = &track.records[at];
      uint32_t t = SeqEventTime(e);
      if (SeqEventKind(e) == kKindSequenceRef || t > childLength || offset + t >= end) continue;
      size_t placed = out.size();
      out.insert(out.end(), e, e + n);
      SetSeqEventTime(&out[placed], uint32_t(offset + t));
      gCurrentEvent = &out[placed];
      ClipNoteToRangeEnd();
    }
  }
  gCurrentEvent = savedEvent;
  return out;
}

OSErr CopyChildTrack(Expansion* x, const ChildTrack& track, uint32_t childLength,
                     const Reference& ref) {
  int32_t target = FindTrackWithKey(track.key);
  if (target < 0) return noErr;  // no track could be made for it
  std::vector<uint8_t> events = RepeatChildEvents(track, childLength, ref);
  SetCurrentTrackIndex(target);
  const uint8_t* name = gCurrentTrack + kTrackName;
  bool blank = true;
  for (int32_t i = 0; i < kTrackNameLength; ++i) blank = blank && (name[i] == ' ' || name[i] == 0);
  if (blank) TakeChildTrackSettings(x, track.settings);
  if (events.empty()) return noErr;
  return MergeIntoCurrentTrack(events);
}

OSErr CopyChildIntoParent(Expansion* x, const ChildContent& child, const Reference& ref) {
  if (child.length < 1 || ref.length == 0) return noErr;  // nothing to repeat
  TimeSelection kept = gTimeSelection;
  gTimeSelection.end.tick = ref.time + ref.length;  // where ClipNoteToRangeEnd cuts
  OSErr err = noErr;
  for (const ChildTrack& track : child.tracks) {
    err = CopyChildTrack(x, track, child.length, ref);
    if (err != noErr) break;
  }
  gTimeSelection = kept;
  SetCurrentTrackIndex(x->source);
  return err;
}

void ExpandReference(Expansion* x, const Reference& ref) {
  if (ref.child < 0 || ref.child >= int32_t(x->children.size())) return;
  const ChildContent& child = x->children[size_t(ref.child)];
  if (!child.present) return;
  if (child.name[0] > 0) AddMarker(child.name, ref.time, kMarkerKindPlain, 0, 0);
  x->err = CopyChildIntoParent(x, child, ref);
}

// --- the track's references -----------------------------------------------------------

// The references of records, taken out of them.
std::vector<Reference> TakeReferences(std::vector<uint8_t>* records) {
  std::vector<Reference> refs;
  std::vector<uint8_t> rest;
  for (size_t at = 0; uint32_t n = RecordLengthAt(*records, at); at += n) {
    const uint8_t* e = &(*records)[at];
    if (SeqEventKind(e) != kKindSequenceRef) {
      rest.insert(rest.end(), e, e + n);
      continue;
    }
    Reference ref;
    std::memcpy(ref.record, e, kLongEventSize);
    ref.time = SeqEventTime(e);
    ref.length = GetEventLongDuration(e);
    ref.child = ReadU16BE(e + kEventChildIndex) / 4;
    refs.push_back(ref);
  }
  records->swap(rest);
  return refs;
}

// The references not expanded go back into the track (after a cancel or an error).
void PutBackReferences(const std::vector<Reference>& refs, size_t from) {
  std::vector<uint8_t> back;
  for (size_t i = from; i < refs.size(); ++i)
    back.insert(back.end(), refs[i].record, refs[i].record + kLongEventSize);
  if (!back.empty()) MergeIntoCurrentTrack(back);
}

void DropChildren() {
  ForEachChildSequenceAll(DisposeChildSequence, nullptr);
  ResizeCurrentTrackEntry(kTrackEntrySize);
  gCurrentTrack[kTrackChildCount] = 0;
  ComputeTrackEnd();
}

// The expansion proper, on the current track.
void ExpandReferences(Expansion* x) {
  std::vector<uint8_t> records = CopyListRecords(GetCurrentTrackEventList());
  std::vector<Reference> refs = TakeReferences(&records);
  if ((x->err = ReplaceCurrentTrackEvents(records)) != noErr) return;
  size_t done = 0;
  BeginProgress(kProgressWorking, int32_t(refs.size()));
  for (; done < refs.size() && x->err == noErr; ++done) {
    SpinBusyCursorIfDue();
    if (ProgressAskedToStop(int32_t(done))) {
      x->cancelled = true;
      break;
    }
    ExpandReference(x, refs[done]);
  }
  EndProgress();
  SetCurrentTrackIndex(x->source);
  if (x->cancelled || x->err != noErr) {
    PutBackReferences(refs, done);
    return;
  }
  DropChildren();
}

int32_t RunExpansion(void* context) {
  auto* x = static_cast<Expansion*>(context);
  SetCurrentUndoKind(kUndoKindEdit);
  x->source = GetCurrentTrackIndex();
  ReadChildren(x);
  if (!AddTracksForChildOutputs(x)) return 0;  // the tracks made stay
  RebuildTrackNumberMap();
  SetCurrentTrackIndex(x->source);
  ExpandReferences(x);
  SetCurrentTrackIndex(x->source);
  if (!x->cancelled && x->err == noErr) RemoveEmptyTracks();
  return 0;
}

}  // namespace

void ExpandSequenceReferences() {
  if (!gCurrentSong || !HasValidCurrentTrack() || !GetCurrentTrackEventList()) return;
  Handle clipboard = SaveSongClipboard();
  Expansion x;
  bool undoable = gUndoRing != nullptr;
  bool ran = true;
  if (undoable)
    ran = RunUndoableEditOverAllTracks(RunExpansion, &x) == noErr;
  else
    RunExpansion(&x);
  // A cancel or a failure of the copy gives the song back as it was.
  if (ran && undoable && (x.cancelled || x.err != noErr)) CancelLastEdit();
  RedrawAll(0);
  InvalidateTrackWindow();
  if (ran) SetSongModified();
  RestoreSongClipboard(clipboard);
  if (x.err != noErr) ReportError(x.err);
}
