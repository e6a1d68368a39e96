// What lies under the mouse in a pane, the time selection a ruler click or drag makes, the
// rubber band and its modifiers, and the autoscroll of the selection tracker; notes placed by
// the timeline mapping and read back through the hit tests, the events posted as a host would.
#include <cmath>

#include "editors/note_drawing/note_boxes.h"
#include "editors/panes/pane_stack.h"
#include "editors/selection/event_hit_test.h"
#include "editors/note_entry/grid_snapping.h"
#include "editors/selection/selection_drag.h"
#include "editors/selection/selection_hooks.h"
#include "editors/selection/selection_tracker.h"
#include "song/model/track_selection.h"
#include "editors/selection/time_selection_drag.h"
#include "editors/timeline/click_state.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/events/classic_events.h"
#include "platform/events/host_input.h"
#include "platform/events/key_codes.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/quickdraw/ports.h"
#include "platform/windows/windows.h"
#include "shell/base/event_records.h"
#include "shell/drawing/row_metrics.h"
#include "shell/windows/editor_panes.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/timebase.h"
#include "song/events/data_events.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/utility_track_access.h"
#include "song/undo/undo_exchange.h"
#include "song/undo/undo_ring.h"
#include "editors/note_entry/note_readout.h"
#include "tests/editors/pane_fixture.h"

namespace editors_test {
namespace {

const std::vector<Note> kBandNotes = {{161, 72, 40}, {321, 67, 40}, {481, 64, 40}, {641, 60, 40}, {801, 55, 40}};

class SelectionTest : public PaneDrawingTest {
 protected:
  void SetUp() override {
    PaneDrawingTest::SetUp();
    gClickInRuler = gBarLabelHit = 0;
    gPointerMode = gNoteTool = 0;
    ResetClickPitchRange();
    gTimeSelection = TimeSelection();
    FlushEvents(everyEvent, 0);
    DisposeUndoRing();
    ASSERT_EQ(noErr, AllocateUndoRing(kDefaultUndoLevels));
  }
  void TearDown() override {
    DisposeUndoRing();
    FlushEvents(everyEvent, 0);
    ResetHostInputState();
    gSelectionTracker = nullptr;
    gSelectionHooks = SelectionHooks{};
    gEditorDragSettings = kDragSelectionOutBit;
    PaneDrawingTest::TearDown();
  }

  int16_t HitAt(int16_t h, int16_t v, int16_t flags) {
    gLastMousePoint = Point{v, h};
    gClickX = h;
    return HitTestEditorEvents(flags, nullptr);
  }
  uint8_t* Events() { return reinterpret_cast<uint8_t*>(HandleData(GetCurrentTrackEventList())); }
  bool IsSelected(int index) { return Events()[index * kLongEventSize + kEventFlags] & kEventSelected; }
  void SetSongEnd(uint32_t tick) { WriteU32BE(gCurrentSong + kSongEndTick, tick); }

