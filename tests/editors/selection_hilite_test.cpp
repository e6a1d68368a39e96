// The time selection's rectangle in a pane: held inside the pane at every zoom, over the rows
// of the pitch range in note views, and inverted where it lies.
#include "editors/note_drawing/note_boxes.h"
#include "editors/panes/pane_stack.h"
#include "editors/panes/selection_hilite.h"
#include "editors/timeline/timeline_axis.h"
#include "shell/drawing/row_metrics.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/windows/editor_panes.h"
#include "song/events/time_selection.h"
#include "tests/editors/pane_fixture.h"

namespace editors_test {
namespace {

class SelectionHiliteTest : public PaneDrawingTest {
 protected:
  void SetUp() override {
    PaneDrawingTest::SetUp();
    AddTrack(0, NoteRecords({}));
    AddPane(0, 48);
    SelectPaneForDrawing(0);
  }
  void TearDown() override {
    gTimeSelection = TimeSelection();
    ResetSelectionPitchRange();
    PaneDrawingTest::TearDown();
  }
  // A selection by ticks alone: no sample positions left over from an earlier test.
  void Select(uint32_t start, uint32_t end) {
    gTimeSelection = TimeSelection();
    gTimeSelection.start.tick = start;
    gTimeSelection.end.tick = end;
  }
  Rect Pane() {
    Rect r;
    GetPaneContentRect(0, &r);
    return r;
  }
  int64_t X(int64_t tick) { return gTimelineFrame.originX + ((tick - gTimelineLeftTick) >> gZoomLevel); }
};

TEST_F(SelectionHiliteTest, TheRectangleStaysInsideThePaneAtEveryZoom) {
  struct Case {
    int16_t zoom;
    int32_t leftTick;
    uint32_t start, end;
  };
  const Case cases[] = {
      {3, 1, 801, 1601},          // inside
      {3, 4001, 801, 4801},       // starts left of the pane
      {0, 1, 401, 4000001},       // ends right of it
      {0, 1, 401, 401},           // no selection: one pixel wide
      {24, 1, 1, 0x7fffffff},     // the widest zoom
      {0, 1, 0x7ffffff0, 0x7fffffff},  // far right of the view
  };
  Rect pane = Pane();
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.zoom << " " << c.leftTick << " " << c.start << ".." << c.end);
    gZoomLevel = c.zoom;
    gTimelineLeftTick = c.leftTick;
    Select(c.start, c.end);
    SetScratchToSelection();
    Rect r = gScratchRect;
    EXPECT_GE(r.left, pane.left);
    EXPECT_LE(r.right, pane.right);
    EXPECT_LE(r.left, r.right);
    EXPECT_GE(r.top, pane.top);
    EXPECT_LE(r.bottom, pane.bottom);
    int64_t left = std::clamp<int64_t>(X(c.start), pane.left, pane.right);
    int64_t right = std::clamp<int64_t>(c.end > c.start ? X(c.end) : X(c.start) + 1, pane.left, pane.right);
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.right, right);
  }
}

TEST_F(SelectionHiliteTest, NoteViewsHiliteTheRowsOfThePitchRangeOnly) {
  Select(401, 1201);
  gFilterLowNote = 60;
  gFilterHighNote = 64;
  SetScratchToSelection();
  EXPECT_EQ(gScratchRect.top, PitchRowY(64) - 1);
  EXPECT_EQ(gScratchRect.bottom, PitchRowY(60) + gNoteMetric + 1);
  EXPECT_TRUE(ResetSelectionPitchRange());
  EXPECT_FALSE(ResetSelectionPitchRange());
  SetScratchToSelection();
  Rect pane = Pane();
  EXPECT_EQ(gScratchRect.top, std::max<int32_t>(PitchRowY(127) - 1, pane.top));
  // Hilited: the pane's white under the rectangle turns black, and nothing outside it.
  gNoteRowStyle = kNoRowLines;
  HideBarAndGridLines();
  Draw();
  gFilterLowNote = 60;
  gFilterHighNote = 64;
  HiliteSelection();
  Rect r = gScratchRect;
  EXPECT_EQ(Count(r, 0), (r.right - r.left) * (r.bottom - r.top));
  Rect above{int16_t(pane.top + 1), r.left, r.top, r.right};  // below the divider line
  EXPECT_EQ(Count(above, 0), 0);
}

}  // namespace
}  // namespace editors_test
