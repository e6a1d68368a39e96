// The automation points of the racks in the time edits: insert and remove time open and close
// the track's own list and, with the Option key, the lists of the busses and the master; the
// clear cuts the focused list. Each edit is one undoable step that gives the points back.
#include "tests/editing/clear/range_edit_fixture.h"

#include "editing/insert_remove_time.h"
#include "editors/automation/automation_points.h"
#include "platform/events/key_codes.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/rack_automation_fields.h"
#include "song/instruments/rack_sharing.h"
#include "song/model/utility_track_access.h"

using range_edit_test::Ctl;

namespace {

// A ramp of points of several kinds: 1000, 2000, ... with kinds 1, 2, 3, 4 in turn.
void AddRamp(Handle rack, int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    uint8_t kind = uint8_t(1 + i % 4);
    ASSERT_EQ(noErr, AddAutomationPoint(AutomationListRef{rack}, uint64_t(1000) * (i + 1), 0x100 * (i + 1),
                                        int16_t(i), kind, int16_t(kind == 3 ? 7 : 0)));
  }
}

// "time/kind" per point.
std::string Points(Handle rack) {
  Handle list = GetRackAutomationList(rack);
  std::string out;
  for (int32_t i = 0; i < PointListEndIndex(list); ++i) {
    AutomationView p{PointRecordAt(list, i)};
    out += std::to_string(p.Time()) + "/" + std::to_string(p.Kind()) + " ";
  }
  if (!out.empty()) out.pop_back();
  return out;
}

constexpr const char* kRamp = "1000/1 2000/2 3000/3 4000/4 5000/1 6000/2";

// Two tracks with racks, two instruments, two busses and the master, each rack with a ramp.
class TimeEditAutomationTest : public RangeEditTest {
 protected:
  void SetUp() override {
    RangeEditTest::SetUp();
    MakeTracks(2);
    ASSERT_EQ(noErr, CreateInstrumentTable(2, 0));
    ASSERT_EQ(noErr, SetAuxBusCount(2, 19, 0, false));
    for (int32_t t = 0; t < 2; ++t) {
      Fill(t, {Ctl(100), Ctl(300)});
      OSErr err;
      SetCurrentTrackIndex(t);
      Handle rack = EnsureInsertRack(gCurrentTrack + kTrackInsertRack, 44100.0f, false, &err);
      ASSERT_EQ(noErr, err);
      AddRamp(rack, 6);
    }
    for (int32_t i = 0; i < gInstrumentCount + gAuxBusCount + 1; ++i) {
      OSErr err;
      Handle rack = EnsureInsertRack(GetInstrumentRecord(i) + kInstInsertRack, 44100.0f, false, &err);
      ASSERT_EQ(noErr, err);
      AddRamp(rack, 6);
    }
    SetCurrentTrackIndex(0);
  }
  void TearDown() override {
    DisposeUndoRing();
    for (int32_t t = 0; t < GetSongTrackCount(); ++t) DisposeRack(TrackRackCell(t));
    for (int32_t i = 0; i < gInstrumentCount + gAuxBusCount + 1; ++i)
      DisposeRack(GetInstrumentRecord(i) + kInstInsertRack);
    DisposeInstrumentTable();
    RangeEditTest::TearDown();
  }
  static void DisposeRack(uint8_t* cell) {
    Handle rack(ReadU32BE(cell));
    if (!rack) return;
    ReleaseRackPlugins(rack);
    DisposeHandle(rack);
    WriteU32BE(cell, 0);
  }
  uint8_t* TrackRackCell(int32_t t) {
    SetCurrentTrackIndex(t);
    return gCurrentTrack + kTrackInsertRack;
  }
  Handle TrackRack(int32_t t) { return Handle(ReadU32BE(TrackRackCell(t))); }
  Handle EntryRack(int32_t i) { return Handle(ReadU32BE(GetInstrumentRecord(i) + kInstInsertRack)); }
  // Ticks start..end, samples sampleStart..sampleEnd.
  void SelectWithSamples(uint32_t start, uint32_t end, uint64_t sampleStart, uint64_t sampleEnd) {
    Select(start, end);
    gTimeSelection.start.sample = sampleStart;
    gTimeSelection.end.sample = sampleEnd;
  }
  void HoldOption() { ASSERT_EQ(noErr, PostHostModifiersEvent(optionKey)); }
  // Every rack's points: the tracks', then the table's entries.
  std::vector<std::string> AllPoints() {
    std::vector<std::string> out;
    for (int32_t t = 0; t < GetSongTrackCount(); ++t) out.push_back(Points(TrackRack(t)));
    for (int32_t i = 0; i < gInstrumentCount + gAuxBusCount + 1; ++i) out.push_back(Points(EntryRack(i)));
    return out;
  }
  void ExpectUndoRedoOfPoints(const std::vector<std::string>& before) {
    std::vector<std::string> after = AllPoints();
    ASSERT_NE(before, after);
    ASSERT_EQ(noErr, UndoLastEdit());
    EXPECT_EQ(before, AllPoints()) << "Undo";
    ASSERT_EQ(noErr, RedoEdit());
    EXPECT_EQ(after, AllPoints()) << "Redo";
  }
};

