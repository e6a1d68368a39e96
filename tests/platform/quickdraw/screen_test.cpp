#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/platform/quickdraw/qd_test_support.h"
#include "tests/test_support.h"

namespace {

using namespace qd_test;

// Pixels (0xRRGGBB) of an 8-bit RGB PNG, with its size.
bool ReadPNG(const std::string& path, int* w, int* h, std::vector<uint32_t>* pixels) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_RGB;
  std::vector<png_byte> buffer(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, buffer.data(), 0, nullptr)) return false;
  *w = int(image.width);
  *h = int(image.height);
  pixels->resize(size_t(*w) * *h);
  for (size_t i = 0; i < pixels->size(); ++i)
    (*pixels)[i] = (uint32_t(buffer[3 * i]) << 16) | (uint32_t(buffer[3 * i + 1]) << 8) | buffer[3 * i + 2];
  return true;
}

// Each test starts from a fresh screen and leaves one behind.
class Screen : public ::testing::Test {
 protected:
  zarin_test::ScopedEnv size_{"ZARIN_SCREEN", "1280x800"};
  void SetUp() override { ShutdownScreen(); }
  void TearDown() override { ShutdownScreen(); }
};

TEST_F(Screen, DeviceAnswers) {
  GDHandle gd = GetMainDevice();
  ASSERT_TRUE(gd);
  EXPECT_EQ(GetDeviceList(), gd);
  EXPECT_EQ(GetNextDevice(gd), nullptr);
  EXPECT_EQ(GetPixDepth(GetGDevPixMap(gd)), 32);
  EXPECT_EQ((*gd)->gdRect, (Rect{0, 0, 800, 1280}));
  EXPECT_EQ(GetMBarHeight(), 20);
  Rect avail;
  ASSERT_EQ(GetAvailableWindowPositioningBounds(gd, &avail), noErr);
  EXPECT_EQ(avail, (Rect{20, 0, 800, 1280}));
  EXPECT_EQ(qd.screenBits.bounds, (Rect{0, 0, 800, 1280}));
  EXPECT_TRUE(HasDepth(gd, 32, 0, 0));
}

TEST_F(Screen, SizeComesFromTheEnvironment) {
  {
    zarin_test::ScopedEnv size("ZARIN_SCREEN", "640x480");
    EXPECT_EQ((*GetMainDevice())->gdRect, (Rect{0, 0, 480, 640}));
  }
  for (const char* bad : {"10x10", "640x", "wide", "99999x480", "640x480x2"}) {
    SCOPED_TRACE(bad);
    ShutdownScreen();
    zarin_test::ScopedEnv size("ZARIN_SCREEN", bad);
    EXPECT_EQ((*GetMainDevice())->gdRect, (Rect{0, 0, 800, 1280}));
  }
}

TEST_F(Screen, PortsOnTheScreenDrawAtTheirGlobalPlace) {
  CGrafPort port;
  OpenCPort(&port);
  MovePortTo(100, 50);
  PortSize(200, 100);
  Point origin{0, 0};
  LocalToGlobal(&origin);
  EXPECT_EQ(origin, (Point{50, 100}));
  PresentScreen();
  Rect none;
  GetScreenDirtyBounds(&none);
  EXPECT_EQ(none, Rect{});
  SetFore(kRed);
  Rect r{0, 0, 10, 10};
  PaintRect(&r);
  Rect wide{0, 0, 300, 300};
  PaintRect(&wide);  // cut to portRect (200x100)
  Rect dirty;
  GetScreenDirtyBounds(&dirty);
  EXPECT_EQ(dirty, (Rect{50, 100, 150, 300}));
  SetPort(GetScreenPort());
  EXPECT_EQ(PixelAt(100, 50), kRed);
  EXPECT_EQ(PixelAt(299, 149), kRed);
  EXPECT_NE(PixelAt(300, 149), kRed);
  EXPECT_NE(PixelAt(99, 50), kRed);
  CloseCPort(&port);
  EXPECT_FALSE(IsValidPort(&port));
}

TEST_F(Screen, SavesAsPNGReplacingTheOldFile) {
  zarin_test::TempFolder folder;
  std::string path = folder.File("screen.png");
  ASSERT_TRUE(zarin_test::WriteWholeFile(path, "old"));
  SetPort(GetScreenPort());
  SetFore(kBlue);
  Rect r{30, 40, 35, 50};
  PaintRect(&r);
  ASSERT_EQ(SaveScreenToPNG(path.c_str()), noErr);
  int w = 0, h = 0;
  std::vector<uint32_t> px;
  ASSERT_TRUE(ReadPNG(path, &w, &h, &px));
  ASSERT_EQ(w, 1280);
  ASSERT_EQ(h, 800);
  EXPECT_EQ(px[size_t(30) * w + 40], kBlue);
  EXPECT_EQ(px[size_t(34) * w + 49], kBlue);
  EXPECT_NE(px[size_t(35) * w + 49], kBlue);

  ScopedGWorld world(Rect{0, 0, 8, 16});
  SetFore(kGreen);
  Rect g{0, 0, 8, 8};
  PaintRect(&g);
  std::string gpath = folder.File("gworld.png");
  ASSERT_EQ(SavePortToPNG(world.get(), gpath.c_str()), noErr);
  ASSERT_TRUE(ReadPNG(gpath, &w, &h, &px));
  EXPECT_EQ(w, 16);
  EXPECT_EQ(h, 8);
  EXPECT_EQ(px[0], kGreen);
  EXPECT_EQ(px[15], kWhite);

  // A port on the screen saves its own rectangle.
  CGrafPort window;
  OpenCPort(&window);
  MovePortTo(40, 30);
  PortSize(10, 5);
  std::string wpath = folder.File("window.png");
  ASSERT_EQ(SavePortToPNG(&window, wpath.c_str()), noErr);
  ASSERT_TRUE(ReadPNG(wpath, &w, &h, &px));
  EXPECT_EQ(w, 10);
  EXPECT_EQ(h, 5);
  EXPECT_EQ(px[0], kBlue);
  CloseCPort(&window);

  std::string bad = folder.File("no/such/folder/x.png");
  EXPECT_EQ(SaveScreenToPNG(bad.c_str()), -36);
  EXPECT_EQ(SavePortToPNG(nullptr, gpath.c_str()), paramErr);
}

}  // namespace
