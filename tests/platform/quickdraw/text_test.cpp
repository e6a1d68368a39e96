#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/text/cf_string.h"
#include "tests/platform/quickdraw/qd_test_support.h"

namespace {

using namespace qd_test;

// A Pascal string from C text.
struct PStr {
  unsigned char s[256];
  explicit PStr(const char* text) {
    size_t n = std::strlen(text);
    s[0] = static_cast<unsigned char>(n);
    std::memcpy(s + 1, text, n);
  }
  operator const unsigned char*() const { return s; }
  unsigned char* get() { return s; }
};

TEST(Fonts, ClassicNamesMapToNumbersAndInstalledFonts) {
  struct Row {
    const char* name;
    short number;
    const char* file;
  };
  const Row rows[] = {
      {"Geneva", 3, "DejaVuSans.ttf"},         {"geneva", 3, "DejaVuSans.ttf"},
      {"Monaco", 4, "DejaVuSansMono.ttf"},     {"New York", 2, "DejaVuSerif.ttf"},
      {"Times", 20, "LiberationSerif-Regular"}, {"Helvetica", 21, "LiberationSans-Regular"},
      {"Courier", 22, "LiberationMono-Regular"}, {"Lucida Grande", 0, "DejaVuSans.ttf"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    short num = -1;
    GetFNum(PStr(row.name), &num);
    EXPECT_EQ(num, row.number);
    char path[512];
    GetFontFilePath(num, normal, path, sizeof path);
    EXPECT_NE(std::string(path).find(row.file), std::string::npos) << path;
  }
  char path[512];
  GetFontFilePath(21, bold, path, sizeof path);
  EXPECT_NE(std::string(path).find("LiberationSans-Bold"), std::string::npos) << path;
  Str255 name;
  GetFontName(4, name);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(name + 1), name[0]), "Monaco");
  GetFontName(1, name);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(name + 1), name[0]), "Geneva");
  GetFontName(9999, name);
  EXPECT_EQ(name[0], 0);
}

TEST(Fonts, OtherNamesOnlyWhenInstalled) {
  short charcoal = 0, dejavu = 0, again = 0, missing = -1, segoe = -1;
  GetFNum(PStr("Charcoal"), &charcoal);
  EXPECT_NE(charcoal, 0);
  GetFNum(PStr("DejaVu Sans Mono"), &dejavu);
  EXPECT_GE(dejavu, 2000);
  GetFNum(PStr("dejavu sans mono"), &again);
  EXPECT_EQ(again, dejavu);
  GetFNum(PStr("No Such Font Anywhere"), &missing);
  EXPECT_EQ(missing, 0);
  GetFNum(PStr("Segoe UI"), &segoe);
  EXPECT_EQ(segoe, 0);
  EXPECT_TRUE(RealFont(dejavu, 12));
  EXPECT_FALSE(RealFont(9999, 12));
}

TEST(TextMetrics, AreTheSameOnEveryRun) {
  // DejaVu Sans and Mono (Debian 12 packages), hinted, whole-pixel advances.
  struct Row {
    short font, size;
    Style face;
    FontInfo info;
    short helloWidth;
  };
  const Row rows[] = {
      {3, 12, normal, {12, 3, 22, 0}, 29},
      {4, 9, normal, {9, 3, 5, 0}, 25},
      {21, 10, bold, {10, 3, 13, 0}, 25},
  };
  ScopedGWorld world;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.font);
    TextFont(row.font);
    TextSize(row.size);
    TextFace(row.face);
    FontInfo fi;
    GetFontInfo(&fi);
    EXPECT_EQ(fi.ascent, row.info.ascent);
    EXPECT_EQ(fi.descent, row.info.descent);
    EXPECT_EQ(fi.widMax, row.info.widMax);
    EXPECT_EQ(fi.leading, row.info.leading);
    EXPECT_EQ(StringWidth(PStr("Hello")), row.helloWidth);
  }
}

