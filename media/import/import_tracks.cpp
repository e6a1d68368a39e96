#include "media/import/import_tracks.h"

#include <cstring>

#include "audio/devices/audio_driver.h"
#include "media/track_audio/track_audio.h"
#include "song/model/audio_region.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/plugin_records.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/track_entries.h"
#include "song/model/track_numbers.h"
#include "song/model/track_template.h"
#include "song/model/utility_track_access.h"

namespace {

constexpr uint8_t kNoOutputDeviceKind = 127;

Handle TrackAudioAt(const uint8_t* track, int32_t slot) { return Handle(ReadU32BE(track + slot)); }

Handle RecordRegions(Handle record) {
  if (!record || !IsValidHandle(record) || GetHandleSize(record) < kTrackAudioBytes) return Handle();
  return Handle(ReadU32BE(HandleData(record) + kTrackAudioRegionsAt));
}

bool TrackIsReusable() {
  if (!HasValidCurrentTrack()) return false;
  return IsEmptyTrack(gCurrentTrack) && !TrackAudioAt(gCurrentTrack, kTrackRegionList);
}

OSErr AppendImportTrack() {
  if (FindFreeTrackNumber() < 0) return memFullErr;
  if (AddTrackEntry(kTrackEntrySize) != noErr) return memFullErr;
  return ClaimTrackNumber() == 0 ? OSErr(noErr) : OSErr(memFullErr);
}

void ApplyDeviceKind(uint8_t kind) {
  uint8_t old = gCurrentTrack[kTrackType];
  bool oldIn = IsAudioGroupDeviceKind(old), newIn = IsAudioGroupDeviceKind(kind);
  if ((!oldIn && !newIn) || (oldIn && newIn && old == kind)) return;
  gCurrentTrack[kTrackType] = kind;
  if (kind == kNoOutputDeviceKind) gCurrentTrack[kTrackFlags] &= uint8_t(~kTrackFlagPlaysInstrument);
  if (IsAudioGroupDeviceKind(kind)) gCurrentTrack[kTrackOutputKind] = kAudioTrackOutputKind;
}

}  // namespace

bool IsAudioGroupDeviceKind(uint8_t kind) {
  return (kind >= 13 && kind <= 17) || (kind >= 19 && kind <= 21) || kind == 23 || kind == 24;
}

void GetImportDeviceKind(uint8_t* kind, uint8_t* port) {
  *kind = gDefaultInstrumentDevice[0];
  *port = gDefaultInstrumentDevice[1];
  if (*kind == kDeviceKindAudio || *kind == 23 || *kind == 24) return;
  *kind = kDriverIdCoreAudio;
  *port = 0;
}

bool IsCurrentTrackEmptyAudio() {
  Handle record = TrackAudioAt(gCurrentTrack, kTrackRegionList);
  if (!record) return true;
  if (gCurrentTrack[kTrackOutputKind] == kAudioTrackOutputKind) return false;
  if (!IsValidHandle(record) || GetHandleSize(record) < kTrackAudioBytes) return true;
  const uint8_t* p = reinterpret_cast<const uint8_t*>(HandleData(record));
  Handle regions = RecordRegions(record);
  return !(gCurrentTrack[kTrackOutputFlags] & kTrackOutputSecondRegions) && ReadU32BE(p + 4) == 0 &&
         (!regions || CountAudioRegions(regions) == 0);
}

OSErr PrepareImportTrack(uint8_t deviceKind) {
  if (!gCurrentSong) return memFullErr;
  if (HasValidCurrentTrack() && IsCurrentTrackEmptyAudio()) {
    uint8_t* slot = gCurrentTrack + kTrackRegionList;
    if (Handle record = TrackAudioAt(gCurrentTrack, kTrackRegionList)) DisposePluginRecord(record);
    WriteU32BE(slot, 0);
  }
  OSErr err = noErr;
  if (TrackIsReusable()) gCurrentTrackNumber = gCurrentTrack[kTrackNumber];
  else err = AppendImportTrack();
  if (err != noErr) return err;
  ApplyDeviceKind(deviceKind);
  ResetTrackTemplate();
  return noErr;
}

void SetTrackNameFromFile(uint8_t* track, const FSSpec* file) {
  Str255 name;
  std::memcpy(name, file->name, size_t(file->name[0]) + 1);
  for (int32_t i = name[0]; i > 1; --i)
    if (name[i] == '.') {
      name[0] = uint8_t(i - 1);
      break;
    }
  uint8_t* saved = gCurrentTrack;
  gCurrentTrack = track;
  SetTrackName(name);
  gCurrentTrack = saved;
}

void SetCurrentTrackNameFromFile(const FSSpec* file) {
  if (HasValidCurrentTrack()) SetTrackNameFromFile(gCurrentTrack, file);
}

int32_t FindAudioTrackByRate(int32_t rate, int32_t* songIndex, int32_t* nextCount) {
  *songIndex = gCurrentSongIndex;
  *nextCount = GetSongTrackCount() + 1;
  for (int32_t i = 0; i < GetSongTrackCount(); ++i) {
    const uint8_t* track = GetTrackEntryAt(i);
    Handle record = track ? TrackAudioAt(track, kTrackRegionList) : Handle();
    if (!record || track[kTrackOutputKind] != kAudioTrackOutputKind || !RecordRegions(record)) continue;
    float own = ReadF32BE(HandleData(record) + kTrackAudioRateAt);
    if (int32_t(own) == rate) return i;
  }
  return -1;
}
