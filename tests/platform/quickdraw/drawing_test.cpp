#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/platform/quickdraw/qd_test_support.h"

namespace {

using namespace qd_test;

TEST(Geometry, RectangleArithmetic) {
  Rect a{0, 0, 20, 20}, b{10, 10, 30, 30}, out;
  EXPECT_TRUE(SectRect(&a, &b, &out));
  EXPECT_EQ(out, (Rect{10, 10, 20, 20}));
  Rect far{50, 50, 60, 60};
  EXPECT_FALSE(SectRect(&a, &far, &out));
  EXPECT_EQ(out, Rect{});
  UnionRect(&a, &b, &out);
  EXPECT_EQ(out, (Rect{0, 0, 30, 30}));
  Rect r = a;
  InsetRect(&r, 3, 4);
  EXPECT_EQ(r, (Rect{4, 3, 16, 17}));
  InsetRect(&r, 10, 0);
  EXPECT_EQ(r, Rect{});  // emptied rectangles become (0, 0, 0, 0)
  OffsetRect(&a, 5, -5);
  EXPECT_EQ(a, (Rect{-5, 5, 15, 25}));
  EXPECT_TRUE(PtInRect(Point{-5, 5}, &a));
  EXPECT_FALSE(PtInRect(Point{15, 5}, &a));
  EXPECT_TRUE(EmptyRect(&r));
  Rect frame{0, 0, 100, 200}, dst{0, 0, 50, 100};
  Point p{40, 60};
  MapPt(&p, &frame, &dst);
  EXPECT_EQ(p, (Point{20, 30}));
}

TEST(GWorlds, NewGWorldIsWhiteAndChecksItsArguments) {
  Rect bounds{10, 20, 30, 60};
  GWorldPtr gw = nullptr;
  ASSERT_EQ(NewGWorld(&gw, 32, &bounds, nullptr, nullptr, 0), noErr);
  PixMapHandle pm = GetGWorldPixMap(gw);
  EXPECT_TRUE(LockPixels(pm));
  EXPECT_EQ(GetPixelsState(pm), GWorldFlags(pixelsLocked));
  EXPECT_EQ(GetPixRowBytes(pm), 40 * 4);
  EXPECT_EQ(GetPixDepth(pm), 32);
  Rect got;
  GetPixBounds(pm, &got);
  EXPECT_EQ(got, bounds);
  GetPortBounds(gw, &got);
  EXPECT_EQ(got, bounds);
  auto* px = reinterpret_cast<uint32_t*>(GetPixBaseAddr(pm));
  EXPECT_EQ(px[0] & 0xFFFFFF, kWhite);
  UnlockPixels(pm);
  DisposeGWorld(gw);

  Rect empty{0, 0, 0, 10}, huge{0, 0, 20000, 10};
  EXPECT_EQ(NewGWorld(&gw, 32, &empty, nullptr, nullptr, 0), paramErr);
  EXPECT_EQ(gw, nullptr);
  EXPECT_EQ(NewGWorld(&gw, 32, &huge, nullptr, nullptr, 0), paramErr);
  EXPECT_EQ(NewGWorld(&gw, 12, &bounds, nullptr, nullptr, 0), paramErr);
  EXPECT_EQ(NewGWorld(nullptr, 32, &bounds, nullptr, nullptr, 0), paramErr);
}

TEST(GWorlds, UpdateGWorldKeepsOrStretchesPixels) {
  ScopedGWorld world(Rect{0, 0, 10, 10});
  SetFore(kRed);
  Rect left{0, 0, 10, 5};
  PaintRect(&left);
  GWorldPtr gw = world.get();
  Rect wider{0, 0, 10, 20};
  EXPECT_EQ(UpdateGWorld(&gw, 32, &wider, nullptr, nullptr, clipPix), GWorldFlags(reallocPix));
  EXPECT_EQ(PixelAt(4, 5), kRed);
  EXPECT_EQ(PixelAt(15, 5), kWhite);
  Rect back{0, 0, 10, 10};
  UpdateGWorld(&gw, 32, &back, nullptr, nullptr, stretchPix);
  EXPECT_EQ(PixelAt(2, 5), kRed);
  EXPECT_EQ(PixelAt(7, 5), kWhite);
}

TEST(Ports, OriginMovesLocalCoordinates) {
  ScopedGWorld world(Rect{0, 0, 100, 100});
  SetOrigin(50, 50);
  Rect r;
  GetPortBounds(world.get(), &r);
  EXPECT_EQ(r, (Rect{50, 50, 150, 150}));
  Point p{50, 50};
  LocalToGlobal(&p);
  EXPECT_EQ(p, (Point{0, 0}));
  GlobalToLocal(&p);
  EXPECT_EQ(p, (Point{50, 50}));
  SetFore(kBlue);
  Rect box{50, 50, 60, 60};
  PaintRect(&box);
  SetOrigin(0, 0);
  EXPECT_EQ(PixelAt(5, 5), kBlue);
  EXPECT_EQ(PixelAt(15, 5), kWhite);
}

TEST(Ports, PenStateRoundTripsAndHidePenStopsDrawing) {
  ScopedGWorld world;
  PenSize(3, 4);
  PenMode(patXor);
  PenPat(&qd.gray);
  MoveTo(7, 9);
  PenState saved;
  GetPenState(&saved);
  PenNormal();
  Point size;
  GetPortPenSize(world.get(), &size);
  EXPECT_EQ(size, (Point{1, 1}));
  SetPenState(&saved);
  EXPECT_EQ(GetPortPenMode(world.get()), patXor);
  Point at;
  GetPen(&at);
  EXPECT_EQ(at, (Point{9, 7}));
  PenNormal();
  HidePen();
  Rect r{0, 0, 50, 50};
  PaintRect(&r);
  LineTo(90, 90);
  ShowPen();
  EXPECT_EQ(CountColor(Rect{0, 0, 100, 100}, kWhite), 10000);
}

TEST(Shapes, FrameRectUsesThePenInsideTheRectangle) {
  ScopedGWorld world;
  PenSize(2, 3);
  Rect r{10, 10, 30, 40};  // 30 wide, 20 high
  FrameRect(&r);
  // Outline area: 30x20 minus the inner 26x14.
  EXPECT_EQ(CountColor(Rect{0, 0, 100, 100}, kBlack), 30 * 20 - 26 * 14);
  EXPECT_EQ(PixelAt(10, 10), kBlack);
  EXPECT_EQ(PixelAt(11, 12), kBlack);
  EXPECT_EQ(PixelAt(12, 13), kWhite);
  EXPECT_EQ(PixelAt(39, 29), kBlack);
  EXPECT_EQ(PixelAt(40, 29), kWhite);
}

TEST(Shapes, PaintEraseFillAndInvert) {
  ScopedGWorld world;
  Rect r{0, 0, 10, 10};
  PaintRect(&r);
  EXPECT_EQ(CountColor(Rect{0, 0, 20, 20}, kBlack), 100);
  SetBack(kGreen);
  Rect inner{2, 2, 8, 8};
  EraseRect(&inner);
  EXPECT_EQ(CountColor(r, kGreen), 36);
  SetBack(kWhite);
  Rect fill{20, 20, 28, 28};
  FillRect(&fill, &qd.gray);
  EXPECT_EQ(CountColor(fill, kBlack), 32);  // half of a checkerboard
  EXPECT_NE(PixelAt(20, 20), PixelAt(21, 20));
  InvertRect(&fill);
  EXPECT_EQ(CountColor(fill, kBlack), 32);
  Rect all{0, 0, 10, 10};
  InvertRect(&all);
  EXPECT_EQ(CountColor(all, kWhite), 64);
  EXPECT_EQ(CountColor(all, 0xFF00FF), 36);  // green inverted
}

TEST(Shapes, OvalsAreSymmetricAndInsideTheirRectangle) {
  ScopedGWorld world;
  Rect r{10, 10, 50, 70};  // 60 wide, 40 high
  PaintOval(&r);
  EXPECT_EQ(PixelAt(40, 30), kBlack);
  EXPECT_EQ(PixelAt(10, 10), kWhite);
  EXPECT_EQ(PixelAt(69, 49), kWhite);
  EXPECT_EQ(PixelAt(10, 30), kBlack);  // the middle row reaches both sides
  EXPECT_EQ(PixelAt(69, 30), kBlack);
  int left = CountColor(Rect{10, 10, 50, 40}, kBlack), right = CountColor(Rect{10, 40, 50, 70}, kBlack);
  int top = CountColor(Rect{10, 10, 30, 70}, kBlack), bottom = CountColor(Rect{30, 10, 50, 70}, kBlack);
  EXPECT_EQ(left, right);
  EXPECT_EQ(top, bottom);
  double area = left + right, ideal = 3.14159265 * 30 * 20;
  EXPECT_NEAR(area, ideal, ideal * 0.03);
  EXPECT_EQ(CountColor(Rect{0, 0, 100, 100}, kBlack), left + right);
}

TEST(Shapes, FramedOvalAndRoundRectLeaveTheirInsideAlone) {
  ScopedGWorld world;
  Rect r{10, 10, 50, 50};
  FrameOval(&r);
  EXPECT_EQ(PixelAt(30, 30), kWhite);
  EXPECT_EQ(PixelAt(10, 30), kBlack);
  EXPECT_EQ(PixelAt(30, 49), kBlack);
  Rect rr{60, 10, 90, 90};
  FrameRoundRect(&rr, 20, 20);
  EXPECT_EQ(PixelAt(50, 60), kBlack);  // straight top edge
  EXPECT_EQ(PixelAt(10, 60), kWhite);  // rounded corner
  EXPECT_EQ(PixelAt(50, 75), kWhite);
}

TEST(Shapes, ArcsCoverTheirAnglesOnly) {
  ScopedGWorld world;
  Rect r{0, 0, 80, 80};
  PaintArc(&r, 0, 90);  // 12 o'clock to 3 o'clock: the top right quarter
  EXPECT_EQ(PixelAt(60, 20), kBlack);
  EXPECT_EQ(PixelAt(20, 20), kWhite);
  EXPECT_EQ(PixelAt(60, 60), kWhite);
  EXPECT_EQ(PixelAt(20, 60), kWhite);
  Rect r2{0, 0, 80, 80};
  EraseRect(&r2);
  PaintArc(&r2, 90, -180);  // anticlockwise from 3 o'clock to 9 o'clock: the top half
  EXPECT_EQ(PixelAt(20, 20), kBlack);
  EXPECT_EQ(PixelAt(60, 20), kBlack);
  EXPECT_EQ(PixelAt(40, 60), kWhite);
  EraseRect(&r2);
  FrameArc(&r2, 180, 90);  // bottom left quarter of the outline
  EXPECT_EQ(PixelAt(0, 45), kBlack);
  EXPECT_EQ(PixelAt(20, 60), kWhite);
  EXPECT_EQ(PixelAt(79, 35), kWhite);
}

TEST(Shapes, PolygonsFillEvenOddAndFrameTheirEdges) {
  ScopedGWorld world;
  PolyHandle tri = OpenPoly();
  MoveTo(10, 10);
  LineTo(90, 10);
  LineTo(10, 90);
  LineTo(10, 10);
  ClosePoly();
  ASSERT_TRUE(tri);
  EXPECT_EQ(CountColor(Rect{0, 0, 100, 100}, kWhite), 10000);  // nothing drawn while open
  PaintPoly(tri);
  EXPECT_EQ(PixelAt(20, 20), kBlack);
  EXPECT_EQ(PixelAt(80, 80), kWhite);
  int area = CountColor(Rect{0, 0, 100, 100}, kBlack);
  EXPECT_NEAR(area, 80 * 80 / 2, 80);
  Rect all{0, 0, 100, 100};
  EraseRect(&all);
  FramePoly(tri);
  EXPECT_EQ(PixelAt(50, 10), kBlack);
  EXPECT_EQ(PixelAt(10, 50), kBlack);
  EXPECT_EQ(PixelAt(30, 30), kWhite);
  OffsetPoly(tri, 5, 0);
  EraseRect(&all);
  PaintPoly(tri);
  EXPECT_EQ(PixelAt(12, 20), kWhite);
  EXPECT_EQ(PixelAt(16, 20), kBlack);
  KillPoly(tri);
}

TEST(Shapes, LinesCarryThePenRectangle) {
  ScopedGWorld world;
  MoveTo(10, 10);
  LineTo(20, 20);
  for (short i = 10; i <= 20; ++i) EXPECT_EQ(PixelAt(i, i), kBlack) << i;
  EXPECT_EQ(CountColor(Rect{0, 0, 100, 100}, kBlack), 11);
  Point pen;
  GetPen(&pen);
  EXPECT_EQ(pen, (Point{20, 20}));
  PenSize(1, 3);
  MoveTo(30, 50);
  Line(20, 0);
  EXPECT_EQ(CountColor(Rect{40, 0, 60, 100}, kBlack), 21 * 3);
}

TEST(Shapes, RegionsPaintAndFrame) {
  ScopedGWorld world;
  RgnHandle rgn = NewRgn(), other = NewRgn();
  SetRectRgn(rgn, 10, 10, 40, 40);
  SetRectRgn(other, 30, 30, 60, 60);
  UnionRgn(rgn, other, rgn);
  PaintRgn(rgn);
  EXPECT_EQ(CountColor(Rect{0, 0, 100, 100}, kBlack), 900 + 900 - 100);
  EraseRgn(rgn);
  FrameRgn(rgn);
  EXPECT_EQ(PixelAt(10, 10), kBlack);
  EXPECT_EQ(PixelAt(20, 20), kWhite);
  EXPECT_EQ(PixelAt(59, 59), kBlack);
  InvertRgn(rgn);
  EXPECT_EQ(PixelAt(20, 20), kBlack);
  FillRgn(rgn, &qd.white);
  EXPECT_EQ(CountColor(Rect{0, 0, 100, 100}, kBlack), 0);
  DisposeRgn(rgn);
  DisposeRgn(other);
}

TEST(Shapes, PixelPatternsPaintTheirColours) {
  ScopedGWorld world;
  RGBColor green = Rgb(kGreen);
  PixPatHandle pp = NewPixPatFromRGB(&green);
  ASSERT_TRUE(pp);
  PenPixPat(pp);
  Rect r{0, 0, 10, 10};
  PaintRect(&r);
  EXPECT_EQ(CountColor(r, kGreen), 100);
  PenPat(&qd.black);  // back to the pattern
  Rect r2{20, 20, 30, 30};
  PaintRect(&r2);
  EXPECT_EQ(PixelAt(25, 25), kBlack);
  Rect r3{40, 40, 50, 50};
  FillCOval(&r3, pp);
  EXPECT_EQ(PixelAt(45, 45), kGreen);
  BackPixPat(pp);
  Rect r4{60, 60, 70, 70};
  EraseRect(&r4);
  EXPECT_EQ(PixelAt(65, 65), kGreen);
  DisposePixPat(pp);
}

TEST(Shapes, ScrollRectMovesPixelsAndReportsTheUncoveredStrip) {
  ScopedGWorld world;
  Rect bar{0, 10, 50, 20};
  PaintRect(&bar);
  SetBack(kGreen);
  RgnHandle update = NewRgn();
  Rect area{0, 0, 50, 50};
  ScrollRect(&area, 15, 0, update);
  EXPECT_EQ(PixelAt(12, 5), kGreen);  // uncovered, erased with the background
  EXPECT_EQ(PixelAt(27, 5), kBlack);  // the bar moved right by 15
  EXPECT_EQ(PixelAt(22, 5), kWhite);
  EXPECT_EQ(PixelAt(60, 5), kWhite);  // outside the scrolled rectangle
  Rect ub;
  GetRegionBounds(update, &ub);
  EXPECT_EQ(ub, (Rect{0, 0, 50, 15}));
  DisposeRgn(update);
}

TEST(Shapes, HiliteSwapsBackgroundAndHighlightOnce) {
  ScopedGWorld world;
  RGBColor hil = Rgb(0x3366CC);
  RGBColor savedHil;
  LMGetHiliteRGB(&savedHil);
  LMSetHiliteRGB(&hil);
  Rect black{0, 0, 10, 10};
  PaintRect(&black);
  UInt8 mode = LMGetHiliteMode();
  LMSetHiliteMode(mode & 127);
  Rect r{0, 0, 20, 20};
  InvertRect(&r);
  EXPECT_EQ(PixelAt(15, 15), 0x3366CCu);  // background became highlight
  EXPECT_EQ(PixelAt(5, 5), kBlack);       // other colours stay
  EXPECT_TRUE(LMGetHiliteMode() & kHiliteModeBit);
  InvertRect(&r);  // the bit is back: a plain inversion
  EXPECT_EQ(PixelAt(5, 5), kWhite);
  PenMode(hilite);
  SetFore(kBlack);
  Rect again{0, 0, 20, 20};
  EraseRect(&again);
  PaintRect(&again);
  EXPECT_EQ(PixelAt(15, 15), 0x3366CCu);
  LMSetHiliteRGB(&savedHil);
}

// Every primitive drawn over the whole port must stay inside the clip and visible regions.
TEST(Clipping, EveryPrimitiveStaysInsideTheClip) {
  std::vector<std::pair<std::string, std::function<void()>>> primitives = {
      {"LineTo", [] { PenSize(3, 3); MoveTo(0, 0); LineTo(99, 99); MoveTo(0, 99); LineTo(99, 0); }},
      {"FrameRect", [] { PenSize(30, 30); Rect r{0, 0, 100, 100}; FrameRect(&r); }},
      {"PaintRect", [] { Rect r{0, 0, 100, 100}; PaintRect(&r); }},
      {"EraseRect", [] { SetBack(kRed); Rect r{0, 0, 100, 100}; EraseRect(&r); }},
      {"InvertRect", [] { Rect r{0, 0, 100, 100}; InvertRect(&r); }},
      {"FillRect", [] { Rect r{0, 0, 100, 100}; FillRect(&r, &qd.dkGray); }},
      {"PaintRoundRect", [] { Rect r{0, 0, 100, 100}; PaintRoundRect(&r, 30, 30); }},
      {"PaintOval", [] { Rect r{0, 0, 100, 100}; PaintOval(&r); }},
      {"FrameOval", [] { PenSize(20, 20); Rect r{0, 0, 100, 100}; FrameOval(&r); }},
      {"PaintArc", [] { Rect r{0, 0, 100, 100}; PaintArc(&r, 0, 300); }},
      {"PaintPoly", [] {
         PolyHandle p = OpenPoly(); MoveTo(0, 0); LineTo(99, 0); LineTo(50, 99); LineTo(0, 0);
         ClosePoly(); PaintPoly(p); KillPoly(p); }},
      {"PaintRgn", [] { RgnHandle r = NewRgn(); SetRectRgn(r, 0, 0, 100, 100); PaintRgn(r); DisposeRgn(r); }},
      {"SetCPixel", [] { RGBColor c = Rgb(kRed); for (short i = 0; i < 100; ++i) SetCPixel(i, i, &c); }},
      {"DrawString", [] {
         TextSize(40); MoveTo(0, 60);
         DrawString(reinterpret_cast<const unsigned char*>("\x06WWWWWW")); }},
      {"CopyBits", [] {
         GWorldPtr src; Rect b{0, 0, 100, 100};
         NewGWorld(&src, 32, &b, nullptr, nullptr, 0);
         CGrafPtr self; GDHandle gd; GetGWorld(&self, &gd);
         SetGWorld(src, nullptr); PaintRect(&b); SetGWorld(self, gd);
         CopyBits(GetPortBitMapForCopyBits(src), GetPortBitMapForCopyBits(self), &b, &b, srcCopy, nullptr);
         DisposeGWorld(src); }},
      {"FillCRect", [] {
         RGBColor c = Rgb(kBlue); PixPatHandle pp = NewPixPatFromRGB(&c);
         Rect r{0, 0, 100, 100}; FillCRect(&r, pp); DisposePixPat(pp); }},
      {"ScrollRect", [] {
         Rect r{0, 0, 100, 100}; SetBack(kRed); ScrollRect(&r, 10, 10, nullptr); }},
  };
  for (bool useVisRgn : {false, true}) {
    for (auto& [name, draw] : primitives) {
      SCOPED_TRACE(name + (useVisRgn ? " (visible region)" : " (clip region)"));
      ScopedGWorld world;
      Rect inside{20, 20, 60, 60};
      if (useVisRgn) {
        RgnHandle vis = NewRgn();
        RectRgn(vis, &inside);
        SetPortVisibleRegion(world.get(), vis);
        DisposeRgn(vis);
      } else {
        ClipRect(&inside);
      }
      draw();
      int changedInside = CountPixels(inside, [](uint32_t p) { return p != kWhite; });
      int changedTotal = CountPixels(Rect{0, 0, 100, 100}, [](uint32_t p) { return p != kWhite; });
      EXPECT_GT(changedInside, 0);
      EXPECT_EQ(changedTotal, changedInside);
    }
  }
}

}  // namespace
