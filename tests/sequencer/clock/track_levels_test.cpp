// The level table the track meters read: a report holds over its span of song ticks only,
// and the clock reports each note-on it plays at the velocity it sent, for the rows of the
// top song, held for the note's length and at least a sixteenth.
#include "sequencer/clock/track_levels.h"

#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/tick_scheduler.h"
#include "sequencer/clock/transport_clock.h"
#include "platform/memory/byte_order.h"
#include "song/conductor/timebase.h"
#include "song/model/song_layout.h"
#include "tests/sequencer/clock/clock_fixture.h"

namespace {

TEST(TrackLevels, AReportHoldsOverItsSpanOnly) {
  ClearTrackLevels();
  ReportTrackLevel(3, TrackLevel{90, 40, true}, 1000, 24);
  struct Case {
    uint32_t tick;
    uint8_t left;
  } cases[] = {{999, 0}, {1000, 90}, {1012, 90}, {1023, 90}, {1024, 0}, {5000, 0}, {1, 0}};
  for (const Case& c : cases) {
    TrackLevel level = ReadTrackLevel(3, c.tick);
    EXPECT_EQ(level.left, c.left) << "tick " << c.tick;
    EXPECT_EQ(level.right, c.left ? 40 : 0) << "tick " << c.tick;
    EXPECT_EQ(level.stereo, c.left != 0) << "tick " << c.tick;
  }
  EXPECT_EQ(ReadTrackLevel(2, 1010).left, 0) << "another row stays silent";
  ReportTrackLevel(kTrackLevelRows, TrackLevel{100, 100, false}, 1000, 24);
  ReportTrackLevel(-1, TrackLevel{100, 100, false}, 1000, 24);
  EXPECT_EQ(ReadTrackLevel(kTrackLevelRows, 1010).left, 0);
  EXPECT_EQ(ReadTrackLevel(-1, 1010).left, 0);
  // Past the 32-bit tick range the span still counts from its start.
  ReportTrackLevel(4, TrackLevel{127, 127, false}, 0xFFFFFFF0u, 0x40);
  EXPECT_EQ(ReadTrackLevel(4, 0x10).left, 127);
  EXPECT_EQ(ReadTrackLevel(4, 0x30).left, 0);
  ClearTrackLevels();
  EXPECT_EQ(ReadTrackLevel(3, 1010).left, 0);
}

using TrackLevelPlayTest = ClockTest;

TEST_F(TrackLevelPlayTest, EachNoteOnPlayedSetsItsRowToTheVelocitySent) {
  TestTrack first, second;
  // Resolution 96: a sixteenth is 24 ticks. A short note holds for the sixteenth, a long one
  // for its length.
  first.events = {{1, 0x90, 60, 30, 2}, {41, 0x90, 62, 110, 60}};
  second.events = {{11, 0x90, 50, 70, 4}};
  Handle song = MakeSong({first, second}, {});
  WriteI16BE(reinterpret_cast<uint8_t*>(*song) + kSongHeaderSize + kTrackVelocityOffset, 10);
  int32_t kept = gTicksPerQuarter;
  gTicksPerQuarter = 96;
  ASSERT_EQ(noErr, PreparePlayback(song, 0));
  gTicksPerQuarter = kept;
  ASSERT_EQ(noErr, InstallClockTimer(ClockTimerPlayProc, 0));
  struct Step {
    uint32_t tick;
    uint8_t first, second;
  } steps[] = {{5, 40, 0}, {20, 40, 70}, {26, 0, 70}, {36, 0, 0}, {45, 120, 0}, {99, 120, 0}, {103, 0, 0}};
  for (const Step& s : steps) {
    RunTicks(s.tick);
    uint32_t now = gTransportClock.songTick;
    EXPECT_EQ(ReadTrackLevel(0, now).left, s.first) << "tick " << now << " (velocity offset 10)";
    EXPECT_EQ(ReadTrackLevel(1, now).left, s.second) << "tick " << now;
  }
}

}  // namespace
