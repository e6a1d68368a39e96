// Play prepares the channels of the plug-in instruments the song's tracks play: a MIDI track
// whose output is a VST instrument (device kind 20) sounds through it, each note's onset at
// the sample the tempo map gives, at three buffer sizes; the render state an instrument
// channel gets holds the MIDI pools and lists, and the chain's mix kind follows the counts.
#include <gtest/gtest.h>

#include "audio/engine/engine_plugin_hooks.h"
#include "audio/streams/channel_render_state.h"
#include "audio/streams/plugin_device_channels.h"
#include "audio/streams/track_stream_prepare.h"
#include "plugins/host/plugin_midi_delivery.h"
#include "tests/plugins/render/render_capture_fixture.h"

namespace {

using namespace render_test;

constexpr uint8_t kNote = 84;

// The device table of a song document stands behind this lookup in the program; the tests
// open their instrument directly and name it as device kDevice's instance.
uint32_t gDeviceInstance = 0;
uint32_t TestDeviceChainHead(uint32_t id) { return id == kDevice ? gDeviceInstance : 0; }

class PrepareInstrument : public RenderCapture {
 protected:
  void UseInstrument(PluginInstance* instrument) {
    gDeviceInstance = instrument->id;
    gEnginePluginHooks.deviceChainHead = TestDeviceChainHead;
  }
  void TearDown() override {
    RenderCapture::TearDown();
    gDeviceInstance = 0;
  }
  // The channel Play made for the device (null when none).
  static EngineChannel* DeviceChannel() {
    for (int32_t i = 0; i < gEngineChannelCount; ++i)
      if (gEngineChannelLists[i] && ChannelPluginDevice(gEngineChannelLists[i]) == kDevice) return gEngineChannelLists[i];
    return nullptr;
  }
};

class PrepareInstrumentOnsets : public PrepareInstrument, public ::testing::WithParamInterface<int32_t> {};

// Nothing but the song and the device's instrument: Play makes the instrument's channel and
// its render state, and every note starts at its exact sample across block boundaries and a
// tempo change.
TEST_P(PrepareInstrumentOnsets, PlayingTheSongSoundsEachNoteAtItsSample) {
  Open(GetParam());
  std::vector<float> wave = ClickWave(kNote);
  TempoMap map{1200, {{700, 1370}}};
  std::vector<uint32_t> ticks = {1, 97, 241, 500, 731, 1000, 1201, 1555};
  std::vector<TestEvent> events;
  for (uint32_t t : ticks) events.push_back({t, 0x90, kNote, 127, 20});
  PluginSong({Track(events)}, map);
  PluginInstance* instrument = Plugin(ClickvoxPath());
  ASSERT_NE(instrument, nullptr);
  UseInstrument(instrument);
  float rate = gCoreAudioDriver.sampleRate;
  std::vector<double> exact;
  for (uint32_t t : ticks) exact.push_back(map.Sample(t, rate));
  std::vector<float> heard = PlayFor(exact.back() + 4 * kMatchSamples);
  ExpectOnsets(heard, exact, std::vector<const std::vector<float>*>(ticks.size(), &wave));
}

INSTANTIATE_TEST_SUITE_P(BufferSizes, PrepareInstrumentOnsets, ::testing::Values(64, 256, 1000));

// The render state of an instrument channel: the chain head, no audio input, the plug-in send
// kind with the device as its argument, float mono from none (kind 6: Clickvox has one output,
// and no inputs count as one), and a MIDI
// state with two pools of 256 events preset as MIDI events of 24 bytes and three lists of 256.
TEST_F(PrepareInstrument, AnInstrumentChannelGetsItsRenderStateAndMidiBuffers) {
  Open(256);
  PluginSong({Track({{1, 0x90, kNote, 100, 10}})}, TempoMap{});
  PluginInstance* instrument = Plugin(ClickvoxPath());
  ASSERT_NE(instrument, nullptr);
  UseInstrument(instrument);
  ASSERT_EQ(PrepareEnginePlayback(0, nullptr, nullptr, nullptr, 0), 0);
  EngineChannel* c = DeviceChannel();
  ASSERT_NE(c, nullptr);
  ChannelRenderState* s = c->renderState;
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->chainHead, instrument);
  EXPECT_EQ(s->sendKind, kRenderSendPlugin);
  EXPECT_EQ(s->sendArgument, kDevice);
  EXPECT_EQ(s->instrument, 1);
  EXPECT_EQ(s->audioInput, 0);
  EXPECT_EQ(s->mixKind, 6);
  EXPECT_EQ(c->instrumentSource, 1);
  auto* midi = static_cast<PluginMidiState*>(s->midiState);
  ASSERT_NE(midi, nullptr);
  EXPECT_EQ(midi->freeList.numEvents, kMidiListCapacity);
  EXPECT_EQ(midi->freeList.events[0], &midi->pool[0][0]);
  for (const auto& pool : midi->pool) {
    for (const PluginMidiEvent& e : pool) {
      ASSERT_EQ(e.type, kVstMidiType);
      ASSERT_EQ(e.byteSize, 24);
    }
  }
  ASSERT_EQ(s->midiSlotCount, 1);
  EXPECT_NE(s->midiSlots[0], nullptr);
  // A second preparation makes no second channel for the same device.
  ASSERT_EQ(CreatePluginDeviceChannels(gTransportSong, 0), 0);
  int32_t channels = 0;
  for (int32_t i = 0; i < gEngineChannelCount; ++i)
    channels += gEngineChannelLists[i] && ChannelPluginDevice(gEngineChannelLists[i]) == kDevice;
  EXPECT_EQ(channels, 1);
}

