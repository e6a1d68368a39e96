// The main editor drawn and tested with the mouse at every zoom level of the timeline (the
// audio levels too), at odd resolutions and with the view at tick 1 and at the end of the
// 32-bit tick range: each note lies where the axis puts it, nothing from far away wraps into
// view, and the hit test answers only a note that is under the mouse.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "editors/main_editor_window.h"
#include "editors/note_drawing/bent_notes.h"
#include "editors/note_entry/grid_snapping.h"
#include "editors/note_drawing/note_boxes.h"
#include "editors/panes/pane_stack.h"
#include "editors/panes/selection_hilite.h"
#include "editors/rulers/bar_ruler.h"
#include "editors/selection/event_hit_test.h"
#include "editors/timeline/click_state.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/windows/windows.h"
#include "shell/base/event_records.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"
#include "song/conductor/sample_position.h"
#include "song/conductor/timebase.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "tests/editors/pane_fixture.h"

namespace editors_test {
namespace {

constexpr int64_t kLastTick = 0x7fffffff;
constexpr int16_t kWidestZoomLevel = 12;  // the widest level any resolution zooms out to

// One note per row and channel: at the start, in the middle and at the end of the range (the
// last two running past it).
const std::vector<Note> kSweepNotes = {
    {1, 70, 0xFFFF, 0},
    {2, 72, 0, 1},
    {1000, 74, 480, 2},
    {0x3fffffff, 76, 100, 3},
    {uint32_t(kLastTick - 70000), 78, 0xFFFF, 4},
    {uint32_t(kLastTick - 10), 80, 0xFFFF, 5},
    {uint32_t(kLastTick - 1), 82, 1, 6},
};

struct Span {
  int64_t left, right;
};

class ZoomSweepTest : public PaneDrawingTest {
 protected:
  void SetUp() override {
    PaneDrawingTest::SetUp();
    ShowWindow(gMainEditorRecord.window);
  }
  void TearDown() override {
    gTimeSelection = TimeSelection();
    gTimelineLeftSample = 0;
    PaneDrawingTest::TearDown();
    ChangeResolutionTo(kDefaultTicksPerQuarter);
  }

  // A fresh song at resolution with the sweep's notes, its bars running to the range's end.
  void MakeSong(int32_t resolution) {
    ChangeResolutionTo(resolution);
    AddTrack(0, NoteRecords(kSweepNotes));
    AddPane(0, 48);
    SongHeaderView(gCurrentSong).SetBars(uint32_t(MaxBarsInTimeline()));
    SongHeaderView(gCurrentSong).SetEndTick(uint32_t(kLastTick));
    windowRight_ = GetMainWindowRight();
  }

  // The view at level with the start of the range at the left edge, or the end of the range
  // about 100 pixels left of the right edge.
  void Place(int16_t level, bool nearEnd) {
    gZoomLevel = level;
    gEditorPanes[0].editorData[kPaneRedrawFlag] = 1;
    if (level >= 0) {
      int64_t span = int64_t(windowRight_ - 16 - 100 - gTimelineFrame.originX) << level;
      gTimelineLeftTick = nearEnd ? int32_t(std::max<int64_t>(1, kLastTick - span)) : 1;
      return;
    }
    int64_t pixels = int64_t(windowRight_ - 16 - 100 - gTimelineFrame.originX);
    int64_t samples = level == kLowestZoomLevel ? pixels / 4 : pixels << (level + 5);
    int64_t end = TickToSamplePosition(int32_t(kLastTick), Rate());
    gTimelineLeftSample = nearEnd ? uint64_t(std::max<int64_t>(0, end - samples)) : 0;
    gTimelineLeftTick = int32_t(std::max<uint32_t>(SamplePositionToTick(int64_t(gTimelineLeftSample), Rate()), 1));
  }

  float Rate() const { return gTimeSelection.start.rate > 0 ? gTimeSelection.start.rate : kDefaultSampleRate; }

