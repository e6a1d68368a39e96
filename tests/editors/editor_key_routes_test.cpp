// The keys and clicks that reach the main editor's own topics in the program: the tool, the
// view mode, the note value and its tuplets, scrolling the timeline; the bar ruler's clicks;
// and the time selection drawn by the window's update.
#include "editors/editor_key_routes.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "editing/marker_window.h"
#include "editors/adjacent_marker.h"
#include "editors/editor_hooks.h"
#include "editors/follow/play_cursor.h"
#include "editors/transport_keys.h"
#include "editors/follow/step_input.h"
#include "editors/key_command_hooks.h"
#include "editors/key_commands.h"
#include "editors/main_editor_window.h"
#include "editors/note_drawing/note_boxes.h"
#include "editors/note_entry/editor_clicks.h"
#include "editors/note_entry/note_values.h"
#include "editors/panes/selection_hilite.h"
#include "editors/panes/timeline_scrolling.h"
#include "editors/rulers/bar_ruler.h"
#include "editors/timeline/click_state.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/controls/controls.h"
#include "platform/events/classic_events.h"
#include "platform/events/host_input.h"
#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/ports.h"
#include "platform/windows/windows.h"
#include "shell/base/event_records.h"
#include "shell/drawing/row_metrics.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/timebase.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/conductor/markers.h"
#include "sequencer/transport/transport_engine.h"
#include "song/undo/undo_exchange.h"
#include "song/undo/undo_ring.h"
#include "editors/note_entry/grid_snapping.h"
#include "editors/toolbar/tool_buttons.h"
#include "editors/rulers/marker_strip.h"
#include "tests/editors/pane_fixture.h"

