// The take list of cycle recording: stepping through the takes wraps after the last, and the
// take window's commands; a Stop while stopped.
#include <gtest/gtest.h>

#include "sequencer/transport/playback_control.h"
#include "sequencer/transport/record_takes.h"
#include "sequencer/transport/transport_engine.h"
#include "tests/sequencer/transport/transport_fixture.h"

namespace {

class RecordTakes : public TransportTest {
 protected:
  void TearDown() override {
    DeleteAllTakes();
    gTakeWindowOptions = 0;
    TransportTest::TearDown();
  }
  static void ListOf(uint8_t count, uint8_t index) {
    DeleteAllTakes();
    gTakeList.count = count;
    gTakeList.index = index;
  }
};

TEST_F(RecordTakes, NextAndPreviousTakeWalkTheListAndWrapAfterTheLast) {
  struct Row {
    uint8_t count, index;
    bool next;
    uint8_t want;
    bool lastAfter;
  };
  const Row rows[] = {
      {3, 2, true, 0, false},   // three takes: next from the last returns to the first
      {3, 0, true, 1, false},
      {3, 1, true, 2, true},
      {3, 0, false, 0, false},  // previous never goes below 0
      {3, 2, false, 1, false},
      {1, 0, true, 0, true},
  };
  for (const Row& r : rows) {
    ListOf(r.count, r.index);
    r.next ? SelectNextTake() : SelectPreviousTake();
    EXPECT_EQ(r.want, gTakeList.index) << int(r.count) << " takes from " << int(r.index);
    EXPECT_EQ(r.lastAfter, IsLastTake());
  }
}

TEST_F(RecordTakes, TheWindowHandlesItsCommandsAndHandsBackTheRest) {
  ListOf(0, 0);
  EXPECT_EQ(noErr, TakeWindowCommand(kTakeCommandAutoSelect));
  EXPECT_TRUE(gTakeWindowOptions & kTakeOptionAutoSelect);
  EXPECT_EQ(noErr, TakeWindowCommand(kTakeCommandAutoSelect));
  EXPECT_FALSE(gTakeWindowOptions & kTakeOptionAutoSelect);
  for (int32_t command : {0, 3, 4, 5, 7, 'clos'}) EXPECT_EQ(kTakeCommandNotHandled, TakeWindowCommand(command));
  // Without takes the mute and delete commands change nothing.
  EXPECT_EQ(noErr, TakeWindowCommand(kTakeCommandToggleMute));
  EXPECT_EQ(noErr, TakeWindowCommand(kTakeCommandDelete));
  EXPECT_EQ(0, gTakeList.count);
}

}  // namespace

namespace {

// A second Stop finds the transport stopped: nothing more goes out and the idle clock stays.
TEST_F(TransportTest, StopWhileStoppedOnlyShowsTheStateAgain) {
  TestTrack track;
  track.events = {{1, 0x92, 60, 100, 4000}};
  gTransportSong = MakeSong({track}, {});
  ::Play(1);
  RunTicks(20);
  StopTransport(false);
  EXPECT_FALSE(gTransportRunning);
  bool idleClock = !IsClockTimerOff();
  gSent.clear();
  StopTransport(false);
  EXPECT_TRUE(gSent.empty()) << "a second stop sent " << gSent.size() << " messages";
  EXPECT_EQ(idleClock, !IsClockTimerOff());
}

}  // namespace
