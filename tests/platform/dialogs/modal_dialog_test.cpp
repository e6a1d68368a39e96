// ModalDialog on posted events: the clicked item comes back, disabled and hidden items do not,
// Return/Enter and Escape/Command-period press the default and cancel items (only without a
// filter, or when the filter asks for it), typing reports the enabled edit item, and the filter
// sees every event; a quit while the dialog runs ends it as cancelled and comes back once no
// modal dialog runs.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/dialogs/dialogs.h"
#include "platform/events/apple_events.h"
#include "tests/platform/dialogs/dialog_test_support.h"

namespace {

using namespace ui_test;
using namespace dialog_test;

class ModalDialogs : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    resources = std::make_unique<ScopedResources>(EveryKindSource());
    dialog = GetNewDialog(128, nullptr, reinterpret_cast<WindowRef>(-1));
    ASSERT_NE(dialog, nullptr) << GetDialogError();
  }
  void TearDown() override {
    DisposeDialog(dialog);
    resources.reset();
    UiTest::TearDown();
  }
  Point At(const Rect& itemRect) { return Global(GetDialogWindow(dialog), Center(itemRect)); }
  DialogItemIndex Run(ModalFilterUPP filter = nullptr) {
    ModalGuard guard;
    DialogItemIndex hit = -99;
    ModalDialog(filter, &hit);
    return hit;
  }
  std::unique_ptr<ScopedResources> resources;
  DialogRef dialog = nullptr;
};

TEST_F(ModalDialogs, ReturnsTheClickedItem) {
  struct Case {
    Rect rect;
    DialogItemIndex item;
  } cases[] = {{kOKRect, kOK},         {kCancelRect, kCancel}, {kCheckRect, kCheck},
               {kUserRect, kUser},     {kRadioRect, kRadio},   {kEditRect, kEdit}};
  for (const Case& k : cases) {
    PostClick(At(k.rect));
    EXPECT_EQ(Run(), k.item);
  }
  // A classic check box does not toggle itself: the program does.
  ControlRef check = nullptr;
  GetDialogItemAsControl(dialog, kCheck, &check);
  EXPECT_EQ(GetControlValue(check), 0);
}

TEST_F(ModalDialogs, DisabledAndHiddenItemsAreNotReported) {
  PostClick(At(kStaticRect));   // disabled static text
  PostClick(At(kPictureRect));  // disabled picture
  PostClick(Global(GetDialogWindow(dialog), Point{5, 5}));  // no item at all
  PostClick(At(kOKRect));
  EXPECT_EQ(Run(), kOK);
  HideDialogItem(dialog, kCancel);
  PostClick(At(kCancelRect));
  PostClick(At(kOKRect));
  EXPECT_EQ(Run(), kOK);
  ShowDialogItem(dialog, kCancel);
  PostClick(At(kCancelRect));
  EXPECT_EQ(Run(), kCancel);
}

TEST_F(ModalDialogs, DefaultAndCancelKeys) {
  struct Case {
    UInt16 key;
    SInt16 ch;
    UInt32 modifiers;
    DialogItemIndex cancelItem;
    DialogItemIndex expect;  // 0: the key does nothing (a click on Cancel ends the loop)
  } cases[] = {
      {kVK_Return, kReturnCharCode, 0, 0, kOK},
      {kVK_ANSI_KeypadEnter, kEnterCharCode, 0, 0, kOK},
      {kVK_Escape, kEscapeCharCode, 0, 0, 0},
      {kVK_Escape, kEscapeCharCode, 0, kCancel, kCancel},
      {kVK_ANSI_Period, '.', cmdKey, kCancel, kCancel},
      {kVK_ANSI_KeypadClear, kClearCharCode, 0, kCancel, 0},  // the Clear key is no Escape
  };
  ClearKeyboardFocus(GetDialogWindow(dialog));  // else the edit item takes every key
  for (const Case& k : cases) {
    SetDialogCancelItem(dialog, k.cancelItem);
    PostKey(k.key, k.ch, k.modifiers);
    PostClick(At(kCancelRect));
    EXPECT_EQ(Run(), k.expect ? k.expect : DialogItemIndex(kCancel)) << k.key;
    FlushEventQueue(GetMainEventQueue());
  }
  SetDialogDefaultItem(dialog, kCancel);
  PostKey(kVK_Return, kReturnCharCode);
  EXPECT_EQ(Run(), kCancel);
  // A disabled default item is not pressed.
  SetDialogDefaultItem(dialog, kStatic);
  PostKey(kVK_Return, kReturnCharCode);
  PostClick(At(kOKRect));
  EXPECT_EQ(Run(), kOK);
}

std::vector<EventKind> gFiltered;

Boolean RecordingFilter(DialogRef, EventRecord* event, DialogItemIndex* itemHit) {
  gFiltered.push_back(event->what);
  if (event->what == keyDown && (event->message & charCodeMask) == 'z') {
    *itemHit = 42;
    return true;
  }
  return false;
}

