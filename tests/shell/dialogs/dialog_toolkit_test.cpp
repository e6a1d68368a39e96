// The classic dialog toolkit on the application's own dialogs: item helpers with a page base,
// radio groups, the modal loop driven by posted keys and clicks, arrow buttons and wheel
// steps, failed opens and the nested-dialog stack.
#include <gtest/gtest.h>

#include "platform/system/sys_beep.h"
#include "shell/base/app_state.h"
#include "shell/dialogs/color_swatches.h"
#include "shell/dialogs/dialog_alerts.h"
#include "shell/dialogs/dialog_arrows.h"
#include "shell/dialogs/dialog_toolkit.h"
#include "shell/settings/meter_tempo_dialogs.h"
#include "tests/shell/dialogs/dialog_test_support.h"

namespace {

using namespace classic_dialog_test;

class Toolkit : public DialogTest {
 protected:
  void Open(int16_t id) {
    ASSERT_TRUE(OpenDialogById(id));
    ShowCurrentDialog();
  }
  void TearDown() override {
    CloseCurrentDialog();
    DialogTest::TearDown();
  }
  int16_t Run() {
    ui_test::ModalGuard guard;
    return RunModalDialog();
  }
};

TEST_F(Toolkit, ItemHelpersAddThePageBase) {
  Open(kTimeSignatureDialogId);
  EXPECT_EQ(1u, gDialogBusy);
  EXPECT_EQ(kTimeSignatureDialogId, gDialogHelpTopic);
  SetDialogItemNumber(42, kSigNumeratorItem);
  EXPECT_EQ(42, GetDialogItemNumber(kSigNumeratorItem));
  gDialogIdBase = 3;  // page item 3 is item 6
  EXPECT_EQ(42, GetDialogItemNumber(3));
  SetDialogItemNumber(-7, 4);
  gDialogIdBase = 0;
  EXPECT_EQ(-7, GetDialogItemNumber(kSigDenominatorItem));

  EXPECT_EQ(1, ToggleDialogControl(kSigMeterCheckItem));
  uint8_t settings = 0x80;
  StoreCheckboxBit(&settings, 2, kSigMeterCheckItem);
  EXPECT_EQ(0x84, settings);
  EXPECT_EQ(0, ToggleDialogControl(kSigMeterCheckItem));
  StoreCheckboxBit(&settings, 2, kSigMeterCheckItem);
  EXPECT_EQ(0x80, settings);

  SetDialogItemNoteName(61, kSigKeyItem);
  EXPECT_EQ("C#3", ui_test::FromPString(GetDialogItemString(kSigKeyItem)));
  EXPECT_EQ(61, GetDialogItemNote(kSigKeyItem));
  SetDialogItemPitchName(6, kSigKeyItem);
  EXPECT_EQ("F#", ui_test::FromPString(GetDialogItemString(kSigKeyItem)));
  EXPECT_EQ(0x06, GetDialogItemKey(kSigKeyItem));
  SetDialogItemString(ui_test::PStr("Gb"), kSigKeyItem);
  EXPECT_EQ(0x46, GetDialogItemKey(kSigKeyItem));  // the typed flat spells the key with flats

  const uint8_t items[] = {kSigNumeratorItem, kSigModeButtonItem};
  SetDialogItemsActive(items, 2, false);
  EXPECT_EQ(255, GetControlHilite(GetCurrentDialogControl(kSigModeButtonItem)));
  SetDialogItemsActive(items, 2, true);
  EXPECT_EQ(0, GetControlHilite(GetCurrentDialogControl(kSigModeButtonItem)));

  // Items that do not exist read as empty and are not written.
  EXPECT_EQ(0, GetDialogItemNumber(99));
  SetDialogItemNumber(5, 99);
  EXPECT_FALSE(GetCurrentDialogItem(0));
}

TEST_F(Toolkit, RadioGroupsAndHits) {
  Open(kTempoDialogId);
  EXPECT_EQ(0, GetSelectedRadioIndex(kTempoSetItem, 3));  // none set
  SelectRadioInGroup(kTempoSetItem, kTempoFitItem, kTempoFitItem);
  EXPECT_EQ(2, GetSelectedRadioIndex(kTempoSetItem, 3));
  gDialogItemHit = kTempoGradualItem;
  HandleRadioGroupHit(kTempoSetItem, kTempoFitItem);
  EXPECT_EQ(1, GetSelectedRadioIndex(kTempoSetItem, 3));
  EXPECT_EQ(0, GetDialogControlValue(kTempoFitItem));
  gDialogItemHit = kTempoSetItem;
  HandleRadioGroupHit(kTempoSetItem, kTempoFitItem);
  EXPECT_EQ(0, GetSelectedRadioIndex(kTempoSetItem, 3));  // the first set reads 0 as well
  EXPECT_EQ(1, GetDialogControlValue(kTempoSetItem));

  gDialogItemHit = kTempoDurationItem;
  HandleRadioPairHit(kTempoEndPositionItem, kTempoDurationItem);
  EXPECT_EQ(0, GetDialogControlValue(kTempoEndPositionItem));
  EXPECT_EQ(1, GetDialogControlValue(kTempoDurationItem));
  gDialogItemHit = kTempoItem;  // outside the pair: nothing changes
  HandleRadioPairHit(kTempoEndPositionItem, kTempoDurationItem);
  EXPECT_EQ(1, GetDialogControlValue(kTempoDurationItem));

  gDialogItemHit = 2;
  EXPECT_TRUE(IsOKOrCancelHit());
  EXPECT_FALSE(IsOKHit());
  gDialogIdBase = 1;
  EXPECT_FALSE(IsItemHitInRange(2, 3));  // items 3..4
  EXPECT_TRUE(IsItemHitInRange(1, 1));
}

TEST_F(Toolkit, KeysMapToItemsOnlyWhileTheFilterHandlesThem) {
  Open(kTimeSignatureDialogId);
  PostReturn();
  EXPECT_EQ(1, Run());
  PostEscape();
  EXPECT_EQ(2, Run());
  ui_test::PostKey(kVK_ANSI_KeypadEnter, kEnterCharCode);
  EXPECT_EQ(1, Run());
  // Typing reports the edit item and reaches its text.
  SelectDialogItemText(gCurrentDialog, kSigNumeratorItem, 0, 32767);
  ui_test::PostText("7");
  EXPECT_EQ(kSigNumeratorItem, Run());
  EXPECT_EQ(7, GetDialogItemNumber(kSigNumeratorItem));

  gDialogKeyFlags = 0;
  ClearKeyboardFocus(GetDialogWindow(gCurrentDialog));
  PostEscape();
  ClickItem(gCurrentDialog, kSigModeButtonItem);
  EXPECT_EQ(kSigModeButtonItem, Run());

  // Capturing keys: the first key starts the capture, a later one reports item 3.
  gDialogKeyFlags = kDialogKeysHandled | kDialogKeyCapture;
  PostReturn();
  ui_test::PostKey(kVK_ANSI_X, 'x');
  EXPECT_EQ(3, Run());
  EXPECT_TRUE(gDialogKeyFlags & kDialogCaptureRunning);
}

TEST_F(Toolkit, ArrowButtonsStepTheirField) {
  Open(kTimeSignatureDialogId);
  ASSERT_TRUE(InstallDialogUserItem(kSigMeterArrowItem));
  SetDialogItemNumber(4, kSigNumeratorItem);
  Rect r = ItemRect(gCurrentDialog, kSigMeterArrowItem);
  WindowRef w = GetDialogWindow(gCurrentDialog);
  struct Case {
    int16_t v;  // offset from the top of the button
    uint8_t up;
    int32_t expect;
  } cases[] = {{3, 1, 5}, {int16_t(r.bottom - r.top - 3), 0, 4}, {int16_t(r.bottom - r.top - 3), 0, 3}};
  for (const Case& c : cases) {
    ui_test::PostClick(ui_test::Global(w, Point{int16_t(r.top + c.v), int16_t((r.left + r.right) / 2)}));
    ASSERT_EQ(kSigMeterArrowItem, Run());
    EXPECT_EQ(c.up, gRepeatUp);
    RunRepeatButton(1, 64, kSigNumeratorItem);
    EXPECT_EQ(c.expect, GetDialogItemNumber(kSigNumeratorItem));
  }
  // Clamped at the ends.
  SetDialogItemNumber(64, kSigNumeratorItem);
  gRepeatUp = 1;
  gDialogItemHit = kSigMeterArrowItem;
  RunRepeatButton(1, 64, kSigNumeratorItem);
  EXPECT_EQ(64, GetDialogItemNumber(kSigNumeratorItem));

  // A button taller than two halves has a middle that reports nothing.
  SetDialogItemNumber(10, kSigNumeratorItem);
  DialogItemType type;
  DialogItemHandle handle;
  Rect tall;
  GetDialogItem(gCurrentDialog, kSigMeterArrowItem, &type, &handle, &tall);
  tall.bottom = int16_t(tall.top + 60);
  SetDialogItem(gCurrentDialog, kSigMeterArrowItem, type, handle, &tall);
  ui_test::PostClick(ui_test::Global(w, Point{int16_t(tall.top + 30), int16_t((tall.left + tall.right) / 2)}));
  ClickItem(gCurrentDialog, kSigModeButtonItem);
  EXPECT_EQ(kSigModeButtonItem, Run());
}

TEST_F(Toolkit, WheelStepsGoToTheArrowButton) {
  Open(kTempoDialogId);
  ASSERT_TRUE(InstallDialogUserItem(kTempoArrowItem));
  SetDialogItemNumber(5, kTempoHoursItem + 1);
  QueueWheelSteps(3);
  ASSERT_EQ(kTempoArrowItem, Run());
  EXPECT_EQ(1, gRepeatUp);
  RunRepeatButton(0, 59, kTempoHoursItem + 1);
  EXPECT_EQ(8, GetDialogItemNumber(kTempoHoursItem + 1));
  EXPECT_EQ(0, gPendingWheelSteps);
  QueueWheelSteps(-10);
  ASSERT_EQ(kTempoArrowItem, Run());
  EXPECT_EQ(0, gRepeatUp);
  RunRepeatButton(0, 59, kTempoHoursItem + 1);
  EXPECT_EQ(0, GetDialogItemNumber(kTempoHoursItem + 1));

  // Note fields step by semitones within 0..127.
  SetDialogItemNoteName(126, kTempoHoursItem);
  QueueWheelSteps(5);
  ASSERT_EQ(kTempoArrowItem, Run());
  RunNoteRepeatButton(kTempoHoursItem);
  EXPECT_EQ(127, GetDialogItemNote(kTempoHoursItem));
}

TEST_F(Toolkit, ColourSwatchesPaintTheirColour) {
  Open(kTimeSignatureDialogId);
  uint16_t saved = gAppState[0];
  gAppState[0] |= 0x100;  // colour drawing
  static const RGBColor kColours[2] = {{0xFFFF, 0, 0}, {0, 0, 0xFFFF}};
  InstallColorSwatchItem(kSigMeterArrowItem, kSigMeterArrowItem, kColours, 1);
  InstallColorSwatchItem(kSigKeyArrowItem, kSigMeterArrowItem, kColours, 1);  // past the table
  DrawDialog(gCurrentDialog);
  WindowRef w = GetDialogWindow(gCurrentDialog);
  EXPECT_EQ(0xFF0000u, ui_test::PortPixel(w, ui_test::Center(ItemRect(gCurrentDialog, kSigMeterArrowItem))));
  EXPECT_EQ(0u, ui_test::CountPortColor(w, ItemRect(gCurrentDialog, kSigKeyArrowItem), 0x0000FF));
  gAppState[0] = saved;
}

TEST_F(Toolkit, AFailedOpenIsReportedAndLeavesNoDialog) {
  int32_t alerts = CountAlertsShown();
  WhenDialogUp answer([](DialogRef) { PostReturn(); });
  ui_test::ModalGuard guard;
  EXPECT_FALSE(OpenDialogById(4242));
  EXPECT_EQ(alerts + 1, CountAlertsShown());
  EXPECT_TRUE(answer.ran());  // the alert was on the screen
  EXPECT_EQ(nullptr, gCurrentDialog);
}

int gNestedCalls = 0;
int gNestedRefusals = 0;

// Each level opens a dialog of its own with a page base and tries to go one level deeper.
void OpenNested(void*) {
  ++gNestedCalls;
  DialogRef outer = gCurrentDialog;
  ASSERT_TRUE(OpenDialogById(kTempoDialogId));
  gDialogIdBase = 2;
  uint32_t beeps = GetSysBeepCount();
  if (!RunNestedDialogCall(OpenNested, nullptr)) {
    ++gNestedRefusals;
    EXPECT_EQ(beeps + 1, GetSysBeepCount());
  }
  EXPECT_EQ(2, gDialogIdBase);
  CloseCurrentDialog();
  gCurrentDialog = outer;
}

TEST_F(Toolkit, TheNestedStackRefusesAFifthLevel) {
  Open(kTimeSignatureDialogId);
  DialogRef outer = gCurrentDialog;
  gDialogIdBase = 5;
  gDialogFocusItem = 10;
  AddDialogListItem(&gArrowButtons, 8);
  gNestedCalls = gNestedRefusals = 0;
  EXPECT_TRUE(RunNestedDialogCall(OpenNested, nullptr));
  EXPECT_EQ(kMaxNestedDialogs, gNestedCalls);
  EXPECT_EQ(1, gNestedRefusals);
  EXPECT_EQ(0, gNestedDialogDepth);
  EXPECT_EQ(outer, gCurrentDialog);
  EXPECT_EQ(5, gDialogIdBase);
  EXPECT_EQ(10u, gDialogFocusItem);
  EXPECT_EQ(1, gArrowButtons.count);
  EXPECT_EQ(1u, gDialogBusy);
  gDialogIdBase = 0;
}

}  // namespace
