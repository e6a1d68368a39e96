// Insert and remove time: the events of the tracks taking part, the notes cut at the insertion
// point, the conductor map and the markers moving only with the whole song or the Option key,
// and each operation one undoable step.
#include "tests/editing/clear/range_edit_fixture.h"

#include "editing/insert_remove_time.h"
#include "platform/events/key_codes.h"
#include "platform/files/file_locations.h"
#include "song/smf/smf_import.h"
#include "tests/song/smf/smf_test_setup.h"

using range_edit_test::Bend;
using range_edit_test::Ctl;
using range_edit_test::Ev;
using range_edit_test::Note;

namespace {

class TimeEditTest : public RangeEditTest {
 protected:
  void HoldOption() { ASSERT_EQ(noErr, PostHostModifiersEvent(optionKey)); }
  void SelectOnlyTrack(int32_t n) {
    ClearTrackSelectionMask();
    SelectTrackSlot(n);
    RecomputeSelectionBounds(gTrackSelection, true);
  }
  // A tempo change at each tick and a plain marker at each marker tick.
  void Conductor(const std::vector<int32_t>& tempos, const std::vector<uint32_t>& markers) {
    for (int32_t t : tempos) ASSERT_EQ(noErr, SetTempoAt(900 + t % 500, t));
    for (uint32_t t : markers) ASSERT_EQ(noErr, AddMarker(reinterpret_cast<const unsigned char*>("\x01" "m"), t, 0, 0, 0));
    StoreConductorEndTick();
  }
  std::string ConductorTicks() {
    std::string out;
    for (int32_t i = 0; i < CountConductorRecords(gCurrentSong); ++i)
      out += std::to_string(ConductorTick(GetConductorMap() + i * kConductorRecordSize)) + " ";
    out += "|";
    for (int32_t i = 0; i < CountMarkers(); ++i) out += " " + std::to_string(MarkerTick(GetMarkerAt(i)));
    return out;
  }
  uint32_t ConductorEnd() { return ReadU32BE(gCurrentSong + kSongConductorEnd); }
};

TEST_F(TimeEditTest, InsertTimeMovesWhatStartsAtTheInsertionPoint) {
  const struct {
    std::vector<Ev> events;
    bool split;
    const char* expected;
  } cases[] = {
      {{Ctl(96), Ctl(97), Ctl(100)}, false, "96:b0 193:b0 196:b0"},
      // A note across the insertion point is cut there only when splitting.
      {{Note(49, 100), Ctl(150)}, true, "49:n/48 193:n/52 246:b0"},
      {{Note(49, 100), Ctl(150)}, false, "49:n/100 246:b0"},
      // A note that ends where the insertion begins is neither cut nor moved.
      {{Note(49, 48), Note(97, 10)}, true, "49:n/48 193:n/10"},
  };
  for (const auto& c : cases) {
    Fill(0, c.events);
    Select(97, 193);
    Split(c.split);
    InsertTime(false);
    EXPECT_EQ(c.expected, Rows(0)) << "split " << c.split;
  }
}

TEST_F(TimeEditTest, InsertTimeLeavesMarkedEventsWhereTheyAre) {
  Fill(0, {Ctl(100), Ctl(150), Ctl(300)});
  GetCurrentTrackEventsPtr()[kLongEventSize * 0 + kShortEventSize + kEventFlags] = 0x04;  // the one at 150
  Select(97, 193);
  InsertTime(false);
  EXPECT_EQ("150:b0 196:b0 396:b0", Rows(0));
}

TEST_F(TimeEditTest, RemoveTimeClosesTheGap) {
  Fill(0, {Note(49, 192), Ctl(100), Ctl(200), Bend(500)});
  Select(97, 193);
  Split(true);
  RemoveTime(false, false, kUndoKindRemoveTime);
  EXPECT_EQ("49:n/96 104:b0 404:e0", Rows(0));
  Fill(0, {Note(49, 192), Ctl(200)});
  Split(false);
  RemoveTime(false, false, kUndoKindRemoveTime);
  EXPECT_EQ("49:n/192 104:b0", Rows(0));
}

TEST_F(TimeEditTest, AnEmptyTickRangeIsRefusedEvenWithSamplesSelected) {
  Fill(0, {Ctl(100), Ctl(200)});
  std::string before = SongNow();
  Select(150, 150);
  gTimeSelection.start.sample = 1000;
  gTimeSelection.end.sample = 5000;
  gTimeDisplayMode = -1;  // the selection was made in samples
  RemoveTime(false, true, kUndoKindRemoveTime);
  EXPECT_EQ(1, alerts_) << "the empty tick range is reported";
  EXPECT_EQ(before, SongNow()) << "nothing moves";
  EXPECT_FALSE(CanUndo());
}

// The conductor map and the markers move with the whole song (every track selected) or the
// Option key, in 6/8 and 4/4 at odd resolutions; otherwise they stay.
TEST_F(TimeEditTest, TheConductorAndMarkersFollowOnlyTheWholeSong) {
  const struct {
    int32_t ppq, numerator, denominator;
  } timebases[] = {{96, 6, 8}, {480, 4, 4}, {480, 6, 8}, {96, 4, 4}};
  for (const auto& tb : timebases) {
    for (int32_t how = 0; how < 3; ++how) {  // 0 every track, 1 one track, 2 one track + Option
      UseTimebase(tb.ppq, tb.numerator, tb.denominator);
      MakeTracks(2);
      int32_t bar = tb.numerator * (tb.ppq * 4 / tb.denominator);
      uint32_t s = uint32_t(bar + 1);
      uint32_t e = uint32_t(2 * bar + 1);
      int32_t d = bar;
      Fill(0, {Note(10, 20), Ctl(e + 5)});
      Fill(1, {Ctl(e + 7)});
      Conductor({int32_t(s) + 3, int32_t(e) + 10}, {s + 4, e + 20});
      if (how > 0) SelectOnlyTrack(0);
      if (how == 2) HoldOption();
      bool follows = how != 1;
      SCOPED_TRACE(testing::Message() << tb.ppq << " " << tb.numerator << "/" << tb.denominator << " how " << how);
      std::string conductorBefore = ConductorTicks();
      uint32_t endBefore = ConductorEnd();

      Select(s, e);
      InsertTime(false);
      std::string inserted = std::to_string(s + 3 + d) + " " + std::to_string(e + 10 + d) + " |" + " " +
                             std::to_string(s + 4 + d) + " " + std::to_string(e + 20 + d);
      EXPECT_EQ(follows ? inserted : conductorBefore, ConductorTicks());
      EXPECT_EQ(follows ? endBefore + d : endBefore, ConductorEnd());
      EXPECT_EQ("10:n/20 " + std::to_string(e + 5 + d) + ":b0", Rows(0));
      EXPECT_EQ(std::to_string(e + 7 + (follows ? d : 0)) + ":b0", Rows(1));

      RemoveTime(false, how == 2, kUndoKindRemoveTime);
      EXPECT_EQ(conductorBefore, ConductorTicks()) << "Remove gives back what Insert moved";
      EXPECT_EQ(endBefore, ConductorEnd());
      EXPECT_EQ("10:n/20 " + std::to_string(e + 5) + ":b0", Rows(0));

      // Removing the range itself takes the records and markers inside it (whole song only).
      RemoveTime(false, how == 2, kUndoKindRemoveTime);
      std::string removed = std::to_string(e + 10 - d) + " |" + " " + std::to_string(e + 20 - d);
      EXPECT_EQ(follows ? removed : conductorBefore, ConductorTicks());
      ResetHostInputState();
    }
  }
}

TEST_F(TimeEditTest, InsertThenRemoveGivesTheEventBytesBack) {
  for (int32_t ppq : {96, 480}) {
    UseTimebase(ppq, 6, 8);
    MakeTracks(2);
    // A ramp of kinds, times and lengths across the range, notes not split.
    std::vector<Ev> ramp;
    for (uint32_t i = 0; i < 60; ++i) {
      uint32_t t = 1 + i * uint32_t(ppq) / 7;
      if (i % 3 == 0) ramp.push_back(Note(t, uint16_t(5 + i * 11), uint8_t(40 + i)));
      else if (i % 3 == 1) ramp.push_back(Ctl(t, uint8_t(i)));
      else ramp.push_back(Bend(t));
    }
    Fill(0, ramp);
    Fill(1, {Ctl(3), Note(uint32_t(ppq), uint16_t(ppq * 3))});
    std::vector<uint8_t> track0 = Bytes(0);
    std::vector<uint8_t> track1 = Bytes(1);
    Select(uint32_t(ppq + 1), uint32_t(ppq * 3 + 1));
    InsertTime(false);
    ASSERT_NE(track0, Bytes(0));
    RemoveTime(false, false, kUndoKindRemoveTime);
    EXPECT_EQ(track0, Bytes(0)) << ppq;
    EXPECT_EQ(track1, Bytes(1)) << ppq;
  }
}

// A real tune: every track's events come back byte for byte after Insert N then Remove N,
// and Undo of each gives the song back.
TEST_F(TimeEditTest, ARealTuneSurvivesInsertThenRemove) {
  const std::string path = "/usr/share/planetblupi/music/music001.mid";
  if (zarin_test::ReadWholeFile(path).empty()) GTEST_SKIP() << "no " << path;
  SetUpSmfImportState(480);
  FSSpec fileSpec;
  ASSERT_EQ(noErr, PathToSpec(path, &fileSpec));
  ASSERT_EQ(noErr, ImportStandardMidiFile(&fileSpec, 0));
  undo_test::SelectAllTracks();
  int32_t tracks = GetSongTrackCount();
  ASSERT_GT(tracks, 1);
  std::vector<std::vector<uint8_t>> lists;
  for (int32_t i = 0; i < tracks; ++i) {
    SetCurrentTrackIndex(i);
    lists.push_back(GetCurrentTrackEventList() ? Bytes(i) : std::vector<uint8_t>());
  }
  Select(4 * 480 + 1, 6 * 480 + 241);  // from bar 2 for two and a half bars
  StoreConductorEndTick();
  std::string before = SongNow();
  InsertTime(false);
  ExpectUndoRedo(before);
  std::string inserted = SongNow();
  RemoveTime(false, false, kUndoKindRemoveTime);
  ExpectUndoRedo(inserted);
  ASSERT_EQ(tracks, GetSongTrackCount());
  for (int32_t i = 0; i < tracks; ++i) {
    SetCurrentTrackIndex(i);
    if (!GetCurrentTrackEventList()) continue;
    EXPECT_EQ(lists[size_t(i)], Bytes(i)) << "track " << i;
  }
}

TEST_F(TimeEditTest, InsertAndRemoveAreEachOneUndoableStep) {
  MakeTracks(2);
  Fill(0, {Note(49, 100), Ctl(150), Ctl(300)});
  Fill(1, {Note(120, 10)});
  Conductor({100, 400}, {120, 500});
  Select(97, 193);
  Split(true);
  for (int32_t round = 0; round < 2; ++round) {
    std::string before = SongNow();
    if (round == 0) InsertTime(false);
    else RemoveTime(false, false, kUndoKindRemoveTime);
    ExpectUndoRedo(before);
  }
  // A removal that leaves a track empty removes the track; Undo brings it back.
  Select(100, 200);
  std::string before = SongNow();
  RemoveTime(false, false, kUndoKindRemoveTime);
  ExpectUndoRedo(before);
}

}  // namespace
