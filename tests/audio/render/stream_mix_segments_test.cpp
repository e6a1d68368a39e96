// The segment walk: a block is cut at automation records, at the loop end while the transport
// cycles (continuing from the loop start, where the records from the loop-start entry play
// again) and at the region end (continuing from 0); a start delay holds the position; a busy
// automation lock or an engine held in place plays the block with the gains it had. Each case
// mixes a 16-bit mono ramp and checks the gain of every frame.
#include <gtest/gtest.h>

#include <vector>

#include "audio/engine/automation_records.h"
#include "audio/engine/engine_play_state.h"
#include "audio/engine/engine_state.h"
#include "audio/render/stream_automation.h"
#include "audio/render/stream_block_mix.h"
#include "sequencer/transport/playback_control.h"
#include "tests/audio/render/stream_mix_fixture.h"

using namespace stream_mix_test;

namespace {

constexpr int32_t kStep = 100;

// The gain (Q15) that frame f of the half was written with, from the ramp's sample.
int32_t GainOfFrame(const TestChannel& ch, uint32_t s, int32_t f) {
  int32_t sample = kStep * (f + 1);
  int32_t out = ch.Out16(s, f, 0);
  for (int32_t g : {0, 8192, 16384, 24576, 32768})
    if (out == ((int64_t(sample) * g) >> 15) || (g == 32768 && out == sample)) return g;
  return -1;
}

std::vector<int32_t> MixAndReadGains(TestChannel& ch) {
  std::vector<int16_t> block = Ramp16(kBlockFrames, 1, kStep);
  MixStreamBlock(ch.channel, block.data(), 0, 1, 2, 1);
  std::vector<int32_t> gains;
  for (int32_t f = 0; f < kBlockFrames; ++f) gains.push_back(GainOfFrame(ch, 0, f));
  return gains;
}

// Gains as runs: {frames, gain}...
std::vector<int32_t> Runs(std::initializer_list<std::pair<int32_t, int32_t>> runs) {
  std::vector<int32_t> v;
  for (auto [n, g] : runs) v.insert(v.end(), size_t(n), g);
  return v;
}

void StartAt(TestChannel& ch, int64_t position, std::vector<TestRecord> records, int32_t gain) {
  ch->automation = MakeAutomation(records);
  ch->automationCursor = FindAutomationRecord(ch->automation, uint64_t(position));
  ch->position = position;
  ch->volume = gain;
  ch->gainLeft = ch->gainRight = gain;
}

struct CycleMode {
  explicit CycleMode(uint8_t on) { gCycleMode = on; }
  ~CycleMode() { gCycleMode = 0; }
};

}  // namespace

TEST(StreamMixSegments, RecordsInsideTheBlockChangeTheGainAtTheirFrame) {
  TestChannel ch;
  StartAt(ch, 1000, {{1000, 32768, 0, kAutomationVolume}, {1010, 16384, 0, kAutomationVolume},
                     {1030, 0, 0, kAutomationPan}, {1040, 8192, 0, kAutomationVolume}}, 24576);
  EXPECT_EQ(MixAndReadGains(ch), Runs({{10, 32768}, {30, 16384}, {5, 8192}}));
  // Pan 0 from frame 30: the right side is silent from there on.
  for (int32_t f = 0; f < kBlockFrames; ++f) EXPECT_EQ(ch.Out16(0, f, 1) == 0, f >= 30) << f;
  EXPECT_EQ(ch->position, 1045);
  EXPECT_EQ(AutomationView{ch->automationCursor}.Time(), kAutomationEndTime);
}

TEST(StreamMixSegments, ABlockAcrossTheLoopEndGoesOnFromTheLoopStartAndReplaysItsRecords) {
  for (bool knownLoopCursor : {false, true}) {
    CycleMode cycle(1);
    TestChannel ch;
    StartAt(ch, 110, {{100, 32768, 0, kAutomationVolume}, {105, 8192, 0, kAutomationVolume},
                      {115, 16384, 0, kAutomationVolume}}, 8192);
    ch->loopStart = 100;
    ch->loopEnd = 120;
    if (knownLoopCursor) ch->automationLoopCursor = FindAutomationRecord(ch->automation, 100);
    EXPECT_EQ(MixAndReadGains(ch),
              Runs({{5, 8192}, {5, 16384}, {5, 32768}, {10, 8192}, {5, 16384}, {5, 32768}, {10, 8192}}))
        << knownLoopCursor;
    EXPECT_EQ(ch->position, 115);
  }
}

TEST(StreamMixSegments, WithoutTheCycleTheLoopEndIsPlayedThrough) {
  TestChannel ch;
  StartAt(ch, 110, {{100, 32768, 0, kAutomationVolume}, {115, 16384, 0, kAutomationVolume}}, 8192);
  ch->loopStart = 100;
  ch->loopEnd = 120;
  EXPECT_EQ(MixAndReadGains(ch), Runs({{5, 8192}, {40, 16384}}));
  EXPECT_EQ(ch->position, 155);
}

TEST(StreamMixSegments, AtTheRegionEndThePositionStartsAgainFromZero) {
  TestChannel ch;
  StartAt(ch, 10, {{0, 16384, 0, kAutomationVolume}, {25, 8192, 0, kAutomationVolume}}, 32768);
  ch->regionEndSet = 1;
  ch->regionEndPosition = 20;
  EXPECT_EQ(MixAndReadGains(ch), Runs({{10, 32768}, {20, 16384}, {15, 16384}}));
  EXPECT_EQ(ch->position, 15);
}

