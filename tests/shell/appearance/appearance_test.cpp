// The window appearance styles of the application's own resource file, the images they build
// for the transport panel and the strips, and what happens with missing or bad resources.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/quickdraw/quickdraw.h"
#include "platform/resources/resources.h"
#include "shell/app/app_entry.h"
#include "shell/base/app_state.h"
#include "shell/dialogs/dialog_alerts.h"
#include "shell/drawing/offscreen_images.h"
#include "shell/drawing/panel_drawing.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/drawing/screen_bounds.h"
#include "shell/drawing/style_icons.h"
#include "shell/drawing/transport_images.h"
#include "shell/menus/menu_commands.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/window_appearance.h"
#include "shell/windows/window_sizing.h"
#include "tests/platform/controls/ui_test_support.h"
#include "tests/platform/quickdraw/qd_test_support.h"
#include "tests/platform/windows/windows_test_support.h"
#include "tests/shell/files_errors/resource_fixture.h"

namespace {

using namespace qd_test;

constexpr uint16_t kColourDrawing = 0x100;

// The application's resources below a scratch file for the resources a test adds.
class AppearanceTest : public ResourceFixture {
 protected:
  void SetUp() override {
    ResourceFixture::SetUp();
    InstallErrorReportHooks();
    SInt16 appRef = -1;
    ASSERT_EQ(OpenAppResourceFile(ZARIN_TEST_APP_RESOURCES, &appRef), noErr);
    UseResFile(refNum_);
    gAppState[0] |= kColourDrawing;
    gScreenDepthIndex = 3;
    gAppState[1] = 0;
    gQuitFlag = 0;
  }
  void TearDown() override {
    ReleaseAppearanceStyle();
    SetPanelLampLit(true);
    ResourceFixture::TearDown();
  }

  // A style block: the given words at their offsets, everything else 0.
  void AddStyle(int16_t id, std::initializer_list<std::pair<int32_t, int16_t>> words) {
    std::string block(kStyleBlockSize, '\0');
    for (auto [offset, value] : words) WriteI16BE(&block[size_t(offset)], value);
    AddBytes(kStyleResType, id, block);
  }

  // The pixel of the strip image (the shared picture cache) at a point.
  static uint32_t StripPixel(short h, short v) {
    CGrafPtr port = nullptr;
    GDHandle device = nullptr;
    GetGWorld(&port, &device);
    SetGWorld(gPictureCache, nullptr);
    uint32_t p = PixelAt(h, v);
    SetGWorld(port, device);
    return p;
  }

