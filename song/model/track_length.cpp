#include "song/model/track_length.h"

#include "platform/memory/memory.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/markers.h"
#include "song/events/event_lists.h"
#include "song/model/editor_hooks.h"
#include "song/model/region_lists.h"
#include "song/model/redraw_hooks.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/transport_hooks.h"
#include "song/model/track_sections.h"
#include "song/model/track_iterators.h"
#include "song/model/track_template.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"

namespace {

constexpr uint32_t kMaxTrackLength = 0x7ffffffe;

// While a section track plays (or section mode runs it), its length field holds the play
// limit of the section it is in; its own length is the one saved with the section list.
bool PlaysBySections(const uint8_t* entry) {
  if (!(entry[kTrackModeFlags] & kTrackModeSection)) return false;
  return gSectionMode || IsClockPlayingSong(gCurrentSongHandle);
}

uint32_t TrackLengthOf(const uint8_t* entry) {
  uint32_t length = 0;
  if (PlaysBySections(entry) && GetSectionListSavedLength(GetTrackSectionList(entry), &length))
    return length;
  return ReadU32BE(entry + kTrackTickLength);
}

// The bar line at or after t: BarToTick (TickToBarRoundedUp (t + 1)), lowered by whole bars
// while it overflows. Without a usable bar length the tick is taken as it is.
int32_t RoundUpToBarLine(int32_t t) {
  int32_t rounded = BarToTick(TickToBarRoundedUp(t + 1));
  while (rounded < 0 || uint32_t(rounded) > kMaxTrackLength) {
    int32_t bar = gConductorState.ticksPerBar;
    if (bar <= 0 || t <= bar) return t;
    t -= bar;
    rounded = BarToTick(TickToBarRoundedUp(t + 1));
  }
  return rounded;
}

}  // namespace

uint32_t GetTrackLength() { return TrackLengthOf(gCurrentTrack); }

void StoreTrackLength(uint32_t t) {
  if (gCurrentTrack[kTrackPlayFlags] & kTrackPlayFlagLengthIgnoresSections) return;
  WriteU32BE(gCurrentTrack + kTrackTickLength, t);
  if (Handle sections = GetTrackSectionList(gCurrentTrack))
    WriteU32BE(reinterpret_cast<uint8_t*>(HandleData(sections)) + kSectionSavedLength, t);
}

void SetTrackLength(uint32_t t) {
  if (t > kMaxTrackLength) t = kMaxTrackLength;
  uint32_t rounded = uint32_t(RoundUpToBarLine(int32_t(t)));
  if (rounded > kMaxTrackLength) rounded = kMaxTrackLength;
  if (rounded == GetTrackLength()) return;
  StoreTrackLength(rounded);
  UpdateSongEnd();
  RedrawAll(0);
}

void ClearTrackLengthFlag() {
  gCurrentTrack[kTrackPlayFlags] &= uint8_t(~kTrackPlayFlagLengthIgnoresSections);
}

void TrackLengthAtLeast(uint32_t t) {
  if (t <= GetTrackLength()) return;
  ClearTrackLengthFlag();
  StoreTrackLength(t);
}

void UpdateSongEnd() {
  if (!gCurrentSong) return;
  uint32_t end = ReadU32BE(gCurrentSong + kSongConductorEnd);
  uint32_t markers = GetLastMarkerEnd();
  if (markers > end) end = markers;
  int32_t count = GetSongTrackCount();
  for (int32_t i = 0; i < count; ++i) {
    const uint8_t* entry = GetTrackEntryAt(i);
    if (!entry) break;
    uint32_t length = TrackLengthOf(entry);
    if (length > end) end = length;
  }
  if (end > kMaxTrackLength) end = kMaxTrackLength;
  int32_t bars = TickToBarRoundedUp(int32_t(end));
  if (bars < 1) bars = 1;
  SongHeaderView(gCurrentSong).SetBars(uint32_t(bars));
  int32_t endTick = BarToTick(bars);
  SetSongEndTick(endTick > 0 ? uint32_t(endTick) : kMaxTrackLength);
}

void SetSongEndTick(uint32_t t) {
  if (!gCurrentSong) return;
  WriteU32BE(gCurrentSong + kSongEndTick, t);
  NoteSongEndChanged(gCurrentSongHandle, t);
  InvalidateSongListWindow();
  if (gRedrawHooks.songLengthChanged) gRedrawHooks.songLengthChanged();
}

void ComputeTrackEnd() {
  if (!gCurrentSong || gCurrentTrack == gTrackTemplate) return;
  uint32_t before = GetTrackLength();
  TrackEntryView track(gCurrentTrack);
  uint32_t end = 0;
  uint32_t regions = GetRegionListEnd(track.ActiveRegionList());
  if (regions > 0) end = regions - 1;
  end = LastEventEnd(track.EventList(), end);
  if (!(track.PlayFlags() & kTrackPlayFlagLengthIgnoresSections)) {
    uint32_t sections = GetLastSectionEnd(GetTrackSectionList(gCurrentTrack));
    if (sections > 0 && sections - 1 > end) end = sections - 1;
  }
  if (end != 0)
    SetTrackLength(end);
  else
    StoreTrackLength(0);
  if (GetTrackLength() != before) InvalidateCurrentTrackRow();
}

void UpdateTrackEnd(uint32_t t) {
  if (t >= GetTrackLength()) ClearTrackLengthFlag();
  ComputeTrackEnd();
}

namespace {

struct LongestTrack {
  uint32_t length = 0;
  bool loops = false;
};

int32_t TakeLongerTrack(void* arg, uint8_t* entry) {
  auto* longest = static_cast<LongestTrack*>(arg);
  uint32_t length = ReadU32BE(entry + kTrackTickLength);
  if (length > longest->length) *longest = LongestTrack{length, (entry[kTrackFlags] & kTrackFlag40) != 0};
  return 0;
}

}  // namespace

bool TestLongestTrackFlag() {
  if (!gCurrentSong) return false;
  LongestTrack longest;
  SearchSongTracks(TakeLongerTrack, &longest);
  return longest.loops;
}
