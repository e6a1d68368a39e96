// Clicks on the main editor tool bar's value fields and buttons through the editor's click
// dispatch: zoom, bend and 'R', the note-value and channel pop-ups, the dragged number fields;
// and the note readout following the pointer in the idle pass.
#include "editors/toolbar/toolbar_clicks.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "editors/editor_hooks.h"
#include "editors/editor_idle.h"
#include "editors/key_command_hooks.h"
#include "editors/lanes/lane_scale.h"
#include "editors/note_drawing/bent_notes.h"
#include "editors/note_drawing/note_boxes.h"
#include "editors/note_entry/editor_clicks.h"
#include "editors/note_entry/grid_snapping.h"
#include "editors/note_entry/note_pencil.h"
#include "editors/note_entry/note_readout.h"
#include "editors/note_entry/note_values.h"
#include "editors/panes/pane_stack.h"
#include "editors/rulers/bar_ruler.h"
#include "editors/selection/event_hit_test.h"
#include "editors/timeline/timeline_axis.h"
#include "editors/toolbar/toolbar_layout.h"
#include "mixer/meters/instrument_meters.h"
#include "platform/events/classic_events.h"
#include "platform/events/host_input.h"
#include "platform/quickdraw/ports.h"
#include "platform/windows/windows.h"
#include "shell/base/event_records.h"
#include "shell/dialogs/drawn_popups.h"
#include "shell/dialogs/value_fields.h"
#include "shell/drawing/row_metrics.h"
#include "shell/windows/editor_panes.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/timebase.h"
#include "song/events/event_lists.h"
#include "song/events/time_selection.h"
#include "platform/memory/byte_order.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/instrument_volumes.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/events/seq_event.h"
#include "song/model/track_settings.h"
#include "shell/base/app_state.h"
#include "tests/test_support.h"
#include "tests/editors/pane_fixture.h"

