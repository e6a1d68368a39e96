#include "audio/streams/plugin_device_channels.h"

#include <bitset>

#include "audio/devices/audio_driver.h"
#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_plugin_hooks.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/instruments/instrument_record.h"
#include "song/model/song_layout.h"

namespace {

constexpr int32_t kDeviceIds = 256;
constexpr int32_t kInstrumentChannels = 2;
constexpr int16_t kInstrumentSampleBits = 32;

// The ids of the plug-in devices the song's tracks play (the track entries walked within the
// song block only).
std::bitset<kDeviceIds> SongPluginDevices(Handle song) {
  std::bitset<kDeviceIds> ids;
  if (!song || !IsValidHandle(song)) return ids;
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(HandleData(song));
  int64_t size = GetHandleSize(song);
  if (size < kSongHeaderSize) return ids;
  int32_t count = ReadU16BE(bytes + kSongTrackCount);
  int64_t at = kSongHeaderSize;
  for (int32_t i = 0; i < count && at + kTrackEntrySize <= size; ++i) {
    const uint8_t* track = bytes + at;
    uint16_t length = ReadU16BE(track + kTrackLength);
    if (length < kTrackEntrySize) break;
    if (track[kTrackType] == kDeviceKindPlugin && track[kTrackMidiOutput] != 0) ids.set(track[kTrackMidiOutput]);
    at += length;
  }
  return ids;
}

// A channel that channel creation made for the device's tracks (an instrument channel whose
// output channel is the device) plays the device: it is marked for its render state.
bool DeviceHasChannel(uint32_t id) {
  for (int32_t i = 0; i < gEngineChannelCount && i < kEngineChannelSlots; ++i) {
    EngineChannel* c = gEngineChannelLists[i];
    if (!c) continue;
    if (!c->pluginDevice && c->instrumentSource && !c->noTrack && c->outputChannel == id) {
      c->pluginDevice = uint8_t(id);
      // Its creation gave it no levels: the device plays at unity, as on a channel made for it.
      SetChannelGains(32768, 64, &c->gainLeft, &c->gainRight);
    }
    if (c->pluginDevice == id) return true;
  }
  return false;
}

int16_t MakeDeviceChannel(Handle song, uint32_t id, AudioDriverOps* device) {
  EngineChannel* c = nullptr;
  if (int16_t err = ClaimEngineChannel(&c)) return err;
  int32_t frames = gAudioBufferFrames.load();
  c->frameChannels = c->sourceChannels = kInstrumentChannels;
  c->sampleBits = kInstrumentSampleBits;
  c->sampleRate = device->sampleRate;
  c->framesPerBlock = int16_t(frames);
  c->device = device;
  c->song = song;
  c->instrumentSource = 1;
  c->pluginDevice = uint8_t(id);
  SetChannelGains(32768, 64, &c->gainLeft, &c->gainRight);
  c->next = device->channelList;
  device->channelList = c;
  return AllocateChannelBlocks(c, frames);
}

}  // namespace

AudioDriverOps* PluginChannelDevice() {
  AudioDriverOps* any = nullptr;
  for (AudioDriverOps* d = gOutputDevices; d; d = d->next) {
    if (!(d->flags & kDriverFlagActive)) continue;
    if (d->channelList) return d;
    if (!any) any = d;
  }
  return any;
}

bool SongPlaysPluginDevices(Handle song) {
  if (!gEnginePluginHooks.deviceChainHead) return false;
  std::bitset<kDeviceIds> ids = SongPluginDevices(song);
  for (uint32_t id = 1; id < kDeviceIds; ++id)
    if (ids.test(id) && gEnginePluginHooks.deviceChainHead(id)) return true;
  return false;
}

int16_t CreatePluginDeviceChannels(Handle song, int32_t) {
  auto chainHead = gEnginePluginHooks.deviceChainHead;
  AudioDriverOps* device = PluginChannelDevice();
  if (!chainHead || !device) return 0;
  std::bitset<kDeviceIds> ids = SongPluginDevices(song);
  for (uint32_t id = 1; id < kDeviceIds; ++id) {
    if (!ids.test(id) || DeviceHasChannel(id) || !chainHead(id)) continue;
    if (int16_t err = MakeDeviceChannel(song, id, device)) return err;
  }
  return 0;
}

uint32_t ChannelPluginDevice(const EngineChannel* channel) { return channel ? channel->pluginDevice : 0; }
