// The strips above the panes and the lines in them: bar lines, beat and subdivision lines and
// ruler labels lie at the pixels the time axis gives through meter changes, at odd resolutions
// and extreme zooms; the marker strip shows the song's markers at their ticks.
#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "editors/panes/grid_lines.h"
#include "editors/panes/pane_colours.h"
#include "editors/panes/pane_stack.h"
#include "editors/rulers/bar_ruler.h"
#include "editors/rulers/marker_strip.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/memory/memory.h"
#include "platform/quickdraw/text.h"
#include "shell/drawing/row_metrics.h"
#include "shell/windows/editor_panes.h"
#include "shell/windows/window_appearance.h"
#include "platform/memory/byte_order.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/markers.h"
#include "song/conductor/timebase.h"
#include "song/model/song_context.h"
#include "song/model/song_database.h"
#include "song/model/song_layout.h"
#include "editors/main_editor_window.h"
#include "song/model/track_length.h"
#include "song/model/utility_track_access.h"
#include "tests/editors/pane_fixture.h"

namespace editors_test {
namespace {

// A length-prefixed copy of text.
struct PText {
  explicit PText(const std::string& text) {
    bytes[0] = uint8_t(text.size());
    std::copy(text.begin(), text.end(), bytes + 1);
  }
  Str255 bytes{};
};

struct Meter {
  int32_t bar;  // the first bar of the meter
  int32_t numerator, denominator;
};

class RulerTest : public PaneDrawingTest {
 protected:
  // A colour table in which every entry has a colour of its own.
  void SetUp() override {
    PaneDrawingTest::SetUp();
    constexpr int16_t kEntries = 72;
    Handle table = NewHandle(8 + 8 * kEntries);
    uint8_t* p = reinterpret_cast<uint8_t*>(HandleData(table));
    WriteU16BE(p + 6, uint16_t(kEntries - 1));
    for (int16_t i = 0; i < kEntries; ++i) {
      uint8_t* e = p + 8 + 8 * i;
      WriteU16BE(e, uint16_t(i));
      WriteU16BE(e + 2, uint16_t((20 + 3 * i) << 8));
      WriteU16BE(e + 4, uint16_t((90 + i) << 8));
      WriteU16BE(e + 6, uint16_t((200 - i) << 8));
    }
    savedTable_ = gStyleColourTable;
    gStyleColourTable = table;
  }
  void TearDown() override {
    DisposeHandle(gStyleColourTable);
    gStyleColourTable = savedTable_;
    SetGridFlagsSource(nullptr);
    gNoteRowStyle = kPianoRowLines;
    gNoteGridLines = 1;
    gTicksPerQuarter = 960;
    gConductorState = ConductorState();
    gConductorState.ticksPerBeat = 0;
    ApplyTimebase();
    PaneDrawingTest::TearDown();
  }

  // A song of bars bars at resolution with the meters, one empty pane, rows without lines.
  void MakeSong(int32_t resolution, const std::vector<Meter>& meters, uint32_t bars) {
    gTicksPerQuarter = resolution;
    gConductorState = ConductorState();
    gConductorState.ticksPerBeat = 0;
    ApplyTimebase();
    ResetSongDatabase();
    barTicks_.clear();
    int32_t tick = 1;
    size_t m = 0;
    int32_t perBar = 0;
    for (int32_t bar = 0; bar <= int32_t(bars); ++bar) {
      if (m < meters.size() && meters[m].bar == bar) {
        SetTimeSignature(meters[m].numerator, meters[m].denominator);
        ASSERT_EQ(noErr, StoreMeterAt(tick));
        perBar = meters[m].numerator * (4 * resolution / meters[m].denominator);
        numerators_.push_back(meters[m].numerator);
        ++m;
      }
      barTicks_.push_back(tick);
      barNumerator_.push_back(meters[m - 1].numerator);
      tick += perBar;
    }
    SongHeaderView(gCurrentSong).SetBars(bars);
    gNoteRowStyle = kNoRowLines;
    AddTrack(0, NoteRecords({}));
    AddPane(0, 48);
    Rect window;
    GetWindowPortBounds(gMainEditorRecord.window, &window);
    LayoutEditorToolbar(window);
  }
  int32_t X(int32_t tick) { return gTimelineFrame.originX + ((int64_t(tick) - gTimelineLeftTick) >> gZoomLevel); }
  Rect PaneRect() {
    Rect r;
    GetPaneContentRect(0, &r);
    return r;
  }
  // The x of every pixel of row y between left and right in colour rgb.
  std::set<int32_t> Columns(int32_t y, int32_t left, int32_t right, uint32_t rgb) {
    std::set<int32_t> xs;
    for (int32_t x = left; x < right; ++x)
      if (Pixel(x, y) == rgb) xs.insert(x);
    return xs;
  }
  uint32_t Colour(int16_t n) { return Rgb(PaneColour(n, RGBColor{0, 0, 0})); }

