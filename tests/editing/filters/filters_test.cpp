// The event filters and their installers: the lanes, the note range, selection, criteria and
// drum-map filters; the filters by front window, view and pointer mode; and the filters each
// edit context installs, with the time selection spanning the selected events or records.
#include <algorithm>

#include "editing/event_cursor.h"
#include "editing/selection_spans.h"
#include "shell/windows/app_windows.h"
#include "song/conductor/conductor_map.h"
#include "tests/editing/editing_fixture.h"

using editing_test::EditingFixture;
using editing_test::gFrontKind;
using editing_test::TicksTaken;
using undo_test::Events;

namespace {

// One event of each kind, each at its own tick; notes 36, 48 and 72; controllers 7 and 10.
// The note at 60 is selected, the controller at 70 carries mark bit 2, the pitch bend at 80
// is selected.
std::vector<uint8_t> MixedTrack() {
  std::vector<uint8_t> bytes = Events({{10, 0x90, 36}, {20, 0x90, 48}, {30, 0x90, 72}, {40, 0xE0, 1},
                                       {50, 0xB0, 7}, {55, 0xB0, 10}, {60, 0x90, 50}, {70, 0xB0, 7},
                                       {80, 0xE0, 2}, {90, 0xD0, 5}, {100, 0xC0, 4}, {110, 0xA0, 60},
                                       {120, 0xA0, 61}});
  auto flag = [&](uint32_t tick, uint8_t bits) {
    for (size_t at = 0; at + kEndRecordSize <= bytes.size() && SeqEventTime(&bytes[at]);
         at += GetSeqEventLength(&bytes[at]))
      if (SeqEventTime(&bytes[at]) == tick) bytes[at + kEventFlags] |= bits;
  };
  flag(60, kEventSelected);
  flag(70, 0x04);
  flag(80, kEventSelected);
  return bytes;
}

using Ticks = std::vector<uint32_t>;

}  // namespace

class FiltersTest : public EditingFixture {
 protected:
  void SetUp() override {
    EditingFixture::SetUp();
    MakeSong(2);
    undo_test::SetTrackEvents(MixedTrack());
  }
};

TEST_F(FiltersTest, PlainFiltersByKindRangeFlagsAndSelection) {
  gFilterLowNote = 40;
  gFilterHighNote = 60;
  EXPECT_EQ((Ticks{10, 20, 30, 60}), TicksTaken(NoteOnFilter));
  EXPECT_EQ((Ticks{20, 60}), TicksTaken(NoteRangeFilter));
  EXPECT_EQ((Ticks{60}), TicksTaken(SelectedNoteFilter));
  EXPECT_EQ((Ticks{60, 80}), TicksTaken(SelectedEventFilter));
  EXPECT_EQ(13u, TicksTaken(AcceptAllEvents).size());
  EXPECT_TRUE(TicksTaken(RejectAllEvents).empty());
  Ticks unflagged = TicksTaken(UnflaggedEventFilter);
  EXPECT_EQ(12u, unflagged.size());
  EXPECT_EQ(unflagged.end(), std::find(unflagged.begin(), unflagged.end(), 70u));
  // Criteria copy: notes by the note range (and the criteria), other events unless marked.
  EXPECT_EQ((Ticks{20, 40, 50, 55, 60, 80, 90, 100, 110, 120}), TicksTaken(CriteriaCopyFilter));
}

TEST_F(FiltersTest, TheTableHoldsItsSevenFiltersInOrder) {
  const EventFilterProc expected[] = {LaneEventFilter,      VelocityLaneFilter, AcceptAllEvents, NoteOnFilter,
                                      UnflaggedEventFilter, CriteriaCopyFilter, NoteRangeFilter};
  for (int i = 0; i < kEventFilterTableSize; ++i) EXPECT_EQ(expected[i], kEventFilterTable[i]) << i;
}

// The lane filter by the lane the view mode shows (mode - 2), with the lane's controller and
// the poly-pressure key; the velocity lane filter takes everything only in the velocity lane.
TEST_F(FiltersTest, LaneFiltersFollowTheViewMode) {
  gLaneController = 7;
  gFilterPolyKey = 61;
  gFilterLowNote = 40;
  gFilterHighNote = 80;
  const struct { int16_t mode; Ticks lane; bool velocityLane; } kCases[] = {
      {2, {40, 80}, false},     {3, {50, 70}, false},  {4, {20, 30, 60}, true}, {5, {90}, false},
      {6, {100}, false},        {7, {120}, false},     {8, {}, false},          {15, {}, false},
      {16, {40, 80}, false},  // a drum view reads as lane 0
  };
  for (const auto& c : kCases) {
    gCurrentViewMode = c.mode;
    EXPECT_EQ(c.lane, TicksTaken(LaneEventFilter)) << c.mode;
    EXPECT_EQ(c.velocityLane ? 13u : 0u, TicksTaken(VelocityLaneFilter).size()) << c.mode;
  }
  EXPECT_EQ((Ticks{40, 80}), TicksTaken(PitchBendFilter));
  EXPECT_EQ((Ticks{50, 70}), TicksTaken(LaneControllerFilter));
  EXPECT_EQ((Ticks{90}), TicksTaken(ChannelPressureFilter));
  EXPECT_EQ((Ticks{100}), TicksTaken(ProgramChangeFilter));
  EXPECT_EQ((Ticks{120}), TicksTaken(PolyPressureKeyFilter));
  gFilterPolyKey = 60;
}

