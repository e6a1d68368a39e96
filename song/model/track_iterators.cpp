#include "song/model/track_iterators.h"

#include "shell/base/busy_cursor.h"
#include "song/model/media_hooks.h"
#include "song/model/region_lists.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/track_numbers.h"
#include "song/model/track_selection.h"
#include "song/model/utility_track_access.h"

namespace {

using TrackTest = bool (*)(const uint8_t* entry);

bool HasEvents(const uint8_t* e) { return ReadU32BE(e + kTrackEventList) != 0; }
bool HasData(const uint8_t* e) { return HasEvents(e) || ReadU32BE(e + kTrackRegionList) != 0; }
bool IsSelected(const uint8_t* e) { return IsTrackEntrySelected(e); }
bool IsSelectedWithEvents(const uint8_t* e) { return IsSelected(e) && HasEvents(e); }
bool IsSelectedAudioReady(const uint8_t*) { return IsTrackAudioReady(); }

bool IsSelectedWithData(const uint8_t* e) {
  if (!IsSelected(e)) return false;
  if (HasEvents(e) || IsTrackAudioReady()) return true;
  bool movieTrack = gCurrentSong && gCurrentSong[kSongMovieTrack] == e[kTrackNumber] + 1;
  return !movieTrack && RegionListHasRegions(Handle(ReadU32BE(e + kTrackRegionList)));
}

// Makes every entry that passes the test current in turn; the test sees the entry after it
// is current (some tests ask the current track's audio state). A search stops at the first
// entry whose callback answers non-zero.
int32_t VisitTracksWhere(TrackTest test, bool isSearch, TrackSearchCallback visit, void* arg) {
  gIterationAbort = 0;
  if (!gCurrentSong) return 0;
  int32_t savedIndex = GetCurrentTrackIndex();
  int32_t savedNumber = gCurrentTrackNumber;
  int32_t result = 0;
  for (int32_t i = 0; gCurrentSong && i < GetSongTrackCount(); ++i) {
    SetCurrentTrackIndex(i);
    if (!HasValidCurrentTrack() || (test && !test(gCurrentTrack))) continue;
    result = visit(arg, gCurrentTrack);
    if ((isSearch && result != 0) || gIterationAbort) break;
  }
  SetCurrentTrackIndex(savedIndex);
  gCurrentTrackNumber = savedNumber;
  return result;
}

struct EachTrackCall {
  TrackCallback callback;
  void* arg;
};

int32_t CallForTrack(void* call, uint8_t*) {
  auto* each = static_cast<EachTrackCall*>(call);
  return each->callback(each->arg);
}

int32_t ForEachTrackWhere(TrackTest test, TrackCallback callback, void* arg) {
  EachTrackCall call{callback, arg};
  return VisitTracksWhere(test, false, CallForTrack, &call);
}

int32_t SearchTracksWhere(TrackTest test, TrackSearchCallback callback, void* arg) {
  return VisitTracksWhere(test, true, callback, arg);
}

}  // namespace

int32_t ForEachEventTrack(TrackCallback callback, void* arg) {
  return ForEachTrackWhere(HasEvents, callback, arg);
}

int32_t ForEachDataTrack(TrackCallback callback, void* arg) {
  return ForEachTrackWhere(HasData, callback, arg);
}

int32_t ForEachSelectedTrackEntry(TrackCallback callback, void* arg) {
  return ForEachTrackWhere(IsSelected, callback, arg);
}

int32_t ForEachSelectedTrackBusy(TrackCallback callback, void* arg) {
  SpinBusyCursorIfDue();
  return ForEachSelectedTrackEntry(callback, arg);
}

int32_t SearchSongTracks(TrackSearchCallback callback, void* arg) {
  return SearchTracksWhere(nullptr, callback, arg);
}

int32_t SearchSelectedTracks(TrackSearchCallback callback, void* arg) {
  return SearchTracksWhere(IsSelected, callback, arg);
}

int32_t ForEachSelectedEventTrack(TrackCallback callback, void* arg) {
  return ForEachTrackWhere(IsSelectedWithEvents, callback, arg);
}

int32_t ForEachTrackWithEvents(TrackCallback callback, void* arg) {
  SpinBusyCursorIfDue();
  return ForEachSelectedEventTrack(callback, arg);
}

int32_t ForEachSelectedTrack(TrackCallback callback, void* arg) {
  SpinBusyCursorIfDue();
  return ForEachTrackWhere(
      [](const uint8_t* e) { return IsSelected(e) && IsSelectedAudioReady(e); }, callback, arg);
}

int32_t ForEachSelectedDataTrack(TrackCallback callback, void* arg) {
  return ForEachTrackWhere(IsSelectedWithData, callback, arg);
}

int32_t ForEachSelectedTrackWithData(TrackCallback callback, void* arg) {
  SpinBusyCursorIfDue();
  return ForEachSelectedDataTrack(callback, arg);
}

int32_t ForEachTrackNumber(TrackCallback callback, void* arg, int32_t flag) {
  return ForEachTrackNumberIn(0, GetTrackNumberCount(flag), callback, arg);
}

namespace {
uint8_t gApplyGroup = 0;
bool IsInApplyGroup(const uint8_t* e) { return e[kTrackGroup] == gApplyGroup; }
}  // namespace

int32_t ApplyToTrackGroup(TrackSearchCallback callback, void* record) {
  uint8_t group = gCurrentTrack[kTrackGroup];
  if (group == 0 || !HasValidCurrentTrack()) return callback(record, gCurrentTrack);
  uint8_t saved = gApplyGroup;
  gApplyGroup = group;
  int32_t result = SearchTracksWhere(IsInApplyGroup, callback, record);
  gApplyGroup = saved;
  return result;
}
