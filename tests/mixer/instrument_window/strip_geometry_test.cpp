// Where the instrument window's strips lie and which strip a click names: instruments in
// display order beside the label column, hidden ones left out, the busses and the master
// after a one-strip gap; the fader's travel; the shown send.
#include <gtest/gtest.h>

#include "mixer/instrument_window/strip_clicks.h"
#include "shell/windows/instrument_strip_layout.h"
#include "song/instruments/instrument_volumes.h"
#include "shell/drawing/scratch_rect.h"
#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/ports.h"
#include "mixer/instrument_window/strip_drawing.h"
#include "mixer/instrument_window/strip_geometry.h"
#include "mixer/outputs/instrument_values.h"
#include "platform/system/sys_beep.h"
#include "tests/mixer/instrument_window/strip_fixture.h"

namespace {

using strip_test::StripTest;

constexpr int16_t kWide = 1000;  // room for every strip

int32_t HitAt(int16_t h, int32_t before) {
  gCurrentInstrument = before;
  HitTestInstrumentStrip(h);
  return gCurrentInstrument;
}

TEST_F(StripTest, InstrumentsTakeTheirDisplayOrderAndBussesFollowAfterAGap) {
  MakeWindow(4, 2, kWide);
  GetInstrumentRecord(1)[kInstNoDisplayNumber] = 1;  // hidden
  RebuildInstrumentState();
  EXPECT_EQ(GetStripLeft(0), 38);
  EXPECT_EQ(GetStripLeft(1), -1) << "a hidden instrument takes no place";
  EXPECT_EQ(GetStripLeft(2), 38 + 35);
  EXPECT_EQ(GetStripLeft(3), 38 + 2 * 35);
  EXPECT_EQ(CountShownInstrumentStrips(), 3);
  EXPECT_EQ(GetStripLeft(4), 38 + 4 * 35) << "the first bus after one strip's gap";
  EXPECT_EQ(GetStripLeft(5), 38 + 5 * 35);
  EXPECT_EQ(GetStripLeft(GetMasterIndex()), 38 + 6 * 35);

  EXPECT_EQ(HitAt(38 + 35 + 3, -1), 2) << "the second place shows instrument 2";
  EXPECT_EQ(HitAt(38 + 3 * 35 + 5, 0), 0) << "the gap names no strip";
  EXPECT_EQ(HitAt(38 + 4 * 35 + 5, 0), 4);
  EXPECT_EQ(HitAt(38 + 6 * 35 + 5, 0), GetMasterIndex());
  EXPECT_EQ(HitAt(38 + 9 * 35, 2), 2) << "nothing right of the master is named";
}

TEST_F(StripTest, TheLabelColumnNamesNoStrip) {
  MakeWindow(3, 0, kWide);
  for (int16_t h : {0, 5, 20, 37}) EXPECT_EQ(HitAt(h, 2), 2) << h;
  EXPECT_EQ(HitAt(38, 2), 0);
}

TEST_F(StripTest, WithNoInstrumentShownTheBussesStartAtPositionOne) {
  MakeWindow(2, 1, kWide);
  for (int32_t i = 0; i < 2; ++i) GetInstrumentRecord(i)[kInstNoDisplayNumber] = 1;
  RebuildInstrumentState();
  EXPECT_EQ(CountShownInstrumentStrips(), 0);
  EXPECT_EQ(GetStripLeft(2), 38 + 35);
  EXPECT_EQ(GetStripLeft(3), 38 + 2 * 35);
}

TEST_F(StripTest, ANarrowWindowShowsFewerInstrumentsAndScrollsThem) {
  // (300 - 54) / 35 = 7 strips, less one bus and two: 4 instruments shown of 6.
  MakeWindow(6, 1, 300);
  EXPECT_EQ(CountShownInstrumentStrips(), 4);
  EXPECT_TRUE(IsStripShown(3));
  EXPECT_FALSE(IsStripShown(4));
  EXPECT_EQ(GetStripLeft(6), 38 + 5 * 35) << "the bus stays beside the shown instruments";
}

TEST_F(StripTest, TheFaderThumbRisesByTheTravelOverTheWholeRange) {
  MakeWindow(1, 0, kWide);
  ASSERT_GT(gFaderTravel, 20);
  Rect low = FaderThumbRect(0), high = FaderThumbRect(127), over = FaderThumbRect(200);
  EXPECT_EQ(low.top - high.top, gFaderTravel);
  EXPECT_EQ(over.top, high.top) << "volumes beyond 127 are drawn at 127";
  EXPECT_EQ(low.bottom - low.top, kFaderThumbHeight);
  const int16_t v = 200;
  struct Case {
    int32_t start;
    int16_t dv;
    int32_t value;
  } cases[] = {{0, int16_t(gFaderTravel), 127}, {0, int16_t(gFaderTravel + 40), 127}, {10, -50, 0}, {64, 0, 64}};
  for (const Case& c : cases) EXPECT_EQ(FaderValueForMouse(c.start, v, int16_t(v - c.dv)), c.value) << c.start << " " << c.dv;
}

TEST_F(StripTest, TheLayoutNeverLeavesTheFaderWithoutTravel) {
  MakeWindow(1, 0, kWide);
  gInstrumentStripHeight = 12;  // a style whose strip has no room for a fader
  LayoutInstrumentStrip();
  EXPECT_GE(gFaderTravel, 1);
  EXPECT_EQ(FaderValueForMouse(0, 100, 99) >= 0, true);
  gInstrumentStripHeight = 259;
  LayoutInstrumentStrip();
}

TEST_F(StripTest, OnlyTheSendsARecordHoldsCanBeShown) {
  MakeWindow(2, 2, kWide);
  UInt32 beeps = GetSysBeepCount();
  ASSERT_TRUE(SetInstrumentWindowPart(3));
  EXPECT_EQ(gInstrumentWindowPart, 3);
  for (int32_t n : {-1, 9, 200}) {
    EXPECT_FALSE(SetInstrumentWindowPart(n)) << n;
    EXPECT_EQ(gInstrumentWindowPart, 3) << n;
  }
  EXPECT_EQ(GetSysBeepCount(), beeps + 3);
  EXPECT_TRUE(SetInstrumentWindowPart(0));
}

}  // namespace