TEST(TextMetrics, WidthsAddUpAndFollowTheStyle) {
  ScopedGWorld world;
  TextFont(3);
  TextSize(12);
  const char* text = "Quick brown fox";
  int sum = 0;
  for (const char* c = text; *c; ++c) sum += CharWidth(*c);
  EXPECT_EQ(StringWidth(PStr(text)), sum);
  EXPECT_EQ(TextWidth(text, 6, 5), StringWidth(PStr("brown")));
  short plain = StringWidth(PStr(text));
  TextFace(condense);
  EXPECT_EQ(StringWidth(PStr(text)), plain - 15);
  TextFace(extend);
  EXPECT_EQ(StringWidth(PStr(text)), plain + 15);
  TextFace(bold);
  EXPECT_GT(StringWidth(PStr(text)), plain);
  TextFace(normal);
  SpaceExtra(3 << 16);
  EXPECT_EQ(StringWidth(PStr(text)), plain + 6);
  SpaceExtra(0);
  TextSize(24);
  EXPECT_GT(StringWidth(PStr(text)), plain * 3 / 2);
}

TEST(TextDrawing, InkStaysInTheMeasuredBoxAndThePenMoves) {
  ScopedGWorld world(Rect{0, 0, 60, 200});
  TextFont(3);
  TextSize(14);
  FontInfo fi;
  GetFontInfo(&fi);
  PStr text("Wavy Line");
  short width = StringWidth(text);
  MoveTo(20, 40);
  DrawString(text);
  Point pen;
  GetPen(&pen);
  EXPECT_EQ(pen, (Point{40, short(20 + width)}));
  auto inked = [](uint32_t p) { return p != kWhite; };
  Rect box{short(40 - fi.ascent), 20, short(40 + fi.descent), short(20 + width)};
  int inside = CountPixels(box, inked);
  int total = CountPixels(Rect{0, 0, 60, 200}, inked);
  EXPECT_GT(inside, 50);
  // Only the left bearing of 'W' and the right side of 'e' may reach a pixel past the box.
  EXPECT_LE(total - inside, 4);
  // The ink spans most of the measured width.
  short firstCol = 200, lastCol = -1;
  for (short h = 0; h < 200; ++h)
    for (short v = 0; v < 60; ++v)
      if (PixelAt(h, v) != kWhite) {
        firstCol = std::min(firstCol, h);
        lastCol = std::max(lastCol, h);
      }
  EXPECT_LE(std::abs(firstCol - 20), 1);
  EXPECT_LE(std::abs(lastCol - (20 + width - 1)), 2);
}

TEST(TextDrawing, RenderingIsRepeatable) {
  auto render = [] {
    ScopedGWorld world(Rect{0, 0, 20, 80});
    TextFont(21);
    TextSize(11);
    MoveTo(2, 14);
    DrawString(PStr("Tempo 120"));
    std::string pixels;
    for (short v = 0; v < 20; ++v)
      for (short h = 0; h < 80; ++h) pixels += std::to_string(PixelAt(h, v)) + ",";
    return pixels;
  };
  EXPECT_EQ(render(), render());
}

TEST(TextDrawing, ModesAndColours) {
  ScopedGWorld world(Rect{0, 0, 30, 100});
  TextFont(4);
  TextSize(12);
  SetBack(kGreen);
  TextMode(srcCopy);
  MoveTo(10, 20);
  DrawString(PStr("ab"));
  EXPECT_EQ(PixelAt(10, 10), kGreen);  // the line box is filled with the background
  TextMode(srcOr);
  SetFore(kRed);
  TextSize(24);
  TextFace(bold);
  MoveTo(40, 26);
  DrawString(PStr("MM"));
  Rect inkArea{0, 40, 30, 100};
  EXPECT_GT(CountColor(inkArea, kRed), 10);
  EXPECT_EQ(CountColor(inkArea, kGreen), 0);
  TextMode(srcXor);
  MoveTo(40, 26);
  DrawString(PStr("MM"));  // the same glyphs again: their solid pixels invert
  EXPECT_EQ(CountColor(inkArea, kRed), 0);
  EXPECT_GT(CountColor(inkArea, 0x00FFFF), 10);
  TextSize(12);
  TextFace(normal);
  TextMode(srcOr);
  TextFace(underline);
  SetFore(kBlack);
  MoveTo(10, 26);
  DrawString(PStr("__"));
  EXPECT_EQ(PixelAt(12, 27), kBlack);
}

