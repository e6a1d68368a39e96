#include "audio/engine/engine_prepare.h"

#include "audio/devices/audio_driver.h"
#include "audio/streams/engine_channel_creation.h"
#include "audio/streams/stream_stop.h"
#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_play_state.h"
#include "audio/engine/engine_plugin_hooks.h"
#include "audio/engine/engine_prepare_hooks.h"
#include "audio/engine/engine_run_state.h"
#include "audio/engine/engine_start.h"
#include "audio/engine/engine_thread.h"
#include "audio/streams/disk_thread.h"
#include "audio/engine/instrument_binding.h"
#include "audio/engine/plugin_bus_binding.h"
#include "audio/render/channel_render.h"
#include "audio/streams/plugin_device_channels.h"
#include "audio/streams/track_stream_prepare.h"
#include "platform/system/host_time.h"
#include "platform/threads/thread_pauses.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/transport/transport_engine.h"
#include "shell/base/error_report.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/conductor_time.h"
#include "song/conductor/sample_position.h"
#include "song/conductor/tempo_tables.h"
#include "song/instruments/plugin_hooks.h"
#include "song/model/song_context.h"

uint8_t gEnginePrepared = 0;
EngineChannel* gEngineMainDevice = nullptr;
uint8_t gEngineDeviceState = 0;
uint8_t gEngineDrivesClock = 0;
std::atomic<uint16_t> gClockStatusWord{0};
uint32_t gEngineBlockPosition = 0;
std::atomic<uint8_t> gEngineSeesRecording{0};

namespace {

constexpr uint32_t kTransportSignBit = 0x80000000u;
constexpr int16_t kNoDeviceOrSong = -50;
constexpr int16_t kDeviceRefusesChannel = -4;
constexpr int16_t kRecordChannelMissing = 106;
constexpr UInt32 kAuxStopTicks = 30;
constexpr int64_t kPlayToEndOfSong = 0x7fffffff;

constexpr int32_t kPrepareNoClock = 5;
constexpr uint32_t kClockFlagRecordInputs = 1u << 30;  // bit 30: the record inputs take part

bool KindMakesBusses(int32_t kind) { return kind == 0 || kind == 5 || kind == 7; }

// Step 6: the live-play track's channel, then the record inputs' channels.
int16_t AddLiveAndRecordChannels(EngineChannel* channelArgument, AudioDriverOps* device, int32_t kind) {
  if (device) return 0;
  int16_t err = 0;
  if (!channelArgument && SelectLivePlayTrack()) err = CreateEngineChannel(kind, 0, 0, nullptr, 1, 0);
  if (err == 0 && (KindMakesBusses(kind) || (gTransportClock.flags.load() & kClockFlagRecordInputs)))
    err = AttachRecordInputChannels();
  return err;
}

// Step 10's binding: a channel without an automation copy that is no record source gets its
// song's track racks (its alternate song's when it has one); a bus without a song is bound too.
void BindChannelRacks(EngineChannel* channel) {
  if (channel->automation || channel->recordSource) return;
  Handle song = channel->alternateSong ? channel->alternateSong : channel->song;
  if (!song && !channel->busSource) return;
  BindTrackRackToChannel(song, channel);
}

// Step 10 for one channel: the device's slot-7 call, then the track's stream at the position.
int16_t PrepareChannel(EngineChannel* channel, int64_t position, int32_t kind) {
  channel->locateTick = channel->startTick;
  BindChannelRacks(channel);
  if (!channel->song && (channel->alternateSong || channel->busSource)) {
    channel->lateCounters[0] = channel->lateCounters[1] = 0;
    InitChannelLevels(channel, position);
  }
  if (!channel->song && !channel->alternateSong) return 0;
  AudioDriverOps* device = channel->device;
  if (device && device->Nothing7 && device->Nothing7() == kDeviceRefusesChannel) {
    channel->stopped = 1;
    channel->lateCounters[0] = channel->lateCounters[1] = 0;
    return 0;
  }
  if (channel->externalSource) MatchChannelToDevice(channel, device);
  int16_t err = PrepareAudioTrackStream(channel, position, channel->sampleRate, kind);
  if (err == 0) err = TakeEngineError();
  return err;
}

int16_t PrepareChannels(int64_t position, int32_t kind) {
  for (int32_t i = 0; i < gEngineChannelCount; ++i) {
    if (int16_t err = PrepareChannel(gEngineChannelLists[i], position, kind)) return err;
  }
  for (AudioDriverOps* d = gOutputDevices; d; d = d->next) {
    d->outputSelector.store(0);
    d->routineSelector.store(0);
  }
  return 0;
}

// Step 14: Open of each active device with channels (or only the given one).
int16_t OpenDevices(AudioDriverOps* only) {
  int32_t opened = 0;
  for (AudioDriverOps* d = gOutputDevices; d; d = d->next) {
    if (!d->channelList || !(d->flags & kDriverFlagActive) || !d->Open || (only && d != only)) continue;
    if (int16_t err = d->Open(d->channelList)) return err;
    ++opened;
  }
  if (opened > 1) gEngineDeviceState |= kSeveralDevicesOpen;
  return 0;
}

AudioDriverOps* MainDevice(AudioDriverOps* given) {
  if (given) return given;
  for (AudioDriverOps* d = gOutputDevices; d; d = d->next) {
    if (d->channelList) return d;
  }
  return nullptr;
}

// The main device's channel list is the engine's; unless the transport records, its cycles
// advance the sample clock.
void UseMainDeviceList(const AudioDriverOps* main) {
  gEngineMainDevice = main->channelList;
  gEngineChannels = main->channelList;
  if (!gEngineSeesRecording.load()) gEngineRecordObject.store(main->channelList);
}

// Step 11, for each channel the plug-in host walks: the channels that the channel's plug-in
// output buses drive follow it on its device.
int32_t PrepareChannelCallback(EngineChannel* channel, void*) {
  LinkPluginBusChannels(channel, true);
  return 0;
}

// Step 7 of the stop: an error latched while playing is reported once.
void ReportLatchedError() {
  int16_t err = gEngineError.load();
  if (err == kRecordChannelMissing && gCurrentSong) err = 0;  // only a recording cares
  gEngineError.store(0);
  if (err != 0) ReportError(err);
}

}  // namespace