  Point Global(Point local) {
    QDLocalToGlobalPoint(GetWindowPort(gMainEditorRecord.window), &local);
    return local;
  }
  // A click at path[0] held down along the path and released at its end, run through the
  // selection tracker.
  void Drag(const std::vector<Point>& path, uint32_t modifiers) {
    ASSERT_EQ(noErr, PostHostMouseEvent(kEventMouseDown, Global(path[0]), 1, modifiers));
    for (size_t i = 1; i < path.size(); ++i)
      ASSERT_EQ(noErr, PostHostMouseEvent(kEventMouseMoved, Global(path[i]), 1, modifiers));
    ASSERT_EQ(noErr, PostHostMouseEvent(kEventMouseUp, Global(path.back()), 1, modifiers));
    gLastMousePoint = path[0];
    TrackEditorSelection(modifiers, false);
    FlushEvents(everyEvent, 0);  // what a click taken by a note left, as the dispatch would
  }
  // The band notes on track 0 in one pane, the rubber band tool chosen.
  void SetUpBand() {
    gNoteTool = kRubberBandNoteTool;
    AddTrack(0, NoteRecords(kBandNotes));
    AddPane(0, 48);
    SetSongEnd(4000);
  }
  // The band notes on tracks 0 and 1, each in its own pane; v0_ and v1_ lie inside them.
  void SetUpTwoPanes() {
    AddTrack(0, NoteRecords(kBandNotes));
    AddTrack(1, NoteRecords(kBandNotes));
    AddPane(0, 48);
    AddPane(1, 48);
    gEditorPanes[1].top = 200;
    LayoutEditorPanes();
    SetSongEnd(40000);
    v0_ = int16_t(gEditorPanes[0].top + 20);
    v1_ = int16_t(gEditorPanes[1].top + 20);
    ASSERT_EQ(FindEditorPaneAt(v0_), 0);
    ASSERT_EQ(FindEditorPaneAt(v1_), 1);
  }
  Point Inside(const Note& n) {
    Rect r = ExpectedNoteRect(n, 0);
    return Point{int16_t((r.top + r.bottom) / 2), int16_t((r.left + r.right) / 2)};
  }
  int16_t v0_ = 0, v1_ = 0;
};

// Notes far apart in time and pitch, their ticks scaled with the zoom so that they keep their
// pixels; two at the same time and pitch.
std::vector<Note> SpreadNotes(int16_t level, int32_t leftTick) {
  auto at = [&](int32_t px) { return uint32_t(leftTick + (int64_t(px) << level)); };
  auto len = [&](int32_t px) { return uint16_t(std::min<int64_t>(int64_t(px) << level, 65535)); };
  return {{at(20), 72, len(40)}, {at(130), 66, len(30)}, {at(260), 62, len(60)},
          {at(400), 84, len(20)}, {at(400), 84, len(30)}};
}

TEST_F(SelectionTest, HitTestsFindTheNoteTheMappingPutsUnderAPoint) {
  for (int16_t level : {0, 3, 6}) {
    for (int32_t leftTick : {1, 97}) {
      SCOPED_TRACE(testing::Message() << "zoom " << level << " left tick " << leftTick);
      gZoomLevel = level;
      gTimelineLeftTick = leftTick;
      std::vector<Note> notes = SpreadNotes(level, leftTick);
      AddTrack(0, NoteRecords(notes));
      if (gEditorPaneCount == 0) AddPane(0, 48);
      struct Case {
        int16_t h, v, flags, result;
        int index;
      };
      std::vector<Case> cases;
      for (int i = 0; i < 4; ++i) {
        Rect r = ExpectedNoteRect(notes[i], 0);
        int16_t mid = int16_t((r.top + r.bottom) / 2);
        int owner = i == 3 ? 4 : i;  // of two notes alike the later in the list
        cases.push_back({int16_t((r.left + r.right) / 2), mid, kHitNotes, 1, owner});
        cases.push_back({r.left, r.top, kHitNotes, 1, owner});
        cases.push_back({r.left, r.bottom, kHitNotes, 1, owner});  // the one pixel below
        cases.push_back({r.left, int16_t(r.bottom + 1), kHitNotes, 0, -1});
        cases.push_back({int16_t(r.left - 1), mid, kHitNotes, 0, -1});
        cases.push_back({r.left, int16_t(r.top - 20), kHitNotes | kHitVelocityHandles, 8, owner});
        cases.push_back({r.left, int16_t(r.top - 20), kHitNotes, 0, -1});
        cases.push_back({int16_t(r.left + 3), int16_t(r.top - 20), kHitNotes | kHitVelocityHandles, 0, -1});
        cases.push_back({r.left, int16_t(r.top - 20), kHitSequenceBlocks, 0, -1});
      }
      Rect first = ExpectedNoteRect(notes[0], 0);
      cases.push_back({first.left, int16_t(gPaneTopMargin - 2), kHitNotes, 0, -1});  // above the panes
      cases.push_back({int16_t(600 - 10), first.top, kHitNotes, 0, -1});              // the scroll bar
      for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "point " << c.h << "," << c.v << " flags " << c.flags);
        EXPECT_EQ(HitAt(c.h, c.v, c.flags), c.result);
        if (c.result) EXPECT_EQ(gHitEventOffset, c.index * kLongEventSize);
      }
    }
  }
}

TEST_F(SelectionTest, ANoteBegunLeftOfTheViewIsHitFromTheOriginOn) {
  gZoomLevel = 2;
  gTimelineLeftTick = 801;
  AddTrack(0, NoteRecords({{401, 70, 800}, {1201, 64, 40}}));
  AddPane(0, 48);
  Rect early = ExpectedNoteRect({401, 70, 800}, 0);
  int16_t v = int16_t(early.top + 1), origin = gTimelineFrame.originX;
  EXPECT_EQ(HitAt(int16_t(origin - 2), v, kHitNotes), 1);
  EXPECT_EQ(HitAt(int16_t(origin - 3), v, kHitNotes), 0);
  EXPECT_EQ(HitAt(int16_t(early.right - 1), v, kHitNotes), 1);
  // A note starting right of the origin keeps its own left edge.
  Rect later = ExpectedNoteRect({1201, 64, 40}, 0);
  EXPECT_EQ(HitAt(later.left, int16_t(later.top + 1), kHitNotes), 1);
  EXPECT_EQ(HitAt(int16_t(later.left - 2), int16_t(later.top + 1), kHitNotes), 0);
}

