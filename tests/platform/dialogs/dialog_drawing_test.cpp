// A dialog with every kind of item draws each one: chosen pixels of the dialog saved as PNG.
#include <gtest/gtest.h>

#include <memory>

#include "platform/dialogs/dialogs.h"
#include "platform/windows/appearance.h"
#include "tests/platform/dialogs/dialog_test_support.h"

namespace {

using namespace ui_test;
using namespace dialog_test;

void PaintUser(DialogRef dialog, DialogItemIndex item) {
  DialogItemType type;
  DialogItemHandle handle;
  Rect box;
  GetDialogItem(dialog, item, &type, &handle, &box);
  RGBColor blue{0, 0, 0xFFFF};
  RGBForeColor(&blue);
  PaintRect(&box);
}

class DialogDrawing : public UiTest {};

TEST_F(DialogDrawing, EveryItemKindShowsInTheSavedPicture) {
  ScopedResources resources(EveryKindSource());
  ParamText(PStr("12"), nullptr, nullptr, nullptr);
  DialogRef dialog = GetNewDialog(128, nullptr, reinterpret_cast<WindowRef>(-1));
  ASSERT_NE(dialog, nullptr) << GetDialogError();
  SetDialogItem(dialog, kUser, userItem, UserItemHandle(PaintUser), &kUserRect);
  ControlRef check = nullptr;
  GetDialogItemAsControl(dialog, kCheck, &check);
  SetControlValue(check, 1);
  ControlRef radio = nullptr;
  GetDialogItemAsControl(dialog, kRadio, &radio);
  SetControlValue(radio, 1);
  DrawDialog(dialog);

  zarin_test::TempFolder folder;
  std::string path = folder.File("dialog.png");
  ASSERT_EQ(SavePortToPNG(GetDialogPort(dialog), path.c_str()), noErr);
  int w = 0, h = 0;
  std::vector<uint32_t> px;
  ASSERT_TRUE(ReadPNG(path, &w, &h, &px));
  ASSERT_EQ(w, 320);
  ASSERT_EQ(h, 180);
  auto at = [&](Point p) { return px[size_t(p.v * w + p.h)]; };
  auto count = [&](const Rect& r, auto test) {
    int n = 0;
    for (short v = r.top; v < r.bottom; ++v)
      for (short hh = r.left; hh < r.right; ++hh) n += test(at(Point{v, hh}));
    return n;
  };
  auto dark = [](uint32_t p) { return ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF) < 3 * 0x60; };
  auto is = [](uint32_t rgb) { return [rgb](uint32_t p) { return p == rgb; }; };

  EXPECT_EQ(at(Point{160, 234}), kAccentPixel);                            // default button
  EXPECT_GT(count(kCancelRect, dark), 10);                                 // "Cancel"
  EXPECT_GT(count(Rect{20, 20, 38, 34}, is(kAccentPixel)), 60);            // checked box
  EXPECT_GT(count(kEditRect, dark), 10);                                   // "120"
  EXPECT_EQ(at(Point{58, 126}), 0xFFFFFFu);                                // the field
  EXPECT_GT(count(Rect{80, 20, 96, 60}, dark), 15);                        // "12 files"
  EXPECT_EQ(count(kUserRect, is(0x0000FF)), 40 * 40);                      // user item
  EXPECT_GT(count(kRadioRect, is(kAccentPixel)), 0);                       // chosen radio
  EXPECT_EQ(count(kIconRect, is(kIconGreen)), 32 * 32);                    // 'cicn'
  EXPECT_EQ(count(kPictureRect, is(kPictureRed)), 40 * 60);                // 'PICT'
  EXPECT_EQ(count(kBarRect, is(0xA8A8A8)) > 0, true);                      // scroll bar thumb
  EXPECT_EQ(at(Point{5, 5}), kDialogBackgroundPixel);                      // the background
  DisposeDialog(dialog);
}

}  // namespace
