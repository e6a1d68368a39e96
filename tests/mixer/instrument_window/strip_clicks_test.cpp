// Mouse tracking of the instrument strips, driven through the host input: a shift-drag of a
// fader moves the selected strips by the distance the mouse went, however many moves it took.
#include "mixer/instrument_window/strip_clicks.h"

#include <gtest/gtest.h>

#include <vector>

#include "mixer/instrument_window/strip_geometry.h"
#include "mixer/instrument_window/strip_order.h"
#include "mixer/instrument_window/strip_values.h"
#include "platform/controls/controls.h"
#include "platform/quickdraw/ports.h"
#include "shell/windows/window_scroll_bars.h"
#include "shell/windows/window_sizing.h"
#include "platform/events/classic_events.h"
#include "platform/events/host_input.h"
#include "shell/base/event_records.h"
#include "song/instruments/instrument_volumes.h"
#include "tests/mixer/instrument_window/strip_fixture.h"

namespace {

using strip_test::StripTest;

// The host input of one drag: moved along a path (global points), let go at its end.
std::vector<Point> gPath;
size_t gPathStep = 0;

void DragPump(EventTime) {
  if (gPathStep < gPath.size()) PostHostMouseEvent(kEventMouseMoved, gPath[gPathStep], 1, 0);
  else if (gPathStep == gPath.size()) PostHostMouseEvent(kEventMouseUp, gPath.back(), 1, 0);
  ++gPathStep;
}

class StripClickTest : public StripTest {
 protected:
  void TearDown() override {
    SetHostEventPump(nullptr);
    FlushEvents(everyEvent, 0);
    ResetHostInputState();
    gLastEvent = EventRecord{};
    StripTest::TearDown();
  }
  // Drags the current strip's fader from global point `from` up by each of `rises` in turn.
  void DragFader(Point from, const std::vector<int16_t>& rises, uint16_t modifiers) {
    gPath.clear();
    for (int16_t rise : rises) gPath.push_back(Point{int16_t(from.v - rise), from.h});
    gPathStep = 0;
    ASSERT_EQ(noErr, PostHostMouseEvent(kEventMouseDown, from, 1, 0));
    EventRecord e{};
    ASSERT_TRUE(GetNextEvent(mDownMask, &e));
    gLastEvent = e;
    gLastEvent.modifiers = modifiers;
    GetMouse(&gLastMousePoint);
    SetHostEventPump(DragPump);
    TrackInstrumentFader();
    SetHostEventPump(nullptr);
  }
};

TEST_F(StripClickTest, AShiftDragOfAnUnselectedFaderMovesTheSelectedStripsByTheMouseDistance) {
  MakeWindow(3, 0, 1000);
  const int32_t start[] = {50, 40, 20};
  for (int32_t i = 0; i < 3; ++i) SetInstrumentVolume(GetInstrumentRecord(i), start[i]);
  SetStripSelected(0, true);
  SetStripSelected(2, true);
  gCurrentInstrument = 1;
  const Point from{200, 100};
  DragFader(from, {4, 9, 15, 22, 30}, shiftKey);
  const int32_t moved = FaderValueForMouse(40, from.v, int16_t(from.v - 30)) - 40;
  ASSERT_GT(moved, 5);
  EXPECT_EQ(GetInstrumentVolume(GetInstrumentRecord(0)), 50 + moved);
  EXPECT_EQ(GetInstrumentVolume(GetInstrumentRecord(2)), 20 + moved);
  EXPECT_EQ(GetInstrumentVolume(GetInstrumentRecord(1)), 40) << "the dragged strip is not selected";
}

TEST_F(StripClickTest, APlainDragSetsTheStripToTheMousePosition) {
  MakeWindow(2, 0, 1000);
  SetInstrumentVolume(GetInstrumentRecord(0), 70);
  SetInstrumentVolume(GetInstrumentRecord(1), 40);
  gCurrentInstrument = 1;
  const Point from{200, 100};
  DragFader(from, {10, 25, 12}, 0);
  EXPECT_EQ(GetInstrumentVolume(GetInstrumentRecord(1)), FaderValueForMouse(40, from.v, int16_t(from.v - 12)));
  EXPECT_EQ(GetInstrumentVolume(GetInstrumentRecord(0)), 70) << "an unlinked neighbour keeps its volume";
}

TEST_F(StripClickTest, AStripDraggedWhileTheWindowScrollsLandsByItsDisplayOrder) {
  MakeWindow(6, 0, 54 + 5 * 35);  // three instrument strips shown
  ASSERT_EQ(CountShownInstrumentStrips(), 3);
  SetStripSelected(0, true);
  Rect barRect{300, 0, 315, 200};
  gInstrumentWindowRecord.hScrollBar =
      NewControl(gInstrumentWindowRecord.window, &barRect, nullptr, false, 0, 0, 3, scrollBarProc, 0);
  ASSERT_NE(gInstrumentWindowRecord.hScrollBar, nullptr);
  SetPortWindowPort(gInstrumentWindowRecord.window);
  auto global = [](int16_t h) {
    Point p{60, h};
    LocalToGlobal(&p);
    return p;
  };
  const int16_t firstStrip = int16_t(kStripColumnLeft + 10);
  // Out past the last strip (the window scrolls one strip), then back to where it started.
  const Point out = global(int16_t(kStripColumnLeft + 3 * 35 + 20));
  gPath = {out, out, out, global(firstStrip), global(firstStrip), global(firstStrip)};
  gPathStep = 0;
  ASSERT_EQ(noErr, PostHostMouseEvent(kEventMouseDown, global(firstStrip), 1, 0));
  EventRecord e{};
  ASSERT_TRUE(GetNextEvent(mDownMask, &e));
  GetMouse(&gLastMousePoint);
  SetHostEventPump(DragPump);
  DragSelectedStrips();
  SetHostEventPump(nullptr);
  ASSERT_EQ(GetInstrumentScrollValue(), 1);
  EXPECT_EQ(GetInstrumentRecord(1)[kInstChannels], 0) << "the first instrument went one place on";
  EXPECT_EQ(GetInstrumentRecord(0)[kInstChannels], 1);
}

}  // namespace