TEST_F(FiltersTest, DrumMapFilterUsesTheRowOfEachNote) {
  Handle map = NewHandleClear(564);
  auto* m = reinterpret_cast<uint8_t*>(HandleData(map));
  m[180 + 36] = 1;  // rows: 36 on row 1, 48 on row 2, 72 on row 3, 50 none
  m[180 + 48] = 2;
  m[180 + 72] = 3;
  WriteU32BE(gCurrentTrack + kTrackDrumData, map.id);
  gFilterLowNote = 2;
  gFilterHighNote = 3;
  EXPECT_EQ((Ticks{20, 30}), TicksTaken(DrumMapNoteFilter));
  m[35] = 0x02;  // selection by marked rows
  m[436 + 36] = 0x08;
  EXPECT_EQ((Ticks{10}), TicksTaken(DrumMapNoteFilter));
}

TEST_F(FiltersTest, NoteRangeEditingByRangeAndPointerMode) {
  gFrontKind = kMainEditorWindowKind;
  EXPECT_FALSE(IsNoteRangeEditActive());
  gFilterLowNote = 36;
  gFilterHighNote = 48;
  EXPECT_TRUE(IsNoteRangeEditActive());
  UpdateEventFilters();
  EXPECT_EQ((Ticks{10, 20}), TicksTaken(gCopyFilterProc));
  EXPECT_EQ(gCopyFilterProc, gEditFilterProc);
  EXPECT_EQ(gCopyFilterProc, gSavedCopyFilterProc);
  gPointerMode = 1;  // a narrowed range counts only with pointer mode 0
  EXPECT_FALSE(IsNoteRangeEditActive());
  gFilterLowNote = 0;
  gFilterHighNote = 127;
  for (int16_t mode : {3, 4}) {
    gPointerMode = mode;
    EXPECT_TRUE(IsNoteRangeEditActive()) << mode;
  }
  gCurrentViewMode = 3;  // a lane view never edits through the note range
  EXPECT_FALSE(IsNoteRangeEditActive());
  gCurrentViewMode = 0;
  gFrontKind = kTrackWindowKind;
  EXPECT_FALSE(IsNoteRangeEditActive());
}

TEST_F(FiltersTest, DrumViewEditsByRowsWhenTheMapSaysSo) {
  Handle map = NewHandleClear(564);
  auto* m = reinterpret_cast<uint8_t*>(HandleData(map));
  m[35] = 0x02;
  m[436 + 72] = 0x08;
  WriteU32BE(gCurrentTrack + kTrackDrumData, map.id);
  gFrontKind = kMainEditorWindowKind;
  gCurrentViewMode = 16;
  gPointerMode = 1;
  EXPECT_TRUE(IsNoteRangeEditActive());
  UpdateEventFilters();
  EXPECT_EQ(DrumMapNoteFilter, gEditFilterProc);
  EXPECT_EQ((Ticks{30}), TicksTaken(gCopyFilterProc));
}

// The filters by front window when the note range is not edited.
TEST_F(FiltersTest, UpdateEventFiltersByWindow) {
  const struct {
    int16_t front, viewMode;
    bool wholeSong, criteria;
    EventFilterProc edit, copy;
  } kCases[] = {
      {kSongListKind, 0, false, false, NoteOnFilter, AcceptAllEvents},
      {kSongListKind, 0, false, true, CriteriaNoteFilter, CriteriaCopyFilter},
      {kTrackWindowKind, 0, true, false, NoteOnFilter, AcceptAllEvents},
      {kTrackWindowKind, 0, false, false, NoteRangeFilter, UnflaggedEventFilter},
      {kTrackWindowKind, 0, false, true, CriteriaNoteFilter, CriteriaCopyFilter},
      {kMainEditorWindowKind, 3, false, false, VelocityLaneFilter, LaneEventFilter},
      {kMainEditorWindowKind, 9, false, false, NoteRangeFilter, UnflaggedEventFilter},
      {kMainEditorWindowKind, 0, true, false, NoteRangeFilter, UnflaggedEventFilter},
      {kEventListKind, 0, true, false, NoteRangeFilter, UnflaggedEventFilter},
  };
  for (const auto& c : kCases) {
    gFrontKind = c.front;
    gCurrentViewMode = c.viewMode;
    gEventCriteriaFlags = c.criteria ? 1 : 0;
    SetTimeRange(c.wholeSong ? 1 : 2, 3840);
    gSavedCopyFilterProc = nullptr;
    UpdateEventFilters();
    EXPECT_EQ(c.edit, gEditFilterProc) << c.front << "/" << c.viewMode;
    EXPECT_EQ(c.copy, gCopyFilterProc) << c.front << "/" << c.viewMode;
    EXPECT_EQ(gCopyFilterProc, gSavedCopyFilterProc);
  }
}