namespace editors_test {
namespace {

class EditorRoutesTest : public PaneDrawingTest {
 protected:
  void SetUp() override {
    PaneDrawingTest::SetUp();
    gNoteTool = gLaneTool = 0;
    gClickInRuler = gBarLabelHit = 0;
    gCurrentViewMode = 0;
    gKeyCommandHooks = KeyCommandHooks();
    InstallEditorHooks();
    FlushEvents(everyEvent, 0);
  }
  void TearDown() override {
    FlushEvents(everyEvent, 0);
    ResetHostInputState();
    gKeyCommandHooks = KeyCommandHooks();
    gStepInputHooks = StepInputHooks();
    gEditorClickRoutes = EditorClickRoutes();
    gCurrentViewMode = 0;
    gNoteTool = 0;
    PaneDrawingTest::TearDown();
  }
  // A song of the given resolution and meter, one track of a few notes shown in one pane of
  // the front main editor; the song ends after bars bars.
  void UseSong(int32_t resolution, int32_t numerator, int32_t denominator, int32_t bars) {
    gTicksPerQuarter = resolution;
    ApplyTimebase();
    SetTimeSignature(numerator, denominator);
    ASSERT_EQ(noErr, SetMeterAt(1));
    ResetNoteValues();
    AddTrack(1, NoteRecords({{1, 60, 10}}));
    AddPane(1, 48);
    SongHeaderView(gCurrentSong).SetEndTick(uint32_t(BarToTick(bars)));
    ShowWindow(gMainEditorRecord.window);
    SelectWindow(gMainEditorRecord.window);
  }
  void Key(uint8_t ch, uint16_t modifiers = 0) {
    EventRecord e{};
    e.what = keyDown;
    e.message = ch;
    e.modifiers = modifiers;
    HandleKeyCommand(ch, &e);
  }
  Point Global(Point local) {
    QDLocalToGlobalPoint(GetWindowPort(gMainEditorRecord.window), &local);
    return local;
  }
  // A press at from held to to and released there, handed to the editor's click dispatch.
  void Click(Point from, Point to) {
    ASSERT_EQ(noErr, PostHostMouseEvent(kEventMouseDown, Global(from), 1, 0));
    ASSERT_EQ(noErr, PostHostMouseEvent(kEventMouseMoved, Global(to), 1, 0));
    ASSERT_EQ(noErr, PostHostMouseEvent(kEventMouseUp, Global(to), 1, 0));
    EventRecord e{};
    e.what = mouseDown;
    e.where = Global(from);
    gLastMousePoint = from;
    HandleEditorClick(&gMainEditorRecord, from, &e);
    FlushEvents(everyEvent, 0);
  }
};

TEST_F(EditorRoutesTest, TheToolKeysPickTheToolAndTheVelocityToolShowsVelocities) {
  UseSong(480, 4, 4, 8);
  Key('w');
  EXPECT_EQ(gNoteTool, kPencilTool);
  Key('E');
  EXPECT_EQ(gNoteTool, kVelocityTool);
  EXPECT_NE(gShowVelocity, 0);
  Key('q');
  EXPECT_EQ(gNoteTool, kArrowTool);
  EXPECT_EQ(gShowVelocity, 0);  // back as it was before the velocity tool
}

TEST_F(EditorRoutesTest, TheNoteValueKeysSetTheNoteValueThatNotesAndStepInputTake) {
  struct Case { int32_t resolution; std::vector<uint8_t> keys; int32_t value; };
  const Case cases[] = {
      {480, {'8'}, 240},            {480, {'8', '3'}, 160}, {480, {'8', '3', '.'}, 360},
      {480, {'4', '5'}, 192},       {480, {'6', '7'}, 34},  {97, {'1'}, 388},
      {97, {'2', '3'}, 129},        {97, {'4', '.', '.'}, 97},
  };
  for (const Case& c : cases) {
    UseSong(c.resolution, 4, 4, 8);
    for (uint8_t k : c.keys) Key(k);
    EXPECT_EQ(GetNoteValue(), c.value) << c.resolution << " " << c.keys.size();
    EXPECT_EQ(StepNoteValueTicks(), c.value);
    ClearEditorPanes();
  }
}

TEST_F(EditorRoutesTest, AViewLetterChangesThePaneAndTheNoteKeysActOnlyInNoteViews) {
  UseSong(480, 4, 4, 8);
  Key('4');
  Key('a');
  EXPECT_EQ(gCurrentViewMode, 5);
  EXPECT_EQ(gEditorPanes[0].viewMode, 5);
  Key('8');
  EXPECT_EQ(GetNoteValue(), 480);  // a lane view takes no note value
  Key('n');
  EXPECT_EQ(gCurrentViewMode, 0);
  Key('8');
  EXPECT_EQ(GetNoteValue(), 240);
}

TEST_F(EditorRoutesTest, PageKeysAndAnglesScrollTheTimelineByBarsWithinTheSong) {
  for (auto [numerator, denominator] : {std::pair{4, 4}, std::pair{6, 8}}) {
    UseSong(97, numerator, denominator, 40);
    gZoomLevel = 2;
    gTimelineLeftTick = 1;
    int32_t right = GetTimelineRightTick();
    Key(12);  // Page Down
    int32_t bar = TickToBar(gTimelineLeftTick);
    EXPECT_EQ(gTimelineLeftTick, BarToTick(bar)) << "a page starts on a bar line";
    EXPECT_GT(gTimelineLeftTick, 1);
    EXPECT_LE(gTimelineLeftTick, right) << "a page overlaps the view it leaves";
    Key('>');
    EXPECT_EQ(TickToBar(gTimelineLeftTick), bar + 1);
    Key('<');
    Key('<');
    EXPECT_EQ(TickToBar(gTimelineLeftTick), bar - 1);
    Key(11, shiftKey);  // shift-Page Up: one bar, as '<'
    EXPECT_EQ(TickToBar(gTimelineLeftTick), bar - 2);
    for (int k = 0; k < 100; ++k) Key(12);
    EXPECT_EQ(gTimelineLeftTick, BarToTick(40)) << "never past the song's last bar";
    for (int k = 0; k < 100; ++k) Key(11);
    EXPECT_EQ(gTimelineLeftTick, 1);
    ClearEditorPanes();
  }
}

TEST_F(EditorRoutesTest, TheWindowsScrollBarFollowsTheTimelineAndItsThumbMovesIt) {
  UseSong(480, 6, 8, 30);
  UpdateEditorScrollBar();
  ControlRef bar = gMainEditorRecord.hScrollBar;
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(GetControlMaximum(bar), 30);
  SetControlValue(bar, 12);
  ScrollHorizontalAction(bar, kControlIndicatorPart);
  EXPECT_EQ(gTimelineLeftTick, BarToTick(12));
  ScrollHorizontalAction(bar, kControlUpButtonPart);
  EXPECT_EQ(GetControlValue(bar), 11);
  EXPECT_EQ(gTimelineLeftTick, BarToTick(11));
  gTimelineLeftTick = BarToTick(20);
  UpdateEditorScrollBar();
  EXPECT_EQ(GetControlValue(bar), 20);
  Rect r;
  GetControlBounds(bar, &r);
  EXPECT_GE(r.left, kNewPaneBoxWidth - 1) << "the bar leaves the new-pane box free";
}

TEST_F(EditorRoutesTest, AtTheAudioLevelsTheArrowsMoveByTheirSampleStep) {
  UseSong(480, 4, 4, 30);
  gZoomLevel = -3;
  gTimelineLeftSample = 0;
  ScrollEditorFromKey(kControlDownButtonPart);
  EXPECT_EQ(gTimelineLeftSample, uint64_t(1) << 7);
  ScrollEditorFromKey(kControlUpButtonPart);
  ScrollEditorFromKey(kControlUpButtonPart);
  EXPECT_EQ(gTimelineLeftSample, 0u) << "never before the start";
}

TEST_F(EditorRoutesTest, ADragInTheRulerSelectsWholeBeatsAndInAPaneExactTicks) {
  UseSong(480, 4, 4, 8);
  Rect window;
  GetWindowPortBounds(gMainEditorRecord.window, &window);
  LayoutEditorToolbar(window);
  Rect ruler = GetMainRulerRect(GetMainWindowRight());
  int16_t rulerV = int16_t((ruler.top + ruler.bottom) / 2);
  // Ticks 300 (inside beat 1) and 1000 (inside beat 3), away from the bar label of bar 1.
  int16_t a = int16_t(TimeToX(300, gTimelineLeftTick)), b = int16_t(TimeToX(1000, gTimelineLeftTick));
  Click(Point{rulerV, a}, Point{rulerV, b});
  EXPECT_EQ(gTimeSelection.start.tick, 1u);
  EXPECT_EQ(gTimeSelection.end.tick, 1441u);
  int16_t paneV = int16_t(gEditorPanes[0].top + 40);
  SetTimeRange(1, 1);  // a press inside the selection would drag it
  Click(Point{paneV, a}, Point{paneV, b});
  EXPECT_EQ(gTimeSelection.start.tick, uint32_t(XToTime(a)));
  EXPECT_EQ(gTimeSelection.end.tick, uint32_t(XToTime(b)));
  EXPECT_EQ(gClickInRuler, 0);
}

TEST_F(EditorRoutesTest, TheSelectionIsHilitedInEverySelectedPaneAndNowhereElse) {
  UseSong(480, 4, 4, 8);
  AddPane(1, 48);
  AddPane(1, 48);
  Draw();
  Rect window;
  GetWindowPortBounds(gMainEditorRecord.window, &window);
  std::vector<uint32_t> before;
  for (int v = window.top; v < window.bottom; v += 3)
    for (int h = window.left; h < window.right; h += 5) before.push_back(Pixel(h, v));
  SetTimeRange(481, 961);
  gPaneVisitMask = 0b101;  // panes 0 and 2
  HiliteSelectionInPanes();
  int16_t left = int16_t(TimeToX(481, gTimelineLeftTick)), right = int16_t(TimeToX(961, gTimelineLeftTick));
  size_t k = 0;
  for (int v = window.top; v < window.bottom; v += 3)
    for (int h = window.left; h < window.right; h += 5, ++k) {
      int16_t pane = FindEditorPaneAt(int16_t(v));
      Rect content;
      bool inPane = pane >= 0 && (GetPaneContentRect(pane, &content), v >= content.top && v < content.bottom);
      bool inside = inPane && pane != 1 && h >= left && h < right;
      uint32_t expected = inside ? (before[k] ^ 0xFFFFFF) : before[k];
      ASSERT_EQ(Pixel(h, v), expected) << h << "," << v << " pane " << pane;
    }
}

// The host input of a press held down along a path (global points) and let go at its end.
std::vector<Point> gPath;
size_t gPathStep = 0;
void PathPump(EventTime) {
  if (gPathStep < gPath.size()) PostHostMouseEvent(kEventMouseMoved, gPath[gPathStep], 1, 0);
  else if (gPathStep == gPath.size()) PostHostMouseEvent(kEventMouseUp, gPath.back(), 1, 0);
  ++gPathStep;
}

std::vector<uint8_t> PName(const char* text) {
  std::vector<uint8_t> name(1, uint8_t(std::strlen(text)));
  name.insert(name.end(), text, text + std::strlen(text));
  return name;
}

std::string MarkerOrder() {
  std::string order;
  for (int32_t n = 0; n < CountMarkers(); ++n) {
    const uint8_t* name = GetMarkerName(GetMarkerAt(n));
    order += std::string(reinterpret_cast<const char*>(name + 1), name[0]) + "@" +
             std::to_string(MarkerTick(GetMarkerAt(n))) + " ";
  }
  return order;
}

int32_t gDialogTick = -1, gDialogIndex = -2;
bool gDialogHit = true;

class MarkerStripTest : public EditorRoutesTest {
 protected:
  void SetUp() override {
    EditorRoutesTest::SetUp();
    DisposeUndoRing();
    ASSERT_EQ(noErr, AllocateUndoRing(kDefaultUndoLevels));
    UseSong(97, 6, 8, 20);
    gZoomLevel = 2;
    NoteValueKey(3);  // eighths
    gSnapSwitch = 1;
    Rect window;
    GetWindowPortBounds(gMainEditorRecord.window, &window);
    LayoutEditorToolbar(window);
    strip_ = GetMarkerStripRect(GetMainWindowRight());
    ASSERT_EQ(noErr, AddMarker(PName("Intro").data(), 301, 0, 0, 0));
    ASSERT_EQ(noErr, AddMarker(PName("Verse").data(), 901, 0, 0, 0));
    gEditorClickRoutes.openMarkerDialog = [](int32_t tick, int32_t index, bool hit) {
      gDialogTick = tick;
      gDialogIndex = index;
      gDialogHit = hit;
    };
    SetPortWindowPort(gMainEditorRecord.window);
  }
  void TearDown() override {
    SetHostEventPump(nullptr);
    DisposeUndoRing();
    EditorRoutesTest::TearDown();
  }
  int16_t X(int32_t tick) { return int16_t(TimeToX(tick, gTimelineLeftTick)); }
  int16_t StripV() { return int16_t((strip_.top + strip_.bottom) / 2); }
  // A press at from, moved along the path (local points), released at its end.
  void Press(Point from, const std::vector<Point>& path, uint32_t when = 1000) {
    gPath.clear();
    for (Point p : path) gPath.push_back(Global(p));
    gPathStep = 0;
    ASSERT_EQ(noErr, PostHostMouseEvent(kEventMouseDown, Global(from), 1, 0));
    SetHostEventPump(PathPump);
    EventRecord e{};
    e.what = mouseDown;
    e.when = when;
    HandleEditorClick(&gMainEditorRecord, from, &e);
    SetHostEventPump(nullptr);
    FlushEvents(everyEvent, 0);
    ResetHostInputState();
  }
  Rect strip_{};
};

TEST_F(MarkerStripTest, ADraggedMarkerLandsOnTheGridInOrderAsOneUndoableStep) {
  int32_t grid = GetSnapGrid();
  Press(Point{StripV(), int16_t(X(301) + 3)}, {Point{StripV(), int16_t(X(1201) + 3)}});
  ASSERT_EQ(CountMarkers(), 2);
  const uint8_t* moved = GetMarkerAt(1);  // Intro now follows Verse
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(GetMarkerName(const_cast<uint8_t*>(moved)) + 1), 5), "Intro");
  int32_t tick = int32_t(MarkerTick(moved));
  EXPECT_LE(std::abs(tick - 1201), grid / 2 + 4) << "follows the mouse less its grab offset";
  EXPECT_EQ((tick - BarToTick(TickToBar(tick))) % grid, 0) << "on the grid of its bar";
  EXPECT_EQ(gDialogIndex, -2) << "a drag opens no dialog";
  ASSERT_TRUE(CanUndo());
  ASSERT_EQ(noErr, UndoLastEdit());
  EXPECT_EQ(MarkerOrder(), "Intro@301 Verse@901 ");
}

