// Controls draw in the one look: chosen pixels of each kind, active and inactive, and the
// window saved as PNG showing the same pixels.
#include <gtest/gtest.h>

#include "platform/controls/control_creators.h"
#include "platform/controls/controls.h"
#include "platform/menus/menus.h"
#include "tests/platform/controls/ui_test_support.h"

namespace {

using namespace ui_test;

constexpr uint32_t kFacePixel = 0xF4F4F4;
constexpr uint32_t kTrackPixel = 0xE4E4E4;
constexpr uint32_t kThumbPixel = 0xA8A8A8;
constexpr uint32_t kWhitePixel = 0xFFFFFF;

class ControlDrawing : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    window = NewTestWindow(Rect{60, 60, 460, 560});
  }
  Rect Box(ControlRef c) {
    Rect r;
    GetControlBounds(c, &r);
    return r;
  }
  WindowRef window = nullptr;
};

TEST_F(ControlDrawing, ButtonsShowTheirStateAndActivation) {
  ControlRef ok = nullptr, cancel = nullptr, on = nullptr, off = nullptr, radio = nullptr;
  Rect r1{10, 10, 30, 90}, r2{10, 100, 30, 180}, r3{40, 10, 58, 120}, r4{60, 10, 78, 120},
      r5{80, 10, 98, 120};
  ASSERT_EQ(CreatePushButtonControl(window, &r1, CFSTR("OK"), &ok), noErr);
  ASSERT_EQ(CreatePushButtonControl(window, &r2, CFSTR("Cancel"), &cancel), noErr);
  ASSERT_EQ(CreateCheckBoxControl(window, &r3, CFSTR("On"), 1, false, &on), noErr);
  ASSERT_EQ(CreateCheckBoxControl(window, &r4, CFSTR("Off"), 0, false, &off), noErr);
  ASSERT_EQ(CreateRadioButtonControl(window, &r5, CFSTR("Radio"), 1, false, &radio), noErr);
  Boolean yes = true;
  SetControlData(ok, 0, kControlPushButtonDefaultTag, sizeof yes, &yes);
  DrawControls(window);

  Point okEdge{20, 14};
  EXPECT_EQ(PortPixel(window, okEdge), kAccentPixel);
  EXPECT_EQ(PortPixel(window, Point{20, 104}), kFacePixel);
  EXPECT_GT(CountDark(window, Rect{12, 110, 28, 170}), 10);  // the title
  Rect onBox{r3.top, r3.left, short(r3.top + 18), short(r3.left + 14)};
  EXPECT_GT(CountPortColor(window, onBox, kAccentPixel), 60);
  Rect offBox{r4.top, r4.left, short(r4.top + 18), short(r4.left + 14)};
  EXPECT_EQ(CountPortColor(window, offBox, kAccentPixel), 0);
  EXPECT_GT(CountPortColor(window, offBox, kWhitePixel), 60);
  Point radioCenter{short((r5.top + r5.bottom) / 2), short(r5.left + 7)};
  EXPECT_EQ(PortPixel(window, radioCenter), kWhitePixel);  // the dot inside the accent ring
  EXPECT_GT(CountPortColor(window, Rect{r5.top, r5.left, r5.bottom, short(r5.left + 14)}, kAccentPixel), 30);

  // Inactive controls lose the accent and their text turns grey.
  DeactivateControl(ok);
  DeactivateControl(on);
  EXPECT_EQ(CountPortColor(window, r1, kAccentPixel), 0);
  EXPECT_EQ(CountPortColor(window, onBox, kAccentPixel), 0);
  HiliteControl(cancel, kControlButtonPart);
  EXPECT_EQ(PortPixel(window, Point{20, 104}), 0xC6C6C6u);
}

TEST_F(ControlDrawing, ScrollBarThumbAndProgressFollowTheirValues) {
  ControlRef bar = nullptr, progress = nullptr;
  Rect br{10, 300, 210, 316}, pr{10, 10, 26, 210};
  ASSERT_EQ(CreateScrollBarControl(window, &br, 100, 0, 100, 0, true, nullptr, &bar), noErr);
  ASSERT_EQ(CreateProgressBarControl(window, &pr, 50, 0, 100, false, &progress), noErr);
  DrawControls(window);
  EXPECT_EQ(PortPixel(window, Point{190, 308}), kThumbPixel);  // thumb at the bottom
  EXPECT_EQ(PortPixel(window, Point{40, 308}), kTrackPixel);
  SetControl32BitValue(bar, 0);
  EXPECT_EQ(PortPixel(window, Point{40, 308}), kThumbPixel);
  EXPECT_EQ(PortPixel(window, Point{190, 308}), kTrackPixel);
  // No range: no thumb at all.
  SetControl32BitMaximum(bar, 0);
  EXPECT_EQ(CountPortColor(window, br, kThumbPixel), 0);

  EXPECT_EQ(PortPixel(window, Point{18, 40}), kAccentPixel);
  EXPECT_EQ(PortPixel(window, Point{18, 180}), kTrackPixel);
  SetControl32BitValue(progress, 100);
  EXPECT_EQ(PortPixel(window, Point{18, 180}), kAccentPixel);
  Boolean indeterminate = true;
  SetControlData(progress, 0, kControlProgressBarIndeterminateTag, sizeof indeterminate, &indeterminate);
  int accent = CountPortColor(window, pr, kAccentPixel);
  EXPECT_GT(accent, 200);
  EXPECT_LT(accent, 200 * 14);  // stripes, not a full bar
}

