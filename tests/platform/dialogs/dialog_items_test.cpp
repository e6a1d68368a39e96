// Dialog items: their types, handles and controls, texts and selections, user items drawn by
// their procedures, appending and shortening item lists, and dialogs refused for missing or
// damaged resources without leaving a window behind.
#include <gtest/gtest.h>

#include <memory>

#include "platform/dialogs/dialogs.h"
#include "platform/memory/memory.h"
#include "tests/platform/dialogs/dialog_test_support.h"

namespace {

using namespace ui_test;
using namespace dialog_test;

int CountWindows() {
  int n = 0;
  for (WindowRef w = GetWindowList(); w; w = GetNextWindow(w)) ++n;
  return n;
}

class DialogItems : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    resources = std::make_unique<ScopedResources>(EveryKindSource() + R"(
      resource 'DLOG' 129 { i16 50 i16 50 i16 150 i16 250 i16 1 u8 0 u8 0 u8 0 u8 0 i32 0 i16 129
                            pstring "Damaged" }
      resource 'DITL' 129 { hex "0001 00000000 000a000a00140064 04 02 4f4b" }
      resource 'DLOG' 130 { i16 50 i16 50 i16 150 i16 250 i16 1 u8 0 u8 0 u8 0 u8 0 i32 0 i16 999
                            pstring "No items" }
      resource 'DLOG' 131 { i16 50 i16 50 }
      resource 'DLOG' 132 { i16 50 i16 50 i16 150 i16 250 i16 1 u8 0 u8 0 u8 0 u8 0 i32 0 i16 132
                            pstring "Bad control" }
    )" + DitlSource(132, {Item(kResourceControlDialogItem, Rect{0, 0, 10, 10}, "", 999)}) +
        DitlSource(140, {Item(kButtonDialogItem, Rect{10, 10, 30, 90}, "More"),
                         Item(kStaticTextDialogItem, Rect{40, 10, 56, 200}, "Appended")}));
    dialog = GetNewDialog(128, nullptr, reinterpret_cast<WindowRef>(-1));
    ASSERT_NE(dialog, nullptr) << GetDialogError();
  }
  void TearDown() override {
    DisposeDialog(dialog);
    resources.reset();
    UiTest::TearDown();
  }
  std::unique_ptr<ScopedResources> resources;
  DialogRef dialog = nullptr;
};

TEST_F(DialogItems, EveryItemHasItsTypeRectangleAndControl) {
  struct Case {
    DialogItemIndex item;
    DialogItemType type;
    OSType kind;
    Rect rect;
  } cases[] = {
      {kOK, kButtonDialogItem, kControlKindPushButton, kOKRect},
      {kCheck, kCheckBoxDialogItem, kControlKindCheckBox, kCheckRect},
      {kEdit, kEditTextDialogItem, kControlKindEditText, kEditRect},
      {kStatic, kStaticTextDialogItem + itemDisable, kControlKindStaticText, kStaticRect},
      {kUser, userItem, kControlKindUserPane, kUserRect},
      {kRadio, kRadioButtonDialogItem, kControlKindRadioButton, kRadioRect},
      {kIcon, kIconDialogItem + itemDisable, kControlKindIcon, kIconRect},
      {kPicture, kPictureDialogItem + itemDisable, kControlKindPicture, kPictureRect},
      {kBar, kResourceControlDialogItem, kControlKindScrollBar, kBarRect},
  };
  EXPECT_EQ(CountDITL(dialog), 11);
  for (const Case& k : cases) {
    DialogItemType type = 0;
    DialogItemHandle handle = nullptr;
    Rect box;
    GetDialogItem(dialog, k.item, &type, &handle, &box);
    EXPECT_EQ(type, k.type) << k.item;
    EXPECT_EQ(box, k.rect) << k.item;
    ControlRef control = nullptr;
    ASSERT_EQ(GetDialogItemAsControl(dialog, k.item, &control), noErr) << k.item;
    ControlKind kind;
    GetControlKind(control, &kind);
    EXPECT_EQ(kind.kind, k.kind) << k.item;
    Rect bounds;
    GetControlBounds(control, &bounds);
    EXPECT_EQ(bounds, k.rect) << k.item;  // a 'CNTL' item takes the item's rectangle
    if (k.type != userItem) {
      EXPECT_EQ(handle, control) << k.item;
    }
  }
  ControlRef none = nullptr;
  EXPECT_EQ(GetDialogItemAsControl(dialog, 12, &none), errItemNotControl);
  EXPECT_EQ(GetDialogFromWindow(GetDialogWindow(dialog)), dialog);
  EXPECT_EQ(GetWindowKind(GetDialogWindow(dialog)), kDialogWindowKind);
}

TEST_F(DialogItems, TextsAndSelections) {
  DialogItemType type;
  DialogItemHandle edit, label, button;
  Rect box;
  GetDialogItem(dialog, kEdit, &type, &edit, &box);
  GetDialogItem(dialog, kStatic, &type, &label, &box);
  GetDialogItem(dialog, kOK, &type, &button, &box);
  Str255 text;
  GetDialogItemText(label, text);
  EXPECT_EQ(FromPString(text), "^0 files");  // substituted when drawn, not in the item
  SetDialogItemText(edit, PStr("Tempo"));
  GetDialogItemText(edit, text);
  EXPECT_EQ(FromPString(text), "Tempo");
  SetDialogItemText(button, PStr("Done"));
  GetDialogItemText(button, text);
  EXPECT_EQ(FromPString(text), "Done");
  SelectDialogItemText(dialog, kEdit, 1, 3);
  ControlEditTextSelectionRec sel{};
  GetControlData(static_cast<ControlRef>(edit), 0, kControlEditTextSelectionTag, sizeof sel, &sel, nullptr);
  EXPECT_EQ(sel.selStart, 1);
  EXPECT_EQ(sel.selEnd, 3);
  EXPECT_EQ(GetDialogKeyboardFocusItem(dialog), kEdit);
  SelectDialogItemText(dialog, kSecondEdit, 0, 32767);
  EXPECT_EQ(GetDialogKeyboardFocusItem(dialog), kSecondEdit);
}

