// The idle pass's transport follower on the real transport with the manual clock: each case
// sets request bits as the keys, the panel and the clock do, and runs idle passes (the top
// idle task, then the follower, as the idle pass orders them).
#include <gtest/gtest.h>

#include "editors/editor_idle.h"
#include "editors/transport_keys.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/transport/transport_engine.h"
#include "sequencer/transport/record_pass.h"
#include "sequencer/transport/transport_requests.h"
#include "sequencer/transport/transport_start_tasks.h"
#include "shell/app/transport_follower.h"
#include "song/events/play_range.h"
#include "tests/sequencer/transport/transport_fixture.h"

namespace {

class TransportFollowerTest : public TransportTest {
 protected:
  void SetUp() override {
    TransportTest::SetUp();
    gLastTransportFlagsByte = 0;
    gInfoPanelRefreshCountdown = 0;
    gPendingAudioPrepare = 0;
    gWasPlayingAtReturn = 0;
    gVarispeedState = 0;
    gClockPlayRange[0] = gClockPlayRange[1] = ClockPosition();
    gTransportSong = MakeSong({Track({{1, 0x90, 60, 100, 10}, {1440, 0x90, 62, 100, 10}})}, {});
  }
  static void IdlePass() {
    RunIdleTask(true);
    FollowTransportStateAtIdle();
  }
  void StartAt(uint32_t tick) {
    SetLocatePoint(tick);
    RequestTransportPlay();
    IdlePass();
    ASSERT_TRUE(IsClockTaskPlaying());
  }
};

// A stop request and a locate request seen in one pass: the pass stops first, then locates;
// the panel is updated once more four quiet passes later.
TEST_F(TransportFollowerTest, AStopAndALocateInOnePassStopThenLocate) {
  StartAt(961);
  RunTicks(1200);
  RequestTransportStop();
  SetTransportRequestBits(kRequestLocate);
  FollowTransportStateAtIdle();
  EXPECT_FALSE(IsClockTaskPlaying());
  EXPECT_EQ(1u, gLocatePoint.tick);
  EXPECT_EQ(0, GetTransportRequestByte());
  EXPECT_EQ(0, gLastTransportFlagsByte);
  EXPECT_EQ(0, IdleTaskDepth()) << "the pass's task and the end task are gone";
  EXPECT_EQ(4, gInfoPanelRefreshCountdown);
  for (int left = 3; left >= 0; --left) {
    IdlePass();
    EXPECT_EQ(left, gInfoPanelRefreshCountdown);
  }
}

// The follower is edge-driven: a pass that ends without a stop request (the ticks halted by an
// engine error) clears running through the end task, so that the next play request is a
// change again; the same holds after a stop.
TEST_F(TransportFollowerTest, EachPassEndClearsRunningForTheNextStart) {
  for (int round = 0; round < 2; ++round) {
    StartAt(1201);
    EXPECT_EQ(kRequestRunning, gLastTransportFlagsByte);
    if (round == 0) {
      RunTicks(1300);
      HaltSequencerTicks();
      for (int i = 0; i < 1000 && IsClockTaskPlaying(); ++i) RunFor(1000000);
    } else {
      RequestTransportStop();
    }
    for (int i = 0; i < 4; ++i) IdlePass();
    EXPECT_FALSE(IsClockTaskPlaying()) << round;
    EXPECT_EQ(0, GetTransportRequestByte()) << round;
    EXPECT_EQ(0, gLastTransportFlagsByte) << round;
    EXPECT_EQ(0, IdleTaskDepth()) << round;
  }
}

// Varispeed is reset unless it is held; the record ask with the record block set asks for
// recording, which starts a record pass at the locate point (the request stays while it runs).
TEST_F(TransportFollowerTest, VarispeedAndTheRecordAsk) {
  struct Case { uint8_t bits; uint16_t varispeedState; uint8_t left; bool plays; };
  constexpr uint8_t kAsk = kRequestRecordAsk | kRequestRecordBlock;
  for (Case c : {Case{kRequestVarispeed, 0, 0, false}, Case{kRequestVarispeed, 0x4, kRequestVarispeed, false},
                 Case{kAsk, 0, kAsk | kRequestRecord, true}}) {
    KeepTransportRequestBits(0);
    gLastTransportFlagsByte = 0;
    gVarispeedState = c.varispeedState;
    SetTransportRequestBits(c.bits);
    FollowTransportStateAtIdle();
    EXPECT_EQ(c.left, GetTransportRequestByte()) << int(c.bits);
    EXPECT_EQ(c.plays, IsClockTaskPlaying()) << int(c.bits);
    EXPECT_EQ(c.plays, IsRecordPassRunning()) << int(c.bits);
    StopTransport(false);
    EXPECT_FALSE(IsRecordPassRunning());
    EXPECT_EQ(0, GetTransportRequestByte() & kRequestRecord) << "the stop ends the record request";
  }
}

// A quiet pass prepares the audio asked for at the locate point, but not while the click's
// output is being prepared.
TEST_F(TransportFollowerTest, AQuietPassPreparesThePendingAudio) {
  gPendingAudioPrepare = 1;
  gClickOutputPrepared = 1;
  FollowTransportStateAtIdle();
  EXPECT_EQ(1u, gPendingAudioPrepare);
  gClickOutputPrepared = 0;
  FollowTransportStateAtIdle();
  EXPECT_EQ(0u, gPendingAudioPrepare);
}

// Cycle with a locator range plays from the left locator; stopped, the cycle end task clears
// cycle, so that the next cycle request starts again.
TEST_F(TransportFollowerTest, ACycleStartsAtTheLeftLocatorAndEndsWithItsTask) {
  gClockPlayRange[0].tick = 481;
  gClockPlayRange[1].tick = 961;
  for (int round = 0; round < 2; ++round) {
    SetTransportRequestBits(kRequestCycle);
    IdlePass();
    ASSERT_TRUE(IsClockTaskPlaying()) << round;
    EXPECT_EQ(480u, gTransportClock.songTick.load());
    RequestTransportStop();
    IdlePass();
    EXPECT_FALSE(IsClockTaskPlaying());
    EXPECT_EQ(0, GetTransportRequestByte());
    EXPECT_EQ(0, IdleTaskDepth());
  }
}

}  // namespace
