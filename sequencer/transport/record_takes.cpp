#include "sequencer/transport/record_takes.h"

#include <cstdio>
#include <cstring>

#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/track_entries.h"
#include "song/model/track_event_replacement.h"
#include "song/model/track_numbers.h"
#include "song/model/track_output_assignment.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"

TakeList gTakeList;
uint16_t gTakeWindowOptions = 0;

namespace {

// Makes the track with number current in the take list's song; false when it is gone.
bool SelectTakeTrack(uint8_t number) {
  if (!gTakeList.song || !*gTakeList.song) return false;
  SelectSong(gTakeList.song);
  int32_t index = 0;
  if (!FindTrackWithNumber(number, &index)) return false;
  SetCurrentTrackIndex(index);
  return true;
}

// Sets or clears the mute bit of take i.
void SetTakeMute(int32_t i, bool mute) {
  if (i < 0 || i >= gTakeList.count || PushSongContext() != noErr) return;
  if (SelectTakeTrack(gTakeList.tracks[i])) {
    uint8_t flags = gCurrentTrack[kTrackFlags];
    gCurrentTrack[kTrackFlags] = mute ? uint8_t(flags | kTrackFlagMute) : uint8_t(flags & ~kTrackFlagMute);
    UpdateTrackMuteFlag();
    SetSongModified();
    InvalidateTrackWindow();
  }
  PopSongContext();
}

void NameTake(int32_t n) {
  char text[32];
  int32_t length = std::snprintf(text, sizeof text, "Take %d", int(n));
  Str255 name{};
  name[0] = uint8_t(length);
  std::memcpy(name + 1, text, size_t(length));
  SetTrackName(name);
}

// A new track with the source's output (the current song's track sourceNumber); false when
// the source is gone, no track number is free or memory is short.
bool AddTakeTrack(uint8_t sourceNumber) {
  int32_t index = 0;
  if (!FindTrackWithNumber(sourceNumber, &index) || FindFreeTrackNumber() < 0) return false;
  const uint8_t* source = GetTrackEntryAt(index);
  uint8_t output = source[kTrackMidiOutput], type = source[kTrackType];
  uint8_t channel = source[kTrackSetting70] & 0x0F;
  if (AddTrackEntry(kTrackEntrySize) != noErr) return false;
  ClaimTrackNumber();
  TrackEntryView(gCurrentTrack).SetEventBytes(0);
  SetTrackOutput(output, channel, type);
  return true;
}

void RemoveTake(int32_t i) {
  std::memmove(gTakeList.tracks + i, gTakeList.tracks + i + 1, size_t(gTakeList.count - i - 1));
  --gTakeList.count;
  // The index moves back to the take before (never below 0).
  gTakeList.index = uint8_t(i > 0 ? i - 1 : 0);
}

void DeleteCurrentTake() {
  if (gTakeList.count == 0 || PushSongContext() != noErr) return;
  int32_t i = gTakeList.index;
  if (SelectTakeTrack(gTakeList.tracks[i])) {
    DisposeTrackContents(nullptr);
    RemoveCurrentTrack();
    RebuildTrackNumberMap();
    SetSongModified();
  }
  PopSongContext();
  RemoveTake(i);
  InvalidateTrackWindow();
  InvalidateEditorWindow();
}

}  // namespace

void StartTakeList(Handle song) {
  gTakeList = TakeList();
  gTakeList.song = song;
}

OSErr AddTake(uint8_t sourceNumber, const std::vector<uint8_t>& records) {
  if (gTakeList.count >= kMaxTakes || !AddTakeTrack(sourceNumber)) return memFullErr;
  uint8_t number = gCurrentTrack[kTrackNumber];
  OSErr err = ReplaceCurrentTrackEvents(records);
  if (err != noErr) {
    DisposeTrackContents(nullptr);
    RemoveCurrentTrack();
    RebuildTrackNumberMap();
    return err;
  }
  NameTake(gTakeList.count + 1);
  SetSongModified();
  int32_t previous = gTakeList.count - 1;
  gTakeList.tracks[gTakeList.count++] = number;
  if (previous >= 0) SetTakeMute(previous, true);
  if (gTakeWindowOptions & kTakeOptionAutoSelect || gTakeList.count == 1) gTakeList.index = uint8_t(gTakeList.count - 1);
  InvalidateTrackWindow();
  return noErr;
}

void SelectPreviousTake() {
  if (gTakeList.index > 0) --gTakeList.index;
}

void SelectNextTake() {
  if (gTakeList.count == 0) return;
  gTakeList.index = IsLastTake() ? 0 : uint8_t(gTakeList.index + 1);
}

bool IsLastTake() { return gTakeList.index + 1 >= gTakeList.count; }

bool IsCurrentTakeMuted() {
  if (gTakeList.count == 0 || PushSongContext() != noErr) return false;
  bool muted = SelectTakeTrack(gTakeList.tracks[gTakeList.index]) && (gCurrentTrack[kTrackFlags] & kTrackFlagMute);
  PopSongContext();
  return muted;
}

void MuteTake() { SetTakeMute(gTakeList.index, true); }
void UnmuteTake() { SetTakeMute(gTakeList.index, false); }

void DeleteAllTakes() { StartTakeList(Handle()); }

OSErr TakeWindowCommand(int32_t command) {
  switch (command) {
    case kTakeCommandToggleMute: IsCurrentTakeMuted() ? UnmuteTake() : MuteTake(); return noErr;
    case kTakeCommandDelete: DeleteCurrentTake(); return noErr;
    case kTakeCommandAutoSelect: gTakeWindowOptions ^= kTakeOptionAutoSelect; return noErr;
    default: return kTakeCommandNotHandled;
  }
}
