// The song time a channel's plug-ins are told follows the block scheduler: once a block past a
// tempo change is scheduled, the channel's tempo word is the new tempo (scaled by the tempo
// factor) and its alternative word the song map's own.
#include <gtest/gtest.h>

#include "audio/engine/engine_channels.h"
#include "plugins/host/plugin_midi_delivery.h"
#include "tests/sequencer/clock/clock_fixture.h"
#include "tests/sequencer/transport/transport_fixture.h"

namespace {

class ChannelSongTime : public ClockTest {};

TEST_F(ChannelSongTime, TheChannelTakesTheTempoItsBlockEndedAt) {
  EngineChannel channel;
  channel.sampleRate = 48000.0f;
  PluginMidiState* state = NewPluginMidiState(&channel, 7);
  ASSERT_NE(state, nullptr);
  // 120 BPM to tick 101 (5000 samples), then 90 BPM.
  Handle song = MakeSong({Track({{1, 0x90, 60, 100, 0}})}, {{101, 900}}, 1200);
  StartPluginMidiState(state, song, 1.0);
  ScheduleBufferEvents(state, 1024, nullptr);
  EXPECT_EQ(1200, channel.tempoWord);
  EXPECT_EQ(1200, channel.alternativeTempoWord);
  for (int32_t block = 0; block < 6; ++block) ScheduleBufferEvents(state, 1024, nullptr);
  EXPECT_EQ(state->tempo, channel.tempoWord);
  EXPECT_EQ(900, channel.alternativeTempoWord);
  DisposePluginMidiState(state);
}

}  // namespace
