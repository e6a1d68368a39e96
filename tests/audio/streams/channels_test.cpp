// Making engine channels from the current song's tracks (audio tracks with their regions,
// tracks on a plug-in device, a plug-in with further output busses), the limits and errors of
// creation, disposing a channel, resetting channels and stopping the streams.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "audio/devices/audio_driver.h"
#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_plugin_hooks.h"
#include "audio/engine/engine_thread.h"
#include "audio/engine/region_lookup.h"
#include "audio/render/channel_render.h"
#include "audio/streams/disk_thread.h"
#include "audio/streams/engine_channel_creation.h"
#include "audio/streams/stream_media_hooks.h"
#include "audio/streams/stream_reads.h"
#include "audio/streams/stream_stop.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"

namespace {

constexpr uint8_t kCoreAudio = kDriverIdCoreAudio;

struct TrackSpec {
  uint8_t type;          // the output driver kind: 19 an audio device, 20 a plug-in device
  uint8_t port;          // the plug-in device's id, or the audio track's output pair
  uint8_t flags = kTrackFlagAudible;
  int32_t regions = 0;   // an audio track: regions of 1000 frames each
  uint8_t instrument = 0;
};

// A regions list of `count` regions of 1000 frames.
Handle RegionList(int32_t count) {
  Handle list = NewHandleClear(kRegionSize * count);
  for (int32_t i = 0; i < count; ++i) SetRegionLength(reinterpret_cast<uint8_t*>(*list) + i * kRegionSize, 1000);
  return list;
}

class Channels : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = gOutputDevices;
    device_.flags = kDriverFlagActive;
    device_.driverId = kCoreAudio;
    device_.sampleRate = 48000.0f;
    device_.sampleBits = 24;
    gOutputDevices = &device_;
    gAudioBufferFrames.store(256);
    ASSERT_EQ(CreateInstrumentTable(4, kDeviceKindNoOutput), noErr);
    ReleaseEngineChannels();
  }
  void TearDown() override {
    for (int32_t i = 0; i < kEngineChannelSlots; ++i) DisposeEngineChannel(gEngineChannelLists[i], 0, 0);
    ReleaseEngineChannels();
    gOutputDevices = saved_;
    SetCurrentSong(Handle());
    if (song_) DisposeHandle(song_);
    for (Handle h : lists_) DisposeHandle(h);
    DisposeInstrumentTable();
    gEnginePluginHooks.findChainPlugin = nullptr;
    gEnginePluginHooks.countOutputBuses = nullptr;
    gEnginePluginHooks.getOutputBusInfo = nullptr;
    TakeEngineError();
  }
  void MakeSong(const std::vector<TrackSpec>& tracks) {
    song_ = NewHandleClear(SongBlockSizeFor(int32_t(tracks.size())));
    uint8_t* block = reinterpret_cast<uint8_t*>(*song_);
    WriteU16BE(block + kSongTrackCount, uint16_t(tracks.size()));
    for (size_t i = 0; i < tracks.size(); ++i) {
      uint8_t* t = block + kSongHeaderSize + kTrackEntrySize * i;
      WriteU16BE(t + kTrackLength, kTrackEntrySize);
      t[kTrackNumber] = uint8_t(i);
      t[kTrackFlags] = tracks[i].flags;
      t[kTrackType] = tracks[i].type;
      t[kTrackMidiOutput] = tracks[i].port;
      WriteU16BE(t + kTrackInstruments, uint16_t(tracks[i].instrument << 8));
      if (tracks[i].regions > 0) {
        t[kTrackOutputKind] = kAudioTrackOutputKind;
        Handle list = RegionList(tracks[i].regions);
        lists_.push_back(list);
        WriteU32BE(t + kTrackRegionList, list.id);
      }
    }
    SetCurrentSong(song_);
  }
  std::vector<EngineChannel*> DeviceList() const {
    std::vector<EngineChannel*> list;
    for (EngineChannel* c = device_.channelList; c && list.size() < 64; c = c->next) list.push_back(c);
    return list;
  }
  AudioDriverOps device_;
  AudioDriverOps* saved_ = nullptr;
  Handle song_;
  std::vector<Handle> lists_;
};

}  // namespace

