// Time code and machine control on the wire: with the machine-control source the transport
// drives a recorder on the sync outputs (locate and deferred play on Play, locate when the
// user locates, stop on Stop); MIDI time code played into the sync input takes the program to
// the received frame rate and moves the stopped song to the received time, at 25 frames and
// at 29.97 drop-frame, and a pass played against running time code keeps up with it.
// Skipped when no JACK server runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <cmath>
#include <vector>

#include "platform/coremidi/midi_services.h"
#include "platform/memory/byte_order.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/coremidi_driver.h"
#include "sequencer/midi/midi_clock_out.h"
#include "sequencer/midi/midi_port_layout.h"
#include "sequencer/midi/mmc_sender.h"
#include "sequencer/midi/mtc_receiver.h"
#include "sequencer/transport/playback_control.h"
#include "sequencer/transport/sync_source.h"
#include "sequencer/transport/transport_engine.h"
#include "sequencer/transport/transport_idle.h"
#include "song/conductor/song_start_offset.h"
#include "song/conductor/tempo_tables.h"
#include "song/instruments/midi_port_table.h"
#include "tests/platform/coremidi/midi_test_support.h"
#include "tests/sequencer/playback/jack_capture.h"
#include "tests/sequencer/playback/jack_player.h"

namespace {

using Bytes = std::vector<uint8_t>;

bool HasMessage(const std::vector<CapturedMidi>& events, const Bytes& want) {
  return std::any_of(events.begin(), events.end(), [&](const CapturedMidi& m) {
    return m.size == want.size() && std::equal(want.begin(), want.end(), m.bytes);
  });
}

class TimeCodeSync : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!capture.Open("tccap-")) GTEST_SKIP() << "no JACK server runs (tools/services start starts one)";
    ASSERT_TRUE(player.Open("tcplay-"));
    port = StartSequencerMidiOnJack(capture.Name());
    ASSERT_GE(port, 0) << "the capture port did not appear in the port table";
    MIDIEndpointRef source = 0;
    ASSERT_TRUE(WaitUntil(10, [&] { return (source = midi_test::FindSource(player.SourceName())) != 0; }));
    // The player is the sync input (and an ordinary input); the capture port the sync output.
    SetMidiInput(0, GetEndpointUniqueID(source));
    gMidiDriver.syncInput.uniqueId = GetEndpointUniqueID(source);
    MIDIEndpointRef dest = ReadU32BE(*gPortTable + port * kPortEntrySize + kPortEndpoint);
    ASSERT_NE(0u, dest);
    gMidiDriver.syncOutputs[0].uniqueId = GetEndpointUniqueID(dest);
    ResolveMidiEndpoints();
    DisconnectMidiSources();
    ASSERT_EQ(noErr, ConnectMidiSources());
    ASSERT_TRUE(WaitUntil(3, [&] { return capture.Connected() && player.Connected(SequencerJackClientName()); }));
    capture.KeepOnlyOurLayer({player.Name()});
    InstallSyncOutputs();
    ResetMtcReceiver();
  }
  void TearDown() override {
    if (IsClockTaskPlaying()) StopTransport(false);
    WaitForPassEnd(1);
    SetSyncSource(kSyncSourceInternal);
    StopSequencerMidi();
    SetMidiInput(0, 0);
    gMidiDriver.syncInput = MidiEndpointEntry();
    for (MidiEndpointEntry& out : gMidiDriver.syncOutputs) out = MidiEndpointEntry();
    gMmcOutputSend = kNoDriverProc;
    gMmcEnabled = 0;
    gAudioClockMode = 0;
    SetSmpteFrameRate(3);
    gTransportSong = Handle();
    player.Close();
    capture.Close();
  }
  Handle MakeSong() {
    std::vector<std::vector<SmfNote>> tracks{{{0, 0, 40, 90, 240}, {3840, 0, 41, 90, 240}}};
    Handle song = OpenSmfAsSong(MakeSmf(480, {{0, 500000}}, tracks), port);
    gSongStartOffset = 0;
    return song;
  }
  bool WaitForMessage(size_t from, const Bytes& want) {
    if (WaitUntil(3, [&] { return HasMessage(capture.Events(from), want); })) return true;
    for (const CapturedMidi& m : capture.Events(from)) {
      std::string text;
      for (uint16_t i = 0; i < m.size; ++i) text += " " + std::to_string(m.bytes[i]);
      ADD_FAILURE() << "captured:" << text;
    }
    return false;
  }
  // The eight quarter frames of one time code (rate: 0 24, 1 25, 2 29.97 drop, 3 30).
  bool SendQuarterFrames(uint8_t hh, uint8_t mm, uint8_t ss, uint8_t ff, uint8_t rate) {
    const uint8_t pieces[8] = {uint8_t(ff & 0xF), uint8_t(0x10 | ff >> 4),
                               uint8_t(0x20 | (ss & 0xF)), uint8_t(0x30 | ss >> 4),
                               uint8_t(0x40 | (mm & 0xF)), uint8_t(0x50 | mm >> 4),
                               uint8_t(0x60 | (hh & 0xF)), uint8_t(0x70 | (hh >> 4 & 1) | rate << 1)};
    // A busy server may leave cycles out for a while: each piece waits up to 5 s.
    for (uint8_t piece : pieces)
      if (!WaitUntil(5, [&] { return player.SendTwo(0xF1, piece); })) return false;
    return WaitUntil(5, [&] { return player.Idle(); });
  }
  // The time code of frame n counted from 00:00:00:00 (rate: 0 24, 1 25, 2 29.97 drop, 3 30).
  static void FrameToTimeCode(int32_t n, uint8_t rate, uint8_t* tc) {
    int32_t fps = rate == 0 ? 24 : rate == 1 ? 25 : 30;
    if (rate == 2) {  // two frame numbers left out each minute but every tenth
      int32_t tens = n / 17982, rest = n % 17982;
      n += 18 * tens + (rest >= 2 ? 2 * ((rest - 2) / 1798) : 0);
    }
    tc[0] = uint8_t(n / (fps * 3600));
    tc[1] = uint8_t(n / (fps * 60) % 60);
    tc[2] = uint8_t(n / fps % 60);
    tc[3] = uint8_t(n % fps);
  }
  // A recorder that plays from frame startFrame: its quarter frames, one every quarter of a
  // frame of wall time since t0, are sent until `until` seconds after t0 while the idle pass
  // runs.
  void RunRecorder(std::chrono::steady_clock::time_point t0, int32_t startFrame, uint8_t rate, double until) {
    const double fps = rate == 0 ? 24.0 : rate == 1 ? 25.0 : rate == 2 ? 29.97 : 30.0;
    auto piece = [&](int32_t i) {
      uint8_t tc[4];
      FrameToTimeCode(startFrame + 2 * (i / 8), rate, tc);
      const uint8_t pieces[8] = {uint8_t(tc[3] & 0xF), uint8_t(0x10 | tc[3] >> 4), uint8_t(0x20 | (tc[2] & 0xF)),
                                 uint8_t(0x30 | tc[2] >> 4), uint8_t(0x40 | (tc[1] & 0xF)), uint8_t(0x50 | tc[1] >> 4),
                                 uint8_t(0x60 | (tc[0] & 0xF)), uint8_t(0x70 | (tc[0] >> 4 & 1) | rate << 1)};
      return pieces[i % 8];
    };
    for (;;) {
      double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
      if (elapsed >= until) return;
      while (sentPieces_ < int32_t(elapsed * 4.0 * fps)) {
        if (!WaitUntil(1, [&] { return player.SendTwo(0xF1, piece(sentPieces_)); })) return;
        ++sentPieces_;
      }
      SequencerIdleTaskService();
      RunIdleTask(false);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  JackCapture capture;
  JackPlayer player;
  int32_t port = -1;
  int32_t sentPieces_ = 0;
};

// At 120 beats a minute and 480 ticks a quarter, 960 ticks a second. Two bars in 4/4 are
// four seconds: 00:00:04:00 at 30 frames (rate bits 0x60).
TEST_F(TimeCodeSync, MachineControlLocatesPlaysAndStopsTheRecorder) {
  ASSERT_TRUE(MakeSong());
  size_t from = capture.Count();
  SetSyncSource(kSyncSourceMachineControl);
  EXPECT_TRUE(WaitForMessage(from, {0xF0, 0x7F, 0x7F, 0x06, 0x0D, 0xF7})) << "no MMC reset on choosing the source";

  from = capture.Count();
  SetLocatePoint(1 + 3840);
  StoreClockLocatePosition(gLocatePoint.tick);
  EXPECT_TRUE(WaitForMessage(from, {0xF0, 0x7F, 0x7F, 0x06, 0x44, 0x06, 0x01, 0x60, 0, 4, 0, 0, 0xF7}))
      << "locating while stopped does not wind the recorder";

  from = capture.Count();
  Play(gLocatePoint.tick);
  EXPECT_TRUE(WaitForMessage(from, {0xF0, 0x7F, 0x7F, 0x06, 0x44, 0x06, 0x01, 0x60, 0, 4, 0, 0, 0xF7}))
      << "Play does not locate the recorder";
  EXPECT_TRUE(WaitForMessage(from, {0xF0, 0x7F, 0x7F, 0x06, 0x03, 0xF7})) << "Play does not start the recorder";

  // Punched in while the pass plays: the idle pass tells the recorder to record.
  from = capture.Count();
  gPunchedIn = 1;
  SequencerIdleTaskService();
  SequencerIdleTaskService();
  EXPECT_TRUE(WaitForMessage(from, {0xF0, 0x7F, 0x7F, 0x06, 0x06, 0xF7})) << "no record strobe when punched in";
  const std::vector<CapturedMidi> punched = capture.Events(from);
  EXPECT_EQ(1, std::count_if(punched.begin(), punched.end(),
                             [](const CapturedMidi& m) { return m.size == 6 && m.bytes[4] == 0x06; }))
      << "the strobe goes out once";
  gPunchedIn = 0;

  from = capture.Count();
  StopTransport(false);
  EXPECT_TRUE(WaitForMessage(from, {0xF0, 0x7F, 0x7F, 0x06, 0x01, 0xF7})) << "Stop does not stop the recorder";
}

// Without machine control nothing goes to the recorder.
TEST_F(TimeCodeSync, WithoutMachineControlPlaySendsNoMachineControl) {
  ASSERT_TRUE(MakeSong());
  SetSyncSource(kSyncSourceInternal);
  size_t from = capture.Count();
  SetLocatePoint(1 + 3840);
  StoreClockLocatePosition(gLocatePoint.tick);
  Play(gLocatePoint.tick);
  WaitUntil(0.3, [] { return false; });
  StopTransport(false);
  WaitUntil(0.3, [] { return false; });
  for (const CapturedMidi& m : capture.Events(from)) EXPECT_NE(0xF0, m.bytes[0]) << "a system-exclusive message went out";
}

struct TimeCodeCase {
  const char* name;
  uint8_t rate, hh, mm, ss, ff;
  double seconds;  // the real time of the time code
  double subframesPerSecond;
};

// Quarter frames take the program to their frame rate and the stopped song to their time,
// 1.75 frames (140 subframes) ahead of the decoded time code.
TEST_F(TimeCodeSync, QuarterFramesMoveTheStoppedSongToTheReceivedTime) {
  ASSERT_TRUE(MakeSong());
  const TimeCodeCase cases[] = {
      {"24 frames", 0, 0, 0, 30, 6, 30.0 + 6.0 / 24.0, 1920.0},
      {"25 frames", 1, 0, 1, 10, 12, 70.0 + 12.0 / 25.0, 2000.0},
      // Ten minutes of drop-frame time code are 17,982 frames: 600 s at 29.97 frames.
      {"29.97 drop-frame", 2, 0, 10, 0, 0, 600.0, 2397.6},
      // Minute 11 drops frames 0 and 1: 00:11:00;02 is frame 17,982 + 1,800.
      {"29.97 drop-frame, minute 11", 2, 0, 11, 0, 2, 19782.0 / 29.97, 2397.6},
  };
  SetSyncSource(kSyncSourceTimeCode);
  for (const TimeCodeCase& c : cases) {
    const double expected = 1 + (c.seconds + 140.0 / c.subframesPerSecond) * 960.0;
    auto located = [&] {
      SequencerIdleTaskService();
      return std::abs(double(gLocatePoint.tick) - expected) <= 1.0;
    };
    // A recorder repeats its time code; a loaded server may hold pieces back long enough for
    // the receiver to start a frame again, so the sequence is sent again until it lands.
    bool landed = false;
    for (int attempt = 0; attempt < 5 && !landed; ++attempt) {
      ASSERT_TRUE(SendQuarterFrames(c.hh, c.mm, c.ss, c.ff, c.rate)) << c.name;
      landed = WaitUntil(2, located);
    }
    EXPECT_TRUE(landed) << c.name << ": located to " << gLocatePoint.tick << ", expected about " << expected;
    EXPECT_EQ(c.rate, gSmpteRateCode) << c.name << ": the frame rate of the received time code";
    EXPECT_EQ(gLocatePoint.tick - 1, gTransportClock.songTick.load()) << c.name << ": the song position";
  }
  EXPECT_FALSE(IsClockTaskPlaying()) << "time code started the clock by itself";
}

// Played against running time code, a pass starts where the recorder is and keeps up with
// it: after three seconds the song is where the recorder is now, within one frame (the
// received position is taken 1.75 frames ahead of the decoded time code, which is when its
// last piece arrives); at 24 and 25 frames, and at 29.97 drop-frame from
// 00:01:00;02, the first frame after a drop.
TEST_F(TimeCodeSync, APassFollowsRunningTimeCodeWithinAFrame) {
  const struct { const char* name; uint8_t rate; double fps; int32_t startFrame; } cases[] = {
      {"24 frames", 0, 24.0, 20 * 24}, {"25 frames", 1, 25.0, 20 * 25}, {"29.97 drop-frame", 2, 29.97, 1800}};
  // A hundred seconds long, so that no pass reaches the song's end.
  std::vector<std::vector<SmfNote>> tracks{{{0, 0, 40, 90, 240}, {96000, 0, 41, 90, 240}}};
  for (const auto& c : cases) {
    ASSERT_TRUE(OpenSmfAsSong(MakeSmf(480, {{0, 500000}}, tracks), port));
    gSongStartOffset = 0;
    SetSyncSource(kSyncSourceTimeCode);
    ResetMtcReceiver();
    sentPieces_ = 0;
    auto t0 = std::chrono::steady_clock::now();
    RunRecorder(t0, c.startFrame, c.rate, 0.5);
    ASSERT_EQ(c.rate, gSmpteRateCode) << c.name << ": the frame rate of the time code was not taken";
    Play(gLocatePoint.tick);
    RunRecorder(t0, c.startFrame, c.rate, 3.0);
    ASSERT_TRUE(IsClockTaskPlaying()) << c.name << ": the pass did not run";
    double songSeconds = double(gTransportClock.songTick.load()) / 960.0;
    double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    double recorder = c.startFrame / c.fps + elapsed;
    EXPECT_NEAR(recorder, songSeconds, 1.0 / c.fps) << c.name << ": the song does not follow the time code";
    StopTransport(false);
    WaitForPassEnd(1);
  }
}

// MIDI clock as the source: a start and clocks at 120 beats a minute, then at 90: the song
// keeps to the clocks, 20 ticks each (480 a quarter), before and after the change, also when
// the pass was prepared at a clock boundary. (The tempo estimate of each group of 12 clocks
// measures a single clock, which a JACK cycle of 5.3 ms moves by a quarter: it is not a
// figure to hold here.)
TEST_F(TimeCodeSync, AsMidiClockSlaveTheSongFollowsATempoChange) {
  std::vector<std::vector<SmfNote>> tracks{{{0, 0, 40, 90, 240}, {96000, 0, 41, 90, 240}}};
  ASSERT_TRUE(OpenSmfAsSong(MakeSmf(480, {{0, 500000}}, tracks), port));
  gSongStartOffset = 0;
  SetLocatePoint(1);
  StoreClockLocatePosition(1);
  SetSyncSource(kSyncSourceMidiClock);
  auto send = [&](uint8_t byte) { return WaitUntil(1, [&] { return player.SendOne(byte); }); };
  int32_t clocks = 0;
  // Clocks at a tempo (tenths of a beat a minute) for a number of them, on wall time.
  auto play = [&](int32_t tempo, int32_t count) {
    const double interval = 60.0 / (tempo / 10.0) / 24.0;
    auto start = std::chrono::steady_clock::now();
    for (int32_t i = 0; i < count; ++i) {
      while (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() < i * interval) {
        SequencerIdleTaskService();
        RunIdleTask(false);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      ASSERT_TRUE(send(0xF8));
      ++clocks;
    }
  };
  ASSERT_TRUE(send(0xFA));
  ASSERT_TRUE(WaitUntil(1, [&] { return player.Idle(); }));
  WaitUntil(0.05, [] { return false; });
  Play(gLocatePoint.tick);
  ASSERT_TRUE(IsClockTaskPlaying()) << "the pass did not run";
  auto keepsToTheClocks = [&](const char* when) {
    // The last clocks sent may still be on their way through the input (a loaded machine).
    WaitUntil(1, [&] { return double(GetMidiSyncTick()) >= double(clocks) * 20.0 - 40.0; });
    EXPECT_NEAR(double(clocks) * 20.0, double(GetMidiSyncTick()), 40.0) << when << ": a clock is not 20 ticks";
    EXPECT_NEAR(double(GetMidiSyncTick()), double(gTransportClock.songTick.load()), 40.0)
        << when << ": the song does not keep to the received clocks";
  };
  play(1200, 96);
  keepsToTheClocks("at 120");
  // 72 clocks at 90 last 2.4 s, in which the song would move 2304 ticks at 120, not 1440.
  play(900, 72);
  keepsToTheClocks("after the change to 90");
  ASSERT_TRUE(send(0xFC));
}

}  // namespace