TEST_F(TimeEditAutomationTest, InsertTimeOpensTheTracksOwnPointsOnly) {
  SelectWithSamples(97, 193, 2000, 3500);
  std::vector<std::string> before = AllPoints();
  InsertTime(false);
  EXPECT_EQ("196:b0 396:b0", Rows(0));
  const char* opened = "1000/1 3500/2 4500/3 5500/4 6500/1 7500/2";
  EXPECT_EQ(opened, Points(TrackRack(0)));
  EXPECT_EQ(opened, Points(TrackRack(1)));
  for (int32_t i = 0; i < gInstrumentCount + gAuxBusCount + 1; ++i)
    EXPECT_EQ(kRamp, Points(EntryRack(i))) << "entry " << i << " moves only with the Option key";
  ExpectUndoRedoOfPoints(before);
}

// With the Option key (insert) or all channels (remove) the busses and the master move too;
// the instruments' racks never do.
TEST_F(TimeEditAutomationTest, TheBussesAndTheMasterMoveWithTheWholeSong) {
  const struct {
    bool insert;
    uint64_t start, end;
    const char* track;
    const char* busses;
  } cases[] = {
      {true, 2500, 4000, "1000/1 2000/2 4500/3 5500/4 6500/1 7500/2", "1000/1 2000/2 4500/3 5500/4 6500/1 7500/2"},
      {false, 2000, 4000, "1000/1 2000/4 3000/1 4000/2", "1000/1 2000/4 3000/1 4000/2"},
  };
  for (const auto& c : cases) {
    SelectWithSamples(97, 193, c.start, c.end);
    std::vector<std::string> before = AllPoints();
    if (c.insert) {
      HoldOption();
      InsertTime(false);
    } else {
      RemoveTime(false, true, kUndoKindRemoveTime);
    }
    EXPECT_EQ(c.track, Points(TrackRack(0))) << "insert " << c.insert;
    for (int32_t i = 0; i < gInstrumentCount; ++i) EXPECT_EQ(kRamp, Points(EntryRack(i))) << "instrument " << i;
    for (int32_t i = gInstrumentCount; i < gInstrumentCount + gAuxBusCount + 1; ++i)
      EXPECT_EQ(c.busses, Points(EntryRack(i))) << "entry " << i << " insert " << c.insert;
    ExpectUndoRedoOfPoints(before);
    ASSERT_EQ(noErr, UndoLastEdit());
    ASSERT_EQ(noErr, PostHostModifiersEvent(0));
  }
}

TEST_F(TimeEditAutomationTest, TheClearCutsTheTracksPointsWithoutClosingTheGap) {
  SelectWithSamples(97, 193, 2000, 4000);
  std::vector<std::string> before = AllPoints();
  ClearInContext(nullptr, kUndoKindClear);
  EXPECT_EQ("1000/1 4000/4 5000/1 6000/2", Points(TrackRack(0)));
  EXPECT_EQ("1000/1 4000/4 5000/1 6000/2", Points(TrackRack(1)));
  EXPECT_EQ(kRamp, Points(EntryRack(gInstrumentCount)));
  ExpectUndoRedoOfPoints(before);
}

// The clear of a bus's volume lane in its plug-in pane cuts only the volume points of the
// range, and the step keeps the racks so that Undo gives the points back.
TEST_F(TimeEditAutomationTest, APluginPaneClearCutsItsLanePointsAsOneStep) {
  gEditContextKind = kContextEditorLane;
  gEditorPaneCount = 1;
  gEditorPanes[0] = EditorPane();
  gEditorPanes[0].kind = kPaneKindPluginBase + 1;  // slot 1: the first bus
  gEditorPanes[0].viewMode = 8 + 2;                 // lane 8: volume
  gEditorPanes[0].track = 0;
  gEditorPanes[1].top = 100;
  SelectWithSamples(97, 193, 1000, 5001);
  std::vector<std::string> before = AllPoints();
  ClearInContext(nullptr, kUndoKindClear);
  EXPECT_EQ("2000/2 3000/3 4000/4 6000/2", Points(EntryRack(gInstrumentCount)));
  EXPECT_EQ(kRamp, Points(EntryRack(gInstrumentCount + 1)));
  EXPECT_EQ(kRamp, Points(TrackRack(0)));
  ExpectUndoRedoOfPoints(before);
  gEditorPaneCount = 0;
}

// A rack copy (the undo step's, the clipboard's) holds a list of its own: changing the copy
// leaves the original alone, and releasing the copy frees its list.
TEST_F(TimeEditAutomationTest, ARackCopyOwnsItsPointList) {
  Handle rack = TrackRack(0);
  Handle copy;
  ASSERT_EQ(noErr, DuplicateRackShared(rack, &copy));
  ASSERT_TRUE(GetRackAutomationList(copy));
  EXPECT_NE(GetRackAutomationList(rack), GetRackAutomationList(copy));
  CutPointListRange(GetRackAutomationList(copy), 0, 10000, false, kAllPointKinds, kNoPluginIndex);
  EXPECT_EQ(kRamp, Points(rack));
  Handle list = GetRackAutomationList(copy);
  ReleaseRackPlugins(copy);
  EXPECT_FALSE(IsValidHandle(list));
  DisposeHandle(copy);
  EXPECT_EQ(kRamp, Points(rack));
}

}  // namespace
