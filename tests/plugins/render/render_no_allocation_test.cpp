// The plug-in render path allocates nothing: a block's MIDI scheduled from a song with notes,
// clicks, a tempo change and live input, sent to the chain and the chain rendered, on a thread
// that counts every allocation it makes.
#include <gtest/gtest.h>

#include "audio/devices/audio_driver.h"
#include "audio/engine/engine_channels.h"
#include "audio/render/channel_render.h"
#include "platform/memory/byte_order.h"
#include "plugins/host/chain_render.h"
#include "plugins/host/plugin_midi_delivery.h"
#include "sequencer/clock/click_settings.h"
#include "song/instruments/instrument_record.h"
#include "song/model/song_layout.h"
#include "tests/audio/engine/allocation_counter.h"
#include "tests/plugins/render/render_fixture.h"
#include "tests/sequencer/clock/clock_fixture.h"
#include "tests/sequencer/transport/transport_fixture.h"

namespace {

using namespace render_test;

class RenderNoAllocation : public ClockTest {};

TEST_F(RenderNoAllocation, SchedulingSendingAndRenderingAllocateNothing) {
  constexpr int32_t kFrames = 256;
  gAudioBufferFrames.store(kFrames);
  ASSERT_EQ(EnsureRenderBuffers(2, 2, 1), 0);
  std::vector<TestEvent> notes;
  for (uint32_t t = 1; t < 4000; t += 37) notes.push_back({t, 0x90, uint8_t(60 + t % 24), 100, 50});
  Handle song = MakeSong({Track(notes)}, {{1500, 1700}});
  uint8_t* e = reinterpret_cast<uint8_t*>(*song) + kSongHeaderSize;
  e[kTrackType] = kDeviceKindPlugin;
  e[kTrackMidiOutput] = 5;
  PluginInstance* click = OpenTestPlugin(ClickvoxPath(), kTestRate, kFrames);
  ASSERT_NE(click, nullptr);
  EngineChannel channel;
  channel.sampleRate = kTestRate;
  PluginMidiState* state = NewPluginMidiState(&channel, 5);
  StartPluginMidiState(state, song, 1.0);
  state->clickChannel = 1;
  gClickSettings.flags = kClickActive;
  {
    engine_test::CountedThread counted;
    for (int32_t block = 0; block < 400; ++block) {
      PutLiveMidiMessage(&state->liveRing, 0x90, 40, 90);
      DeliverBufferMidi(&channel, click, state, kFrames);
      float* inputs[kRenderBufferCount] = {};
      float* outputs[kRenderBufferCount] = {};
      uint8_t rendered = 0;
      RenderInsertChain(click, inputs, outputs, kFrames, 0, &rendered);
    }
  }
  EXPECT_EQ(engine_test::CountedAllocations(), 0u);
  EXPECT_GT(state->lastTickSpan, 0.0);
  gClickSettings = ClickSettings();
  DisposePluginMidiState(state);
  CloseTestPlugin(click);
  FreeRenderBuffers();
}

}  // namespace