namespace {

// Dark pixels in the send-flag corner of a value field of strip 0.
int DarkInSendCorner(int16_t element) {
  gCurrentInstrument = 0;
  ElementRect(element);
  Rect field = gScratchRect;
  SetPortWindowPort(gInstrumentWindowRecord.window);
  int dark = 0;
  for (int16_t v = field.top; v < field.bottom; ++v)
    for (int16_t h = int16_t(field.right - 7); h < field.right - 1; ++h) {
      RGBColor c;
      GetCPixel(h, v, &c);
      dark += c.red < 0x8000 && c.green < 0x8000 && c.blue < 0x8000;
    }
  return dark;
}

TEST_F(StripTest, AValueWhoseChangesAreSentShowsItsMark) {
  MakeWindow(2, 0, kWide);
  uint8_t* r = GetInstrumentRecord(0);
  r[kInstPan] = 127;  // wide numbers, to see that they stay clear of the corner
  SetInstrumentVolume(r, 127);
  r[kInstMixerFlags] = 0;
  DrawInstrumentWindow();
  EXPECT_EQ(0, DarkInSendCorner(kStripPanValue));
  EXPECT_EQ(0, DarkInSendCorner(kStripVolumeValue));
  r[kInstMixerFlags] = kSendPanChanges;
  DrawInstrumentWindow();
  EXPECT_GT(DarkInSendCorner(kStripPanValue), 0);
  EXPECT_EQ(0, DarkInSendCorner(kStripVolumeValue));
  r[kInstMixerFlags] = kSendVolumeChanges;
  DrawInstrumentWindow();
  EXPECT_EQ(0, DarkInSendCorner(kStripPanValue));
  EXPECT_GT(DarkInSendCorner(kStripVolumeValue), 0);
}

}  // namespace