TEST_F(MarkerStripTest, AMarkerLetGoOutsideTheStripOrWhereItWasChangesNothing) {
  std::string before = MarkerOrder();
  // Over 1201 inside the strip, then far below it: back at its own time when let go.
  Press(Point{StripV(), int16_t(X(901) + 2)},
        {Point{StripV(), int16_t(X(1201) + 2)}, Point{int16_t(strip_.bottom + 40), int16_t(X(1201) + 2)}});
  EXPECT_EQ(MarkerOrder(), before);
  EXPECT_FALSE(CanUndo()) << "an unchanged time is no step";
  // Within 5 pixels below the strip the marker still follows.
  Press(Point{StripV(), int16_t(X(901) + 2)}, {Point{int16_t(strip_.bottom + 4), int16_t(X(1201) + 2)}}, 3000);
  EXPECT_NE(MarkerOrder(), before);
}

TEST_F(MarkerStripTest, AClickBesideTheMarkersOrADoubleClickOnOneOpensTheMarkerDialog) {
  Press(Point{StripV(), X(601)}, {Point{StripV(), X(601)}});
  EXPECT_FALSE(gDialogHit);
  EXPECT_EQ(gDialogIndex, -1);
  EXPECT_EQ(gDialogTick, SnapTimeToGrid(XToTime(X(601)), 0, true, true, nullptr));
  std::string before = MarkerOrder();
  Point on{StripV(), int16_t(X(901) + 2)};
  Press(on, {on}, 5000);
  gDialogIndex = -2;
  Press(on, {on}, 5010);  // the second click of a double-click
  EXPECT_TRUE(gDialogHit);
  EXPECT_EQ(gDialogIndex, 1);
  EXPECT_EQ(MarkerOrder(), before);
}

