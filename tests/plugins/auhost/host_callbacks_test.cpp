// The musical-time callbacks against positions worked out by hand from the song's tempo map:
// at 120 beats per minute and 48000 Hz a quarter note lasts 24000 samples, so a tick lasts
// 24000 / ticks-per-quarter samples.
#include <gtest/gtest.h>

#include <cmath>
#include <thread>

#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_state.h"
#include "plugins/host/audio_unit_callbacks.h"
#include "plugins/host/callback_beat_position.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/host/vst_host_callback.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/transport/playback_control.h"
#include "tests/song/conductor/conductor_fixture.h"

namespace {

constexpr float kRate = 48000.0f;

class HostCallbacksTest : public ConductorTest {
 protected:
  void SetUp() override {
    ConductorTest::SetUp();
    UseResolution(480);
    gClockTempo = 1200;
    gClockConductorFollow = 1;
    gEngineSampleRate = kRate;
    gEngineSampleClock.store(0);
    gTransportClock.samplePosition = 0.0;
    gTransportClock.installedProc.store(nullptr);
    gTransportClock.cycleStartTick = gTransportClock.cycleStopTick = 0;
    gCycleMode = 0;
    ResetNextBeatCache();
  }
  void TearDown() override {
    gTransportClock.installedProc.store(nullptr);
    gClockConductorFollow = 0;
  }

  // A fresh song at ppq ticks per quarter, 120 beats per minute, 4/4.
  void UseResolution(int32_t ppq) {
    gResolutionBeforeChange = gTicksPerQuarter = ppq;
    gDocumentResolution = ppq;
    gConductorState = ConductorState();
    gConductorState.ticksPerBeat = 0;
    gConductorState.tempo = 1200;
    ApplyTimebase();
    ResetSongDatabase();
    TempoAt(1, 1200);
  }

  // Samples of a tick at 120 beats per minute (no tempo change).
  static double SamplesAt(double tick, int32_t ppq) { return (tick - 1.0) * 24000.0 / ppq; }

  // Outside rendering the position is the clock's offset plus the engine's sample clock.
  static void StandAt(double samples) {
    gTransportClock.samplePosition = std::floor(samples / 2);
    gEngineSampleClock.store(int64_t(samples) - int64_t(std::floor(samples / 2)));
  }