  std::vector<int32_t> barTicks_, barNumerator_, numerators_;
  CTabHandle savedTable_ = nullptr;
};

TEST_F(RulerTest, BarLinesLieAtTheBarEndsThroughMeterChangesAtEveryZoom) {
  ASSERT_NE(Colour(kBarLineColour), Colour(kPaneBackColour));
  struct Case {
    int32_t resolution;
    std::vector<Meter> meters;
    int16_t zoom;
    int32_t leftTick;
  };
  const Case cases[] = {
      {960, {{0, 4, 4}}, 3, 1},          {960, {{0, 6, 8}, {2, 7, 8}, {3, 4, 4}}, 3, 1},
      {97, {{0, 6, 8}, {3, 7, 8}}, 0, 1}, {97, {{0, 4, 4}, {1, 7, 8}}, 2, 200},
      {960, {{0, 6, 8}, {5, 4, 4}}, 8, 1}, {960, {{0, 4, 4}}, 12, 1},
      {960, {{0, 7, 8}}, 0, 3000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.resolution << " zoom " << c.zoom << " left " << c.leftTick);
    MakeSong(c.resolution, c.meters, 400);
    gZoomLevel = c.zoom;
    gTimelineLeftTick = c.leftTick;
    gNoteGridLines = 0;
    Draw();
    Rect pane = PaneRect();
    std::set<int32_t> expected;
    for (size_t b = 0; b + 1 < barTicks_.size(); ++b) {
      int32_t left = X(barTicks_[b]), right = X(barTicks_[b + 1]);
      if (barTicks_[b] > GetTimelineRightTick()) break;
      bool wide = right - left > barNumerator_[b];
      if ((wide || (b + 1) % BarsPerLabel(c.zoom) == 0) && right >= pane.left && right < pane.right) expected.insert(right);
    }
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(Columns(pane.top + 20, pane.left, pane.right, Colour(kBarLineColour)), expected);
  }
}

TEST_F(RulerTest, BeatAndSubdivisionLinesFollowTheMeterAndTheGrid) {
  ASSERT_NE(Colour(kBeatLineColour), Colour(kSubdivisionLineColour));
  struct Case {
    int32_t resolution;
    Meter meter;
    int16_t zoom;
    bool triplet;
    int32_t step, code;  // the chosen step in ticks and the subdivision lines after each beat
  };
  const Case cases[] = {
      {97, {0, 4, 4}, 0, false, 24, 3},   // 24 pixels: quarters of a beat
      {960, {0, 6, 8}, 3, false, 120, 3}, // an eighth of 480 ticks in quarters of 15 pixels
      {960, {0, 4, 4}, 0, false, 60, 15}, // 240 pixels: halved twice down to the sixty-fourth
      {960, {0, 4, 4}, 3, true, 320, 3},  // triplets: thirds of 40 pixels
      {960, {0, 4, 4}, 5, false, 480, 1}, // 7.5 pixels: halves of a beat
      {960, {0, 4, 4}, 7, false, 960, 0}, // too narrow for halves: beats only
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.resolution << " zoom " << c.zoom << " triplet " << c.triplet);
    MakeSong(c.resolution, {c.meter}, 400);
    SetGridFlagsSource(c.triplet ? +[]() -> uint32_t { return kGridTripletBit; } : nullptr);
    gZoomLevel = c.zoom;
    gTimelineLeftTick = 1;
    gNoteGridLines = 1;
    SeekMeterChangeAt(1, &gConductorState);
    GridStep g = ChooseGridStep(c.zoom, gConductorState);
    EXPECT_EQ(g.ticks, c.step);
    EXPECT_EQ(g.code, c.code);
    Draw();
    Rect pane = PaneRect();
    int32_t y = pane.top + 20;
    // The second bar: its beats after the first in the beat pen, subdivisions between them.
    int32_t beat = 4 * c.resolution / c.meter.denominator, bar = barTicks_[1];
    for (int32_t b = 1; b < c.meter.numerator && X(bar + b * beat) < pane.right; ++b)
      EXPECT_EQ(Pixel(X(bar + b * beat), y), Colour(kBeatLineColour)) << b;
    for (int32_t b = 0; b < c.meter.numerator; ++b)
      for (int32_t k = 1; k <= c.code && k * c.step < beat && X(bar + b * beat + k * c.step) < pane.right; ++k)
        EXPECT_EQ(Pixel(X(bar + b * beat + k * c.step), y), Colour(kSubdivisionLineColour)) << b << " " << k;
  }
}

TEST_F(RulerTest, TheGridStepStaysFiniteAtEveryZoomAndResolution) {
  for (int32_t resolution : {1, 2, 3, 97, 960}) {
    MakeSong(resolution, {{0, 7, 8}}, 40);
    gNoteGridLines = 1;
    for (int16_t zoom = kLowestZoomLevel; zoom <= 24; ++zoom) {
      gZoomLevel = zoom;
      SeekMeterChangeAt(1, &gConductorState);
      GridStep g = ChooseGridStep(zoom, gConductorState);
      EXPECT_GE(g.ticks, 1) << resolution << " " << zoom;
      EXPECT_LT(g.code, 64) << resolution << " " << zoom;
      Draw();  // every coordinate clamped: no wrap, no endless walk
    }
  }
}

TEST_F(RulerTest, LabelsFrameTheirBarsAndEveryFourthBarAtZoomEight) {
  Rect ruler;
  for (int16_t zoom : {3, 8}) {
    SCOPED_TRACE(zoom);
    MakeSong(960, {{0, 4, 4}, {2, 6, 8}}, 400);
    gZoomLevel = zoom;
    Draw();
    DrawMainRuler();
    ruler = GetMainRulerRect(GetMainWindowRight());
    uint32_t pen = Colour(kRulerLineColour);
    for (int32_t b = 0; b < 12; ++b) {
      int32_t x = X(barTicks_[b]);
      if (x >= ruler.right - 16) break;
      bool labelled = zoom < 7 || b % 4 == 0;
      EXPECT_EQ(Pixel(x, ruler.top + 3) == pen, labelled) << b;
      EXPECT_EQ(Pixel(x, ruler.bottom - 2), pen) << b;  // every bar has its tick
    }
  }
  // The label text of the first bar at zoom 3: dark pixels inside the frame.
  gZoomLevel = 3;
  Draw();
  DrawMainRuler();
  Rect label{int16_t(ruler.top + 1), int16_t(X(1) + 1), int16_t(ruler.bottom - 5), int16_t(X(1) + 14)};
  EXPECT_GT(Count(label, Colour(kRulerLineColour)) + Count(label, 0), 0);
}

TEST_F(RulerTest, TheRulersAreRedrawnInTheEditorsPortAndTheCallersPortStays) {
  MakeSong(97, {{0, 6, 8}}, 20);
  gZoomLevel = 2;
  ShowWindow(gMainEditorRecord.window);
  Draw();  // the panes into the test's world, the rulers not
  Rect ruler = GetMainRulerRect(GetMainWindowRight());
  uint32_t pen = Colour(kRulerLineColour);
  RedrawEditorRulers();
  CGrafPtr port = nullptr;
  GDHandle device = nullptr;
  GetGWorld(&port, &device);
  EXPECT_EQ(world_, port) << "the caller's port was not put back";
  EXPECT_EQ(0, Count(ruler, pen)) << "the rulers went into the caller's port";
  SetPortWindowPort(gMainEditorRecord.window);  // every bar's tick, in the window's own pixels
  int16_t y = int16_t(ruler.bottom - 2);
  uint32_t tick = Pixel(X(barTicks_[0]), y);
  EXPECT_NE(tick, Pixel(X(barTicks_[0]) + 3, y));
  for (int32_t b = 1; b < 4; ++b) EXPECT_EQ(tick, Pixel(X(barTicks_[b]), y)) << b;
  SetGWorld(world_, nullptr);
}

TEST_F(RulerTest, TheToolBarGetsItsFullHeightWhileTheRulerKeepsALine) {
  struct Case {
    int16_t fontLine, extra;  // the standard line is the font's line + extra
    int16_t toolbarHeight;
  };
  // The shell's margin: 42 + 2 x the font's line + 7.
  const Case cases[] = {{13, 0, 44}, {13, 2, 40}, {13, 3, 40}, {11, 5, 38}};
  Rect window{0, 0, 400, 600};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.fontLine) + "+" + std::to_string(c.extra));
    gStandardLineHeight = int16_t(c.fontLine + c.extra);
    gPaneTopMargin = int16_t(42 + 2 * c.fontLine + 7);
    LayoutEditorToolbar(window);
    EXPECT_EQ(c.toolbarHeight, gEditorLayout.toolbar.bottom - gEditorLayout.toolbar.top);
    Rect ruler = GetMainRulerRect(600);
    EXPECT_GE(ruler.bottom - ruler.top, gStandardLineHeight) << "the ruler lost its line";
  }
  gEditorLayout = EditorLayout();
}

