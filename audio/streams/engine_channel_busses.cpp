// The further channels of a plug-in's extra output busses and the aux-bus and master channels.
#include <new>

#include "audio/devices/audio_driver.h"
#include "audio/engine/engine_plugin_hooks.h"
#include "audio/engine/engine_run_state.h"
#include "audio/engine/instrument_binding.h"
#include "audio/streams/engine_channel_creation.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"

namespace {

constexpr uint32_t kFlagAudible = 0x04;
constexpr uint32_t kFlagNoOwnRenderer = 0x20;
constexpr uint8_t kNoTrack = 255;

void TakeDeviceFormat(EngineChannel* c, AudioDriverOps* d) {
  c->device = d;
  c->sampleBits = int16_t(d->sampleBits > 16 && d->sampleBits < 32 ? 32 : d->sampleBits);
  c->sampleRate = d->sampleRate;
  c->inverseRate = d->sampleRate > 0.0f ? 1.0f / d->sampleRate : 0.0f;
  c->framesPerBlock = int16_t(gAudioBufferFrames.load());
  c->dryScale = c->wetScale = 1.0f;
}

// The owner's list of further channels, ended by null; false when it is full.
bool RecordFurtherChannel(EngineChannel* owner, EngineChannel* further) {
  for (int32_t i = 0; i < kMaxLinkedChannels; ++i) {
    if (owner->linkedChannels[i]) continue;
    owner->linkedChannels[i] = further;
    owner->linkedChannels[i + 1] = nullptr;
    return true;
  }
  return false;
}

int16_t FillFurtherChannel(EngineChannel* f, EngineChannel* owner, AudioDriverOps* d, const PluginBusInfo& bus) {
  int32_t instrument = -1;
  if (bus.port == kSilentPort) f->stopped = 1;
  else instrument = FindMatchingInstrument(bus.deviceKind, bus.port, bus.channelMask, false);
  f->instrumentIndex = int16_t(instrument);
  f->instrumentChannel = owner->instrumentChannel;
  f->song = owner->song;
  f->trackNumber = f->trackNumberCopy = kNoTrack;
  f->suspended = owner->suspended;
  f->frameChannels = 2;
  f->rangeStart = owner->rangeStart;
  f->rangeEnd = owner->rangeEnd;
  f->atEnd = owner->atEnd;
  TakeDeviceFormat(f, d);
  f->trackFlags = kFlagAudible;
  for (int32_t i = 0; i < 3; ++i) f->clockValues[i] = owner->clockValues[i];
  SetupChannelSends(f, instrument);
  f->noTrack = 1;  // not a track's own channel
  return AllocateChannelBlocks(f, f->framesPerBlock);
}

}  // namespace

int16_t CreateOutputChannels(EngineChannel* channel, AudioDriverOps* device, void* plugin, int32_t) {
  if (!channel || !device) return 0;
  if (!plugin) plugin = FindChainPlugin(channel, 0);
  int32_t buses = plugin ? CountPluginOutputBuses(plugin) : 0;
  for (int32_t b = 1; b < buses && b < kMaxPluginOutputBuses; ++b) {
    PluginBusInfo bus;
    if (GetPluginOutputBusInfo(plugin, b, &bus) != 0) continue;
    EngineChannel* f = nullptr;
    if (int16_t err = ClaimEngineChannel(&f)) return err;
    if (int16_t err = FillFurtherChannel(f, channel, device, bus)) return err;
    if (!RecordFurtherChannel(channel, f)) break;
    f->next = channel->next;  // plays right behind its owner
    channel->next = f;
  }
  return 0;
}

namespace {

int16_t MakeAuxChannel(int32_t instrument, int32_t bus, bool master, AudioDriverOps* d) {
  int16_t err = 0;
  void* block = NewEngineBuffer(int32_t(sizeof(EngineChannel)), &err);
  if (!block) return err;
  auto* c = new (block) EngineChannel();
  TakeDeviceFormat(c, d);
  c->auxBus = uint8_t(master ? 0 : bus + 1);
  c->master = master ? 1 : 0;
  c->busSource = 1;
  c->noTrack = 1;
  c->instrumentIndex = int16_t(instrument);
  uint8_t* record = GetInstrumentRecord(instrument);
  bool chain = record && RackHasInsertChain(InstrumentView(record).InsertRack());
  c->trackFlags = chain ? kFlagAudible : (kFlagAudible | kFlagNoOwnRenderer);
  c->frameChannels = 2;
  SetChannelGains(32768, 64, &c->gainLeft, &c->gainRight);
  err = AllocateChannelBlocks(c, c->framesPerBlock);
  c->next = gAuxBusChannels;
  gAuxBusChannels = c;
  return err;
}

AudioDriverOps* FirstActiveDevice() {
  for (AudioDriverOps* d = gOutputDevices; d; d = d->next)
    if (d->flags & kDriverFlagActive) return d;
  return nullptr;
}

}  // namespace

int16_t CreateAuxBusChannels(int32_t) {
  AudioDriverOps* d = FirstActiveDevice();
  if (!d || gAuxBusChannels) return 0;
  int16_t err = 0;
  if (GetMasterEntry()) err = MakeAuxChannel(GetMasterIndex(), 0, true, d);
  for (int32_t bus = gAuxBusCount - 1; bus >= 0 && err == 0; --bus)
    err = MakeAuxChannel(gInstrumentCount + bus, bus, false, d);
  if (err != 0) DisposeAuxChannels(0, 0, 0);
  return err;
}
