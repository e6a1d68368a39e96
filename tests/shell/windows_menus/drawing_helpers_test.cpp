// The colour helpers (colours kept as three bytes and picked through scripted answers among
// them), the row metrics of the note view and the track window, the temporary
// Pascal string, and the accidentals' spacing.
#include <gtest/gtest.h>

#include <string>

#include "platform/quickdraw/colors.h"
#include "shell/base/app_state.h"
#include "shell/base/counter_digits.h"
#include "shell/drawing/color_helpers.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/drawing/row_metrics.h"
#include "tests/platform/quickdraw/qd_test_support.h"
#include "tests/test_support.h"

namespace {

using namespace qd_test;

class ColourDrawing : public ::testing::Test {
 protected:
  void TearDown() override { gAppState[0] = 0; }
  ScopedGWorld world_;
};

TEST_F(ColourDrawing, PaletteNumbersWrapHalveAndFallBackToGrey) {
  struct Case { int32_t n; RGBColor rgb; };
  const Case cases[] = {{0, {0xE000, 0xE000, 0xE000}}, {-3, {0xE000, 0xE000, 0xE000}},
                        {1, {0xFFFF, 0, 0}},           {7, {0xFFFF, 0x8000, 0}},
                        {8, {0xFFFF, 0xFFFF, 0xC000}}, {9, {0x7FFF, 0, 0}},
                        {16, {0x7FFF, 0x7FFF, 0x6000}}, {17, {0xFFFF, 0, 0}}};
  for (const Case& c : cases) EXPECT_EQ(c.rgb, *GetPaletteColor(c.n)) << c.n;
}

TEST_F(ColourDrawing, ColourCallsLeaveThePortAloneWhileColourDrawingIsOff) {
  SetFore(kBlack);
  SetBack(kWhite);
  RGBColor red{0xFFFF, 0, 0};
  gAppState[0] = 0;
  SetForeRGBIfColor(&red);
  SetBackRGBIfColor(&red);
  SetPaletteColorIfColor(3, false);
  RGBColor fore, back;
  GetForeColor(&fore);
  GetBackColor(&back);
  EXPECT_EQ((RGBColor{0, 0, 0}), fore);
  EXPECT_EQ((RGBColor{0xFFFF, 0xFFFF, 0xFFFF}), back);

  gAppState[0] = 0x100;
  SetPaletteColorIfColor(3, false);
  SetBackRGBIfColor(&red);
  GetForeColor(&fore);
  GetBackColor(&back);
  EXPECT_EQ((RGBColor{0, 0, 0xFFFF}), fore);
  EXPECT_EQ(red, back);
}

TEST_F(ColourDrawing, LuminanceBlendAndLightness) {
  RGBColor navy{0, 0, 0x8000}, pale{0xF000, 0xF000, 0xF000}, mid{0x7FFF, 0x7FFF, 0x7FFF};
  EXPECT_TRUE(IsDarkColor(&navy));
  EXPECT_TRUE(IsDarkColor(&mid));
  EXPECT_FALSE(IsDarkColor(&pale));
  EXPECT_EQ(3 * 0xF000, GetColorLuminance(&pale));

  RGBColor out;
  RGBColor black{0, 0, 0}, white{0xFFFF, 0xFFFF, 0xFFFF};
  BlendRGB(&out, &black, &white, 33);
  EXPECT_EQ((RGBColor{21626, 21626, 21626}), out);  // 65535 x 33 / 100, truncated
  BlendRGB(&out, &white, &black, 100);
  EXPECT_EQ(black, out);

  RGBColor grey = mid;
  AdjustColorLightness(&grey, 70000);
  EXPECT_EQ(white, grey);
  grey = mid;
  AdjustColorLightness(&grey, -70000);
  EXPECT_EQ(black, grey);
  RGBColor red{0xFFFF, 0, 0};
  AdjustColorLightness(&red, -16384);  // half lightness to a quarter: dark red, same hue
  EXPECT_NEAR(red.red, 0x8000, 2);
  EXPECT_EQ(0, red.green);
  EXPECT_EQ(0, red.blue);
}

TEST_F(ColourDrawing, AForeColourTooCloseToTheBackIsMovedAway) {
  SetBack(kWhite);
  SetFore(0xF8F8F8);
  PickContrastForeColor();
  RGBColor fore;
  GetForeColor(&fore);
  EXPECT_LT(GetColorLuminance(&fore), 3 * 0xF8F8 - 26367);
  SetBack(kWhite);
  SetFore(kBlack);
  PickContrastForeColor();
  GetForeColor(&fore);
  EXPECT_EQ((RGBColor{0, 0, 0}), fore);  // far enough apart: kept
  // A dark colour near its back is brightened; a component near the top stops at white
  // instead of wrapping round to a dark value.
  RGBColor deepRed{0xE800, 0, 0}, nearBack{0xE800, 0x1000, 0};
  RGBBackColor(&nearBack);
  RGBForeColor(&deepRed);
  PickContrastForeColor();
  GetForeColor(&fore);
  EXPECT_EQ(0xFFFF, fore.red);
  EXPECT_GT(fore.green, 0x5000);
}

TEST_F(ColourDrawing, ThemeStatesRestoredWithDisposeAreNeverLeftBehind) {
  int32_t live = CountLiveThemeDrawingStates();
  gThemeStateDepth = 0;
  ThemeDrawingState a = nullptr, b = nullptr;
  SaveThemeDrawingState(&a);
  EXPECT_EQ(1, gThemeStateDepth);
  RestoreThemeDrawingState(a, true);
  EXPECT_EQ(0, gThemeStateDepth);
  GetThemeDrawingState(&b);  // taken without the save: the count is already 0
  RestoreThemeDrawingState(b, true);
  EXPECT_EQ(0, gThemeStateDepth);
  EXPECT_EQ(live, CountLiveThemeDrawingStates());
}

TEST(ColourBytes, WidenByTwoFiftySevenAndNarrowToTheNearest) {
  struct Widen { uint8_t byte; uint16_t wide; };
  for (const Widen& c : {Widen{0, 0}, Widen{255, 65535}, Widen{128, 32896}, Widen{1, 257}}) {
    const uint8_t in[3] = {c.byte, uint8_t(255 - c.byte), c.byte};
    RGBColor wide;
    RGB8ToRGBColor(in, &wide);
    EXPECT_EQ(wide, (RGBColor{c.wide, uint16_t(65535 - c.wide), c.wide})) << int(c.byte);
    uint8_t back[3] = {7, 7, 7};
    RGBColorToRGB8(&wide, back);
    EXPECT_EQ(back[0], c.byte);
    EXPECT_EQ(back[1], 255 - c.byte);
    EXPECT_EQ(back[2], c.byte);
  }
  struct Narrow { uint16_t wide; uint8_t byte; };
  for (const Narrow& c : {Narrow{128, 0}, Narrow{129, 1}, Narrow{0x00FF, 1}, Narrow{0xFF00, 254},
                          Narrow{0xFF7E, 254}, Narrow{0xFF7F, 255}, Narrow{0x8000, 128}}) {
    const RGBColor colour{c.wide, 0, 0xFFFF};
    uint8_t out[3];
    RGBColorToRGB8(&colour, out);
    EXPECT_EQ(out[0], c.byte) << c.wide;
    EXPECT_EQ(out[2], 255);
  }
}

TEST(ColourBytes, APickedColourIsKeptOnlyWhenConfirmed) {
  zarin_test::ScopedEnv env("ZARIN_COLOR_REPLY", "336699;-");
  uint8_t rgb[3] = {1, 2, 3};
  EXPECT_TRUE(PickColorWithDialog(MakeTempPString("Zone colour"), rgb));
  EXPECT_EQ(rgb[0], 0x33);
  EXPECT_EQ(rgb[1], 0x66);
  EXPECT_EQ(rgb[2], 0x99);
  EXPECT_FALSE(PickColorWithDialog(MakeTempPString(""), rgb));
  EXPECT_EQ(rgb[0], 0x33);
  EXPECT_EQ(rgb[1], 0x66);
  EXPECT_EQ(rgb[2], 0x99);
}

TEST(RowMetrics, EveryNoteRowMapsBackToItsNoteAtEveryZoom) {
  for (int16_t level = 0; level <= 10; ++level) {
    SetNoteZoom(level);
    for (int16_t note = 0; note <= 127; ++note) {
      int16_t top = gNoteRowPosition[note];
      ASSERT_EQ(note, GetPitchAtY(top)) << "level " << level << " note " << note;
    }
  }
  SetNoteZoom(4);  // scale 2
  EXPECT_EQ(76, gOctaveHeight);
  EXPECT_EQ(6, gNoteMetric);
  SetNoteZoom(11);  // outside the table: scale 1
  EXPECT_EQ(0, gVerticalZoomIndex);
  EXPECT_EQ(38, gOctaveHeight);
  EXPECT_EQ(127, GetPitchAtY(-5));
  EXPECT_EQ(0, GetPitchAtY(30000));
}

TEST(RowMetrics, TrackRowHeightsOutsideTheRangeChangeNothing) {
  SetTrackRowHeight(16);
  for (int16_t h : {int16_t(10), int16_t(151), int16_t(16)}) {
    ChangeTrackRowHeight(h);
    EXPECT_EQ(16, gTrackRowHeight) << h;
  }
  ChangeTrackRowHeight(40);
  EXPECT_EQ(40, gTrackRowHeight);
  EXPECT_EQ(132, gTrackRowIconId);
  ChangeTrackRowHeight(11);
  EXPECT_EQ(131, gTrackRowIconId);
}

TEST(PascalStrings, TempStringsOfUpTo255CharactersConvert) {
  std::string longest(255, 'a');
  EXPECT_EQ(255, MakeTempPString(longest.c_str())[0]);
  EXPECT_EQ(0, MakeTempPString(std::string(256, 'a').c_str())[0]);
  StringPtr s = MakeTempPString("abc");
  EXPECT_TRUE(EqualPString(s, reinterpret_cast<const unsigned char*>("\3abc")));
  EXPECT_FALSE(EqualPString(s, reinterpret_cast<const unsigned char*>("\2ab")));
}

TEST(CounterDigits, AccidentalSpacingNeverDividesByZero) {
  struct Case { int32_t count; int16_t spacing; };
  const Case cases[] = {{0, 6}, {-5, 6}, {1, 6}, {3, 6}, {4, 5}, {5, 4}, {7, 4}, {9, 4}, {12, 4}};
  for (const Case& c : cases) {
    SetCounterDigitSpacing(c.count);
    EXPECT_EQ(c.spacing, gAccidentalSpacing) << c.count;
  }
}

}  // namespace