TEST_F(RulerTest, ASongShorterThanTheViewEndsWithItsEndLine) {
  MakeSong(97, {{0, 6, 8}}, 3);
  gZoomLevel = 1;
  Draw();
  DrawMainRuler();
  Rect ruler = GetMainRulerRect(GetMainWindowRight());
  int32_t end = X(barTicks_[3]);
  ASSERT_LT(end + 2, ruler.right);
  uint32_t pen = Colour(kRulerLineColour);
  EXPECT_EQ(Pixel(end + 2, ruler.top + 2), pen);
  EXPECT_EQ(Pixel(end + 2, ruler.bottom - 2), pen);
  // Nothing at all right of the end line.
  Rect beyond{ruler.top, int16_t(end + 4), ruler.bottom, ruler.right};
  EXPECT_EQ(Count(beyond, pen), 0);
  EXPECT_EQ(Count(beyond, 0), 0);
  // A song whose longest track loops goes on past its end: labels, and no end line.
  AddTrack(1, NoteRecords({}));
  WriteU32BE(gCurrentTrack + kTrackTickLength, uint32_t(barTicks_[1]));
  gCurrentTrack[kTrackFlags] |= kTrackFlag40;
  SelectTrackNumber(0);
  WriteU32BE(gCurrentTrack + kTrackTickLength, uint32_t(barTicks_[1] - 1));  // shorter, not looping
  ASSERT_TRUE(TestLongestTrackFlag());
  Draw();
  DrawMainRuler();
  EXPECT_GT(Count(beyond, pen), 0) << "no labels past the end";
  EXPECT_NE(Pixel(end + 2, ruler.bottom - 2), pen);
}