// A song whose tracks play only devices without an instrument needs no engine.
TEST_F(PrepareInstrument, ADeviceWithoutAnInstrumentMakesNoChannel) {
  Open(256);
  Handle song = PluginSong({Track({{1, 0x90, kNote, 100, 10}})}, TempoMap{});
  gDeviceInstance = 0;
  gEnginePluginHooks.deviceChainHead = TestDeviceChainHead;
  EXPECT_FALSE(SongPlaysPluginDevices(song));
  EXPECT_EQ(CreatePluginDeviceChannels(song, 0), 0);
  EXPECT_EQ(DeviceChannel(), nullptr);
}

struct MixKindCase {
  const char* name;
  MixKindQuery query;
  int32_t kind;
  int32_t perChannel;
};

void PrintTo(const MixKindCase& c, std::ostream* os) { *os << c.name; }

MixKindQuery Query(int32_t in, int32_t out, int32_t width, int32_t mode) {
  MixKindQuery q;
  q.inputChannels = in;
  q.outputChannels = out;
  q.outputWidth = width;
  q.mode = mode;
  return q;
}

MixKindQuery With(MixKindQuery q, bool aux, bool chain, int32_t firstOutputs, uint32_t stereo, OSType format = 0) {
  q.auxBus = aux;
  q.hasChain = chain;
  q.firstPluginOutputs = firstOutputs;
  q.stereoOutputs = stereo;
  q.sourceFormat = format;
  return q;
}

class MixKinds : public ::testing::TestWithParam<MixKindCase> {};

TEST_P(MixKinds, FollowTheCountsWidthAndMode) {
  int32_t perChannel = -1;
  EXPECT_EQ(ChannelMixKind(GetParam().query, &perChannel), GetParam().kind);
  EXPECT_EQ(perChannel, GetParam().perChannel);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MixKinds,
    ::testing::Values(
        MixKindCase{"MonoToMono16", Query(1, 1, 16, 0), 0, 0},
        MixKindCase{"NoInputsCountAsMono", Query(0, 2, 16, 0), 1, 0},
        MixKindCase{"StereoToMono16", Query(2, 1, 16, 0), 2, 0},
        MixKindCase{"StereoToStereoFloat", Query(2, 2, 32, 0), 9, 0},
        MixKindCase{"Export24BitKindsRaisedAsWet", Query(1, 2, 24, 3), 22, 0},
        MixKindCase{"Export32BitIntegerKinds", Query(2, 2, 32, 3), 15, 0},
        MixKindCase{"ExportOfAFloatSourceStaysFloat", With(Query(1, 1, 32, 3), false, false, 0, 0, 'fl32'), 6, 0},
        MixKindCase{"AuxMonoOutKind6Becomes7", With(Query(1, 1, 32, 0), true, false, 0, 0), 7, 0},
        MixKindCase{"AuxMonoOutKind8Becomes11", With(Query(2, 1, 32, 0), true, false, 0, 0), 11, 0},
        MixKindCase{"OtherModesRaiseWetKinds", Query(1, 2, 16, 1), 4, 0},
        MixKindCase{"OtherModesRaiseFloatKinds", Query(1, 2, 32, 2), 10, 0},
        MixKindCase{"SpreadStereoOutputs", With(Query(1, 2, 32, 0), false, true, 4, 1), 31, 2},
        MixKindCase{"SpreadMonoOutputs", With(Query(1, 2, 32, 5), false, true, 3, 0), 31, 1},
        MixKindCase{"AuxBusNeverSpreads", With(Query(1, 2, 32, 0), true, true, 4, 1), 7, 0}),
    [](const ::testing::TestParamInfo<MixKindCase>& info) { return std::string(info.param.name); });

// A mono 16-bit source on a float device plays at 1/32768; 24-bit at 1/2^23; float at 1.
TEST(SourceFloatGains, FollowTheSourceWidth) {
  EXPECT_FLOAT_EQ(SourceFloatGain(16), 1.0f / 32768.0f);
  EXPECT_FLOAT_EQ(SourceFloatGain(24), 1.0f / 8388608.0f);
  EXPECT_FLOAT_EQ(SourceFloatGain(8), 1.0f / 128.0f);
  EXPECT_FLOAT_EQ(SourceFloatGain(1), 1.0f);
}

}  // namespace
