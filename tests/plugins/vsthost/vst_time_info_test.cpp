// The time record a VST plug-in gets: sample position and rate, quarter-note position read
// through the song's tempo map, tempo, bar start and meter (4/4, 6/8, and at an odd
// resolution), the transport bits, and one record per instance or per thread, never shared.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <thread>

#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_state.h"
#include "platform/memory/byte_order.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/host/vst_host_callback.h"
#include "plugins/host/vst_time_info.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/transport/transport_engine.h"
#include "sequencer/transport/transport_tempo.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/sample_position.h"
#include "song/conductor/tempo_tables.h"
#include "song/conductor/timebase.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "tests/plugins/vsthost/vst_test_instance.h"
#include "tests/sequencer/transport/transport_fixture.h"

namespace {

using vsthost_test::TestVstInstance;

constexpr float kRate = 44100.0f;
constexpr VstInt32 kAsked = kVstNanosValid | kVstPpqPosValid | kVstTempoValid | kVstBarsValid |
                            kVstTimeSigValid | kVstSmpteValid | kVstClockValid |
                            kVstCyclePosValid | kVstAutomationWriting;

class VstTimeInfoTest : public TransportTest {
 protected:
  void SetUp() override {
    TransportTest::SetUp();
    savedResolution_ = gTicksPerQuarter;
    savedSong_ = gCurrentSongHandle;
    gTicksPerQuarter = 480;
    gEngineSampleRate = kRate;
    gEngineSampleClock.store(0);
    gTransportClock.samplePosition = 0.0;
  }
  void TearDown() override {
    StorePluginRenderChannel(nullptr);
    SetCurrentSong(savedSong_);
    gTicksPerQuarter = savedResolution_;
    gTempoTableResolution = 480;
    BuildTempoTables();
    gEngineSampleClock.store(0);
    TransportTest::TearDown();
  }
  // A song in this meter with tempo changes, the current song and the transport's.
  Handle MeterSong(uint8_t beatsPerBar, uint8_t beatUnit, int32_t resolution = 480) {
    gTicksPerQuarter = resolution;
    gTempoTableResolution = resolution;
    BuildTempoTables();
    Handle song = MakeSong({Track({{1, 0x90, 60, 100, 10}})},
                           {{1 + 3 * resolution, 900}, {1 + 9 * resolution, 1500}}, 1200);
    uint8_t* s = reinterpret_cast<uint8_t*>(*song);
    WriteU16BE(s + kSongResolution, uint16_t(resolution));
    WriteU16BE(s + kSongTicksPerBeat, uint16_t(resolution * 4 / beatUnit));
    s[kSongBeatsPerBar] = beatsPerBar;
    SetCurrentSong(song);
    gTransportSong = song;
    return song;
  }
  // The engine's sample clock at a tick of the current song.
  void EngineAtTick(int32_t tick) { gEngineSampleClock.store(TickToSamplePosition(tick, kRate)); }