TEST_F(Channels, EachSoundingTrackGetsAChannelOnItsDevice) {
  MakeSong({{kDeviceKindPlugin, 5}, {kDeviceKindPlugin, 6, kTrackFlagAudible | kTrackFlagSilent},
            {kCoreAudio, 1, kTrackFlagAudible, 3}, {0, 0}, {kDeviceKindPlugin, 5}});
  ASSERT_EQ(CreateEngineChannel(0, 0, 0, nullptr, 0, 0), 0);
  // Track 1 is flagged not playing, track 3 plays through no engine device, and track 4 plays
  // the same plug-in device as track 0, whose channel renders it.
  ASSERT_EQ(gEngineChannelCount, 2);
  EngineChannel* plugin = gEngineChannelLists[0];
  EngineChannel* audio = gEngineChannelLists[1];
  EXPECT_EQ(plugin->trackNumber, 0);
  EXPECT_EQ(plugin->instrumentSource, 1);
  EXPECT_EQ(plugin->outputChannel, 5);
  EXPECT_EQ(audio->trackNumber, 2);
  EXPECT_EQ(audio->trackNumberCopy, 2);
  EXPECT_EQ(audio->instrumentSource, 0);
  EXPECT_EQ(audio->outputPair, 1);
  EXPECT_EQ(audio->regionCount, 3);
  ASSERT_TRUE(audio->regionList);
  EXPECT_NE(audio->regionList, lists_[0]) << "the channel plays its own copy of the regions";
  EXPECT_EQ(GetHandleSize(audio->regionList), GetHandleSize(lists_[0]));
  for (EngineChannel* c : {plugin, audio}) {
    EXPECT_EQ(c->device, &device_);
    EXPECT_EQ(c->song, song_);
    EXPECT_EQ(c->sampleRate, 48000.0f);
    EXPECT_EQ(c->sampleBits, 32) << "17..31 bits count as 32";
    EXPECT_EQ(c->framesPerBlock, 256);
    EXPECT_NE(c->mixBuffer[0], nullptr);
    EXPECT_EQ(c->sendGains[0].bus, 0) << "no aux bus: the send list is its end record";
  }
  EXPECT_EQ(DeviceList(), (std::vector<EngineChannel*>{audio, plugin}));
  // A second preparation fills the same channels again instead of making new ones.
  ASSERT_EQ(CreateEngineChannel(0, 0, 0, nullptr, 0, 0), 0);
  EXPECT_EQ(gEngineChannelCount, 2);
  EXPECT_EQ(DeviceList().size(), 2u);
}

namespace {

// Media's answer: only track 1 has a ready audio record; its regions are the list the
// fixture gave the track.
TrackAudioRecord gReadyAudio;
TrackAudioRecord* ReadyTrackAudio() {
  if (!gCurrentTrack || gCurrentTrack[kTrackNumber] != 1) return nullptr;
  gReadyAudio.regionList = TrackEntryView(gCurrentTrack).RegionList();
  return &gReadyAudio;
}

}  // namespace

// With media answering the tracks' audio records, an audio track without a ready one makes no
// channel; the channel of one that has it owns a copy of its automation list (so an edit of
// the track's list never moves under the engine) and the record points back at it.
TEST_F(Channels, AnAudioTrackPlaysOnlyWithItsReadyAudioRecordAndTakesItsAutomation) {
  MakeSong({{kCoreAudio, 1, kTrackFlagAudible, 2}, {kCoreAudio, 1, kTrackFlagAudible, 2}});
  Handle points = NewHandleClear(32);
  for (int32_t i = 0; i < 32; ++i) (*points)[i] = char(i + 1);
  gReadyAudio = TrackAudioRecord();
  gReadyAudio.automationList = points;
  gStreamMediaHooks.getActiveTrackAudio = ReadyTrackAudio;
  int16_t err = CreateEngineChannel(0, 0, 0, nullptr, 0, 0);
  gStreamMediaHooks.getActiveTrackAudio = nullptr;
  ASSERT_EQ(err, 0);
  ASSERT_EQ(gEngineChannelCount, 1);
  EngineChannel* c = gEngineChannelLists[0];
  EXPECT_EQ(c->trackNumber, 1);
  EXPECT_EQ(gReadyAudio.channel, c);
  ASSERT_TRUE(c->automation);
  EXPECT_NE(c->automation, points);
  ASSERT_EQ(GetHandleSize(c->automation), 32);
  EXPECT_EQ(std::memcmp(*c->automation, *points, 32), 0);
  EXPECT_EQ(c->automationCursor, reinterpret_cast<uint8_t*>(*c->automation));
  DisposeHandle(points);
}

TEST_F(Channels, ATwentyFifthChannelIsRefusedAndTheFirstTwentyFourStay) {
  std::vector<TrackSpec> tracks;
  for (uint8_t i = 0; i < 25; ++i) tracks.push_back({kDeviceKindPlugin, uint8_t(i + 1)});
  MakeSong(tracks);
  EXPECT_EQ(CreateEngineChannel(0, 0, 0, nullptr, 0, 0), kEngineErrSlotsInUse);
  ASSERT_EQ(gEngineChannelCount, kEngineChannelSlots);
  for (int32_t i = 0; i < kEngineChannelSlots; ++i) {
    EXPECT_EQ(gEngineChannelLists[i]->trackNumber, i);
    EXPECT_EQ(gEngineChannelLists[i]->device, &device_);
  }
  EXPECT_EQ(DeviceList().size(), size_t(kEngineChannelSlots));
}