TEST_F(SelectionTest, DrumViewsAnswerANoteHitWithTheVelocityResultAndHaveNoHandles) {
  AddTrack(0, NoteRecords({{161, 70, 80}}));
  AddPane(0, 48);
  gEditorPanes[0].viewMode = 1;
  Rect r = ExpectedNoteRect({161, 70, 80}, 0);
  EXPECT_EQ(HitAt(int16_t(r.left + 2), int16_t(r.top + 1), kHitNotes | kHitVelocityHandles), 8);
  EXPECT_EQ(HitAt(int16_t(r.left + 2), int16_t(r.top + 1), kHitNotes), 1);
  EXPECT_EQ(HitAt(r.left, int16_t(r.top - 20), kHitNotes | kHitVelocityHandles), 0);
  // Only a handle outside drum views is the velocity drag's.
  HitAt(int16_t(r.left + 2), int16_t(r.top + 1), 0);
  EXPECT_FALSE(HandleNoteAreaClick());
  gEditorPanes[0].viewMode = 0;
  EXPECT_FALSE(HandleNoteAreaClick());
  HitAt(r.left, int16_t(r.top - 20), 0);
  EXPECT_TRUE(HandleNoteAreaClick());
}

int32_t gSysExDialogOffset = -1;

TEST_F(SelectionTest, SequenceBlocksAndSysExLabelsAreHitByTheirParts) {
  std::vector<uint8_t> bytes(kLongEventSize);
  FillLongEvent(bytes.data(), 401, kKindSequenceRef, 0, 0, 0);
  SetEventLongDuration(bytes.data(), 800);
  size_t sysex = bytes.size();
  const uint8_t data[3] = {0x7E, 0x01, 0xF7};
  bytes.resize(sysex + DataEventSize(3));
  FillDataEvent(&bytes[sysex], 1601, data, 3);
  bytes.resize(bytes.size() + kEndRecordSize, 0);
  AddTrack(0, bytes);
  AddPane(0, 0);  // the first row of blocks at the timeline's top
  gSelectionHooks.openSysExEventDialog = [](int32_t offset) { gSysExDialogOffset = offset; };
  SelectPaneForDrawing(0);
  int16_t left = int16_t(gTimelineFrame.originX + (400 >> gZoomLevel));
  int16_t right = int16_t(gTimelineFrame.originX + (1200 >> gZoomLevel));
  int16_t middle = int16_t(gTimelineFrame.top + 6);
  struct Case {
    int16_t h, flags, result, part;
  } cases[] = {{int16_t(left + 2), kHitNotes | kHitSequenceBlocks, 2, 2},
               {int16_t((left + right) / 2), kHitNotes | kHitSequenceBlocks, 2, 1},
               {int16_t(right - 3), kHitNotes | kHitSequenceBlocks, 2, 3},
               {int16_t(right + 2), kHitNotes | kHitSequenceBlocks, 0, 0},
               {int16_t((left + right) / 2), kHitNotes, 0, 0}};
  for (const Case& c : cases) {
    gLastMousePoint = Point{middle, c.h};
    gClickX = c.h;
    int16_t part = -1;
    EXPECT_EQ(HitTestEditorEvents(c.flags, &part), c.result) << c.h;
    EXPECT_EQ(part, c.part) << c.h;
  }
  // Drum views test no blocks.
  gEditorPanes[0].viewMode = 1;
  EXPECT_EQ(HitAt(int16_t((left + right) / 2), middle, kHitNotes | kHitSequenceBlocks), 0);
  gEditorPanes[0].viewMode = 0;
  // The label's text column runs the dialog of its event, while labels are shown.
  Rect pane;
  GetPaneContentRect(0, &pane);
  int16_t x = int16_t(gTimelineFrame.originX + (1600 >> gZoomLevel) + 5);
  gShowSysExLabels = 0;
  EXPECT_EQ(HitAt(x, int16_t(pane.top + 40), kHitNotes | kHitSysExLabels), 0);
  EXPECT_EQ(gSysExDialogOffset, -1);
  gShowSysExLabels = 1;
  EXPECT_EQ(HitAt(x, int16_t(pane.top + 40), kHitNotes | kHitSysExLabels), 4);
  EXPECT_EQ(gSysExDialogOffset, int32_t(sysex));
  EXPECT_EQ(HitAt(int16_t(x + 20), int16_t(pane.top + 40), kHitNotes | kHitSysExLabels), 0);
}

TEST_F(SelectionTest, NotesAtATickAreFoundAndKeepTheirVelocityDifferences) {
  AddTrack(0, NoteRecords({{97, 60, 10, 0, 100}, {97, 64, 10, 0, 70}, {97, 67, 10, 0, 20}, {194, 60, 10, 0, 90}}));
  EXPECT_EQ(FindNoteAtTickAndPitch(97, 64), 1);
  EXPECT_EQ(FindNoteAtTickAndPitch(97, 65), 0);
  EXPECT_EQ(FindNoteAtTickAndPitch(98, 64), 0);
  struct Case {
    int32_t velocity;
    uint8_t expected[4];
  } cases[] = {{110, {110, 80, 30, 90}}, {40, {40, 10, 0, 90}}, {127, {127, 97, 47, 90}}};
  for (const Case& c : cases) {
    AddTrack(0, NoteRecords({{97, 60, 10, 0, 100}, {97, 64, 10, 0, 70}, {97, 67, 10, 0, 20}, {194, 60, 10, 0, 90}}));
    SetVelocityOfNotesAt(c.velocity, 97);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Events()[i * kLongEventSize + kEventData2], c.expected[i]) << c.velocity;
  }
}