  int32_t savedResolution_ = 0;
  Handle savedSong_;
};

// Playing: the bar start and the meter come from the song's map at the position, which is
// read from the engine's sample clock through the tempo changes.
TEST_F(VstTimeInfoTest, PlayingGivesBarsAndMeterFromTheSongsMap) {
  struct Case {
    uint8_t beatsPerBar, beatUnit;
    int32_t resolution;
    int32_t bar;        // 0-based bar of the position
    int32_t intoBar;    // ticks into it
  };
  const Case cases[] = {{4, 4, 480, 2, 700}, {6, 8, 480, 2, 500}, {6, 8, 120, 5, 77},
                        {3, 4, 480, 4, 1}, {7, 8, 96, 3, 300}};
  TestVstInstance plugin(vsthost_test::kLspCompressor);
  ASSERT_TRUE(plugin.ok());
  for (const Case& c : cases) {
    const std::string meter = std::to_string(c.beatsPerBar) + "/" + std::to_string(c.beatUnit) +
                              " at " + std::to_string(c.resolution);
    MeterSong(c.beatsPerBar, c.beatUnit, c.resolution);
    ::Play(1);
    RunTicks(10);
    gTransportClock.runBits |= 1;
    ASSERT_TRUE(IsClockTaskPlaying()) << meter;
    int32_t ticksPerBar = c.beatsPerBar * c.resolution * 4 / c.beatUnit;
    int32_t tick = 1 + c.bar * ticksPerBar + c.intoBar;
    EngineAtTick(tick);
    VstTimeInfo* info = FillInstanceTimeInfo(kAsked, plugin.instance());
    EXPECT_NEAR(info->ppqPos, double(tick - 1) / c.resolution, 1e-6) << meter;
    EXPECT_DOUBLE_EQ(info->barStartPos, double(c.bar * ticksPerBar) / c.resolution) << meter;
    EXPECT_EQ(info->timeSigNumerator, c.beatsPerBar) << meter;
    EXPECT_EQ(info->timeSigDenominator, c.beatUnit) << meter;
    EXPECT_TRUE(info->flags & kVstBarsValid) << meter;
    EXPECT_TRUE(info->flags & kVstTransportPlaying) << meter;
    EXPECT_DOUBLE_EQ(info->samplePos, double(TickToSamplePosition(tick, kRate))) << meter;
    EXPECT_EQ(info->sampleRate, kRate);
    StopTransport(false);
  }
}

// Stopped: no bar position, the meter of the conductor's current state; the flags the host
// never fills are taken out of the answer and the transport bits are its own.
TEST_F(VstTimeInfoTest, StoppedGivesNoBarsAndTakesOutWhatItNeverFills) {
  TestVstInstance plugin(vsthost_test::kLspCompressor);
  ASSERT_TRUE(plugin.ok());
  MeterSong(6, 8);
  gConductorState.beatsPerBar = 6;
  gConductorState.ticksPerBeat = 240;
  gTransportClock.tempo = 1200;
  int32_t tick = 1 + 10 * 480 + 100;  // behind both tempo changes
  EngineAtTick(tick);
  VstTimeInfo* info = FillInstanceTimeInfo(kAsked, plugin.instance());
  EXPECT_EQ(info, &plugin.instance()->timeInfo);
  EXPECT_NEAR(info->ppqPos, double(tick - 1) / 480, 1e-6);
  EXPECT_DOUBLE_EQ(info->tempo, 120.0);
  EXPECT_EQ(info->barStartPos, 0.0);
  EXPECT_EQ(info->timeSigNumerator, 6);
  EXPECT_EQ(info->timeSigDenominator, 8);
  VstInt32 dropped = kVstNanosValid | kVstSmpteValid | kVstClockValid | kVstBarsValid |
                     kVstAutomationWriting | kVstTransportPlaying | kVstTransportChanged;
  EXPECT_EQ(info->flags & dropped, 0);
  EXPECT_EQ(info->flags & (kVstPpqPosValid | kVstTempoValid | kVstTimeSigValid),
            kVstPpqPosValid | kVstTempoValid | kVstTimeSigValid);
  // No meter known at all: a denominator of 4.
  gConductorState.ticksPerBeat = 0;
  EXPECT_EQ(FillInstanceTimeInfo(kAsked, plugin.instance())->timeSigDenominator, 4);
}

// The transport-changed bit is set once for each change of the play state an instance has
// not seen yet.
TEST_F(VstTimeInfoTest, TransportChangedIsReportedOncePerChange) {
  TestVstInstance plugin(vsthost_test::kLspCompressor);
  ASSERT_TRUE(plugin.ok());
  MeterSong(4, 4);
  auto changed = [&] {
    return (FillInstanceTimeInfo(kVstTransportChanged, plugin.instance())->flags &
            kVstTransportChanged) != 0;
  };
  changed();
  EXPECT_FALSE(changed());
  ::Play(1);
  RunTicks(5);
  EXPECT_TRUE(changed());
  EXPECT_FALSE(changed());
  StopTransport(false);
  EXPECT_TRUE(changed());
  EXPECT_FALSE(changed());
  // A caller that is not an instance yet has nothing to compare with.
  EXPECT_EQ(FillVstTimeInfo(kVstTransportChanged, nullptr)->flags & kVstTransportChanged, 0);
}

// Each instance has its own record and each thread its own record for callers that are not
// instances: a render on the engine thread never overwrites what the main thread was given.
TEST_F(VstTimeInfoTest, RecordsAreNeverSharedBetweenThreadsOrInstances) {
  TestVstInstance first(vsthost_test::kLspCompressor), second(vsthost_test::kDpfBitcrush);
  ASSERT_TRUE(first.ok() && second.ok());
  MeterSong(4, 4);
  EngineAtTick(1 + 480);
  VstTimeInfo* mainRecord = FillVstTimeInfo(kVstPpqPosValid, nullptr);
  double mainPosition = mainRecord->samplePos;
  VstTimeInfo* engineRecord = nullptr;
  std::thread engine([&] {
    EngineChannel channel;
    channel.position = 123456;
    channel.sampleRate = 48000.0f;
    StorePluginRenderChannel(&channel);
    engineRecord = FillVstTimeInfo(kVstPpqPosValid, nullptr);
    EXPECT_EQ(engineRecord->samplePos, 123456.0);
    EXPECT_EQ(engineRecord->sampleRate, 48000.0);
    EXPECT_EQ(HandleAudioMasterCall(nullptr, kAudioMasterGetCurrentProcessLevel, 0, 0, nullptr, 0),
              kVstProcessLevelRealtime);
    StorePluginRenderChannel(nullptr);
  });
  engine.join();
  EXPECT_NE(engineRecord, mainRecord);
  EXPECT_EQ(mainRecord->samplePos, mainPosition);
  EXPECT_EQ(mainRecord->sampleRate, kRate);
  EXPECT_EQ(GetPluginRenderChannel(), nullptr) << "the engine's channel is its own thread's";
  VstTimeInfo* a = FillVstTimeInfo(kVstPpqPosValid, first.effect());
  VstTimeInfo* b = FillVstTimeInfo(kVstPpqPosValid, second.effect());
  EXPECT_EQ(a, &first.instance()->timeInfo);
  EXPECT_EQ(b, &second.instance()->timeInfo);
  // The callback answers the same record's address.
  EXPECT_EQ(HandleAudioMasterCall(first.effect(), kAudioMasterGetTime, 0, kVstPpqPosValid, nullptr, 0),
            reinterpret_cast<VstIntPtr>(a));
}

// While a channel renders, the record holds the channel's position less the start delay
// still ahead and the channel's own tempo word (the alternative one for an instance that
// follows it).
TEST_F(VstTimeInfoTest, ARenderingChannelGivesItsTempoWordAndLatencyOffset) {
  TestVstInstance plugin(vsthost_test::kLspCompressor);
  ASSERT_TRUE(plugin.ok());
  MeterSong(6, 8);
  EngineChannel channel;
  channel.position = 50000;
  channel.startDelay = 1000;
  channel.sampleRate = 48000.0f;
  channel.tempoWord = 1375;
  channel.alternativeTempoWord = 900;
  StorePluginRenderChannel(&channel);
  VstTimeInfo* info = FillVstTimeInfo(kVstTempoValid, nullptr);
  EXPECT_EQ(49000.0, info->samplePos);
  EXPECT_DOUBLE_EQ(137.5, info->tempo);
  plugin.instance()->stateFlags |= kPluginStateAltTempo;
  info = FillVstTimeInfo(kVstTempoValid, plugin.effect());
  EXPECT_DOUBLE_EQ(90.0, info->tempo);
  StorePluginRenderChannel(nullptr);
}

// audioMasterTempoAt: beats per minute x 10000, the song's tempo, the conductor's tempo at
// the position while playback follows the conductor, 100 beats per minute without a song.
TEST_F(VstTimeInfoTest, TempoAtAnswersBeatsPerMinuteTimes10000) {
  SetCurrentSong(Handle());
  gTransportSong = Handle();
  EXPECT_EQ(GetVstTempoAt(0), 1000000);
  MeterSong(4, 4);
  EXPECT_EQ(HandleAudioMasterCall(nullptr, kAudioMasterTempoAt, 0, 0, nullptr, 0), 1200000);
  uint8_t follow = gClockConductorFollow;
  gClockConductorFollow = 1;
  int32_t late = int32_t(TickToSamplePosition(1 + 10 * 480, gEngineSampleRate));
  EXPECT_EQ(GetVstTempoAt(late), 1500000);
  EXPECT_EQ(GetVstTempoAt(0), 1200000) << "position 0 reads the song's tempo";
  gClockConductorFollow = 0;
  EXPECT_EQ(GetVstTempoAt(late), 1200000);
  gClockConductorFollow = follow;
}

}  // namespace
