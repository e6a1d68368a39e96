// Editing with the mouse in the main editor: the note value and grid (keys, tuplets, odd
// resolutions), snapping with swing in 4/4 and 6/8, the pencil adding exactly the note that
// the axis, the rows and the grid give at every zoom and erasing the note under the point,
// each click one undo step, and the click dispatch by tool, modifier keys and tool-bar cell.
#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <tuple>

#include "editors/note_drawing/note_boxes.h"
#include "editors/note_entry/editor_clicks.h"
#include "editors/rulers/bar_ruler.h"
#include "editors/note_entry/grid_snapping.h"
#include "editors/note_entry/note_audition.h"
#include "editors/note_entry/note_painting.h"
#include "editors/note_entry/note_pencil.h"
#include "editors/note_entry/note_readout.h"
#include "editors/note_entry/pane_adding.h"
#include "platform/controls/controls.h"
#include "platform/system/sys_beep.h"
#include "editors/note_entry/note_values.h"
#include "editors/panes/pane_stack.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/events/host_input.h"
#include "platform/system/host_time.h"
#include "platform/events/key_codes.h"
#include "shell/base/arithmetic.h"
#include "shell/drawing/row_metrics.h"
#include "shell/windows/editor_panes.h"
#include "shell/windows/window_clicks.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/timebase.h"
#include "song/model/song_layout.h"
#include "song/undo/undo_exchange.h"
#include "platform/memory/byte_order.h"
#include "sequencer/clock/note_off_queue.h"
#include "sequencer/clock/tick_scheduler.h"
#include "song/instruments/driver_procs.h"
#include "song/model/track_settings.h"
#include "tests/editors/pane_fixture.h"
#include "tests/song/undo/undo_fixture.h"