TEST_F(RulerTest, WithoutAMeterMapNothingIsDrawnAndNoLockIsLeft) {
  MakeSong(960, {{0, 4, 4}}, 40);
  Handle map = SongHeaderView(gCurrentSong).ConductorMap();
  ASSERT_TRUE(map);
  Draw();
  DrawMainRuler();
  EXPECT_FALSE(IsHandleLocked(map));
  Rect ruler = GetMainRulerRect(GetMainWindowRight());
  SongHeaderView(gCurrentSong).SetConductorMap(Handle());
  Draw();
  DrawMainRuler();
  EXPECT_EQ(Count(Rect{int16_t(ruler.top), ruler.left, int16_t(ruler.bottom - 1), ruler.right}, Colour(kRulerLineColour)), 0);
  SongHeaderView(gCurrentSong).SetConductorMap(map);
}

TEST_F(RulerTest, CounterBoxesAreSizedByTheDigitsOfTheNumber) {
  MakeSong(960, {{0, 4, 4}}, 40);
  int16_t eight = CharWidth('8');
  for (auto [number, digits] : std::vector<std::pair<int32_t, int32_t>>{{0, 1}, {9, 1}, {10, 2}, {99999, 5}}) {
    Rect box{0, 10, 12, 0};
    int16_t w = SizeCounterBox(&box, number);
    EXPECT_EQ(w, digits * eight) << number;
    EXPECT_EQ(box.right, 10 + w + w / 4) << number;
  }
}