TEST_F(Channels, AFailedChannelIsGoneAgainAndTheErrorSaysWhy) {
  struct Case {
    TrackSpec track;
    uint8_t deviceFlags;
    int16_t single, expected;
  };
  const Case cases[] = {
      {{kDriverIdSoundManager, 0, kTrackFlagAudible, 2}, kDriverFlagActive, 0, kEngineErrDeviceMissing},
      {{kCoreAudio, 0, kTrackFlagAudible, 2}, 0, 0, kEngineErrDeviceMissing},  // device not open
      {{kCoreAudio, kSilentPort, kTrackFlagAudible, 2}, kDriverFlagActive, 1, kEngineErrNothingToPlay},
      {{kCoreAudio, kSilentPort, kTrackFlagAudible, 2}, kDriverFlagActive, 0, 0},
      {{kCoreAudio, 0, kTrackFlagAudible, 0}, kDriverFlagActive, 1, kEngineErrNothingToPlay},
  };
  for (const Case& k : cases) {
    MakeSong({k.track});
    device_.flags = k.deviceFlags;
    gCurrentTrack = reinterpret_cast<uint8_t*>(*song_) + kSongHeaderSize;
    EXPECT_EQ(CreateEngineChannel(0, 0, 0, nullptr, k.single, 0), k.expected) << int(k.track.port);
    EXPECT_EQ(gEngineChannelCount, 0) << "no half-made channel stays";
    EXPECT_EQ(device_.channelList, nullptr);
    SetCurrentSong(Handle());
    DisposeHandle(song_);
    song_ = Handle();
  }
}

namespace {

void* FakePlugin(EngineChannel*, int32_t) { return reinterpret_cast<void*>(0x1000); }
int32_t ThreeBuses(void*) { return 3; }
int16_t BusInfo(void*, int32_t bus, PluginBusInfo* info) {
  info->deviceKind = kDeviceKindPlugin;
  info->port = bus == 2 ? kSilentPort : uint8_t(bus);
  info->channelMask = 1;
  return 0;
}

}  // namespace

TEST_F(Channels, APluginWithThreeOutputBussesGetsTwoFurtherStereoChannels) {
  gEnginePluginHooks.findChainPlugin = FakePlugin;
  gEnginePluginHooks.countOutputBuses = ThreeBuses;
  gEnginePluginHooks.getOutputBusInfo = BusInfo;
  MakeSong({{kDeviceKindPlugin, 9}});
  ASSERT_EQ(CreateEngineChannel(0, 0, 0, nullptr, 0, 0), 0);
  ASSERT_EQ(gEngineChannelCount, 3);
  EngineChannel* owner = gEngineChannelLists[0];
  EXPECT_EQ(owner->linkedChannels[0], gEngineChannelLists[1]);
  EXPECT_EQ(owner->linkedChannels[1], gEngineChannelLists[2]);
  EXPECT_EQ(owner->linkedChannels[2], nullptr);
  for (int32_t i = 1; i <= 2; ++i) {
    EngineChannel* f = gEngineChannelLists[i];
    EXPECT_EQ(f->frameChannels, 2);
    EXPECT_EQ(f->device, &device_);
    EXPECT_EQ(f->channelFlags, 4u);
    EXPECT_NE(f->mixBuffer[0], nullptr);
    EXPECT_NE(f->mixBuffer[1], nullptr);
  }
  EXPECT_EQ(gEngineChannelLists[1]->stopped, 0);
  EXPECT_EQ(gEngineChannelLists[2]->stopped, 1) << "a bus to port 11 plays nothing";
  EXPECT_EQ(DeviceList(), (std::vector<EngineChannel*>{owner, gEngineChannelLists[2], gEngineChannelLists[1]}));
  // Disposing a further channel takes it out of its owner's list and off the device.
  DisposeEngineChannel(gEngineChannelLists[2], 0, 0);
  EXPECT_EQ(owner->linkedChannels[0], gEngineChannelLists[1]);
  EXPECT_EQ(owner->linkedChannels[1], nullptr);
  EXPECT_EQ(DeviceList(), (std::vector<EngineChannel*>{owner, gEngineChannelLists[1]}));
  EXPECT_EQ(gEngineChannelLists[2]->mixBuffer[0], nullptr);
}

