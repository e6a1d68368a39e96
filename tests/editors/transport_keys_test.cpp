// The keys that drive the transport, on the transport itself with the manual clock: each key
// leaves its request in the transport request byte and one idle pass of the follower acts on
// it. Space starts playback at the locate point and stops it again, Return stops, goes to the
// start and plays on when it was playing, 'C' stops a playing song and plays the locators'
// range in cycle, option-R asks for recording.
#include <gtest/gtest.h>

#include "sequencer/transport/record_pass.h"

#include "editors/follow/play_cursor.h"
#include "editors/key_command_hooks.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/timing/time_manager.h"
#include "editors/key_commands.h"
#include "editors/transport_keys.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/transport/transport_engine.h"
#include "sequencer/transport/playback_control.h"
#include "sequencer/transport/record_pass.h"
#include "sequencer/transport/transport_position.h"
#include "sequencer/transport/transport_requests.h"
#include "shell/app/transport_follower.h"
#include "song/events/play_range.h"
#include "tests/sequencer/transport/transport_fixture.h"

namespace {

class TransportKeyTest : public TransportTest {
 protected:
  void SetUp() override {
    TransportTest::SetUp();
    gKeyCommandHooks = KeyCommandHooks();
    InstallTransportFollowerHooks();
    gLastTransportFlagsByte = 0;
    gClockPlayRange[0] = gClockPlayRange[1] = ClockPosition();
    song_ = MakeSong({Track({{1, 0x90, 60, 100, 10}, {4000, 0x90, 62, 100, 10}})}, {{960, 600}});
    gTransportSong = song_;
  }
  // The key, then one idle pass: the top idle task, then the follower.
  uint8_t Key(uint8_t ch) {
    uint8_t used = HandleEditorKey(ch, 0, -1, nullptr);
    IdlePass();
    return used;
  }
  static void IdlePass() {
    RunIdleTask(true);
    FollowTransportStateAtIdle();
  }
  // Runs the clock until the pass has stopped (bounded), then idle passes end it on the main
  // thread.
  void RunUntilStopped() {
    for (int i = 0; i < 1000 && IsClockTaskPlaying() && !(gTransportFlagWord & kTransportEndOfSong); ++i)
      RunFor(1000000);
    for (int i = 0; i < 4; ++i) IdlePass();
  }
  Handle song_ = nullptr;
};

TEST_F(TransportKeyTest, SpaceStartsAtTheLocatePointAndStopsAgain) {
  for (uint8_t key : {uint8_t(' '), uint8_t(3), uint8_t('`'), uint8_t(0xCA)}) {
    StopTransport(false);
    SetLocatePoint(481);
    ASSERT_FALSE(IsClockTaskPlaying());
    EXPECT_EQ(key, Key(key));
    ASSERT_TRUE(IsClockTaskPlaying()) << int(key);
    EXPECT_EQ(480u, gTransportClock.songTick.load()) << "playback starts at the locate point";
    RunTicks(1200);  // through the tempo change at 960
    EXPECT_GE(gTransportClock.songTick.load(), 1200u);
    EXPECT_EQ(key, Key(key));
    RunUntilStopped();
    EXPECT_FALSE(IsClockTaskPlaying()) << int(key);
    EXPECT_EQ(0u, gTransportClock.flags.load() & kClockFlagHalted);
  }
}

// 120 bpm up to tick 960 (one second at 480 ticks a quarter), then 60 bpm: the position the
// panes follow, and the cursor's column, keep to the tempo map.
TEST_F(TransportKeyTest, ThePlayPositionFollowsTheTempoMap) {
  SetLocatePoint(1);
  Key(' ');
  ASSERT_TRUE(IsClockTaskPlaying());
  struct Case { uint64_t nanos; double tick; };
  uint64_t start = TimeManagerNowNanos();
  for (Case c : {Case{500000000, 481}, Case{1000000000, 961}, Case{1500000000, 1201}, Case{2500000000, 1681}}) {
    RunFor(start + c.nanos - TimeManagerNowNanos());
    EXPECT_NEAR(double(GetPanePlayPosition()), c.tick, 3.0) << c.nanos;
    gZoomLevel = 2;
    gTimelineLeftTick = 1;
    EXPECT_NEAR(double(TickToClampedPixel(int32_t(GetPanePlayPosition()))), gTimelineFrame.originX + (c.tick - 1) / 4, 1.0);
  }
  gZoomLevel = kInitialZoomLevel;
  Key(' ');
  RunUntilStopped();
}

// Return while playing stops, locates to the start and plays on from there; stopped, it only
// locates.
TEST_F(TransportKeyTest, ReturnStopsAndLocatesToTheStart) {
  SetLocatePoint(961);
  Key(' ');
  RunTicks(1500);
  ASSERT_GT(gTransportClock.songTick.load(), 1400u);
  Key(13);
  EXPECT_EQ(1, gWasPlayingAtReturn);
  EXPECT_EQ(1u, gLocatePoint.tick);
  ASSERT_TRUE(IsClockTaskPlaying());
  EXPECT_EQ(0u, gTransportClock.songTick.load()) << "plays on from the start";
  EXPECT_EQ(0, GetTransportRequestByte() & (kRequestLocate | kRequestStop));
  Key(' ');
  RunUntilStopped();
  SetLocatePoint(961);
  Key(13);
  EXPECT_EQ(0, gWasPlayingAtReturn);
  EXPECT_FALSE(IsClockTaskPlaying());
  EXPECT_EQ(1u, gLocatePoint.tick);
  EXPECT_EQ(0, GetTransportRequestByte());
}

// 'C' stops a playing song and asks for cycle: with the left and right locators at the same
// tick nothing starts and the cycle request ends at the next idle pass; with a range the
// range plays from the left locator.
TEST_F(TransportKeyTest, CStopsAPlayingSongAndPlaysTheLocatorRange) {
  Key(' ');
  RunTicks(100);
  Key('c');
  EXPECT_FALSE(IsClockTaskPlaying());
  EXPECT_EQ(kRequestCycle, GetTransportRequestByte());
  RunUntilStopped();
  EXPECT_EQ(0, GetTransportRequestByte());
  EXPECT_EQ(0, IdleTaskDepth());
  gClockPlayRange[0].tick = 481;
  gClockPlayRange[1].tick = 1441;
  Key('C');
  ASSERT_TRUE(IsClockTaskPlaying());
  EXPECT_EQ(480u, gTransportClock.songTick.load());
  EXPECT_EQ(kRequestCycle, GetTransportRequestByte());
  Key('C');  // stops the cycle and asks for it again
  ASSERT_TRUE(IsClockTaskPlaying());
  Key(' ');
  RunUntilStopped();
  EXPECT_FALSE(IsClockTaskPlaying());
  EXPECT_EQ(0, GetTransportRequestByte());
  EXPECT_EQ(0, gCycleMode);
}

// Option-R asks for recording: the next idle pass starts a record pass, which plays until
// the space bar stops it; the stop ends the pass and the request with it.
TEST_F(TransportKeyTest, OptionRStartsARecordPassThatSpaceStops) {
  HandleEditorKey(0xA8, 0, -1, nullptr);
  EXPECT_EQ(kRequestRecord, GetTransportRequestByte());
  IdlePass();
  EXPECT_TRUE(IsClockTaskPlaying());
  EXPECT_TRUE(IsRecordPassRunning());
  Key(' ');
  RunUntilStopped();
  EXPECT_FALSE(IsClockTaskPlaying());
  EXPECT_FALSE(IsRecordPassRunning());
  EXPECT_EQ(0, GetTransportRequestByte());
}

}  // namespace