int16_t PrepareEnginePlayback(int64_t position, void*, EngineChannel* channelArgument, AudioDriverOps* device,
                              int32_t kind) {
  if (gEnginePrepared) StopAudioEngine(0);
  gEngineDrivesClock = kind != kPrepareNoClock;
  TakeEngineError();
  gEngineRecordObject.store(nullptr);
  gEnginePrepared = 1;
  gEngineDeviceState = 0;
  gTransportClock.samplePosition = double(position);
  StartDiskThread();
  int16_t err = KindMakesBusses(kind) ? CreateAuxBusChannels(kind) : 0;
  if (err == 0) err = CreateEngineChannel(kind, position, kPlayToEndOfSong, device, 0, 0);
  if (err == 0) err = CreatePluginDeviceChannels(TransportSong(), kind);
  if (err == 0) err = AddLiveAndRecordChannels(channelArgument, device, kind);
  if (err == 0) err = EnsureRenderBuffers(2, 2, 1);
  ClearClockStatusWord();
  AudioDriverOps* main = MainDevice(device);
  if (err == 0 && main) {
    SetEngineSampleRate(main->sampleRate);
    UseMainDeviceList(main);
  }
  gEngineBlockPosition = BeatSamplesAtRate(gConductorState.ticksPerBeat, gConductorState.scaledTempo,
                                           gEngineSampleRate);
  if (err == 0) err = PrepareChannels(position, kind);
  if (err == 0 && kind != kPrepareNoDevices) {
    ForEachInstrumentPlugin(PrepareChannelCallback, nullptr);
    gEngineWarmUpCount.store(kEngineWarmUpCycles);
    if (main) UseMainDeviceList(main);  // a driven channel may have left the head
  }
  if (err == 0) err = PrepareRecordInputs(0);
  gAudioEnginePlayState = kind < 2 ? 2 : 3;
  gEngineSampleClock.store(0);
  if (err == 0 && kind != kPrepareNoDevices) err = OpenDevices(device);
  if (err == 0 && kind != kPrepareNoDevices) err = PrepareRecordInputs(1);
  return err;
}

void ClearClockStatusWord() {
  if (gEngineDrivesClock) gClockStatusWord.store(0, std::memory_order_relaxed);
}