  // The x of a tick as the axis defines it, ticks past the range held at its end.
  int64_t ExpectedX(int64_t tick) const {
    tick = std::clamp<int64_t>(tick, 1, kLastTick);
    int64_t d;
    if (gZoomLevel >= 0) {
      d = (tick - gTimelineLeftTick) >> gZoomLevel;
    } else {
      int64_t samples = TickToSamplePosition(int32_t(tick), Rate()) - int64_t(gTimelineLeftSample);
      d = gZoomLevel == kLowestZoomLevel ? samples * 4 : samples >> (gZoomLevel + 5);
    }
    return std::clamp<int64_t>(gTimelineFrame.originX + d, -kQDCoordLimit, kQDCoordLimit);
  }

  Span NoteSpan(const Note& n) const {
    Span s{ExpectedX(n.tick), ExpectedX(int64_t(n.tick) + n.duration)};
    if (s.right - s.left + 1 < 3) s.right = s.left + 2;
    return s;
  }

  // The middle row of the note's box (the fixture's rows; its x is for the tick levels only).
  int16_t RowY(const Note& n) {
    int16_t level = gZoomLevel;
    gZoomLevel = 0;
    Rect r = ExpectedNoteRect(n, 0);
    gZoomLevel = level;
    return int16_t((r.top + r.bottom) / 2);
  }

  void DrawWindow() {
    Draw();  // the port, then the whole update of the panes and rulers into it
    Rect bounds;
    GetWindowPortBounds(gMainEditorRecord.window, &bounds);
    LayoutEditorToolbar(bounds);
    DrawEditorPanesAndRulers(true);
    SelectPaneForDrawing(0);
  }

  // Each note's colour lies only inside its box, and shows where its box meets the event area;
  // a bent note (a line to one pixel before its end) only where it is 3 pixels wide or more.
  void CheckNotePixels(bool bent = false) {
    int16_t areaRight = int16_t(windowRight_ - 16);
    for (const Note& n : kSweepNotes) {
      SCOPED_TRACE(testing::Message() << "note at " << n.tick);
      Span s = NoteSpan(n);
      uint32_t colour = Rgb(gChannelColors[n.channel]);
      int16_t y = RowY(n);
      int stray = 0;
      for (int16_t x = gTimelineFrame.originX; x < areaRight; ++x)
        stray += Pixel(x, y) == colour && (x < s.left || x >= s.right);
      EXPECT_EQ(stray, 0);
      int64_t from = std::max<int64_t>(s.left, gTimelineFrame.originX), to = std::min<int64_t>(s.right, areaRight);
      if (from < to - (bent ? 2 : 0)) EXPECT_EQ(Pixel(int32_t((from + to) / 2), y), colour);
    }
  }

  // Across every note's row: the snapped time stays near the pointer's, and a hit names a whole note record of the list whose box (as the hit
  // test widens it) holds the mouse; at the tick levels a point well inside a box always hits.
  void CheckHitTests() {
    uint32_t listBytes = uint32_t(NoteRecords(kSweepNotes).size());
    for (const Note& row : kSweepNotes) {
      int16_t y = RowY(row);
      for (int16_t x = int16_t(gTimelineFrame.originX - 3); x < windowRight_; ++x) {
        gLastMousePoint = Point{y, x};
        gClickX = x;
        int16_t hit = HitTestEditorEvents(kHitNotes, nullptr);
        int32_t snapped = SnappedTimeAtX(x);
        ASSERT_GE(snapped, 1);
        if (gZoomLevel >= 0) ASSERT_LE(std::abs(int64_t(snapped) - XToTime(x)), 2 * int64_t(gTicksPerQuarter) * 4);
        Span s = NoteSpan(row);
        bool inside = gZoomLevel >= 0 && x > std::max<int64_t>(s.left, gTimelineFrame.originX) && x < s.right - 2 &&
                      x < windowRight_ - 16;
        if (inside) EXPECT_EQ(hit, kHitNotes) << "x " << x << " row " << int(row.pitch);
        if (hit != kHitNotes) continue;
        ASSERT_GE(gHitEventOffset, 0);
        ASSERT_EQ(gHitEventOffset % kLongEventSize, 0);
        ASSERT_LT(uint32_t(gHitEventOffset) + kEndRecordSize, listBytes + 1);
        const Note& found = kSweepNotes[size_t(gHitEventOffset / kLongEventSize)];
        Span f = NoteSpan(found);
        EXPECT_EQ(found.pitch, row.pitch) << "x " << x;
        EXPECT_GE(x, std::max<int64_t>(f.left, gTimelineFrame.originX - 2)) << "x " << x;
        EXPECT_LT(x, std::max<int64_t>(f.right, std::max<int64_t>(f.left, gTimelineFrame.originX - 2) + 1)) << "x " << x;
      }
    }
  }

