// The clock's try-lock: compare-and-swap only, the stop path never waits and never leaves the
// word taken, bounded retries for the other holders, tick debt while the lock is busy.
#include <chrono>
#include <thread>

#include "platform/system/host_time.h"
#include "platform/timing/time_manager.h"
#include "sequencer/clock/note_off_queue.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/tick_scheduler.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/transport/transport_position.h"
#include "song/conductor/timebase.h"
#include "tests/sequencer/clock/clock_fixture.h"

namespace {

TEST_F(ClockTest, StopPathNeverWaitsAndNeverLeavesTheLockTaken) {
  gTransportClock.lock.store(kClockOwnerHolder);  // a fire holds the lock
  int32_t r = TryLockClock(kClockOwnerStop);
  EXPECT_EQ(1, r) << "the stop path answers busy at once; a retrying caller would get -1";
  UnlockClock(r);  // the stop path passes back what it got
  EXPECT_EQ(uint32_t(kClockOwnerHolder), gTransportClock.lock.load()) << "not its lock to write";
  gTransportClock.lock.store(0);  // the fire ends
  UnlockClock(r);  // a late unlock of the stop path must not take the word either
  EXPECT_EQ(0u, gTransportClock.lock.load());
  EXPECT_EQ(0, TryLockClock(kClockOwnerStop));
  EXPECT_EQ(0, UnlockClock(0));
  EXPECT_EQ(0u, gTransportClock.lock.load());
}

TEST_F(ClockTest, MainThreadRetriesAreBounded) {
  gTransportClock.lock.store(kClockOwnerHolder);
  auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(-1, TryLockClock(kClockOwnerHolder));
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(500));
  UnlockClock(-1);
  EXPECT_EQ(uint32_t(kClockOwnerHolder), gTransportClock.lock.load());
  // HoldClock gives up too, still counting the holder.
  t0 = std::chrono::steady_clock::now();
  EXPECT_FALSE(HoldClock(true));
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(5));
  EXPECT_EQ(1, gTransportClock.holdCount.load());
  HoldClock(false);
  EXPECT_EQ(0, gTransportClock.holdCount.load());
  // A lock freed while another thread retries is taken.
  std::thread release([] {
    std::this_thread::sleep_for(std::chrono::microseconds(200));
    gTransportClock.lock.store(0);
  });
  int32_t r = TryLockClock(kClockOwnerHolder);
  release.join();
  if (r == 0) UnlockClock(0);
  EXPECT_EQ(0u, gTransportClock.lock.load());
}

TEST_F(ClockTest, BusyFiresBecomeDebtMadeUpTwoAtATime) {
  TestTrack t;
  Handle song = MakeSong({t}, {});
  ASSERT_EQ(noErr, PreparePlayback(song, 0));
  ASSERT_EQ(noErr, InstallClockTimer(ClockTimerPlayProc, 0));
  RunTicks(2);
  uint32_t tick = gTransportClock.songTick;
  gTransportClock.lock.store(kClockOwnerHolder);  // the main thread holds it
  uint64_t period = uint64_t(gTransportClock.periodMicroseconds + 1) * 1000;
  FireTimeManagerTasksUntil(TimeManagerNowNanos() + 3 * period);
  EXPECT_EQ(tick, gTransportClock.songTick);
  EXPECT_EQ(3, gTransportClock.tickDebt);
  gTransportClock.lock.store(0);
  FireTimeManagerTasksUntil(TimeManagerNowNanos() + period);
  EXPECT_EQ(tick + 3 + 1 - 1, gTransportClock.songTick) << "one tick plus two made up";
  EXPECT_EQ(1, gTransportClock.tickDebt) << "the third stays owed";
  EXPECT_EQ(0u, gTransportClock.lock.load());
}

TEST_F(ClockTest, HaltedTicksStopPlaybackAndFreeTheLock) {
  TestTrack t;
  t.events = {{100, 0x90, 60, 100, 10}};
  Handle song = MakeSong({t}, {});
  gTransportFlagWord = 0;
  ASSERT_EQ(noErr, PreparePlayback(song, 0));
  ASSERT_EQ(noErr, InstallClockTimer(ClockTimerPlayProc, 0));
  RunTicks(5);
  HaltSequencerTicks();
  FireTimeManagerTasksUntil(TimeManagerNowNanos() + 20000000);
  EXPECT_FALSE(IsClockTaskPlaying());
  EXPECT_EQ(0u, gTransportClock.lock.load());
  EXPECT_NE(0u, gTransportFlagWord & 0x10);
  EXPECT_TRUE(gSent.empty());
  gTransportClock.flags.store(0);
}

TEST_F(ClockTest, IdleFireTakesTheLockByCompareAndSwap) {
  gTransportClock.lock.store(kClockOwnerStop);  // someone else holds it
  uint32_t tick = gTransportClock.songTick;
  IdleClockFire();
  EXPECT_EQ(tick + 1, gTransportClock.songTick) << "the tick still counts";
  EXPECT_EQ(uint32_t(kClockOwnerStop), gTransportClock.lock.load()) << "and the owner keeps it";
  gTransportClock.lock.store(0);
  IdleClockFire();
  EXPECT_EQ(0u, gTransportClock.lock.load());
}