TEST_F(FiltersTest, ContextsInstallTheirFilters) {
  gFrontKind = kTrackWindowKind;
  SetTimeRange(2, 3840);
  const struct { uint32_t context; EventFilterProc edit, copy; } kCases[] = {
      {kContextEditorNotes, SelectedNoteFilter, SelectedEventFilter},
      {kContextEditorLane, SelectedNoteFilter, SelectedEventFilter},
      {kContextWindow15, SelectedNoteFilter, SelectedEventFilter},
      {kContextConductorList, RejectAllEvents, RejectAllEvents},
      {kContextRemote, RejectAllEvents, RejectAllEvents},
      {kContextInstruments, RejectAllEvents, RejectAllEvents},
      {kContextMarkers, RejectAllEvents, RejectAllEvents},
      {kContextTrackWindow, NoteRangeFilter, UnflaggedEventFilter},
      {kContextJukebox, NoteRangeFilter, UnflaggedEventFilter},
  };
  for (const auto& c : kCases) {
    gEditContextKind = c.context;
    gSavedCopyFilterProc = AcceptAllEvents;
    gRemovedEventBytes = 99;
    InstallContextFilters();
    EXPECT_EQ(c.edit, gEditFilterProc) << c.context;
    EXPECT_EQ(c.copy, gCopyFilterProc) << c.context;
    EXPECT_EQ(AcceptAllEvents, gSavedCopyFilterProc) << "kept as it was: " << c.context;
    EXPECT_EQ(0u, gRemovedEventBytes);
  }
}

// The event list spans the time selection over the selected events: a note's end, another
// event's tick + 1; selected notes widen the note range.
TEST_F(FiltersTest, EventListContextSpansTheSelectedEvents) {
  SetTimeRange(500, 600);
  gFilterLowNote = 55;
  gFilterHighNote = 58;
  gEditContextKind = kContextEventList;
  InstallContextFilters();
  EXPECT_EQ(60u, gTimeSelection.start.tick);
  EXPECT_EQ(60u + 96u, gTimeSelection.end.tick);  // the note outlasts the bend at 80
  EXPECT_EQ(50, gFilterLowNote);
  EXPECT_EQ(58, gFilterHighNote);
  EXPECT_EQ(SelectedNoteFilter, gEditFilterProc);
  EXPECT_EQ((Ticks{60, 80}), TicksTaken(gCopyFilterProc));
}

TEST_F(FiltersTest, SpanWithoutSelectedEventsLeavesTheSelection) {
  undo_test::SetTrackEvents(Events({{10, 0x90, 36}}));
  SetTimeRange(500, 600);
  SpanSelectedEvents();
  EXPECT_EQ(500u, gTimeSelection.start.tick);
  EXPECT_EQ(600u, gTimeSelection.end.tick);
}

TEST_F(FiltersTest, ConductorListSpansTheSelectedRecords) {
  ASSERT_EQ(noErr, SetTempoAt(1400, 480));
  ASSERT_EQ(noErr, SetTempoAt(1300, 2400));
  ASSERT_EQ(noErr, SetTempoAt(1200, 4000));
  for (uint8_t* r = GetConductorMap(); ConductorKind(r) != kConductorEnd; r += kConductorRecordSize)
    if (ConductorTick(r) == 480 || ConductorTick(r) == 2400) r[kConductorFlagsOffset] |= kConductorSelected;
  SetTimeRange(1000, 2000);
  gEditContextKind = kContextConductorList;
  InstallContextFilters();
  EXPECT_EQ(480u, gTimeSelection.start.tick);
  EXPECT_EQ(2401u, gTimeSelection.end.tick);
  EXPECT_EQ(RejectAllEvents, gCopyFilterProc);
  SetTimeRange(100, 5000);  // already covered: unchanged
  SpanSelectedConductorRecords();
  EXPECT_EQ(100u, gTimeSelection.start.tick);
  EXPECT_EQ(5000u, gTimeSelection.end.tick);
}