TEST_F(EditorRoutesTest, TabGoesFromMarkerToMarkerOfTheTabKindsAndShiftTabBack) {
  UseSong(97, 6, 8, 40);
  gZoomLevel = 2;
  gTimelineLeftTick = 1;
  ASSERT_EQ(noErr, AddMarker(PName("Intro").data(), 301, 0, 0, 0));
  ASSERT_EQ(noErr, AddMarker(PName("Verse").data(), 901, 1, 0, 0));
  ASSERT_EQ(noErr, AddMarker(PName("Tempo").data(), 1201, 2, 0, 0));
  ASSERT_EQ(noErr, AddMarker(PName("Coda").data(), uint32_t(BarToTick(30)), 1, 0, 0));
  gMarkerWindowIndex = -1;
  AppWindow* savedSlot = *GetWindowSlot(kMainEditorWindowKind);
  *GetWindowSlot(kMainEditorWindowKind) = &gMainEditorRecord;  // the editor is open
  const uint32_t coda = uint32_t(BarToTick(30));
  struct Step { uint16_t modifiers; uint32_t position; int32_t index; };
  // The kind-2 marker is passed over both ways; past the last marker, and before the first,
  // the position stays.
  const Step steps[] = {{0, 301, 0},         {0, 901, 1},        {0, coda, 3},       {0, coda, 3},
                        {shiftKey, 901, 1},  {shiftKey, 301, 0}, {shiftKey, 301, 0}};
  SetLocatePoint(1);
  for (const Step& s : steps) {
    Key(9, s.modifiers);
    EXPECT_EQ(GetPanePlayPosition(), s.position) << s.index;
    EXPECT_EQ(gMarkerWindowIndex, s.index);
    EXPECT_TRUE(IsTickVisible(int32_t(s.position))) << "the editor shows the marker";
    // Only the marker gone to carries the mark (the plain marker has no flag byte).
    for (int32_t n = 1; n < CountMarkers(); ++n)
      EXPECT_EQ((MarkerFlags(GetMarkerAt(n)) & kMarkerVisited) != 0, n == s.index) << n;
  }
  // Shift-Tab from behind the last marker goes back to it, whatever the window showed last.
  SetLocatePoint(coda + 500);
  Key(9, shiftKey);
  EXPECT_EQ(GetPanePlayPosition(), coda);
  *GetWindowSlot(kMainEditorWindowKind) = savedSlot;
  SetLocatePoint(1);
  ScrollToShowTick(1);  // the left sample position goes back too
}