// A ruler click snaps to beats, bars or labelled bars of the song's meter.
class RulerSnapTest : public SelectionTest, public testing::WithParamInterface<std::tuple<int, int, int>> {};

TEST_P(RulerSnapTest, RulerDragsSnapToTheMeter) {
  auto [resolution, numerator, denominator] = GetParam();
  gTicksPerQuarter = resolution;
  ApplyTimebase();
  SetTimeSignature(numerator, denominator);
  ASSERT_EQ(noErr, StoreMeterAt(1));
  int32_t beat = resolution * 4 / denominator, bar = beat * numerator;
  auto barStart = [&](int32_t b) { return 1 + b * bar; };
  gClickInRuler = 1;
  gZoomLevel = 3;
  ASSERT_EQ(BarsPerLabel(3), 1);
  // Beats: start down, end up to the next beat unless on one.
  SetSelectionFromDrag(barStart(2) + beat + 5, barStart(1) + 3, false);
  EXPECT_EQ(gTimeSelection.start.tick, uint32_t(barStart(1)));
  EXPECT_EQ(gTimeSelection.end.tick, uint32_t(barStart(2) + 2 * beat));
  SetSelectionFromDrag(barStart(1), barStart(2) + beat, false);
  EXPECT_EQ(gTimeSelection.end.tick, uint32_t(barStart(2) + beat));
  // Shift keeps the dragged end as it is.
  SetSelectionFromDrag(barStart(1) + 3, barStart(2) + 7, true);
  EXPECT_EQ(gTimeSelection.start.tick, uint32_t(barStart(1)));
  EXPECT_EQ(gTimeSelection.end.tick, uint32_t(barStart(2) + 7));
  // On a bar label at a zoom with several bars to a label: multiples of the step, end rounded up.
  for (int16_t level = 7; level <= 12; ++level) {
    int32_t step = BarsPerLabel(level);
    if (step <= 1) continue;
    SCOPED_TRACE(testing::Message() << "zoom " << level << " step " << step);
    gZoomLevel = level;
    gBarLabelHit = 1;
    SetSelectionFromDrag(barStart(step + 1) + 9, barStart(2 * step + 1) + 9, false);
    EXPECT_EQ(gTimeSelection.start.tick, uint32_t(barStart(step)));
    EXPECT_EQ(gTimeSelection.end.tick, uint32_t(barStart(3 * step)));
    gBarLabelHit = 0;
    SetSelectionFromDrag(barStart(step + 1) + 9, barStart(2 * step + 1) + 9, false);
    EXPECT_EQ(gTimeSelection.start.tick, uint32_t(barStart(step + 1)));
    EXPECT_EQ(gTimeSelection.end.tick, uint32_t(barStart(2 * step + 2)));
  }
  // Outside the ruler nothing snaps.
  gClickInRuler = 0;
  SetSelectionFromDrag(barStart(2) + 5, barStart(1) + 3, false);
  EXPECT_EQ(gTimeSelection.start.tick, uint32_t(barStart(1) + 3));
  EXPECT_EQ(gTimeSelection.end.tick, uint32_t(barStart(2) + 5));
}

INSTANTIATE_TEST_SUITE_P(Meters, RulerSnapTest,
                         testing::Values(std::make_tuple(97, 4, 4), std::make_tuple(960, 6, 8),
                                         std::make_tuple(960, 4, 4), std::make_tuple(96, 6, 8)));

TEST_F(SelectionTest, AnExtendingClickMovesTheEndNearestItsPivot) {
  struct Case {
    uint32_t tick, start, end;
  } cases[] = {{600, 100, 600},   // after the selection: the end
               {50, 50, 500},     // before it: the start
               {250, 250, 500},   // inside, left of the middle: the start
               {400, 100, 400}};  // inside, right of the middle: the end
  for (const Case& c : cases) {
    SetTimeRange(100, 500);
    ClickTimeSelection(int32_t(c.tick), true);
    EXPECT_EQ(gTimeSelection.start.tick, c.start) << c.tick;
    EXPECT_EQ(gTimeSelection.end.tick, c.end) << c.tick;
  }
}

TEST_F(SelectionTest, APitchRangeClickNeedsOneSelectedTrack) {
  gPointerMode = kPitchRangePointerMode;
  AddTrack(0, NoteRecords({}));
  SelectCurrentTrackSlot();
  EXPECT_EQ(BeginEditorSelection(200, 64, false, true), 1);
  EXPECT_EQ(gFilterLowNote, 64);
  EXPECT_EQ(gFilterHighNote, 64);
  BeginEditorSelection(300, 70, true, true);
  EXPECT_EQ(gFilterHighNote, 70);
  EXPECT_EQ(gFilterLowNote, 64);
  SetAllTrackSelectionBits();
  EXPECT_EQ(BeginEditorSelection(200, 50, false, true), 0);
}