TEST(StreamMixSegments, AStartDelayHoldsThePositionAndReloadsWhenItRepeats) {
  TestChannel ch;
  StartAt(ch, 50, {{55, 16384, 0, kAutomationVolume}}, 32768);
  ch->startDelay = 12;
  EXPECT_EQ(MixAndReadGains(ch), Runs({{12, 32768}, {5, 32768}, {28, 16384}}));
  EXPECT_EQ(ch->position, 50 + 33);
  EXPECT_EQ(ch->startDelay, 0);
  // Repeating: the next period starts as soon as one runs out, and the clock is noted.
  TestChannel again;
  StartAt(again, 50, {{55, 16384, 0, kAutomationVolume}}, 32768);
  again->startDelay = 12;
  again->startDelayRepeat = 1;
  again->startDelayReload = 100;
  gEngineSampleClock.store(4321);
  EXPECT_EQ(MixAndReadGains(again), Runs({{45, 32768}}));
  gEngineSampleClock.store(0);
  EXPECT_EQ(again->position, 50);
  EXPECT_EQ(again->startDelay, 100 - 33);
  EXPECT_EQ(again->startDelayClock, 4321.0);
}

TEST(StreamMixSegments, ABusyLockOrAnEngineHeldInPlacePlaysTheBlockWithThePreviousGains) {
  for (int variant = 0; variant < 4; ++variant) {
    TestChannel ch;
    StartAt(ch, 0, {{0, 8192, 0, kAutomationVolume, 0, uint8_t(variant == 2 ? kAutomationSkipped : 0)},
                    {20, 8192, 0, kAutomationVolume}}, 16384);
    uint8_t* cursor = ch->automationCursor;
    if (variant == 0) ch->automationLock.store(1);  // the main thread replaces the list
    if (variant == 1) gAudioEnginePlayState = 1;
    if (variant == 3) gAutomationReadSwitch.store(0);
    std::vector<int32_t> gains = MixAndReadGains(ch);
    gAudioEnginePlayState = 0;
    gAutomationReadSwitch.store(1);
    if (variant == 2) {
      // A skipped record is passed over, the next one plays.
      EXPECT_EQ(gains, Runs({{20, 16384}, {25, 8192}}));
      continue;
    }
    EXPECT_EQ(gains, Runs({{45, 16384}})) << variant;
    EXPECT_EQ(ch->position, 45) << variant;
    if (variant < 2) EXPECT_EQ(ch->automationCursor, cursor) << variant;
    EXPECT_EQ(ch->automationLock.load(), variant == 0 ? 1u : 0u) << variant;
  }
}

TEST(StreamMixSegments, AHeldLevelIgnoresVolumeRecordsAndANewLevelDropsThePreviousGains) {
  TestChannel ch;
  StartAt(ch, 0, {{0, 8192, 0, kAutomationVolume}}, 16384);
  ch->channelFlags |= kChannelLevelHeld;
  EXPECT_EQ(MixAndReadGains(ch), Runs({{45, 16384}}));
  TestChannel free;
  StartAt(free, 0, {{0, 8192, 0, kAutomationVolume}}, 16384);
  free->previousGainLeft = free->previousGainRight = 20000;
  EXPECT_EQ(MixAndReadGains(free), Runs({{45, 8192}}));
  EXPECT_EQ(free->previousGainRight, -1);
}

TEST(StreamMixSegments, AdvanceStreamPositionWalksWithoutStoringThePosition) {
  CycleMode cycle(1);
  TestChannel ch;
  StartAt(ch, 110, {{100, 32768, 0, kAutomationVolume}, {115, 16384, 0, kAutomationVolume}}, 8192);
  ch->loopStart = 100;
  ch->loopEnd = 120;
  uint8_t* cursor = nullptr;
  EXPECT_EQ(AdvanceStreamPosition(ch.channel, &cursor), 115);
  EXPECT_EQ(ch->position, 110);
  EXPECT_EQ(AutomationView{cursor}.Time(), 115u);
  EXPECT_EQ(ch->gainLeft, 32768);  // the records passed were played
}

TEST(StreamMixSegments, SendRecordsSetTheSendOnTheChannelAndItsTargets) {
  TestChannel ch, target;
  for (EngineChannel* c : {ch.channel, target.channel}) {
    c->sendGains[0] = ChannelSend{1, 0, 64, 32768, 32768, 32768};
    c->sendGains[1] = ChannelSend{2, 0, 64, 32768, 32768, 32768};
  }
  ch->targetChannel = target.channel;
  StartAt(ch, 0, {{0, 16384, 0, kAutomationSendLevel, 1}, {0, 0, 127, kAutomationSendPan, 1}}, 32768);
  MixAndReadGains(ch);
  for (EngineChannel* c : {ch.channel, target.channel}) {
    EXPECT_EQ(c->sendGains[1].level, 16384);
    EXPECT_EQ(c->sendGains[1].pan, 127);
    EXPECT_EQ(c->sendGains[1].gainLeft, 0);
    EXPECT_EQ(c->sendGains[1].gainRight, 16384);
    EXPECT_EQ(c->sendGains[1].changed, 1);
    EXPECT_EQ(c->sendGains[0].changed, 0);
  }
}
