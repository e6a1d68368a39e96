// Alerts: ParamText substitution in what they draw, default and cancel keys, stages (beeps,
// silent stages, the bold item), missing resources, and StandardAlert's buttons.
#include <gtest/gtest.h>

#include <memory>

#include "platform/controls/control_creators.h"
#include "platform/dialogs/alerts.h"
#include "platform/system/sys_beep.h"
#include "platform/windows/appearance.h"
#include "tests/platform/dialogs/dialog_test_support.h"

namespace {

using namespace ui_test;
using namespace dialog_test;

constexpr Rect kMessageRect{10, 60, 42, 330};

class Alerts : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    ResetAlertStage();
    resources = std::make_unique<ScopedResources>(
        R"(
      resource 'ALRT' 200 { i16 100 i16 100 i16 200 i16 440 i16 200 u16 0x5555 }
      resource 'ALRT' 201 { i16 100 i16 100 i16 200 i16 440 i16 200 u16 0xDDDD }
      resource 'ALRT' 202 { i16 100 i16 100 i16 200 i16 440 i16 200 u16 0x0005 }
      resource 'ALRT' 203 { i16 100 i16 100 i16 200 i16 440 i16 999 u16 0x5555 }
    )" + DitlSource(200, {Item(kButtonDialogItem, Rect{70, 260, 90, 330}, "OK"),
                          Item(kButtonDialogItem, Rect{70, 170, 90, 240}, "Cancel"),
                          Item(kStaticTextDialogItem + itemDisable, kMessageRect,
                               "Cannot open \xD2^0\xD3 because ^1.")}));
  }
  void TearDown() override {
    resources.reset();
    UiTest::TearDown();
  }
  std::unique_ptr<ScopedResources> resources;
};

// What the alert's message showed, captured by a filter once the alert has drawn, and the
// alert then ended with item 1.
std::vector<uint32_t> gShown;

Boolean CaptureMessage(DialogRef dialog, EventRecord* event, DialogItemIndex* itemHit) {
  if (event->what != nullEvent) return false;
  DrawDialog(dialog);
  gShown.clear();
  for (short v = kMessageRect.top; v < kMessageRect.bottom; ++v)
    for (short h = kMessageRect.left; h < kMessageRect.right; ++h)
      gShown.push_back(PortPixel(GetDialogWindow(dialog), Point{v, h}));
  *itemHit = 1;
  return true;
}

TEST_F(Alerts, StaticTextsShowTheParamTextStrings) {
  ParamText(PStr("song.mid"), PStr("it is locked"), nullptr, nullptr);
  {
    ModalGuard guard;
    EXPECT_EQ(StopAlert(200, CaptureMessage), 1);
  }
  // The same text drawn literally by a static text on the same background.
  WindowRef reference = NewTestWindow(Rect{100, 100, 200, 440}, kModalWindowClass);
  SetThemeWindowBackground(reference, kThemeBrushAlertBackgroundActive, false);
  ControlFontStyleRec style;
  style.flags = kControlUseFontMask | kControlUseSizeMask;
  style.size = 12;
  ControlRef text = nullptr;
  ASSERT_EQ(CreateStaticTextControl(reference, &kMessageRect, nullptr, &style, &text), noErr);
  std::string literal = "Cannot open \xD2song.mid\xD3 because it is locked.";
  SetControlData(text, 0, kControlStaticTextTextTag, Size(literal.size()), literal.data());
  DrawControls(reference);
  std::vector<uint32_t> expected;
  for (short v = kMessageRect.top; v < kMessageRect.bottom; ++v)
    for (short h = kMessageRect.left; h < kMessageRect.right; ++h)
      expected.push_back(PortPixel(reference, Point{v, h}));
  ASSERT_EQ(gShown.size(), expected.size());
  EXPECT_TRUE(gShown == expected);
  EXPECT_GT(CountDark(reference, kMessageRect), 100);
}

TEST_F(Alerts, ReturnPressesTheDefaultAndEscapeTheOtherButton) {
  struct Case {
    SInt16 alert;
    UInt16 key;
    SInt16 ch;
    DialogItemIndex expect;
  } cases[] = {{200, kVK_Return, kReturnCharCode, 1}, {200, kVK_Escape, kEscapeCharCode, 2},
               {201, kVK_Return, kReturnCharCode, 2}, {201, kVK_Escape, kEscapeCharCode, 1}};
  for (const Case& k : cases) {
    ResetAlertStage();
    PostKey(k.key, k.ch);
    ModalGuard guard;
    EXPECT_EQ(CautionAlert(k.alert, nullptr), k.expect) << k.alert << " " << k.key;
    FlushEventQueue(GetMainEventQueue());
  }
}

TEST_F(Alerts, StagesBeepAndCanStaySilent) {
  ResetSysBeepCountForTesting();
  PostKey(kVK_Return, kReturnCharCode);
  {
    ModalGuard guard;
    EXPECT_EQ(Alert(202, nullptr), 1);  // stage 1: shown, one beep
  }
  EXPECT_EQ(GetSysBeepCount(), 1u);
  EXPECT_EQ(Alert(202, nullptr), -1);  // stage 2: neither shown nor heard
  EXPECT_EQ(GetAlertStage(), 1);
  EXPECT_EQ(GetSysBeepCount(), 1u);
  EXPECT_EQ(FrontNonFloatingWindow(), nullptr);
  EXPECT_EQ(Alert(203, nullptr), -1);  // its item list is missing
  EXPECT_EQ(GetDialogError(), dialogNotFoundErr);
  EXPECT_EQ(NoteAlert(999, nullptr), -1);
  EXPECT_EQ(GetDialogError(), dialogNotFoundErr);
}

TEST_F(Alerts, StandardAlertsNumberTheirButtons) {
  AlertStdAlertParamRec param;
  GetStandardAlertDefaultParams(&param, kStdCFStringAlertVersionOne);
  param.cancelText = kAlertDefaultCancelText;
  param.otherText = kAlertDefaultOtherText;
  struct Case {
    UInt16 key;
    SInt16 ch;
    DialogItemIndex expect;
  } cases[] = {{kVK_Return, kReturnCharCode, kAlertStdAlertOKButton},
               {kVK_Escape, kEscapeCharCode, kAlertStdAlertCancelButton}};
  for (const Case& k : cases) {
    PostKey(k.key, k.ch);
    DialogItemIndex hit = 0;
    ModalGuard guard;
    ASSERT_EQ(StandardAlert(kAlertCautionAlert, PStr("Save changes to \xD2Song\xD3?"),
                            PStr("Your changes are lost if you don\xD5t save them."), &param, &hit),
              noErr);
    EXPECT_EQ(hit, k.expect);
    FlushEventQueue(GetMainEventQueue());
  }
  // The third button sits at the left, below the texts: a click there answers 3. Its place
  // comes from the layout, so find it through a filter that clicks it.
  struct Clicker {
    static Boolean Filter(DialogRef dialog, EventRecord* event, DialogItemIndex*) {
      if (event->what == nullEvent) {
        DialogItemType type;
        DialogItemHandle handle;
        Rect box;
        GetDialogItem(dialog, kAlertStdAlertOtherButton, &type, &handle, &box);
        PostClick(Global(GetDialogWindow(dialog), Center(box)));
      }
      return false;
    }
  };
  param.filterProc = Clicker::Filter;
  DialogItemIndex hit = 0;
  ModalGuard guard;
  ASSERT_EQ(StandardAlert(kAlertNoteAlert, PStr("Done."), nullptr, &param, &hit), noErr);
  EXPECT_EQ(hit, kAlertStdAlertOtherButton);
}

}  // namespace
