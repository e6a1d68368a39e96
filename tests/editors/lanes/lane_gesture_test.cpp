// The lane tools as the user drives them: a press in a lane pane of the main editor, the mouse
// moved along a path by the host input, the release. The pencil's flat Option line, the
// single click, and the curve tool as one undoable step; the lane title they work under.
#include <string>
#include <vector>

#include "editors/lanes/lane_columns.h"
#include "editors/lanes/lane_drawing.h"
#include "editors/lanes/lane_tools.h"
#include "editors/note_entry/editor_clicks.h"
#include "editors/panes/pane_stack.h"
#include "editors/timeline/lane_values.h"
#include "editors/timeline/timeline_axis.h"
#include "editors/toolbar/toolbar_layout.h"
#include "platform/events/host_input.h"
#include "platform/events/key_codes.h"
#include "platform/memory/memory.h"
#include "platform/quickdraw/text.h"
#include "platform/windows/windows.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/drawing/screen_bounds.h"
#include "shell/drawing/text_drawing.h"
#include "shell/windows/editor_panes.h"
#include "song/events/seq_event.h"
#include "song/model/utility_track_access.h"
#include "song/undo/undo_exchange.h"
#include "song/undo/undo_ring.h"
#include "tests/editors/pane_fixture.h"

namespace {

// The host input of a drag: one move per pump call along the path, then the release.
std::vector<Point> gPath;
size_t gPathStep = 0;
UInt32 gPathModifiers = 0;  // held through the drag
Rect gFrame;
Point Global(Point p) { return Point{int16_t(p.v + gFrame.top), int16_t(p.h + gFrame.left)}; }
void PathPump(EventTime) {
  if (gPathStep < gPath.size()) PostHostMouseEvent(kEventMouseMoved, Global(gPath[gPathStep]), 1, gPathModifiers);
  else if (gPathStep == gPath.size()) PostHostMouseEvent(kEventMouseUp, Global(gPath.back()), 1, gPathModifiers);
  ++gPathStep;
}

class LaneGestureTest : public editors_test::PaneDrawingTest {
 protected:
  void SetUp() override {
    PaneDrawingTest::SetUp();
    ASSERT_EQ(noErr, AllocateUndoRing(8));
    ResetUndoHistory();
    editors_test::UseTimebase(480, 6, 8);
    gZoomLevel = 3;
    AddTrack(1, editors_test::NoteRecords({}));
    AddPane(1, 0);
    gEditorPanes[0].viewMode = uint8_t(kLaneController + kLaneViewModeOffset);
    SelectPaneForDrawing(0);
    gLaneController = 7;
    GetWindowBounds(gMainEditorRecord.window, kWindowContentRgn, &gFrame);
    SetPortWindowPort(gMainEditorRecord.window);
    LoadLaneEventRect();
    lane_ = gScratchRect;
    // One column per pixel of the desktop; until the lane is built from the track the
    // columns hold no values.
    savedDesktop_ = gDesktopBounds;
    gDesktopBounds = Rect{0, 0, 800, 4096};
    gLaneColumns.values.assign(4096, kNoLaneValue);
    gLaneColumns.channels.assign(4096, 0);
  }
  void TearDown() override {
    SetHostEventPump(nullptr);
    FlushEvents(everyEvent, 0);
    ResetHostInputState();
    gLaneColumns = LaneColumns();
    gDesktopBounds = savedDesktop_;
    gLaneTool = kArrowTool;
    PaneDrawingTest::TearDown();
  }
  // A press at from, moves along path, release at its end.
  void Drag(Point from, const std::vector<Point>& path, bool option = false) {
    gPathModifiers = option ? optionKey : 0;
    PostHostMouseEvent(kEventMouseDown, Global(from), 1, gPathModifiers);
    gPath = path.empty() ? std::vector<Point>{from} : path;
    gPathStep = 0;
    SetHostEventPump(PathPump);
    HandleLaneClick(from, nullptr);
    SetHostEventPump(nullptr);
    FlushEvents(everyEvent, 0);
    ResetHostInputState();
  }
  Point At(int16_t dx, int16_t fromBottom) { return Point{int16_t(lane_.bottom - fromBottom), int16_t(lane_.left + dx)}; }
  // The controller values of the track in time order.
  std::vector<int> Values() {
    std::vector<int> out;
    Handle list = GetCurrentTrackEventList();
    if (!list) return out;
    for (auto* e = reinterpret_cast<uint8_t*>(HandleData(list)); SeqEventTime(e) != 0; e += GetSeqEventLength(e))
      if (SeqEventKind(e) == kKindController && e[kEventData1] == 7) out.push_back(e[kEventData2]);
    return out;
  }
  Rect lane_{};
  Rect savedDesktop_{};
};

TEST_F(LaneGestureTest, ASingleClickWritesOneEventAtTheClickColumn) {
  gLaneTool = kPencilTool;
  Point p = At(40, 30);
  Drag(p, {});
  std::vector<int> values = Values();
  ASSERT_EQ(1u, values.size());
  Handle list = GetCurrentTrackEventList();
  EXPECT_EQ(uint32_t(XToTime(p.h)), SeqEventTime(reinterpret_cast<uint8_t*>(HandleData(list))));
}

TEST_F(LaneGestureTest, OptionDrawsAFlatLineAtThePressValue) {
  gLaneTool = kPencilTool;
  std::vector<Point> rising;
  for (int16_t i = 1; i <= 30; ++i) rising.push_back(At(int16_t(20 + 3 * i), int16_t(10 + 2 * i)));
  Drag(At(20, 10), rising, true);
  std::vector<int> flat = Values();
  ASSERT_EQ(1u, flat.size()) << "a run of equal values is one event";

  ASSERT_EQ(noErr, UndoLastEdit());
  EXPECT_TRUE(Values().empty());
  gLaneColumns.values.assign(4096, kNoLaneValue);  // the empty lane as the columns rebuild it
  Drag(At(20, 10), rising);  // without Option the line follows the mouse upward
  std::vector<int> line = Values();
  ASSERT_GT(line.size(), 5u);
  EXPECT_EQ(flat[0], line[0]);
  for (size_t i = 1; i < line.size(); ++i) EXPECT_GT(line[i], line[i - 1]) << i;
}

TEST_F(LaneGestureTest, TheCurveIsOneUndoableStep) {
  gLaneTool = kRectangleTool;  // the curve tool, orientation 0
  std::vector<Point> path{At(60, 40), At(100, 60), At(140, 80)};
  uint32_t before = gUndoRing->current;
  Drag(At(20, 10), path);
  EXPECT_EQ(NextUndoIndex(before), gUndoRing->current) << "the gesture opened exactly one step";
  EXPECT_EQ(kUndoKindLaneEdit, GetCurrentUndoKind());
  std::vector<int> curve = Values();
  ASSERT_GT(curve.size(), 5u);
  EXPECT_LE(curve.back(), LaneYToValue(path.back().v, 127, 0));
  ASSERT_EQ(noErr, UndoLastEdit());
  EXPECT_TRUE(Values().empty()) << "one Undo takes the whole curve back";
  ASSERT_EQ(noErr, RedoEdit());
  EXPECT_EQ(curve, Values()) << "and one Redo brings it all again";
}

TEST_F(LaneGestureTest, AClickOnAProgramChangesCircleFindsThatEvent) {
  std::vector<uint8_t> list(2 * kShortEventSize + kEndRecordSize, 0);
  FillShortEvent(&list[0], 97, 0xC0, 40, 128);
  FillShortEvent(&list[kShortEventSize], 481, 0xC1, 90, 128);
  AddTrack(2, list);
  gEditorPanes[0].track = 2;
  gEditorPanes[0].viewMode = uint8_t(kLaneProgram + kLaneViewModeOffset);
  SelectPaneForDrawing(0);
  LoadLaneEventRect();
  const struct {
    uint32_t tick;
    int value;
    int16_t dx, dy;
    int32_t offset;
  } clicks[] = {{97, 40, 0, 0, 0},  {97, 40, 3, -3, 0},  {481, 90, -2, 2, kShortEventSize},
                {97, 40, 4, 0, -1}, {97, 40, 0, 4, -1}, {481, 40, 0, 0, -1}};
  for (const auto& c : clicks) {
    Point p{int16_t(ValueToLaneY(c.value, 128) + c.dy), int16_t(TimeToX(int32_t(c.tick), gTimelineLeftTick) + c.dx)};
    EXPECT_EQ(c.offset, HitTestProgramEvent(p)) << c.tick << " " << c.dx << "," << c.dy;
  }
}

// The lane title in the info strip: the controller lane draws its number, a full stop and the
// controller's name, so the text runs past "7."; the plug-in parameter lane draws the
// parameter's name (without a plug-in, the unnamed text and the number).
TEST_F(LaneGestureTest, TheLaneTitleNamesTheControllerAndTheParameter) {
  SetSmallTextFont();
  const unsigned char number[] = {2, '7', '.'};
  int32_t numberWidth = StringWidth(number);
  RestoreDefaultTextFont();
  Point o = GetToolbarOrigin();
  Rect box{int16_t(o.v + kLaneTitleTop), int16_t(o.h + kLaneTitleLeft), int16_t(o.v + kLaneTitleTop + kLaneTitleHeight),
           int16_t(o.h + kLaneTitleLeft + kLaneTitleWidth - 1)};
  for (int32_t kind : {kLaneController, kLanePluginParameter}) {
    gEditorPanes[0].viewMode = uint8_t(kind + kLaneViewModeOffset);
    SelectPaneForDrawing(0);
    gLaneController = kind == kLaneController ? 7 : 0;
    Draw();
    DrawLaneTitle();
    int32_t rightmost = -1;
    for (int32_t x = box.left; x < box.right; ++x)
      for (int32_t y = box.top; y < box.bottom; ++y)
        if (Pixel(x, y) != 0xFFFFFFu) rightmost = x;
    int32_t least = kind == kLaneController ? box.left + 2 + numberWidth + 2 : box.left + 2;
    EXPECT_GE(rightmost, least) << "lane kind " << kind;
  }
}

}  // namespace
