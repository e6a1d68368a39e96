#include <gtest/gtest.h>

#include "tests/platform/quickdraw/qd_test_support.h"
#include "tests/platform/windows/windows_test_support.h"

namespace {

using namespace qd_test;
using namespace windows_test;

TEST(Appearance, DrawingStateComesBackAndIsFreed) {
  ScopedGWorld world;
  SInt32 live = CountLiveThemeDrawingStates();
  SetFore(kRed);
  PenSize(3, 3);
  ThemeDrawingState state = nullptr;
  ASSERT_EQ(GetThemeDrawingState(&state), noErr);
  EXPECT_EQ(CountLiveThemeDrawingStates(), live + 1);
  SetThemePen(kThemeBrushBlack, 32, true);
  SetThemeBackground(kThemeBrushDialogBackgroundActive, 32, true);
  PenNormal();
  RGBColor back;
  GetBackColor(&back);
  EXPECT_EQ(PixelFromRGB(back) & 0xFFFFFF, kDialogBackgroundPixel);
  ASSERT_EQ(SetThemeDrawingState(state, true), noErr);
  EXPECT_EQ(CountLiveThemeDrawingStates(), live);
  RGBColor fore;
  GetForeColor(&fore);
  EXPECT_EQ(PixelFromRGB(fore) & 0xFFFFFF, kRed);
  PenState pen;
  GetPenState(&pen);
  EXPECT_EQ(pen.pnSize, (Point{3, 3}));
}

TEST(Appearance, FocusRingAndFramesDrawOutsideTheRectangle) {
  ScopedGWorld world;
  SetBack(kWhite);
  Rect all{0, 0, 100, 100};
  EraseRect(&all);
  Rect field{20, 20, 40, 80};
  DrawThemeFocusRect(&field, true);
  EXPECT_EQ(PixelAt(50, 18), kHighlightPixel) << "a ring just outside the field";
  EXPECT_EQ(PixelAt(50, 21), kWhite) << "nothing inside";
  DrawThemeFocusRect(&field, false);
  EXPECT_EQ(PixelAt(50, 18), kWhite) << "taking the focus away erases the ring";
  DrawThemeEditTextFrame(&field, kThemeStateActive);
  EXPECT_NE(PixelAt(50, 19), kWhite);
  EXPECT_EQ(PixelAt(50, 20), kWhite);
  SInt16 height = 0, width = 0;
  GetThemeMenuItemExtra(kThemeMenuItemPlain, &height, &width);
  EXPECT_GT(height, 0);
  EXPECT_GT(width, 0);
}

}  // namespace
