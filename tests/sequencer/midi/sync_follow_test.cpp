// Following an external reference below the wire: real time as {seconds, fraction} converts
// to subframes and back at every frame rate; stored packets feed the receivers only with the
// bytes their length holds; a reference moving forward sets the debt, one jumping back twice
// stops the pass unless the song loops; a large correction never wraps the debt; fast forward
// plays at tempo 400 and rate 2 while held and goes back after; the wind repeats faster down
// to no delay; the play end of a looping song is taken into its length; the counter's stop
// ends varispeed.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/events/host_input.h"
#include "sequencer/clock/time_code_values.h"
#include "sequencer/clock/tick_scheduler.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/midi_clock_out.h"
#include "sequencer/midi/midi_output.h"
#include "sequencer/midi/mtc_receiver.h"
#include "sequencer/transport/counter_buttons.h"
#include "sequencer/transport/counter_wind.h"
#include "sequencer/transport/playback_control.h"
#include "sequencer/transport/sync_callbacks.h"
#include "sequencer/transport/sync_source.h"
#include "sequencer/transport/transport_engine.h"
#include "sequencer/transport/varispeed.h"
#include "song/conductor/song_start_offset.h"
#include "song/conductor/tempo_tables.h"

namespace {

class SyncFollowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetMtcReceiver();
    gSongStartOffset = 0;
    gTransportClock.syncStarted = 1;
    gTransportClock.tickDebt = 0;
    gTransportClock.flags.store(0);
  }
  void TearDown() override {
    gTransportClock.syncStarted = 0;
    gTransportClock.tickDebt = 0;
    gTransportClock.runBits = 0;
    gTransportClock.flags.store(0);
    gTransportClock.varispeedRate = kNormalPlaybackRate;
    gAudioClockMode = 0;
    gRealTimePosition = 0;
    SetSyncSource(kSyncSourceInternal);
    SetSmpteFrameRate(3);
    ResetMtcReceiver();
  }
};

// Half a second reads as half a second (1/2^32 units both ways), at every frame rate.
TEST_F(SyncFollowTest, RealTimeRoundTripsThroughSubframesAtEveryRate) {
  const struct { uint8_t rate; double perSecond; } rates[] = {{0, 1920}, {1, 2000}, {2, 2397.6}, {3, 2400}};
  for (auto r : rates) {
    SetSmpteFrameRate(r.rate);
    TimeValue half{70, 0x80000000u};
    EXPECT_EQ(std::llround(70.5 * r.perSecond), TimeToSubframes(half)) << "rate " << int(r.rate);
    for (int64_t s : {int64_t(0), int64_t(1), int64_t(79), int64_t(123457), int64_t(8640000)}) {
      TimeValue t;
      SubframesToTime(s, &t);
      EXPECT_EQ(s, TimeToSubframes(t)) << "rate " << int(r.rate) << ", " << s << " subframes";
    }
    TimeValue later{10, 0}, earlier{9, 0};
    EXPECT_EQ(0, SubframesSince(earlier, later)) << "a time before its base";
    EXPECT_EQ(std::llround(r.perSecond), SubframesSince(later, earlier));
  }
}

// 01:10:00:00 at 29.97 drop-frame: ten minutes drop 18 frames, the hour 108.
TEST_F(SyncFollowTest, DropFrameTimeCodeLeavesOutTheDroppedFrames) {
  SetSmpteFrameRate(2);
  TimeCodeRecord tc;
  tc.hours = 1;
  tc.minutes = 10;
  const uint32_t expectedFrames = 107892 + 17982;  // one hour and ten minutes of drop-frame
  EXPECT_EQ(expectedFrames * 80, TimecodeToSubframesWithBase(tc, 0));
}

TEST_F(SyncFollowTest, StoredPacketsFeedOnlyTheBytesTheirLengthHolds) {
  MidiMessage packet;
  packet.bytes[0] = 0xF1;
  packet.bytes[1] = 0x05;
  const struct { uint8_t length; int32_t taken; } cases[] = {{0, 0}, {3, 0}, {6, 0}, {7, 1}, {8, 2}, {255, 2}};
  for (auto c : cases) {
    ResetMtcReceiver();
    packet.length = c.length;
    EXPECT_EQ(c.taken, ParseMtcPacket(packet)) << "length " << int(c.length);
  }
  // A clock byte is followed, a note-on is not part of the clock.
  ResetMidiClockInput();
  packet.bytes[0] = 0xF8;
  packet.bytes[1] = 0x90;
  packet.length = 8;
  EXPECT_EQ(1, ParseMidiClockPacket(packet));
  packet.length = 2;
  EXPECT_EQ(0, ParseMidiClockPacket(packet)) << "a length below the header";
}

// At half a subframe a tick, a reference far ahead is a debt of 32767 ticks, not a wrapped one.
TEST_F(SyncFollowTest, ALargeCorrectionIsClampedNotWrapped) {
  gTransportClock.subframeIncrement = 0x6000;  // 0.375 subframes a tick: k rounds to 0
  gRealTimePosition = 0;
  for (int i = 0; i < kMtcDefaultJumpLimit; ++i) SetSyncDebtFromSubframes(100000);
  EXPECT_EQ(32767, gTransportClock.tickDebt);
  for (int i = 0; i < kMtcDefaultJumpLimit; ++i) SetSyncDebtFromSubframes(-100000);
  EXPECT_EQ(-32767, gTransportClock.tickDebt);
}