  PluginInstance instance_;
};

TEST_F(HostCallbacksTest, BeatIsZeroAtTickOneAndOneAQuarterLater) {
  Float64 beat = -1.0, tempo = 0.0;
  EXPECT_EQ(noErr, GetBeatAndTempo(&instance_, &beat, &tempo));
  EXPECT_EQ(0.0, beat);
  EXPECT_DOUBLE_EQ(120.0, tempo);

  StandAt(24000);
  EXPECT_EQ(noErr, GetBeatAndTempo(&instance_, &beat, nullptr));
  EXPECT_NEAR(1.0, beat, 1e-6);
  StandAt(24000 * 2.5);
  EXPECT_EQ(noErr, GetBeatAndTempo(&instance_, &beat, nullptr));
  EXPECT_NEAR(2.5, beat, 1e-6);

  // Without following the conductor the position is the clock's offset alone, and the beat 0.
  gClockConductorFollow = 0;
  EXPECT_EQ(noErr, GetBeatAndTempo(&instance_, &beat, &tempo));
  EXPECT_EQ(0.0, beat);
  EXPECT_EQ(noErr, GetBeatAndTempo(&instance_, nullptr, nullptr));  // null outs are skipped
}

TEST_F(HostCallbacksTest, TempoIsTheScaledClockTempoInTenths) {
  gClockTempo = 1375;
  gClockTempoFactor = kUnityTempoFactor * 2;
  Float64 tempo = 0.0;
  GetBeatAndTempo(&instance_, nullptr, &tempo);
  gClockTempoFactor = kUnityTempoFactor;
  EXPECT_DOUBLE_EQ(275.0, tempo);
}

struct LocationCase {
  const char* what;
  int32_t ppq, numerator, denominator;
  double tick;
  double downBeat;   // quarter notes
  double nextBeat;   // tick of the next quarter
};

class MusicalTimeLocationTest : public HostCallbacksTest,
                                public ::testing::WithParamInterface<LocationCase> {};

TEST_P(MusicalTimeLocationTest, MeterDownbeatAndSamplesToTheNextBeat) {
  const LocationCase& c = GetParam();
  UseResolution(c.ppq);
  MeterAt(1, c.numerator, c.denominator);
  StandAt(std::round(SamplesAt(c.tick, c.ppq)));
  UInt32 toNext = 0, denominator = 0;
  Float32 numerator = 0;
  Float64 downBeat = -1;
  ASSERT_EQ(noErr, GetMusicalTimeLocation(&instance_, &toNext, &numerator, &denominator, &downBeat));
  EXPECT_EQ(Float32(c.numerator), numerator) << c.what;
  EXPECT_EQ(UInt32(c.denominator), denominator) << c.what;
  EXPECT_NEAR(c.downBeat, downBeat, 1e-9) << c.what;
  double expected = std::round(SamplesAt(c.nextBeat, c.ppq)) - std::round(SamplesAt(c.tick, c.ppq));
  EXPECT_NEAR(expected, double(toNext), 2.0) << c.what;
}

const LocationCase kLocations[] = {
    {"4/4 inside bar 2", 480, 4, 4, 1 + 480 * 5 + 100, 4.0, 1 + 480 * 6},
    {"4/4 on a beat", 480, 4, 4, 1 + 480 * 6, 4.0, 1 + 480 * 6},
    {"6/8 in bar 3", 120, 6, 8, 1 + 360 * 2 + 70, 6.0, 1 + 120 * 7},
    {"6/8 at 480", 480, 6, 8, 1 + 1440 + 1000, 3.0, 1 + 480 * 6},
    {"3/4 at an odd resolution", 97, 3, 4, 1 + 97 * 7 + 13, 6.0, 1 + 97 * 8},
    {"7/8 at 96", 96, 7, 8, 1 + 336 + 50, 3.5, 1 + 96 * 5},
};

INSTANTIATE_TEST_SUITE_P(Meters, MusicalTimeLocationTest, ::testing::ValuesIn(kLocations));

TEST_F(HostCallbacksTest, AMeterChangeAndATempoChangeAreFollowed) {
  // Two bars of 4/4, then 6/8; 60 beats per minute from tick 961 (100 samples a tick).
  MeterAt(3841, 6, 8);
  TempoAt(961, 600);
  double tick = 3841 + 1440 + 10;
  double samples = 48000 + (tick - 961) * 100;
  StandAt(samples);
  UInt32 toNext = 0, denominator = 0;
  Float32 numerator = 0;
  Float64 downBeat = 0;
  ASSERT_EQ(noErr, GetMusicalTimeLocation(&instance_, &toNext, &numerator, &denominator, &downBeat));
  EXPECT_EQ(6.0f, numerator);
  EXPECT_EQ(8u, denominator);
  EXPECT_NEAR(11.0, downBeat, 1e-9);  // (3841 + 1440 - 1) / 480
  EXPECT_NEAR(470 * 100, double(toNext), 1.0);  // the next quarter is tick 5761
  Float64 beat = 0, tempo = 0;
  GetBeatAndTempo(&instance_, &beat, &tempo);
  EXPECT_NEAR((tick - 1) / 480, beat, 1e-4);
}

TEST_F(HostCallbacksTest, WithoutASongNothingIsWritten) {
  gCurrentSong = nullptr;
  UInt32 toNext = 77, denominator = 77;
  Float32 numerator = 77;
  Float64 downBeat = 77;
  EXPECT_EQ(kAudioUnitErr_CannotDoInCurrentContext,
            GetMusicalTimeLocation(&instance_, &toNext, &numerator, &denominator, &downBeat));
  EXPECT_EQ(77u, toNext);
  EXPECT_EQ(77.0f, numerator);
  EXPECT_EQ(77u, denominator);
  EXPECT_EQ(77.0, downBeat);
}

TEST_F(HostCallbacksTest, NotFollowingTheConductorWritesTheValuesButAnswersAnError) {
  MeterAt(1, 6, 8);
  gClockConductorFollow = 0;
  gTransportClock.samplePosition = 24000 * 3 + 100;
  Float32 numerator = 0;
  Float64 downBeat = -1;
  EXPECT_EQ(kAudioUnitErr_CannotDoInCurrentContext,
            GetMusicalTimeLocation(&instance_, nullptr, &numerator, nullptr, &downBeat));
  EXPECT_EQ(6.0f, numerator);
  EXPECT_NEAR(3.0, downBeat, 1e-9);  // bar 2 of 6/8 starts at quarter 3
}

TEST_F(HostCallbacksTest, TheTransportChangeIsReportedOnceAfterPlayStarts) {
  Boolean playing = true, changed = true;
  GetTransportState(&instance_, &playing, &changed, nullptr, nullptr, nullptr, nullptr);
  EXPECT_FALSE(playing);
  EXPECT_FALSE(changed);
  gTransportClock.installedProc.store(ClockTimerPlayProc);
  GetTransportState(&instance_, &playing, &changed, nullptr, nullptr, nullptr, nullptr);
  EXPECT_TRUE(playing);
  EXPECT_TRUE(changed);
  GetTransportState(&instance_, &playing, &changed, nullptr, nullptr, nullptr, nullptr);
  EXPECT_TRUE(changed == false);
  gTransportClock.installedProc.store(nullptr);
  GetTransportState(&instance_, &playing, &changed, nullptr, nullptr, nullptr, nullptr);
  EXPECT_FALSE(playing);
  EXPECT_TRUE(changed);
}

TEST_F(HostCallbacksTest, CycleAndTimelineOutsideAndWhileRendering) {
  gCycleMode = 1;
  gTransportClock.cycleStartTick = 481;
  gTransportClock.cycleStopTick = 2401;
  Boolean cycling = false;
  Float64 start = 0, end = 0, sample = -1;
  GetTransportState(&instance_, nullptr, nullptr, &sample, &cycling, &start, &end);
  EXPECT_TRUE(cycling);
  EXPECT_DOUBLE_EQ(1.0, start);
  EXPECT_DOUBLE_EQ(5.0, end);
  EXPECT_EQ(0.0, sample);  // outside rendering

  // While this thread renders a channel at 44100 Hz, the channel is the position source; a
  // thread that does not render still sees the clock.
  EngineChannel channel;
  channel.sampleRate = 44100.0f;
  channel.position = 22050 * 3;  // three quarter notes at 44100
  StorePluginRenderChannel(&channel);
  Float64 beat = 0;
  GetTransportState(&instance_, nullptr, nullptr, &sample, nullptr, nullptr, nullptr);
  GetBeatAndTempo(&instance_, &beat, nullptr);
  Float64 otherBeat = -1;
  std::thread([&] { GetBeatAndTempo(&instance_, &otherBeat, nullptr); }).join();
  StorePluginRenderChannel(nullptr);
  EXPECT_EQ(66150.0, sample);
  EXPECT_NEAR(3.0, beat, 1e-4);
  EXPECT_EQ(0.0, otherBeat);

  gCycleMode = 0;
  GetTransportState(&instance_, nullptr, nullptr, nullptr, &cycling, nullptr, nullptr);
  EXPECT_FALSE(cycling);
}

// While a channel renders, its own tempo words and latency offset are what its plug-ins are
// told: the start delay still ahead holds the timeline back and, while it exceeds the chain's
// latency, the transport reads as not playing.
TEST_F(HostCallbacksTest, ARenderingChannelTellsItsTempoWordsAndLatency) {
  gTransportClock.installedProc.store(ClockTimerPlayProc);
  EngineChannel channel;
  channel.sampleRate = kRate;
  channel.position = 96000;
  channel.tempoWord = 1375;
  channel.alternativeTempoWord = 1200;
  channel.latencyWord = 256;
  struct Case {
    int32_t startDelay;
    uint16_t stateFlags;
    double tempo;
    bool playing;
  };
  const Case cases[] = {{0, 0, 137.5, true}, {512, 0, 137.5, false}, {200, kPluginStateAltTempo, 120.0, true}};
  for (const Case& c : cases) {
    channel.startDelay = c.startDelay;
    instance_.stateFlags = c.stateFlags;
    StorePluginRenderChannel(&channel);
    Float64 tempo = 0, sample = 0;
    Boolean playing = !c.playing;
    GetBeatAndTempo(&instance_, nullptr, &tempo);
    GetTransportState(&instance_, &playing, nullptr, &sample, nullptr, nullptr, nullptr);
    StorePluginRenderChannel(nullptr);
    EXPECT_DOUBLE_EQ(c.tempo, tempo) << c.startDelay;
    EXPECT_EQ(c.playing, bool(playing)) << c.startDelay;
    EXPECT_EQ(double(96000 - c.startDelay), sample) << c.startDelay;
  }
  instance_.stateFlags = 0;
  gTransportClock.installedProc.store(nullptr);
}

TEST_F(HostCallbacksTest, SamplesToTheNextBeat) {
  NextBeatCache cache;
  uint8_t* song = gCurrentSong;
  EXPECT_EQ(500u, GetSamplesToNextBeat(-500, 1.0, kRate, &cache, song, 480));
  EXPECT_EQ(0u, GetSamplesToNextBeat(0, 1.0, kRate, &cache, song, 480));  // on the first beat
  EXPECT_EQ(23950u, GetSamplesToNextBeat(50, 2.0, kRate, &cache, song, 480));
  EXPECT_EQ(481, cache.beatTick);
  // A position a sample past the beat while the tick still reads the beat: on it, not a
  // wrap to four billion samples.
  EXPECT_EQ(0u, GetSamplesToNextBeat(24001, 481.0, kRate, &cache, song, 480));

  // A new tempo map is taken once the cache is reset, as preparing a chain does.
  TempoAt(1, 600);
  ResetNextBeatCache();
  EXPECT_EQ(47900u, GetSamplesToNextBeat(100, 2.0, kRate, &cache, song, 480));
}

}  // namespace

namespace {

// Before the song's start (a count-in or pre-roll), a rendering channel's position counts back
// from tick 1 at the clock's tick length, less the latency of the insert behind the asker.
TEST_F(HostCallbacksTest, BeforeTheStartTheTickCountsBackFromTickOne) {
  gTransportClock.secondsPerTick = 0.5 / 480;
  EngineChannel channel;
  channel.sampleRate = 48000.0f;
  EXPECT_DOUBLE_EQ(1.0 - 480, GetCallbackBeatPosition(&instance_, &channel, -24000));
  EXPECT_DOUBLE_EQ(1.0, GetCallbackBeatPosition(&instance_, nullptr, -24000));

  PluginInstance* first = NewPluginInstanceRecord();
  PluginInstance* behind = NewPluginInstanceRecord();
  ASSERT_TRUE(first && behind);
  first->next = behind->id;
  behind->latency = 2400;  // a twentieth of a second: 48 ticks
  EXPECT_DOUBLE_EQ(1.0 - 480 + 48, GetCallbackBeatPosition(first, &channel, -24000));
  FreePluginInstanceRecord(behind);
  FreePluginInstanceRecord(first);
}

}  // namespace
