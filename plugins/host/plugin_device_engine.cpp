// The device table's links with the engine: the MIDI state of the channel that renders a
// device, the tempo the channels play at, the walk over the engine's channels, and the
// automatic bypass of instrument busses that no track plays.
#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_play_state.h"
#include "audio/engine/engine_run_state.h"
#include "platform/memory/byte_order.h"
#include "plugins/host/channel_song_time.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/insert_racks.h"
#include "plugins/host/plugin_device_table.h"
#include "plugins/host/plugin_devices.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/host/plugin_midi_delivery.h"
#include "sequencer/clock/transport_clock.h"
#include "song/conductor/timebase.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/plugin_hooks.h"
#include "song/model/song_iterators.h"
#include "song/model/song_context.h"
#include "song/model/media_hooks.h"
#include "song/model/song_layout.h"
#include "song/model/track_settings.h"

namespace {

constexpr uint8_t kInstFlagAutoBypass = 0x20;

uint8_t* FindDeviceOfInstrument(int32_t instrument) {
  for (int32_t n = 0; n < CountTableRecords(); ++n) {
    PluginDeviceView d{GetPluginDeviceRecord(n)};
    if (d.InstrumentNumber() == instrument + 1) return d.p;
  }
  return nullptr;
}

// The channel's device: by its instrument entry, else by its id (pending devices left out).
uint8_t* FindChannelDevice(const EngineChannel* channel) {
  if (channel->instrument != kNoEngineInstrument)
    if (uint8_t* device = FindDeviceOfInstrument(channel->instrument)) return device;
  return channel->id != 0 && channel->id <= kClickPluginDeviceId ? FindPluginDeviceById(channel->id, kDevicePending) : nullptr;
}

struct TempoChange {
  int32_t tempo;
  double secondsPerTick;
};

int32_t ApplyTempoToChannel(EngineChannel* channel, void* block) {
  const auto* change = static_cast<const TempoChange*>(block);
  StoreChannelTempo(channel, change->tempo);
  for (const DeviceLinks& links : gDeviceLinks) {
    if (links.channel != channel || !links.midiState) continue;
    links.midiState->tempo = change->tempo;
    links.midiState->secondsPerTick = change->secondsPerTick;
  }
  return 0;
}

struct DevicePlayers {
  uint32_t id;
  bool played;
};

int32_t NoteTrackPlaysDevice(void* arg) {
  auto* players = static_cast<DevicePlayers*>(arg);
  const uint8_t* t = gCurrentTrack;
  // A track that plays its alternate region list plays it through its alternate instrument.
  if (t && !(t[kTrackFlags] & kTrackFlagSilent) && !(t[kTrackOutputFlags] & kTrackOutputSecondRegions) &&
      t[kTrackType] == kDeviceKindPlugin &&
      t[kTrackMidiOutput] == players->id)
    players->played = true;
  return 0;
}

int32_t VisitSongTracks(SongVisitRecord* record) {
  return IterateTracks(NoteTrackPlaysDevice, record->data);
}

// True when a track of any song or child sequence (silent tracks left out) plays the device.
bool AnyTrackPlaysDevice(uint32_t id) {
  DevicePlayers players{id, false};
  SongVisitRecord visit;
  visit.callback = VisitSongTracks;
  visit.data = &players;
  ForEachSongAndChild(&visit);
  return players.played;
}

}  // namespace

void AttachChannelToDevice(EngineChannel* channel, PluginMidiState* state) {
  if (!channel) return;
  PluginDeviceView d{FindChannelDevice(channel)};
  if (!d.p) return;
  int32_t n = DeviceRecordIndex(d.p);
  gDeviceLinks[n].midiState = state;
  gDeviceLinks[n].channel = channel;
  if (state) {
    state->ownerId = d.Id();
    // The device's instrument is the one told of transport jumps.
    PluginInstance* instance = GetDeviceInstance(d.Id());
    state->receiverId = instance ? instance->id : 0;
    state->clickChannel = d.Id() == kClickPluginDeviceId ? 1 : 0;
  }
  PublishLiveDevices();
}

void ClearDeviceMidiStates() {
  for (DeviceLinks& links : gDeviceLinks) {
    links.midiState = nullptr;
    links.channel = nullptr;
  }
  PublishLiveDevices();
  // The engine frees the states once this returns: no reader may still reach one.
  WaitForDeviceViewReaders();
}

void ApplyTempoToPluginChannels(int32_t tempo) {
  if (tempo <= 0 || gTicksPerQuarter <= 0) return;
  TempoChange change{tempo, 600.0 / (double(tempo) * double(gTicksPerQuarter))};
  gTransportClock.secondsPerTick = change.secondsPerTick;
  if (gAudioEnginePlayState != 0) ForEachInstrumentPlugin(ApplyTempoToChannel, &change);
}

// Every channel of the engine's list, then every aux-bus channel, until one answers non-zero.
void WalkInstrumentPluginChannels(DeviceChannelProc callback, void* block) {
  if (!callback) return;
  for (EngineChannel* c = gEngineChannels; c; c = c->next)
    if (callback(c, block) != 0) return;
  for (EngineChannel* c = gAuxBusChannels; c; c = c->next)
    if (callback(c, block) != 0) return;
}

int32_t UpdateBusBypassForTracks(int32_t busIndex, int32_t force) {
  if (busIndex < 0 || busIndex >= gAuxBusCount) return 0;
  uint8_t* entry = GetInstrumentRecord(gInstrumentCount + busIndex);
  Handle rack = entry ? InstrumentView(entry).InsertRack() : Handle();
  uint32_t head = rack ? GetRackChainHead(rack) : 0;
  if (!head || (GetRackFlags(rack) & kRackFlagInsertsOff)) return 0;
  if (force) entry[kInstFlags] |= kInstFlagAutoBypass;
  if (!(entry[kInstFlags] & kInstFlagAutoBypass)) return GetBypassState(GetPluginInstance(head));
  PluginDeviceView device{FindDeviceByBusIndex(busIndex)};
  int32_t bypass = device.p && !AnyTrackPlaysDevice(device.Id()) ? 1 : 0;
  // Only a change is applied: a running plug-in is not resumed again at every Play.
  for (PluginInstance* p = GetPluginInstance(head); p; p = GetPluginInstance(p->next))
    if (GetBypassState(p) != bypass) SetPluginBypass(p, bypass, 2);
  return bypass;
}

int32_t UpdateCurrentBusBypass(int32_t force) {
  int32_t bus = GetCurrentDeviceBusIndex();
  return bus >= 0 ? UpdateBusBypassForTracks(bus, force) : 0;
}

void ClearAlternateRegionOutput() {
  if (!IsAlternateRegionListActive()) return;
  DisposeAlternateTrackAudio();
  gCurrentTrack[kTrackOutputFlags] &= uint8_t(~kTrackOutputSecondRegions);
  UpdateCurrentBusBypass(1);
}

void UpdateAllBusBypass() {
  for (int32_t bus = 0; bus < gAuxBusCount; ++bus) UpdateBusBypassForTracks(bus, 0);
}