namespace editors_test {
namespace {

// The host input of one press: moved along a path (global points) and let go at its end, or,
// once a drawn pop-up is shown, let go over its item gPopUpItem.
std::vector<Point> gPath;
size_t gPathStep = 0;
int32_t gPopUpItem = -1;
// The value drag reads the mouse many times between its waits: its path steps only when it
// waits.
bool gStepOnWaitsOnly = false;

void PressPump(EventTime maxWait) {
  if (gPopUpItem >= 0 && !EmptyRect(&gPopUp.window)) {
    int16_t lh = gPopUp.lineHeight;
    Point at{int16_t(gPopUp.window.top + gPopUpItem * lh + lh / 2), int16_t(gPopUp.window.left + 5)};
    PostHostMouseEvent(kEventMouseMoved, at, 1, 0);
    PostHostMouseEvent(kEventMouseUp, at, 1, 0);
    gPopUpItem = -1;
    return;
  }
  if (gPopUpItem >= 0 || gPath.empty() || (gStepOnWaitsOnly && maxWait <= 0)) return;
  if (gPathStep < gPath.size()) PostHostMouseEvent(kEventMouseMoved, gPath[gPathStep], 1, 0);
  else if (gPathStep == gPath.size()) PostHostMouseEvent(kEventMouseUp, gPath.back(), 1, 0);
  ++gPathStep;
}

class ToolbarClickTest : public PaneDrawingTest {
 protected:
  void SetUp() override {
    PaneDrawingTest::SetUp();
    gPaneTopMargin = 73;  // the tool bar's 40 pixels above the marker strip and the ruler
    UseTimebase(97, 6, 8);
    AddTrack(1, NoteRecords({{1, 60, 40}}));
    ASSERT_EQ(noErr, CreateEditorPane(int16_t(gPaneTopMargin + gStandardLineHeight + 4), true, 1));
    SetPaneScroll(0, 48);
    gNoteTool = gLaneTool = 0;
    gCurrentViewMode = 0;
    InstallEditorHooks();
    ShowWindow(gMainEditorRecord.window);
    SelectWindow(gMainEditorRecord.window);
    SetPortWindowPort(gMainEditorRecord.window);
    Rect window;
    GetWindowPortBounds(gMainEditorRecord.window, &window);
    LayoutEditorToolbar(window);
    Point origin = GetToolbarOrigin();
    gEditorToolbarLeft = origin.h;
    gEditorToolbarTop = origin.v;
    gPopUp.window = Rect{};
    CreatePlaceholderAppWindow(&gPopUpPortWindow, &gPopUpPortRecord, kPopUpPortKind, "", Rect{0, 0, 10, 10});
    FlushEvents(everyEvent, 0);
  }
  void TearDown() override {
    SetHostEventPump(nullptr);
    FlushEvents(everyEvent, 0);
    ResetHostInputState();
    gEditorClickRoutes = EditorClickRoutes();
    gKeyCommandHooks = KeyCommandHooks();
    gReadoutMode = 0;
    gNoteReadoutBox = Rect{};
    gEditorLayout = EditorLayout();
    PaneDrawingTest::TearDown();
  }
  Point Global(Point local) {
    QDLocalToGlobalPoint(GetWindowPort(gMainEditorRecord.window), &local);
    return local;
  }
  Point Middle(ToolbarField field) {
    Rect r = GetToolbarFieldRect(field);
    return Point{int16_t((r.top + r.bottom) / 2), int16_t((r.left + r.right) / 2)};
  }
  // A press at from along path (local points), released at its end; or, with item >= 0, a
  // press that lets go over that item of the pop-up it opens.
  void Press(Point from, const std::vector<Point>& path, int32_t item = -1, uint16_t modifiers = 0) {
    gPath.clear();
    for (Point p : path) gPath.push_back(Global(p));
    gPathStep = 0;
    gPopUpItem = item;
    gPopUp.window = Rect{};
    ASSERT_EQ(noErr, PostHostMouseEvent(kEventMouseDown, Global(from), 1, 0));
    SetHostEventPump(PressPump);
    EventRecord e{};
    ASSERT_TRUE(GetNextEvent(mDownMask, &e));  // taken as the event loop takes it: the button is down
    e.modifiers = modifiers;
    gLastMousePoint = from;
    HandleEditorClick(&gMainEditorRecord, from, &e);
    SetHostEventPump(nullptr);
    FlushEvents(everyEvent, 0);
    ResetHostInputState();
  }
  void ClickOn(ToolbarField field) { Press(Middle(field), {Middle(field)}); }
};

TEST_F(ToolbarClickTest, ZoomButtonsStepTheLevelWithinItsRangeOnlyWhenReleasedInside) {
  struct Case { int32_t resolution; int16_t start; ToolbarField button; bool inside; int16_t expected; };
  const Case cases[] = {
      {97, 3, kZoomInButton, true, 2},   {97, 3, kZoomOutButton, true, 4},
      {97, 0, kZoomInButton, true, 0},   // no pane allows sample zoom
      {96, 9, kZoomOutButton, true, 9},  {97, 12, kZoomOutButton, true, 12},
      {24, 7, kZoomOutButton, true, 7},  {97, 3, kZoomOutButton, false, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.resolution << " level " << c.start << " button " << c.button);
    gTicksPerQuarter = c.resolution;
    gZoomLevel = c.start;
    Point from = Middle(c.button);
    Point release = c.inside ? from : Point{int16_t(from.v + 200), from.h};
    Press(from, {release});
    EXPECT_EQ(gZoomLevel, c.expected);
  }
  gEditorPanes[0].viewMode = 9;  // an audio pane allows the sample levels down to -6
  gZoomLevel = -5;
  ClickOn(kZoomInButton);
  EXPECT_EQ(gZoomLevel, -6);
  ClickOn(kZoomInButton);
  EXPECT_EQ(gZoomLevel, -6);
}

TEST_F(ToolbarClickTest, ZoomingKeepsAVisibleSelectionStartNearItsPixelWithTheLeftEdgeOnABar) {
  gTicksPerQuarter = 97;
  int32_t barLength = BarToTick(2) - BarToTick(1);
  for (ToolbarField button : {kZoomInButton, kZoomOutButton}) {
    SCOPED_TRACE(testing::Message() << "level " << gZoomLevel << " button " << button);
    gZoomLevel = 4;
    gTimelineLeftTick = BarToTick(3);
    gTimeSelection.start.tick = uint32_t(BarToTick(5) + 130);
    gTimeSelection.end.tick = gTimeSelection.start.tick + 50;
    int32_t start = int32_t(gTimeSelection.start.tick);
    int32_t oldX = TimeToX(start, gTimelineLeftTick);
    ClickOn(button);
    ASSERT_NE(gZoomLevel, 4);
    EXPECT_EQ(BarToTick(TickToBar(gTimelineLeftTick)), gTimelineLeftTick) << "the left edge lies on a bar line";
    int32_t halfBarPixels = ((barLength / 2) >> gZoomLevel) + 1;
    EXPECT_LE(std::abs(TimeToX(start, gTimelineLeftTick) - oldX), halfBarPixels);
  }
  gTimeSelection.start.tick = gTimeSelection.end.tick = uint32_t(BarToTick(400));  // far outside: left as it was
  gZoomLevel = 4;
  gTimelineLeftTick = BarToTick(3);
  ClickOn(kZoomInButton);
  EXPECT_EQ(gTimelineLeftTick, BarToTick(3));
  gTimeSelection = TimeSelection();
}

TEST_F(ToolbarClickTest, TheBendButtonTogglesTheTracksBendDisplayAndRTheTemplate) {
  ASSERT_FALSE(IsBendDisplayOn());
  ClickOn(kBendButton);
  EXPECT_TRUE(IsBendDisplayOn());
  Press(Middle(kBendButton), {Point{300, 300}});  // let go outside: nothing
  EXPECT_TRUE(IsBendDisplayOn());
  ClickOn(kBendButton);
  EXPECT_FALSE(IsBendDisplayOn());
  // The view's tools are applied again: the velocity tool shows the velocities.
  gNoteTool = kVelocityTool;
  gShowVelocity = 0;
  ClickOn(kBendButton);
  EXPECT_TRUE(IsBendDisplayOn());
  EXPECT_NE(gShowVelocity, 0);
  gNoteTool = kArrowTool;

  static int resets = 0;
  resets = 0;
  gKeyCommandHooks.resetEventTemplate = [] { ++resets; };
  ClickOn(kResetTemplateButton);
  EXPECT_EQ(resets, 1);
}

TEST_F(ToolbarClickTest, TheNoteValuePopUpSetsTheNoteValueOrWithCommandTheGrid) {
  Press(Middle(kNoteValuePopUpField), {}, 3);  // eighth
  EXPECT_EQ(GetNoteValue(), NoteValueOfMask(1u << 3));
  EXPECT_EQ(gNoteValueState.gridValue, 0);
  EXPECT_EQ(gNoteValueState.noteIndex, 3);
  Press(Middle(kNoteValuePopUpField), {}, 4, cmdKey);  // a sixteenth grid, the note value kept
  EXPECT_EQ(GetNoteValue(), NoteValueOfMask(1u << 3));
  EXPECT_EQ(gNoteValueState.gridValue, NoteValueOfMask(1u << 4));
  EXPECT_EQ(GetSnapGrid(), NoteValueOfMask(1u << 4));
  Press(Middle(kNoteValuePopUpField), {}, 3, cmdKey);  // the grid equal to the note value: none
  EXPECT_EQ(gNoteValueState.gridValue, 0);
  Press(Middle(kNoteValuePopUpField), {Point{350, 300}});  // no choice: nothing changes
  EXPECT_EQ(GetNoteValue(), NoteValueOfMask(1u << 3));
}

// The pop-up opens with its current row over the field, not where the pop-up window last was.
TEST_F(ToolbarClickTest, TheNoteValuePopUpOpensOverItsFieldEveryTime) {
  Rect field = GetToolbarFieldRect(kNoteValuePopUpField);
  Point corner = Global(Point{field.top, field.left});
  Press(Middle(kNoteValuePopUpField), {}, 0);  // the first value current: its row on top
  for (int round = 0; round < 2; ++round) {
    Press(Middle(kNoteValuePopUpField), {}, 0);
    ASSERT_FALSE(EmptyRect(&gPopUp.window)) << "round " << round;
    EXPECT_EQ(gPopUp.window.left + gPopUp.margin, corner.h) << "round " << round;
    EXPECT_EQ(gPopUp.window.top + gPopUp.margin, corner.v) << "round " << round;
  }
}

TEST_F(ToolbarClickTest, TheChannelPopUpSetsTheTracksChannel) {
  ASSERT_EQ(noErr, SetTrackChannel(2));
  Press(Middle(kChannelField), {}, 9);  // shown 10
  EXPECT_EQ(GetTrackChannel(), 9);
  EXPECT_EQ(gNoteEntryChannel, 9) << "new notes do not take the chosen channel";
  Press(Middle(kChannelField), {}, 15);
  EXPECT_EQ(GetTrackChannel(), 15);
  EXPECT_EQ(gNoteEntryChannel, 15);
  SetCurrentChannel(0);
}

TEST_F(ToolbarClickTest, OptionOnTheChannelEditsItsColourAndAnUnplayableAudioTrackHasNoChannelChoice) {
  const RGBColor saved = gChannelColors[6];
  const uint16_t savedState = gAppState[0];
  ASSERT_EQ(noErr, SetTrackChannel(6));
  gAppState[0] |= kAppWord0ColourDrawing;
  {
    zarin_test::ScopedEnv reply("ZARIN_COLOR_REPLY", "ff8000;-");
    Press(Middle(kChannelField), {Middle(kChannelField)}, -1, optionKey);
    EXPECT_EQ(0xFFFF, gChannelColors[6].red);
    EXPECT_EQ(0x8080, gChannelColors[6].green);
    EXPECT_EQ(0, gChannelColors[6].blue);
    EXPECT_EQ(6, GetTrackChannel()) << "the colour picker changed the channel";
    Press(Middle(kChannelField), {Middle(kChannelField)}, -1, optionKey);  // cancelled
    EXPECT_EQ(0x8080, gChannelColors[6].green);
  }
  gAppState[0] &= uint16_t(~kAppWord0ColourDrawing);
  Press(Middle(kChannelField), {}, 3, optionKey);  // without colour drawing: the pop-up
  EXPECT_EQ(3, GetTrackChannel());
  gCurrentTrack[kTrackOutputKind] = kAudioTrackOutputKind;  // its audio is not ready
  Press(Middle(kChannelField), {}, 11);
  EXPECT_EQ(3, GetTrackChannel()) << "an audio track that cannot play chose a channel";
  gCurrentTrack[kTrackOutputKind] = 0;
  Press(Middle(kChannelField), {}, 11);
  EXPECT_EQ(11, GetTrackChannel());
  gChannelColors[6] = saved;
  gAppState[0] = savedState;
}

TEST_F(ToolbarClickTest, DraggingAFieldUpRaisesItsValueWithinItsRange) {
  struct Case { ToolbarField field; std::function<int32_t()> value; int32_t start; int32_t lowest, highest; };
  const Case cases[] = {
      {kSwingField, [] { return int32_t(gSwingPercent); }, 50, 20, 80},
      {kVelocityField, [] { return int32_t(gNoteEntryVelocity); }, 75, 0, 127},
      {kLengthPercentField, [] { return int32_t(gNoteLengthPercent); }, 100, 1, 200},
      {kNoteTicksField, [] { return GetNoteValue(); }, 97, 1, 9999},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field);
    Point from = Middle(c.field);
    gStepOnWaitsOnly = true;
    std::vector<Point> up;
    for (int k = 1; k <= 12; ++k) up.push_back(Point{int16_t(from.v - 4 * k), from.h});
    int32_t before = c.value();
    EXPECT_EQ(before, c.start);
    Press(from, up);
    int32_t after = c.value();
    EXPECT_GT(after, before);
    EXPECT_LE(after, c.highest);
    std::vector<Point> down;
    for (int k = 1; k <= 40; ++k) down.push_back(Point{int16_t(from.v + 8 * k), from.h});
    Press(from, down);
    EXPECT_LT(c.value(), after);
    EXPECT_GE(c.value(), c.lowest);
    gStepOnWaitsOnly = false;
  }
}

// The strip elements the instrument window was asked to redraw, as (index, element).
std::vector<std::pair<int32_t, int16_t>> gRedrawnElements;

TEST_F(ToolbarClickTest, VolumeAndPanFieldsAreThereOnlyWhileTheTrackPlaysItsInstrument) {
  ASSERT_EQ(noErr, CreateInstrumentTable(2, 0));
  gRedrawnElements.clear();
  const InstrumentMeterPlaces keptPlaces = gInstrumentMeterPlaces;
  gInstrumentMeterPlaces.redrawElement = [](int32_t index, int16_t element) {
    gRedrawnElements.emplace_back(index, element);
  };
  WriteU16BE(gCurrentTrack + kTrackInstruments, uint16_t(1 << 8));  // instrument 1
  uint8_t* inst = GetInstrumentRecord(1);
  SetInstrumentVolume(inst, 90);
  inst[kInstPan] = 64;
  gStepOnWaitsOnly = true;
  auto dragUp = [&](ToolbarField field) {
    Point from = Middle(field);
    std::vector<Point> up;
    for (int k = 1; k <= 8; ++k) up.push_back(Point{int16_t(from.v - 4 * k), from.h});
    Press(from, up);
  };
  dragUp(kVolumeField);
  dragUp(kPanField);
  EXPECT_EQ(GetInstrumentVolume(inst), 90) << "no fields for a track that does not play its instrument";
  EXPECT_EQ(inst[kInstPan], 64);
  gCurrentTrack[kTrackFlags] |= kTrackFlagPlaysInstrument;
  dragUp(kVolumeField);
  dragUp(kPanField);
  EXPECT_GT(GetInstrumentVolume(inst), 90);
  EXPECT_LE(GetInstrumentVolume(inst), 127);
  EXPECT_GT(inst[kInstPan], 64);
  using Redrawn = std::pair<int32_t, int16_t>;
  for (Redrawn shown : {Redrawn{1, kStripVolumeValueElement}, Redrawn{1, kStripFaderElement},
                        Redrawn{1, kStripPanValueElement}, Redrawn{1, kStripKnobElement}})
    EXPECT_NE(std::find(gRedrawnElements.begin(), gRedrawnElements.end(), shown), gRedrawnElements.end())
        << "the strip shows the new value: element " << shown.second;
  gInstrumentMeterPlaces = keptPlaces;
  gStepOnWaitsOnly = false;
  DisposeInstrumentTable();
}

TEST_F(ToolbarClickTest, TheReadoutFollowsThePointerByTheReadoutMode) {
  gNoteReadoutBox = GetReadoutBoxRect();
  SelectPaneForDrawing(0);
  int16_t y = int16_t(PitchRowY(64) + 1);
  int32_t bar = BarToTick(1);  // the pointer just after the second bar line, a quarter grid
  int16_t x = int16_t(TimeToX(bar, gTimelineLeftTick) + 1);
  SetTrackChannel(0);
  std::vector<uint8_t> saved(gEventTemplate, gEventTemplate + kLongEventSize);
  gEventTemplate[kEventData1] = 70;
  SetSeqEventTime(gEventTemplate, 1000);
  struct Case { int16_t mode; int32_t value; int32_t time; };
  const Case cases[] = {{0, 64, bar}, {1, 70, bar}, {5, 70, bar}, {2, 64, 1000}};
  int16_t dx = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    gReadoutMode = c.mode;
    ++dx;  // the pointer moved: the readout is composed afresh
    ASSERT_EQ(noErr, PostHostMouseEvent(kEventMouseMoved, Global(Point{y, int16_t(x + dx)}), 0, 0));
    EditorIdle();
    EXPECT_EQ(gReadoutLastValue, c.value);
    EXPECT_EQ(gReadoutLastTime, c.time);
  }
  gReadoutLastValue = -7;  // the pointer did not move: the last answer stands
  EXPECT_EQ(UpdateReadoutAtMouse(), -7);
  std::copy(saved.begin(), saved.end(), gEventTemplate);
}