uint32_t BeatSamplesAtRate(int32_t ticksPerBeat, int32_t tempo, float rate) {
  double subframesPerSecond = SubframesPerSecondForRate(gSmpteRateCode);
  if (subframesPerSecond <= 0.0 || ticksPerBeat <= 0) return 0;
  double seconds = double(ticksPerBeat) * double(GetTempoTableEntry(tempo)) / (subframesPerSecond * 65536.0);
  return uint32_t(seconds * double(rate) + 0.5);
}

int16_t StartEngineAtPosition(EngineChannel* channel, int64_t position, int32_t kind) {
  if (!channel || !channel->device || (!channel->song && !channel->alternateSong)) return kNoDeviceOrSong;
  RatedPosition locate{uint64_t(position < 0 ? 0 : position), channel->sampleRate};
  int32_t tick = int32_t(SamplePositionToTick(int64_t(locate.position), locate.rate));
  StopStreamsAndWait(0, 0);  // holds the workers
  PrepareOutputDevices(0);   // the devices play at no rate until the output starts again
  HoldEngineWorkers(false, 0);
  channel->startTick = tick;
  channel->primedBlocks = 0;  // primed afresh by the output path
  channel->primedFrames = channel->primeDelay = 0;
  int16_t err = PrepareAudioTrackStream(channel, int64_t(locate.position), locate.rate, kind);
  if (err == 0) {
    channel->device->outputSelector.store(1);
    channel->device->routineSelector.store(1);
    channel->blocksLeft = int16_t(channel->blocksLeft + 1);
    channel->readPointer = static_cast<uint8_t*>(channel->halfBuffer[0]);
    channel->stopped = 0;
  }
  gEngineSampleClock.store(0);
  return err;
}

void StopOutputDevices(int32_t mode) {
  for (AudioDriverOps* d = gOutputDevices; d; d = d->next) {
    if (d->channelList && d->Stop) d->Stop(mode);
  }
}

void StopAudioEngine(int32_t mode) {
  if ((gTransportClock.flags.load() & kTransportSignBit) || !IsAudioEngineNeeded()) mode = 0;
  StopStreamsAndWait(mode, 1);
  gAudioEnginePlayState = uint16_t(mode);
  if (mode != 1) gEnginePrepared = 0;
  StopOutputDevices(mode);
  if (mode != 1) FinishRecordInputs();
  if (mode != 1 && gEnginePluginHooks.clearDeviceMidiStates) gEnginePluginHooks.clearDeviceMidiStates();
  for (EngineChannel* c = gEngineChannels; c; c = c->next) c->stop = 1;
  for (int32_t i = 0; i < kEngineChannelSlots; ++i) DisposeEngineChannel(gEngineChannelLists[i], 0, mode);
  if (mode != 1) ReleaseEngineChannels();
  DisposeAuxChannels(mode, 0, 0);
  if (mode != 1) ReleaseMemoryRegions();
  ReportLatchedError();
  if (mode != 1) {
    FreeRenderBuffers();
    gEngineWarmUpCount.store(0);
    gEngineMainDevice = nullptr;
    gEngineChannels = nullptr;
    gEngineRecordObject.store(nullptr);
  }
  HoldEngineWorkers(false, 0);
}

void AdvanceEngineSampleClock(const EngineChannel* channel, int32_t frames) {
  gEngineSampleClock.fetch_add(channel && channel->reverse ? -int64_t(frames) : int64_t(frames));
}

void AddToSampleCount(int64_t* counter, int32_t frames) { *counter += frames; }

bool IsAudioEngineNeeded() {
  Handle song = TransportSong();
  return gEngineChannelCount > 0 || SongPlaysPluginDevices(song) || SongHasAudioTracks(song);
}

bool DiskQueueBusy() { return CountEngineMessages(&gDiskQueue) > 0; }

void StopAuxBusChannels() {
  int32_t block = 1024;
  for (EngineChannel* c = gAuxBusChannels; c; c = c->next) {
    c->stopped = c->stoppedThisCycle = 1;
    c->selectorRendered[0] = c->selectorRendered[1] = 0;
    c->heldBlocks[0] = c->heldBlocks[1] = 0;
    if (c->framesPerBlock > 0) block = c->framesPerBlock;
  }
  int64_t from = gEngineSampleClock.load();
  UInt32 deadline = TickCount() + kAuxStopTicks;
  while (gEngineSampleClock.load() - from <= block && TickCount() < deadline) PauseThreadMicros(1000);
  DisposeAuxChannels(0, 0, 0);
}
