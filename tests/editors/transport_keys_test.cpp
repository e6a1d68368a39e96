// The keys that drive the transport, on the transport itself with the manual clock: space
// starts playback at the locate point and stops it again, Return stops and goes to the
// start, and 'C' stops a playing song before it leaves its request.
#include <gtest/gtest.h>

#include "editors/follow/play_cursor.h"
#include "editors/key_command_hooks.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/timing/time_manager.h"
#include "editors/key_commands.h"
#include "editors/transport_keys.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/transport/transport_engine.h"
#include "sequencer/transport/transport_position.h"
#include "tests/sequencer/transport/transport_fixture.h"

namespace {

class TransportKeyTest : public TransportTest {
 protected:
  void SetUp() override {
    TransportTest::SetUp();
    gKeyCommandHooks = KeyCommandHooks();
    gTransportRequests = 0;
    song_ = MakeSong({Track({{1, 0x90, 60, 100, 10}, {4000, 0x90, 62, 100, 10}})}, {{960, 600}});
    gTransportSong = song_;
  }
  uint8_t Key(uint8_t ch) { return HandleEditorKey(ch, 0, -1, nullptr); }
  // Runs the clock until the pass has stopped (bounded), then the idle pass's transport task
  // ends it on the main thread.
  void RunUntilStopped() {
    for (int i = 0; i < 1000 && (gTransportFlagWord & kTransportEndOfSong) == 0; ++i) RunFor(1000000);
    DrainIdleTasks();
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

TEST_F(TransportKeyTest, ReturnStopsAndLocatesToTheStart) {
  SetLocatePoint(961);
  Key(' ');
  RunTicks(1000);
  Key(13);
  RunUntilStopped();
  EXPECT_FALSE(IsClockTaskPlaying());
  EXPECT_EQ(1, gWasPlayingAtReturn);
  EXPECT_EQ(1u, gLocatePoint.tick);
  EXPECT_TRUE(gTransportRequests & (1u << 3));
}

TEST_F(TransportKeyTest, CStopsAPlayingSongAndLeavesItsRequest) {
  Key(' ');
  RunTicks(100);
  Key('c');
  RunUntilStopped();
  EXPECT_FALSE(IsClockTaskPlaying());
  EXPECT_EQ(1u << 4, gTransportRequests);
  // Stopped, 'C' only leaves the request; option-R asks for recording.
  gTransportRequests = 0;
  Key('C');
  Key(0xA8);
  EXPECT_FALSE(IsClockTaskPlaying());
  EXPECT_EQ((1u << 4) | (1u << 2), gTransportRequests);
}

}  // namespace
