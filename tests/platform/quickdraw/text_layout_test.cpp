#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/quickdraw/text_layout.h"
#include "tests/platform/quickdraw/qd_test_support.h"

namespace {

using namespace qd_test;

short Width(const std::string& s) { return TextWidth(s.data(), 0, short(s.size())); }

// Leftmost column of the rectangle holding a non-white pixel, or -1.
int LeftmostInk(const Rect& r) {
  for (short h = r.left; h < r.right; ++h)
    for (short v = r.top; v < r.bottom; ++v)
      if (PixelAt(h, v) != kWhite) return h;
  return -1;
}

// Rightmost column of the rectangle holding a non-white pixel, or -1.
int RightmostInk(const Rect& r) {
  for (short h = short(r.right - 1); h >= r.left; --h)
    for (short v = r.top; v < r.bottom; ++v)
      if (PixelAt(h, v) != kWhite) return h;
  return -1;
}

struct BreakCase {
  const char* name;
  std::string text;
  int start;
  std::string fits;  // the text whose width is the room given (plus extra pixels)
  int extra;
  bool firstRun;
  StyledLineBreakCode code;
  int offset;
};

TEST(StyledLineBreak, BreaksAtWordsCharactersAndLineEnds) {
  ScopedGWorld world;
  TextFont(3);
  TextSize(12);
  const BreakCase cases[] = {
      {"word boundary keeps the trailing blank", "alpha beta gamma", 0, "alpha beta", 2, true,
       smBreakWord, 11},
      {"blanks hang past the width", "alpha    beta", 0, "alpha", 1, true, smBreakWord, 9},
      {"starting mid-text", "alpha beta gamma", 6, "beta gam", 0, true, smBreakWord, 11},
      {"a word too long breaks between characters", "abcdefghij", 0, "abcd", 1, true,
       smBreakChar, 4},
      {"at least one character", "abcdef", 0, "", 0, true, smBreakChar, 1},
      {"a later run breaks before itself", "abcdefghij", 0, "abcd", 1, false, smBreakWord, 0},
      {"a return ends the line after itself", "ab\rcd ef", 0, "ab cd ef", 10, true,
       smBreakWord, 3},
      {"a line feed too", "ab\ncd", 0, "abcdef", 0, true, smBreakWord, 3},
  };
  for (const BreakCase& c : cases) {
    SCOPED_TRACE(c.name);
    Fixed room = Fixed(Width(c.fits) + c.extra) << 16;
    Fixed before = room;
    SInt32 offset = c.firstRun ? 1 : 0;
    EXPECT_EQ(StyledLineBreak(c.text.data(), SInt32(c.text.size()), c.start,
                              SInt32(c.text.size()), 0, &room, &offset),
              c.code);
    EXPECT_EQ(offset, c.offset);
    EXPECT_EQ(room, before);  // only an overflow reports the room left
  }
}

TEST(StyledLineBreak, RunThatFitsOverflowsAndReportsTheRoomLeft) {
  ScopedGWorld world;
  TextFont(3);
  TextSize(12);
  std::string text = "fits here";
  Fixed room = Fixed(Width(text) + 7) << 16;
  SInt32 offset = 1;
  EXPECT_EQ(StyledLineBreak(text.data(), SInt32(text.size()), 0, SInt32(text.size()), 0, &room,
                            &offset),
            smBreakOverflow);
  EXPECT_EQ(offset, SInt32(text.size()));
  EXPECT_EQ(room, 7 << 16);

  // An end beyond the text is cut to it; a null text or an empty run overflows at once.
  room = 100 << 16;
  offset = 1;
  EXPECT_EQ(StyledLineBreak(text.data(), 4, 0, 400, 0, &room, &offset), smBreakOverflow);
  EXPECT_EQ(offset, 4);
  offset = 1;
  EXPECT_EQ(StyledLineBreak(nullptr, 10, 0, 10, 0, &room, &offset), smBreakOverflow);
  offset = 1;
  EXPECT_EQ(StyledLineBreak(text.data(), 9, 5, 5, 0, &room, &offset), smBreakOverflow);
  EXPECT_EQ(offset, 5);
}

TEST(VisibleLength, DropsTrailingBlanksOnly) {
  struct Row {
    const char* text;
    SInt32 visible;
  } rows[] = {{"abc", 3}, {"abc  ", 3}, {" a b \t\r", 4}, {"   ", 0}, {"", 0}};
  for (const Row& r : rows)
    EXPECT_EQ(VisibleLength(r.text, SInt32(std::strlen(r.text))), r.visible) << r.text;
  EXPECT_EQ(VisibleLength(nullptr, 5), 0);
}

TEST(DrawJustified, SpreadsTheSlopOverTheSpaces) {
  ScopedGWorld world(Rect{0, 0, 40, 200});
  TextFont(3);
  TextSize(12);
  const char* text = "a b c d";
  short plain = Width(text);
  MoveTo(10, 20);
  DrawText(text, 0, 7);
  int plainInk = RightmostInk(Rect{0, 0, 40, 200});
  int plainStart = LeftmostInk(Rect{0, 0, 40, 200});
  EraseRect(&world.get()->portRect);

  MoveTo(10, 20);
  DrawJustified(text, 7, 31 << 16, onlyStyleRun, Point{1, 1}, Point{1, 1});
  Point pen;
  GetPen(&pen);
  EXPECT_EQ(pen.h, 10 + plain + 31);
  EXPECT_EQ(RightmostInk(Rect{0, 0, 40, 200}), plainInk + 31);
  EXPECT_EQ(LeftmostInk(Rect{0, 0, 40, 200}), plainStart);  // only the gaps grow

  // Without spaces the text is drawn plainly and the pen still takes the slop.
  MoveTo(10, 20);
  DrawJustified("abc", 3, 5 << 16, onlyStyleRun, Point{1, 1}, Point{1, 1});
  GetPen(&pen);
  EXPECT_EQ(pen.h, 10 + Width("abc") + 5);
}

TEST(OutlineMetrics, AdvancesAndExtentsOfTheText) {
  ScopedGWorld world;
  TextFont(3);
  TextSize(12);
  FontInfo fi;
  GetFontInfo(&fi);
  const char* text = "Hgy";
  short yMax = 0, yMin = 0;
  Fixed advances[3];
  Rect bounds[3];
  ASSERT_EQ(OutlineMetrics(3, text, Point{1, 1}, Point{1, 1}, &yMax, &yMin, advances, nullptr,
                           bounds),
            noErr);
  EXPECT_GT(yMax, 0);
  EXPECT_LE(yMax, fi.ascent + 1);
  EXPECT_LT(yMin, 0);  // g and y descend
  EXPECT_GE(-yMin, fi.descent - 1);
  EXPECT_EQ((advances[0] + advances[1] + advances[2]) >> 16, Width(text));
  EXPECT_EQ(bounds[0].top, -yMax);  // bounds are relative to the pen on the baseline
  EXPECT_EQ(bounds[0].bottom, 0);
  EXPECT_GT(bounds[2].bottom, 0);

  // Only capitals: nothing below the baseline.
  ASSERT_EQ(OutlineMetrics(2, "HI", Point{1, 1}, Point{1, 1}, &yMax, &yMin, nullptr, nullptr,
                           nullptr),
            noErr);
  EXPECT_EQ(yMin, 0);
  EXPECT_EQ(OutlineMetrics(2, nullptr, Point{1, 1}, Point{1, 1}, &yMax, &yMin, nullptr, nullptr,
                           nullptr),
            paramErr);
  EXPECT_TRUE(IsOutline(Point{1, 1}, Point{1, 1}));
  EXPECT_EQ(GetSysDirection(), 0);
}

}  // namespace