// Over a data lane the readout shows the lane's value at the pointer; over the note rows it
// shows none.
TEST_F(ToolbarClickTest, TheReadoutShowsTheLaneValueAtThePointer) {
  gNoteReadoutBox = GetReadoutBoxRect();
  Rect lane;
  GetPaneContentRect(0, &lane);
  lane.bottom = int16_t(lane.bottom - 1);
  int16_t x = int16_t(gTimelineFrame.originX + 40);
  gEditorPanes[0].viewMode = 3;  // the controller lane: 0..127
  struct Case { int16_t y; const char* shown; };
  // (The lane's top row lies above the pane's first row, under the divider.)
  const Case cases[] = {{int16_t((lane.top + lane.bottom - 4) / 2), "64"}, {int16_t(lane.bottom - 4), "0"}};
  int16_t dx = 0;
  for (const Case& c : cases) {
    gLaneReadoutShown.number[0] = 0;
    ASSERT_EQ(noErr, PostHostMouseEvent(kEventMouseMoved, Global(Point{c.y, int16_t(x + ++dx)}), 0, 0));
    EditorIdle();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(gLaneReadoutShown.number + 1), gLaneReadoutShown.number[0]),
              c.shown) << c.y;
  }
  gEditorPanes[0].viewMode = 0;
  gLaneReadoutShown.number[0] = 0;
  ASSERT_EQ(noErr, PostHostMouseEvent(kEventMouseMoved, Global(Point{lane.top, int16_t(x + ++dx)}), 0, 0));
  EditorIdle();
  EXPECT_EQ(gLaneReadoutShown.number[0], 0) << "the note rows show no lane value";
}

