// Live MIDI input reaches a plug-in instrument: notes played into a JACK MIDI input go through
// the real-time processors' thru to the current track's output, a plug-in device, land in that
// device's live ring and come out at the start of the next block the engine renders for it.
// Skipped when no JACK server runs.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "audio/engine/engine_channels.h"
#include "platform/coremidi/midi_services.h"
#include "platform/memory/byte_order.h"
#include "plugins/host/plugin_devices.h"
#include "plugins/host/plugin_midi_delivery.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/midi/coremidi_driver.h"
#include "sequencer/midi/realtime_processor_chain.h"
#include "sequencer/midi/realtime_processors.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/tempo_tables.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/processor_chain_hooks.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/utility_track_access.h"
#include "song/prefs/startup_settings.h"
#include "tests/platform/coremidi/midi_test_support.h"
#include "tests/plugins/devices/device_fixture.h"
#include "tests/sequencer/playback/jack_capture.h"
#include "tests/sequencer/playback/jack_player.h"

namespace device_test {
namespace {

constexpr uint8_t kDeviceId = 4;

class LiveInputTest : public DeviceTableTest {
 protected:
  void SetUp() override {
    DeviceTableTest::SetUp();
    if (!player_.Open("liveplay-")) GTEST_SKIP() << "no JACK server runs (tools/services start starts one)";
    layer_ = "zarinlive" + std::to_string(getpid());
    // The document fixture scanned the ports with the default drivers: start again on JACK.
    MidiShutDown();
    ShutDownMidiServices();
    setenv("JACK_NO_START_SERVER", "1", 1);
    setenv("ZARIN_MIDI_DRIVERS", "jack", 1);
    setenv("ZARIN_JACK_CLIENT_NAME", layer_.c_str(), 1);
    gTempoTableResolution = 480;
    BuildTempoTables();
    InitSequencerClock();
    OSStatus s = MidiInit();
    ASSERT_TRUE(s == noErr || s == -1);
    started_ = true;
    MIDIEndpointRef source = 0;
    ASSERT_TRUE(WaitUntil(10, [&] { return (source = midi_test::FindSource(player_.SourceName())) != 0; }));
    SetMidiInput(0, GetEndpointUniqueID(source));
    DisconnectMidiSources();
    ASSERT_EQ(noErr, ConnectMidiSources());
    ASSERT_TRUE(WaitUntil(3, [&] { return player_.Connected(layer_); }));
    InstallProcessorChainHooks();
  }
  void TearDown() override {
    if (started_) {
      MidiShutDown();
      ShutDownMidiServices();
      SetMidiInput(0, 0);
    }
    gRealtimeProcessorSettings = 0;
    UpdateChainFlags(0, 0);
    player_.Close();
    ClearDeviceMidiStates();
    DisposePluginMidiState(state_);
    DeviceTableTest::TearDown();
  }
  // Plays a message into the input and waits (bounded) for the device's next block to hold it.
  bool PlayAndRender(uint8_t status, uint8_t key, uint8_t velocity) {
    if (!WaitUntil(2, [&] { return player_.Send(status, key, velocity); })) return false;
    return WaitUntil(3, [&] {
      MidiEventList* list = ScheduleBufferEvents(state_, 64, nullptr);
      for (int32_t i = 0; i < list->numEvents; ++i) {
        const PluginMidiEvent* e = list->events[i];
        if (uint8_t(e->midiData[0]) == status && e->midiData[1] == char(key) && e->midiData[2] == char(velocity))
          return e->deltaFrames == 0;
      }
      return false;
    });
  }
  JackPlayer player_;
  std::string layer_;
  bool started_ = false;
  EngineChannel channel_;
  PluginMidiState* state_ = nullptr;
};

TEST_F(LiveInputTest, NotesPlayedIntoTheInputReachTheTracksPlugInInstrument) {
  int32_t id = kDeviceId;
  ASSERT_EQ(noErr, RegisterPluginDevice(MakeRack("Kars"), &id, -1));
  channel_.id = kDeviceId;
  channel_.sampleRate = 48000.0f;
  state_ = NewPluginMidiState(&channel_, kDeviceId);
  ASSERT_NE(state_, nullptr);
  AttachChannelToDevice(&channel_, state_);

  MakeSong(0, 1);
  SetCurrentTrackIndex(0);
  gCurrentTrack[kTrackType] = kDeviceKindPlugin;
  gCurrentTrack[kTrackMidiOutput] = kDeviceId;
  gCurrentTrack[kTrackOutputKind] = 0;
  WriteU32BE(gCurrentTrack + kTrackSetting208, 0);  // the kind's own send procedure
  gRealtimeProcessorSettings |= 1;
  ResetNodeList();

  EXPECT_TRUE(PlayAndRender(0x92, 64, 100)) << "the note-on reached the device's block";
  EXPECT_TRUE(PlayAndRender(0x82, 64, 0)) << "its note-off";
  EXPECT_TRUE(PlayAndRender(0xB2, 1, 90)) << "a controller";
}

}  // namespace
}  // namespace device_test
