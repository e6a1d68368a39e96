#include "song/model/song_iterators.h"

#include "platform/memory/memory.h"
#include "song/model/child_sequences.h"
#include "song/model/clipboard_record.h"
#include "song/model/editor_hooks.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/track_iterators.h"
#include "song/model/track_numbers.h"
#include "song/model/track_selection.h"
#include "song/model/utility_track_access.h"

int32_t ForEachSong(TrackCallback callback, void* arg) {
  gIterationAbort = 0;
  if (PushSongContext() != noErr) return gIterationAbort = 1;
  int32_t result = 0;
  for (int32_t slot = 0; slot < gSongCount; ++slot) {
    SelectSongIndex(slot);
    if (!gCurrentSong) continue;
    UpdateCurrentTrackPtr();
    result = callback(arg);
    if (gIterationAbort) break;
  }
  PopSongContext();
  return result;
}

int32_t ForEachChildSequence(TrackCallback callback, void* arg) {
  Handle cellSong = gChildCellSong;
  int32_t cellOffset = gChildCellOffset;
  int32_t parentNumber = gChildParentTrackNumber;
  int32_t result = 0;
  for (int32_t n = 0; n < GetChildCount(); ++n) {
    if (PushSongContext() != noErr) {
      gIterationAbort = 1;
      break;
    }
    if (SelectChildSequence(n)) result = callback(arg);
    PopSongContext();
    UpdateCurrentTrackPtr();
    if (gIterationAbort) break;
  }
  gChildCellSong = cellSong;
  gChildCellOffset = cellOffset;
  gChildParentTrackNumber = parentNumber;
  return result;
}

int32_t ForEachChildSequenceAll(TrackCallback callback, void* arg) {
  uint8_t saved = gFollowSongLinks;
  gFollowSongLinks = 0;
  int32_t result = ForEachChildSequence(callback, arg);
  gFollowSongLinks = saved;
  return result;
}

namespace {

int32_t VisitSongAndChildren(void* arg);

int32_t VisitChildrenOfTrack(void* arg) {
  return ForEachChildSequence(VisitSongAndChildren, arg);
}

// Visits the current song, then the children of its tracks that have data. Links are not
// followed (gFollowSongLinks is off during the walk), so a song that holds a link to itself
// is visited once.
int32_t VisitSongAndChildren(void* arg) {
  auto* record = static_cast<SongVisitRecord*>(arg);
  int32_t result = record->callback(record);
  if (gIterationAbort) return result;
  ForEachDataTrack(VisitChildrenOfTrack, arg);
  return result;
}

}  // namespace

void ForEachSongAndChild(SongVisitRecord* record) {
  uint8_t follow = gFollowSongLinks;
  gFollowSongLinks = 0;
  ForEachSong(VisitSongAndChildren, record);
  Handle clip = GetClipboardSongPart();
  if (!gIterationAbort && (record->flags & kVisitClipboardSong) && clip) {
    if (PushSongContext() == noErr) {
      int8_t state = HGetState(clip);
      HLock(clip);
      SelectSong(clip);
      VisitSongAndChildren(record);
      HSetState(clip, state);
      PopSongContext();
    }
  }
  gFollowSongLinks = follow;
}

namespace {
int32_t CountOne(void* arg) {
  ++*static_cast<int32_t*>(arg);
  return 0;
}
}  // namespace

int32_t CountChildSequences() {
  int32_t count = 0;
  uint8_t saved = gIterationAbort;
  gIterationAbort = 0;
  ForEachChildSequence(CountOne, &count);
  gIterationAbort = saved;
  return count;
}

namespace {

int32_t GatherTrack(void* arg) {
  auto* s = static_cast<SongStatistics*>(arg);
  TrackEntryView t(gCurrentTrack);
  bool grouped = t.Group() != 0;
  ++s->tracks;
  if (t.Flags() & kTrackFlagSilent) ++s->silentTracks;
  if (t.OutputFlags() & kTrackOutputSecondRegions) {
    ++s->secondRegionTracks;
    if (grouped) s->anyGroupedSecondRegion = 1;
  }
  if (grouped) ++s->groupedTracks;
  if (!t.RegionList() && !t.RegionList2()) {
    bool events = bool(t.EventList());
    if (t.SectionList() || (t.Flags() & kTrackFlag40)) s->anySections = 1;
    if (events) s->anyEvents = 1;
    if (events && t.ChildCount() > 0) s->anyChildren = 1;
    if (events && IsCurrentTrackInDrumView()) s->anyDrumView = 1;
  }
  return 0;
}

}  // namespace

bool GatherSongStatistics(SongStatistics* stats) {
  *stats = SongStatistics();
  ForEachSelectedTrackEntry(GatherTrack, stats);
  return stats->anyGroupedSecondRegion != 0;
}
