// The transport on the manual Time Manager clock: playing from a locate point, the count-in,
// the cycle between the locators, what Stop sends, and the idle-task stack.
#include <algorithm>
#include <array>
#include <chrono>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/timing/time_manager.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/tick_scheduler.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/midi_clock_out.h"
#include "sequencer/transport/count_in.h"
#include "sequencer/transport/playback_control.h"
#include "sequencer/transport/playback_stop.h"
#include "sequencer/transport/sync_source.h"
#include "sequencer/transport/transport_engine.h"
#include "sequencer/transport/transport_position.h"
#include "sequencer/transport/transport_tempo.h"
#include "shell/base/error_report_hooks.h"
#include "song/conductor/conductor_time.h"
#include "song/conductor/tempo_tables.h"
#include "song/documents/document_hooks.h"
#include "song/model/song_layout.h"
#include "tests/sequencer/transport/transport_fixture.h"

namespace {

double TickNanos(Handle song, int64_t tick) {
  return TickToSubframesExact(reinterpret_cast<uint8_t*>(*song), tick) *
         gMicrosecondsPerSubframe * 1000.0;
}

bool IsNoteOn(const SentMessage& m) { return (m.status & 0xF0) == 0x90 && m.data2 > 0; }
bool IsNoteOff(const SentMessage& m) {
  return (m.status & 0xF0) == 0x80 || ((m.status & 0xF0) == 0x90 && m.data2 == 0);
}

std::vector<SentMessage> NoteOns() {
  std::vector<SentMessage> out;
  for (const SentMessage& m : gSent)
    if (IsNoteOn(m)) out.push_back(m);
  return out;
}

TEST_F(TransportTest, PlayFromALocatePointPlaysTheSongFromThere) {
  TestTrack track;
  track.events = {{1, 0x90, 10, 90, 30},   {100, 0xB0, 7, 90, 0},   {200, 0xC0, 5, 0x80, 0},
                  {300, 0xB0, 7, 70, 0},   {480, 0x90, 11, 90, 30}, {960, 0x90, 12, 90, 30},
                  {1440, 0x90, 13, 90, 30}, {2400, 0x90, 14, 90, 30}};
  Handle song = MakeSong({track}, {{1800, 600}});
  gTransportSong = song;
  SetLocatePoint(960);
  ::Play(gLocatePoint.tick);
  ASSERT_TRUE(IsClockTaskPlaying());
  // The program and the last volume before the locate point went out before the clock ran.
  std::vector<SentMessage> chased = SentOn(1);
  ASSERT_EQ(2u, chased.size());
  EXPECT_EQ((std::array<uint8_t, 2>{0xC0, 5}), (std::array<uint8_t, 2>{chased[0].status, chased[0].data1}));
  EXPECT_EQ((std::array<uint8_t, 3>{0xB0, 7, 70}),
            (std::array<uint8_t, 3>{chased[1].status, chased[1].data1, chased[1].data2}));
  RunTicks(2500);

  std::vector<SentMessage> ons = NoteOns();
  ASSERT_EQ(3u, ons.size());
  EXPECT_EQ(12, ons[0].data1);
  EXPECT_EQ(13, ons[1].data1);
  EXPECT_EQ(14, ons[2].data1);
  // Times follow the conductor map from the locate point, across the tempo change at 1800.
  for (size_t i = 1; i < ons.size(); ++i) {
    uint32_t tick = i == 1 ? 1440 : 2400;
    EXPECT_NEAR(TickNanos(song, tick) - TickNanos(song, 960), double(ons[i].nanos - ons[0].nanos),
                2000.0);
  }
  EXPECT_EQ(0u, gTransportClock.lock.load());
}

// A start from the sync source (not the user's Play) keeps the audio sample clock as the
// source only while cycle or recording is armed.
TEST_F(TransportTest, AStartFromTheSyncSourceKeepsTheSampleClockOnlyWithCycleArmed) {
  TestTrack track;
  track.events = {{1, 0x90, 10, 90, 30}};
  gTransportSong = MakeSong({track}, {});
  for (bool cycle : {true, false}) {
    SetCycleMode(cycle);
    gClockSyncSource = kSyncSourceSampleClock;
    StartTransport(1, false);
    EXPECT_EQ(cycle ? kSyncSourceSampleClock : kSyncSourceInternal, gClockSyncSource) << "cycle " << cycle;
    StopTransport(false);
  }
  SetCycleMode(false);
  gClockSyncSource = kSyncSourceInternal;
}

// Opening a document replaces the songs that may be playing: the transport stops first, for
// a movie as for any other document.
TEST_F(TransportTest, OpeningADocumentStopsPlaybackFirst) {
  DocumentHooks saved = gDocumentHooks;
  InstallPlaybackStopHooks();
  gTransportSong = MakeSong({Track({{1, 0x90, 60, 90, 480}})}, {});
  for (bool movie : {false, true}) {
    ::Play(1);
    ASSERT_TRUE(IsClockTaskPlaying());
    StopPlaybackForOpen(movie);
    EXPECT_FALSE(IsClockTaskPlaying()) << movie;
  }
  StopPlaybackForOpen(false);  // nothing plays: nothing happens
  EXPECT_FALSE(IsClockTaskPlaying());
  gDocumentHooks = saved;
}

TEST_F(TransportTest, StopSendsNoteOffsForHeldNotesThenSustainOffThenMidiStop) {
  TestTrack track;
  track.events = {{1, 0x92, 60, 100, 4000}, {10, 0x92, 64, 100, 4000}, {20, 0x92, 67, 100, 5}};
  Handle song = MakeSong({track}, {});
  gTransportSong = song;
  ::Play(1);
  RunTicks(100);
  gSent.clear();
  StopTransport(false);

  // The two held notes end (the short one ended by itself), on their channel.
  std::vector<uint8_t> offs;
  size_t lastOff = 0, firstSustain = gSent.size();
  for (size_t i = 0; i < gSent.size(); ++i) {
    const SentMessage& m = gSent[i];
    if (IsNoteOff(m)) {
      EXPECT_EQ(0x02, m.status & 0x0F);
      offs.push_back(m.data1);
      lastOff = i;
    }
    if ((m.status & 0xF0) == 0xB0 && firstSustain == gSent.size()) firstSustain = i;
  }
  std::sort(offs.begin(), offs.end());
  EXPECT_EQ((std::vector<uint8_t>{60, 64}), offs);
  EXPECT_LT(lastOff, firstSustain);
  // Sustain off on all 16 channels of the track's output.
  std::vector<int> channels;
  for (const SentMessage& m : SentOn(1))
    if ((m.status & 0xF0) == 0xB0 && m.data1 == 64 && m.data2 == 0) channels.push_back(m.status & 15);
  std::vector<int> all(16);
  for (int i = 0; i < 16; ++i) all[i] = i;
  EXPECT_EQ(all, channels);
  // MIDI stop last, on the clock's output.
  ASSERT_FALSE(SentOn(kClockPort).empty());
  EXPECT_EQ(0xFC, SentOn(kClockPort).back().status);
  EXPECT_EQ(kClockPort, gSent.back().output);
  EXPECT_EQ(0u, gTransportClock.lock.load());
  EXPECT_FALSE(IsClockTaskPlaying());

  // The clock now idles: nothing more plays, and a second stop sends nothing.
  size_t sent = gSent.size();
  RunFor(200000000);
  StopPlayback();
  EXPECT_EQ(sent, gSent.size());
}

TEST_F(TransportTest, StopNeverWaitsForNorWritesALockItDidNotTake) {
  Handle song = MakeSong({Track({{1, 0x90, 60, 100, 4000}})}, {});
  gTransportSong = song;
  ::Play(1);
  RunTicks(10);
  // Another holder keeps the lock through the whole stop.
  gTransportClock.lock.store(kClockOwnerHolder);
  auto start = std::chrono::steady_clock::now();
  int32_t result = StopPlayback();
  auto took = std::chrono::steady_clock::now() - start;
  EXPECT_NE(0, result);
  EXPECT_EQ(uint32_t(kClockOwnerHolder), gTransportClock.lock.load());
  EXPECT_LT(took, std::chrono::seconds(1));
  EXPECT_FALSE(IsClockTaskPlaying());
  gTransportClock.lock.store(0);
  // With the lock free a later stop flushes what is left and releases it.
  gSent.clear();
  ::Play(1);
  RunTicks(10);
  EXPECT_EQ(0, StopPlayback());
  EXPECT_EQ(0u, gTransportClock.lock.load());
}

TEST_F(TransportTest, CountInPlaysTheGivenBarsOfClicksFirst) {
  static std::vector<uint64_t> clicks;
  clicks.clear();
  gTransportClock.clickCallback = [] {
    if (gTransportClock.tickInBeat == 0) clicks.push_back(TimeManagerNowNanos());
  };
  Handle song = MakeSong({Track({{1, 0x90, 60, 100, 10}, {481, 0x90, 62, 100, 10}})}, {});
  gTransportSong = song;
  gCountInBars = 2;
  ::Play(1);
  RunTicks(500);

  ASSERT_EQ(8u, clicks.size());  // two bars of 4/4
  double beat = TickNanos(song, 481) - TickNanos(song, 1);
  for (size_t i = 1; i < clicks.size(); ++i)
    EXPECT_NEAR(beat, double(clicks[i] - clicks[i - 1]), 2000.0);
  std::vector<SentMessage> ons = NoteOns();
  ASSERT_EQ(2u, ons.size());
  EXPECT_NEAR(8 * beat, double(ons[0].nanos - clicks[0]), 2000.0);
  EXPECT_NEAR(beat, double(ons[1].nanos - ons[0].nanos), 2000.0);
  EXPECT_EQ(1, gCountInEnded);
  // The MIDI clock starts with the song, not with the count-in.
  for (const SentMessage& m : SentOn(kClockPort)) EXPECT_GE(m.nanos, ons[0].nanos);
  ASSERT_FALSE(SentOn(kClockPort).empty());
  EXPECT_EQ(0xFA, SentOn(kClockPort).front().status);
  gTransportClock.clickCallback = nullptr;
}

TEST_F(TransportTest, CycleLoopsBetweenTheLocatorsAndEndsHeldNotesAtEachRestart) {
  TestTrack track;
  track.events = {{1, 0x90, 10, 100, 10},
                  {481, 0x90, 20, 100, 10},
                  {720, 0x90, 21, 100, 1000},
                  {961, 0x90, 30, 100, 10}};
  Handle song = MakeSong({track}, {{600, 1800}});
  gTransportSong = song;
  SetCycleStart(481);
  SetCycleStop(961);
  SetCycleMode(true);
  SetLocatePoint(gCycleStartPoint.tick);
  ::Play(gLocatePoint.tick);
  RunFor(uint64_t(3.5 * (TickNanos(song, 961) - TickNanos(song, 481))));

  std::vector<SentMessage> ons = NoteOns();
  ASSERT_GE(ons.size(), 6u);
  for (size_t i = 0; i < ons.size(); ++i) EXPECT_EQ(i % 2 == 0 ? 20 : 21, ons[i].data1) << i;
  EXPECT_GE(gCycleRestarts, 3u);
  double cycle = TickNanos(song, 961) - TickNanos(song, 481);
  EXPECT_NEAR(cycle, double(ons[2].nanos - ons[0].nanos), 3000.0);
  EXPECT_NEAR(cycle, double(ons[4].nanos - ons[2].nanos), 3000.0);
  // The long note at 720 ends at the restart, before the cycle's first note sounds again.
  for (size_t i = 1; i + 1 < ons.size(); i += 2) {
    bool ended = false;
    for (const SentMessage& m : gSent)
      if (IsNoteOff(m) && m.data1 == 21 && m.nanos >= ons[i].nanos && m.nanos <= ons[i + 1].nanos)
        ended = true;
    EXPECT_TRUE(ended) << "cycle " << i / 2;
  }
  EXPECT_TRUE(gTransportFlagWord & kTransportCycleRestarted);
  EXPECT_TRUE(gTransportFlagWord & kTransportCycleRestarted2);
}

TEST_F(TransportTest, TheEndOfTheSongStopsThePassThroughItsIdleTask) {
  Handle song = MakeSong({Track({{1, 0x90, 60, 100, 4000}})}, {});
  WriteU32BE(reinterpret_cast<uint8_t*>(*song) + kSongEndTick, 200);
  gTransportSong = song;
  ::Play(1);
  EXPECT_EQ(EndOfSongTask, TopIdleTask());
  RunFor(uint64_t(TickNanos(song, 300)));
  EXPECT_FALSE(IsClockTaskPlaying());
  DrainIdleTasks();
  EXPECT_EQ(0, IdleTaskDepth());
  EXPECT_EQ(0, gTransportRunning);
  // The held note was ended by the stop, and MIDI stop was sent.
  bool off = false;
  for (const SentMessage& m : gSent) off = off || (IsNoteOff(m) && m.data1 == 60);
  EXPECT_TRUE(off);
  EXPECT_EQ(0xFC, SentOn(kClockPort).back().status);
}

TEST_F(TransportTest, AnExternalSourceLoopsTheConductorOnlyForASongWithLength) {
  struct Case {
    uint32_t endTick, startTick, conductorTick;
  };
  // End tick 0 or 1: no length, no loop (and no division by zero).
  const Case cases[] = {{0, 25, 25}, {1, 25, 25}, {11, 25, 5}};
  for (const Case& c : cases) {
    Handle song = MakeSong({Track({{1, 0x90, 60, 90, 10}})}, {});
    WriteU32BE(reinterpret_cast<uint8_t*>(*song) + kSongEndTick, c.endTick);
    ASSERT_EQ(noErr, PreparePlayback(song, 0));
    gClockSyncSource = 3;  // MIDI clock
    ASSERT_EQ(noErr, StartPlayback(c.startTick, false, false));
    ASSERT_NE(GetPlayingSongState(), nullptr);
    EXPECT_EQ(GetPlayingSongState()->conductorTick, c.conductorTick) << c.endTick;
    StopPlayback();
    ReleasePlayback();
  }
}

TEST_F(TransportTest, PlayWhileTicksAreHaltedDoesNothing) {
  Handle song = MakeSong({Track({{1, 0x90, 60, 100, 10}})}, {});
  gTransportSong = song;
  HaltSequencerTicks();
  ::Play(1);
  EXPECT_FALSE(IsClockTaskPlaying());
  EXPECT_EQ(0, IdleTaskDepth());
  gTransportClock.flags.fetch_and(~kClockFlagHalted);
}

int gTaskRuns = 0;
void CountingTask() { ++gTaskRuns; }
bool gReentered = false;
void ReenteringTask() {
  ++gTaskRuns;
  gReentered = RunIdleTask(false);
}

TEST_F(TransportTest, IdleTaskStackHoldsEightAndRefusesReentry) {
  static int alerts = 0;
  alerts = 0;
  gErrorReportHooks.showCautionAlert = [](int16_t) -> int16_t { return int16_t(++alerts); };
  gTaskRuns = 0;
  for (int i = 0; i < kIdleTaskSlots; ++i) PushIdleTask(CountingTask);
  EXPECT_EQ(0, gIdleTaskError);
  PushIdleTask(ReenteringTask);  // the ninth
  EXPECT_EQ(kIdleTaskStackErr, gIdleTaskError);
  EXPECT_EQ(1, alerts) << "the full stack is not reported to the user";
  gErrorReportHooks.showCautionAlert = nullptr;
  EXPECT_EQ(kIdleTaskSlots, IdleTaskDepth());
  EXPECT_EQ(CountingTask, TopIdleTask());
  gTransportClock.flags.fetch_and(~kClockFlagHalted);
  while (IdleTaskDepth() > 0) PopIdleTask();
  gIdleTaskError = 0;
  PopIdleTask();  // below the first slot
  EXPECT_EQ(kIdleTaskStackErr, gIdleTaskError);
  gTransportClock.flags.fetch_and(~kClockFlagHalted);

  PushIdleTask(ReenteringTask);
  EXPECT_FALSE(RunIdleTask(false));
  EXPECT_TRUE(gReentered);
  EXPECT_EQ(1, gTaskRuns);
  // A task that stays on the stack does not hold DrainIdleTasks.
  DrainIdleTasks();
  EXPECT_EQ(2, gTaskRuns);
  PopIdleTask();
}

TEST_F(TransportTest, LocatingToANegativeTimeCodeLocatesToTickOne) {
  gTransportSong = MakeSong({TestTrack()}, {});
  LocateToTimecode(-500, 0.5f);
  EXPECT_EQ(1u, gLocatePoint.tick);
  EXPECT_EQ(0u, gLocatePoint.offset);
  LocateToTimecode(2400 * 2, 1.0f);  // two seconds at 120 beats per minute: four beats
  EXPECT_NEAR(1 + 4 * 480, double(gLocatePoint.tick), 1.0);
}

}  // namespace

