// Clearing a time range: the note split rules at the range edges, the run delete and the
// child sequences it frees, the lane clears, the track and context clears as undoable steps.
#include "range_edit_fixture.h"

#include "song/model/child_sequences.h"
#include "song/model/song_copies.h"
#include "song/model/track_entries.h"
#include "song/model/track_settings.h"
#include "sequencer/transport/transport_position.h"
#include "song/model/track_edit_brackets.h"

using range_edit_test::Bend;
using range_edit_test::Ctl;
using range_edit_test::Ev;
using range_edit_test::Note;
using range_edit_test::Ref;

namespace {

TEST_F(RangeEditTest, NotesAtTheRangeEdgesSplitOnlyWhenSplittingIsOn) {
  const struct {
    std::vector<Ev> events;
    bool split;
    int32_t shift;
    const char* expected;
  } cases[] = {
      // A note spanning the range becomes a head and a tail.
      {{Note(49, 192)}, true, 0, "49:n/48 193:n/48"},
      {{Note(49, 192)}, false, 0, "49:n/192"},
      // A note starting inside and ending beyond keeps its tail from the range end.
      {{Note(145, 96)}, true, 0, "193:n/48"},
      {{Note(145, 96)}, false, 0, ""},
      // A note reaching into the range is cut at its start.
      {{Note(49, 100)}, true, 0, "49:n/48"},
      {{Note(49, 100)}, false, 0, "49:n/100"},
      // A note ending where the range begins, and events just outside, stay.
      {{Note(49, 48), Ctl(96), Note(100, 20), Ctl(192), Ctl(193)}, true, 0, "49:n/48 96:b0 193:b0"},
      // With a shift (Remove time) a spanning note shrinks and later events move back.
      {{Note(49, 192), Ctl(200)}, true, -96, "49:n/96 104:b0"},
      {{Note(49, 192), Ctl(200)}, false, -96, "49:n/192 104:b0"},
      {{Note(145, 96), Ctl(150), Ctl(300)}, true, -96, "97:n/48 204:b0"},
  };
  for (const auto& c : cases) {
    Fill(0, c.events);
    Select(97, 193);
    Split(c.split);
    ClearRequest request;
    request.shift = c.shift;
    ClearTimeRangeInTrack(&request);
    EXPECT_EQ(c.expected, Rows(0)) << Rows(0) << " split " << c.split << " shift " << c.shift;
    EXPECT_EQ(0, request.abort);
  }
}

TEST_F(RangeEditTest, TheSplitRestartsAndKeepsTheOtherNotes) {
  // Two spanning notes: each is split once; the walk restarts after each split.
  Fill(0, {Note(10, 300, 60), Note(20, 250, 62), Ctl(150), Note(400, 10)});
  Select(97, 193);
  Split(true);
  ClearTimeRangeInTrack(nullptr);
  EXPECT_EQ("10:n/87 20:n/77 193:n/117 193:n/77 400:n/10", Rows(0));
}

TEST_F(RangeEditTest, TheCopyFilterDecidesWhatLeavesTheRange) {
  Fill(0, {Note(100, 10), Ctl(110), Bend(120), Note(130, 10), Ctl(300)});
  Select(97, 193);
  gCopyFilterProc = NoteOnFilter;
  ClearTimeRangeInTrack(nullptr);
  EXPECT_EQ("110:b0 120:e0 300:b0", Rows(0));
}

TEST_F(RangeEditTest, ARunDeleteTakesOneEventPerStepWithTheCriteriaBit) {
  for (uint8_t criteria : {uint8_t(0), kCriteriaOneEventPerStep}) {
    Fill(0, {Note(100, 10), Ctl(110), Note(120, 10), Ctl(300)});
    Select(97, 193);
    gEventCriteriaFlags = criteria;
    SetCurrentEvent(GetCurrentTrackEventsPtr());
    uint32_t removed = DeleteEventRunAtCursor();
    EXPECT_EQ(criteria ? 14u : 36u, removed);
    EXPECT_EQ(0, gCursorAdvanceArmed);
    ShrinkCurrentTrackEvents(gRemovedEventBytes);
    EXPECT_EQ(criteria ? "110:b0 120:n/10 300:b0" : "300:b0", Rows(0));
    // The whole clear ends the same either way.
    Fill(0, {Note(100, 10), Ctl(110), Note(120, 10), Ctl(300)});
    ClearTimeRangeInTrack(nullptr);
    EXPECT_EQ("300:b0", Rows(0));
  }
  gEventCriteriaFlags = 0;
}

TEST_F(RangeEditTest, DeleteCursorEventCountsTheEventsRealLength) {
  Fill(0, {Ctl(50), Note(60, 10), Bend(70)});
  uint8_t* list = GetCurrentTrackEventsPtr();
  SetCurrentEvent(list);
  DeleteCursorEvent(false);
  EXPECT_EQ(uint32_t(kShortEventSize), gRemovedEventBytes);
  gCurrentEvent = list;  // now the note
  DeleteCursorEvent(false);
  EXPECT_EQ(uint32_t(kShortEventSize + kLongEventSize), gRemovedEventBytes);
  ShrinkCurrentTrackEvents(gRemovedEventBytes);
  EXPECT_EQ("70:e0", Rows(0));
  EXPECT_EQ(Size(kShortEventSize + kEndRecordSize), GetHandleSize(GetCurrentTrackEventList()));
}

class SequenceReferenceClearTest : public RangeEditTest {
 protected:
  // Song 1 holds a track; track 0 of song 0 gets two children (full copies of song 1).
  void SetUp() override {
    RangeEditTest::SetUp();
    song0_ = gCurrentSongHandle;
    AddSongInSlot(1, 1);
    SetCurrentTrackIndex(0);
    undo_test::SetTrackEvents(undo_test::Events({{10, 0x90, 60}}));
    SelectSongIndex(0);
    SelectSong(song0_);
    SetCurrentTrackIndex(0);
    ASSERT_EQ(0, SetChildCount(2));
    ASSERT_EQ(0, AttachSongAsChild(true, 1, 0));
    ASSERT_EQ(0, AttachSongAsChild(true, 1, 1));
    SelectSongIndex(0);
    SelectSong(song0_);
    SetCurrentTrackIndex(0);
  }
  uint32_t Cell(int32_t n) { return ReadU32BE(gCurrentTrack + kTrackChildTable + kChildCellSize * n); }
  Handle song0_;
};

TEST_F(SequenceReferenceClearTest, AChildGoesWhenItsLastReferenceIsCleared) {
  // Child 0 is referenced inside and outside the range, child 1 only inside.
  Fill(0, {Ref(50, 0), Ref(100, 0), Ref(120, 4), Ctl(300)});
  ASSERT_NE(0u, Cell(0));
  ASSERT_NE(0u, Cell(1));
  std::string before = SongNow();
  Select(97, 193);
  ClearSelection();
  EXPECT_EQ("50:50 300:b0", Rows(0));
  EXPECT_NE(0u, Cell(0)) << "child 0 is still referenced at 50";
  EXPECT_EQ(0u, Cell(1)) << "child 1 lost its only reference";
  EXPECT_EQ(song0_.id, gCurrentSongHandle.id);
  ExpectUndoRedo(before);
}

TEST_F(SequenceReferenceClearTest, DeleteCursorEventDetachesAnUnreferencedChild) {
  Fill(0, {Ref(50, 4), Ref(60, 0), Ref(70, 0)});
  SetCurrentEvent(GetCurrentTrackEventsPtr() + kLongEventSize);  // the first reference to child 0
  DeleteCursorEvent(true);
  EXPECT_NE(0u, Cell(0)) << "another reference to child 0 remains";
  gCurrentEvent = GetCurrentTrackEventsPtr();
  DeleteCursorEvent(true);
  EXPECT_EQ(0u, Cell(1));
  ShrinkCurrentTrackEvents(gRemovedEventBytes);
  EXPECT_EQ("70:50", Rows(0));
  EXPECT_FALSE(IsChildSequenceReferenced(4));
  EXPECT_TRUE(IsChildSequenceReferenced(0));
}

TEST_F(RangeEditTest, LaneDeletesTakeOnlyTheirKindInTheRange) {
  // A ramp of mixed kinds: the order of what stays must not change.
  std::vector<Ev> events;
  for (uint32_t t = 10; t < 400; t += 10) events.push_back(t % 20 ? Bend(t) : Ctl(t, uint8_t(t / 10)));
  Fill(0, events);
  std::vector<Ev> kept;
  for (const Ev& e : events)
    if (e.status != 0xE0 || e.time < 100 || e.time >= 200) kept.push_back(e);
  DeletePitchBendInRange(100, 200);
  EXPECT_EQ(range_edit_test::List(kept), Bytes(0));
  DeleteChannelPressureInRange(1, 1000);
  EXPECT_EQ(range_edit_test::List(kept), Bytes(0)) << "no channel pressure to take";
}

TEST_F(RangeEditTest, ClearingTheVelocityLaneSetsVelocitiesAndDeletesNoNote) {
  Fill(0, {Note(50, 10), Note(100, 10), Ctl(120), Note(150, 300), Note(193, 10)});
  Select(97, 193);
  gEditContextKind = kContextEditorLane;
  gCurrentViewMode = 4;  // lane 2
  ClearLaneRange(0);
  EXPECT_EQ("50:n/10 100:n/10 120:b0 150:n/300 193:n/10", Rows(0));
  uint8_t* e = GetCurrentTrackEventsPtr();
  const uint8_t expected[] = {100, 64, 0, 64, 100};
  for (uint8_t v : expected) {
    if (SeqEventKind(e) == kKindNote) EXPECT_EQ(v, e[kEventData2]) << SeqEventTime(e);
    e += GetSeqEventLength(e);
  }
  SetVelocityInRange(1, 1000, 300);
  EXPECT_EQ(127, GetCurrentTrackEventsPtr()[kEventData2]);
}

TEST_F(RangeEditTest, TheTempoAndMasterVolumeLanesDeleteTheirConductorRecords) {
  ASSERT_EQ(noErr, SetTempoAt(1000, 50));
  ASSERT_EQ(noErr, SetTempoAt(1100, 120));
  ASSERT_EQ(noErr, SetMasterVolumeAt(90, 130));
  ASSERT_EQ(noErr, SetTempoAt(1300, 193));
  Select(97, 193);
  gEditContextKind = kContextEditorLane;
  gCurrentViewMode = 8;  // lane 6
  ClearLaneRange(0);
  ASSERT_EQ(3, CountConductorRecords(gCurrentSong));
  gCurrentViewMode = 15;  // lane 13
  ClearLaneRange(0);
  ASSERT_EQ(2, CountConductorRecords(gCurrentSong));
  EXPECT_EQ(50, ConductorTick(GetConductorMap()));
  EXPECT_EQ(193, ConductorTick(GetConductorMap() + kConductorRecordSize));
}

TEST_F(RangeEditTest, TheConductorListDeletesItsSelectedRecordsAsOneStep) {
  ASSERT_EQ(noErr, SetTempoAt(1000, 50));
  ASSERT_EQ(noErr, SetTempoAt(1100, 120));
  ASSERT_EQ(noErr, SetMasterVolumeAt(90, 130));
  StoreConductorEndTick();
  GetConductorMap()[kConductorRecordSize + kConductorFlagsOffset] |= kConductorSelected;
  GetConductorMap()[2 * kConductorRecordSize + kConductorFlagsOffset] |= kConductorSelected;
  gEditContextKind = kContextConductorList;
  std::string before = SongNow();
  ClearSelection();
  ASSERT_EQ(1, CountConductorRecords(gCurrentSong));
  EXPECT_EQ(50, ConductorTick(GetConductorMap()));
  EXPECT_EQ(51u, ReadU32BE(gCurrentSong + kSongConductorEnd));
  ExpectUndoRedo(before);
}

TEST_F(RangeEditTest, TheTrackEditClosesWheneverItWasOpened) {
  for (uint8_t flags : {kClearFlagsNoUndoKind, kClearFlagsCut, kClearKeepLength}) {
    Fill(0, {Note(50, 10), Note(300, 10)});
    Select(97, 193);
    WriteU32BE(gTransportPositionBlock, 1);
    WriteU32BE(gCurrentTrack + kTrackPlayCursorStart, 0);
    ClearRequest request;
    request.flags = flags;
    ClearTrackRange(&request);
    // The close of the edit places the play cursor at the song position again.
    bool opened = flags & kClearOwnUndoStep;
    EXPECT_EQ(opened ? 1u : 0u, ReadU32BE(gCurrentTrack + kTrackPlayCursorStart)) << int(flags);
  }
  std::memset(gTransportPositionBlock, 0, sizeof gTransportPositionBlock);
}

TEST_F(RangeEditTest, ATrackThatBecomesEmptyLosesItsNameUnlessAsked) {
  for (uint8_t flags : {kClearFlagsCut, kClearFlagsClear}) {
    Fill(0, {Note(100, 10)});
    SetTrackNameFromText("Lead", 4);
    Select(1, 1000);
    ClearRequest request;
    request.flags = flags;
    ClearTrackRange(&request);
    Str255 name;
    GetTrackNameText(gCurrentTrack, name);
    EXPECT_EQ(flags & kClearKeepName ? 4 : 0, name[0]) << int(flags);
    EXPECT_EQ(0u, GetTrackLength());
  }
}

TEST_F(RangeEditTest, ClearOverEveryTrackTakesConductorAndMarkersAlong) {
  for (bool everyTrack : {true, false}) {
    UseTimebase(96, 6, 8);
    MakeTracks(2);
    Fill(0, {Note(100, 10), Ctl(600)});
    Fill(1, {Note(150, 10), Note(700, 10)});
    ASSERT_EQ(noErr, SetTempoAt(1000, 200));
    ASSERT_EQ(noErr, SetTempoAt(1100, 600));
    ASSERT_EQ(noErr, AddMarker(reinterpret_cast<const unsigned char*>("\x01" "a"), 250, 0, 0, 0));
    ASSERT_EQ(noErr, AddMarker(reinterpret_cast<const unsigned char*>("\x01" "b"), 700, 0, 0, 0));
    if (!everyTrack) {
      ClearTrackSelectionMask();
      SelectTrackSlot(0);
      RecomputeSelectionBounds(gTrackSelection, true);
    }
    Select(97, 577);
    StoreConductorEndTick();  // as every conductor edit leaves it
    std::string before = SongNow();
    ClearSelection();
    EXPECT_EQ("600:b0", Rows(0));
    EXPECT_EQ(everyTrack ? 1 : 2, CountConductorRecords(gCurrentSong));
    EXPECT_EQ(everyTrack ? 1 : 2, CountMarkers());
    EXPECT_EQ(everyTrack ? "700:n/10" : "150:n/10 700:n/10", Rows(1)) << "track 1 is only cleared when selected";
    ExpectUndoRedo(before);
  }
}

TEST_F(RangeEditTest, AClearThatRemovesAnEmptyTrackIsUndoneWhole) {
  MakeTracks(3);
  Fill(0, {Note(100, 10), Ctl(400)});
  Fill(1, {Note(150, 10)});
  Fill(2, {Note(300, 10)});
  Select(97, 193);
  std::string before = SongNow();
  ClearSelection();
  EXPECT_EQ(2, GetSongTrackCount()) << "the track left empty is removed";
  ExpectUndoRedo(before);
  EXPECT_EQ(2, GetSongTrackCount());
}

TEST_F(RangeEditTest, TheEditorClearsTheTracksItsPanesShowAndUndoesThem) {
  MakeTracks(3);
  Fill(0, {Note(100, 10), Ctl(400)});
  Fill(1, {Note(120, 10), Ctl(400)});
  Fill(2, {Note(140, 10), Ctl(400)});
  ClearTrackSelectionMask();
  SelectTrackSlot(0);
  RecomputeSelectionBounds(gTrackSelection, true);
  // One note pane on track 1 and a hidden one on track 2; track 0 is selected but not shown.
  gEditorPaneCount = 2;
  gEditorPanes[0] = EditorPane();
  gEditorPanes[0].track = 1;
  gEditorPanes[1] = EditorPane();
  gEditorPanes[1].track = 2;
  gEditorPanes[1].flags = kPaneHidden;
  gEditContextKind = kContextEditorNotes;
  Select(97, 193);
  std::string before = SongNow();
  ClearSelection();
  EXPECT_EQ("100:n/10 400:b0", Rows(0));
  EXPECT_EQ("400:b0", Rows(1));
  EXPECT_EQ("140:n/10 400:b0", Rows(2));
  ExpectUndoRedo(before);
  gEditorPaneCount = 0;
}

TEST_F(RangeEditTest, AnOtherWindowsClearGoesToItsDelete) {
  static int songDeletes = 0;
  songDeletes = 0;
  gContextDeleteHooks.deleteSelectedSongs = [] { ++songDeletes; };
  Fill(0, {Note(100, 10)});
  Select(97, 193);
  gEditContextKind = kContextSongList;
  ClearSelection();
  EXPECT_EQ(1, songDeletes);
  EXPECT_EQ("100:n/10", Rows(0));
  // The marker list deletes its selected markers as one step.
  ASSERT_EQ(noErr, AddMarkerWithFlags(reinterpret_cast<const unsigned char*>("\x01" "m"), 1, 150, 0, 0, 0,
                                      nullptr, 0));
  std::string before = SongNow();
  gEditContextKind = kContextMarkers;
  ClearSelection();
  EXPECT_EQ(0, CountMarkers());
  ExpectUndoRedo(before);
  gContextDeleteHooks.deleteSelectedSongs = nullptr;
}

}  // namespace