TEST_F(SyncFollowTest, AReferenceMovingForwardSetsTheDebtJumpingBackTwiceStops) {
  SetSmpteFrameRate(1);
  gTransportClock.subframeIncrement = 2u << 16;
  gRealTimePosition = uint64_t(20000) << 16;  // 10 s
  FollowExternalTime(TimeValue{10, 0x20000000u}, 125, false);  // 1/8 s ahead: 250 subframes
  EXPECT_EQ(0, gTransportClock.tickDebt) << "a jump is first only remembered";
  SetMtcJumpLimitNow(1);
  FollowExternalTime(TimeValue{10, 0x20000000u}, 125, false);
  EXPECT_EQ(125, gTransportClock.tickDebt) << "250 subframes at two a tick";

  FollowExternalTime(TimeValue{9, 0}, 125, false);
  EXPECT_FALSE(gTransportClock.flags.load() & kClockFlagHalted) << "one jump back is counted only";
  FollowExternalTime(TimeValue{8, 0}, 125, false);
  EXPECT_TRUE(gTransportClock.flags.load() & kClockFlagHalted) << "a second jump back stops the pass";

  gTransportClock.flags.store(kClockFlagLoopSong);
  BeginExternalFollow(1, 0);
  FollowExternalTime(TimeValue{10, 0}, 125, false);
  FollowExternalTime(TimeValue{2, 0}, 125, false);
  FollowExternalTime(TimeValue{1, 0}, 125, false);
  EXPECT_FALSE(gTransportClock.flags.load() & kClockFlagHalted) << "a looping song jumps back";
}

// The fast-forward hold: an idle task looks at the clock while the button is down, then lets
// it go.
uint32_t gHeldPeriod = 0, gHeldRate = 0;
void LookAndRelease() {
  gHeldPeriod = gTransportClock.periodMicroseconds.load();
  gHeldRate = gTransportClock.varispeedRate;
  PostHostMouseEvent(kEventMouseUp, Point{10, 10}, 1, 0);
}

TEST_F(SyncFollowTest, FastForwardPlaysAtTempo400AndRate2WhileHeld) {
  SetClockTempo(1200);
  ApplyTempo(4000);
  const uint32_t fastPeriod = gTransportClock.periodMicroseconds.load();
  SetClockTempo(1200);
  const uint32_t songPeriod = gTransportClock.periodMicroseconds.load();
  ASSERT_NE(fastPeriod, songPeriod);

  ResetHostInputState();
  PostHostMouseEvent(kEventMouseDown, Point{10, 10}, 1, 0);
  PushIdleTask(LookAndRelease);
  FastForwardWhileDown(kCounterButtonForward);
  PopIdleTask();
  EXPECT_EQ(fastPeriod, gHeldPeriod) << "held: tempo 400.0";
  EXPECT_EQ(2 * kNormalPlaybackRate, gHeldRate) << "held: rate 2.0";
  EXPECT_EQ(songPeriod, gTransportClock.periodMicroseconds.load()) << "released: the song's tempo";
  EXPECT_EQ(kNormalPlaybackRate, gTransportClock.varispeedRate);
  ResetHostInputState();
}

TEST_F(SyncFollowTest, TheCounterStopEndsVarispeedAndTimeCodesAudioClock) {
  SetSyncSource(kSyncSourceTimeCode);
  gAudioClockMode = 1;
  gTransportClock.varispeedRate = 2 * kNormalPlaybackRate;
  gTransportClock.flags.fetch_or(kClockFlagVarispeed | kClockFlagStartBlocked);
  CounterButtonAction(kCounterButtonStop);
  EXPECT_EQ(kNormalPlaybackRate, gTransportClock.varispeedRate);
  EXPECT_FALSE(gTransportClock.flags.load() & (kClockFlagVarispeed | kClockFlagStartBlocked));
  EXPECT_EQ(0, gAudioClockMode);
  EXPECT_EQ(0, gClockButtonByte.load()) << "the button byte clears after the action";
}

TEST_F(SyncFollowTest, TheWindRepeatsFasterDownToNoDelay) {
  int32_t delay = kWindFirstDelay;
  const int32_t expected[] = {25, 20, 15, 10, 5, 0, 0, 0};
  for (int32_t want : expected) EXPECT_EQ(want, delay = NextWindDelay(delay));
}

// ((locate - 1) mod length) + (end - locate) + 1; a song of no length does not loop.
TEST_F(SyncFollowTest, ALoopingSongsPlayEndIsTakenIntoItsLength) {
  const struct { uint32_t tick, locate, length, end; } cases[] = {
      {2000, 1001, 959, 1041}, {2000, 1, 959, 2000}, {2000, 1001, 0, 2000}, {500, 1001, 959, 500}};
  for (auto c : cases)
    EXPECT_EQ(c.end, LoopedPlayEnd(c.tick, c.locate, c.length)) << c.tick << " " << c.locate << " " << c.length;
}

}  // namespace
