// The idle pass's refresh of the random table: rows are drawn again one at a time, only after
// values were taken, only while their cursor byte is non-zero, never row 0. Rows start filled
// with a value no row may hold, so a redrawn row and an untouched one tell apart.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>

#include "sequencer/clock/note_off_queue.h"
#include "sequencer/clock/transport_clock.h"
#include "shell/app/random_table_refresh.h"

namespace {

constexpr uint8_t kUntouched = 0xEE;

class RandomTableRefreshTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto& t = gTransportClock.randomVelocityTable;
    std::fill(t.begin(), t.begin() + kRandomVelocityNotes, uint8_t(0));
    std::fill(t.begin() + kRandomVelocityNotes, t.end(), kUntouched);
  }
  void TearDown() override {
    gTransportClock.randomVelocityTable.fill(0);
    gRandomVelocityUsed = 0;
  }
  static void SetCursors(std::initializer_list<int> rows) {
    for (int r : rows) gTransportClock.randomVelocityTable[r] = 1;
  }
  static const uint8_t* Row(int r) {
    return gTransportClock.randomVelocityTable.data() + kRandomVelocityNotes + r * kRandomVelocityOffsets;
  }
  static bool Untouched(int r) {
    return std::all_of(Row(r), Row(r) + kRandomVelocityOffsets, [](uint8_t v) { return v == kUntouched; });
  }
  static uint32_t LastRow() { return gRandomVelocityUsed & 0x7F; }
};

TEST_F(RandomTableRefreshTest, RowsWithACursorAreDrawnInTurnAndRowZeroNever) {
  SetCursors({0, 3, 9, 127});
  gRandomVelocityUsed = kRandomTableTaken | 3;
  struct Step { uint32_t row; };
  for (Step s : {Step{9}, Step{127}, Step{0}, Step{3}}) {
    RefreshRandomTableRow();
    EXPECT_EQ(s.row, LastRow());
    EXPECT_TRUE(gRandomVelocityUsed & kRandomTableTaken);
  }
  EXPECT_TRUE(Untouched(0));
  for (int r : {1, 2, 4, 8, 10, 126}) EXPECT_TRUE(Untouched(r)) << r;
  for (int r : {3, 9, 127}) {
    EXPECT_TRUE(std::all_of(Row(r), Row(r) + kRandomVelocityOffsets, [r](uint8_t v) { return v <= r; })) << r;
    EXPECT_FALSE(Untouched(r));
  }
}

TEST_F(RandomTableRefreshTest, NothingIsDrawnBeforeATakeOrWithoutCursors) {
  SetCursors({5});
  gRandomVelocityUsed = 4;  // nothing taken
  RefreshRandomTableRow();
  EXPECT_EQ(4u, LastRow());
  EXPECT_TRUE(Untouched(5));
  gTransportClock.randomVelocityTable[5] = 0;
  gRandomVelocityUsed = kRandomTableTaken | 5;
  RefreshRandomTableRow();
  EXPECT_EQ(0u, LastRow()) << "every cursor 0: back to row 0";
  for (int r = 0; r < kRandomVelocityNotes; ++r) ASSERT_TRUE(Untouched(r)) << r;
}

// A take from the clock's side marks the table for refreshing.
TEST_F(RandomTableRefreshTest, ATakeAdvancesTheCursorAndMarksTheTable) {
  gRandomVelocityUsed = 0;
  PickRandomVelocity(7);
  EXPECT_EQ(1, gTransportClock.randomVelocityTable[7]);
  EXPECT_TRUE(gRandomVelocityUsed & kRandomTableTaken);
  RefreshRandomTableRow();
  EXPECT_EQ(7u, LastRow());
  EXPECT_FALSE(Untouched(7));
}

// Start-up: cursors at 0 and row r filled with values 0..r, which differ within a wide row.
TEST_F(RandomTableRefreshTest, TheBuiltTableKeepsEachRowBelowItsNumberPlusOne) {
  BuildRandomTable();
  auto& t = gTransportClock.randomVelocityTable;
  EXPECT_TRUE(std::all_of(t.begin(), t.begin() + kRandomVelocityNotes, [](uint8_t c) { return c == 0; }));
  for (int r = 0; r < kRandomVelocityNotes; ++r)
    EXPECT_TRUE(std::all_of(Row(r), Row(r) + kRandomVelocityOffsets, [r](uint8_t v) { return v <= r; })) << r;
  EXPECT_TRUE(std::all_of(Row(0), Row(0) + kRandomVelocityOffsets, [](uint8_t v) { return v == 0; }));
  EXPECT_GT(*std::max_element(Row(127), Row(127) + kRandomVelocityOffsets),
            *std::min_element(Row(127), Row(127) + kRandomVelocityOffsets));
}

}  // namespace