namespace {

uint32_t PeriodOf(int32_t tempo) {
  SetTempoFromTable(tempo);
  return gTransportClock.periodMicroseconds;
}

TEST_F(TransportTest, TempoChangesAreScaledAndClampedIntoTheTables) {
  struct Case {
    uint16_t scale;
    int32_t tempo, plays;
  };
  const Case cases[] = {{2048, 1200, 1200}, {1024, 1100, 550}, {1024, 200, 120},
                        {8192, 4000, 4500}, {60000, 4000, 4500}};
  for (const Case& c : cases) {
    gTransportClock.tempoScale = c.scale;
    SetClockTempo(c.tempo);
    EXPECT_EQ(c.tempo, gTransportClock.tempo);
    uint32_t period = gTransportClock.periodMicroseconds;
    EXPECT_EQ(PeriodOf(c.plays), period) << c.scale << " " << c.tempo;
  }
  gTransportClock.tempoScale = 2048;
  // Below the table: the slowest tempo, never an entry before the table.
  ApplyTempo(50);
  uint32_t slowest = gTransportClock.periodMicroseconds;
  EXPECT_EQ(PeriodOf(120), slowest);
}

TEST_F(TransportTest, ATempoChangeWhilePlayingTakesEffectFromTheTickAfterTheArmedOne) {
  Handle song = MakeSong({Track({{1, 0x90, 60, 100, 10}, {481, 0x90, 61, 100, 10},
                                 {961, 0x90, 62, 100, 10}})}, {});
  gTransportSong = song;
  ::Play(1);
  RunTicks(481);
  SetClockTempo(2400);  // twice as fast from here
  RunTicks(961);
  std::vector<SentMessage> ons = NoteOns();
  ASSERT_EQ(3u, ons.size());
  // The fire already armed keeps the old period; the other 479 ticks run at the new one.
  double oldTick = double(ons[1].nanos - ons[0].nanos) / 480;
  EXPECT_NEAR(oldTick + 479 * oldTick / 2, double(ons[2].nanos - ons[1].nanos), 3000.0);
  EXPECT_EQ(0u, gTransportClock.lock.load());
}

}  // namespace
