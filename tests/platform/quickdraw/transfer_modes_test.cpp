#include <gtest/gtest.h>

#include <vector>

#include "tests/platform/quickdraw/qd_test_support.h"

namespace {

using namespace qd_test;

constexpr uint32_t kMagenta = 0xFF00FF;  // green inverted

// Pattern modes: each paints a black pattern bit and a white one over a green pixel with a red
// foreground and blue background.
TEST(TransferModes, PatternModesTruthTable) {
  struct Row {
    short mode;
    uint32_t onBlackBit, onWhiteBit;
  };
  const Row rows[] = {
      {patCopy, kRed, kBlue},        {patOr, kRed, kGreen},        {patXor, kMagenta, kGreen},
      {patBic, kBlue, kGreen},       {notPatCopy, kBlue, kRed},    {notPatOr, kGreen, kRed},
      {notPatXor, kGreen, kMagenta}, {notPatBic, kGreen, kBlue},
      // Source modes given to the pen act as their pattern modes.
      {srcCopy, kRed, kBlue},        {srcXor, kMagenta, kGreen},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.mode);
    ScopedGWorld world(Rect{0, 0, 8, 8});
    SetBack(kGreen);
    Rect all{0, 0, 8, 8};
    EraseRect(&all);
    SetFore(kRed);
    SetBack(kBlue);
    PenMode(row.mode);
    // Columns 0-3 black bits, 4-7 white bits.
    Pattern half{{0xF0, 0xF0, 0xF0, 0xF0, 0xF0, 0xF0, 0xF0, 0xF0}};
    PenPat(&half);
    PaintRect(&all);
    EXPECT_EQ(PixelAt(1, 1), row.onBlackBit);
    EXPECT_EQ(PixelAt(6, 1), row.onWhiteBit);
  }
}

// Colour sources through CopyBits, black foreground and white background (no tinting).
TEST(TransferModes, ColourModesOnPixels) {
  const uint32_t dst = 0xCC8844, src = 0x336699;
  struct Row {
    short mode;
    uint32_t expected;
  };
  const Row rows[] = {
      {srcCopy, 0x336699},   {srcOr, 0x000000},    {srcXor, 0x001122},    {srcBic, 0xCC9966},
      {notSrcCopy, 0xCC9966}, {notSrcOr, 0xCC8844}, {notSrcXor, 0xFFEEDD}, {notSrcBic, 0xFFEEDD},
      {addOver, 0xFFEEDD},   {addMax, 0xCC8899},   {adMin, 0x336644},     {subOver, 0x9922AB},
      {subPin, 0x992200},    {transparent, 0x336699},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.mode);
    ScopedGWorld srcWorld(Rect{0, 0, 4, 4});
    SetFore(src);
    Rect all{0, 0, 4, 4};
    PaintRect(&all);
    ScopedGWorld dstWorld(Rect{0, 0, 4, 4});
    SetFore(dst);
    PaintRect(&all);
    SetFore(kBlack);
    RGBColor zero{0, 0, 0};
    OpColor(&zero);  // subPin's floor
    CopyBits(GetPortBitMapForCopyBits(srcWorld.get()), GetPortBitMapForCopyBits(dstWorld.get()),
             &all, &all, row.mode, nullptr);
    EXPECT_EQ(PixelAt(1, 1), row.expected);
  }
}

TEST(TransferModes, ArithmeticModesUseTheOperationColour) {
  ScopedGWorld srcWorld(Rect{0, 0, 2, 2});
  Rect all{0, 0, 2, 2};
  SetFore(0x336699);
  PaintRect(&all);
  ScopedGWorld dstWorld(Rect{0, 0, 2, 2});
  SetFore(0xCC8844);
  PaintRect(&all);
  SetFore(kBlack);
  RGBColor pin = Rgb(0x808080);
  OpColor(&pin);
  CopyBits(GetPortBitMapForCopyBits(srcWorld.get()), GetPortBitMapForCopyBits(dstWorld.get()), &all,
           &all, addPin, nullptr);
  EXPECT_EQ(PixelAt(0, 0), 0x808080u);
  SetFore(0xCC8844);
  PaintRect(&all);
  SetFore(kBlack);
  OpColor(&pin);  // about half weight: the blend lands half way
  CopyBits(GetPortBitMapForCopyBits(srcWorld.get()), GetPortBitMapForCopyBits(dstWorld.get()), &all,
           &all, blend, nullptr);
  uint32_t p = PixelAt(0, 0);
  EXPECT_NEAR(int(p >> 16), (0xCC + 0x33) / 2, 1);
  EXPECT_NEAR(int((p >> 8) & 0xFF), (0x88 + 0x66) / 2, 1);
  EXPECT_NEAR(int(p & 0xFF), (0x44 + 0x99) / 2, 1);
}

// One-bit sources are coloured by the port's colours: 1 is foreground, 0 background.
TEST(TransferModes, OneBitSourcesTakeThePortColours) {
  uint8_t bits[2] = {0x80, 0x00};  // pixel (0,0) set, (1,0) clear
  BitMap bm{reinterpret_cast<Ptr>(bits), 2, Rect{0, 0, 1, 2}};
  struct Row {
    short mode;
    uint32_t onSet, onClear;
  };
  const Row rows[] = {{srcCopy, kRed, kBlue}, {srcOr, kRed, kGreen}, {srcXor, kMagenta, kGreen},
                      {srcBic, kBlue, kGreen}, {notSrcCopy, kBlue, kRed}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.mode);
    ScopedGWorld world(Rect{0, 0, 4, 4});
    SetBack(kGreen);
    Rect all{0, 0, 4, 4};
    EraseRect(&all);
    SetFore(kRed);
    SetBack(kBlue);
    Rect src{0, 0, 1, 2}, dst{0, 0, 1, 2};
    CopyBits(&bm, GetPortBitMapForCopyBits(world.get()), &src, &dst, row.mode, nullptr);
    EXPECT_EQ(PixelAt(0, 0), row.onSet);
    EXPECT_EQ(PixelAt(1, 0), row.onClear);
  }
}

TEST(TransferModes, ColourSourcesAreTintedOnlyAwayFromBlackOnWhite) {
  ScopedGWorld srcWorld(Rect{0, 0, 1, 2});
  Rect left{0, 0, 1, 1}, all{0, 0, 1, 2};
  PaintRect(&left);  // black at (0,0), white at (1,0)
  ScopedGWorld dstWorld(Rect{0, 0, 1, 2});
  SetFore(kRed);
  SetBack(kBlue);
  Rect whole{0, 0, 1, 2};
  CopyBits(GetPortBitMapForCopyBits(srcWorld.get()), GetPortBitMapForCopyBits(dstWorld.get()), &all,
           &whole, srcCopy, nullptr);
  EXPECT_EQ(PixelAt(0, 0), kRed);
  EXPECT_EQ(PixelAt(1, 0), kBlue);
}

}  // namespace
