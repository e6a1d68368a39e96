// Tempo scaling, velocity humanising and master volume scaling.
#include "sequencer/clock/note_off_queue.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/midi_utilities.h"
#include "tests/sequencer/clock/clock_fixture.h"

namespace {

TEST_F(ClockTest, TempoScalingClampsInsteadOfWrapping) {
  struct Case {
    int32_t tempo, factor;
    int16_t result;
  };
  const Case cases[] = {{1200, 2048, 1200}, {1200, 512, 300},  {100, 2048, 120},
                        {4500, 65535, 4500}, {1200, 60000, 4500}, {1200, 1, 120}};
  for (const Case& c : cases)
    EXPECT_EQ(c.result, ScaleTempoValue(c.tempo, c.factor)) << c.tempo << " x " << c.factor;
  gTransportClock.tempoScale = 4096;
  gTransportClock.tempo = 1000;
  EXPECT_EQ(2000, GetScaledTempo());
  gTransportClock.tempoScale = 2048;
}

TEST_F(ClockTest, HumanisedVelocityStaysInRange) {
  auto& table = gTransportClock.randomVelocityTable;
  table.fill(0);
  table[kRandomVelocityNotes + 60 * kRandomVelocityOffsets + 0] = uint8_t(int8_t(-10));
  table[kRandomVelocityNotes + 60 * kRandomVelocityOffsets + 1] = 10;
  EXPECT_EQ(1, HumaniseVelocity(60, 5)) << "a quiet note stays quiet";
  EXPECT_EQ(127, HumaniseVelocity(60, 125));
  EXPECT_EQ(50, HumaniseVelocity(60, 50)) << "offset 0 of the third slot";
  EXPECT_EQ(0, PickRandomVelocity(200));
}

}  // namespace
