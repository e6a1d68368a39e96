// Channels fed through a plug-in's output buses and record inputs attached as a channel's
// source: which buses have an instrument, the driven channels linked behind the plug-in's
// channel (device heads updated), their output blocks, and attaching and detaching an input.
#include <gtest/gtest.h>

#include "audio/devices/audio_driver.h"
#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_plugin_hooks.h"
#include "audio/engine/plugin_bus_binding.h"
#include "audio/engine/record_inputs.h"
#include "audio/render/channel_render.h"
#include "platform/memory/byte_order.h"
#include "plugins/plugin_engine_hooks.h"
#include "plugins/plugin_output_buses.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/model/song_layout.h"

namespace {

class PluginBuses : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallPluginEngineHooks();
    ASSERT_EQ(CreateInstrumentTable(3, 18), noErr);
    for (int i = 0; i < 3; ++i) InstrumentView(GetInstrumentRecord(i)).SetPort(0, uint8_t(i));
  }
  void TearDown() override {
    SetPluginOutputBuses(&plugin_, nullptr, 0);
    DisposeInstrumentTable();
  }
  ChannelRenderState plugin_;  // the channel's chain stands for its first plug-in
};

TEST_F(PluginBuses, OnlyBusesWithAnInstrumentAreInTheMask) {
  PluginBusInfo buses[3];
  buses[0].deviceKind = 18;
  buses[0].port = 2;
  buses[1].deviceKind = kDeviceKindNone;  // plays nowhere
  buses[2].deviceKind = 18;
  buses[2].port = 1;
  ASSERT_EQ(SetPluginOutputBuses(&plugin_, buses, 3), 0);
  EXPECT_EQ(FindInstrumentForPluginBus(&plugin_, 0), 2);
  EXPECT_EQ(FindInstrumentForPluginBus(&plugin_, 1), -1);
  EXPECT_EQ(FindInstrumentForPluginBus(&plugin_, 2), 1);
  EXPECT_EQ(FindInstrumentForPluginBus(&plugin_, 3), -1);  // no such bus
  EngineChannel channel;
  UpdateOutputBusMask(&channel, &plugin_);
  EXPECT_EQ(channel.outputBusMask, 0b101u);
  UpdateOutputBusMask(&channel, nullptr);
  EXPECT_EQ(channel.outputBusMask, 0u);
}

// Without a plug-in host installed the engine finds no buses and no chain plug-in.
TEST_F(PluginBuses, WithoutAHostNoBusIsFound) {
  PluginBusInfo bus;
  bus.deviceKind = 18;
  bus.port = 2;
  ASSERT_EQ(SetPluginOutputBuses(&plugin_, &bus, 1), 0);
  const EnginePluginHooks installed = gEnginePluginHooks;
  gEnginePluginHooks = {};
  EXPECT_EQ(FindInstrumentForPluginBus(&plugin_, 0), -1);
  EngineChannel channel;
  channel.renderState = &plugin_;
  UpdateOutputBusMask(&channel, &plugin_);
  EXPECT_EQ(channel.outputBusMask, 0u);
  EXPECT_EQ(FindChainPlugin(&channel, 0), nullptr);
  EXPECT_EQ(SetPluginParameterChecked(&plugin_, 1, 0.5f), -50);
  gEnginePluginHooks = installed;
  EXPECT_EQ(FindInstrumentForPluginBus(&plugin_, 0), 2);
}

TEST_F(PluginBuses, DrivenChannelsAreLinkedBehindThePluginChannel) {
  AudioDriverOps main, other;
  EngineChannel synth, after, driven, otherNext;
  synth.renderState = &plugin_;
  synth.device = &main;
  after.device = &main;
  main.channelList = &synth;
  synth.next = &after;
  driven.device = &other;  // the head of another device's list
  driven.framesPerBlock = 64;
  driven.frameChannels = 2;
  driven.next = &otherNext;
  otherNext.device = &other;
  other.channelList = &driven;
  PluginBusInfo bus;
  bus.drivenChannel = &driven;
  ASSERT_EQ(SetPluginOutputBuses(&plugin_, &bus, 1), 0);

  ASSERT_EQ(LinkPluginBusChannels(&synth, true), 0);
  EXPECT_EQ(synth.next, &driven);
  EXPECT_EQ(driven.next, &after);
  EXPECT_EQ(driven.device, &main);
  EXPECT_EQ(other.channelList, &otherNext);
  ASSERT_NE(driven.currentOutput, nullptr);
  driven.currentOutput[64 * 2 - 1] = 1.0f;  // a whole block of Float32 frames fits
  ASSERT_EQ(LinkPluginBusChannels(&synth, true), 0);  // again: nothing moves
  EXPECT_EQ(synth.next, &driven);
  EXPECT_EQ(driven.next, &after);
  ASSERT_EQ(LinkPluginBusChannels(&synth, false), 0);
  EXPECT_EQ(driven.currentOutput, nullptr);
}

TEST_F(PluginBuses, AttachingAnInputTakesItsLatencyAndTheTrackInstrument) {
  uint8_t track[kTrackInstruments + 2 * 11] = {};
  WriteU16BE(track + kTrackInstruments, uint16_t(2 << 8));
  AudioInput input;
  input.sampleRate = 48000.0f;
  EngineChannel channel;
  gEngineInputLatencyRemainder = 5;
  AttachExternalSource(&channel, &input, track);
  EXPECT_EQ(channel.externalSource, &input);
  EXPECT_EQ(input.channelLink, &channel);
  EXPECT_EQ(gEngineInputLatency, 8000);
  EXPECT_EQ(gEngineInputLatencyRemainder, 0);
  EXPECT_EQ(channel.instrumentIndex, 2);
  AttachExternalSource(&channel, &input, nullptr);
  EXPECT_EQ(channel.externalSource, nullptr);
  EXPECT_EQ(channel.instrumentChannel, nullptr);
  EXPECT_EQ(input.channelLink, nullptr);
}

}  // namespace
