#include "song/model/track_template.h"

#include <cstring>

#include "platform/memory/memory.h"
#include "shell/base/untitled_name.h"
#include "song/conductor/conductor_map.h"
#include "song/events/event_index.h"
#include "song/events/seq_event.h"
#include "song/model/region_lists.h"
#include "song/model/song_context.h"
#include "song/model/songs.h"
#include "song/model/track_entries.h"
#include "song/model/track_numbers.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"

uint8_t gTrackTemplate[kTrackEntrySize];

namespace {

void CopyByte(uint8_t* to, const uint8_t* from, int32_t off) { to[off] = from[off]; }
void CopyBytes(uint8_t* to, const uint8_t* from, int32_t off, int32_t n) {
  std::memcpy(to + off, from + off, size_t(n));
}
void CopyBits(uint8_t* to, const uint8_t* from, int32_t off, uint8_t mask) {
  to[off] = uint8_t((to[off] & ~mask) | (from[off] & mask));
}

// The track's settings that new tracks take over.
void CopySettingsToTemplate(const uint8_t* track) {
  uint8_t* t = gTrackTemplate;
  CopyByte(t, track, kTrackNumber);
  CopyBytes(t, track, kTrackInstrumentWord176, 8);
  CopyByte(t, track, kTrackScrollByte);
  CopyByte(t, track, kTrackPlayFlags);
  CopyByte(t, track, kTrackMidiOutput);
  CopyBits(t, track, kTrackModeFlags,
           kTrackModeSection | kTrackModeTemplateBit | kTrackModeArmed | kTrackModePref40 |
               kTrackModePref80);
  CopyBytes(t, track, kTrackSetting68, 2);
  CopyByte(t, track, kTrackProgram);
  CopyByte(t, track, kTrackViewMode);
  CopyByte(t, track, kTrackSigned107);
  CopyBytes(t, track, kTrackSetting116, 4);
  CopyByte(t, track, kTrackOutputKind);
  CopyBytes(t, track, kTrackLastProgram, 2);
  CopyByte(t, track, kTrackSetting168);
  CopyBytes(t, track, kTrackFirstEventOffset, 4);
  CopyBytes(t, track, kTrackPlayCursorStart, 4);
  CopyBytes(t, track, kTrackSetting208, 4);
  CopyBits(t, track, kTrackFlags, kTrackFlagInstrumentSet | kTrackFlagSilent);
  // A length of at most one bar (the meter in force) is an empty track's length.
  uint32_t length = ReadU32BE(track + kTrackTickLength);
  if (int64_t(length) <= int64_t(gConductorState.ticksPerBar)) CopyBytes(t, track, kTrackTickLength, 4);
}

bool TemplateEqualsTrack(const uint8_t* track) {
  int32_t length = ReadI16BE(track + kTrackLength);
  if (length != kTrackEntrySize) return false;
  return std::memcmp(gTrackTemplate, track, size_t(kTrackEntrySize)) == 0;
}

}  // namespace

bool IsEmptyTrack(const uint8_t* e) {
  Handle events(ReadU32BE(e + kTrackEventList));
  if (events && GetHandleSize(events) > kEmptyEventListSize) return false;
  if (ReadU32BE(e + kTrackSectionList) || ReadU32BE(e + kTrackDrumData)) return false;
  if (RegionListHasRegions(Handle(ReadU32BE(e + kTrackRegionList)))) return false;
  return !ReadU32BE(e + kTrackRegionList2) && !ReadU32BE(e + kTrackExtraBlock);
}

bool SaveTrackTemplate(bool blankName) {
  const uint8_t* track = gCurrentTrack;
  if (track == gTrackTemplate) return true;
  if (ReadU32BE(track + kTrackEventList) || (track[kTrackPlayFlags] & kTrackPlayFlagNoTemplate))
    return false;
  CopySettingsToTemplate(track);
  if (blankName)
    std::memset(gTrackTemplate + kTrackName, ' ', kTrackNameLength);
  else
    CopyBytes(gTrackTemplate, track, kTrackName, kTrackNameLength);
  if (TemplateEqualsTrack(track)) return true;
  // Once more with the default name, which a track gets with its first event list.
  ConstStringPtr name = GetUntitledName();
  int32_t length = name[0] < kTrackNameLength ? name[0] : kTrackNameLength;
  std::memset(gTrackTemplate + kTrackName, ' ', kTrackNameLength);
  std::memcpy(gTrackTemplate + kTrackName, name + 1, size_t(length));
  return TemplateEqualsTrack(track);
}

void ResetTrackTemplate() {
  uint8_t* saved = gCurrentTrack;
  gCurrentTrack = gTrackTemplate;
  InitTrackEntry(kTrackEntrySize, 0, -1);
  gCurrentTrack = saved;
}

// A track whose contents were disposed here but which stays (armed, or with settings that
// differ from the template) is left without an event list: every reader of a track accepts
// a null list as an empty one.
void RemoveEmptyTracks() {
  if (gSectionMode || !gCurrentSong) return;
  bool removed = false;
  int32_t i = 0;
  while (GetSongTrackCount() > 1 && i < GetSongTrackCount()) {
    SetCurrentTrackIndex(i);
    if (!HasValidCurrentTrack() || !IsEmptyTrack(gCurrentTrack)) {
      ++i;
      continue;
    }
    DisposeTrackContents(nullptr);
    WriteU32BE(gCurrentTrack + kTrackEventBytes, 0);
    if (!(gCurrentTrack[kTrackModeFlags] & kTrackModeArmed) && SaveTrackTemplate(true)) {
      RemoveCurrentTrack();
      removed = true;
      continue;
    }
    ++i;
  }
  if (removed) {
    RebuildEventIndexes();
    InvalidateTrackWindow();
  }
  RebuildTrackNumberMap();
  ResetTrackTemplate();
  SelectTrackNumber(gCurrentTrackNumber);
}
