#include <gtest/gtest.h>

#include <string>

#include "platform/memory/memory.h"
#include "platform/resources/resources.h"
#include "tests/platform/quickdraw/pict_builder.h"
#include "tests/platform/quickdraw/qd_test_support.h"
#include "tests/test_support.h"

namespace {

using namespace qd_test;

// A 4x2 icon: top row red, blue, red, blue; bottom row green; the mask hides (3, 0).
std::string SampleIcon() {
  return MakeCIcon(4, 2, {0xFFFFFF, 0xFF0000, 0x0000FF, 0x00FF00}, {1, 2, 1, 2, 3, 3, 3, 3},
                   {0xE0, 0xF0});
}

TEST(ColourIcons, DecodeAndPlotWithTheMask) {
  std::string bytes = SampleIcon();
  CIconHandle icon = DecodeCIcon(bytes.data(), bytes.size());
  ASSERT_TRUE(icon);
  Rect bounds;
  ASSERT_TRUE(GetCIconBounds(icon, &bounds));
  EXPECT_EQ(bounds, (Rect{0, 0, 2, 4}));
  ScopedGWorld world(Rect{0, 0, 20, 20});
  SetBack(kBlack);
  Rect all{0, 0, 20, 20};
  EraseRect(&all);
  Rect at{5, 5, 7, 9};
  PlotCIcon(&at, icon);
  EXPECT_EQ(PixelAt(5, 5), kRed);
  EXPECT_EQ(PixelAt(6, 5), kBlue);
  EXPECT_EQ(PixelAt(8, 5), kBlack);  // masked out
  EXPECT_EQ(PixelAt(8, 6), kGreen);
  Rect twice{10, 0, 14, 8};
  PlotCIcon(&twice, icon);
  EXPECT_EQ(CountColor(Rect{10, 0, 12, 2}, kRed), 4);
  DisposeCIcon(icon);
}

TEST(ColourIcons, MalformedIconsAreRefused) {
  std::string good = SampleIcon();
  for (size_t cut : {size_t(0), size_t(10), size_t(81), size_t(90), good.size() - 1}) {
    SCOPED_TRACE(cut);
    EXPECT_FALSE(DecodeCIcon(good.data(), cut));
    EXPECT_EQ(QDError(), paramErr);
  }
  std::string wide = good;
  wide[5] = char(0xFF);  // rowBytes far longer than the data
  EXPECT_FALSE(DecodeCIcon(wide.data(), wide.size()));
  std::string badTable = good;
  badTable[82 + 2 + 2 + 4 + 2] = 0x7F;  // ctSize far past the end
  EXPECT_FALSE(DecodeCIcon(badTable.data(), badTable.size()));
}

std::string SamplePixPat() {
  // Header (28 bytes), PixMap at 28 (50 bytes), colour table at 78, pixels at 78 + 8 + 16.
  Bytes b;
  b.U16(1).U32(28).U32(102).U32(0).U16(0).U32(0);
  b.U8(0xAA).U8(0x55).U8(0xAA).U8(0x55).U8(0xAA).U8(0x55).U8(0xAA).U8(0x55);
  b.U32(0).U16(0x8000 | 2).R(0, 0, 2, 2);
  PixMapTail(b, 0, 8, 1, 8, 78);
  ColorTable(b, {0xFF0000, 0x0000FF});
  b.U8(0).U8(1).U8(1).U8(0);
  return b.str();
}

TEST(PixelPatterns, TileFromThePixelMapsGrid) {
  std::string bytes = SamplePixPat();
  PixPatHandle pp = DecodePixPat(bytes.data(), bytes.size());
  ASSERT_TRUE(pp);
  ScopedGWorld world(Rect{0, 0, 10, 10});
  Rect r{0, 0, 4, 4};
  FillCRect(&r, pp);
  EXPECT_EQ(PixelAt(0, 0), kRed);
  EXPECT_EQ(PixelAt(1, 0), kBlue);
  EXPECT_EQ(PixelAt(2, 2), kRed);
  EXPECT_EQ(PixelAt(3, 2), kBlue);
  DisposePixPat(pp);
  for (size_t cut : {size_t(20), size_t(60), size_t(90), bytes.size() - 1}) {
    SCOPED_TRACE(cut);
    EXPECT_FALSE(DecodePixPat(bytes.data(), cut));
  }
}

// Resources read through the Resource Manager from a file of our own.
class IconResources : public ::testing::Test {
 protected:
  void SetUp() override {
    ResourceForkImage image;
    auto add = [&](const char (&type)[5], short id, const std::string& data) {
      ResourceRecord rec;
      rec.type = FourCC(type);
      rec.id = id;
      rec.data = data;
      image.resources.push_back(rec);
    };
    add("cicn", 128, SampleIcon());
    add("ppat", 128, SamplePixPat());
    Bytes clut;
    ColorTable(clut, {0x000000, 0x808080, 0xFFFFFF});
    add("clut", 128, clut.str());
    add("clut", 129, clut.str().substr(0, 20));
    Bytes curs;
    for (int i = 0; i < 16; ++i) curs.U16(0x8000u >> i);
    for (int i = 0; i < 16; ++i) curs.U16(0xFFFF);
    curs.P(3, 4);
    add("CURS", 128, curs.str());
    add("CURS", 129, curs.str().substr(0, 40));
    PictBuilder p(Rect{0, 0, 10, 10});
    p.Op(0x31).R(0, 0, 10, 10);
    add("PICT", 128, p.Finish());
    path_ = folder_.File("Icons.rsrc");
    ASSERT_EQ(WriteDataForkResourceFile(path_, image), noErr);
    ASSERT_EQ(OpenResourceFileAtPath(path_, 1, true, &ref_), noErr);
  }
  void TearDown() override { CloseResFile(ref_); }