namespace {

std::vector<std::vector<uint8_t>> gSent;
void RecordSend(void*, uint8_t status, uint8_t data1, uint8_t data2) { gSent.push_back({status, data1, data2}); }

}  // namespace

TEST_F(Channels, AResetSendsSustainOffOnEveryChannelUnlessModeIsZero) {
  ChannelRenderState state;
  state.instrument = 1;
  state.inputChannels = 0;
  state.midiSend = RecordSend;
  EngineChannel c;
  c.renderState = &state;
  for (int32_t mode : {1, 0, 2}) {
    gSent.clear();
    ResetEngineChannel(&c, mode);
    if (mode == 0) {
      EXPECT_TRUE(gSent.empty());
      continue;
    }
    ASSERT_EQ(gSent.size(), 16u) << mode;
    for (uint8_t ch = 0; ch < 16; ++ch) EXPECT_EQ(gSent[ch], (std::vector<uint8_t>{uint8_t(0xB0 | ch), 64, 0}));
  }
  EXPECT_EQ(c.stopped, 0) << "an instrument channel keeps playing";
}

namespace {

int32_t gRealDecodes = 0;
int16_t RealDecode(EngineChannel*, int32_t, void*, uint8_t*) { return int16_t(++gRealDecodes); }

}  // namespace

TEST_F(Channels, AResetStreamStopsDecodingAndSilencesItsHalves) {
  struct Case {
    int32_t mode;
    uint8_t stay;
    bool stops;
  };
  for (const Case& k : {Case{0, 1, true}, Case{1, 0, true}, Case{1, 1, false}}) {
    ChannelRenderState state;  // a stream through an effects chain
    state.inputChannels = 2;
    EngineChannel c;
    c.renderState = &state;
    c.stay = k.stay;
    std::vector<uint8_t> halves[2] = {std::vector<uint8_t>(64, 0x55), std::vector<uint8_t>(64, 0x55)};
    c.halfBuffer[0] = halves[0].data();
    c.halfBuffer[1] = halves[1].data();
    c.decodedBlockBytes = 48;
    c.decodeProc = RealDecode;
    c.fadeState = 8;
    c.started = 1;
    ResetEngineChannel(&c, k.mode);
    EXPECT_EQ(c.stopped != 0, k.stops) << k.mode << "/" << int(k.stay);
    EXPECT_EQ(c.decodeProc, NullDecode);
    EXPECT_EQ(c.started, 0);
    EXPECT_EQ(c.fadeState, 9) << "a faded-out channel fades in at its next start";
    for (auto& h : halves) {
      for (int i = 0; i < 48; ++i) ASSERT_EQ(h[size_t(i)], 0);
      EXPECT_EQ(h[48], 0x55);
    }
  }
  // A late decode request of a reset channel decodes nothing.
  EngineChannel c;
  c.decodeProc = NullDecode;
  uint8_t half[8] = {1, 2, 3};
  c.halfBuffer[0] = half;
  RequestStreamWork(&c, kStreamWorkDecodeHalf0, nullptr);
  EXPECT_EQ(half[0], 1);
  EXPECT_EQ(gRealDecodes, 0);
}

TEST_F(Channels, StoppingInPlaceHoldsNoWorkersButStillResets) {
  if (!gDiskQueue.running.load()) ASSERT_EQ(StartDiskThread(), 0);
  ChannelRenderState state;
  state.instrument = 1;
  state.inputChannels = 0;
  state.midiSend = RecordSend;
  EngineChannel* c = nullptr;
  ASSERT_EQ(ClaimEngineChannel(&c), 0);
  c->renderState = &state;
  for (int32_t mode : {1, 2}) {
    gEngineFlags.store(0);
    gSent.clear();
    StopStreamsAndWait(mode, 0);
    EXPECT_EQ((gEngineFlags.load() & kEngineWorkersHeld) != 0, mode != 1) << mode;
    EXPECT_EQ(gSent.size(), 16u) << "the channel was reset on the first pass, mode " << mode;
  }
  HoldEngineWorkers(false, 0);
  c->renderState = nullptr;
}

TEST_F(Channels, StartingTheDiskThreadFreesEveryReadRequest) {
  for (StreamFileRequest& r : gReadRequests) {
    r.result.store(kReadRequestBusy);
    r.positionMode = 0;
  }
  device_.channelList = reinterpret_cast<EngineChannel*>(&device_);  // stale from a lost stop
  StartDiskThread();
  for (const StreamFileRequest& r : gReadRequests) {
    EXPECT_EQ(r.result.load(), 0);
    EXPECT_EQ(r.positionMode, 0x21);
  }
  EXPECT_EQ(device_.channelList, nullptr);
  EXPECT_NE(AcquireReadRequest(), nullptr);
  ResetReadRequestPool();
}
