#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/text/pascal_strings.h"
#include "shell/base/pen_numbers.h"
#include "tests/shell/drawing/drawing_test_support.h"

namespace {

using namespace drawing_test;

class PenNumbers : public ::testing::Test {
 protected:
  void SetUp() override {
    TextFont(3);
    TextSize(12);
    TextMode(srcCopy);
    CacheDigitWidth();
    GetFontInfo(&info_);
  }
  ScopedGWorld world_{Rect{0, 0, 60, 200}};
  Rect all_{0, 0, 60, 200};
  FontInfo info_;
};

TEST_F(PenNumbers, CachesTheFontAndTheWidthOfEight) {
  EXPECT_EQ(gDigitMetrics.digitWidth, CharWidth('8'));
  EXPECT_GT(gDigitMetrics.digitWidth, 0);
  EXPECT_EQ(gDigitMetrics.ascent, info_.ascent);
  EXPECT_EQ(gDigitMetrics.descent, info_.descent);
  EXPECT_EQ(gDigitMetrics.leading, info_.leading);
}

TEST_F(PenNumbers, RightAlignedNumbersEndAtTheColumn) {
  const short dw = gDigitMetrics.digitWidth;
  for (int32_t n : {0, 7, 42, 1234, 99999, -5, 123456}) {
    SCOPED_TRACE(n);
    Str255 text;
    NumToString(n, text);
    MoveTo(10, 30);
    DrawNumberRightAligned(n, 5);
    Point pen;
    GetPen(&pen);
    short start = text[0] < 5 ? short(10 + (5 - text[0]) * dw) : short(10);
    EXPECT_EQ(pen.h, start + StringWidth(text));
    if (n >= 0 && n <= 99999) {
      EXPECT_EQ(pen.h, 10 + 5 * dw);  // digits share one width
    }
    EXPECT_EQ(pen.v, 30);
  }
}

TEST_F(PenNumbers, PaddingErasesOnlyInCopyMode) {
  const short dw = gDigitMetrics.digitWidth;
  PaintRect(&all_);
  MoveTo(10, 30);
  PadAndMoveTo(3);
  Point pen;
  GetPen(&pen);
  EXPECT_EQ(pen.h, 10 + 3 * dw);
  Rect cell{short(30 - info_.ascent), 10, short(30 + info_.descent), pen.h};
  EXPECT_EQ(CountColor(cell, kWhite), (cell.bottom - cell.top) * (cell.right - cell.left));
  EXPECT_EQ(CountColor(all_, kWhite), (cell.bottom - cell.top) * (cell.right - cell.left));

  PaintRect(&all_);
  TextMode(srcOr);
  MoveTo(10, 30);
  PadAndMoveTo(3);
  GetPen(&pen);
  EXPECT_EQ(pen.h, 10 + 3 * dw);
  EXPECT_EQ(CountColor(all_, kWhite), 0);

  MoveTo(10, 30);
  PadAndMoveTo(0);
  PadAndMoveTo(-4);
  GetPen(&pen);
  EXPECT_EQ(pen.h, 10);
}

TEST_F(PenNumbers, RightAlignedStringErasesItsCellAndEndsPastTheColumn) {
  PaintRect(&all_);
  MoveTo(20, 30);
  DrawStringRightAligned(PStr("abc"), 40);
  Point pen;
  GetPen(&pen);
  EXPECT_EQ(pen.h, 61);
  // The cell 20..60 from ascent to descent + leading is erased except for the glyphs; what
  // lies outside it is untouched.
  Rect cell{short(30 - info_.ascent), 20, short(30 + info_.descent + info_.leading), 61};
  Rect left{cell.top, 0, cell.bottom, 20};
  Rect right{cell.top, 61, cell.bottom, 200};
  EXPECT_EQ(CountColor(left, kWhite), 0);
  EXPECT_EQ(CountColor(right, kWhite), 0);
  Rect above{0, 0, cell.top, 200};
  EXPECT_EQ(CountColor(above, kWhite), 0);
  int lastInk = RightmostWhere(cell, [](uint32_t p) { return p != kWhite; });
  EXPECT_LE(lastInk, 60);
  EXPECT_GE(lastInk, 57);
  EXPECT_GE(LeftmostWhere(cell, [](uint32_t p) { return p != kWhite; }),
            61 - StringWidth(PStr("abc")));
}

TEST_F(PenNumbers, BarBeatTickIsRightAlignedText) {
  MoveTo(10, 30);
  DrawBarBeatTick(0, 0, 5, 80);
  Point pen;
  GetPen(&pen);
  EXPECT_EQ(pen.h, 91);
  int firstInk = LeftmostInk(all_);
  EXPECT_GE(firstInk, 91 - StringWidth(PStr("1:01:005")));
  EXPECT_LE(firstInk, 91 - StringWidth(PStr("1:01:005")) + 2);
}

TEST_F(PenNumbers, CentredStringAndBold) {
  Rect box{0, 20, 50, 120};
  DrawStringCentered(PStr("HH"), &box, 30);
  int left = LeftmostInk(all_) - box.left;
  int right = box.right - 1 - RightmostInk(all_);
  EXPECT_LE(std::abs(left - right), 3);
  EXPECT_GT(left, 30);
  SetTextBold();
  EXPECT_EQ(GetPortTextFace(world_.get()), bold);
}

}  // namespace
