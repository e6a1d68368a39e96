#include <gtest/gtest.h>

#include "tests/platform/quickdraw/qd_test_support.h"

namespace {

using namespace qd_test;

// A 2x2 source of four colours.
class FourColours : public ::testing::Test {
 protected:
  void SetUp() override {
    Rect b{0, 0, 2, 2};
    GetGWorld(&savedPort_, &savedDevice_);
    ASSERT_EQ(NewGWorld(&src_, 32, &b, nullptr, nullptr, 0), noErr);
    SetGWorld(src_, nullptr);
    const uint32_t colours[4] = {kRed, kGreen, kBlue, kBlack};
    for (short i = 0; i < 4; ++i) {
      RGBColor c = Rgb(colours[i]);
      SetCPixel(i % 2, i / 2, &c);
    }
    SetGWorld(savedPort_, savedDevice_);
  }
  void TearDown() override { DisposeGWorld(src_); }
  const BitMap* Src() const { return GetPortBitMapForCopyBits(src_); }

  GWorldPtr src_ = nullptr;
  CGrafPtr savedPort_ = nullptr;
  GDHandle savedDevice_ = nullptr;
};

TEST_F(FourColours, ScalesUpByWholePixels) {
  ScopedGWorld dst(Rect{0, 0, 20, 20});
  Rect s{0, 0, 2, 2}, d{4, 4, 12, 12};
  CopyBits(Src(), GetPortBitMapForCopyBits(dst.get()), &s, &d, srcCopy, nullptr);
  EXPECT_EQ(CountColor(Rect{4, 4, 8, 8}, kRed), 16);
  EXPECT_EQ(CountColor(Rect{4, 8, 8, 12}, kGreen), 16);
  EXPECT_EQ(CountColor(Rect{8, 4, 12, 8}, kBlue), 16);
  EXPECT_EQ(CountColor(Rect{8, 8, 12, 12}, kBlack), 16);
  EXPECT_EQ(CountColor(Rect{0, 0, 20, 20}, kWhite), 400 - 64);
}

TEST_F(FourColours, ScalesDownAndHonoursTheMaskRegion) {
  ScopedGWorld dst(Rect{0, 0, 20, 20});
  Rect s{0, 0, 2, 2}, d{0, 0, 1, 1};
  CopyBits(Src(), GetPortBitMapForCopyBits(dst.get()), &s, &d, srcCopy, nullptr);
  EXPECT_EQ(PixelAt(0, 0), kRed);
  RgnHandle mask = NewRgn();
  SetRectRgn(mask, 10, 10, 12, 11);  // only the top row of the destination
  Rect big{10, 10, 14, 14};
  CopyBits(Src(), GetPortBitMapForCopyBits(dst.get()), &s, &big, srcCopy, mask);
  EXPECT_EQ(CountColor(Rect{10, 10, 14, 14}, kWhite), 16 - 2);
  EXPECT_EQ(PixelAt(10, 10), kRed);
  DisposeRgn(mask);
}

TEST_F(FourColours, SourceRectangleOutsideTheMapCopiesNothingThere) {
  ScopedGWorld dst(Rect{0, 0, 10, 10});
  Rect s{0, 0, 4, 4}, d{0, 0, 4, 4};  // half of it lies outside the 2x2 source
  CopyBits(Src(), GetPortBitMapForCopyBits(dst.get()), &s, &d, srcCopy, nullptr);
  EXPECT_EQ(PixelAt(1, 1), kBlack);
  EXPECT_EQ(PixelAt(3, 3), kWhite);
}

TEST_F(FourColours, OtherDestinationsAreNotClippedByTheCurrentPort) {
  ScopedGWorld other(Rect{0, 0, 4, 4});
  ScopedGWorld current(Rect{0, 0, 4, 4});
  Rect none{0, 0, 0, 0};
  ClipRect(&none);
  Rect s{0, 0, 2, 2};
  CopyBits(Src(), GetPortBitMapForCopyBits(other.get()), &s, &s, srcCopy, nullptr);
  CopyBits(Src(), GetPortBitMapForCopyBits(current.get()), &s, &s, srcCopy, nullptr);
  EXPECT_EQ(PixelAt(0, 0), kWhite);  // the current port's clip held
  SetGWorld(other.get(), nullptr);
  EXPECT_EQ(PixelAt(0, 0), kRed);
  SetGWorld(current.get(), nullptr);
}

TEST_F(FourColours, CopyMaskTakesSetBitsOrBlendsByAColourMask) {
  ScopedGWorld dst(Rect{0, 0, 4, 4});
  uint8_t maskBits[2] = {0x80, 0x40};  // (0,0) and (1,1)
  BitMap mask{reinterpret_cast<Ptr>(maskBits), 1, Rect{0, 0, 2, 2}};
  Rect s{0, 0, 2, 2};
  CopyMask(Src(), &mask, GetPortBitMapForCopyBits(dst.get()), &s, &s, &s);
  EXPECT_EQ(PixelAt(0, 0), kRed);
  EXPECT_EQ(PixelAt(1, 0), kWhite);
  EXPECT_EQ(PixelAt(0, 1), kWhite);
  EXPECT_EQ(PixelAt(1, 1), kBlack);

  // A grey mask weighs source and destination half and half.
  ScopedGWorld greyMask(Rect{0, 0, 2, 2});
  SetFore(0x808080);
  Rect all{0, 0, 2, 2};
  PaintRect(&all);
  ScopedGWorld blendDst(Rect{0, 0, 2, 2});
  CopyMask(Src(), GetPortBitMapForCopyBits(greyMask.get()), GetPortBitMapForCopyBits(blendDst.get()),
           &s, &s, &s);
  EXPECT_NEAR(int(PixelAt(0, 0) >> 16), 0xFF, 1);
  EXPECT_NEAR(int((PixelAt(0, 0) >> 8) & 0xFF), 0x7F, 1);
}

TEST(CopyBitsWithinOneMap, OverlappingCopiesReadTheOldPixels) {
  ScopedGWorld world(Rect{0, 0, 1, 10});
  RGBColor red = Rgb(kRed), blue = Rgb(kBlue);
  SetCPixel(0, 0, &red);
  SetCPixel(1, 0, &blue);
  Rect s{0, 0, 1, 8}, d{0, 1, 1, 9};
  const BitMap* bits = GetPortBitMapForCopyBits(world.get());
  CopyBits(bits, bits, &s, &d, srcCopy, nullptr);
  EXPECT_EQ(PixelAt(1, 0), kRed);
  EXPECT_EQ(PixelAt(2, 0), kBlue);
  EXPECT_EQ(PixelAt(3, 0), kWhite);
}

TEST(CopyBitsArguments, BadMapsAreRefused) {
  ScopedGWorld world(Rect{0, 0, 4, 4});
  BitMap nothing{nullptr, 2, Rect{0, 0, 4, 4}};
  Rect r{0, 0, 4, 4};
  CopyBits(&nothing, GetPortBitMapForCopyBits(world.get()), &r, &r, srcCopy, nullptr);
  EXPECT_EQ(QDError(), paramErr);
  CopyBits(GetPortBitMapForCopyBits(world.get()), nullptr, &r, &r, srcCopy, nullptr);
  EXPECT_EQ(QDError(), paramErr);
  EXPECT_EQ(CountColor(r, kWhite), 16);
}

}  // namespace