  // The ruler's label test and the time selection's rectangle along the whole width.
  void CheckRulerAndSelection() {
    Rect ruler = GetMainRulerRect(windowRight_);
    for (int16_t x = 0; x < windowRight_; ++x) {
      HitTestRuler(Point{int16_t((ruler.top + ruler.bottom) / 2), x});
      ASSERT_TRUE(gBarLabelHit == 0 || gBarLabelHit == 255);
    }
    Rect pane;
    GetPaneContentRect(0, &pane);
    for (const Note& n : {kSweepNotes.front(), kSweepNotes.back()}) {
      gTimeSelection.start.tick = n.tick;
      gTimeSelection.end.tick = uint32_t(std::min<int64_t>(int64_t(n.tick) + n.duration + 1, kLastTick));
      gTimeSelection.start.sample = uint64_t(TickToSamplePosition(int32_t(gTimeSelection.start.tick), Rate()));
      gTimeSelection.end.sample = uint64_t(TickToSamplePosition(int32_t(gTimeSelection.end.tick), Rate()));
      SetScratchToSelection();
      EXPECT_GE(gScratchRect.left, pane.left);
      EXPECT_LE(gScratchRect.left, gScratchRect.right);
      EXPECT_LE(gScratchRect.right, pane.right);
    }
    gTimeSelection = TimeSelection();
  }

  int16_t windowRight_ = 0;
};

struct SweepCase {
  int32_t resolution;
  bool nearEnd;
};

class ZoomSweepCases : public ZoomSweepTest, public testing::WithParamInterface<SweepCase> {};

TEST_P(ZoomSweepCases, EveryLevelDrawsAndHitsOnlyWhatIsThere) {
  MakeSong(GetParam().resolution);
  ASSERT_EQ(gTicksPerQuarter, GetParam().resolution);
  for (int16_t level = kLowestZoomLevel; level <= kWidestZoomLevel; ++level) {
    SCOPED_TRACE(testing::Message() << "level " << level);
    Place(level, GetParam().nearEnd);
    DrawWindow();
    CheckNotePixels();
    CheckHitTests();
    CheckRulerAndSelection();
  }
}

TEST_P(ZoomSweepCases, BentNotesStayInTheirBoxesAtEveryLevel) {
  MakeSong(GetParam().resolution);
  gCurrentTrack[kTrackOutputFlags] |= kTrackBendDisplay;
  for (int16_t level = kLowestZoomLevel; level <= kWidestZoomLevel; ++level) {
    SCOPED_TRACE(testing::Message() << "level " << level);
    Place(level, GetParam().nearEnd);
    DrawWindow();
    ASSERT_TRUE(IsBendDisplayOn());
    CheckNotePixels(true);
  }
}

INSTANTIATE_TEST_SUITE_P(Resolutions, ZoomSweepCases,
                         testing::Values(SweepCase{1, false}, SweepCase{1, true}, SweepCase{7, false},
                                         SweepCase{7, true}, SweepCase{96, false}, SweepCase{96, true},
                                         SweepCase{480, false}, SweepCase{480, true}, SweepCase{15360, false},
                                         SweepCase{15360, true}),
                         [](const testing::TestParamInfo<SweepCase>& info) {
                           return std::to_string(info.param.resolution) + (info.param.nearEnd ? "_AtTheEnd" : "_AtTheStart");
                         });

}  // namespace
}  // namespace editors_test
