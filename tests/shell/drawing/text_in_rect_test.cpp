#include <gtest/gtest.h>

#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/pens.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/drawing/text_drawing.h"
#include "tests/shell/drawing/drawing_test_support.h"

namespace {

using namespace drawing_test;

class TextInRect : public ::testing::Test {
 protected:
  void SetUp() override {
    gDrawPrefs = 0;
    EraseRect(&all_);
  }
  void TearDown() override { gDrawPrefs = 0; }
  ScopedGWorld world_{Rect{0, 0, 60, 300}};
  Rect all_{0, 0, 60, 300};
  Rect box_{10, 40, 30, 260};
  PStr text_{"Tempo"};
};

TEST_F(TextInRect, AlignsLeftRightAndCentreInsideTheRectangle) {
  struct Row {
    const char* name;
    int16_t align;
  };
  const Row rows[] = {{"left", 0}, {"right", 1}, {"centre", 2}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EraseRect(&all_);
    Point size = DrawThemeTextInRect(&box_, text_, false, row.align, kProgramThemeFont,
                                     kThemeStateActive);
    ASSERT_GT(size.h, 0);
    int left = LeftmostInk(all_), right = RightmostInk(all_);
    ASSERT_GE(left, 0);
    EXPECT_GE(left, box_.left);
    EXPECT_LT(right, box_.right);
    if (row.align == 0) {
      EXPECT_LE(left, box_.left + 3);
    } else if (row.align == 1) {
      EXPECT_GE(right, box_.right - 4);
    } else {
      EXPECT_NEAR((left + right) / 2, (box_.left + box_.right) / 2, 4);
    }
  }
}

TEST_F(TextInRect, CutsLongTextToTheRectangleAndErasesInCopyMode) {
  Rect narrow{10, 40, 30, 70};
  PStr longText{"A very long track name that cannot fit"};
  Point size = DrawThemeTextInRect(&narrow, longText, true, 0, kProgramThemeFont,
                                   kThemeStateActive);
  EXPECT_GT(size.h, narrow.right - narrow.left);
  EXPECT_LT(RightmostInk(all_), narrow.right);

  PaintRect(&all_);
  TextMode(srcCopy);
  DrawThemeTextInRect(&box_, text_, false, 0, kProgramThemeFont, kThemeStateActive);
  EXPECT_EQ(PixelAt(short(box_.right - 2), short(box_.top + 1)), kWhite);
  EXPECT_EQ(PixelAt(short(box_.left - 2), short(box_.top + 1)), kBlack);
  TextMode(srcOr);
}

TEST_F(TextInRect, RightAlignedStringEndsAtTheScratchRectInBothTextModes) {
  gScratchRect = box_;
  for (uint16_t prefs : {uint16_t(0), kDrawPrefsClassicText}) {
    SCOPED_TRACE(prefs);
    gDrawPrefs = prefs;
    PaintRect(&all_);
    EraseAndDrawPStringRight(text_, 0);
    int right = RightmostWhere(box_, [](uint32_t p) { return p != kWhite; });
    EXPECT_GE(right, box_.right - 4);
    EXPECT_LT(right, box_.right);
    EXPECT_EQ(PixelAt(short(box_.left + 1), short(box_.top + 1)), kWhite);  // erased first
    EXPECT_EQ(PixelAt(short(box_.left - 1), short(box_.top + 1)), kBlack);  // outside kept
  }
}

}  // namespace
