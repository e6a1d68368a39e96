// Transpose, note maps, shift and nudge on songs as the Transform menu runs them: the notes
// and events of the time selection change, the rest stays, and Undo gives the saved document
// back byte for byte. Songs in 4/4 and 6/8 at odd resolutions.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "editing/nudge_amount.h"
#include "editing/transforms/event_dialog_fields.h"
#include "editing/transforms/note_maps.h"
#include "editing/transforms/shift_apply.h"
#include "editing/transforms/transform_menu.h"
#include "editing/transforms/transpose_apply.h"
#include "editing/transforms/transpose_dialog.h"
#include "editors/timeline/timeline_axis.h"
#include "song/conductor/conductor_map.h"
#include "song/events/time_selection.h"
#include "song/undo/undo_exchange.h"
#include "tests/editing/round_trips/edit_song_fixture.h"

namespace edit_test {
namespace {

enum : int16_t { kNudgeItem = 0, kSemitoneItem = 12 };

class PitchTimeTest : public EditSongTest {
 protected:
  void SetUp() override {
    EditSongTest::SetUp();
    gRepeatTransposition = RepeatTransposition{};
    gTransposeChoices = TransposeChoices{};
    gNudgeWord = kDefaultNudgeWord;
    gLastShiftAmount = 0;
    savedZoom_ = gZoomLevel;
    gZoomLevel = 3;
  }
  void TearDown() override {
    gZoomLevel = savedZoom_;
    EditSongTest::TearDown();
  }
  // A 6/8 song at 97 ticks a quarter: notes in and around the selection 98..389.
  void MakeSixEight() {
    MakeSong(1, 97, 6, 8);
    UseTrack(0);
    SetTrackEvents({{40, 0x90, 60, 30}, {98, 0x90, 60, 50}, {150, 0xA0, 60, 0}, {200, 0x91, 64, 400},
                    {300, 0xB0, 7, 0}, {389, 0x90, 67, 10}});
    SelectTime(98, 389);
  }
  std::vector<uint32_t> Ticks() const {
    std::vector<uint32_t> ticks;
    for (const Event& e : TrackEvents()) ticks.push_back(e.tick);
    return ticks;
  }
  std::vector<uint8_t> Notes() const {
    std::vector<uint8_t> notes;
    for (const Event& e : TrackEvents()) notes.push_back(e.data1);
    return notes;
  }
  int16_t savedZoom_ = 0;
};

TEST_F(PitchTimeTest, OneNoteModeTurnsTheSelectedNotesIntoMiddleCAndUndoGivesThemBack) {
  MakeSixEight();
  std::string before = SavedDocument();
  gRepeatTransposition.flags = kNoteMapOneNote | kTransposeOneNote;
  gRepeatTransposition.targetNote = 60;
  BuildNoteMapFromSettings();
  ASSERT_EQ(1, ApplyTranspose());
  std::vector<uint8_t> notes = Notes();
  EXPECT_EQ(60, notes[0]) << "before the selection";
  EXPECT_EQ(60, notes[3]) << "64 in the selection becomes middle C";
  EXPECT_EQ(67, notes[5]) << "the note at the selection end stays";
  ASSERT_EQ(noErr, UndoLastEdit());
  EXPECT_EQ(before, SavedDocument());
}

TEST_F(PitchTimeTest, SemitoneItemMovesNotesAndThePressureFollowsTheirKey) {
  MakeSixEight();
  std::string before = SavedDocument();
  DoTransformMenuItem(kSemitoneItem, -2);  // two semitones up
  std::vector<uint8_t> notes = Notes();
  EXPECT_EQ(60, notes[0]);
  EXPECT_EQ(62, notes[1]);
  EXPECT_EQ(62, notes[2]) << "the poly pressure on key 60 follows its note";
  EXPECT_EQ(66, notes[3]);
  EXPECT_EQ(7, notes[4]) << "a controller keeps its number";
  EXPECT_EQ(67, notes[5]);
  ASSERT_EQ(noErr, UndoLastEdit());
  EXPECT_EQ(before, SavedDocument());
}

TEST_F(PitchTimeTest, RetrogradeReversesTheSelectionAndKeepsTheFlags) {
  MakeSong(1, 97, 4, 4);
  UseTrack(0);
  // A note at a with duration d ends up at b - d; a controller at t at b - (t - a).
  SetTrackEvents({{101, 0x90, 60, 30}, {150, 0xB0, 7, 0}, {181, 0x90, 62, 500}, {301, 0x90, 64, 5}});
  SelectTime(101, 301);
  std::string before = SavedDocument();
  gInversionChoice = kInversionRetrograde;
  uint16_t flags = gRepeatTransposition.flags = kTransposeChromatic;
  ASSERT_EQ(1, RunInversionRetrograde());
  EXPECT_EQ(flags, gRepeatTransposition.flags);
  std::vector<Event> after = TrackEvents();
  ASSERT_EQ(4u, after.size());
  EXPECT_EQ((std::vector<uint32_t>{101, 252, 271, 301}), Ticks());
  EXPECT_EQ(62, after[0].data1) << "the long note ends at the selection end and starts at a";
  EXPECT_EQ(7, after[1].data1);
  EXPECT_EQ(60, after[2].data1) << "the first note starts at b - d = 271";
  ASSERT_EQ(noErr, UndoLastEdit());
  EXPECT_EQ(before, SavedDocument());
  gInversionChoice = kInversionInvert;
}

TEST_F(PitchTimeTest, ChromaticInversionMirrorsAroundTheCentre) {
  MakeSixEight();
  gInversionChoice = kInversionInvert;
  gRepeatTransposition.flags = kTransposeChromatic;
  gRepeatTransposition.sourceNote = 62;
  ASSERT_EQ(1, RunInversionRetrograde());
  std::vector<uint8_t> notes = Notes();
  EXPECT_EQ(64, notes[1]) << "60 around 62";
  EXPECT_EQ(60, notes[3]) << "64 around 62";
  EXPECT_EQ(60, notes[0]);
}

struct ShiftCase {
  const char* name;
  int32_t numerator, denominator, resolution;
  int32_t amount;
  std::vector<uint32_t> expected;  // the ticks afterwards, in list order
  uint32_t selectionStart, selectionEnd;
};
void PrintTo(const ShiftCase& c, std::ostream* out) { *out << c.name; }

// Events at 40, 98, 200 (a long note), 300 and 389; the selection 98..389.
const ShiftCase kShiftCases[] = {
    {"forward in 6/8 at 97: only starts inside the selection move", 6, 8, 97, 45, {40, 143, 245, 345, 389}, 143, 434},
    {"forward in 4/4 at 97", 4, 4, 97, 7, {40, 105, 207, 307, 389}, 105, 396},
    {"backward piles up at tick 1, never before", 6, 8, 97, -250, {1, 1, 40, 50, 389}, 1, 139},
};

class ShiftTest : public PitchTimeTest, public ::testing::WithParamInterface<ShiftCase> {};

TEST_P(ShiftTest, MovesTheSelectionAndUndoGivesTheDocumentBack) {
  const ShiftCase& c = GetParam();
  MakeSong(1, c.resolution, c.numerator, c.denominator);
  UseTrack(0);
  SetTrackEvents({{40, 0x90, 60, 30}, {98, 0x90, 61, 50}, {200, 0x90, 62, 900}, {300, 0xB0, 7, 0}, {389, 0x90, 67, 10}});
  SelectTime(98, 389);
  std::string before = SavedDocument();
  ShiftRequest request;
  request.ticks = c.amount;
  ASSERT_EQ(1, ApplyShift(request));
  EXPECT_EQ(c.expected, Ticks());
  EXPECT_EQ(c.selectionStart, gTimeSelection.start.tick);
  EXPECT_EQ(c.selectionEnd, gTimeSelection.end.tick);
  ASSERT_EQ(noErr, UndoLastEdit());
  EXPECT_EQ(before, SavedDocument());
}

INSTANTIATE_TEST_SUITE_P(Cases, ShiftTest, ::testing::ValuesIn(kShiftCases));

TEST_F(PitchTimeTest, PixelNudgeAtZoomThreeMovesEightTicks) {
  MakeSixEight();
  gZoomLevel = 3;
  gNudgeWord = kNudgeOnePixel | 1;
  DoTransformMenuItem(kNudgeItem, 1);
  EXPECT_EQ((std::vector<uint32_t>{40, 106, 158, 208, 308, 389}), Ticks());
  EXPECT_EQ(106u, gTimeSelection.start.tick);
  gNudgeWord = 5;
  DoTransformMenuItem(kNudgeItem, -1);
  EXPECT_EQ((std::vector<uint32_t>{40, 101, 153, 203, 303, 389}), Ticks())
      << "five ticks back; 389, inside the moved selection but not selected, stays";
}

TEST_F(PitchTimeTest, OptionNudgeMovesTheSelectionAloneAndNotLeftOfTheStart) {
  MakeSixEight();
  std::vector<uint32_t> ticks = Ticks();
  NudgeSelectionWith(1, true);
  EXPECT_EQ(389u, gTimeSelection.start.tick);
  EXPECT_EQ(680u, gTimeSelection.end.tick);
  EXPECT_EQ(ticks, Ticks());
  SelectTime(1, 50);
  NudgeSelectionWith(-1, true);
  EXPECT_EQ(1u, gTimeSelection.start.tick) << "a selection at tick 1 does not move left";
  EXPECT_EQ(50u, gTimeSelection.end.tick);
}

TEST_F(PitchTimeTest, NudgeWithoutASelectionMovesOnlyTheSelection) {
  MakeSixEight();
  SelectTime(100, 100);
  std::vector<uint32_t> ticks = Ticks();
  gNudgeWord = 10;
  NudgeSelectionWith(1, false);
  EXPECT_EQ(110u, gTimeSelection.start.tick);
  EXPECT_EQ(ticks, Ticks());
}

struct TimeCase {
  const char* name;
  BarBeatTickText text;
  int32_t bar, beat, tick;  // from 0
};
void PrintTo(const TimeCase& c, std::ostream* out) { *out << c.name; }

// In 6/8 at 97 ticks a quarter: 6 beats of 48 ticks (an eighth of 97 truncated) a bar.
const TimeCase kTimeCases[] = {
    {"2.5 bars is bar 2 beat 4", {"2.5", "9", "9"}, 1, 3, 0},
    {"a decimal beat", {"2", "1.5", ""}, 1, 0, 24},
    {"three numbers", {"4", "2", "17"}, 3, 1, 17},
    {"a beat beyond the bar is held at the last", {"1", "9", "0"}, 0, 5, 0},
};

class TimeFieldTest : public PitchTimeTest, public ::testing::WithParamInterface<TimeCase> {};

TEST_P(TimeFieldTest, ReadsTheTimeInTheMeterInForce) {
  MakeSong(1, 97, 6, 8);
  const TimeCase& c = GetParam();
  EventMeter meter = GetEventMeter(1);
  EXPECT_EQ(6, meter.beatsPerBar);
  EXPECT_EQ(BarBeatTickToTick(c.bar, c.beat, c.tick), ReadTimeTexts(c.text, meter));
}

INSTANTIATE_TEST_SUITE_P(Cases, TimeFieldTest, ::testing::ValuesIn(kTimeCases));

TEST_F(PitchTimeTest, ThreeAndAHalfBarsInFourFourIsBarThreeBeatThree) {
  MakeSong(1, 480, 4, 4);
  EXPECT_EQ(BarBeatTickToTick(2, 2, 0), ReadTimeTexts({"3.5", "", ""}, GetEventMeter(1)));
}

}  // namespace
}  // namespace edit_test
