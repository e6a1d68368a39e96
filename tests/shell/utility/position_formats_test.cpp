#include <gtest/gtest.h>

#include <string>

#include "shell/base/app_strings.h"
#include "shell/base/position_formats.h"

namespace {

std::string Text(ConstStr255Param s) { return std::string(reinterpret_cast<const char*>(s + 1), s[0]); }

TEST(PositionFormats, ZeroPaddedNeverCutsANumber) {
  struct Case { int32_t n; int16_t width; const char* text; };
  const Case cases[] = {{7, 2, "07"},   {123, 2, "123"}, {1234, 3, "1234"}, {0, 3, "000"},
                        {5, 0, "5"},    {-5, 3, "-05"},  {-123, 2, "-123"}, {42, 2, "42"}};
  for (const Case& k : cases) {
    Str255 buffer;
    EXPECT_EQ(Text(FormatNumberZeroPadded(buffer, k.n, k.width)), k.text) << k.n << " in " << k.width;
  }
}

TEST(PositionFormats, BarBeatTickAndSmpte) {
  Str255 buffer;
  EXPECT_EQ(Text(FormatBarBeatTick(buffer, 0, 0, 5)), "1:01:005");
  EXPECT_EQ(Text(FormatBarBeatTick(buffer, 11, 3, 479)), "12:04:479");
  // Resolutions above 999 ticks per beat keep their whole tick.
  EXPECT_EQ(Text(FormatBarBeatTick(buffer, 0, 0, 1234)), "1:01:1234");
  EXPECT_EQ(Text(FormatSmpteTime(buffer, 1, 2, 3, 4, 5)), "1:02:03:04.05");
  EXPECT_EQ(Text(FormatSmpteTime(buffer, 0, 59, 59, 29, 79)), "0:59:59:29.79");
}

TEST(PositionFormats, ClockTimeRoundsFramesAboveFourteen) {
  struct Case { int32_t h, m, s, f; const char* text; };
  const Case cases[] = {{0, 0, 59, 15, "1:00"},    {0, 0, 59, 14, "0:59"},   {0, 12, 5, 0, "12:05"},
                        {1, 2, 3, 0, "1:02:03"},   {1, 59, 59, 20, "2:00:00"}, {0, 59, 59, 15, "1:00:00"}};
  for (const Case& k : cases) {
    Str255 buffer;
    EXPECT_EQ(Text(FormatClockTime(buffer, k.h, k.m, k.s, k.f)), k.text);
  }
}

TEST(PositionFormats, ConcatAndPacked) {
  EXPECT_EQ(Text(ConcatStringAndNumber(reinterpret_cast<ConstStr255Param>("\004Bar "), -12)), "Bar -12");
  int32_t stored = 0;
  EXPECT_TRUE(StorePackedIfChanged(1, 2, 3, &stored));
  EXPECT_EQ(stored, (1 << 16) + (2 << 4) + 3);
  EXPECT_FALSE(StorePackedIfChanged(1, 2, 3, &stored));
  EXPECT_TRUE(StorePackedIfChanged(1, 2, 4, &stored));
}

// Tenths with the point before the last digit, and the digits a right-aligned number lacks
// against four.
TEST(PositionFormats, TempoTenthsAndTheirPadding) {
  struct Case { int32_t value; const char* text; int16_t pad; };
  const Case cases[] = {{1200, "120.0", 0}, {45, "4.5", 2}, {4500, "450.0", 0}, {999, "99.9", 1},
                        {120, "12.0", 1},   {5, "0.5", 3},  {12345, "1234.5", -1}};
  for (const Case& k : cases) {
    Str255 buffer;
    EXPECT_EQ(AppendDotToNumber(buffer, k.value), k.pad) << k.value;
    EXPECT_EQ(Text(buffer), k.text) << k.value;
  }
}

TEST(AppStrings, MissingListLeavesTheBufferEmpty) {
  // No resource file is open in the tests: the text is empty, never garbage.
  EXPECT_EQ(GetAppString(3)[0], 0);
  gStringBuffer[0] = 1;
  gStringBuffer[1] = 'x';
  EXPECT_EQ(Text(AppendIndString(129, -1)), "x");
}

}  // namespace