TEST_F(SelectionTest, ARubberBandSelectsExactlyTheNotesInsideAsOneUndoableStep) {
  SetUpBand();
  // From just before the second note above it to just after the fourth below the fourth's row.
  Rect second = ExpectedNoteRect(kBandNotes[1], 0), fourth = ExpectedNoteRect(kBandNotes[3], 0);
  Point from{int16_t(second.top - 1), int16_t(second.left - 4)};
  Point to{int16_t(fourth.top + 1), int16_t(fourth.left + 2)};
  Drag({from, Point{int16_t(from.v + 5), int16_t(from.h + 30)}, to}, 0);
  EXPECT_EQ(gTimeSelection.start.tick, uint32_t(XToTime(from.h)));
  EXPECT_EQ(gTimeSelection.end.tick, uint32_t(XToTime(to.h)));
  EXPECT_EQ(gFilterHighNote, PitchAtY(from.v));
  EXPECT_EQ(gFilterLowNote, 60);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(IsSelected(i), i >= 1 && i <= 3) << i;
  EXPECT_TRUE(CanUndo());
  ASSERT_EQ(noErr, UndoLastEdit());
  SelectTrackNumber(0);
  for (int i = 0; i < 5; ++i) EXPECT_FALSE(IsSelected(i)) << i;
}

TEST_F(SelectionTest, ShiftExtendsABandAndCommandTogglesANote) {
  SetUpBand();
  Rect n0 = ExpectedNoteRect(kBandNotes[0], 0), n1 = ExpectedNoteRect(kBandNotes[1], 0);
  Drag({Point{int16_t(n0.top - 1), int16_t(n0.left - 2)}, Point{int16_t(n1.top + 1), int16_t(n1.left + 2)}}, 0);
  EXPECT_TRUE(IsSelected(0));
  EXPECT_TRUE(IsSelected(1));
  // A shift band elsewhere keeps the first.
  Rect n3 = ExpectedNoteRect(kBandNotes[3], 0), n4 = ExpectedNoteRect(kBandNotes[4], 0);
  Drag({Point{int16_t(n3.top - 1), int16_t(n3.left - 2)}, Point{int16_t(n4.top + 1), int16_t(n4.left + 2)}}, shiftKey);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(IsSelected(i), i != 2) << i;
  // Command on a note toggles it alone, undoably.
  Drag({Inside(kBandNotes[3])}, cmdKey);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(IsSelected(i), i != 2 && i != 3) << i;
  ASSERT_EQ(noErr, UndoLastEdit());
  EXPECT_TRUE(IsSelected(3));
  // A plain band replaces the selection.
  Drag({Point{int16_t(n0.top - 1), int16_t(n0.left - 2)}, Point{int16_t(n0.top + 1), int16_t(n0.left + 2)}}, 0);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(IsSelected(i), i == 0) << i;
}

TEST_F(SelectionTest, ACommandDragKeepsTheUnionOfBothRangesAndPitchRanges) {
  SetUpBand();
  Rect n0 = ExpectedNoteRect(kBandNotes[0], 0), n4 = ExpectedNoteRect(kBandNotes[4], 0);
  Drag({Point{int16_t(n0.top - 1), int16_t(n0.left - 2)}, Point{int16_t(n0.top + 1), int16_t(n0.right + 2)}}, 0);
  uint32_t firstStart = gTimeSelection.start.tick;
  uint8_t firstHigh = gFilterHighNote;
  Drag({Point{int16_t(n4.top - 1), int16_t(n4.left - 2)}, Point{int16_t(n4.top + 1), int16_t(n4.right + 2)}}, cmdKey);
  EXPECT_EQ(gTimeSelection.start.tick, firstStart);
  EXPECT_EQ(gTimeSelection.end.tick, uint32_t(XToTime(n4.right + 2)));
  EXPECT_EQ(gFilterHighNote, firstHigh);
  EXPECT_EQ(gFilterLowNote, 55);
  EXPECT_TRUE(IsSelected(0));
  EXPECT_TRUE(IsSelected(4));
}