Boolean StandardKeysFilter(DialogRef dialog, EventRecord* event, DialogItemIndex* itemHit) {
  return StdFilterProc(dialog, event, itemHit);
}

TEST_F(ModalDialogs, TheFilterSeesEveryEventAndDecidesAboutKeys) {
  ClearKeyboardFocus(GetDialogWindow(dialog));  // no edit item takes the keys
  gFiltered.clear();
  PostKey(kVK_Return, kReturnCharCode);  // not pressed: the filter did not ask for it
  PostKey(kVK_ANSI_Z, 'z');
  EXPECT_EQ(Run(RecordingFilter), 42);
  std::vector<EventKind> keys;
  for (EventKind what : gFiltered)
    if (what == keyDown || what == keyUp) keys.push_back(what);
  EXPECT_EQ(keys, (std::vector<EventKind>{keyDown, keyUp, keyDown}));

  PostKey(kVK_Return, kReturnCharCode);
  EXPECT_EQ(Run(StandardKeysFilter), kOK);
}

TEST_F(ModalDialogs, TypingReportsTheEnabledEditItem) {
  EXPECT_EQ(GetDialogKeyboardFocusItem(dialog), kEdit);  // the first edit item, all selected
  PostText("45");
  EXPECT_EQ(Run(), kEdit);
  EXPECT_EQ(Run(), kEdit);
  DialogItemType type;
  DialogItemHandle handle;
  Rect box;
  GetDialogItem(dialog, kEdit, &type, &handle, &box);
  Str255 text;
  GetDialogItemText(handle, text);
  EXPECT_EQ(FromPString(text), "45");
  // Tab moves on to the next edit item, which is disabled: typing there reports nothing.
  PostKey(kVK_Tab, kTabCharCode);
  PostText("x");
  PostClick(At(kOKRect));
  EXPECT_EQ(Run(), kOK);
  EXPECT_EQ(GetDialogKeyboardFocusItem(dialog), kSecondEdit);
  GetDialogItem(dialog, kSecondEdit, &type, &handle, &box);
  GetDialogItemText(handle, text);
  EXPECT_EQ(FromPString(text), "x");
}

TEST_F(ModalDialogs, DialogSelectAndIsDialogEvent) {
  EventRecord event;
  event.what = mouseDown;
  event.where = At(kOKRect);
  EXPECT_TRUE(IsDialogEvent(&event));
  PostMouse(kEventMouseUp, event.where);
  DialogRef which = nullptr;
  DialogItemIndex hit = 0;
  EXPECT_TRUE(DialogSelect(&event, &which, &hit));
  EXPECT_EQ(which, dialog);
  EXPECT_EQ(hit, kOK);
  event.where = Point{5, 5};  // on the desk
  EXPECT_FALSE(IsDialogEvent(&event));
  EXPECT_FALSE(DialogSelect(&event, &which, &hit));
}

int gQuitsHandled = 0;

OSErr CountQuit(const AppleEvent*, AppleEvent*, SRefCon) {
  ++gQuitsHandled;
  return noErr;
}

// The quits that reach the event loop now (outside every modal dialog).
int QuitsOutsideTheDialog() {
  gQuitsHandled = 0;
  AEInstallEventHandler(kCoreEventClass, kAEQuitApplication, CountQuit, 0, false);
  EventRecord event;
  while (WaitNextEvent(highLevelEventMask, &event, 0, nullptr)) AEProcessAppleEvent(&event);
  AERemoveEventHandler(kCoreEventClass, kAEQuitApplication, CountQuit, false);
  return gQuitsHandled;
}

TEST_F(ModalDialogs, AQuitEndsTheDialogAndComesBackOutsideIt) {
  struct Case {
    DialogItemIndex cancelItem;
    DialogItemIndex expect;  // the cancel item, else the default item
  } cases[] = {{kCancel, kCancel}, {0, kOK}};
  for (const Case& k : cases) {
    SetDialogCancelItem(dialog, k.cancelItem);
    PostQuitAppleEvent();
    EXPECT_EQ(Run(), k.expect);
    // A dialog that comes up before the program is back in its loop ends the same way,
    // before it takes the click meant for it.
    PostClick(At(kCheckRect));
    EXPECT_EQ(Run(), k.expect);
    EXPECT_EQ(QuitsOutsideTheDialog(), 1) << "the quit is not lost";
    EXPECT_EQ(Run(), kCheck) << "and it is handed on once";
    EXPECT_EQ(QuitsOutsideTheDialog(), 0);
  }
}

TEST(ModalDialogWithoutDialog, ReturnsAtOnce) {
  setenv("ZARIN_HEADLESS", "1", 1);
  InitWindows();
  DialogItemIndex hit = -1;
  if (!GetDialogFromWindow(FrontNonFloatingWindow())) {
    ModalDialog(nullptr, &hit);
    EXPECT_EQ(hit, 0);
  }
}

}  // namespace
