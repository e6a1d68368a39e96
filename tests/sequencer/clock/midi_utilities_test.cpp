// Tempo scaling, velocity humanising and master volume scaling.
#include "sequencer/clock/note_off_queue.h"
#include "sequencer/clock/tick_scheduler.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/midi_utilities.h"
#include "song/events/seq_event.h"
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

// Row r of the random table holds values 0..r; the row is the note's spread, so a humanised
// velocity only grows by up to the spread and stays in 1..127.
TEST_F(ClockTest, HumanisedVelocityAddsTheSpreadRowsValues) {
  auto& table = gTransportClock.randomVelocityTable;
  table.fill(0);
  uint8_t* row10 = table.data() + kRandomVelocityNotes + 10 * kRandomVelocityOffsets;
  for (int32_t i = 0; i < kRandomVelocityOffsets; ++i) row10[i] = uint8_t(i % 11);
  table[kRandomVelocityNotes + 60 * kRandomVelocityOffsets] = 60;
  EXPECT_EQ(1, HumaniseVelocity(10, 0x80 | 0)) << "value 0 of the row; a silent note still sounds";
  EXPECT_EQ(51, HumaniseVelocity(10, 0x80 | 50)) << "the cursor moved on";
  EXPECT_EQ(127, HumaniseVelocity(10, 0x80 | 126));
  EXPECT_EQ(3, table[10]);
  EXPECT_EQ(50, HumaniseVelocity(0, 0x80 | 50)) << "spread 0 keeps the velocity";
  EXPECT_EQ(0, table[60]) << "the row is the spread, not the key";
  row10[3] = 200;
  EXPECT_EQ(10, PickRandomVelocity(10)) << "a value outside its row is held to the row";
  EXPECT_EQ(0, PickRandomVelocity(200));
  table.fill(0);
}

// A humanised note played by the clock takes its spread from its release byte, whatever its
// key: a high key must not become a wide spread.
TEST_F(ClockTest, APlayedHumanisedNoteUsesItsSpreadNotItsKey) {
  auto& table = gTransportClock.randomVelocityTable;
  table.fill(0);
  std::fill_n(table.data() + kRandomVelocityNotes + 4 * kRandomVelocityOffsets, kRandomVelocityOffsets, uint8_t(4));
  std::fill_n(table.data() + kRandomVelocityNotes + 100 * kRandomVelocityOffsets, kRandomVelocityOffsets, uint8_t(100));
  uint8_t event[16] = {};
  event[kEventData1] = 100;
  event[kEventData2] = 0x80 | 60;
  event[kEventData3] = 4;
  event[13] = 10;  // length
  SendTrackEvent(kRecorderProc, event, 1, nullptr, 0, kKindNote, kKindNote);
  ASSERT_EQ(1u, gSent.size());
  EXPECT_EQ(100, gSent[0].data1);
  EXPECT_EQ(64, gSent[0].data2);
  table.fill(0);
}

}  // namespace