// The left column of a data lane's pane holds its scale labels.
TEST_F(ToolbarClickTest, ALanePaneShowsItsScaleInTheLeftColumn) {
  gEditorPanes[0].viewMode = 3;
  Rect lane;
  GetPaneContentRect(0, &lane);
  Rect column{lane.top, 0, int16_t(lane.bottom - 1), int16_t(gTimelineFrame.originX - 2)};
  auto pixels = [&] {
    std::vector<uint32_t> all;
    for (int16_t v = column.top; v < column.bottom; ++v)
      for (int16_t h = column.left; h < column.right; ++h) all.push_back(Pixel(h, v));
    return all;
  };
  SetLaneScaleColumnProc(nullptr);
  Draw();
  std::vector<uint32_t> bare = pixels();
  InstallLaneScaleHooks();
  Draw();
  std::vector<uint32_t> labelled = pixels();
  int width = column.right - column.left, changed = 0, changedNearTop = 0;
  for (size_t i = 0; i < bare.size(); ++i) {
    if (bare[i] == labelled[i]) continue;
    ++changed;
    if (int(i) / width < 8) ++changedNearTop;  // the label of 128 at the lane's top
  }
  EXPECT_GT(changed, 40) << "five labels: 0, 32, 64, 96 and 128";
  EXPECT_GT(changedNearTop, 0);
  gEditorPanes[0].viewMode = 0;
}

}  // namespace
}  // namespace editors_test