  ScopedGWorld world_{Rect{0, 0, 60, 120}};
};

uint32_t Rgb24(const RGBColor& c) { return uint32_t(c.red >> 8) << 16 | uint32_t(c.green >> 8) << 8 | (c.blue >> 8); }

bool SameRect(const Rect& a, const Rect& b) {
  return a.top == b.top && a.left == b.left && a.bottom == b.bottom && a.right == b.right;
}

TEST_F(AppearanceTest, ShippedStylesLoadWithTheirResourcesAndMetrics) {
  struct Case {
    int16_t id;
    uint32_t mainColour;
    int patterns;
    bool panelWorld;
    int16_t stripWidth, stripHeight;
    Point firstPicture, secondPicture;
    Rect iconRect;
    int16_t iconOffset, iconHeight;
  };
  const Case cases[] = {
      // Composed strip: the icon rectangle from the style, moved below the 16 x 16 style icon.
      {138, 0x8FA3B8, 2, true, 35, 259, {131, 38}, {33, 37}, {159, 2, 253, 33}, 9, 76},
      // Drawn strip picture 141 (35 x 240); pictures from PICT 142 and the 24 x 24 button icon.
      {139, 0x5D7388, 1, true, 35, 240, {140, 40}, {24, 24}, {160, 6, 184, 30}, 7, 24},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    ASSERT_EQ(ApplyAppearanceStyle(c.id, true), noErr);
    EXPECT_EQ(gStyleId, c.id);
    ASSERT_TRUE(gStyleResource);
    EXPECT_EQ(GetHandleSize(gStyleResource), kStyleBlockSize);
    ASSERT_TRUE(gStyleColourTable);
    EXPECT_EQ(CountCTableEntries(gStyleColourTable), 72);
    EXPECT_EQ(Rgb24(gStyleMainColour), c.mainColour);
    int patterns = 0;
    for (PixPatHandle p : gStylePatterns) patterns += p != nullptr;
    EXPECT_EQ(patterns, c.patterns);
    EXPECT_TRUE(gStyleHasContentColour[0]);
    EXPECT_TRUE(gStyleHasContentColour[1]);
    EXPECT_EQ(gPanelWorld != nullptr, c.panelWorld);
    EXPECT_TRUE(gStyleIcons[0] && gStyleIcons[1] && gStyleIcons[2]);  // 131, 132, 304
    EXPECT_FALSE(gStyleIcons[5]);                                      // no optional icon
    EXPECT_TRUE(FindRegisteredIconFamily(FourCC("TRK1")));
    EXPECT_EQ(gInstrumentStripWidth, c.stripWidth);
    EXPECT_EQ(gInstrumentStripHeight, c.stripHeight);
    EXPECT_EQ(gStylePictureSize[0], c.firstPicture);
    EXPECT_EQ(gStylePictureSize[1], c.secondPicture);
    EXPECT_TRUE(SameRect(gStyleIconRect, c.iconRect))
        << gStyleIconRect.top << "," << gStyleIconRect.left << "," << gStyleIconRect.bottom << ","
        << gStyleIconRect.right;
    EXPECT_EQ(gStyleIconOffset, c.iconOffset);
    EXPECT_EQ(gStyleIconHeight, c.iconHeight);
  }
  // The folder family's mask (rows 6-25, columns 2-29 of 32) at 16 x 16.
  EXPECT_TRUE(SameRect(gStyleIconFamilies[2].bounds, Rect{3, 1, 13, 15}));
}

TEST_F(AppearanceTest, WindowColourTablesColourTheirWindowsContent) {
  ASSERT_TRUE(windows_test::kHeadlessScreen);
  AppWindow mixer, tracks;
  CreatePlaceholderAppWindow(GetWindowSlot(kMixerKind), &mixer, kMixerKind, "Mixer", Rect{40, 40, 200, 300});
  CreatePlaceholderAppWindow(GetWindowSlot(kTrackWindowKind), &tracks, kTrackWindowKind, "Tracks",
                             Rect{40, 320, 200, 600});
  const std::pair<int16_t, std::pair<uint32_t, uint32_t>> styles[] = {{138, {0xBDBDBD, 0xF7F7F7}},
                                                                        {139, {0x55636F, 0xE6EBEF}}};
  for (auto [id, colours] : styles) {
    ASSERT_EQ(ApplyAppearanceStyle(id, false), noErr);
    RGBColor c;
    GetWindowContentColor(GetAppWindowRef(&mixer), &c);
    EXPECT_EQ(Rgb24(c), colours.first) << id;
    GetWindowContentColor(GetAppWindowRef(&tracks), &c);
    EXPECT_EQ(Rgb24(c), colours.second) << id;
  }
  DisposeAllAppWindows();
}

TEST_F(AppearanceTest, StyleIdsAreValidatedAndTheCurrentStyleIsNotReloaded) {
  const std::pair<int16_t, int16_t> ids[] = {{0, 138}, {129, 138}, {133, 138}, {139, 139}, {138, 138}};
  for (auto [asked, applied] : ids) {
    gCurrentStyleId = asked;
    SetUpWindowAppearance(false);
    EXPECT_EQ(gCurrentStyleId, applied) << asked;
    EXPECT_EQ(gStyleId, applied) << asked;
  }
  PixPatHandle pattern = gStylePatterns[0];
  CTabHandle table = gStyleColourTable;
  GWorldPtr strip = gPictureCache;
  ASSERT_EQ(ApplyAppearanceStyle(138, false), noErr);
  EXPECT_EQ(gStylePatterns[0], pattern);
  EXPECT_EQ(gStyleColourTable, table);
  EXPECT_EQ(gPictureCache, strip);

  // A style that does not exist leaves the current one.
  EXPECT_EQ(ApplyAppearanceStyle(999, false), resNotFound);
  EXPECT_EQ(gStyleId, 138);
  EXPECT_EQ(gStylePatterns[0], pattern);

  // Without colour drawing the id is still made valid, but nothing is applied.
  gAppState[0] &= uint16_t(~kColourDrawing);
  gCurrentStyleId = 133;
  ReleaseAppearanceStyle();
  SetUpWindowAppearance(false);
  EXPECT_EQ(gCurrentStyleId, 138);
  EXPECT_EQ(gStyleId, 0);
}

TEST_F(AppearanceTest, ComposedStripImageHasItsSizeFrameButtonsLampAndIcon) {
  ASSERT_EQ(ApplyAppearanceStyle(138, true), noErr);
  ASSERT_TRUE(gPictureCache);
  EXPECT_TRUE(SameRect(gPictureCacheBounds, Rect{0, 0, 259, 35}));
  RGBColor frame, face;
  ASSERT_TRUE(GetStyleColour(21, &frame));
  ASSERT_TRUE(GetStyleColour(19, &face));
  EXPECT_EQ(StripPixel(0, 0), Rgb24(frame));
  EXPECT_EQ(StripPixel(0, 200), Rgb24(frame));
  EXPECT_EQ(StripPixel(10, 10), Rgb24(face));  // inside the first button box
  EXPECT_EQ(StripPixel(10, 58), Rgb24(face));  // inside the fourth
  // The strip icon (20 x 12) centred 3 pixels below the arrow buttons: its middle rows.
  EXPECT_EQ(StripPixel(17, 157), 0xE8EEF4u);
  EXPECT_EQ(StripPixel(17, 151), 0x3A4A5Au);  // its frame
  // The lamp: 19 x 19 at (9, 88), kept in the style block; its centre in the third colour.
  Rect lamp;
  GetStyleRect(kStyleLampRect, &lamp);
  EXPECT_TRUE(SameRect(lamp, Rect{88, 9, 107, 28}));
  RGBColor lit;
  GetStyleRGB(kStyleLampColours + 12, &lit);
  EXPECT_EQ(StripPixel(18, 97), Rgb24(lit));
  // The transport elements, 16 pixels apart.
  Rect element;
  GetStyleRect(kStyleElementRects + 8 * 5, &element);
  EXPECT_TRUE(SameRect(element, Rect{81, 1, 98, 34}));
}

TEST_F(AppearanceTest, LampSwitchesOffAndOnInTheStripImage) {
  ASSERT_EQ(ApplyAppearanceStyle(138, true), noErr);
  uint32_t lit = StripPixel(18, 97), rim = StripPixel(9, 97);
  uint32_t beside = StripPixel(29, 97), above = StripPixel(18, 87);
  SetPanelLampLit(false);
  EXPECT_FALSE(IsPanelLampLit());
  uint32_t unlit = StripPixel(18, 97);
  EXPECT_NE(unlit, lit);
  auto sum = [](uint32_t p) { return (p >> 16 & 0xFF) + (p >> 8 & 0xFF) + (p & 0xFF); };
  EXPECT_LT(sum(unlit), sum(lit));
  EXPECT_EQ(StripPixel(29, 97), beside);  // nothing outside the lamp changes
  EXPECT_EQ(StripPixel(18, 87), above);
  SetPanelLampLit(true);
  EXPECT_EQ(StripPixel(18, 97), lit);
  EXPECT_EQ(StripPixel(9, 97), rim);

  // On a screen of few colours the lamp is only outlined.
  gScreenDepthIndex = 1;
  SetScratchRect(10, 10, 19, 19);
  EraseRect(&gScratchRect);
  DrawPanelLamp();
  EXPECT_EQ(PixelAt(19, 19), kWhite);
  EXPECT_EQ(PixelAt(10, 19), kBlack);
}

TEST_F(AppearanceTest, PanelPictureCarriesItsBitmapsAndIsCopiedIntoTheScratchRect) {
  ASSERT_EQ(ApplyAppearanceStyle(138, true), noErr);
  ASSERT_TRUE(gPanelWorld);
  EXPECT_TRUE(SameRect(gPanelWorldBounds, Rect{0, 0, 40, 400}));
  RGBColor front;
  ASSERT_TRUE(GetStyleColour(52, &front));
  CGrafPtr port = nullptr;
  GDHandle device = nullptr;
  GetGWorld(&port, &device);
  SetGWorld(gPanelWorld, nullptr);
  EXPECT_EQ(PixelAt(8, 12), Rgb24(front));  // the logo bitmap's first row
  SetGWorld(port, device);

  SetScratchRect(0, 0, 120, 40);
  CopyScratchFromCache();
  EXPECT_EQ(PixelAt(90, 10), 0xE8EEE8u);  // inside the counter well
  EXPECT_EQ(PixelAt(84, 10), 0x505050u);  // its frame
}

TEST_F(AppearanceTest, DrawnStripStyleMakesTheShapeRegionsAndUsesItsPictureOnce) {
  ASSERT_EQ(ApplyAppearanceStyle(139, true), noErr);
  ASSERT_TRUE(gPanelShapeRgn && gPanelShadowRgn);
  Rect shape;
  GetRegionBounds(gPanelShapeRgn, &shape);
  EXPECT_TRUE(SameRect(shape, Rect{0, 0, 240, 35}));
  EXPECT_TRUE(PtInRgn(Point{100, 36}, gPanelShadowRgn));
  EXPECT_FALSE(PtInRgn(Point{100, 10}, gPanelShadowRgn));
  EXPECT_TRUE(PtInRgn(Point{100, 10}, gPanelShapeRgn));
  EXPECT_FALSE(PtInRgn(Point{0, 0}, gPanelShapeRgn));  // the rounded corner
  // The picture is now in the cache; the windows copy it instead of loading it again.
  EXPECT_EQ(GetStyleWord(kStyleStripPicture), 0);
  EXPECT_TRUE(SameRect(gPictureCacheBounds, Rect{0, 0, 240, 35}));
}

TEST_F(AppearanceTest, MissingResourcesLeaveEmptySlotsAndDefaultMetrics) {
  // Every id names something that does not exist.
  AddStyle(200, {{kStylePanelWctb, 900}, {kStyleClut, 900}, {kStylePanelPicture, 900}, {kStylePatterns, 900},
                 {kStyleIconId, 900}, {kStyleTrackIconPair, 900}, {kStyleWindowWctb, 901},
                 {kStyleStripPicture, 900}, {kStyleIconFamilies, 900}, {kStyleFirstPicture, 900}});
  ASSERT_EQ(ApplyAppearanceStyle(200, true), noErr);
  EXPECT_EQ(gStyleId, 200);
  EXPECT_FALSE(gStyleColourTable);
  EXPECT_FALSE(gStylePatterns[0]);
  EXPECT_FALSE(gStyleHasContentColour[0] || gStyleHasContentColour[1]);
  EXPECT_FALSE(gPanelWorld);
  EXPECT_FALSE(gPictureCache);
  EXPECT_FALSE(gStyleIcons[0] || gStyleIcons[1]);
  EXPECT_FALSE(gStyleIconFamilies[0].family);
  EXPECT_EQ(gInstrumentStripWidth, 35);
  EXPECT_EQ(gInstrumentStripHeight, 259);
  EXPECT_EQ(gStylePictureSize[0], (Point{131, 38}));
  EXPECT_EQ(gStylePictureSize[1], (Point{33, 37}));
  EXPECT_EQ(gStyleIconHeight, 94);
  // A shorter 'MSTL' is read as far as it goes, the rest taken as 0.
  AddBytes(kStyleResType, 201, std::string("\x00\x00\x00\x8A", 4));
  ASSERT_EQ(ApplyAppearanceStyle(201, true), noErr);
  EXPECT_TRUE(gStyleColourTable);
  EXPECT_EQ(GetStyleWord(kStyleStripIcon), 0);
}

TEST_F(AppearanceTest, ZeroSizeOrMissingStyleIconIsReportedAndNothingIsPlaced) {
  ResetStyleImageMetrics();
  gStyleIconRect = Rect{150, 2, 244, 33};
  gStyleIconHeight = 94;
  // No icon: nothing to place.
  EXPECT_EQ(PlaceStyleIcon(), noErr);
  EXPECT_TRUE(SameRect(gStyleIconRect, Rect{150, 2, 244, 33}));

  // A decoded icon block whose bounds are empty (0 high, 16 wide).
  std::string block(16, '\0');
  WriteU32BE(&block[0], FourCC("cicI"));
  WriteU16BE(&block[4], 16);
  WriteI16BE(&block[14], 16);
  Handle icon = nullptr;
  ASSERT_EQ(PtrToHand(block.data(), &icon, Size(block.size())), noErr);
  gCachedStyleIcon = icon;
  int32_t alerts = CountAlertsShown();
  ui_test::PostKey(kVK_Return, kReturnCharCode);  // answers the alert
  EXPECT_EQ(PlaceStyleIcon(), kBadStyleIconErr);
  EXPECT_EQ(CountAlertsShown(), alerts + 1);
  EXPECT_EQ(gQuitFlag, 0);
  EXPECT_FALSE(gCachedStyleIcon);
  EXPECT_TRUE(SameRect(gStyleIconRect, Rect{150, 2, 244, 33}));
  EXPECT_EQ(gStyleIconHeight, 94);

  // A style whose icons are missing or malformed builds its strip all the same.
  AddBytes(FourCC("cicn"), 910, std::string(40, '\x7F'));
  AddStyle(202, {{kStyleIconId, 910}, {kStyleStripIcon, 911}, {kStyleButtonIcon, 912}});
  ASSERT_EQ(ApplyAppearanceStyle(202, true), noErr);
  EXPECT_FALSE(gCachedStyleIcon);
  EXPECT_TRUE(gPictureCache);
  EXPECT_EQ(gStyleIconHeight, 94);
  EXPECT_EQ(gQuitFlag, 0);
}

TEST_F(AppearanceTest, MalformedIconFamilyIsRefused) {
  struct Case {
    const char* what;
    std::string bytes;
    OSErr expected;
  };
  std::string tooLong("icns\x00\x00\x01\x00ICN#\x00\x00\x00\x10", 16);
  std::string shortElement("icns\x00\x00\x00\x18ICN#\x00\x00\x00\x10\x00\x00\x00\x00\x00\x00\x00\x00", 24);
  std::string wrongMagic("icnX\x00\x00\x00\x08", 8);
  std::string empty("icns\x00\x00\x00\x08", 8);
  const Case cases[] = {{"length past the end", tooLong, -206},
                        {"element shorter than its image", shortElement, -206},
                        {"not a family", wrongMagic, -206},
                        {"no 32 x 32 element", empty, noErr}};
  int16_t id = 920;
  for (const Case& c : cases) {
    AddBytes(FourCC("icns"), id, c.bytes);
    IconFamilyRecord record;
    EXPECT_EQ(RegisterIconFromResource(id, FourCC("TRK0"), &record, 16, true), c.expected) << c.what;
    EXPECT_EQ(record.family != nullptr, c.expected == noErr) << c.what;
    if (c.expected == noErr) {
      EXPECT_TRUE(SameRect(record.bounds, Rect{0, 0, 16, 16}));
    }
    ReleaseIconRecord(&record);
    EXPECT_FALSE(FindRegisteredIconFamily(FourCC("TRK0")));
    ++id;
  }
  IconFamilyRecord none;
  EXPECT_EQ(RegisterIconFromResource(999, FourCC("TRK0"), &none, 16, true), resNotFound);
}

}  // namespace