TEST_F(ClockTest, ReArmAddsTheFractionCarryOnlyToThatFire) {
  gTransportClock.periodMicroseconds = 2604;
  gTransportClock.periodFraction = 0x8000;
  gTransportClock.fractionAccumulator = 0;
  std::vector<uint32_t> delays;
  for (int i = 0; i < 4; ++i) delays.push_back(NextPlayDelay());
  EXPECT_EQ((std::vector<uint32_t>{2604, 2605, 2604, 2605}), delays);
  EXPECT_EQ(2604u, gTransportClock.periodMicroseconds);
  // Idle: 10 ms unless something needs the tick rate.
  ResetNoteOffPool();
  EXPECT_EQ(kIdleClockMicroseconds, NextIdleDelay());
  ASSERT_TRUE(ScheduleNoteOff(5, false, 0x90, 60, 0, 0, kRecorderProc, nullptr, nullptr));
  EXPECT_EQ(2604u, NextIdleDelay());
}

TEST_F(ClockTest, NoteOffsWithTheSameDueCountKeepTheirOrderRules) {
  ResetNoteOffPool();
  gTransportClock.dueCounter = 0;
  ASSERT_TRUE(ScheduleNoteOff(2, false, 0x90, 1, 0, 0, kRecorderProc, nullptr, nullptr));
  ASSERT_TRUE(ScheduleNoteOff(2, false, 0x90, 2, 0, 0, kRecorderProc, nullptr, nullptr));
  ASSERT_TRUE(ScheduleNoteOff(2, true, 0x90, 3, 0, 0, kRecorderProc, nullptr, nullptr));
  ASSERT_TRUE(ScheduleNoteOff(2, true, 0x90, 4, 0, 0, kRecorderProc, nullptr, nullptr));
  AdvanceNoteOffQueue();
  EXPECT_TRUE(gSent.empty());
  AdvanceNoteOffQueue();
  ASSERT_EQ(4u, gSent.size());
  // Sequenced notes end in reverse order of scheduling, live notes in their order.
  EXPECT_EQ(2, gSent[0].data1);
  EXPECT_EQ(1, gSent[1].data1);
  EXPECT_EQ(3, gSent[2].data1);
  EXPECT_EQ(4, gSent[3].data1);
  EXPECT_EQ(0x80, gSent[0].status);
}

TEST_F(ClockTest, EmptyPoolPlaysNoNoteAndFlushesSendEverything) {
  ResetNoteOffPool();
  for (int32_t i = 0; i < kNoteOffPoolSize; ++i)
    ASSERT_TRUE(ScheduleNoteOff(100, false, 0x90, 60, 0, 0, kRecorderProc, nullptr, nullptr));
  EXPECT_FALSE(ScheduleNoteOff(100, false, 0x90, 61, 0, 0, kRecorderProc, nullptr, nullptr));
  EXPECT_EQ(0, FlushNoteOffsNow());
  EXPECT_EQ(size_t(kNoteOffPoolSize), gSent.size());
  EXPECT_FALSE(HasPendingNoteOffs());
  EXPECT_EQ(0u, gTransportClock.lock.load());
  gTransportClock.lock.store(kClockOwnerHolder);
  EXPECT_EQ(-1, FlushNoteOffsNow()) << "busy: reported, not waited for";
  gTransportClock.lock.store(0);
}

TEST_F(ClockTest, IdleCatchUpCountsQuarterNotesWhateverTheMeter) {
  // Half a second without a clock task is one quarter note at 120: a 6/8 beat (an eighth) must
  // not halve it, nor an odd resolution skew it. Due counts 75 % and 125 % of a quarter on.
  const int32_t savedQuarter = gTicksPerQuarter;
  for (int32_t perQuarter : {480, 360}) {
    SCOPED_TRACE(perQuarter);
    gTicksPerQuarter = perQuarter;
    gTransportClock.ticksPerBeat = uint16_t(perQuarter / 2);
    gTransportClock.beatsPerBar = 6;
    gTransportClock.installedProc.store(nullptr);
    gTransportClock.noteOffBlock = 0;
    gTransportClock.dueCounter = 0;
    ResetNoteOffPool();
    gSent.clear();
    uint32_t early = uint32_t(perQuarter) * 3 / 4, late = uint32_t(perQuarter) * 5 / 4;
    ASSERT_TRUE(ScheduleNoteOff(early, false, 0x90, 60, 0, 0, kRecorderProc, nullptr, nullptr));
    ASSERT_TRUE(ScheduleNoteOff(late, false, 0x90, 61, 0, 0, kRecorderProc, nullptr, nullptr));
    gTransportClock.catchUpStamp = TickCount() - 30;
    CatchUpNoteOffQueue();
    ASSERT_EQ(1u, gSent.size()) << "a quarter note's worth of note-offs is sent";
    EXPECT_EQ(60, gSent[0].data1);
  }
  gTicksPerQuarter = savedQuarter;
  gTransportClock.beatsPerBar = 4;
  ResetNoteOffPool();
}

}  // namespace
