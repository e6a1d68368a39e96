// Walking insert chains and the per-plug-in values read and written through them: positions,
// channel counts, output bus bytes, the channel map, tags, gains, bypass, latency, preparing
// and suspending a chain, and moving a plug-in.
#include "tests/plugins/instances/chain_fixture.h"

#include "audio/devices/audio_driver.h"
#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_state.h"
#include "audio/render/channel_render.h"
#include "plugins/host/plugin_midi_delivery.h"
#include "plugins/host/plugin_midi_ring.h"
#include "plugins/host/plugin_render_hooks.h"
#include "plugins/host/plugin_settings.h"

namespace {

TEST_F(ChainTest, WalkingCountsAndPositions) {
  PluginInstance* a = Add(0, 2);
  PluginInstance* b = Add(2, 4);
  PluginInstance* c = Add(4, 2);
  EXPECT_EQ(3, CountChainPlugins(head_));
  EXPECT_EQ(a, GetChainPlugin(head_, 0));
  EXPECT_EQ(c, GetChainPlugin(head_, 2));
  EXPECT_EQ(nullptr, GetChainPlugin(head_, 3));  // n equal to the count
  EXPECT_EQ(nullptr, GetChainPlugin(head_, -1));
  AssignChainIndices(head_, 0x5, Handle(77));
  EXPECT_EQ(2, c->chainPosition);
  EXPECT_EQ(0x5u, b->enabledOutputs);
  EXPECT_EQ(77u, a->automationList.id);
  int32_t firstIn, firstOut, largestOut, lastOut, largestIn;
  GetChainChannelCounts(head_, &firstIn, &firstOut, &largestOut, &lastOut, &largestIn);
  EXPECT_EQ(0, firstIn);
  EXPECT_EQ(2, firstOut);
  EXPECT_EQ(4, largestOut);
  EXPECT_EQ(2, lastOut);
  EXPECT_EQ(4, largestIn);
  EXPECT_EQ(a, FindInstrumentInChain(head_));
  EXPECT_TRUE(IsInstrumentPlugin(a));
  EXPECT_FALSE(IsInstrumentPlugin(b));
  EXPECT_EQ(1, ChainReceivesMidi(head_));
  EXPECT_EQ(0, IsConverterInChain(head_));
  EXPECT_EQ(1, a->useCount);
  uint32_t tag = 0xCAFE;
  AccessChainPluginTag(head_, 1, &tag, 1);
  tag = 0;
  AccessChainPluginTag(head_, 1, &tag, 0);
  EXPECT_EQ(0xCAFEu, tag);
  EXPECT_EQ(effectIndex_, GetPluginTableIndex(b));
}

TEST_F(ChainTest, OutputBusBytesAndTheChannelMap) {
  PluginInstance* a = Add(2, 2);
  PluginInstance* b = Add(2, 2);
  AudioDriverOps driver;
  driver.driverId = 3;
  AudioDriverOps* saved = gOutputDevices;
  gOutputDevices = &driver;
  EXPECT_EQ(noErr, SetChainBusBytes(31, head_, 5, 3, 9));
  EXPECT_EQ(paramErr, SetChainBusBytes(32, head_, 6, 3, 9));
  uint8_t device = 0, second = 0, pair = 0;
  for (PluginInstance* p : {a, b}) {
    EXPECT_EQ(noErr, GetPluginOutputBusInfo(p, 31, &device, &second, &pair));
    EXPECT_EQ(3, device);
    EXPECT_EQ(9, second);
    EXPECT_EQ(5, pair);
  }
  EXPECT_EQ(paramErr, GetPluginOutputBusInfo(a, 32, &device, &second, &pair));
  // No device byte, or one naming no audio driver: not connected.
  EXPECT_EQ(noErr, GetPluginOutputBusInfo(a, 0, &device, &second, &pair));
  EXPECT_EQ(kBusNotConnected, device);
  SetChainBusBytes(1, head_, 0, 4, 0);
  GetPluginOutputBusInfo(a, 1, &device, &second, &pair);
  EXPECT_EQ(kBusNotConnected, device);
  gOutputDevices = saved;

  uint8_t second2 = 7;
  EXPECT_EQ(0x21, AccessPluginChannelMap(12, a, 1, &second2, 0x21));
  second2 = 0;
  EXPECT_EQ(0x21, AccessPluginChannelMap(12, a, 0, &second2, 0));
  EXPECT_EQ(7, second2);
  EXPECT_EQ(0, AccessPluginChannelMap(13, a, 1, &second2, 0x55));

  struct Seen {
    PluginInstance* used;
    int32_t outputs;
  } seen{nullptr, 0};
  SetPluginIOConfig(a, 0x1, 1);
  ForEachPluginOutput(a, [](void* context, int32_t, uint8_t, uint8_t, uint8_t) {
    ++static_cast<Seen*>(context)->outputs;
  }, &seen);
  EXPECT_EQ(a, seen.used);
  EXPECT_EQ(1, seen.outputs);
}

TEST_F(ChainTest, BypassSuspendsAndResumes) {
  PluginInstance* a = Add(2, 2);
  FakeEffect& fake = FakeOf(a);
  SetPluginBypass(a, 1, 1);
  EXPECT_EQ(1, GetBypassState(a));
  EXPECT_EQ(0, fake.LastMains());
  EXPECT_EQ(0, a->changeFlags & 0x10);
  SetPluginBypass(a, 0, 2);
  EXPECT_EQ(0, GetBypassState(a));
  EXPECT_EQ(1, fake.LastMains());
  EXPECT_EQ(0x10, a->changeFlags & 0x10);
  PluginSettings settings;
  SetPluginBypass(a, 1, 1);
  a->receivesMidi = 1;
  SaveBypassState(a, &settings);
  a->bypass = 0;
  a->receivesMidi = 0;
  RestoreBypassState(a, &settings, 0);
  EXPECT_EQ(1, a->bypass);
  EXPECT_EQ(0, a->receivesMidi);
  RestoreBypassState(a, &settings, 1);
  EXPECT_EQ(1, a->receivesMidi);
}

TEST_F(ChainTest, LatencyPreparingAndSuspendingAChain) {
  PluginInstance* a = Add(2, 2, 10);
  PluginInstance* b = Add(2, 2, 20);
  PluginInstance* c = Add(2, 2, 5);
  EXPECT_EQ(35u, SumChainLatency(head_, 0, 0));
  EXPECT_EQ(10u, SumChainLatency(head_, 0, 1));
  FakeOf(b).effect.initialDelay = 40;
  EXPECT_EQ(35u, SumChainLatency(head_, 0, 0));
  EXPECT_EQ(55u, SumChainLatency(head_, 1, 0));  // refreshed
  SetPluginBypass(b, 1, 1);
  gEngineSampleRate = 96000.0f;
  gAudioBufferFrames = 333;
  PrepareChainPlugins(head_);
  for (PluginInstance* p : {a, b, c}) {
    EXPECT_EQ(96000.0f, p->sampleRate);
    EXPECT_EQ(333u, p->maxFrames);
  }
  EXPECT_EQ(1, FakeOf(a).LastMains());
  EXPECT_EQ(0, FakeOf(b).LastMains());  // a bypassed plug-in stays suspended
  EXPECT_EQ(1, FakeOf(c).LastMains());
  size_t bSuspends = FakeOf(b).CallsOf(kEffMainsChanged).size();
  SuspendRackPlugins(nullptr, head_);
  EXPECT_EQ(0, FakeOf(a).LastMains());
  EXPECT_EQ(0, FakeOf(c).LastMains());
  EXPECT_EQ(bSuspends, FakeOf(b).CallsOf(kEffMainsChanged).size());
  gEngineSampleRate = 44100.0f;
  gAudioBufferFrames = 1024;
}

TEST_F(ChainTest, MovingAPluginAndTheInstrumentMustStandFirst) {
  PluginInstance* synth = Add(0, 2);
  PluginInstance* a = Add(2, 2);
  PluginInstance* b = Add(2, 2);
  EXPECT_EQ(noErr, MoveChainPlugin(&head_, 1, 2));
  EXPECT_EQ(synth, GetChainPlugin(head_, 0));
  EXPECT_EQ(b, GetChainPlugin(head_, 1));
  EXPECT_EQ(a, GetChainPlugin(head_, 2));
  // An instrument behind another insert: done, and answered with 103.
  EXPECT_EQ(kInstrumentNotFirstErr, MoveChainPlugin(&head_, 2, 0));
  EXPECT_EQ(b, GetChainPlugin(head_, 0));
  EXPECT_EQ(synth, GetChainPlugin(head_, 2));
  EXPECT_EQ(nullptr, GetChainPlugin(head_, 3));
  EXPECT_EQ(noErr, MoveChainPlugin(&head_, 0, 2));
  EXPECT_EQ(synth, GetChainPlugin(head_, 0));
}

TEST_F(ChainTest, BusMaskAndEngineChannels) {
  PluginInstance* a = Add(2, 8);
  EXPECT_EQ(1u, BusMaskForPairMask(nullptr, 0xFF));
  EXPECT_EQ(1u, BusMaskForPairMask(a, 0xFF));  // no buses
  a->outputBuses = 3;
  a->outputBusChannels[0] = 2;
  a->outputBusChannels[1] = 2;
  a->outputBusChannels[2] = 4;
  EXPECT_EQ(0x2u, BusMaskForPairMask(a, 0x2));  // channels 2-3
  EXPECT_EQ(0x4u, BusMaskForPairMask(a, 0x8));  // channels 6-7
  EXPECT_EQ(0x5u, BusMaskForPairMask(a, 0x5));
  EXPECT_EQ(1, GetEngineOutputChannels(a));     // no component state
  EXPECT_EQ(0, GetPluginStateFlags(a));
  float in = 0, out = 0;
  uint16_t format = 0;
  SetPluginGains(a, 0.5f, 2.0f, 3, 0x1);
  GetPluginGains(a, &in, &out, &format);
  EXPECT_EQ(0.5f, in);
  EXPECT_EQ(2.0f, out);
  EXPECT_EQ(3, format);
  EXPECT_EQ(0x1, a->changeFlags);
}

}  // namespace