namespace {

using editors_test::Note;
using editors_test::NoteRecords;

using editors_test::UseTimebase;

// The value of a mask computed here from the note lengths: whole >> k summed, x 3/2 dotted,
// x 2/3, 2/5, 2/7 by the tuplet, rounded to the nearest tick.
int32_t Expected(int32_t resolution, uint32_t mask) {
  double sum = 0;
  for (int k = 0; k <= 6; ++k)
    if (mask & (1u << k)) sum += (4 * resolution) >> k;
  double factor = (mask & kDottedBit) ? 1.5 : (mask & kSeptupletBit) ? 2.0 / 7 : (mask & kQuintupletBit) ? 0.4
                                                                           : (mask & kTripletBit) ? 2.0 / 3 : 1.0;
  int32_t v = int32_t(sum * factor + 0.5);
  return v > 0 ? v : 1;
}

class NoteEntryTest : public editors_test::PaneDrawingTest {
 protected:
  void SetUp() override {
    PaneDrawingTest::SetUp();
    ASSERT_EQ(noErr, AllocateUndoRing(8));
    ResetUndoHistory();
    gEditorClickRoutes = EditorClickRoutes();
    gNoteTool = gLaneTool = kArrowTool;
    gNoteEntryVelocity = kDefaultEntryVelocity;
    gNoteLengthPercent = kDefaultNoteLengthPercent;
    gClickInRuler = 0;
  }
  void TearDown() override {
    UseTimebase(kDefaultTicksPerQuarter, 4, 4);
    SetWindowClickProc(kMainEditorWindowKind, nullptr);
    PaneDrawingTest::TearDown();
  }
  // One track (number 1) with notes in one pane at the top of the note range.
  void OnePane(const std::vector<Note>& notes) {
    AddTrack(1, NoteRecords(notes));
    AddPane(1, 0);
    SelectPaneForDrawing(0);
  }
  std::string ListBytes() {
    Handle list = GetCurrentTrackEventList();
    return list ? std::string(HandleData(list), size_t(GetHandleSize(list))) : std::string();
  }
  // The notes of the current track as (tick, pitch, duration) text.
  std::string Notes() {
    std::string out;
    Handle list = GetCurrentTrackEventList();
    auto* p = reinterpret_cast<uint8_t*>(HandleData(list));
    for (; SeqEventTime(p) != 0; p += GetSeqEventLength(p))
      out += std::to_string(SeqEventTime(p)) + "/" + std::to_string(p[kEventData1]) + "/" +
             std::to_string(GetNoteDuration(p)) + " ";
    return out;
  }
  // The window x of a tick plus dx pixels, and the y inside pitch's row.
  static Point At(int32_t tick, int32_t pitch, int32_t dx = 0) {
    int32_t x = gTimelineFrame.originX + int32_t((int64_t(tick) - gTimelineLeftTick) >> gZoomLevel) + dx;
    return Point{int16_t(PitchRowY(pitch) + 1), int16_t(x)};
  }
  int32_t ClickEditor(Point where, uint16_t modifiers = 0) {
    EventRecord event{};
    event.what = mouseDown;
    event.modifiers = modifiers;
    return RunWindowClickProc(&gMainEditorRecord, where, &event);
  }
};

TEST_F(NoteEntryTest, NoteValuesFromMasksAtOddResolutions) {
  const uint32_t masks[] = {0x04, 0x04 | kTripletBit, 0x04 | kQuintupletBit, 0x04 | kSeptupletBit,
                            0x08 | kDottedBit, 0x10 | kTripletBit, 0x01 | 0x04, 0x40, 0x40 | kSeptupletBit};
  for (int32_t resolution : {384, 97, 960, 1}) {
    UseTimebase(resolution, 4, 4);
    for (uint32_t mask : masks)
      EXPECT_EQ(Expected(resolution, mask), NoteValueOfMask(mask)) << resolution << " mask " << std::hex << mask;
  }
  UseTimebase(384, 4, 4);
  EXPECT_EQ(154, NoteValueOfMask(0x04 | kQuintupletBit));
  EXPECT_EQ(110, NoteValueOfMask(0x04 | kSeptupletBit));
  EXPECT_EQ(288, NoteValueOfMask(0x08 | kDottedBit));
}

TEST_F(NoteEntryTest, KeysShiftTupletsAndTheDotThatLastsUntilANoteIsEntered) {
  UseTimebase(384, 4, 4);
  gCurrentViewMode = 0;
  EXPECT_EQ(384, GetSnapGrid());
  SetNoteValueBitKeeping(0, kNoteValueField, false);  // '1'
  SetNoteValueBitKeeping(2, kNoteValueField, true);   // shift '4'
  RecomputeNoteValue(kNoteValueField);
  EXPECT_EQ(5 * 384, gNoteValueState.noteValue);
  NoteValueKey(2);
  EXPECT_EQ(384, gNoteValueState.noteValue);
  ToggleTupletBitFor(kTupletTriplet, false);
  EXPECT_EQ(256, gNoteValueState.noteValue);
  ToggleTupletBitFor(kTupletDotted, false);  // the dot replaces the triplet
  EXPECT_EQ(576, gNoteValueState.noteValue);
  NoteValueKey(3);  // another value keeps the dot
  EXPECT_EQ(288, gNoteValueState.noteValue);
  NoteWasEntered();
  NoteValueKey(3);  // after a note the plain choice drops it
  EXPECT_EQ(192, gNoteValueState.noteValue);

  // A grid equal to the note value is stored as 0 and follows the note value.
  ToggleTupletBitFor(kTupletTriplet, true);
  EXPECT_EQ(128, gNoteValueState.gridValue);
  EXPECT_EQ(128, GetSnapGrid());
  ToggleTupletBitFor(kTupletTriplet, true);
  EXPECT_EQ(0, gNoteValueState.gridValue);
  NoteValueKey(4);
  EXPECT_EQ(96, GetSnapGrid());

  // Outside the note, drum and audio views the keys and buttons change nothing.
  gCurrentViewMode = 3;
  NoteValueKey(0);
  ToggleTupletBitFor(kTupletTriplet, false);
  EXPECT_EQ(96, gNoteValueState.noteValue);
}

TEST_F(NoteEntryTest, NearestNoteLengthIndexAndPopUpIndexes) {
  UseTimebase(960, 4, 4);
  EXPECT_EQ(6, NearestNoteLengthIndex(960));  // the quarter entry
  EXPECT_EQ(7, NearestNoteLengthIndex(gNoteValueTicks[6] - (gNoteValueTicks[6] - gNoteValueTicks[7]) / 2));  // tie: shorter
  EXPECT_EQ(6, NearestNoteLengthIndex(gNoteValueTicks[6] - 1));
  EXPECT_EQ(0, NearestNoteLengthIndex(gWholeNoteTicks * 2));
  EXPECT_EQ(0, NearestNoteLengthIndex(1));
  gNoteValueState.noteValue = 0;
  SyncNoteValueIndexes();
  EXPECT_EQ(960, gNoteValueState.noteValue);
  EXPECT_EQ(2, gNoteValueState.noteIndex);
  gNoteValueState.noteValue = 5;
  SyncNoteValueIndexes();
  EXPECT_EQ(6, gNoteValueState.noteIndex);
  EXPECT_EQ(4, gNoteValueState.gridIndex);
}

TEST_F(NoteEntryTest, SnappingWithSwingIn44And68) {
  struct Case {
    int32_t resolution, numerator, denominator, grid, swing, offset;  // offset from bar 2's start
    int32_t expected;  // offset from bar 2's start
  };
  const Case cases[] = {
      {384, 4, 4, 96, 50, 100, 96},          // sixteenths, no swing
      {384, 4, 4, 96, 66, 100, 96 + 31},     // odd sixteenth 0.32 late (30.72 rounded)
      {384, 4, 4, 96, 66, 190, 192},         // even sixteenth unchanged
      {384, 4, 4, 128, 66, 130, 128},        // an eighth triplet grid ignores swing
      {384, 4, 4, 384, 66, 390, 384},        // a quarter grid ignores swing
      {960, 6, 8, 960, 50, 2400, 2880},      // 6/8: quarters count from each bar line
      {960, 6, 8, 960, 50, 2300, 1920},
      {97, 6, 8, 97, 50, 250, 288},          // 6/8 at 97: bar of 6 x 48 ticks; not past its end
      {97, 6, 8, 97, 50, 200, 194},
      {97, 4, 4, 24, 50, 37, 48},
      {97, 4, 4, 24, 75, 30, 24 + 12},
  };
  for (const Case& c : cases) {
    UseTimebase(c.resolution, c.numerator, c.denominator);
    gSwingPercent = uint8_t(c.swing);
    int32_t bar2 = BarToTick(1);
    EXPECT_EQ(bar2 + c.expected, SnapTimeToGrid(bar2 + c.offset, c.grid, true, true, nullptr))
        << c.resolution << " " << c.numerator << "/" << c.denominator << " grid " << c.grid << " at " << c.offset;
  }
  UseTimebase(384, 4, 4);
  gGridOriginTick = 500;
  EXPECT_EQ(501, SnapTimeToGrid(10, 96, true, true, nullptr));  // before the origin: tick 1 past it
  gGridOriginTick = 0;
  EXPECT_EQ(1, SnapTimeToGrid(-40, 96, true, true, nullptr));
  EXPECT_EQ(77, SnapTimeToGrid(77, 96, false, true, nullptr));
  EXPECT_EQ(77, QuantizeToGrid(77, 0, true, 50, nullptr));  // no grid: no division
}

TEST_F(NoteEntryTest, SwingOffsetGivesTheLengthToTheNextSwungStep) {
  UseTimebase(384, 4, 4);
  NoteValueKey(4);  // sixteenths
  EXPECT_EQ(96, SwingOffset(1, 50));
  EXPECT_EQ(96 + 31, SwingOffset(1, 66));
  EXPECT_EQ(96 - 31, SwingOffset(1 + 96 + 31, 66));
}

TEST_F(NoteEntryTest, PencilAddsTheNoteOfTheAxisRowsAndGridAtEveryZoom) {
  struct Case {
    int32_t resolution, numerator, denominator;
    int16_t zoom;
    int32_t bar, steps;  // the note's place: grid steps after a bar line
  };
  const Case cases[] = {{960, 4, 4, 0, 2, 1}, {960, 6, 8, 3, 2, 2}, {97, 4, 4, 0, 2, 3}, {97, 6, 8, 2, 3, 1},
                        {960, 4, 4, 9, 2, 1}, {97, 6, 8, 6, 2, 2},  {384, 4, 4, 12, 8, 0}};
  for (const Case& c : cases) {
    UseTimebase(c.resolution, c.numerator, c.denominator);
    gZoomLevel = c.zoom;
    OnePane({});
    int32_t grid = GetSnapGrid();
    int32_t target = BarToTick(c.bar) + c.steps * grid;
    // An odd left tick with the note on screen, where a pixel is shorter than a step.
    gTimelineLeftTick = 1;
    if ((grid >> c.zoom) > 0) gTimelineLeftTick = std::max(1, target - (200 << c.zoom) - 7);
    int32_t pitch = 120;
    // A pixel right of the step, less than half a grid step away.
    int32_t dx = (grid >> c.zoom) >= 4 ? 1 : 0;
    Point where = At(target, pitch, dx);
    ASSERT_EQ(pitch, PitchAtPaneY(where.v));
    Draw();
    uint32_t before = Pixel(where.h, where.v);
    ASSERT_EQ(1, DrawOrEraseNotesAt(where, false));
    EXPECT_EQ(std::to_string(target) + "/120/" + std::to_string(grid) + " ", Notes())
        << c.resolution << " " << c.numerator << "/" << c.denominator << " zoom " << c.zoom;
    Draw();  // the note is drawn under the point clicked
    EXPECT_NE(before, Pixel(where.h, where.v));
    ClearEditorPanes();
  }
}

TEST_F(NoteEntryTest, PencilOnANoteErasesItAndEachClickIsOneUndoStep) {
  UseTimebase(960, 6, 8);
  gZoomLevel = 4;
  OnePane({{1 + 960, 118, 480}, {1 + 2880, 120, 960}, {1 + 3840, 120, 240}});
  // The track is selected, as a click on its pane leaves it.
  const uint8_t scope[] = {1, 1, 0x02};
  std::memcpy(gCurrentSong + kSongTrackSelection, scope, sizeof scope);
  std::string start = undo_test::SongImage(gCurrentSongHandle);

  // Inside the second note's box, past its start: that note goes, its neighbours stay.
  ASSERT_EQ(1, DrawOrEraseNotesAt(At(1 + 2880 + 500, 120), false));
  EXPECT_EQ("961/118/480 3841/120/240 ", Notes());
  std::string erased = undo_test::SongImage(gCurrentSongHandle);

  ASSERT_EQ(1, DrawOrEraseNotesAt(At(1 + 5760, 119), false));
  EXPECT_EQ("961/118/480 3841/120/240 5761/119/960 ", Notes());

  ASSERT_EQ(noErr, UndoLastEdit());
  EXPECT_TRUE(undo_test::SameImage(erased, undo_test::SongImage(gCurrentSongHandle)));
  // The pencil finds the note it drew at every y of the row it drew into.
  for (int16_t y = int16_t(PitchRowY(119) - gOctaveHeight); y < PitchRowY(119) + gOctaveHeight; ++y) {
    if (PitchAtPaneY(y) != 119) continue;
    Point p = At(1 + 5760, 119, 3);
    p.v = y;
    ASSERT_EQ(1, DrawOrEraseNotesAt(p, false));
    EXPECT_EQ("961/118/480 3841/120/240 5761/119/960 ", Notes()) << y;
    ASSERT_EQ(noErr, UndoLastEdit());
  }
  ASSERT_EQ(noErr, UndoLastEdit());
  EXPECT_TRUE(undo_test::SameImage(start, undo_test::SongImage(gCurrentSongHandle)));
}

TEST_F(NoteEntryTest, EnteredLengthFollowsPercentageAndStaysInADuration) {
  UseTimebase(960, 4, 4);
  gNoteLengthPercent = 50;
  EXPECT_EQ(480, EnteredNoteLength(1));
  NoteValueKey(0);
  SetNoteValueBitKeeping(1, kNoteValueField, true);
  RecomputeNoteValue(kNoteValueField);  // whole + half = 5760
  gNoteLengthPercent = 200;
  EXPECT_EQ(11520, EnteredNoteLength(1));
  UseTimebase(30000, 4, 4);
  NoteValueKey(0);
  EXPECT_EQ(kMaxNoteDuration, EnteredNoteLength(1));
}

// Counts of the routes the dispatcher hands clicks to.
int gTracked = 0;
int16_t gToolWhileTracking = -1;
int32_t gDraggedBar = -2;
void CountTracker(Point, EventRecord*) {
  ++gTracked;
  gToolWhileTracking = gNoteTool;
}
void RecordBar(int32_t bar, Point) { gDraggedBar = bar; }

TEST_F(NoteEntryTest, ClickDispatchByToolAndModifierKeys) {
  UseTimebase(960, 4, 4);
  InstallEditorClicks();
  gEditorClickRoutes.selectionTracker = CountTracker;
  gTracked = 0;
  OnePane({});
  std::string empty = Notes();
  Point where = At(1 + 960, 110);

  gNoteTool = kPencilTool;
  ClickEditor(where, optionKey);  // option: the selection tracker, whatever the tool
  EXPECT_EQ(1, gTracked);
  EXPECT_EQ(empty, Notes());
  ClickEditor(where, controlKey);  // control: rectangle selection
  EXPECT_EQ(2, gTracked);
  EXPECT_EQ(kRectangleTool, gToolWhileTracking);
  EXPECT_EQ(kPencilTool, gNoteTool);
  ClickEditor(where);
  EXPECT_EQ("961/110/960 ", Notes());
  ClickEditor(where);
  EXPECT_EQ(empty, Notes());

  // A click in the bar ruler (above the panes) selects time with the arrow tool.
  Rect ruler = GetMainRulerRect(GetMainWindowRight());
  ClickEditor(Point{int16_t((ruler.top + ruler.bottom) / 2), where.h});
  EXPECT_EQ(3, gTracked);  // with the pencil chosen, the ruler still selects
  EXPECT_EQ(1, gClickInRuler);
  ClickEditor(where);  // the ruler's state does not outlast its click
  EXPECT_EQ(0, gClickInRuler);
  ClickEditor(where);

  // Outside the content (on the scroll bars) nothing happens.
  Rect bounds;
  GetWindowPortBounds(gMainEditorRecord.window, &bounds);
  ClickEditor(Point{int16_t(bounds.bottom - 5), where.h});
  EXPECT_EQ(3, gTracked);
  EXPECT_EQ(empty, Notes());
}

TEST_F(NoteEntryTest, AdjustClickModeByView) {
  struct Case {
    int16_t view, tool, mode;
  };
  const Case cases[] = {{9, kPencilTool, kArrowTool}, {9, kAuditionTool, kArrowTool}, {9, kPaintTool, kArrowTool},
                        {9, kBarTool, kBarTool},      {0, kPaintTool, kPaintTool},    {3, kPaintTool, kArrowTool},
                        {16, kPaintTool, kPaintTool}, {3, kPencilTool, kPencilTool}};
  for (const Case& c : cases) {
    gCurrentViewMode = c.view;
    EXPECT_EQ(c.mode, AdjustClickMode(c.tool)) << c.view << " " << c.tool;
  }
  // Control-click in a data-lane view runs the lane click, not the rectangle selection.
  gCurrentViewMode = 3;
  gLaneTool = kArrowTool;
  EXPECT_EQ(kRectangleTool, ClickToolFor(controlKey));
  EXPECT_EQ(kArrowTool, ClickToolFor(optionKey));
  gLaneTool = kPencilTool;
  EXPECT_EQ(kPencilTool, ClickToolFor(optionKey));  // option means the arrow only in note views
}

TEST_F(NoteEntryTest, ToolBarCellsAndTheLastPixelColumn) {
  gEditorToolbarLeft = 200;
  gEditorToolbarTop = 0;
  struct Case {
    int16_t dx, dy, tool;
  };
  const Case cases[] = {{0, 20, 0},   {25, 20, 0},  {26, 20, 1},  {52, 20, 3},  {78, 20, 4}, {103, 20, 4},
                        {0, 5, 2},    {51, 5, 2},   {52, 5, 5},   {78, 5, 6},   {103, 5, 6}, {104, 20, -1},
                        {-1, 20, -1}, {10, 40, -1}, {10, 13, 2},  {10, 14, 0}};
  for (const Case& c : cases)
    EXPECT_EQ(c.tool, ToolAtToolbarPoint(Point{int16_t(c.dy), int16_t(200 + c.dx)})) << c.dx << "," << c.dy;
  for (int16_t cell = 0; cell < 4; ++cell)
    EXPECT_EQ(cell < 2 ? cell : cell + 1, ToolAtToolbarPoint(Point{20, int16_t(ToolCellLeft(cell))}));
  gEditorToolbarLeft = 0;
}

TEST_F(NoteEntryTest, SelectingTheVelocityToolShowsVelocitiesAndLeavingItRestores) {
  gCurrentViewMode = 0;
  gShowVelocity = 0;
  SelectEditTool(kVelocityTool);
  EXPECT_EQ(kVelocityTool, gNoteTool);
  EXPECT_EQ(1, gShowVelocity);
  SelectEditTool(kPencilTool);
  EXPECT_EQ(0, gShowVelocity);
  gCurrentViewMode = 3;
  SelectEditTool(kBarTool);
  EXPECT_EQ(kBarTool, gLaneTool);
  EXPECT_EQ(kPencilTool, gNoteTool);
  SelectEditTool(9);
  EXPECT_EQ(kBarTool, gLaneTool);
}

TEST_F(NoteEntryTest, BarToolReachesAQuarterOfASixteenthAroundEachBarLine) {
  for (auto [resolution, numerator, denominator] : {std::tuple{960, 4, 4}, {97, 6, 8}}) {
    UseTimebase(resolution, numerator, denominator);
    int32_t reach = gSixteenthNoteTicks / 4;
    int32_t line = BarToTick(3);
    int32_t next = BarToTick(4);
    EXPECT_EQ(3, BarLineNearTick(line + reach - 1));
    EXPECT_EQ(-1, BarLineNearTick(line + reach));
    EXPECT_EQ(4, BarLineNearTick(next - reach + 1));
    EXPECT_EQ(-1, BarLineNearTick(next - reach));
  }
}

TEST_F(NoteEntryTest, BarToolClickDragsTheBarLineOrTracks) {
  UseTimebase(960, 4, 4);
  gZoomLevel = 0;
  InstallEditorClicks();
  gEditorClickRoutes.selectionTracker = CountTracker;
  gEditorClickRoutes.dragBarLine = RecordBar;
  gTracked = 0;
  OnePane({});
  gNoteTool = kBarTool;
  gTimelineLeftTick = BarToTick(1) - 100;
  ClickEditor(At(BarToTick(1) + 10, 110));
  EXPECT_EQ(1, gDraggedBar);
  ClickEditor(At(BarToTick(1) + 300, 110));
  EXPECT_EQ(1, gTracked);
}

std::string Text(ConstStr255Param p) { return std::string(reinterpret_cast<const char*>(p + 1), p[0]); }

TEST_F(NoteEntryTest, ReadoutLinesIn44And68) {
  struct Case {
    int32_t resolution, numerator, denominator, time, value, end, velocity;
    const char *position, *length, *name, *velocity_text;
  };
  const Case cases[] = {
      {960, 4, 4, 1, 60, 1 + 3840 + 960 + 5, 100, "2:02:005", "1:01:005", "C3", "100"},
      {960, 4, 4, 1, 200, 6, -1, "1:01:005", "0:00:005", "", ""},
      {960, 4, 4, 1 + 960, 61, 0, 7, "1:02:000", "", "C#3", "007"},
      {97, 6, 8, 1, 60, 1 + 288 + 48 + 3, -1, "2:02:003", "1:01:003", "C3", ""},
      {97, 6, 8, 10, 60, 5, -1, "1:01:004", "0:00:001", "C3", ""},  // an end before the time: one tick
      {960, 4, 4, 1, 60, kReadoutFrozen, 90, "Frozen!", "", "", "090"},
      {960, 4, 4, 1, 60, kReadoutLongNote, -1, "Long note!", "", "", ""},
  };
  for (const Case& c : cases) {
    UseTimebase(c.resolution, c.numerator, c.denominator);
    NoteReadoutText text;
    ComposeNoteReadout(c.time, c.value, c.end, c.velocity, &text);
    EXPECT_EQ(c.position, Text(text.position)) << c.time << " " << c.end;
    EXPECT_EQ(c.length, Text(text.length)) << c.time << " " << c.end;
    EXPECT_EQ(c.name, Text(text.noteName)) << c.value;
    EXPECT_EQ(c.velocity_text, Text(text.velocity));
  }
}

TEST_F(NoteEntryTest, AFrozenTrackRefusesThePencil) {
  UseTimebase(960, 4, 4);
  InstallEditorClicks();
  OnePane({{1 + 960, 110, 960}});
  gCurrentTrack[kTrackOutputFlags] |= kTrackOutputSecondRegions;
  std::string before = ListBytes();
  gNoteTool = kPencilTool;
  ClickEditor(At(1 + 960, 110, 2));  // on the note: not erased
  ClickEditor(At(1 + 2880, 111));    // on empty grid: nothing drawn
  EXPECT_EQ(before, ListBytes());
  EXPECT_FALSE(CanUndo());
}

TEST_F(NoteEntryTest, NoteValuesFollowAResolutionChange) {
  UseTimebase(384, 4, 4);
  gCurrentViewMode = 0;
  NoteValueKey(3);
  ToggleTupletBitFor(kTupletDotted, false);
  EXPECT_EQ(288, GetNoteValue());
  gTicksPerQuarter = 97;
  ApplyTimebase();
  RecomputeNoteValuesForResolution();
  EXPECT_EQ(72, GetNoteValue());  // the eighth (388 >> 3) dotted, from the mask
  gNoteValueState = NoteValueState();
  EXPECT_EQ(97, GetSnapGrid());  // a state not set yet is a quarter note
}

TEST_F(NoteEntryTest, VelocityFromDigits) {
  const int expected[10] = {4, 18, 32, 46, 60, 75, 89, 103, 117, 127};
  for (int16_t k = 0; k <= 9; ++k) {
    SetVelocityFromDigit(k);
    EXPECT_EQ(expected[k], gNoteEntryVelocity) << k;
  }
}

TEST_F(NoteEntryTest, AFreeTrackForANewPaneWrapsPastTheLastNumber) {
  struct Case {
    std::vector<int> shown;
    int16_t expected;
  };
  const Case cases[] = {{{1, 2}, 3}, {{5, 1}, 6}, {{46, 47}, 0}, {{47, 0, 1}, 2}, {{}, 0}};
  for (const Case& c : cases) {
    ClearEditorPanes();
    for (int track : c.shown) ASSERT_EQ(noErr, CreateEditorPane(56, false, uint8_t(track)));
    EXPECT_EQ(c.expected, FindFreeTrackForPane()) << c.shown.size();
  }
  ClearEditorPanes();
  for (int16_t k = 0; k < kMaxEditorPanes; ++k) ASSERT_EQ(noErr, CreateEditorPane(56, false, uint8_t(32 + k)));
  EXPECT_EQ(0, FindFreeTrackForPane());  // past 47 the search goes on from 0, never to 48
}

TEST_F(NoteEntryTest, TheStripBelowThePanesAddsAPaneAndWithSixteenOnlyBeeps) {
  InstallEditorClicks();
  AddTrack(1, NoteRecords({{1 + 960, 60, 480}, {1 + 1920, 72, 480}}));
  AddPane(1, 0);
  LayoutEditorPanes();
  Rect bounds;
  GetWindowPortBounds(gMainEditorRecord.window, &bounds);
  Rect box;
  GetNewPaneBoxRect(&box);
  ClickEditor(Point{int16_t(box.top + 3), int16_t(box.left + 3)});  // the "+" box
  ASSERT_EQ(2, gEditorPaneCount);
  EXPECT_EQ(2, gEditorPanes[1].track);
  // The heights are shared out: T + A x i / n.
  int32_t t = gPaneTopMargin + gStandardLineHeight + 4, a = bounds.bottom - gPaneTopMargin - 15;
  EXPECT_EQ(t, gEditorPanes[0].top);
  EXPECT_EQ(t + (a + 1) / 2, gEditorPanes[1].top);
  // The first pane's notes (60..72) are centred and the scroll value stays in the bar's range.
  int16_t value = GetControlValue(gEditorPanes[0].scrollBar);
  EXPECT_GE(value, 0);
  EXPECT_LE(value, GetControlMaximum(gEditorPanes[0].scrollBar));

  while (gEditorPaneCount < kMaxEditorPanes) ASSERT_EQ(noErr, CreateEditorPane(56, false, uint8_t(gEditorPaneCount + 2)));
  LayoutEditorPanes();
  ResetSysBeepCountForTesting();
  GetNewPaneBoxRect(&box);
  ClickEditor(Point{int16_t(box.top + 3), int16_t(box.left + 3)});
  EXPECT_EQ(1u, GetSysBeepCount());
  EXPECT_EQ(kMaxEditorPanes, gEditorPaneCount);
}

TEST_F(NoteEntryTest, CentredFirstRowStaysInTheBarsRange) {
  struct Case {
    int32_t lowest, highest, rows;
    int16_t maximum, expected;
  };
  const Case cases[] = {{60, 72, 20, 132, 56}, {127, 127, 40, 132, 0}, {0, 0, 2, 132, 131},
                        {0, 0, 2, 100, 100},   {0, 127, 400, 132, 0},  {64, 64, 1, 0, 0}};
  for (const Case& c : cases)
    EXPECT_EQ(c.expected, CentredFirstRow(c.lowest, c.highest, c.rows, c.maximum)) << c.lowest << " " << c.highest;
}

// The painted notes of the current track: (tick, pitch, velocity, duration).
std::vector<std::array<int32_t, 4>> PaintedNotes() {
  std::vector<std::array<int32_t, 4>> out;
  Handle list = GetCurrentTrackEventList();
  if (!list) return out;
  auto* p = reinterpret_cast<uint8_t*>(HandleData(list));
  for (; SeqEventTime(p) != 0; p += GetSeqEventLength(p))
    out.push_back({int32_t(SeqEventTime(p)), p[kEventData1], p[kEventData2], GetNoteDuration(p)});
  return out;
}

TEST_F(NoteEntryTest, PaintingPlacesANoteFromTheSettingsRangesAsOneUndoStep) {
  UseTimebase(960, 6, 8);
  gNotePaintSettings = NotePaintSettings();
  EXPECT_EQ(16, PaintDelayTicks());
  OnePane({});
  const uint8_t scope[] = {1, 1, 0x02};
  std::memcpy(gCurrentSong + kSongTrackSelection, scope, sizeof scope);
  std::string start = undo_test::SongImage(gCurrentSongHandle);
  Point where = At(1 + 2880, 100);
  int32_t pointerTick = XToTime(where.h);
  ASSERT_EQ(1, PaintNotes(where));
  auto notes = PaintedNotes();
  ASSERT_EQ(1u, notes.size());
  const auto& n = notes[0];
  EXPECT_EQ(100, n[1]);  // no scale steps by default: the pitch under the pointer
  EXPECT_GE(n[2], 34);
  EXPECT_LE(n[2], 127);
  EXPECT_GE(n[3], 96);
  EXPECT_LE(n[3], 384);
  EXPECT_GE(n[0], pointerTick - std::min(n[3], GetSnapGrid()));
  EXPECT_LE(n[0], pointerTick + 384 + 6);
  ASSERT_EQ(noErr, UndoLastEdit());
  EXPECT_TRUE(undo_test::SameImage(start, undo_test::SongImage(gCurrentSongHandle)));
}

TEST_F(NoteEntryTest, PaintingSpreadsPitchesBothWaysAndTakesSwappedRanges) {
  UseTimebase(384, 4, 4);
  gNotePaintSettings = NotePaintSettings();
  gNotePaintSettings.flags = kPaintSnapTimes;  // scale steps on
  gNotePaintSettings.velocityMinimum = 100;    // the bounds the wrong way round
  gNotePaintSettings.velocityMaximum = 20;
  gNotePaintSettings.lengthMinimum = 300;
  gNotePaintSettings.lengthMaximum = 50;
  OnePane({});
  for (int k = 0; k < 40; ++k) PaintNotes(At(1 + k * 1536, 60));
  bool below = false, above = false;
  for (const auto& n : PaintedNotes()) {
    below = below || n[1] < 60;
    above = above || n[1] > 60;
    EXPECT_GE(n[2], 20);
    EXPECT_LE(n[2], 100);
    EXPECT_GE(n[3], 50);
    EXPECT_LE(n[3], 300);
  }
  EXPECT_TRUE(below && above) << "painted pitches drift one way only";
}

TEST_F(NoteEntryTest, PaintLengthsFromTheWeightedTable) {
  UseTimebase(960, 4, 4);
  gNotePaintSettings = NotePaintSettings();
  EXPECT_EQ(gNoteValueTicks[1], PickPaintNoteLength());
  gNotePaintSettings.lengths[0] = {50, 4 << 8};
  gNotePaintSettings.lengths[1] = {50, 9 << 8};
  for (int k = 0; k < 20; ++k) {
    int32_t length = PickPaintNoteLength();
    EXPECT_TRUE(length == gNoteValueTicks[4] || length == gNoteValueTicks[9]) << length;
  }
  gNotePaintSettings.lengths[0] = {100, 20 << 8};
  EXPECT_EQ(GetNoteValue(), PickPaintNoteLength());
  EXPECT_EQ(kPaintStopRequested, gNotePaintSettings.state & kPaintStopRequested);
  for (auto& slot : gNotePaintSettings.lengths) slot = {0, 0};
  EXPECT_EQ(GetNoteValue(), PickPaintNoteLength());
  EXPECT_EQ(0, gNotePaintSettings.state & kPaintStopRequested);
}

TEST_F(NoteEntryTest, ScaleStepsFoldIntoTheMidiRange) {
  struct Case {
    int32_t pitch, steps, expected;
  };
  const Case cases[] = {{60, 1, 62}, {60, -1, 59}, {64, 1, 65}, {71, 1, 72}, {61, 1, 63},
                        {60, 7, 72}, {60, -7, 48}, {127, 3, 120}, {0, -1, 11}, {60, 0, 60}};
  for (const Case& c : cases) EXPECT_EQ(c.expected, TransposeByScaleSteps(c.pitch, c.steps)) << c.pitch << " " << c.steps;
}

TEST_F(NoteEntryTest, TupletButtonsAndValueFields) {
  UseTimebase(384, 4, 4);
  InstallEditorClicks();
  OnePane({});
  gEditorToolbarLeft = 10;
  gEditorToolbarTop = 0;
  struct Case {
    int16_t dx, dy;
    uint8_t bit;
  };
  const Case cases[] = {{185, 15, kTupletTriplet}, {195, 25, kTupletTriplet}, {195, 26, kTupletDotted},
                        {196, 25, kTupletQuintuplet}, {207, 37, kTupletSeptuplet}, {208, 30, 0}, {183, 30, 0}};
  for (const Case& c : cases)
    EXPECT_EQ(c.bit, TupletButtonAt(Point{int16_t(c.dy), int16_t(10 + c.dx)})) << c.dx << "," << c.dy;
  gCurrentViewMode = 0;
  // The tool bar lies above the marker strip and the ruler when the margin leaves it room.
  gPaneTopMargin = 73;
  Rect window;
  GetWindowPortBounds(gMainEditorRecord.window, &window);
  LayoutEditorToolbar(window);
  ClickEditor(Point{20, int16_t(10 + 190)});  // the triplet button of the note view
  EXPECT_EQ(256, GetNoteValue());
  gEditorToolbarLeft = 0;

  struct Field {
    void (*set)(int32_t);
    int32_t in, out;
    int32_t (*get)();
  };
  const Field fields[] = {
      {SetNoteValueTicksField, 0, 1, [] { return gNoteValueState.noteValue; }},
      {SetNoteValueTicksField, 12000, 9999, [] { return gNoteValueState.noteValue; }},
      {SetNoteLengthPercentField, 0, 1, [] { return int32_t(gNoteLengthPercent); }},
      {SetNoteLengthPercentField, 250, 200, [] { return int32_t(gNoteLengthPercent); }},
      {SetEntryVelocityField, -3, 0, [] { return int32_t(gNoteEntryVelocity); }},
      {SetEntryVelocityField, 300, 127, [] { return int32_t(gNoteEntryVelocity); }},
      {SetSwingField, 10, 20, [] { return int32_t(gSwingPercent); }},
      {SetSwingField, 66, 66, [] { return int32_t(gSwingPercent); }},
      {SetSwingField, 95, 80, [] { return int32_t(gSwingPercent); }},
  };
  for (const Field& f : fields) {
    f.set(f.in);
    EXPECT_EQ(f.out, f.get()) << f.in;
  }
}

// The host input of a drag: the pump moves the held button to gDragTo (global), then lets it go.
Point gDragTo;
int gPumpStep = 0;
void DragPump(EventTime) {
  if (gPumpStep == 0) PostHostMouseEvent(kEventMouseMoved, gDragTo, 1, 0);
  if (gPumpStep == 1) PostHostMouseEvent(kEventMouseUp, gDragTo, 1, 0);
  ++gPumpStep;
}

TEST_F(NoteEntryTest, APencilDragPlacesANoteAtEveryGridStepItPasses) {
  UseTimebase(97, 6, 8);
  gZoomLevel = 1;
  OnePane({});
  NoteValueKey(3);  // eighths: 48 ticks
  Rect frame;
  GetWindowBounds(gMainEditorRecord.window, kWindowContentRgn, &frame);
  SetPortWindowPort(gMainEditorRecord.window);
  Point from = At(1 + 288, 100);
  Point to = At(1 + 288 + 4 * 48, 100);
  gDragTo = Point{int16_t(to.v + frame.top), int16_t(to.h + frame.left)};
  PostHostMouseEvent(kEventMouseDown, Point{int16_t(from.v + frame.top), int16_t(from.h + frame.left)}, 1, 0);
  gPumpStep = 0;
  SetHostEventPump(DragPump);
  EXPECT_EQ(1, DrawOrEraseNotesAt(from, false));
  SetHostEventPump(nullptr);
  FlushEvents(everyEvent, 0);
  ResetHostInputState();
  EXPECT_EQ("289/100/48 337/100/48 385/100/48 433/100/48 481/100/48 ", Notes());
  ASSERT_EQ(noErr, UndoLastEdit());  // the whole stroke is one step
  EXPECT_EQ("", Notes());
}

// The host input of a held press: the button goes up once it was held gHoldTicks ticks.
uint32_t gHoldTicks = 0;
uint32_t gHoldStart = 0;
void HoldPump(EventTime) {
  if (gHoldStart != 0 && TickCount() - gHoldStart >= gHoldTicks) {
    PostHostMouseEvent(kEventMouseUp, gDragTo, 1, 0);
    gHoldStart = 0;
  }
}

TEST_F(NoteEntryTest, HoldingThePencilRaisesTheVelocityOfTheNoteUnderIt) {
  const std::pair<uint32_t, int32_t> raises[] = {{0, 0},  {60, 0},  {61, 1},   {91, 1},
                                                 {92, 2}, {120, 3}, {1000, 58}};
  for (auto [held, raise] : raises) EXPECT_EQ(HeldVelocityRaise(held), raise) << held;

  UseTimebase(97, 6, 8);
  gZoomLevel = 1;
  OnePane({{1 + 240, 102, 48, 0, 120}});
  NoteValueKey(3);
  Rect frame;
  GetWindowBounds(gMainEditorRecord.window, kWindowContentRgn, &frame);
  SetPortWindowPort(gMainEditorRecord.window);
  struct Case { int32_t tick, pitch; bool resize; uint32_t hold; int32_t low, high, notes; };
  // A quick click draws at the entry velocity; a held one raises the note it drew, and in
  // resize mode the note already there, never past 127.
  const Case cases[] = {{1 + 96, 100, false, 0, 75, 75, 2},
                        {1 + 192, 100, false, 100, 76, 127, 3},
                        {1 + 240, 102, true, 100, 121, 127, 3}};
  for (const Case& c : cases) {
    Point at = At(c.tick, c.pitch);
    gDragTo = Point{int16_t(at.v + frame.top), int16_t(at.h + frame.left)};
    PostHostMouseEvent(kEventMouseDown, gDragTo, 1, 0);
    gHoldTicks = c.hold;
    gHoldStart = TickCount();
    SetHostEventPump(HoldPump);
    EXPECT_EQ(1, DrawOrEraseNotesAt(at, c.resize));
    SetHostEventPump(nullptr);
    FlushEvents(everyEvent, 0);
    ResetHostInputState();
    int32_t velocity = -1, count = 0;
    Handle list = GetCurrentTrackEventList();
    for (auto* p = reinterpret_cast<uint8_t*>(HandleData(list)); SeqEventTime(p) != 0; p += GetSeqEventLength(p)) {
      if (int32_t(SeqEventTime(p)) == c.tick && p[kEventData1] == c.pitch) velocity = p[kEventData2];
      ++count;
    }
    EXPECT_GE(velocity, c.low) << c.tick;
    EXPECT_LE(velocity, c.high) << c.tick;
    EXPECT_EQ(count, c.notes) << "one note a click";
  }
}

// What the current track's output was handed: {port, MIDI bytes}.
std::vector<std::vector<uint8_t>> gHeard;
int32_t HearMessage(uint8_t* record, int32_t port) {
  std::vector<uint8_t> bytes{uint8_t(port)};
  bytes.insert(bytes.end(), record + 6, record + record[1]);
  gHeard.push_back(bytes);
  return 0;
}
constexpr DriverProcId kHearProc = 62;

TEST_F(NoteEntryTest, EnteredNotesAreHeardOnTheTracksOutputAndARangeOnlyWhenAudible) {
  UseTimebase(97, 6, 8);
  gZoomLevel = 1;
  OnePane({{1 + 48, 70, 40, 0, 90}, {1 + 96, 72, 40, 0, 91}, {1 + 144, 74, 40, 0, 92}});
  SetDriverProcById(kHearProc, HearMessage);
  ResetNoteOffPool();
  WriteU32BE(gCurrentTrack + kTrackDriverProc, kHearProc);
  gCurrentTrack[kTrackMidiOutput] = 3;
  SetTrackChannel(5);
  gHeard.clear();
  ASSERT_EQ(1, DrawOrEraseNotesAt(At(1 + 240, 100), false));
  EXPECT_EQ(gHeard, (std::vector<std::vector<uint8_t>>{{3, 0x95, 100, 75}})) << "the pencil's note sounds";

  gHeard.clear();
  gCurrentTrack[kTrackFlags] &= uint8_t(~kTrackFlagAudible);
  EXPECT_EQ(0, AuditionNotesInRange(1, 10000));
  gCurrentTrack[kTrackFlags] |= kTrackFlagAudible;
  // The range holds its start and not its end.
  EXPECT_EQ(2, AuditionNotesInRange(1 + 48, 1 + 144));
  EXPECT_EQ(gHeard, (std::vector<std::vector<uint8_t>>{{3, 0x95, 70, 90}, {3, 0x95, 72, 91}}));
  FlushEveryPendingNoteOff();
  SetDriverProcById(kHearProc, nullptr);
}

}  // namespace
