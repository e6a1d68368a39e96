#include <gtest/gtest.h>

#include <string>

#include "platform/memory/byte_order.h"
#include "shell/drawing/bitmap_resources.h"
#include "shell/windows/app_windows.h"
#include "tests/platform/windows/windows_test_support.h"
#include "tests/shell/drawing/drawing_test_support.h"
#include "tests/shell/files_errors/resource_fixture.h"

namespace {

using namespace drawing_test;

// A 'BYBM' image: header, then the rows as given.
std::string Bybm(int16_t rowBytes, Rect bounds, const std::string& bits) {
  std::string bytes(14, '\0');
  WriteU32BE(&bytes[0], 14);
  WriteI16BE(&bytes[4], rowBytes);
  WriteI16BE(&bytes[6], bounds.top);
  WriteI16BE(&bytes[8], bounds.left);
  WriteI16BE(&bytes[10], bounds.bottom);
  WriteI16BE(&bytes[12], bounds.right);
  return bytes + bits;
}

// 10 x 3: a full row, the two end columns, and every other column.
const std::string kRows("\xFF\xC0\x80\x40\xAA\x80", 6);

class BitmapResources : public ResourceFixture {
 protected:
  void PaintRed() {
    SetFore(kRed);
    PaintRect(&all_);
    SetFore(kBlack);
  }
  ScopedGWorld world_{Rect{0, 0, 60, 60}};
  Rect all_{0, 0, 60, 60};
};

TEST_F(BitmapResources, MaskModePaintsOnlyTheSetBits) {
  AddBytes(kBitmapResType, 300, Bybm(2, Rect{0, 0, 3, 10}, kRows));
  PaintRed();
  EXPECT_EQ(DrawBitmapResource(nullptr, 20, 30, 0, 300), 10);
  for (short h = 20; h < 30; ++h) EXPECT_EQ(PixelAt(h, 30), kBlack) << h;
  EXPECT_EQ(PixelAt(20, 31), kBlack);
  EXPECT_EQ(PixelAt(29, 31), kBlack);
  EXPECT_EQ(PixelAt(21, 31), kRed);
  EXPECT_EQ(PixelAt(20, 32), kBlack);
  EXPECT_EQ(PixelAt(21, 32), kRed);
  EXPECT_EQ(PixelAt(30, 30), kRed);  // one past the width
  EXPECT_EQ(CountColor(all_, kBlack), 10 + 2 + 5);
  EXPECT_EQ(CountColor(all_, kWhite), 0);

  // The resource itself is left as it was (no address is written into it).
  Handle h = GetResource(kBitmapResType, 300);
  ASSERT_TRUE(h);
  EXPECT_EQ(ReadU32BE(*h), 14u);
  EXPECT_EQ(GetHandleSize(h), 14 + 6);
}

TEST_F(BitmapResources, CopyModeAndBoundsOrigin) {
  AddBytes(kBitmapResType, 301, Bybm(2, Rect{5, 2, 8, 12}, kRows));
  PaintRed();
  EXPECT_EQ(DrawBitmapResource(nullptr, 0, 0, -1, 301), 10);
  EXPECT_EQ(PixelAt(2, 5), kBlack);
  EXPECT_EQ(PixelAt(3, 6), kWhite);  // clear bits are copied as white
  EXPECT_EQ(PixelAt(1, 5), kRed);
  EXPECT_EQ(CountColor(all_, kBlack) + CountColor(all_, kWhite), 30);

  PaintRed();
  EXPECT_EQ(DrawBitmapResource(nullptr, 0, 0, srcXor, 301), 10);
  EXPECT_EQ(PixelAt(3, 6), kRed);  // xor of a clear bit changes nothing
  EXPECT_NE(PixelAt(2, 5), kRed);
}

TEST_F(BitmapResources, DrawsIntoAWindowAndKeepsTheCurrentPort) {
  ASSERT_TRUE(windows_test::kHeadlessScreen);
  AddBytes(kBitmapResType, 302, Bybm(2, Rect{0, 0, 3, 10}, kRows));
  WindowRef window = nullptr;
  Rect bounds{100, 100, 200, 300};
  ASSERT_EQ(CreateNewWindow(kDocumentWindowClass, 0, &bounds, &window), noErr);
  ShowWindow(window);
  PaintRed();
  EXPECT_EQ(DrawBitmapResource(window, 5, 6, -1, 302), 10);
  GrafPtr port = nullptr;
  GetPort(&port);
  EXPECT_EQ(port, world_.get());
  EXPECT_EQ(CountColor(all_, kRed), 3600);  // nothing in the current port
  SetPortWindowPort(window);
  EXPECT_EQ(PixelAt(5, 6), kBlack);
  EXPECT_EQ(PixelAt(6, 7), kWhite);
  SetPort(port);

  // Through an AppWindow record.
  AppWindow record;
  record.window = window;
  EXPECT_EQ(DrawBitmapResourceInWindow(&record, 20, 6, 0, 302), 10);
  SetPortWindowPort(window);
  EXPECT_EQ(PixelAt(20, 6), kBlack);
  SetPort(port);
  EXPECT_EQ(DrawBitmapResourceInWindow(nullptr, 20, 6, 0, 302), 0);
  DisposeWindow(window);
}

TEST_F(BitmapResources, MalformedOrMissingImagesDrawNothing) {
  struct Row {
    const char* name;
    std::string bytes;
  } rows[] = {
      {"shorter than the header", Bybm(2, Rect{0, 0, 3, 10}, kRows).substr(0, 12)},
      {"bits cut short", Bybm(2, Rect{0, 0, 3, 10}, kRows.substr(0, 5))},
      {"zero row bytes", Bybm(0, Rect{0, 0, 3, 10}, kRows)},
      {"pixel-map flag in row bytes", Bybm(int16_t(0x8002), Rect{0, 0, 3, 10}, kRows)},
      {"rows narrower than the width", Bybm(1, Rect{0, 0, 3, 10}, kRows)},
      {"empty bounds", Bybm(2, Rect{0, 0, 0, 10}, kRows)},
      {"reversed bounds", Bybm(2, Rect{3, 10, 0, 0}, kRows)},
      {"huge height", Bybm(2, Rect{-32000, 0, 32000, 10}, kRows)},
  };
  int16_t id = 400;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    AddBytes(kBitmapResType, id, row.bytes);
    PaintRed();
    EXPECT_EQ(DrawBitmapResource(nullptr, 10, 10, -1, id), 0);
    EXPECT_EQ(CountColor(all_, kRed), 3600);
    BitMap bits;
    EXPECT_EQ(BitmapFromResource(GetResource(kBitmapResType, id), &bits), kBadBitmapResourceErr);
    ++id;
  }
  EXPECT_EQ(DrawBitmapResource(nullptr, 10, 10, -1, 999), 0);
  BitMap bits;
  EXPECT_EQ(BitmapFromResource(Handle(), &bits), paramErr);
}

}  // namespace