std::vector<DialogItemIndex> gDrawn;

void PaintUserItem(DialogRef d, DialogItemIndex item) {
  gDrawn.push_back(item);
  DialogItemType type;
  DialogItemHandle handle;
  Rect box;
  GetDialogItem(d, item, &type, &handle, &box);
  RGBColor blue{0, 0, 0xFFFF};
  RGBForeColor(&blue);
  PaintRect(&box);
}

TEST_F(DialogItems, UserItemsDrawThroughTheirProcedure) {
  DialogItemType type;
  DialogItemHandle handle;
  Rect box;
  GetDialogItem(dialog, kUser, &type, &handle, &box);
  EXPECT_EQ(handle, nullptr);
  gDrawn.clear();
  SetDialogItem(dialog, kUser, userItem, UserItemHandle(PaintUserItem), &box);
  GetDialogItem(dialog, kUser, &type, &handle, &box);
  EXPECT_EQ(handle, UserItemHandle(PaintUserItem));
  gDrawn.clear();
  DrawDialog(dialog);
  EXPECT_EQ(gDrawn, std::vector<DialogItemIndex>{kUser});
  EXPECT_EQ(PortPixel(GetDialogWindow(dialog), Center(kUserRect)), 0x0000FFu);
  // A picture item turned into a user item gets a user pane in place of its picture.
  SetDialogItem(dialog, kPicture, userItem, UserItemHandle(PaintUserItem), &kPictureRect);
  gDrawn.clear();
  DrawDialog(dialog);
  EXPECT_EQ(gDrawn, (std::vector<DialogItemIndex>{kUser, kPicture}));
  HideDialogItem(dialog, kUser);
  gDrawn.clear();
  DrawDialog(dialog);
  EXPECT_EQ(gDrawn, std::vector<DialogItemIndex>{kPicture});
}

TEST_F(DialogItems, AppendAndShortenItemLists) {
  Handle list = GetResource(FourCC("DITL"), 140);
  ASSERT_TRUE(list);
  Rect port;
  GetWindowPortBounds(GetDialogWindow(dialog), &port);
  AppendDITL(dialog, list, appendDITLBottom);
  ASSERT_EQ(CountDITL(dialog), 13);
  DialogItemType type;
  DialogItemHandle handle;
  Rect box;
  GetDialogItem(dialog, 12, &type, &handle, &box);
  EXPECT_EQ(box, (Rect{short(port.bottom + 10), 10, short(port.bottom + 30), 90}));
  Rect grown;
  GetWindowPortBounds(GetDialogWindow(dialog), &grown);
  EXPECT_GE(grown.bottom, port.bottom + 56);
  AppendDITL(dialog, list, DITLMethod(-kOK));  // relative to the OK button's corner
  GetDialogItem(dialog, 14, &type, &handle, &box);
  EXPECT_EQ(box, (Rect{short(kOKRect.top + 10), short(kOKRect.left + 10), short(kOKRect.top + 30),
                       short(kOKRect.left + 90)}));
  AppendDITL(dialog, list, overlayDITL);
  EXPECT_EQ(CountDITL(dialog), 17);
  ControlRef appended = nullptr;
  GetDialogItemAsControl(dialog, 17, &appended);
  ShortenDITL(dialog, 5);
  EXPECT_EQ(CountDITL(dialog), 12);
  EXPECT_FALSE(IsValidControlHandle(appended));
  ShortenDITL(dialog, 100);
  EXPECT_EQ(CountDITL(dialog), 0);
  EXPECT_EQ(GetDialogDefaultItem(dialog), 0);
  // A damaged list appends nothing.
  Handle bad = NewHandle(3);
  AppendDITL(dialog, bad, overlayDITL);
  EXPECT_EQ(CountDITL(dialog), 0);
  DisposeHandle(bad);
}

TEST_F(DialogItems, MissingOrDamagedResourcesMakeNoDialog) {
  int windows = CountWindows();
  struct Case {
    SInt16 id;
    OSErr error;
  } cases[] = {{129, dialogDamagedErr}, {130, dialogNotFoundErr}, {131, dialogDamagedErr},
               {132, dialogDamagedErr}, {999, dialogNotFoundErr}};
  for (const Case& k : cases) {
    EXPECT_EQ(GetNewDialog(k.id, nullptr, reinterpret_cast<WindowRef>(-1)), nullptr) << k.id;
    EXPECT_EQ(GetDialogError(), k.error) << k.id;
    EXPECT_EQ(CountWindows(), windows) << k.id;
  }
}

TEST_F(DialogItems, DisposingTheWindowFreesTheDialog) {
  DialogRef other = GetNewDialog(128, nullptr, reinterpret_cast<WindowRef>(-1));
  ASSERT_NE(other, nullptr);
  ControlRef ok = nullptr;
  GetDialogItemAsControl(other, kOK, &ok);
  DisposeWindow(GetDialogWindow(other));
  EXPECT_FALSE(IsValidDialog(other));
  EXPECT_FALSE(IsValidControlHandle(ok));
  DisposeDialog(other);  // harmless on a dead dialog
}

}  // namespace
