#include "song/smf/smf_song_tracks.h"

#include <cstring>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/text/pascal_strings.h"
#include "shell/base/untitled_name.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/markers.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/output_kinds.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_edit_brackets.h"
#include "song/model/track_entries.h"
#include "song/smf/smf_meta_events.h"
#include "song/undo/undo_ring.h"

namespace {

constexpr int32_t kSongNameMax = 31;

bool IsBlankTrackName(const uint8_t* name) {
  for (int i = 0; i < kTrackNameLength; ++i)
    if (name[i] != ' ') return false;
  return true;
}

// The track name field equals the Pascal string s (blank-padded).
bool TrackNameEquals(const uint8_t* field, ConstStr255Param s) {
  uint8_t padded[kTrackNameLength];
  std::memset(padded, ' ', sizeof padded);
  int32_t n = s[0] > kTrackNameLength ? kTrackNameLength : s[0];
  std::memcpy(padded, s + 1, size_t(n));
  return std::memcmp(padded, field, sizeof padded) == 0;
}

OSErr ApplyChange(const SmfConductorChange& c) {
  int32_t tick = int32_t(c.tick);
  switch (c.kind) {
    case kSmfChangeTempo:
      return SetTempoAt(c.value, tick);
    case kSmfChangeMeter:
      gConductorState.beatsPerBar = c.beats;
      gConductorState.ticksPerBeat = c.value;
      gConductorState.ticksPerBar = int32_t(c.beats) * c.value;
      return StoreMeterAt(tick);
    case kSmfChangeKey:
      gConductorState.key = uint8_t(c.value);
      return SetKeySignatureAt(tick);
    default:
      return noErr;
  }
}

}  // namespace

OSErr ApplySmfConductorChanges(const std::vector<SmfConductorChange>& changes,
                               bool withTempoAndMeter) {
  for (const SmfConductorChange& c : changes) {
    if (!withTempoAndMeter && c.kind != kSmfChangeKey) continue;
    OSErr err = ApplyChange(c);
    if (err != noErr) return err;
  }
  return noErr;
}

void SetSmfDefaultConductor(int32_t ticksPerQuarter) {
  SmfConductorChange c;
  c.kind = kSmfChangeTempo;
  c.value = kSmfSlowTempoFallback;
  ApplyChange(c);
  c.kind = kSmfChangeMeter;
  c.beats = 4;
  c.value = uint16_t(ticksPerQuarter);
  ApplyChange(c);
  c.kind = kSmfChangeKey;
  c.value = 0;
  ApplyChange(c);
}

OSErr AddSmfMarkers(const std::vector<SmfTrackInfo>& chunks) {
  int32_t stored = 0;
  for (const SmfTrackInfo& info : chunks) {
    for (const SmfMarker& m : info.markers) {
      if (stored++ >= kSmfMaxMarkers) return noErr;
      OSErr err = StoreMarker(m.name, m.tick, m.kind, 0, 0, m.value, nullptr, 0);
      if (err != noErr) return err;
    }
  }
  return noErr;
}

void InstallSmfTrackList(Handle list, uint32_t endTick) {
  TrackEntryView track(gCurrentTrack);
  Handle old = track.EventList();
  if (old && old != list && !IsHandleInUndoRing(old)) DisposeHandle(old);
  track.SetEventList(list);
  track.SetEventBytes(uint32_t(GetHandleSize(list)));
  if (endTick > track.TickLength()) {
    track.SetTickLength(endTick);
    track.SetPlayFlags(uint8_t((track.PlayFlags() & ~kTrackPlayFlagNoTemplate) |
                               kTrackPlayFlagLengthIgnoresSections));
  }
}

void NameSmfTrack(const SmfTrackInfo& info, ConstStr255Param fileName) {
  if (info.trackName[0] > 0) SetTrackName(info.trackName);
  const uint8_t* field = gCurrentTrack + kTrackName;
  if (IsBlankTrackName(field) || TrackNameEquals(field, GetUntitledName())) SetTrackName(fileName);
}

void NameUnnamedSmfTrack(const SmfTrackInfo& info, ConstStr255Param fileName) {
  const uint8_t* field = gCurrentTrack + kTrackName;
  if (IsBlankTrackName(field) || TrackNameEquals(field, GetUntitledName()))
    NameSmfTrack(info, fileName);
}

void NameSmfSong(const SmfTrackInfo& first, ConstStr255Param fileName) {
  uint8_t* name = gCurrentSong + kSongName;
  if (name[0] != 0) return;
  ConstStr255Param source = first.hasSongName && first.songName[0] ? first.songName : fileName;
  int32_t n = source[0] > kSongNameMax ? kSongNameMax : source[0];
  name[0] = uint8_t(n);
  std::memcpy(name + 1, source + 1, size_t(n));
}

void AssignSmfInstrumentByName(const SmfTrackInfo& info) {
  if (info.instrumentName[0] == 0) return;
  for (int32_t i = 0; i < gInstrumentCount; ++i) {
    const uint8_t* record = GetInstrumentRecord(i);
    if (!record) break;
    const uint8_t* name = record + kInstName;
    if (name[0] != info.instrumentName[0] ||
        std::memcmp(name + 1, info.instrumentName + 1, name[0]) != 0)
      continue;
    TrackEntryView track(gCurrentTrack);
    track.SetInstrument(0, uint16_t(i << 8));
    track.SetChannelCount(1);
    track.SetFlags(track.Flags() | kTrackFlagPlaysInstrument);
    return;
  }
}

void SettleSmfTrackChannel(uint16_t channelMask) {
  TrackEntryView track(gCurrentTrack);
  if (track.Flags() & kTrackFlagPlaysInstrument) return;
  int32_t channel = -1;
  for (int32_t c = 0; c < 16; ++c) {
    if (!(channelMask & (1u << c))) continue;
    if (channel >= 0) return;  // several channels: the track keeps its setting
    channel = c;
  }
  gCurrentTrack[kTrackImportChannel] = channel < 0 ? kTrackNoChannel : uint8_t(channel);
  if (channel < 0) return;
  for (int32_t i = 0; i < gInstrumentCount; ++i) {
    const uint8_t* record = GetInstrumentRecord(i);
    if (!record) break;
    if (record[kInstDeviceKinds] == track.Type() && record[kInstPorts] == gCurrentTrack[kTrackMidiOutput] &&
        record[kInstChannels] == uint8_t(channel)) {
      track.SetInstrument(0, uint16_t(i << 8));
      return;
    }
  }
}

void SettleSmfTrackOutput() {
  UpdateTrackMuteFlag();
  WriteU32BE(gCurrentTrack + kTrackSetting208, GetDriverProcForKind(gCurrentTrack[kTrackType]));
}
