// The tempo tables: exact periods (no timer quantum), increments, and the resource cache.
#include "song/conductor/conductor_map.h"
#include "song/conductor/tempo_tables.h"
#include "tests/sequencer/clock/clock_fixture.h"

namespace {

TEST_F(ClockTest, PeriodTableHoldsExactPeriods) {
  struct Case {
    int32_t resolution, tempo;
    uint32_t entry;
  };
  const Case cases[] = {
      {384, 1200, (1302u << 16) + 5461},   // 46,080 ticks a minute
      {960, 4500, (138u << 16) + 58254},   // 432,000 ticks a minute: 138.888.. us
      {480, 1200, (1041u << 16) + 43690},  // 1041.666.. us
  };
  for (const Case& c : cases) {
    gTempoTableResolution = c.resolution;
    BuildTempoTables();
    EXPECT_EQ(c.entry, gTempoPeriodTable[c.tempo - kTempoTableFirst]) << c.resolution;
  }
}

TEST_F(ClockTest, LongPeriodsAreNotCutTo16Bits) {
  gTempoTableResolution = 24;
  BuildTempoTables();
  uint32_t whole = 0;
  uint16_t fraction = 0;
  GetExactTickPeriod(120, &whole, &fraction);  // 288 ticks a minute
  EXPECT_EQ(208333u, whole);
  EXPECT_EQ(65535u, gTempoPeriodTable[0] >> 16);
}

TEST_F(ClockTest, IncrementTableGivesSubframesPerTick) {
  // 30 fps, 480 per quarter, 120 BPM: 1041.67 us a tick, 2.5 subframes.
  EXPECT_EQ(uint32_t(2.5 * 65536), gTempoIncrementTable[1200 - kTempoTableFirst]);
  gSmpteRateCode = 0;  // 24 fps: 2 subframes
  BuildTempoTables();
  EXPECT_EQ(uint32_t(2.0 * 65536), gTempoIncrementTable[1200 - kTempoTableFirst]);
}

}  // namespace