namespace {

// Live MIDI still waiting for an instrument's chain is rendered once more before the chain is
// suspended, so that the plug-in takes it.
TEST_F(ChainTest, SuspendingARackDeliversItsUnreadLiveMidiFirst) {
  InstallPluginRenderHooks();
  PluginInstance* synth = Add(0, 2);
  ResumePlugin(synth, 0);
  ASSERT_EQ(0, EnsureRenderBuffers(2, 2, 1));
  EngineChannel channel;
  ChannelRenderState state;
  state.chainHead = synth;
  state.inputChannels = 0;
  state.outputChannels = 2;
  state.audioInput = 0;
  state.midi = 1;
  PluginMidiState* midi = NewPluginMidiState(&channel, 0);
  ASSERT_NE(nullptr, midi);
  state.midiState = midi;
  channel.renderState = &state;
  channel.frameChannels = 2;
  channel.sampleBits = 32;
  std::vector<float> block(64 * 2);
  channel.renderBlock = block.data();
  channel.framesPerBlock = 64;
  ASSERT_TRUE(PutLiveMidiMessage(&midi->liveRing, 0x90, 60, 100));
  SuspendRackPlugins(&channel, head_);
  EXPECT_EQ(1u, FakeOf(synth).CallsOf(kEffProcessEvents).size());
  EXPECT_EQ(midi->liveRing.writeIndex.load(), midi->liveRing.readIndex);
  EXPECT_EQ(0, FakeOf(synth).LastMains());
  // Nothing left unread: no further render.
  SuspendRackPlugins(&channel, head_);
  EXPECT_EQ(1u, FakeOf(synth).CallsOf(kEffProcessEvents).size());
  channel.renderState = nullptr;
  DisposePluginMidiState(midi);
}

}  // namespace