TEST_F(SelectionTest, ARangeDragOverPanesSelectsThemAndTheTimeTheMappingGives) {
  SetUpTwoPanes();
  int16_t v0 = v0_, v1 = v1_;
  Drag({Point{v0, 100}, Point{v1, 250}}, 0);
  EXPECT_EQ(gTimeSelection.start.tick, uint32_t(XToTime(100)));
  EXPECT_EQ(gTimeSelection.end.tick, uint32_t(XToTime(250)));
  EXPECT_EQ(gPaneVisitMask, 3u);
  EXPECT_EQ(gFilterLowNote, 0);
  EXPECT_EQ(gFilterHighNote, 127);
  // Dragged leftwards the range is ordered.
  Drag({Point{v0, 300}, Point{v0, 120}}, 0);
  EXPECT_EQ(gTimeSelection.start.tick, uint32_t(XToTime(120)));
  EXPECT_EQ(gTimeSelection.end.tick, uint32_t(XToTime(300)));
  EXPECT_EQ(gPaneVisitMask, 1u);
}

// The tracks of the panes a drag selects become the track selection (so that the notes
// selected in them show as selected): a drag over both panes selects both tracks, a plain
// drag in one keeps only its track, shift adds the other's again.
TEST_F(SelectionTest, ARangeDragMakesTheSelectedPanesTracksTheTrackSelection) {
  SetUpTwoPanes();
  ClearTrackSelectionMask();
  RecomputeSelectionBounds(gTrackSelection, false);
  Drag({Point{v0_, 100}, Point{v1_, 250}}, 0);
  EXPECT_TRUE(IsTrackSlotSelected(0));
  EXPECT_TRUE(IsTrackSlotSelected(1));
  Drag({Point{v1_, 300}, Point{v1_, 120}}, 0);
  EXPECT_FALSE(IsTrackSlotSelected(0));
  EXPECT_TRUE(IsTrackSlotSelected(1));
  EXPECT_TRUE(IsSlotInSelection(gTrackSelection, 1));
  Drag({Point{v0_, 300}, Point{v0_, 320}}, shiftKey);
  EXPECT_TRUE(IsTrackSlotSelected(0));
  EXPECT_TRUE(IsTrackSlotSelected(1));
  EXPECT_TRUE(IsSlotInSelection(gTrackSelection, 0));
}

TEST_F(SelectionTest, AutoscrollSpeedsUpMovesTheViewAndStopsAtTheSongsBounds) {
  AddTrack(0, NoteRecords(kBandNotes));
  AddPane(0, 48);
  for (int16_t level : {0, 5}) {
    SCOPED_TRACE(testing::Message() << "zoom " << level);
    gZoomLevel = level;
    gTimelineLeftTick = 1;
    int32_t step = kAutoscrollStepPixels << level;
    SetSongEnd(uint32_t(1 + 5 * step + step / 2));
    SelectionTracker t;
    t.anchorTick = 1;
    gSelectionTracker = &t;
    int16_t right = int16_t(GetMainWindowRight() - kAutoscrollRightInset);
    double expected = kAutoscrollStartInterval;
    for (int i = 0; i < 6; ++i) {
      EXPECT_EQ(AutoscrollSelectionAt(int16_t(right + 30)), 1) << i;
      expected = std::max(kAutoscrollFloorInterval, expected / kAutoscrollSpeedUp);
      EXPECT_NEAR(t.interval, expected, 1e-12);
    }
    // The last step stopped at the song's end, and the view goes no further.
    EXPECT_EQ(gTimelineLeftTick, int32_t(1 + 5 * step + step / 2));
    EXPECT_EQ(AutoscrollSelectionAt(int16_t(right + 30)), 0);
    EXPECT_EQ(gTimelineLeftTick, int32_t(1 + 5 * step + step / 2));
    EXPECT_EQ(gTimeSelection.end.tick, uint32_t(XToTime(right)));
    // Inside again: no scrolling, the interval starts over.
    EXPECT_EQ(AutoscrollSelectionAt(200), 0);
    EXPECT_DOUBLE_EQ(t.interval, kAutoscrollStartInterval);
    // Left: back to the song's start and not before it.
    int steps = 0;
    while (AutoscrollSelectionAt(int16_t(gTimelineFrame.originX - 5)) != 0) ++steps;
    EXPECT_EQ(gTimelineLeftTick, 1);
    EXPECT_EQ(steps, 6);
    EXPECT_EQ(gTimeSelection.start.tick, 1u);
    gSelectionTracker = nullptr;
  }
}

TEST_F(SelectionTest, TheAutoscrollIntervalKeepsFiringAtItsFloor) {
  AddTrack(0, NoteRecords(kBandNotes));
  AddPane(0, 48);
  SetSongEnd(1u << 30);
  SelectionTracker t;
  gSelectionTracker = &t;
  int16_t right = int16_t(GetMainWindowRight() - kAutoscrollRightInset);
  std::vector<double> seen;
  for (int i = 0; i < 40; ++i) {
    EXPECT_EQ(AutoscrollSelectionAt(int16_t(right + 1)), 1) << i;
    seen.push_back(t.interval);
  }
  EXPECT_NEAR(seen[0], 2.0 / 9, 1e-12);
  EXPECT_NEAR(seen[1], 4.0 / 27, 1e-12);
  EXPECT_DOUBLE_EQ(seen.back(), kAutoscrollFloorInterval);
  gSelectionTracker = nullptr;
}