  zarin_test::TempFolder folder_;
  std::string path_;
  SInt16 ref_ = -1;
};

TEST_F(IconResources, LoadByIdAndCheckLengths) {
  CIconHandle icon = GetCIcon(128);
  EXPECT_TRUE(icon);
  DisposeCIcon(icon);
  EXPECT_FALSE(GetCIcon(999));
  PixPatHandle pp = GetPixPat(128);
  EXPECT_TRUE(pp);
  DisposePixPat(pp);

  CTabHandle ct = GetCTable(128);
  ASSERT_TRUE(ct);
  EXPECT_EQ(CountCTableEntries(ct), 3);
  RGBColor c;
  ASSERT_TRUE(GetCTableEntry(ct, 1, &c));
  EXPECT_EQ(c, (RGBColor{0x8080, 0x8080, 0x8080}));
  EXPECT_FALSE(GetCTableEntry(ct, 3, &c));
  DisposeCTable(ct);
  EXPECT_FALSE(GetCTable(129));  // shorter than its entries

  Cursor cursor;
  ASSERT_TRUE(CursorFromHandle(GetCursor(128), &cursor));
  EXPECT_EQ(cursor.data[1], 0x4000);
  EXPECT_EQ(cursor.hotSpot, (Point{3, 4}));
  EXPECT_FALSE(CursorFromHandle(GetCursor(129), &cursor));
  EXPECT_FALSE(SetCursorFromResource(129));
  EXPECT_TRUE(SetCursorFromResource(128));
  Cursor current;
  GetCurrentCursor(&current);
  EXPECT_EQ(current.data[15], 0x0001);

  ScopedGWorld world(Rect{0, 0, 20, 20});
  PicHandle pic = GetPicture(128);
  ASSERT_TRUE(pic);
  Rect dst{0, 0, 10, 10};
  DrawPicture(pic, &dst);
  EXPECT_EQ(PixelAt(5, 5), kBlack);
  EXPECT_FALSE(GetPicture(999));
}

TEST(Cursors, LevelsAndThemeCursors) {
  InitCursor();
  Cursor c;
  GetCurrentCursor(&c);
  EXPECT_EQ(c.data[3], qd.arrow.data[3]);
  EXPECT_TRUE(IsCursorVisible());
  HideCursor();
  HideCursor();
  ShowCursor();
  EXPECT_FALSE(IsCursorVisible());
  EXPECT_EQ(GetCursorLevel(), -1);
  ShowCursor();
  ShowCursor();  // never above 0
  EXPECT_EQ(GetCursorLevel(), 0);
  ObscureCursor();
  EXPECT_FALSE(IsCursorVisible());
  CursorMoved();
  EXPECT_TRUE(IsCursorVisible());
  EXPECT_EQ(SetThemeCursor(kThemeIBeamCursor), noErr);
  GetCurrentCursor(&c);
  EXPECT_NE(c.data[7], qd.arrow.data[7]);
  EXPECT_EQ(SetThemeCursor(500), paramErr);
  InitCursor();
}

}  // namespace