TEST(ThemeText, FontsAndDimensions) {
  Str255 name;
  SInt16 size = 0;
  Style style = 0;
  ASSERT_EQ(GetThemeFont(kThemeSmallSystemFont, 0, name, &size, &style), noErr);
  EXPECT_EQ(size, 11);
  EXPECT_EQ(style, normal);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(name + 1), name[0]), "Lucida Grande");
  ASSERT_EQ(GetThemeFont(kThemeEmphasizedSystemFont, 0, name, &size, &style), noErr);
  EXPECT_EQ(style, bold);
  EXPECT_EQ(GetThemeFont(555, 0, name, &size, &style), paramErr);

  CFStringRef text = CFStringCreateWithUTF8("Track 1 \xE2\x80\x94 Piano");
  Point bounds{0, 0};
  SInt16 baseline = 0;
  ASSERT_EQ(GetThemeTextDimensions(text, kThemeSystemFont, kThemeStateActive, false, &bounds, &baseline),
            noErr);
  FontInfo fi;
  GetFontInfoFor(0, 13, normal, &fi);
  EXPECT_EQ(baseline, -fi.ascent);
  EXPECT_EQ(bounds.v, fi.ascent + fi.descent);
  std::u32string cps = U"Track 1 \u2014 Piano";
  EXPECT_EQ(bounds.h, MeasureCodePoints(0, 13, normal, cps.data(), cps.size()));
  Point wrapped{0, 60};
  GetThemeTextDimensions(text, kThemeSystemFont, kThemeStateActive, true, &wrapped, nullptr);
  EXPECT_LE(wrapped.h, 60);
  EXPECT_GE(wrapped.v, 2 * (fi.ascent + fi.descent));
  CFRelease(text);
}

TEST(ThemeText, DrawsInsideItsBoxAndCutsLongLines) {
  ScopedGWorld world(Rect{0, 0, 40, 200});
  CFStringRef text = CFStringCreateWithUTF8("A rather long label that does not fit");
  Rect box{10, 10, 30, 90};
  ASSERT_EQ(DrawThemeTextBox(text, kThemeSmallSystemFont, kThemeStateActive, false, &box, teFlushLeft, nullptr),
            noErr);
  auto inked = [](uint32_t p) { return p != kWhite; };
  EXPECT_GT(CountPixels(box, inked), 20);
  EXPECT_EQ(CountPixels(Rect{0, 0, 40, 200}, inked), CountPixels(box, inked));
  // The cut line ends with an ellipsis: three dots near the right end of the text.
  CFMutableStringRef cut = CFStringCreateMutableCopy(nullptr, 0, text);
  Boolean truncatedFlag = false;
  TruncateThemeText(cut, kThemeSmallSystemFont, kThemeStateActive, 80, truncEnd, &truncatedFlag);
  EXPECT_TRUE(truncatedFlag);
  std::string utf8 = CFStringToUTF8(cut);
  EXPECT_EQ(utf8.substr(utf8.size() - 3), "\xE2\x80\xA6");
  Point dims{0, 0};
  GetThemeTextDimensions(cut, kThemeSmallSystemFont, kThemeStateActive, false, &dims, nullptr);
  EXPECT_LE(dims.h, 80);
  CFRelease(cut);
  CFRelease(text);
}

TEST(ThemeText, TruncateStringKeepsWithinTheWidth) {
  ScopedGWorld world;
  TextFont(3);
  TextSize(12);
  PStr s("Instrument Name Here");
  short full = StringWidth(s);
  EXPECT_EQ(TruncateString(full, s.get(), truncEnd), notTruncated);
  EXPECT_EQ(TruncateString(60, s.get(), truncEnd), truncated);
  EXPECT_LE(StringWidth(s), 60);
  EXPECT_EQ(s.s[s.s[0]], 0xC9);  // the Mac Roman ellipsis ends it
  PStr m("Instrument Name Here");
  EXPECT_EQ(TruncateString(70, m.get(), truncMiddle), truncated);
  EXPECT_EQ(m.s[1], 'I');
  EXPECT_EQ(m.s[m.s[0]], 'e');
  PStr tiny("Instrument");
  EXPECT_EQ(TruncateString(1, tiny.get(), truncEnd), truncErr);
  EXPECT_EQ(tiny.s[0], 0);
}

}  // namespace
