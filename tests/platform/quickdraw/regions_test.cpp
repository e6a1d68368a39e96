#include <gtest/gtest.h>

#include <vector>

#include "platform/memory/memory.h"
#include "tests/platform/quickdraw/qd_test_support.h"

namespace {

// A region built from rectangles (union), disposed at scope end.
class Rgn {
 public:
  Rgn() : h_(NewRgn()) {}
  explicit Rgn(std::initializer_list<Rect> rects) : h_(NewRgn()) {
    RgnHandle one = NewRgn();
    for (const Rect& r : rects) {
      RectRgn(one, &r);
      UnionRgn(h_, one, h_);
    }
    DisposeRgn(one);
  }
  ~Rgn() { DisposeRgn(h_); }
  RgnHandle get() const { return h_; }

 private:
  RgnHandle h_;
};

int Area(RgnHandle rgn) {
  int area = 0;
  for (SInt32 i = 0; i < CountRegionRects(rgn); ++i) {
    Rect r;
    EXPECT_TRUE(GetRegionRect(rgn, i, &r));
    area += (r.right - r.left) * (r.bottom - r.top);
  }
  return area;
}

TEST(RegionAlgebra, OverlappingRectangles) {
  // A = (0,0)-(20,20), B = (10,10)-(30,30): overlap 10x10.
  Rgn a{{0, 0, 20, 20}}, b{{10, 10, 30, 30}};
  struct Case {
    const char* name;
    void (*op)(RgnHandle, RgnHandle, RgnHandle);
    int area;
    Rect bounds;
    std::vector<Point> inside, outside;
  };
  const Case cases[] = {
      {"union", UnionRgn, 700, {0, 0, 30, 30}, {{5, 5}, {25, 25}, {15, 15}}, {{25, 5}, {5, 25}}},
      {"sect", SectRgn, 100, {10, 10, 20, 20}, {{15, 15}}, {{5, 5}, {25, 25}}},
      {"diff", DiffRgn, 300, {0, 0, 20, 20}, {{5, 5}, {15, 5}}, {{15, 15}, {25, 25}}},
      {"xor", XorRgn, 600, {0, 0, 30, 30}, {{5, 5}, {25, 25}}, {{15, 15}, {25, 5}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Rgn out;
    c.op(a.get(), b.get(), out.get());
    EXPECT_EQ(QDError(), noErr);
    EXPECT_EQ(Area(out.get()), c.area);
    Rect bounds;
    GetRegionBounds(out.get(), &bounds);
    EXPECT_EQ(bounds, c.bounds);
    for (Point p : c.inside) EXPECT_TRUE(PtInRgn(p, out.get())) << p.h << "," << p.v;
    for (Point p : c.outside) EXPECT_FALSE(PtInRgn(p, out.get())) << p.h << "," << p.v;
  }
}

TEST(RegionAlgebra, ResultMayBeAnOperand) {
  Rgn a{{0, 0, 20, 20}}, b{{10, 10, 30, 30}};
  UnionRgn(a.get(), b.get(), a.get());
  EXPECT_EQ(Area(a.get()), 700);
  DiffRgn(a.get(), a.get(), a.get());
  EXPECT_TRUE(EmptyRgn(a.get()));
}

TEST(RegionAlgebra, EdgesAreHalfOpen) {
  Rgn r{{10, 10, 20, 20}};
  EXPECT_TRUE(PtInRgn(Point{10, 10}, r.get()));
  EXPECT_FALSE(PtInRgn(Point{20, 10}, r.get()));
  EXPECT_FALSE(PtInRgn(Point{10, 20}, r.get()));
  Rect touching{20, 10, 30, 20};
  EXPECT_FALSE(RectInRgn(&touching, r.get()));
  Rect overlapping{19, 19, 30, 30};
  EXPECT_TRUE(RectInRgn(&overlapping, r.get()));
}

TEST(RegionAlgebra, EqualityIgnoresHowARegionWasBuilt) {
  Rgn whole{{0, 0, 10, 20}}, halves{{0, 0, 10, 10}, {0, 10, 10, 20}};
  EXPECT_TRUE(EqualRgn(whole.get(), halves.get()));
  EXPECT_TRUE(IsRegionRectangular(halves.get()));
  Rgn empty1, empty2{{5, 5, 5, 9}};
  EXPECT_TRUE(EmptyRgn(empty2.get()));
  EXPECT_TRUE(EqualRgn(empty1.get(), empty2.get()));
}

TEST(RegionAlgebra, OffsetAndInset) {
  Rgn r{{0, 0, 10, 10}, {10, 0, 30, 4}};  // an L: a square and a 4-pixel bar below it
  OffsetRgn(r.get(), 5, -5);
  Rect b;
  GetRegionBounds(r.get(), &b);
  EXPECT_EQ(b, (Rect{-5, 5, 25, 15}));
  InsetRgn(r.get(), 2, 2);  // the 4-pixel bar loses its height and vanishes
  GetRegionBounds(r.get(), &b);
  EXPECT_EQ(b, (Rect{-3, 7, 3, 13}));
  EXPECT_EQ(Area(r.get()), 36);
  InsetRgn(r.get(), -2, -2);
  EXPECT_EQ(Area(r.get()), 100);
}

TEST(RegionAlgebra, BadHandlesAreRefused) {
  Rgn good{{0, 0, 10, 10}};
  RgnHandle gone = NewRgn();
  DisposeRgn(gone);
  UnionRgn(good.get(), gone, good.get());
  EXPECT_EQ(QDError(), paramErr);
  EXPECT_EQ(Area(good.get()), 100);
  EXPECT_FALSE(PtInRgn(Point{1, 1}, gone));
  EXPECT_TRUE(EmptyRgn(Handle()));
}

TEST(RegionAlgebra, BitMapToRegionTakesTheSetBits) {
  // Two rows of 16 pixels: row 0 bits 0-3, row 1 bits 8-15.
  uint8_t bits[4] = {0xF0, 0x00, 0x00, 0xFF};
  BitMap bm{reinterpret_cast<Ptr>(bits), 2, Rect{10, 100, 12, 116}};
  Rgn r;
  ASSERT_EQ(BitMapToRegion(r.get(), &bm), noErr);
  EXPECT_EQ(Area(r.get()), 12);
  EXPECT_TRUE(PtInRgn(Point{10, 103}, r.get()));
  EXPECT_FALSE(PtInRgn(Point{10, 104}, r.get()));
  EXPECT_TRUE(PtInRgn(Point{11, 115}, r.get()));
}

TEST(RegionRecording, FramedShapesEncloseTheirArea) {
  qd_test::ScopedGWorld world;
  Rgn out;
  OpenRgn();
  Rect a{0, 0, 20, 20}, b{10, 10, 30, 30};
  FrameRect(&a);
  FrameRect(&b);
  CloseRgn(out.get());
  EXPECT_EQ(Area(out.get()), 600);  // even-odd: the overlap is outside
  EXPECT_FALSE(PtInRgn(Point{15, 15}, out.get()));
  // Nothing was drawn meanwhile.
  EXPECT_EQ(qd_test::CountColor(Rect{0, 0, 40, 40}, qd_test::kWhite), 1600);

  OpenRgn();
  MoveTo(0, 0);
  LineTo(20, 0);
  LineTo(20, 10);
  LineTo(0, 10);
  LineTo(0, 0);
  CloseRgn(out.get());
  EXPECT_EQ(Area(out.get()), 200);
}

}  // namespace
