#include "song/model/track_settings.h"

#include <algorithm>
#include <cstring>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/model/child_sequences.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/track_entries.h"
#include "song/model/track_play_settings.h"
#include "song/model/track_template.h"
#include "song/model/utility_iteration.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"
#include "song/undo/undo_ring.h"
#include "song/undo/undo_steps.h"

namespace {

constexpr int32_t kTrackChannelByte = kTrackSetting70;
constexpr int32_t kTrackSettingUndoKind = 0;  // named "Edit" in the undo texts

bool HasRealCurrentTrack() {
  return gCurrentSong && HasValidCurrentTrack() && gCurrentTrack && gCurrentTrack != gTrackTemplate;
}

bool IsAudioTrack() { return TrackEntryView(gCurrentTrack).RegionList().id != 0; }

struct SettingChange {
  TrackSettingKind kind;
  int16_t value;
  OSErr result;
};

OSErr ApplySetting(TrackSettingKind kind, int16_t value) {
  switch (kind) {
    case kTrackSettingChannel:
      return value < 0 || value > 255 ? paramErr : SetTrackChannel(uint8_t(value));
    case kTrackSettingTranspose:
      return SetTrackTranspose(value);
    case kTrackSettingVelocityOffset:
      return SetTrackVelocityOffset(value);
    case kTrackSettingPlayGrid:
      return SetTrackPlayGrid(value);
    case kTrackSettingPlayMode:
      return value < 0 || value > 255 ? paramErr : SetTrackPlayMode(uint8_t(value));
  }
  return paramErr;
}

bool IsSettingInRange(TrackSettingKind kind, int16_t value) {
  switch (kind) {
    case kTrackSettingChannel:
      return value >= 0 && value <= (IsAudioTrack() ? 255 : 15);
    case kTrackSettingTranspose:
      return value >= -kMaxTrackTranspose && value <= kMaxTrackTranspose;
    case kTrackSettingVelocityOffset:
      return value >= -kMaxTrackVelocityOffset && value <= kMaxTrackVelocityOffset;
    case kTrackSettingPlayGrid:
      return value >= 0 && value <= kMaxTrackPlayGrid;
    case kTrackSettingPlayMode:
      return value >= 0 && value <= kMaxTrackPlayMode;
  }
  return false;
}

int16_t CurrentSetting(TrackSettingKind kind) {
  switch (kind) {
    case kTrackSettingChannel:
      return GetTrackChannel();
    case kTrackSettingTranspose:
      return GetTrackTranspose();
    case kTrackSettingVelocityOffset:
      return GetTrackVelocityOffset();
    case kTrackSettingPlayGrid:
      return GetTrackPlayGrid();
    case kTrackSettingPlayMode:
      return GetTrackPlayMode();
  }
  return 0;
}

int32_t RunSettingChange(void* context) {
  auto* change = static_cast<SettingChange*>(context);
  SetCurrentUndoKind(kTrackSettingUndoKind);
  change->result = ApplySetting(change->kind, change->value);
  return change->result;
}

struct DeviceCount {
  uint8_t device;
  bool ownOnly;
  int16_t count;
};

int32_t CountTrackOnDevice(void* arg) {
  auto* c = static_cast<DeviceCount*>(arg);
  const uint8_t* t = gCurrentTrack;
  if (!t || t == gTrackTemplate || t[kTrackType] != kDeviceKindPlugin || t[kTrackMidiOutput] != c->device) return 0;
  if (!c->ownOnly || !(t[kTrackFlags] & kTrackFlagAudible)) ++c->count;
  return 0;
}

int16_t CountPluginTracks(uint8_t device, bool ownOnly) {
  DeviceCount count{device, ownOnly, 0};
  if (gCurrentSong) ForEachTrack(CountTrackOnDevice, &count);
  return count.count;
}

}  // namespace

int16_t CountTracksOnDevice(uint8_t device) { return CountPluginTracks(device, false); }

int16_t CountOwnTracksOnDevice(uint8_t device) { return CountPluginTracks(device, true); }

OSErr SetTrackChannel(uint8_t channel) {
  if (!HasRealCurrentTrack()) return paramErr;
  uint8_t old = gCurrentTrack[kTrackChannelByte];
  uint8_t now = channel;
  if (!IsAudioTrack()) {
    if (channel > 15) return paramErr;
    now = uint8_t((old & 0xF0) | channel);
  }
  if (now == old) return noErr;
  gCurrentTrack[kTrackChannelByte] = now;
  SetSongModified();
  return noErr;
}