void ReleaseTheButton(EventLoopTimerRef, void* where) {
  PostHostMouseEvent(kEventMouseUp, *static_cast<Point*>(where), 1, 0);
}

TEST_F(SelectionTest, HoldingThePointerRightOfTheWindowScrollsWhileTracking) {
  AddTrack(0, NoteRecords(kBandNotes));
  AddPane(0, 48);
  SetSongEnd(100000);
  int16_t v = int16_t(gEditorPanes[0].top + 20);
  Point outside = Global(Point{v, int16_t(GetMainWindowRight() + 10)});
  ASSERT_EQ(noErr, PostHostMouseEvent(kEventMouseDown, Global(Point{v, 100}), 1, 0));
  ASSERT_EQ(noErr, PostHostMouseEvent(kEventMouseMoved, outside, 1, 0));
  EventLoopTimerRef release = nullptr;
  ASSERT_EQ(noErr, InstallEventLoopTimer(GetMainEventLoop(), 1.2, 0, ReleaseTheButton, &outside, &release));
  gLastMousePoint = Point{v, 100};
  uint32_t anchor = uint32_t(XToTime(100));
  TrackEditorSelection(0, false);
  RemoveEventLoopTimer(release);
  EXPECT_GT(gTimelineLeftTick, 1);
  EXPECT_EQ(gTimeSelection.start.tick, anchor);
  EXPECT_EQ(gTimeSelection.end.tick, uint32_t(XToTime(GetMainWindowRight() - kAutoscrollRightInset)));
  EXPECT_EQ(gSelectionTracker, nullptr);
}

// What the range move was asked to do.
struct RangeMove {
  int calls = 0;
  int16_t source = -1, target = -1;
  uint32_t start = 0, length = 0, newStart = 0;
};
RangeMove gRangeMove;

int16_t RecordRangeMove(int16_t source, int16_t target, uint32_t start, uint32_t length, uint32_t newStart, bool) {
  gRangeMove = {gRangeMove.calls + 1, source, target, start, length, newStart};
  return noErr;
}

// The flavours of every item of a drag as it enters the editor.
std::vector<std::vector<uint8_t>> gPromises;
OSErr RecordPromises(DragTrackingMessage message, WindowRef, void*, DragRef drag) {
  if (message != kDragTrackingEnterWindow) return noErr;
  gPromises.clear();
  UInt16 items = 0;
  CountDragItems(drag, &items);
  for (UInt16 i = 1; i <= items; ++i) {
    DragItemRef item = 0;
    GetDragItemReferenceNumber(drag, i, &item);
    std::vector<uint8_t> promise(kPromiseBytes);
    Size size = kPromiseBytes;
    GetFlavorData(drag, item, kPromisedFileFlavor, promise.data(), &size, 0);
    Size empty = -1;
    GetFlavorDataSize(drag, item, kPromisedFileSpecFlavor, &empty);
    promise.push_back(uint8_t(empty));
    gPromises.push_back(promise);
  }
  return noErr;
}

class SelectionDragTest : public SelectionTest {
 protected:
  void SetUp() override {
    SelectionTest::SetUp();
    ShowWindow(gMainEditorRecord.window);  // where the drag finds it
    SetUpTwoPanes();
    Drag({Point{v0_, 100}, Point{v0_, 300}}, 0);  // the range over the first pane
    gRangeMove = RangeMove();
    gPromises.clear();
  }
};

TEST_F(SelectionDragTest, ADropOnAnotherTrackLaterMovesTheRangeThere) {
  gSelectionHooks.trackRangeClipboardOp = RecordRangeMove;
  uint32_t start = gTimeSelection.start.tick, length = gTimeSelection.end.tick - start;
  ASSERT_EQ(noErr, InstallTrackingHandler(RecordPromises, gMainEditorRecord.window, nullptr));
  Drag({Point{v0_, 200}, Point{v1_, 220}, Point{v1_, 240}}, 0);
  RemoveTrackingHandler(RecordPromises, gMainEditorRecord.window);
  EXPECT_EQ(gRangeMove.calls, 1);
  EXPECT_EQ(gRangeMove.source, 0);
  EXPECT_EQ(gRangeMove.target, 1);
  EXPECT_EQ(gRangeMove.start, start);
  EXPECT_EQ(gRangeMove.length, length);
  // The editor's drag carries promised files, so the new start lands on the grid.
  uint32_t dropped = start + uint32_t(XToTime(240) - XToTime(200));
  EXPECT_EQ(gRangeMove.newStart, uint32_t(SnapTimeToGrid(int32_t(dropped), 0, true, true, nullptr)));
  EXPECT_EQ(gTimeSelection.start.tick, gRangeMove.newStart);
  EXPECT_EQ(gTimeSelection.end.tick, gRangeMove.newStart + length);
  EXPECT_EQ(gPaneVisitMask, 2u);
  // While the drag went on, the readout followed the snapped time it pointed at, with pitch 60.
  EXPECT_EQ(gReadoutLastValue, 60);
  EXPECT_EQ(uint32_t(gReadoutLastTime), gRangeMove.newStart);
  // One promised MIDI file for the selected MIDI pane, with its empty file flavour.
  std::vector<uint8_t> midi = {'M', 'i', 'd', 'i', 'V', 'O', 'Z', 'u', 0, 0, 'f', 's', 's', 'P', 0};
  EXPECT_EQ(gPromises, std::vector<std::vector<uint8_t>>{midi});
}