TEST_F(ControlDrawing, TextFieldsPopUpsAndGroupsDraw) {
  ControlRef label = nullptr, field = nullptr, group = nullptr, popup = nullptr, arrows = nullptr;
  Rect lr{10, 10, 26, 200}, fr{40, 14, 56, 200}, gr{80, 10, 180, 300}, ar{200, 10, 222, 23};
  ASSERT_EQ(CreateStaticTextControl(window, &lr, CFSTR("Tempo:"), nullptr, &label), noErr);
  ASSERT_EQ(CreateEditTextControl(window, &fr, CFSTR("120"), false, false, nullptr, &field), noErr);
  ASSERT_EQ(CreateGroupBoxControl(window, &gr, CFSTR("Range"), true, &group), noErr);
  ASSERT_EQ(CreateLittleArrowsControl(window, &ar, 5, 0, 10, 1, &arrows), noErr);
  MenuRef menu = NewMenu(300, PStr("Sync"));
  AppendMenu(menu, PStr("Internal;MIDI Clock;Timecode"));
  Rect pr{100, 20, 120, 200};
  ASSERT_EQ(CreatePopupButtonControl(window, &pr, nullptr, -12345, false, 0, 0, 0, &popup), noErr);
  SetControlPopupMenuHandle(popup, menu);
  EmbedControl(popup, group);
  EXPECT_EQ(GetControl32BitMaximum(popup), 3);
  SetControl32BitValue(popup, 2);
  DrawControls(window);

  EXPECT_GT(CountDark(window, lr), 20);
  EXPECT_GT(CountDark(window, fr), 20);
  EXPECT_EQ(PortPixel(window, Point{48, 190}), kWhitePixel);  // the field's background
  EXPECT_EQ(CountPortColor(window, Rect{35, 9, 61, 205}, kAccentPixel), 0);  // no focus ring
  SetKeyboardFocus(window, field, kControlFocusNextPart);
  EXPECT_GT(CountPortColor(window, Rect{35, 9, 61, 205}, kAccentPixel), 50);
  EXPECT_GT(CountDark(window, Rect{80, 16, 96, 80}), 10);    // the group's title
  EXPECT_GT(CountDark(window, Rect{102, 26, 118, 170}), 20);  // "MIDI Clock"
  EXPECT_GT(CountDark(window, ar), 6);                        // the arrows
  DisposeMenu(menu);
}

TEST_F(ControlDrawing, DrawingLeavesBothPortsAsTheyWere) {
  ControlRef ok = nullptr;
  Rect r{10, 10, 30, 90};
  ASSERT_EQ(CreatePushButtonControl(window, &r, CFSTR("OK"), &ok), noErr);
  CGrafPtr windowPort = GetWindowPort(window);
  RGBColor windowBack, windowFore;
  GetPortBackColor(windowPort, &windowBack);
  GetPortForeColor(windowPort, &windowFore);
  GWorldPtr world = nullptr;
  Rect wr{0, 0, 50, 50};
  ASSERT_EQ(NewGWorld(&world, 32, &wr, nullptr, nullptr, 0), noErr);
  CGrafPtr savedPort = nullptr;
  GDHandle savedDevice = nullptr;
  GetGWorld(&savedPort, &savedDevice);
  SetGWorld(world, nullptr);
  RGBColor red{0xFFFF, 0, 0};
  RGBBackColor(&red);
  TextSize(24);
  Draw1Control(ok);
  DrawControls(window);
  GrafPtr now = nullptr;
  GetPort(&now);
  EXPECT_EQ(now, world);
  EXPECT_EQ(GetPortTextSize(world), 24);
  RGBColor back, fore;
  GetPortBackColor(windowPort, &back);
  GetPortForeColor(windowPort, &fore);
  EXPECT_EQ(back, windowBack);
  EXPECT_EQ(fore, windowFore);
  SetGWorld(savedPort, savedDevice);
  DisposeGWorld(world);
}

TEST_F(ControlDrawing, TheSavedPNGShowsTheControls) {
  ControlRef ok = nullptr;
  Rect r{10, 10, 30, 90};
  ASSERT_EQ(CreatePushButtonControl(window, &r, CFSTR("OK"), &ok), noErr);
  Boolean yes = true;
  SetControlData(ok, 0, kControlPushButtonDefaultTag, sizeof yes, &yes);
  DrawControls(window);
  zarin_test::TempFolder folder;
  std::string path = folder.File("controls.png");
  ASSERT_EQ(SavePortToPNG(GetWindowPort(window), path.c_str()), noErr);
  int w = 0, h = 0;
  std::vector<uint32_t> pixels;
  ASSERT_TRUE(ReadPNG(path, &w, &h, &pixels));
  EXPECT_EQ(w, 500);
  EXPECT_EQ(h, 400);
  EXPECT_EQ(pixels[size_t(20 * w + 14)], kAccentPixel);
  EXPECT_EQ(pixels[size_t(20 * w + 14)], PortPixel(window, Point{20, 14}));
}

}  // namespace