TEST_F(EditorRoutesTest, TheToolBarDrawsTheChosenToolPressedWhereItsClickPicksIt) {
  UseSong(480, 4, 4, 8);
  Draw();
  for (int16_t tool : {int16_t(kPencilTool), int16_t(kPaintTool), int16_t(kAuditionTool)}) {
    SelectEditTool(tool);
    DrawToolButtons();
    for (int16_t other = 0; other < kEditToolCount; ++other) {
      Rect cell = GetToolCellRect(other);
      Point middle{int16_t((cell.top + cell.bottom) / 2), int16_t(cell.left + 3)};
      EXPECT_EQ(ToolAtToolbarPoint(middle), other);
      uint32_t inside = Pixel(cell.left + 2, cell.top + 2);
      EXPECT_EQ(inside == 0, other == tool) << "tool " << other << " with " << tool << " chosen";
    }
  }
}

}  // namespace
}  // namespace editors_test

namespace editors_test {
namespace {

TEST_F(EditorRoutesTest, TheWindowsUpdateDrawsTheToolBarAboveTheStrips) {
  gPaneTopMargin = 73;
  UseSong(480, 4, 4, 8);
  DrawMainEditorWindow();
  SetPortWindowPort(gMainEditorRecord.window);
  Rect cell = GetToolCellRect(kArrowTool);
  EXPECT_EQ(Pixel(cell.left + 2, cell.top + 2), 0u) << "the chosen tool is drawn pressed";
  for (int16_t tool = kPencilTool; tool < kEditToolCount; ++tool) {
    Rect other = GetToolCellRect(tool);
    EXPECT_EQ(Pixel(other.left, other.top + 3), 0u) << "the frame of tool " << tool;
    EXPECT_NE(Pixel(other.left + 2, other.top + 2), 0u) << "tool " << tool << " is not chosen";
  }
}

}  // namespace
}  // namespace editors_test