TEST_F(SelectionDragTest, WithoutSnapTheDropKeepsThePointersMove) {
  gSelectionHooks.trackRangeClipboardOp = RecordRangeMove;
  gSnapSwitch = 0;
  uint32_t start = gTimeSelection.start.tick;
  Drag({Point{v0_, 200}, Point{v1_, 220}, Point{v1_, 241}}, 0);
  gSnapSwitch = 1;
  EXPECT_EQ(gRangeMove.calls, 1);
  EXPECT_EQ(gRangeMove.newStart, start + uint32_t(XToTime(241) - XToTime(200)));
}

TEST(DragFlavorTest, DropTimingByFlavourSwitchAndSnap) {
  struct Case { bool switchOn; int16_t snap; FlavorType flavor; bool byPosition; };
  const Case cases[] = {{false, 0, kEditorSelectionFlavor, true}, {false, 1, kEditorSelectionFlavor, false},
                        {false, 0, kPromisedFileFlavor, false},   {false, 0, 'TEXT', false},
                        {true, 1, kEditorSelectionFlavor, true},  {true, 1, 'TEXT', true},
                        {true, 0, kPromisedFileFlavor, false}};
  int16_t savedSnap = gSnapSwitch;
  for (const Case& c : cases) {
    gSelectionHooks.isDropTimingSwitchOn = nullptr;
    if (c.switchOn) gSelectionHooks.isDropTimingSwitchOn = [] { return true; };
    gSnapSwitch = c.snap;
    EXPECT_EQ(AcceptsDragFlavor(c.flavor), c.byPosition) << c.switchOn << " " << c.snap << " " << c.flavor;
  }
  gSelectionHooks.isDropTimingSwitchOn = nullptr;
  gSnapSwitch = savedSnap;
}

TEST_F(SelectionDragTest, ADropAtTheSameTimeOnTheSameTrackChangesNothing) {
  gSelectionHooks.trackRangeClipboardOp = RecordRangeMove;
  TimeSelection before = gTimeSelection;
  Drag({Point{v0_, 200}, Point{int16_t(v0_ + 10), 200}}, 0);
  EXPECT_EQ(gRangeMove.calls, 0);
  EXPECT_EQ(gTimeSelection.start.tick, before.start.tick);
  EXPECT_EQ(gTimeSelection.end.tick, before.end.tick);
  gLastMousePoint = Point{v0_, 200};
  EXPECT_EQ(dragNotAcceptedErr, [&] {
    PostHostMouseEvent(kEventMouseDown, Global(Point{v0_, 200}), 1, 0);
    PostHostMouseEvent(kEventMouseMoved, Global(Point{int16_t(v0_ + 10), 200}), 1, 0);
    PostHostMouseEvent(kEventMouseUp, Global(Point{int16_t(v0_ + 10), 200}), 1, 0);
    return DragSelectionOut();
  }());
}

TEST_F(SelectionDragTest, TheSelectionStaysWhenTheSettingsKeepItInOrTheMouseDoesNotMove) {
  gSelectionHooks.trackRangeClipboardOp = RecordRangeMove;
  gLastMousePoint = Point{v0_, 200};
  PostHostMouseEvent(kEventMouseDown, Global(gLastMousePoint), 1, 0);
  PostHostMouseEvent(kEventMouseUp, Global(gLastMousePoint), 1, 0);
  EXPECT_EQ(userCanceledErr, DragSelectionOut());
  FlushEvents(everyEvent, 0);
  gEditorDragSettings = 0;
  EXPECT_EQ(-4, DragSelectionOut());
  // Without the setting a click inside the selection makes a new range.
  Drag({Point{v0_, 200}, Point{v0_, 250}}, 0);
  EXPECT_EQ(gTimeSelection.start.tick, uint32_t(XToTime(200)));
  EXPECT_EQ(gRangeMove.calls, 0);
}

TEST_F(SelectionDragTest, WithoutTheRangeMoveADropIsNotAccepted) {
  TimeSelection before = gTimeSelection;
  Drag({Point{v0_, 200}, Point{v1_, 260}}, 0);
  EXPECT_EQ(gTimeSelection.start.tick, before.start.tick);
  EXPECT_EQ(gPaneVisitMask, 1u);
}

}  // namespace
}  // namespace editors_test