TEST_F(RulerTest, TheBarLabelIsHitInsideItsPennantOnly) {
  MakeSong(960, {{0, 4, 4}}, 40);
  gZoomLevel = 8;
  Rect ruler = GetMainRulerRect(GetMainWindowRight());
  int32_t x = X(barTicks_[4]);  // bar 5 carries the label of bars 5..8
  Rect box{ruler.top, int16_t(x), ruler.bottom, 0};
  SizeCounterBox(&box, 5);
  EXPECT_EQ(HitTestRuler(Point{int16_t(ruler.top + 1), int16_t(x + 1)}), 1);
  EXPECT_EQ(gBarLabelHit, 255);
  EXPECT_EQ(HitTestRuler(Point{int16_t(ruler.top + 1), int16_t(X(barTicks_[6]) + 1)}), 1);
  EXPECT_EQ(gBarLabelHit, 0);  // the label of bar 5 spans bar 7, its pennant does not
  HitTestRuler(Point{int16_t(ruler.bottom - 1), int16_t(box.right - 1)});
  EXPECT_EQ(gBarLabelHit, 0);  // the cut corner
  EXPECT_EQ(HitTestRuler(Point{int16_t(ruler.top - 1), int16_t(x + 1)}), 0);
}

TEST_F(RulerTest, MarkersAreDrawnAndHitAtTheirTicksOnlyInsideTheView) {
  MakeSong(97, {{0, 6, 8}}, 400);
  gZoomLevel = 2;
  gTimelineLeftTick = 50;
  int32_t right = GetTimelineRightTick();
  ASSERT_EQ(noErr, AddMarker(PText("Pickup").bytes, 20, 0, 0, 0));
  ASSERT_EQ(noErr, AddMarker(PText("Intro").bytes, 301, 0, 0, 0));
  ASSERT_EQ(noErr, AddMarker(PText("Verse").bytes, 901, 0, 0, 0));
  ASSERT_EQ(noErr, AddMarker(PText("Coda").bytes, uint32_t(right + 400), 0, 0, 0));
  Draw();
  DrawMarkerStrip(-1);
  Rect strip = GetMarkerStripRect(GetMainWindowRight());
  uint32_t ink = Colour(kMarkerTextColour);
  int32_t y = strip.top + 2;
  std::set<int32_t> lines = Columns(y, gTimelineFrame.originX, GetMainWindowRight(), ink);
  EXPECT_EQ(lines, (std::set<int32_t>{X(301), X(901)}));
  int32_t index = -1;
  Rect label;
  EXPECT_EQ(HitTestMarkers(Point{int16_t(y), int16_t(X(901) + 3)}, &index, &label), 1);
  EXPECT_EQ(index, 2);
  EXPECT_EQ(label.left, X(901));
  EXPECT_EQ(HitTestMarkers(Point{int16_t(y), int16_t(X(301) - 2)}, &index, &label), 0);
  // The marker beyond the right edge is not hit even where its label would lie (clamped x).
  EXPECT_EQ(HitTestMarkers(Point{int16_t(y), int16_t(GetMainWindowRight() - 1)}, &index, &label), 0);
}

TEST_F(RulerTest, SelectedMarkersAreDrawnAgainInBold) {
  MakeSong(960, {{0, 4, 4}}, 400);
  ASSERT_EQ(noErr, AddMarker(PText("WWWW").bytes, 1000, 1, 0, 0));
  Draw();
  DrawMarkerStrip(0);
  Rect strip = GetMarkerStripRect(GetMainWindowRight());
  Rect text{int16_t(strip.top + 1), int16_t(X(1000) + 1), strip.bottom, int16_t(X(1000) + 60)};
  int plain = Count(text, Colour(kMarkerTextColour));
  GetMarkerAt(0)[kMarkerFlagsOffset] |= kMarkerSelected;
  Draw();
  DrawMarkerStrip(0);
  EXPECT_GT(Count(text, Colour(kMarkerTextColour)), plain);
}

}  // namespace
}  // namespace editors_test
