// Quantizing to the note grid: the tick rule (nearest point, later on a tie, the next bar line,
// swing by the parity of the straight grid, triplets, strength) in 4/4 and 6/8 at even and odd
// resolutions, and the track pass over the time selection (chords, durations, the selection's
// edges, the error when nothing is chosen, Undo).
#include <gtest/gtest.h>

#include "editing/transforms/quantize_grid.h"
#include "editing/transforms/quantize_run.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/timebase.h"
#include "song/events/seq_event.h"
#include "tests/editing/round_trips/edit_song_fixture.h"

namespace edit_test {
namespace {

QuantizeSettings Grid(int32_t grid, int32_t swing = 50, int32_t strength = 100,
                      bool triplets = false, uint8_t flags = kQuantizeStarts) {
  QuantizeSettings s;
  InitQuantizeSettings(&s);
  SetQuantizeU32(&s, kQuantizeGrid, grid);
  SetQuantizeI16(&s, kQuantizeSwing, swing);
  SetQuantizeI16(&s, kQuantizeTimingStrength, strength);
  SetQuantizeByte(&s, kQuantizeOptions, triplets ? kQuantizeTriplets : 0);
  SetQuantizeByte(&s, kQuantizeFlags, flags);
  return s;
}

struct TickCase {
  const char* what;
  int32_t resolution, numerator, denominator;
  int32_t grid, swing, strength;
  bool triplets;
  int32_t tick, expected;
};

// Test names show the case.
void PrintTo(const TickCase& c, std::ostream* os) { *os << c.what; }

const TickCase kTickCases[] = {
    {"on the grid stays", 480, 4, 4, 240, 50, 100, false, 481, 481},
    {"half a step between two points goes to the later", 480, 4, 4, 240, 50, 100, false, 121, 241},
    {"just under half a step goes back", 480, 4, 4, 240, 50, 100, false, 120, 1},
    {"near the bar's end snaps to the next bar line", 480, 4, 4, 720, 50, 100, false, 1801, 1921},
    {"swing 50 leaves odd points alone", 480, 4, 4, 240, 50, 100, false, 250, 241},
    {"swing 75 delays odd points by half a step", 480, 4, 4, 240, 75, 100, false, 250, 361},
    {"swing leaves even points alone", 480, 4, 4, 240, 75, 100, false, 490, 481},
    {"a nearer triplet point wins", 480, 4, 4, 240, 50, 100, true, 151, 161},
    {"swing follows the straight parity after a triplet won", 480, 4, 4, 240, 75, 100, true, 151, 281},
    {"strength 50 moves half the way", 480, 4, 4, 240, 50, 50, false, 101, 51},
    {"a half tick of strength rounds away from the note", 480, 4, 4, 240, 50, 50, false, 102, 51},
    {"strength 0 keeps the tick", 480, 4, 4, 240, 50, 0, false, 200, 200},
    {"6/8 at an odd resolution: a grid point", 97, 6, 8, 40, 50, 100, false, 271, 281},
    {"6/8 at an odd resolution: the next bar line", 97, 6, 8, 40, 50, 100, false, 286, 289},
    {"6/8 second bar counts from its own line", 97, 6, 8, 40, 50, 100, false, 289 + 61, 289 + 80},
    {"a grid of 0 is taken as 1", 480, 4, 4, 0, 50, 100, false, 77, 77},
    {"overshooting strength never reaches tick 0", 480, 4, 4, 240, 50, 300, false, 101, 1},
};

class QuantizeTickTest : public EditSongTest, public ::testing::WithParamInterface<TickCase> {};

TEST_P(QuantizeTickTest, MovesTheTickAsTheRuleSays) {
  const TickCase& c = GetParam();
  MakeSong(1, c.resolution, c.numerator, c.denominator);
  if (c.numerator == 6) ASSERT_EQ(289, BarToTick(1)) << "a 6/8 bar at 97 ticks a quarter";
  QuantizeSettings s = Grid(c.grid, c.swing, c.strength, c.triplets);
  EXPECT_EQ(c.expected, QuantizeTick(&s, c.tick, QuantizeSwingOffset(&s))) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Cases, QuantizeTickTest, ::testing::ValuesIn(kTickCases));

class QuantizeTrackTest : public EditSongTest {
 protected:
  void SetUp() override {
    EditSongTest::SetUp();
    MakeSong(1, 480, 4, 4);
    UseTrack(0);
  }
  std::vector<uint32_t> Ticks() const {
    std::vector<uint32_t> ticks;
    for (const Event& e : TrackEvents()) ticks.push_back(e.tick);
    return ticks;
  }
};

TEST_F(QuantizeTrackTest, ChordsMoveTogetherByTheirAverageStart) {
  SetTrackEvents({{300, 0x90, 60, 20}, {310, 0x90, 64, 20}, {330, 0x90, 67, 20},
                  {360, 0x90, 72, 20}, {620, 0x90, 60, 20}});
  SelectTime(1, 1921);
  QuantizeSettings s = Grid(240, 50, 100, false, kQuantizeStarts | kQuantizeChords);
  ASSERT_TRUE(RunQuantize(&s, true));
  // 300..330 average 313 -> 241 (all -72); 360 is 60 after 300: a chord of its own.
  EXPECT_EQ((std::vector<uint32_t>{228, 238, 241, 258, 721}), Ticks());
}

TEST_F(QuantizeTrackTest, NoteEndsGoToTheGridAndDurationsStayAtLeastOne) {
  SetTrackEvents({{1, 0x90, 60, 100}, {250, 0x90, 62, 500}});
  SelectTime(1, 1921);
  QuantizeSettings s = Grid(240, 50, 100, false, kQuantizeStarts | kQuantizeDurations);
  ASSERT_TRUE(RunQuantize(&s, true));
  std::vector<Event> events = TrackEvents();
  ASSERT_EQ(2u, events.size());
  EXPECT_EQ(1, events[0].duration) << "an end quantized onto the start keeps one tick";
  EXPECT_EQ(241u, events[1].tick);
  EXPECT_EQ(480, events[1].duration) << "the end 750 goes to 721";
}

TEST_F(QuantizeTrackTest, OnlyNotesFromTheSelectionStartToBeforeItsEndMove) {
  SetTrackEvents({{110, 0x90, 60, 10}, {230, 0xB0, 7, 0}, {250, 0x90, 62, 10},
                  {490, 0x90, 64, 10}});
  SelectTime(250, 490);
  QuantizeSettings s = Grid(240);
  ASSERT_TRUE(RunQuantize(&s, true));
  EXPECT_EQ((std::vector<uint32_t>{110, 230, 241, 490}), Ticks());
}

TEST_F(QuantizeTrackTest, NothingChosenIsRefusedAndUndoGivesTheDocumentBack) {
  SetTrackEvents({{100, 0x90, 60, 10}, {350, 0x90, 62, 10}, {700, 0x90, 64, 10}});
  SelectTime(1, 1921);
  const std::string before = SavedDocument();
  QuantizeSettings none = Grid(240, 50, 100, false, 0);
  EXPECT_FALSE(RunQuantize(&none, true));
  QuantizeSettings noGrid = Grid(0);
  EXPECT_FALSE(RunQuantize(&noGrid, true)) << "a grid of 0 from the settings does nothing";
  EXPECT_EQ(before, SavedDocument());
  QuantizeSettings s = Grid(240);
  ASSERT_TRUE(RunQuantize(&s, true));
  EXPECT_EQ((std::vector<uint32_t>{1, 241, 721}), Ticks());
  EXPECT_NE(before, SavedDocument());
  Edit(kUndoItem);
  EXPECT_EQ(before, SavedDocument());
}

}  // namespace
}  // namespace edit_test
