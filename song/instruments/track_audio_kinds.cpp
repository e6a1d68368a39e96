#include "song/instruments/track_audio_kinds.h"

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/plugin_records.h"
#include "song/instruments/rack_sharing.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_template.h"
#include "song/model/utility_track_access.h"

namespace {

constexpr uint8_t kRecordCountsAsPluginDevice = 0x08;

bool HasRealCurrentTrack() { return gCurrentSong && HasValidCurrentTrack() && gCurrentTrack != gTrackTemplate; }

uint8_t OutputKind() { return HasRealCurrentTrack() ? gCurrentTrack[kTrackOutputKind] : 0; }

// The record's bytes when it is as long as a record, else null.
const uint8_t* RecordBytes(Handle record) {
  if (!record || !IsValidHandle(record) || GetHandleSize(record) < kPluginRecordBytes) return nullptr;
  return reinterpret_cast<const uint8_t*>(HandleData(record));
}

}  // namespace

uint8_t GetTrackOutputDeviceKind() {
  if (!HasRealCurrentTrack()) return 0;
  int32_t instrument = GetTrackInstrumentOrNone();
  uint8_t* record = instrument >= 0 ? GetInstrumentRecord(instrument) : nullptr;
  return record ? InstrumentView(record).DeviceKind(0) : gCurrentTrack[kTrackType];
}

bool IsTrackFrozen() { return HasRealCurrentTrack() && (gCurrentTrack[kTrackOutputFlags] & kTrackOutputSecondRegions); }

Handle GetTrackAudioRecord() {
  return HasRealCurrentTrack() ? Handle(ReadU32BE(gCurrentTrack + kTrackInsertRack)) : Handle();
}

bool IsInstrumentTrack() {
  uint8_t kind = OutputKind();
  if (kind == kInstrumentTrackOutputKind) return true;
  if (kind == kAudioTrackOutputKind && IsTrackFrozen() && GetTrackOutputDeviceKind() == kDeviceKindPlugin) return true;
  const uint8_t* record = RecordBytes(GetTrackAudioRecord());
  return record && (record[kPluginRecordFlags] & kRecordCountsAsPluginDevice);
}

bool DoesTrackInstrumentRenderAudio() {
  uint8_t device = GetTrackOutputDeviceKind();
  return device == kDeviceKindPlugin || device == kDeviceKindReWire;
}

bool DoesTrackPlayAudio() {
  return OutputKind() == kAudioTrackOutputKind || (IsInstrumentTrack() && DoesTrackInstrumentRenderAudio());
}

bool TrackAudioHasPluginsOrRegions() {
  const uint8_t* record = RecordBytes(GetTrackAudioRecord());
  if (!record) return false;
  bool plugins = ReadU32BE(record + kRackChainCell) != 0 || ReadU32BE(record + kPluginRecordRackState) != 0;
  return plugins || ReadU32BE(record + kPluginRecordRegions) != 0;
}
