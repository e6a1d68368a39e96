// MIDI thru: notes played into a JACK MIDI input reach the output of the track the real-time
// processors serve, while stopped and while the song plays, once real-time processing is
// switched on. Skipped when no JACK server runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/coremidi/midi_services.h"
#include "platform/memory/byte_order.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/tick_scheduler.h"
#include "sequencer/midi/coremidi_driver.h"
#include "sequencer/midi/realtime_processor_chain.h"
#include "sequencer/midi/realtime_processors.h"
#include "sequencer/transport/transport_engine.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/processor_chain_hooks.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/prefs/startup_settings.h"
#include "tests/platform/coremidi/midi_test_support.h"
#include "tests/sequencer/playback/jack_capture.h"
#include "tests/sequencer/playback/jack_live_input.h"
#include "tests/sequencer/playback/jack_player.h"

namespace {

bool Has(const std::vector<CapturedMidi>& events, uint8_t status, uint8_t key, uint8_t velocity) {
  return std::any_of(events.begin(), events.end(), [&](const CapturedMidi& m) {
    return m.size == 3 && m.bytes[0] == status && m.bytes[1] == key && m.bytes[2] == velocity;
  });
}

class MidiThru : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!capture.Open("thrucap-")) GTEST_SKIP() << "no JACK server runs (tools/services start starts one)";
    ASSERT_TRUE(player.Open("thruplay-"));
    // The player's port becomes the first MIDI input.
    std::string problem;
    port = StartSequencerWithPlayer(capture, player, &problem);
    ASSERT_GE(port, 0) << problem;
    InstallProcessorChainHooks();
  }
  void TearDown() override {
    StopSequencerMidi();
    SetMidiInput(0, 0);
    gRealtimeProcessorSettings = 0;
    UpdateChainFlags(0, 0);
    DisposeInstrumentTable();
    gTransportSong = Handle();
    player.Close();
    capture.Close();
  }
  // A song of one track that plays to the capture port: a note at the start and one two bars on,
  // so that a pass runs for a while.
  Handle MakeSong() {
    std::vector<std::vector<SmfNote>> tracks{{{0, 0, 40, 90, 240}, {3840, 0, 41, 90, 240}}};
    return OpenSmfAsSong(MakeSmf(480, {{0, 500000}}, tracks), port);
  }
  // Plays a message into the input and waits (bounded) for what should come out.
  bool PlayAndExpect(const uint8_t (&in)[3], const uint8_t (&out)[3]) {
    size_t from = capture.Count();
    if (!WaitUntil(2, [&] { return player.Send(in[0], in[1], in[2]); })) return false;
    return WaitUntil(3, [&] { return Has(capture.Events(from), out[0], out[1], out[2]); });
  }
  JackCapture capture;
  JackPlayer player;
  int32_t port = -1;
};

TEST_F(MidiThru, NotesReachTheTracksOutputWhileStoppedAndWhilePlaying) {
  ASSERT_TRUE(MakeSong());
  // Switched off: a note only reaches the input ring, and is not echoed.
  size_t before = capture.Count();
  ASSERT_TRUE(WaitUntil(2, [&] { return player.Send(0x93, 50, 100); }));
  RingMessage queued;
  ASSERT_TRUE(WaitUntil(3, [&] { return PopMidiInputRing(gRealtimeProcessors, &queued) && queued.data1 == 50; }));
  gRealtimeProcessorSettings |= 1;
  ResetNodeList();
  ASSERT_TRUE(PlayAndExpect({0x93, 64, 100}, {0x93, 64, 100})) << "stopped: the note-on is echoed on its channel";
  EXPECT_FALSE(Has(capture.Events(before), 0x93, 50, 100)) << "echoed while real-time processing was off";
  EXPECT_TRUE(PlayAndExpect({0x83, 64, 0}, {0x83, 64, 0})) << "stopped: the note-off of the held key";

  size_t start = capture.Count();
  Play(1);
  ASSERT_TRUE(WaitUntil(3, [&] { return Has(capture.Events(start), 0x90, 40, 90); })) << "the song did not start";
  EXPECT_TRUE(PlayAndExpect({0x93, 65, 100}, {0x93, 65, 100})) << "playing: the note-on is echoed";
  EXPECT_TRUE(PlayAndExpect({0x93, 65, 0}, {0x93, 65, 0})) << "playing: the note-off is echoed";
  EXPECT_TRUE(IsClockTaskPlaying());
  StopTransport(false);
  WaitForPassEnd(1);
}

TEST_F(MidiThru, ATrackThatPlaysThroughAnInstrumentTakesItsChannel) {
  ASSERT_EQ(noErr, CreateInstrumentTable(6, kDeviceKindMidiPort));
  uint8_t* inst = GetInstrumentRecord(5);
  ASSERT_NE(inst, nullptr);
  inst[kInstPorts] = uint8_t(port);
  inst[kInstChannels] = 5;
  ASSERT_TRUE(MakeSong());
  gCurrentTrack[kTrackFlags] |= kTrackInstrumentTrack;
  gCurrentTrack[kTrackChannelCount] = 1;
  WriteU16BE(gCurrentTrack + kTrackInstruments, 5 << 8);
  gRealtimeProcessorSettings |= 1;
  ResetNodeList();
  EXPECT_TRUE(PlayAndExpect({0x90, 60, 70}, {0x95, 60, 70})) << "the note goes out on the instrument's channel";
  EXPECT_TRUE(PlayAndExpect({0x80, 60, 0}, {0x85, 60, 0}));
}

}  // namespace
