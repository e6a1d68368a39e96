// Time code from subframes (80 a frame): drop-frame leaves out frames 0 and 1 at the start of
// every minute but each tenth, and never shows a frame 30; plain rates count every frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <tuple>

#include "sequencer/clock/tick_routines.h"
#include "sequencer/clock/time_code_format.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/transport/sync_source.h"
#include "song/model/song_context.h"
#include "tests/sequencer/clock/clock_fixture.h"
#include "song/conductor/tempo_tables.h"

namespace {

std::tuple<int, int, int, int, int> Fields(const TimeCodeFields& f) {
  return {f.hours, f.minutes, f.seconds, f.frames, f.subframes};
}

class TimeCodeFormat : public ::testing::Test {
 protected:
  void TearDown() override { gSmpteRateCode = saved; }
  uint8_t saved = gSmpteRateCode;
};

TEST_F(TimeCodeFormat, DropFrameSkipsTheFirstTwoFramesOfMostMinutes) {
  struct Case {
    uint32_t frames, subframes;
    std::tuple<int, int, int, int, int> shown;
  };
  const Case cases[] = {
      {17982, 0, {0, 10, 0, 0, 0}},   // ten minutes: no frame dropped at a tenth
      {1800, 0, {0, 1, 0, 2, 0}},     // the first frame of minute 1 is frame 2
      {1800 + 27, 79, {0, 1, 0, 29, 79}},
      {1800 + 28, 0, {0, 1, 1, 0, 0}},  // the end of a dropped minute's first second
      {1799, 0, {0, 0, 59, 29, 0}},
      {17982 * 6, 0, {1, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    TimeCodeFields f;
    FormatDropFrame(c.frames * 80 + c.subframes, &f);
    EXPECT_EQ(c.shown, Fields(f)) << c.frames << " frames";
  }
}

TEST_F(TimeCodeFormat, DropFrameTimeCodeAdvancesOneFrameAtATimeAndNeverShowsFrame30) {
  TimeCodeFields before;
  FormatDropFrame(0, &before);
  for (uint32_t frame = 1; frame < 17982 * 2; ++frame) {
    TimeCodeFields f;
    FormatDropFrame(frame * 80, &f);
    ASSERT_LT(f.frames, 30) << frame;
    // The next frame of before, with frames 0 and 1 skipped at a minute that is not a tenth.
    int expectFrame = before.frames + 1, expectSecond = before.seconds, expectMinute = before.minutes;
    if (expectFrame == 30) {
      expectFrame = 0;
      if (++expectSecond == 60) {
        expectSecond = 0;
        ++expectMinute;
        if (expectMinute % 10 != 0) expectFrame = 2;
      }
    }
    ASSERT_EQ(std::make_tuple(expectMinute, expectSecond, expectFrame), std::make_tuple(int(f.minutes), int(f.seconds), int(f.frames)))
        << "frame " << frame;
    before = f;
  }
}

TEST_F(TimeCodeFormat, PlainRatesCountEveryFrame) {
  struct Case {
    uint8_t rateCode;
    uint32_t subframes;
    std::tuple<int, int, int, int, int> shown;
  };
  const Case cases[] = {
      {1, 2000, {0, 0, 1, 0, 0}},                 // 25 frames a second
      {1, 1999, {0, 0, 0, 24, 79}},
      {0, 24 * 80 * 61, {0, 1, 1, 0, 0}},         // 24 frames a second
      {3, 30 * 80 * 3600 + 80, {1, 0, 0, 1, 0}},  // 30 frames a second
  };
  for (const Case& c : cases) {
    gSmpteRateCode = c.rateCode;
    TimeCodeFields f;
    FormatTimeCode(c.subframes, &f);
    EXPECT_EQ(c.shown, Fields(f)) << int(c.rateCode) << " " << c.subframes;
  }
}

// The running clock counts frames one by one; over eleven minutes (ten-minute and hour-free
// minute boundaries, the dropped frames) its digits stay those of the formatter at every
// rate: 24, 25, 30 drop-frame and 30.
class RunningTimeCode : public ClockTest {
 protected:
  void TearDown() override {
    SetSmpteFrameRate(saved);
    ClockTest::TearDown();
  }
  uint8_t saved = gSmpteRateCode;
};

TEST_F(RunningTimeCode, AgreesWithTheFormatterAtEveryFrame) {
  for (uint8_t code : {uint8_t(0), uint8_t(1), uint8_t(2), uint8_t(3)}) {
    SetSmpteFrameRate(code);
    std::fill(gTransportClock.timeCode, gTransportClock.timeCode + 4, uint8_t(0));
    gTransportClock.frameAccumulator = 0;
    const uint32_t frames = uint32_t(gTransportClock.framesPerSecond) * 60 * 11 + 7;
    for (uint32_t frame = 1; frame <= frames; ++frame) {
      AdvanceTimeCode(80u << 16, code == 2);
      TimeCodeFields f;
      FormatTimeCode(frame * 80, &f);
      const uint8_t* tc = gTransportClock.timeCode;
      ASSERT_EQ(std::make_tuple(f.hours, f.minutes, f.seconds, f.frames), std::make_tuple(tc[0], tc[1], tc[2], tc[3]))
          << "rate code " << int(code) << ", frame " << frame;
    }
  }
}

// A locate shows the tick's time code in the clock and, unless an external source sets the
// pace, gives the clock the current song's tempo.
class TimeCodeFromTick : public ClockTest {
 protected:
  void TearDown() override {
    gCurrentSong = savedSong;
    SetSyncSource(kSyncSourceInternal);
    ClockTest::TearDown();
  }
  uint8_t* savedSong = gCurrentSong;
};

TEST_F(TimeCodeFromTick, TheClockTakesTheSongTempoOnlyWhileNoExternalSourceLeads) {
  Handle song = MakeSong({TestTrack{}}, {{0, 1200}}, 905);
  gCurrentSong = reinterpret_cast<uint8_t*>(*song);
  struct Case {
    int16_t source;
    uint16_t clockTempo;
  };
  const Case cases[] = {{kSyncSourceInternal, 905}, {kSyncSourceAudioClock, 905},
                        {kSyncSourceMidiClock, 1500}, {kSyncSourceTimeCode, 1500}};
  for (const Case& c : cases) {
    SetSyncSource(c.source);
    gTransportClock.tempo = 1500;
    SetTimeCodeFromTick(480 * 4 * 2 + 11);  // two bars at 120 a minute (four seconds) and a third of a frame
    EXPECT_EQ(c.clockTempo, gTransportClock.tempo) << c.source;
    const uint8_t* tc = gTransportClock.timeCode;
    EXPECT_EQ(std::make_tuple(0, 0, 4, 0), std::make_tuple(int(tc[0]), int(tc[1]), int(tc[2]), int(tc[3])))
        << c.source;
  }
}

}  // namespace
