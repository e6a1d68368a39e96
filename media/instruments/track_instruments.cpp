#include "media/instruments/track_instruments.h"

#include <cstring>

#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/instrument_volumes.h"
#include "song/instruments/output_kinds.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_output_assignment.h"
#include "song/model/utility_iteration.h"

namespace {

constexpr uint8_t kCentrePan = 64;
constexpr int16_t kFullVolume = 127;

const uint8_t* TrackInstrumentRecord(const uint8_t* track, int32_t slot) {
  if (!(track[kTrackFlags] & kTrackFlagPlaysInstrument) && slot == 0) return nullptr;
  int32_t index = TrackEntryView(const_cast<uint8_t*>(track)).Instrument(slot) >> 8;
  if (slot != 0 && index == 0) return nullptr;
  return index < gInstrumentCount ? GetInstrumentRecord(index) : nullptr;
}

// Another track's outputs: its alternate instrument while its alternate list plays, its main
// instrument, or its own output when it plays none.
int32_t MarkTrackChannels(void* arg) {
  auto* scan = static_cast<ChannelUseScan*>(arg);
  const uint8_t* track = gCurrentTrack;
  if (!track || track == scan->track) return 0;
  if (track[kTrackOutputFlags] & kTrackOutputSecondRegions)
    if (const uint8_t* alternate = TrackInstrumentRecord(track, kAlternateInstrumentSlot))
      MarkChannelIfSameDevice(alternate, scan);
  if (const uint8_t* main = TrackInstrumentRecord(track, 0)) {
    MarkChannelIfSameDevice(main, scan);
  } else if (track[kTrackType] == scan->deviceKind && track[kTrackMidiOutput] == scan->port &&
             track[kTrackOutputKind] == kAudioTrackOutputKind) {
    scan->used[track[kTrackSetting70] % kDeviceChannelCount] = 1;
  }
  return 0;
}

int32_t MarkRackInstrument(void* arg, uint8_t* record) {
  if (ReadU32BE(record + kInstInsertRack) != 0) MarkChannelIfSameDevice(record, static_cast<ChannelUseScan*>(arg));
  return 0;
}

int32_t MatchSameOutput(void* arg, uint8_t* record) {
  const auto* scan = static_cast<const ChannelUseScan*>(arg);
  InstrumentView v(record);
  bool same = v.HasFlag(kInstFlagActive) && v.DeviceKind(0) == scan->deviceKind && v.Port(0) == scan->port &&
              v.Channel(0) == scan->channel;
  return same ? gCurrentInstrument + 1 : 0;  // the walk restores the current instrument
}

void SetCentredFullVolume(int32_t index) {
  uint8_t* record = GetInstrumentRecord(index);
  if (!record) return;
  SetInstrumentVolume(record, kFullVolume);
  record[kInstPan] = kCentrePan;
}

}  // namespace

void ReadInstrumentOutputFields(const uint8_t* instrument, uint8_t* port, uint8_t* device, uint8_t* channel) {
  *port = instrument[kInstPorts];
  *device = instrument[kInstDeviceKinds];
  *channel = instrument[kInstChannels];
}

void MarkChannelIfSameDevice(const uint8_t* instrument, ChannelUseScan* scan) {
  uint8_t port = 0, device = 0, channel = 0;
  ReadInstrumentOutputFields(instrument, &port, &device, &channel);
  if (device == scan->deviceKind && port == scan->port) scan->used[channel % kDeviceChannelCount] = 1;
}

bool GetAlternateInstrumentOutput(const uint8_t* track, uint8_t* port, uint8_t* device, uint8_t* channel) {
  const uint8_t* record = TrackInstrumentRecord(track, kAlternateInstrumentSlot);
  if (!record) return false;
  gCurrentInstrument = TrackEntryView(const_cast<uint8_t*>(track)).Instrument(kAlternateInstrumentSlot) >> 8;
  ReadInstrumentOutputFields(record, port, device, channel);
  return true;
}

int32_t FindFreeInstrumentChannel(uint8_t* track, uint8_t deviceKind, uint8_t port, bool alternate,
                                  ChannelUseScan* scan) {
  if (!alternate) {
    gDefaultInstrumentDevice[0] = deviceKind;
    gDefaultInstrumentDevice[1] = port;
  }
  *scan = ChannelUseScan();
  scan->deviceKind = deviceKind;
  scan->port = port;
  scan->track = track;
  scan->alternate = alternate;
  uint8_t* savedTrack = gCurrentTrack;
  if (gCurrentSong) ForEachTrack(MarkTrackChannels, scan);
  gCurrentTrack = savedTrack;
  FindInstrument(MarkRackInstrument, scan);
  for (int32_t channel = 0; channel < kDeviceChannelCount; ++channel) {
    if (scan->used[channel]) continue;
    if (!alternate && track) track[kTrackSetting70] = uint8_t(channel);
    return channel;
  }
  return alternate ? -1 : kDeviceChannelCount;
}

bool FindInstrumentWithSameOutput(const ChannelUseScan* scan) {
  int32_t found = FindInstrument(MatchSameOutput, const_cast<ChannelUseScan*>(scan));
  if (found == 0) return false;
  gCurrentInstrument = found - 1;
  return true;
}

int16_t CreateTrackInstrument(uint8_t* track, uint8_t deviceKind, uint8_t port, uint8_t channel) {
  uint8_t record[kInstrumentSize];
  InitInstrumentRecord(record, channel, deviceKind, port, GetOutputKindName(deviceKind, port), 0);
  int32_t before = gInstrumentCount;
  if (OSErr err = AddInstrumentRecord(record)) return err;
  if (gInstrumentCount == before) return memFullErr;  // the table is full
  gCurrentInstrument = gInstrumentCount - 1;
  if (track) {
    track[kTrackType] = deviceKind;
    TrackEntryView view(track);
    view.SetInstrument(0, uint16_t(gCurrentInstrument << 8));
    view.SetFlags(view.Flags() | kTrackFlagPlaysInstrument);
    view.SetChannelCount(1);
  }
  return noErr;
}

int32_t SetUpTrackInstrument(uint8_t* track, uint8_t deviceKind, uint8_t port, bool alternate) {
  ChannelUseScan scan;
  int32_t channel = FindFreeInstrumentChannel(track, deviceKind, port, alternate, &scan);
  if (channel >= kDeviceChannelCount) return channel;
  if (channel < 0) channel = 0;
  scan.channel = uint8_t(channel);
  bool found = FindInstrumentWithSameOutput(&scan);
  if (!found && CreateTrackInstrument(alternate ? nullptr : track, deviceKind, port, uint8_t(channel)) != noErr)
    return channel;
  int32_t instrument = gCurrentInstrument;
  if (alternate) {
    TrackEntryView(track).SetInstrument(kAlternateInstrumentSlot, uint16_t(instrument << 8));
  } else {
    uint8_t* saved = gCurrentTrack;
    gCurrentTrack = track;
    SetTrackOutput(port, uint8_t(channel), deviceKind);
    gCurrentTrack = saved;
    track[kTrackOutputKind] = kAudioTrackOutputKind;
  }
  SetCentredFullVolume(instrument);
  return channel;
}
