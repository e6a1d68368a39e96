// The choice of screen for a rectangle, and pictures and drawing that go through offscreen
// worlds arriving with the same pixels as when drawn straight into a window.
#include <gtest/gtest.h>

#include "platform/quickdraw/quickdraw.h"
#include "platform/windows/windows.h"
#include "shell/drawing/offscreen_images.h"
#include "shell/drawing/screen_bounds.h"
#include "tests/platform/quickdraw/pict_builder.h"
#include "tests/platform/quickdraw/qd_test_support.h"
#include "tests/platform/windows/windows_test_support.h"
#include "tests/shell/files_errors/resource_fixture.h"

namespace {

using namespace qd_test;

TEST(ScreenChoice, TheScreenHoldingMostOfARectangleWins) {
  const Rect screens[2] = {{20, 0, 800, 1280}, {0, 1280, 1024, 2560}};
  struct Case { const char* what; Rect r; int32_t best; };
  const Case cases[] = {
      {"all on the left screen", {100, 100, 300, 400}, 0},
      {"mostly on the right screen", {100, 1200, 300, 1600}, 1},
      {"mostly on the left screen", {100, 1000, 300, 1400}, 0},
      {"below the left screen, on the right one", {900, 1100, 1000, 1500}, 1},
      {"off every screen", {-500, -500, -100, -100}, -1},
      {"empty", {100, 100, 100, 400}, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(c.best, FindBestRectIndex(screens, 2, c.r)) << c.what;
  EXPECT_EQ(-1, FindBestRectIndex(screens, 0, cases[0].r));
}

TEST(ScreenChoice, TheRealScreenIsFoundAndGivesTheDesktopBounds) {
  Rect available{};
  Rect far{-900, -900, -800, -800};
  EXPECT_EQ(GetMainDevice(), FindBestScreenForRect(&far, &available));
  EXPECT_EQ(1024, available.right - available.left);
  EXPECT_EQ(GetMBarHeight(), available.top);
  RefreshDisplaySettings();
  EXPECT_EQ(available.top + 1, gDesktopBounds.top);
  EXPECT_EQ(1024, GetScreenWidth());
  EXPECT_GT(gScreenDepthIndex, 2);
  Size size = 0;
  ASSERT_NE(nullptr, GetScreenRowScratch(&size));
  EXPECT_EQ(Size(GetScreenHeight()) * 6 + 1, size);
}

// A square red frame and a blue diagonal band: shapes whose pixels show any shift.
void DrawMarks(Rect* r) {
  SetFore(kRed);
  FrameRect(r);
  SetFore(kBlue);
  MoveTo(short(r->left + 2), short(r->top + 2));
  LineTo(short(r->right - 3), short(r->bottom - 3));
  Rect inner = *r;
  InsetRect(&inner, 10, 12);
  PaintOval(&inner);
  SetFore(kBlack);
}

std::vector<uint32_t> Pixels(const Rect& r) {
  std::vector<uint32_t> out;
  for (short v = r.top; v < r.bottom; ++v)
    for (short h = r.left; h < r.right; ++h) out.push_back(PixelAt(h, v));
  return out;
}

class Offscreen : public ResourceFixture {
 protected:
  void TearDown() override {
    DisposePictureCache();
    ResourceFixture::TearDown();
  }
  void AddPicture(int16_t id, Rect frame, uint32_t rgb) {
    PictBuilder pict(frame);
    RGBColor c = Rgb(rgb);
    pict.Op(0x1A).U16(c.red).U16(c.green).U16(c.blue);
    pict.Op(0x31).R(frame.top, frame.left, frame.bottom, frame.right);
    AddBytes(FourCC("PICT"), id, pict.Finish());
  }
};

TEST_F(Offscreen, DrawingThroughAnOffscreenWorldGivesTheSamePixels) {
  ScopedGWorld world(Rect{0, 0, 200, 200});
  Rect direct{10, 10, 70, 90};
  DrawMarks(&direct);
  Rect through{10, 100, 70, 180};
  GWorldPtr kept = DrawThroughOffscreen(DrawMarks, &through, nullptr, false);
  ASSERT_NE(nullptr, kept);
  EXPECT_EQ((Rect{10, 100, 70, 180}), through) << "the caller's rectangle comes back";
  EXPECT_EQ(Pixels(direct), Pixels(through));
  EXPECT_GT(CountColor(through, kRed), 0);

  // The kept world holds the same image at (0, 0).
  Rect local{0, 0, 60, 80};
  Rect again{100, 10, 160, 90};
  EraseRect(&again);
  CopyOffscreenToPort(kept, &again, &local);
  DisposeGWorld(kept);
  EXPECT_EQ(Pixels(direct), Pixels(again));
}

TEST_F(Offscreen, ThroughAnOffscreenWorldAWindowShowsWhatDirectDrawingShows) {
  WindowRef window = nullptr;
  Rect bounds{100, 100, 300, 400};
  ASSERT_EQ(noErr, CreateNewWindow(kDocumentWindowClass, 0, &bounds, &window));
  ShowWindow(window);
  SetPortWindowPort(window);
  Rect direct{10, 10, 70, 90};
  DrawMarks(&direct);
  Rect through{10, 150, 70, 230};
  EXPECT_EQ(nullptr, DrawThroughOffscreen(DrawMarks, &through, nullptr, true));
  EXPECT_EQ(Pixels(direct), Pixels(through));
  EXPECT_GT(CountColor(through, kBlue), 10);
  DisposeWindow(window);
}

TEST_F(Offscreen, PicturesAreCachedOnceAndCopiedToTheCorner) {
  AddPicture(200, Rect{0, 0, 20, 30}, kGreen);
  ScopedGWorld world(Rect{0, 0, 100, 100});
  Rect all{0, 0, 100, 100};
  EXPECT_EQ(paramErr, CopyCachedPicture(&all));
  ASSERT_EQ(noErr, CachePictureOffscreen(200));
  GWorldPtr first = gPictureCache;
  ASSERT_EQ(noErr, CachePictureOffscreen(200));
  EXPECT_EQ(first, gPictureCache) << "the same frame keeps the world";

  Rect target{40, 40, 90, 95};
  ASSERT_EQ(noErr, CopyCachedPicture(&target));
  EXPECT_EQ(kGreen, PixelAt(94, 89));
  EXPECT_EQ(kGreen, PixelAt(65, 70));
  EXPECT_EQ(kWhite, PixelAt(64, 70));
  EXPECT_EQ(kWhite, PixelAt(65, 69));
  EXPECT_EQ(20 * 30, CountColor(all, kGreen));
}

TEST_F(Offscreen, AMissingPictureLeavesTheWorldAlone) {
  AddPicture(201, Rect{0, 0, 10, 10}, kBlue);
  GWorldPtr world = nullptr;
  Rect bounds{};
  ASSERT_EQ(noErr, RenderPictureOffscreen(&world, &bounds, 201, false));
  GWorldPtr made = world;
  EXPECT_EQ(-192, RenderPictureOffscreen(&world, &bounds, 999, false));
  EXPECT_EQ(made, world);
  EXPECT_EQ((Rect{0, 0, 10, 10}), bounds);
  DisposeGWorld(world);

  EXPECT_EQ(-192, CachePictureOffscreen(999));
  EXPECT_EQ(nullptr, gPictureCache);
}

}  // namespace
