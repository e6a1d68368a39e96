#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "shell/drawing/wrapped_text.h"
#include "tests/shell/drawing/drawing_test_support.h"

namespace {

using namespace drawing_test;

class WrappedText : public ::testing::Test {
 protected:
  void SetUp() override {
    TextFont(3);
    TextSize(12);
    GetFontInfo(&info_);
    step_ = short(info_.ascent + info_.descent + info_.leading);
  }
  short Width(const char* s) { return TextWidth(s, 0, short(std::strlen(s))); }
  // A box at (top 10, left 20) of the given width, 200 pixels tall.
  Rect Box(int width) { return Rect{10, 20, 210, short(20 + width)}; }
  int16_t Draw(const char* text, const Rect& box, int16_t just, int16_t lineHeight = 0) {
    return DrawWrappedText(text, int32_t(std::strlen(text)), &box, just, lineHeight, &last_,
                           &step);
  }

  ScopedGWorld world_{Rect{0, 0, 240, 240}};
  Rect all_{0, 0, 240, 240};
  FontInfo info_;
  short step_ = 0;
  int16_t last_ = 0;
  int16_t step = 0;
};

TEST_F(WrappedText, CountsLinesAndReportsTheLastBaseline) {
  struct Row {
    const char* name;
    const char* text;
    int width;  // box width
    int16_t lines;
  };
  const int twoWords = Width("aaaa bbbb") + 1;
  const Row rows[] = {
      {"one line", "one two three", 200, 1},
      {"word breaks", "aaaa bbbb cccc dddd eeee", twoWords, 3},
      {"blanks hang at a line's end", "aaaa bbbb     cccc", twoWords, 2},
      {"returns end lines", "ab\rcd\r\ref", 200, 4},
      {"a long word breaks between characters", "abcdefghijkl", Width("abcd") + 1, 3},
      {"empty", "", 200, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EraseRect(&all_);
    EXPECT_EQ(Draw(row.text, Box(row.width), kJustifyLeft), row.lines);
    EXPECT_EQ(step, step_);
    int first = 10 + info_.ascent + info_.leading;
    EXPECT_EQ(last_, first + std::max(0, row.lines - 1) * step_);
  }
  EXPECT_EQ(DrawWrappedText(nullptr, 4, &all_, 0, 0, &last_, &step), 0);
  EXPECT_EQ(DrawWrappedPString(PStr("aaaa bbbb cccc dddd eeee"), &all_, 0, 0, nullptr, nullptr), 1);
  Rect narrow = Box(twoWords);
  EXPECT_EQ(DrawWrappedTextChars("aaaa bbbb cccc", 14, &narrow, 0, 0, nullptr, nullptr), 2);
}

TEST_F(WrappedText, LineHeightChoices) {
  Rect box = Box(200);
  EXPECT_EQ(Draw("Line\rLine", box, 0, 20), 2);
  EXPECT_EQ(step, 20);
  EXPECT_EQ(last_, 10 + 20 + info_.leading + 20);

  EXPECT_EQ(Draw("Line", box, 0, -1), 1);
  EXPECT_GE(step, step_);
  EXPECT_LE(step, step_ + 4);
}

TEST_F(WrappedText, AlignmentFollowsTheVisibleText) {
  Rect box = Box(150);  // columns 20..169
  // Default direction is left to right: flush left.
  Draw("Hello", box, kJustifyDefault);
  EXPECT_LE(LeftmostInk(all_), 22);
  EXPECT_GE(LeftmostInk(all_), 20);

  // Right: the text ends at the right edge, its trailing blanks not counted.
  EraseRect(&all_);
  Draw("Hello   ", box, kJustifyRight);
  EXPECT_GE(RightmostInk(all_), 165);
  EXPECT_LE(RightmostInk(all_), 169);

  EraseRect(&all_);
  Draw("Hello", box, kJustifyCenter);
  int left = LeftmostInk(all_) - 20, right = 169 - RightmostInk(all_);
  EXPECT_LE(std::abs(left - right), 3);
}

TEST_F(WrappedText, FullJustificationSpreadsAllButTheLastLine) {
  const int width = Width("ab ab ab ab") + 6;  // four words a line, with slop; " x" does not fit
  Rect box = Box(width);
  std::string text;
  for (int i = 0; i < 24; ++i) text += "ab ";
  text += "x";
  ASSERT_EQ(Draw(text.c_str(), box, kJustifyFull), 7);
  short firstBase = short(10 + info_.ascent + info_.leading);
  Rect firstLine{short(firstBase - info_.ascent), 0, short(firstBase + info_.descent), 240};
  EXPECT_GE(RightmostInk(firstLine), box.right - 3);
  EXPECT_LT(RightmostInk(firstLine), box.right);
  Rect lastLine = firstLine;
  OffsetRect(&lastLine, 0, short(6 * step_));
  EXPECT_LT(RightmostInk(lastLine), 20 + Width("x") + 2);  // "x" alone, flush left
}

TEST_F(WrappedText, InkStaysInsideTheBox) {
  Rect box{20, 30, 50, 90};  // room for about two lines
  int16_t lines = DrawWrappedText("many words that will not fit in this little box at all", 54,
                                  &box, kJustifyLeft, 0, &last_, &step);
  EXPECT_GT(lines, 3);  // every line is counted
  Rect outside[] = {{0, 0, 20, 240}, {50, 0, 240, 240}, {0, 0, 240, 30}, {0, 90, 240, 240}};
  for (const Rect& r : outside) EXPECT_EQ(CountPixels(r, IsInk), 0);
  EXPECT_GT(CountPixels(box, IsInk), 0);
  // The port's clip is given back.
  Rect anywhere{200, 200, 210, 210};
  PaintRect(&anywhere);
  EXPECT_EQ(CountColor(anywhere, kBlack), 100);
}

}  // namespace