uint8_t GetTrackChannel() {
  if (!HasRealCurrentTrack()) return 0;
  uint8_t value = gCurrentTrack[kTrackChannelByte];
  return IsAudioTrack() ? value : uint8_t(value & 0x0F);
}

uint8_t gShownTrackChannel = 0;

void ChooseTrackChannel() {
  gShownTrackChannel = 0;
  if (!HasRealCurrentTrack()) return;
  if (!(gCurrentTrack[kTrackFlags] & kTrackFlagPlaysInstrument)) {
    gShownTrackChannel = GetTrackChannel() & 0x0F;
    return;
  }
  uint8_t* instrument = GetInstrumentRecord(GetTrackInstrument(gCurrentTrack, 0));
  if (!instrument) return;
  InstrumentView view(instrument);
  gShownTrackChannel = view.Channel(0) & 0x0F;
  if (view.Program() >= 0) gCurrentTrack[kTrackProgram] = uint8_t(view.Program());
}

void SetTrackInstrumentFlag() {
  if (HasRealCurrentTrack()) gCurrentTrack[kTrackFlags] |= kTrackFlagInstrumentSet;
}

void SetTrackNameFromText(const char* text, int32_t length) {
  Str255 name = {};
  int32_t n = std::clamp<int32_t>(text ? length : 0, 0, kTrackNameLength);
  name[0] = uint8_t(n);
  if (n > 0) std::memcpy(name + 1, text, size_t(n));
  SetTrackNameIfAllowed(name);
}

void NormalizeTrackInstruments() {
  if (!HasRealCurrentTrack() || gInstrumentCount <= 0) return;  // no table to clamp against
  int32_t channels = std::min<int32_t>(gCurrentTrack[kTrackChannelCount], kTrackInstrumentSlots);
  int32_t last = gInstrumentCount - 1;
  for (int32_t c = 0; c < channels; ++c) {
    uint8_t* word = gCurrentTrack + kTrackInstruments + 2 * c;
    if (word[0] > last) word[0] = uint8_t(last);  // the instrument is the word's high byte
  }
}

void PrepareTrackHandles() {
  if (!HasRealCurrentTrack()) return;
  TrackEntryView track(gCurrentTrack);
  if (Handle events = track.EventList(); events && IsValidHandle(events)) HLockHi(events);
  // Words read with the song are never trusted as positions: the play cursor starts unplaced.
  WriteU32BE(gCurrentTrack + kTrackFirstEventOffset, 0);
  WriteU32BE(gCurrentTrack + kTrackPlayCursorStart, 0);
  NormalizeTrackInstruments();
  if (Handle drums = track.DrumData(); drums && IsValidHandle(drums)) HLockHi(drums);
}

bool HasSectionMode() {
  return gSectionMode && HasRealCurrentTrack() && (gCurrentTrack[kTrackModeFlags] & kTrackModeSection);
}

void MarkChildSongChanged() {
  if (!gSectionMode || !IsChildSequenceSelected() || !gCurrentSong) return;
  gCurrentSong[kSongFlags] |= kSongFlagEditedWhilePlaying;
  SetSongModified();
}

bool IsAlternateRegionListActive() {
  return HasRealCurrentTrack() && (gCurrentTrack[kTrackOutputFlags] & kTrackOutputSecondRegions);
}

uint8_t* GetRegionListCell(int32_t which) {
  if (!HasRealCurrentTrack()) return nullptr;
  return gCurrentTrack + (which ? kTrackRegionList2 : kTrackRegionList);
}

Handle GetActiveRegionList() {
  return HasRealCurrentTrack() ? TrackEntryView(gCurrentTrack).ActiveRegionList() : Handle();
}

Handle GetTrackMovie() { return Handle(); }

OSErr ChangeTrackSetting(TrackSettingKind kind, int16_t value) {
  if (!HasRealCurrentTrack() || !IsSettingInRange(kind, value)) return paramErr;
  if (CurrentSetting(kind) == value) return noErr;  // no step for a change that changes nothing
  SettingChange change{kind, value, noErr};
  if (!RunUndoableEditForCurrentTrack(RunSettingChange, &change)) return memFullErr;
  if (change.result == noErr) {
    InvalidateEditorWindow();
    InvalidateTrackWindow();
  }
  return change.result;
}
